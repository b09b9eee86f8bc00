#include "testing/loopback_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/winhttp/header_block.h"

namespace testing_support {
namespace {

// A request head larger than this is not a request we want to serve.
constexpr std::size_t kMaxHeadBytes = 1 << 20;

bool ContainsIgnoringCase(std::string_view haystack, std::string_view needle) {
  if (needle.size() > haystack.size()) return false;
  for (std::size_t i = 0; i + needle.size() <= haystack.size(); ++i) {
    if (platform::winhttp::HeaderNameEquals(haystack.substr(i, needle.size()), needle)) return true;
  }
  return false;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

void SetNonBlocking(int fd) {
  int flags = ::fcntl(fd, F_GETFL, 0);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

// Parses the request head (request line and header lines, without the final
// empty line) into `request`.
void ParseHead(std::string_view head, HttpRequest& request) {
  std::size_t lineEnd = head.find("\r\n");
  std::string_view requestLine = head.substr(0, lineEnd);
  // The target is everything between the first and the last blank, so a
  // target that a client failed to escape still shows its blanks here.
  std::size_t firstBlank = requestLine.find(' ');
  std::size_t lastBlank = requestLine.rfind(' ');
  if (firstBlank == std::string_view::npos) {
    request.method = std::string(requestLine);
  } else if (lastBlank == firstBlank) {
    request.method = std::string(requestLine.substr(0, firstBlank));
    request.target = std::string(requestLine.substr(firstBlank + 1));
  } else {
    request.method = std::string(requestLine.substr(0, firstBlank));
    request.target = std::string(requestLine.substr(firstBlank + 1, lastBlank - firstBlank - 1));
    request.version = std::string(requestLine.substr(lastBlank + 1));
  }
  if (lineEnd == std::string_view::npos) return;
  std::string_view rest = head.substr(lineEnd + 2);
  while (!rest.empty()) {
    std::size_t end = rest.find("\r\n");
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 2);
    if (line.empty()) continue;
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
      request.headers.emplace_back(std::string(line), std::string());
    } else {
      request.headers.emplace_back(std::string(line.substr(0, colon)),
                                   std::string(TrimBlanks(line.substr(colon + 1))));
    }
  }
}

enum class BodyState { kComplete, kNeedMore, kBad };

// Decodes a chunked body starting at `data`; on completion sets `consumed` to
// the bytes it spans (trailer included).
BodyState DecodeChunked(std::string_view data, std::string& body, std::size_t& consumed) {
  std::size_t pos = 0;
  body.clear();
  for (;;) {
    std::size_t lineEnd = data.find("\r\n", pos);
    if (lineEnd == std::string_view::npos) {
      return data.size() - pos > 1024 ? BodyState::kBad : BodyState::kNeedMore;
    }
    std::string_view sizeText = data.substr(pos, lineEnd - pos);
    std::size_t semicolon = sizeText.find(';');
    sizeText = TrimBlanks(sizeText.substr(0, semicolon));
    if (sizeText.empty() || sizeText.size() > 15) return BodyState::kBad;
    std::size_t size = 0;
    for (char c : sizeText) {
      int digit;
      if (c >= '0' && c <= '9') {
        digit = c - '0';
      } else if (c >= 'a' && c <= 'f') {
        digit = c - 'a' + 10;
      } else if (c >= 'A' && c <= 'F') {
        digit = c - 'A' + 10;
      } else {
        return BodyState::kBad;
      }
      size = size * 16 + static_cast<std::size_t>(digit);
    }
    pos = lineEnd + 2;
    if (size == 0) {
      // Trailer lines up to the empty line.
      for (;;) {
        std::size_t end = data.find("\r\n", pos);
        if (end == std::string_view::npos) return BodyState::kNeedMore;
        bool emptyLine = end == pos;
        pos = end + 2;
        if (emptyLine) {
          consumed = pos;
          return BodyState::kComplete;
        }
      }
    }
    if (data.size() - pos < size + 2) return BodyState::kNeedMore;
    body.append(data.substr(pos, size));
    pos += size + 2;
  }
}

}  // namespace

std::optional<std::string> HttpRequest::Header(std::string_view name) const {
  for (const auto& [key, value] : headers) {
    if (platform::winhttp::HeaderNameEquals(key, name)) return value;
  }
  return std::nullopt;
}

std::size_t HttpRequest::HeaderCount(std::string_view name) const {
  std::size_t count = 0;
  for (const auto& header : headers) {
    if (platform::winhttp::HeaderNameEquals(header.first, name)) ++count;
  }
  return count;
}

ResponseStep Send(std::string bytes) {
  ResponseStep step;
  step.kind = ResponseStep::Kind::kSend;
  step.bytes = std::move(bytes);
  return step;
}

ResponseStep Pause(int milliseconds) {
  ResponseStep step;
  step.kind = ResponseStep::Kind::kPause;
  step.milliseconds = milliseconds;
  return step;
}

ResponseStep Close() {
  ResponseStep step;
  step.kind = ResponseStep::Kind::kClose;
  return step;
}

std::string ResponseBytes(int status, std::string_view reason, const HeaderList& headers,
                          std::string_view body) {
  std::string out = "HTTP/1.1 " + std::to_string(status) + " " + std::string(reason) + "\r\n";
  for (const auto& [name, value] : headers) out += name + ": " + value + "\r\n";
  out += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  out += body;
  return out;
}

ResponseScript SimpleResponse(int status, std::string_view reason, const HeaderList& headers,
                              std::string_view body) {
  return {Send(ResponseBytes(status, reason, headers, body))};
}

ResponseScript OkResponse(std::string_view body) { return SimpleResponse(200, "OK", {}, body); }

std::string ChunkedBody(const std::vector<std::string>& pieces) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (const auto& piece : pieces) {
    if (piece.empty()) continue;  // an empty chunk would end the body
    std::string size;
    for (std::size_t n = piece.size(); n > 0; n /= 16) size.insert(size.begin(), kHex[n % 16]);
    out += size + "\r\n" + piece + "\r\n";
  }
  out += "0\r\n\r\n";
  return out;
}

LoopbackServer::LoopbackServer(RequestHandler handler) : handler_(std::move(handler)) {
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return;
  wakeRead_ = pipeFds[0];
  wakeWrite_ = pipeFds[1];

  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd, 64) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(fd);
    return;
  }
  SetNonBlocking(fd);
  listenFd_ = fd;
  port_ = ntohs(address.sin_port);
  acceptThread_ = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  if (wakeWrite_ >= 0) {
    char byte = 1;
    // The pipe is never read, so it stays readable for every waiting thread.
    while (::write(wakeWrite_, &byte, 1) < 0 && errno == EINTR) {
    }
  }
  if (acceptThread_.joinable()) acceptThread_.join();
  std::vector<std::thread> threads;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    threads.swap(connectionThreads_);
  }
  for (auto& thread : threads) thread.join();
  if (listenFd_ >= 0) ::close(listenFd_);
  if (wakeRead_ >= 0) ::close(wakeRead_);
  if (wakeWrite_ >= 0) ::close(wakeWrite_);
}

std::string LoopbackServer::HostPort() const { return "127.0.0.1:" + std::to_string(port_); }

std::string LoopbackServer::BaseUrl() const { return "http://" + HostPort(); }

std::vector<HttpRequest> LoopbackServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

std::size_t LoopbackServer::RequestCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_.size();
}

std::size_t LoopbackServer::ConnectionCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return connections_;
}

bool LoopbackServer::WaitForRequests(std::size_t count, int timeoutMilliseconds) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return requestArrived_.wait_for(lock, std::chrono::milliseconds(timeoutMilliseconds),
                                  [&] { return requests_.size() >= count; });
}

bool LoopbackServer::Stopping() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return stopping_;
}

void LoopbackServer::AcceptLoop() {
  for (;;) {
    pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    int ready = ::poll(fds, 2, -1);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    if ((fds[0].revents & POLLIN) == 0) continue;
    int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) continue;
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) {
      ::close(fd);
      return;
    }
    std::size_t number = ++connections_;
    connectionThreads_.emplace_back([this, fd, number] { ServeConnection(fd, number); });
  }
}

void LoopbackServer::ServeConnection(int fd, std::size_t connectionNumber) {
  std::string pending;
  bool open = true;
  while (open) {
    // Gather one complete request.
    std::size_t headEnd = pending.find("\r\n\r\n");
    HttpRequest request;
    std::size_t consumed = 0;
    bool complete = false;
    if (headEnd != std::string::npos) {
      ParseHead(std::string_view(pending).substr(0, headEnd), request);
      std::size_t bodyStart = headEnd + 4;
      std::optional<std::string> transferEncoding = request.Header("Transfer-Encoding");
      std::optional<std::string> contentLength = request.Header("Content-Length");
      if (transferEncoding && ContainsIgnoringCase(*transferEncoding, "chunked")) {
        std::size_t bodyBytes = 0;
        BodyState state =
            DecodeChunked(std::string_view(pending).substr(bodyStart), request.body, bodyBytes);
        if (state == BodyState::kBad) break;
        if (state == BodyState::kComplete) {
          consumed = bodyStart + bodyBytes;
          complete = true;
        }
      } else if (contentLength) {
        std::size_t length = 0;
        bool valid = !contentLength->empty() && contentLength->size() < 16;
        for (char c : *contentLength) {
          if (c < '0' || c > '9') valid = false;
          if (valid) length = length * 10 + static_cast<std::size_t>(c - '0');
        }
        if (!valid) break;
        if (pending.size() - bodyStart >= length) {
          request.body = pending.substr(bodyStart, length);
          consumed = bodyStart + length;
          complete = true;
        }
      } else {
        consumed = bodyStart;
        complete = true;
      }
    } else if (pending.size() > kMaxHeadBytes) {
      break;
    }

    if (complete) {
      request.raw = pending.substr(0, consumed);
      request.connection = connectionNumber;
      pending.erase(0, consumed);
      bool closeAfter = false;
      if (auto connection = request.Header("Connection")) {
        closeAfter = ContainsIgnoringCase(*connection, "close");
      }
      {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
      }
      requestArrived_.notify_all();
      ResponseScript script;
      {
        std::lock_guard<std::mutex> lock(handlerMutex_);
        if (handler_) script = handler_(request);
      }
      if (!RunScript(fd, script) || closeAfter) break;
      continue;
    }

    // Need more bytes.
    pollfd fds[2] = {{fd, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    int ready = ::poll(fds, 2, -1);
    if (ready < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[1].revents != 0) break;
    char buffer[16384];
    ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n > 0) {
      pending.append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0) {
      open = false;
    } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      open = false;
    }
  }
  ::shutdown(fd, SHUT_RDWR);
  ::close(fd);
}

// Plays the script on the connection. False when the connection is to be
// closed: the script closed it, the peer went away, or the server stops.
bool LoopbackServer::RunScript(int fd, const ResponseScript& script) {
  for (const ResponseStep& step : script) {
    switch (step.kind) {
      case ResponseStep::Kind::kSend: {
        std::size_t sent = 0;
        while (sent < step.bytes.size()) {
          ssize_t n = ::send(fd, step.bytes.data() + sent, step.bytes.size() - sent, MSG_NOSIGNAL);
          if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
          }
          if (n < 0 && errno == EINTR) continue;
          if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd fds[2] = {{fd, POLLOUT, 0}, {wakeRead_, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0 && errno != EINTR) return false;
            if (fds[1].revents != 0) return false;
            continue;
          }
          return false;
        }
        break;
      }
      case ResponseStep::Kind::kPause: {
        auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(step.milliseconds);
        for (;;) {
          auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
              deadline - std::chrono::steady_clock::now());
          if (left.count() <= 0) break;
          pollfd wake = {wakeRead_, POLLIN, 0};
          int ready = ::poll(&wake, 1, static_cast<int>(left.count()));
          if (ready > 0) return false;
        }
        break;
      }
      case ResponseStep::Kind::kClose:
        return false;
    }
  }
  return !Stopping();
}

}  // namespace testing_support
