// The WinHTTP-style call set on libcurl. Handles are objects of this file,
// known by a registry, so a stale, foreign or closed handle fails cleanly
// instead of being used. Each handle copies what it needs from its parent
// when opened, so handles may be closed in any order. Calls on one request
// handle must not run on two threads at once; different handles are
// independent.

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/winhttp/curl_transfer.h"
#include "platform/winhttp/header_block.h"
#include "platform/winhttp/proxy_list.h"
#include "platform/winhttp/request_target.h"
#include "platform/winhttp/url_cracker.h"
#include "platform/winhttp/utf16_text.h"
#include "platform/winhttp/winhttp_api.h"

namespace platform::winhttp {
namespace {

struct Timeouts {
  // Milliseconds, 0 for no limit. The defaults of the system service:
  // name resolution unlimited, connect 60 s, send and receive 30 s each.
  int resolve = 0;
  int connect = 60000;
  int send = 30000;
  int receive = 30000;
};

struct SessionState {
  std::string userAgent;
  std::vector<ProxyEntry> proxies;
  Timeouts timeouts;
};

struct Handle {
  enum class Kind { kSession, kConnection, kRequest };
  explicit Handle(Kind k) : kind(k) {}
  virtual ~Handle() = default;
  Kind kind;
};

struct Session : Handle {
  Session() : Handle(Kind::kSession) {}
  SessionState state;
};

struct Connection : Handle {
  Connection() : Handle(Kind::kConnection) {}
  SessionState session;
  std::string host;
  INTERNET_PORT port = 0;  // 0: the scheme's default, chosen per request
};

struct Request : Handle {
  Request() : Handle(Kind::kRequest) {}
  TransferSettings settings;
  Timeouts timeouts;
  HeaderBlock headers;
  std::unique_ptr<CurlTransfer> transfer;
  bool received = false;
};

// A host name as it may stand in a URL: no blanks, controls or URL
// delimiters; an IPv6 literal gets its brackets.
std::optional<std::string> UrlHost(std::u16string_view name) {
  std::string host = Utf16ToUtf8(name);
  if (host.empty()) return std::nullopt;
  for (char c : host) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte <= ' ' || byte == 0x7F || c == '/' || c == '?' || c == '#' || c == '@' || c == '\\') {
      return std::nullopt;
    }
  }
  bool bracketed = host.front() == '[';
  if (bracketed != (host.back() == ']')) return std::nullopt;
  if (host.find(':') != std::string::npos && !bracketed) {
    // Only an IPv6 literal may contain colons.
    for (char c : host) {
      bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
      if (!hex && c != ':' && c != '.') return std::nullopt;
    }
    host = "[" + host + "]";
  }
  return host;
}

std::optional<Credentials> MakeCredentials(LPCWSTR userName, LPCWSTR password) {
  if (userName == nullptr || password == nullptr) return std::nullopt;
  return Credentials{Utf16ToUtf8(NulTerminatedView(userName)),
                     Utf16ToUtf8(NulTerminatedView(password))};
}

// A time-out value: -1 and 0 mean no limit, other negatives are invalid.
bool ValidTimeout(int value) { return value >= -1; }
int Limit(int value) { return value > 0 ? value : 0; }

class CurlWinHttp final : public WinHttpApi {
 public:
  CurlWinHttp() { globalOk_ = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; }

  BOOL WinHttpCheckPlatform() override { return globalOk_ ? kTrue : kFalse; }

  BOOL WinHttpCrackUrl(LPCWSTR url, DWORD urlLength, DWORD flags,
                       URL_COMPONENTS* components) override {
    return CrackUrl(url, urlLength, flags, components);
  }

  HINTERNET WinHttpOpen(LPCWSTR userAgent, DWORD accessType, LPCWSTR proxyName, LPCWSTR proxyBypass,
                        DWORD flags) override {
    if (!globalOk_ || flags != 0) return nullptr;  // asynchronous sessions: not offered
    // A bypass list is not supported; failing beats ignoring it silently.
    if (!NulTerminatedView(proxyBypass).empty()) return nullptr;
    auto session = std::make_unique<Session>();
    session->state.userAgent = Utf16ToUtf8(NulTerminatedView(userAgent));
    if (accessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY) {
      auto proxies = ParseProxyList(NulTerminatedView(proxyName));
      if (!proxies) return nullptr;
      session->state.proxies = std::move(*proxies);
    } else if (accessType != WINHTTP_ACCESS_TYPE_NO_PROXY &&
               // There is no system proxy setting here (and the environment
               // is never read), so the default is a direct connection.
               accessType != WINHTTP_ACCESS_TYPE_DEFAULT_PROXY) {
      return nullptr;
    }
    return Register(std::move(session));
  }

  HINTERNET WinHttpConnect(HINTERNET sessionHandle, LPCWSTR serverName, INTERNET_PORT serverPort,
                           DWORD reserved) override {
    std::lock_guard<std::mutex> lock(mutex_);
    auto* session = Find<Session>(sessionHandle, Handle::Kind::kSession);
    if (session == nullptr || reserved != 0) return nullptr;
    std::optional<std::string> host = UrlHost(NulTerminatedView(serverName));
    if (!host) return nullptr;
    auto connection = std::make_unique<Connection>();
    connection->session = session->state;
    connection->host = std::move(*host);
    connection->port = serverPort;
    return RegisterLocked(std::move(connection));
  }

  HINTERNET WinHttpOpenRequest(HINTERNET connectionHandle, LPCWSTR verb, LPCWSTR objectName,
                               LPCWSTR version, LPCWSTR referrer, LPCWSTR* acceptTypes,
                               DWORD flags) override {
    std::lock_guard<std::mutex> lock(mutex_);
    auto* connection = Find<Connection>(connectionHandle, Handle::Kind::kConnection);
    if (connection == nullptr || (flags & ~WINHTTP_FLAG_SECURE) != 0) return nullptr;
    auto request = std::make_unique<Request>();
    TransferSettings& settings = request->settings;
    settings.secure = (flags & WINHTTP_FLAG_SECURE) != 0;
    settings.host = connection->host;
    settings.port = connection->port != 0 ? connection->port
                    : settings.secure     ? INTERNET_DEFAULT_HTTPS_PORT
                                          : INTERNET_DEFAULT_HTTP_PORT;
    std::u16string_view verbText = NulTerminatedView(verb);
    settings.verb = verbText.empty() ? "GET" : Utf16ToUtf8(verbText);
    for (char c : settings.verb) {
      unsigned char byte = static_cast<unsigned char>(c);
      if (byte <= ' ' || byte >= 0x7F) return nullptr;  // a verb is one plain token
    }
    std::u16string_view versionText = NulTerminatedView(version);
    if (versionText == u"HTTP/1.0") {
      settings.http10 = true;
    } else if (!versionText.empty() && versionText != u"HTTP/1.1") {
      return nullptr;
    }
    settings.target = WireTarget(NulTerminatedView(objectName));
    settings.userAgent = connection->session.userAgent;
    settings.proxies = connection->session.proxies;
    request->timeouts = connection->session.timeouts;
    std::u16string lines;
    if (!NulTerminatedView(referrer).empty()) {
      lines += u"Referer: " + std::u16string(NulTerminatedView(referrer)) + u"\r\n";
    }
    if (acceptTypes != nullptr) {
      std::u16string accept;
      for (LPCWSTR* type = acceptTypes; *type != nullptr; ++type) {
        if (!accept.empty()) accept += u", ";
        accept += NulTerminatedView(*type);
      }
      if (!accept.empty()) lines += u"Accept: " + accept + u"\r\n";
    }
    if (!lines.empty() && !request->headers.Add(lines, WINHTTP_ADDREQ_FLAG_ADD)) return nullptr;
    return RegisterLocked(std::move(request));
  }

  BOOL WinHttpSetTimeouts(HINTERNET handle, int resolveTimeout, int connectTimeout, int sendTimeout,
                          int receiveTimeout) override {
    if (!ValidTimeout(resolveTimeout) || !ValidTimeout(connectTimeout) ||
        !ValidTimeout(sendTimeout) || !ValidTimeout(receiveTimeout)) {
      return kFalse;
    }
    Timeouts timeouts{Limit(resolveTimeout), Limit(connectTimeout), Limit(sendTimeout),
                      Limit(receiveTimeout)};
    std::lock_guard<std::mutex> lock(mutex_);
    if (auto* session = Find<Session>(handle, Handle::Kind::kSession)) {
      session->state.timeouts = timeouts;
      return kTrue;
    }
    auto* request = Find<Request>(handle, Handle::Kind::kRequest);
    if (request == nullptr || request->transfer) return kFalse;
    request->timeouts = timeouts;
    return kTrue;
  }

  BOOL WinHttpSetCredentials(HINTERNET handle, DWORD authTargets, DWORD authScheme,
                             LPCWSTR userName, LPCWSTR password, void* authParams) override {
    std::lock_guard<std::mutex> lock(mutex_);
    auto* request = Find<Request>(handle, Handle::Kind::kRequest);
    if (request == nullptr || request->transfer || authScheme != WINHTTP_AUTH_SCHEME_BASIC ||
        authParams != nullptr) {
      return kFalse;
    }
    std::optional<Credentials> credentials = MakeCredentials(userName, password);
    if (!credentials) return kFalse;
    if (authTargets == WINHTTP_AUTH_TARGET_SERVER) {
      request->settings.serverCredentials = std::move(credentials);
    } else if (authTargets == WINHTTP_AUTH_TARGET_PROXY) {
      request->settings.proxyCredentials = std::move(credentials);
    } else {
      return kFalse;
    }
    return kTrue;
  }

  BOOL WinHttpSetOption(HINTERNET handle, DWORD option, void* buffer, DWORD bufferLength) override {
    std::lock_guard<std::mutex> lock(mutex_);
    auto* request = Find<Request>(handle, Handle::Kind::kRequest);
    if (request == nullptr || request->transfer || buffer == nullptr ||
        bufferLength != sizeof(DWORD)) {
      return kFalse;
    }
    DWORD value;
    std::memcpy(&value, buffer, sizeof value);
    if (option == WINHTTP_OPTION_DISABLE_FEATURE) {
      constexpr DWORD kKnown = WINHTTP_DISABLE_COOKIES | WINHTTP_DISABLE_REDIRECTS;
      if (value == 0 || (value & ~kKnown) != 0) return kFalse;
      if (value & WINHTTP_DISABLE_COOKIES) request->settings.cookiesDisabled = true;
      if (value & WINHTTP_DISABLE_REDIRECTS) request->settings.redirectsDisabled = true;
      return kTrue;
    }
    if (option == WINHTTP_OPTION_ENABLE_FEATURE) {
      // Accepted; certificate revocation is not checked (libcurl's default).
      return value == WINHTTP_ENABLE_SSL_REVOCATION ? kTrue : kFalse;
    }
    return kFalse;
  }

  BOOL WinHttpAddRequestHeaders(HINTERNET handle, LPCWSTR headers, DWORD headersLength,
                                DWORD modifiers) override {
    std::lock_guard<std::mutex> lock(mutex_);
    auto* request = Find<Request>(handle, Handle::Kind::kRequest);
    if (request == nullptr || request->transfer || headers == nullptr) return kFalse;
    std::u16string_view block = headersLength == static_cast<DWORD>(-1)
                                    ? std::u16string_view(headers)
                                    : std::u16string_view(headers, headersLength);
    if (block.find(u'\0') != std::u16string_view::npos) return kFalse;
    return request->headers.Add(block, modifiers) ? kTrue : kFalse;
  }

  BOOL WinHttpSendRequest(HINTERNET handle, LPCWSTR headers, DWORD headersLength, void* optional,
                          DWORD optionalLength, DWORD totalLength,
                          std::uintptr_t context) override {
    Request* request;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      request = Find<Request>(handle, Handle::Kind::kRequest);
      if (request == nullptr || request->transfer) return kFalse;
      // The whole body comes with this call; there is no later write call.
      if (totalLength != optionalLength || (optional == nullptr && optionalLength != 0)) {
        return kFalse;
      }
      if (headers != nullptr && headersLength != 0) {
        std::u16string_view block = headersLength == static_cast<DWORD>(-1)
                                        ? std::u16string_view(headers)
                                        : std::u16string_view(headers, headersLength);
        if (block.find(u'\0') != std::u16string_view::npos ||
            !request->headers.Add(block, WINHTTP_ADDREQ_FLAG_ADD)) {
          return kFalse;
        }
      }
      TransferSettings& settings = request->settings;
      settings.headers = request->headers.lines();
      if (optionalLength != 0) {
        settings.body.assign(static_cast<const char*>(optional), optionalLength);
      }
      const Timeouts& t = request->timeouts;
      settings.connectTimeoutMs = t.connect > 0 ? t.connect : t.resolve;
      settings.sendTimeoutMs = t.send;
      settings.receiveTimeoutMs = t.receive;
      request->transfer = std::make_unique<CurlTransfer>(settings);
    }
    // The network part runs without the registry lock.
    return request->transfer->Send() ? kTrue : kFalse;
  }

  BOOL WinHttpReceiveResponse(HINTERNET handle, void* reserved) override {
    Request* request = FindRequestWithTransfer(handle);
    if (request == nullptr || reserved != nullptr || request->received) return kFalse;
    request->received = request->transfer->Receive();
    return request->received ? kTrue : kFalse;
  }

  BOOL WinHttpQueryDataAvailable(HINTERNET handle, DWORD* bytesAvailable) override {
    Request* request = FindRequestWithTransfer(handle);
    if (request == nullptr || !request->received || bytesAvailable == nullptr) return kFalse;
    switch (request->transfer->WaitForBody()) {
      case CurlTransfer::BodyState::kData:
        *bytesAvailable =
            static_cast<DWORD>(std::min<std::size_t>(request->transfer->Buffered(), 0x7FFFFFFF));
        return kTrue;
      case CurlTransfer::BodyState::kEnd:
        *bytesAvailable = 0;
        return kTrue;
      case CurlTransfer::BodyState::kError:
        // The exchange broke after the bytes delivered so far. One byte is
        // reported pending so that the caller's read call reports the
        // break; ending here would pass a cut body off as complete.
        *bytesAvailable = 1;
        return kTrue;
    }
    return kFalse;
  }

  BOOL WinHttpReadData(HINTERNET handle, void* buffer, DWORD bytesToRead,
                       DWORD* bytesRead) override {
    Request* request = FindRequestWithTransfer(handle);
    if (request == nullptr || !request->received || bytesRead == nullptr ||
        (buffer == nullptr && bytesToRead != 0)) {
      return kFalse;
    }
    *bytesRead = 0;
    if (bytesToRead == 0) return kTrue;
    switch (request->transfer->WaitForBody()) {
      case CurlTransfer::BodyState::kData:
        *bytesRead = static_cast<DWORD>(request->transfer->Take(buffer, bytesToRead));
        return kTrue;
      case CurlTransfer::BodyState::kEnd:
        return kTrue;
      case CurlTransfer::BodyState::kError:
        return kFalse;
    }
    return kFalse;
  }

  BOOL WinHttpQueryHeaders(HINTERNET handle, DWORD infoLevel, LPCWSTR name, void* buffer,
                           DWORD* bufferLength, DWORD* index) override {
    Request* request = FindRequestWithTransfer(handle);
    if (request == nullptr || !request->received || bufferLength == nullptr ||
        infoLevel != WINHTTP_QUERY_RAW_HEADERS_CRLF || (index != nullptr && *index != 0)) {
      return kFalse;
    }
    // The status line and each header line end in CRLF, then the empty line.
    std::u16string text;
    for (const std::string& line : request->transfer->ResponseHead()) {
      text += BytesToUtf16(line);
      text += u"\r\n";
    }
    text += u"\r\n";
    std::size_t needed = (text.size() + 1) * sizeof(char16_t);
    if (needed > 0xFFFFFFFFu) return kFalse;
    if (buffer == nullptr || *bufferLength < needed) {
      *bufferLength = static_cast<DWORD>(needed);
      return kFalse;
    }
    std::memcpy(buffer, text.c_str(), needed);
    *bufferLength = static_cast<DWORD>(needed - sizeof(char16_t));
    if (index != nullptr) *index = 1;
    return kTrue;
  }

  BOOL WinHttpCloseHandle(HINTERNET handle) override {
    if (handle == nullptr) return kFalse;
    std::unique_ptr<Handle> closed;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto found = handles_.find(handle);
      if (found == handles_.end()) return kFalse;
      closed = std::move(found->second);
      handles_.erase(found);
    }
    return kTrue;  // `closed` frees the handle and its transfer here
  }

 private:
  template <typename T>
  T* Find(HINTERNET handle, Handle::Kind kind) {
    auto found = handles_.find(handle);
    if (found == handles_.end() || found->second->kind != kind) return nullptr;
    return static_cast<T*>(found->second.get());
  }

  Request* FindRequestWithTransfer(HINTERNET handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto* request = Find<Request>(handle, Handle::Kind::kRequest);
    return request != nullptr && request->transfer ? request : nullptr;
  }

  HINTERNET Register(std::unique_ptr<Handle> handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    return RegisterLocked(std::move(handle));
  }

  HINTERNET RegisterLocked(std::unique_ptr<Handle> handle) {
    HINTERNET key = handle.get();
    handles_.emplace(key, std::move(handle));
    return key;
  }

  bool globalOk_ = false;
  std::mutex mutex_;
  std::unordered_map<HINTERNET, std::unique_ptr<Handle>> handles_;
};

}  // namespace

WinHttpApi& SystemWinHttp() {
  // Built once, thread-safely; libcurl's global set-up runs with it.
  static CurlWinHttp instance;
  return instance;
}

}  // namespace platform::winhttp
