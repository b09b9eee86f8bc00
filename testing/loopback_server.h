#pragma once
// A real HTTP/1.1 server on 127.0.0.1 for tests. The test starts it with a
// handler; the operating system picks a free port. Every connection is served
// on its own background thread; each complete request is parsed, logged and
// handed to the handler, which answers with a script of raw steps (send these
// bytes, pause, close the connection). So a test can write any status line,
// chunked bodies, stall past a time-out or cut the connection mid-body.
//
// The server also works as an HTTP proxy target: a request with an absolute
// target ("GET http://host/path HTTP/1.1") or a CONNECT request arrives like
// any other and the handler answers it.
//
// Handler calls are serialised (one at a time), so a handler needs no lock of
// its own. The destructor stops every thread: pauses are cut short, open
// connections are closed.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace testing_support {

struct HttpRequest {
  std::string method;   // "GET", "CONNECT", ... as sent
  std::string target;   // "/a?b", "http://host/path", "host:443", ... as sent
  std::string version;  // "HTTP/1.1"
  // Header lines in the order received, names and values as sent (the value
  // without leading and trailing blanks).
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;            // the body bytes, de-chunked when sent chunked
  std::string raw;             // the request exactly as received: head and body bytes
  std::size_t connection = 0;  // 1-based number of the connection it came on

  // The value of the first header with this name (case ignored), if any.
  std::optional<std::string> Header(std::string_view name) const;
  // How many header lines carry this name (case ignored).
  std::size_t HeaderCount(std::string_view name) const;
};

struct ResponseStep {
  enum class Kind { kSend, kPause, kClose };
  Kind kind = Kind::kSend;
  std::string bytes;     // kSend: the bytes to write
  int milliseconds = 0;  // kPause: how long to wait
};
using ResponseScript = std::vector<ResponseStep>;

ResponseStep Send(std::string bytes);
ResponseStep Pause(int milliseconds);
ResponseStep Close();

using HeaderList = std::vector<std::pair<std::string, std::string>>;

// The bytes of an ordinary response: "HTTP/1.1 <status> <reason>\r\n", the
// given headers, "Content-Length: <body size>\r\n", the empty line, the body.
std::string ResponseBytes(int status, std::string_view reason, const HeaderList& headers,
                          std::string_view body);
// The same as a one-step script.
ResponseScript SimpleResponse(int status, std::string_view reason, const HeaderList& headers,
                              std::string_view body);
// "200 OK" with the body and no further headers.
ResponseScript OkResponse(std::string_view body);
// A body in chunked transfer coding: each piece becomes one chunk, then the
// final zero-size chunk and the empty line.
std::string ChunkedBody(const std::vector<std::string>& pieces);

using RequestHandler = std::function<ResponseScript(const HttpRequest&)>;

class LoopbackServer {
 public:
  explicit LoopbackServer(RequestHandler handler);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  // False when the listening socket could not be set up (port() is then 0).
  bool ok() const { return listenFd_ >= 0; }
  std::uint16_t port() const { return port_; }
  // "127.0.0.1:<port>"
  std::string HostPort() const;
  // "http://127.0.0.1:<port>"
  std::string BaseUrl() const;

  // Every complete request so far, in the order they arrived.
  std::vector<HttpRequest> Requests() const;
  std::size_t RequestCount() const;
  // Connections accepted so far.
  std::size_t ConnectionCount() const;
  // Waits until at least `count` requests have arrived or the wait ran out.
  bool WaitForRequests(std::size_t count, int timeoutMilliseconds) const;

 private:
  void AcceptLoop();
  void ServeConnection(int fd, std::size_t connectionNumber);
  bool RunScript(int fd, const ResponseScript& script);
  bool Stopping() const;

  RequestHandler handler_;
  int listenFd_ = -1;
  int wakeRead_ = -1;  // readable once the server stops
  int wakeWrite_ = -1;
  std::uint16_t port_ = 0;

  mutable std::mutex mutex_;  // guards the log, counters and thread list
  mutable std::condition_variable requestArrived_;
  std::vector<HttpRequest> requests_;
  std::size_t connections_ = 0;
  std::vector<std::thread> connectionThreads_;
  bool stopping_ = false;

  std::mutex handlerMutex_;  // one handler call at a time
  std::thread acceptThread_;
};

}  // namespace testing_support
