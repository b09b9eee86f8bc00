#include "platform/winhttp/curl_transfer.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/winhttp/request_target.h"

namespace platform::winhttp {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The status code of a status line ("HTTP/1.1 302 Found"), -1 when none.
int StatusCode(std::string_view statusLine) {
  std::size_t blank = statusLine.find(' ');
  if (!StartsWith(statusLine, "HTTP/") || blank == std::string_view::npos) return -1;
  std::string_view code = statusLine.substr(blank + 1, 3);
  if (code.size() != 3) return -1;
  int value = 0;
  for (char c : code) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::string Origin(bool secure, const std::string& host, std::uint16_t port) {
  return std::string(secure ? "https://" : "http://") + host + ":" + std::to_string(port);
}

// The target's path alone, as a URL path libcurl can parse ("/" when the
// target is not an origin-form path).
std::string PathOf(const std::string& target) {
  std::string path = target.substr(0, target.find_first_of("?#"));
  if (path.empty() || path.front() != '/') return "/";
  return path;
}

bool ParsesAsUrl(const std::string& url) {
  CURLU* handle = curl_url();
  if (handle == nullptr) return false;
  bool ok = curl_url_set(handle, CURLUPART_URL, url.c_str(), CURLU_PATH_AS_IS) == CURLUE_OK;
  curl_url_cleanup(handle);
  return ok;
}

// One part of a parsed URL, empty when it has none.
std::string UrlPart(CURLU* handle, CURLUPart part, unsigned int flags = 0) {
  char* value = nullptr;
  if (curl_url_get(handle, part, &value, flags) != CURLUE_OK || value == nullptr) return {};
  std::string out(value);
  curl_free(value);
  return out;
}

}  // namespace

CurlTransfer::CurlTransfer(TransferSettings settings) : settings_(std::move(settings)) {
  multi_ = curl_multi_init();
  easy_ = curl_easy_init();
  if (multi_ == nullptr || easy_ == nullptr) {
    setupFailed_ = true;
    return;
  }
  bool ok = true;
  auto set = [&](CURLoption option, auto value) {
    ok = ok && curl_easy_setopt(easy_, option, value) == CURLE_OK;
  };
  set(CURLOPT_NOSIGNAL, 1L);
  set(CURLOPT_HTTP_VERSION, settings_.http10 ? static_cast<long>(CURL_HTTP_VERSION_1_0)
                                             : static_cast<long>(CURL_HTTP_VERSION_1_1));
  set(CURLOPT_PROTOCOLS_STR, "http,https");
  set(CURLOPT_FOLLOWLOCATION, 0L);
  set(CURLOPT_PATH_AS_IS, 1L);
  // The body and the headers arrive exactly as the server sent them
  // (chunked coding is still undone).
  set(CURLOPT_HTTP_CONTENT_DECODING, 0L);
  set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  // Our header lines go to the server only, never into a CONNECT request.
  set(CURLOPT_HEADEROPT, static_cast<long>(CURLHEADER_SEPARATE));
  if (settings_.connectTimeoutMs > 0) {
    set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(settings_.connectTimeoutMs));
  }
  // The debug callback tells when the request went out; it needs VERBOSE,
  // and takes over everything VERBOSE would print.
  set(CURLOPT_VERBOSE, 1L);
  set(CURLOPT_DEBUGFUNCTION, &CurlTransfer::OnDebug);
  set(CURLOPT_DEBUGDATA, this);
  set(CURLOPT_HEADERFUNCTION, &CurlTransfer::OnHeader);
  set(CURLOPT_HEADERDATA, this);
  set(CURLOPT_WRITEFUNCTION, &CurlTransfer::OnWrite);
  set(CURLOPT_WRITEDATA, this);
  if (!settings_.userAgent.empty()) set(CURLOPT_USERAGENT, settings_.userAgent.c_str());
  if (!settings_.cookiesDisabled) {
    // An empty file name switches the in-memory cookie engine on; it lives
    // and dies with this easy handle, so cookies pass between the hops of
    // this one exchange and nowhere else. libcurl would send its own Cookie
    // line beside ours, so the caller's cookies join its line instead.
    set(CURLOPT_COOKIEFILE, "");
    for (const HeaderLine& line : settings_.headers) {
      if (!HeaderNameEquals(line.name, "Cookie") || line.value.empty()) continue;
      if (!cookieLine_.empty()) cookieLine_ += "; ";
      cookieLine_ += line.value;
    }
  }
  setupFailed_ = !ok;

  first_.secure = settings_.secure;
  first_.host = settings_.host;
  first_.port = settings_.port;
  first_.verb = settings_.verb;
  first_.target = settings_.target;
  first_.sendBody = true;
}

CurlTransfer::~CurlTransfer() {
  if (attached_) curl_multi_remove_handle(multi_, easy_);
  if (easy_ != nullptr) curl_easy_cleanup(easy_);
  if (multi_ != nullptr) curl_multi_cleanup(multi_);
  curl_slist_free_all(headerList_);
}

bool CurlTransfer::SameOrigin(const Hop& hop) const {
  return hop.secure == first_.secure && hop.port == first_.port &&
         HeaderNameEquals(hop.host, first_.host);
}

bool CurlTransfer::StartHop(const Hop& hop) {
  hop_ = hop;
  requestHeadOut_ = false;
  bodyBytesOut_ = 0;
  responseStarted_ = false;
  inHead_ = false;
  headDone_ = false;
  headLines_.clear();
  nextHop_.reset();

  bool ok = true;
  auto set = [&](CURLoption option, auto value) {
    ok = ok && curl_easy_setopt(easy_, option, value) == CURLE_OK;
  };

  // The URL tells libcurl where to connect and which path cookies match;
  // the request line carries our target byte for byte.
  std::string origin = Origin(hop.secure, hop.host, hop.port);
  std::string url = origin + PathOf(hop.target);
  if (!ParsesAsUrl(url)) url = origin + "/";
  set(CURLOPT_URL, url.c_str());

  const ProxyEntry* proxy = ChooseProxy(settings_.proxies, hop.secure);
  std::string wireTarget = hop.target;
  if (proxy != nullptr && !hop.secure) {
    // A plain request through a proxy names the whole URL.
    wireTarget = "http://" + hop.host;
    if (hop.port != 80) wireTarget += ":" + std::to_string(hop.port);
    wireTarget += hop.target.empty() || hop.target.front() != '/' ? "/" + hop.target : hop.target;
  }
  set(CURLOPT_REQUEST_TARGET, wireTarget.c_str());
  tunnelling_ = proxy != nullptr && hop.secure;

  if (proxy != nullptr) {
    std::string proxyUrl = "http://" + proxy->host + ":" + std::to_string(proxy->port);
    set(CURLOPT_PROXY, proxyUrl.c_str());
    set(CURLOPT_NOPROXY, "");  // no_proxy from the environment does not apply
    set(CURLOPT_HTTPPROXYTUNNEL, hop.secure ? 1L : 0L);
    if (settings_.proxyCredentials) {
      set(CURLOPT_PROXYUSERNAME, settings_.proxyCredentials->userName.c_str());
      set(CURLOPT_PROXYPASSWORD, settings_.proxyCredentials->password.c_str());
      set(CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC));
    }
  } else {
    // A direct connection whatever http_proxy and friends say.
    set(CURLOPT_PROXY, "");
    set(CURLOPT_NOPROXY, "*");
    set(CURLOPT_HTTPPROXYTUNNEL, 0L);
    set(CURLOPT_PROXYUSERNAME, static_cast<const char*>(nullptr));
    set(CURLOPT_PROXYPASSWORD, static_cast<const char*>(nullptr));
  }

  // Server credentials go to the first request's origin only, never to
  // another host a redirect leads to.
  if (settings_.serverCredentials && SameOrigin(hop)) {
    set(CURLOPT_USERNAME, settings_.serverCredentials->userName.c_str());
    set(CURLOPT_PASSWORD, settings_.serverCredentials->password.c_str());
    set(CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
  } else {
    set(CURLOPT_USERNAME, static_cast<const char*>(nullptr));
    set(CURLOPT_PASSWORD, static_cast<const char*>(nullptr));
  }

  // The verb. HEAD must not wait for a body. A body is sent when there is
  // one; POST and PUT also state an empty one with Content-Length: 0.
  bool withBody = false;
  if (hop.verb == "HEAD") {
    set(CURLOPT_HTTPGET, 1L);
    set(CURLOPT_NOBODY, 1L);
    set(CURLOPT_CUSTOMREQUEST, static_cast<const char*>(nullptr));
  } else {
    set(CURLOPT_NOBODY, 0L);
    withBody = hop.sendBody && (!settings_.body.empty() || hop.verb == "POST" || hop.verb == "PUT");
    if (withBody) {
      set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(settings_.body.size()));
      set(CURLOPT_POSTFIELDS, settings_.body.c_str());
    } else {
      set(CURLOPT_HTTPGET, 1L);
    }
    bool libcurlVerb = withBody ? hop.verb == "POST" : hop.verb == "GET";
    set(CURLOPT_CUSTOMREQUEST, libcurlVerb ? nullptr : hop.verb.c_str());
  }
  hopBodySize_ = withBody ? settings_.body.size() : 0;
  expectedRequestLine_ = hop.verb + " " + wireTarget + " ";

  // Our header lines, then empty entries that stop libcurl from adding
  // lines of its own.
  curl_slist_free_all(headerList_);
  headerList_ = nullptr;
  bool listOk = true;
  std::vector<std::string> sent;
  auto append = [&](const std::string& entry) {
    curl_slist* grown = curl_slist_append(headerList_, entry.c_str());
    if (grown == nullptr) {
      listOk = false;
      return;
    }
    headerList_ = grown;
  };
  for (const HeaderLine& line : settings_.headers) {
    if (HeaderNameEquals(line.name, "Content-Length")) continue;  // ours is the true one
    if (!settings_.cookiesDisabled && HeaderNameEquals(line.name, "Cookie")) continue;
    if (hop.dropContentHeaders && HeaderNameEquals(line.name, "Content-Type")) continue;
    if (!SameOrigin(hop) && HeaderNameEquals(line.name, "Host")) continue;
    // "Name:" alone would tell libcurl to drop a line; "Name;" sends it empty.
    append(line.value.empty() ? line.name + ";" : line.name + ": " + line.value);
    sent.push_back(line.name);
  }
  for (const char* own : {"Accept", "Expect", "Content-Type", "Proxy-Connection"}) {
    bool present = std::any_of(sent.begin(), sent.end(), [&](const std::string& name) {
      return HeaderNameEquals(name, own);
    });
    if (!present) append(std::string(own) + ":");
  }
  ok = ok && listOk;
  set(CURLOPT_HTTPHEADER, headerList_);
  set(CURLOPT_COOKIE, cookieLine_.empty() ? nullptr : cookieLine_.c_str());

  if (!ok) return false;
  if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) return false;
  attached_ = true;
  return true;
}

std::size_t CurlTransfer::OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
  auto* transfer = static_cast<CurlTransfer*>(self);
  std::size_t length = size * count;
  std::string_view line(data, length);
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  transfer->Touch();
  transfer->responseStarted_ = true;
  if (transfer->headDone_) return length;  // trailer lines after a chunked body
  if (!transfer->inHead_) {
    transfer->inHead_ = true;
    transfer->headLines_.clear();
  }
  if (!line.empty()) {
    transfer->headLines_.emplace_back(line);
    return length;
  }
  transfer->inHead_ = false;
  transfer->OnHeadComplete();
  return transfer->redirectFailed_ ? 0 : length;  // 0 aborts the exchange
}

void CurlTransfer::OnHeadComplete() {
  int status = headLines_.empty() ? -1 : StatusCode(headLines_.front());
  if (status >= 100 && status < 200) {
    headLines_.clear();  // an interim response; the real one follows
    return;
  }
  headDone_ = true;
  bool redirect = status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
  if (redirect && !settings_.redirectsDisabled) {
    for (std::size_t i = 1; i < headLines_.size(); ++i) {
      std::string_view line = headLines_[i];
      std::size_t colon = line.find(':');
      if (colon == std::string_view::npos ||
          !HeaderNameEquals(TrimBlanks(line.substr(0, colon)), "Location")) {
        continue;
      }
      std::string location(TrimBlanks(line.substr(colon + 1)));
      if (location.empty()) break;  // nowhere to go: this is the response
      if (!PlanRedirect(status, location)) redirectFailed_ = true;
      return;
    }
  }
  finalHead_ = headLines_;
  finalHeadDone_ = true;
}

bool CurlTransfer::PlanRedirect(int status, const std::string& location) {
  if (redirects_ >= kMaxRedirects) return false;
  CURLU* url = curl_url();
  if (url == nullptr) return false;
  std::string origin = Origin(hop_.secure, hop_.host, hop_.port);
  std::string base = origin + (StartsWith(hop_.target, "/") ? hop_.target : "/");
  if (curl_url_set(url, CURLUPART_URL, base.c_str(), CURLU_PATH_AS_IS) != CURLUE_OK &&
      curl_url_set(url, CURLUPART_URL, (origin + "/").c_str(), 0) != CURLUE_OK) {
    curl_url_cleanup(url);
    return false;
  }
  bool parsed = curl_url_set(url, CURLUPART_URL, location.c_str(), CURLU_ALLOW_SPACE) == CURLUE_OK;
  Hop next;
  std::string scheme = parsed ? UrlPart(url, CURLUPART_SCHEME) : "";
  std::string host = parsed ? UrlPart(url, CURLUPART_HOST) : "";
  std::string port = parsed ? UrlPart(url, CURLUPART_PORT, CURLU_DEFAULT_PORT) : "";
  std::string path = parsed ? UrlPart(url, CURLUPART_PATH) : "";
  std::string query = parsed ? UrlPart(url, CURLUPART_QUERY) : "";
  curl_url_cleanup(url);
  if (!parsed || host.empty()) return false;
  for (char& c : scheme) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (scheme == "http") {
    next.secure = false;
  } else if (scheme == "https") {
    next.secure = true;
  } else {
    return false;
  }
  if (hop_.secure && !next.secure) return false;  // never from https down to http
  int portNumber = 0;
  for (char c : port) {
    if (c < '0' || c > '9' || portNumber > 65535) return false;
    portNumber = portNumber * 10 + (c - '0');
  }
  if (portNumber < 1 || portNumber > 65535) return false;
  next.host = host;
  next.port = static_cast<std::uint16_t>(portNumber);
  if (path.empty()) path.assign(1, '/');  // not = "/": GCC 12 warns falsely (-Wrestrict)
  next.target = EscapeTargetBytes(query.empty() ? path : path + "?" + query);

  // 303 turns everything but HEAD into a GET, 301 and 302 turn a POST into
  // a GET; 307 and 308 repeat the request as it was, body included.
  next.verb = hop_.verb;
  next.sendBody = hop_.sendBody;
  next.dropContentHeaders = hop_.dropContentHeaders;
  bool toGet = (status == 303 && hop_.verb != "HEAD" && hop_.verb != "GET") ||
               ((status == 301 || status == 302) && hop_.verb == "POST");
  if (toGet) {
    next.verb = "GET";
    next.sendBody = false;
    next.dropContentHeaders = true;
  }
  nextHop_ = next;
  ++redirects_;
  return true;
}

std::size_t CurlTransfer::OnWrite(char* data, std::size_t size, std::size_t count, void* self) {
  auto* transfer = static_cast<CurlTransfer*>(self);
  std::size_t length = size * count;
  transfer->Touch();
  transfer->responseStarted_ = true;
  // A redirect's own body is read and dropped, so its connection can serve
  // the next hop.
  if (!transfer->nextHop_) transfer->buffer_.append(data, length);
  return length;
}

int CurlTransfer::OnDebug(CURL*, curl_infotype type, char* data, std::size_t size, void* self) {
  auto* transfer = static_cast<CurlTransfer*>(self);
  switch (type) {
    case CURLINFO_HEADER_OUT:
      transfer->Touch();
      // The CONNECT of a proxy tunnel also passes here; it is not our
      // request going out.
      if (StartsWith(std::string_view(data, size), transfer->expectedRequestLine_) ||
          !(transfer->tunnelling_ && StartsWith(std::string_view(data, size), "CONNECT "))) {
        transfer->requestHeadOut_ = true;
      }
      break;
    case CURLINFO_DATA_OUT:
      transfer->Touch();
      if (transfer->requestHeadOut_) transfer->bodyBytesOut_ += size;
      break;
    case CURLINFO_HEADER_IN:
    case CURLINFO_DATA_IN:
    case CURLINFO_SSL_DATA_IN:
    case CURLINFO_SSL_DATA_OUT:
      transfer->Touch();
      break;
    default:
      break;
  }
  return 0;
}

void CurlTransfer::Finish(CURLcode code) {
  if (!finished_) {
    finished_ = true;
    result_ = code;
  }
  if (attached_) {
    curl_multi_remove_handle(multi_, easy_);
    attached_ = false;
  }
}

void CurlTransfer::OnHopDone(CURLcode code) {
  if (attached_) {
    curl_multi_remove_handle(multi_, easy_);
    attached_ = false;
  }
  if (redirectFailed_) {
    Finish(CURLE_TOO_MANY_REDIRECTS);
  } else if (code == CURLE_OK && nextHop_) {
    Hop next = *nextHop_;
    if (!StartHop(next)) Finish(CURLE_FAILED_INIT);
  } else if (code == CURLE_OK && !finalHeadDone_) {
    Finish(CURLE_GOT_NOTHING);
  } else {
    Finish(code);
  }
}

int CurlTransfer::InactivityLimitMs() const {
  // Until the request head is out, libcurl's connect time-out governs.
  if (!requestHeadOut_) return 0;
  if (bodyBytesOut_ < hopBodySize_) return settings_.sendTimeoutMs;
  return settings_.receiveTimeoutMs;
}

template <typename Done>
void CurlTransfer::Drive(Done done) {
  Touch();
  while (!done() && !finished_) {
    int running = 0;
    if (curl_multi_perform(multi_, &running) != CURLM_OK) {
      Finish(CURLE_RECV_ERROR);
      break;
    }
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
      if (message->msg == CURLMSG_DONE && message->easy_handle == easy_) {
        OnHopDone(message->data.result);
      }
    }
    if (done() || finished_) break;
    // No byte moved for longer than the phase allows: give up.
    int waitMs = 1000;
    int limit = InactivityLimitMs();
    if (limit > 0) {
      auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - lastActivity_)
                      .count();
      if (idle >= limit) {
        Finish(CURLE_OPERATION_TIMEDOUT);
        break;
      }
      waitMs = std::min<int>(waitMs, static_cast<int>(limit - idle));
    }
    curl_multi_poll(multi_, nullptr, 0, std::max(waitMs, 1), nullptr);
  }
}

bool CurlTransfer::Send() {
  if (setupFailed_ || started_) return false;
  started_ = true;
  if (!StartHop(first_)) {
    Finish(CURLE_FAILED_INIT);
    return false;
  }
  auto requestSent = [&] {
    return (requestHeadOut_ && bodyBytesOut_ >= hopBodySize_) || responseStarted_;
  };
  Drive(requestSent);
  sent_ = requestSent() || (finished_ && result_ == CURLE_OK);
  return sent_;
}

bool CurlTransfer::Receive() {
  if (!sent_) return false;
  Drive([&] { return finalHeadDone_; });
  return finalHeadDone_;
}

CurlTransfer::BodyState CurlTransfer::WaitForBody() {
  if (!finalHeadDone_) return BodyState::kError;
  if (Buffered() == 0) Drive([&] { return Buffered() > 0; });
  if (Buffered() > 0) return BodyState::kData;
  return finished_ && result_ == CURLE_OK ? BodyState::kEnd : BodyState::kError;
}

std::size_t CurlTransfer::Take(void* out, std::size_t count) {
  std::size_t n = std::min(count, Buffered());
  if (n > 0) std::memcpy(out, buffer_.data() + readPos_, n);
  readPos_ += n;
  if (readPos_ == buffer_.size()) {
    buffer_.clear();
    readPos_ = 0;
  } else if (readPos_ > 65536 && readPos_ > buffer_.size() / 2) {
    buffer_.erase(0, readPos_);
    readPos_ = 0;
  }
  return n;
}

}  // namespace platform::winhttp
