#include "web/fetch_transfer.h"

#include <algorithm>
#include <string>

#include "text/encoding.h"
#include "text/text.h"
#include "web/cookie_merge.h"
#include "web/fetch_errors.h"
#include "web/request_composition.h"
#include "web/response_decoding.h"
#include "web/response_headers.h"

namespace wh = platform::winhttp;

namespace {

// The three handles of one transfer. Each stays null until its open call
// succeeds; closing goes request, connection, session and skips null ones.
class TransferHandles {
 public:
  explicit TransferHandles(wh::WinHttpApi& api) : api_(api) {}
  ~TransferHandles() { CloseAll(); }
  TransferHandles(const TransferHandles&) = delete;
  TransferHandles& operator=(const TransferHandles&) = delete;

  void CloseAll() {
    Close(request);
    Close(connection);
    Close(session);
  }

  wh::HINTERNET session = nullptr;
  wh::HINTERNET connection = nullptr;
  wh::HINTERNET request = nullptr;

 private:
  void Close(wh::HINTERNET& handle) {
    if (handle == nullptr) return;
    api_.WinHttpCloseHandle(handle);
    handle = nullptr;
  }
  wh::WinHttpApi& api_;
};

bool BothSet(const Text& first, const Text& second) {
  return TextLength(first) > 0 && TextLength(second) > 0;
}

bool SetCredentials(wh::WinHttpApi& api, wh::HINTERNET request, wh::DWORD target,
                    const Text& userName, const Text& password) {
  const std::u16string wideUser = ToWide(userName);
  const std::u16string widePassword = ToWide(password);
  return api.WinHttpSetCredentials(request, target, wh::WINHTTP_AUTH_SCHEME_BASIC, wideUser.c_str(),
                                   widePassword.c_str(), nullptr) != 0;
}

bool SetDwordOption(wh::WinHttpApi& api, wh::HINTERNET request, wh::DWORD option, wh::DWORD value) {
  return api.WinHttpSetOption(request, option, &value, sizeof(value)) != 0;
}

// Reads the body in the chunk sizes the service reports. Each chunk is read
// straight into zero bytes at the end of the accumulator, which keeps what
// the read reports and no more. A failed read puts the 713 text into
// `status` and keeps what arrived before it.
Bytes ReadBody(wh::WinHttpApi& api, wh::HINTERNET request, Text& status) {
  Bytes body;
  for (;;) {
    wh::DWORD available = 0;
    if (!api.WinHttpQueryDataAvailable(request, &available) || available < 1) break;
    const wh::DWORD wanted = std::min(available, kMaxReadChunkBytes);
    const std::size_t before = body.size();
    body.resize(before + wanted);
    wh::DWORD read = 0;
    if (!api.WinHttpReadData(request, body.data() + before, wanted, &read)) {
      body.resize(before);
      status = FetchErrorText(FetchError::kReadData);
      break;
    }
    body.resize(before + std::min(read, wanted));
    // A successful read of nothing is the end of the body, whatever the
    // availability said; it also keeps a confused service from looping us.
    if (read == 0) break;
  }
  return body;
}

// The raw header text, asked for twice: once for its size, once for the text.
// False when the second call fails or the size is beyond belief.
bool ReadRawHeaders(wh::WinHttpApi& api, wh::HINTERNET request, Text& headers) {
  wh::DWORD needed = 0;
  wh::DWORD index = 0;
  api.WinHttpQueryHeaders(request, wh::WINHTTP_QUERY_RAW_HEADERS_CRLF, nullptr, nullptr, &needed,
                          &index);
  if (needed > kMaxHeaderBytes) return false;
  Bytes buffer = BlankBytes(static_cast<int>(needed));
  wh::DWORD length = needed;
  index = 0;
  if (!api.WinHttpQueryHeaders(request, wh::WINHTTP_QUERY_RAW_HEADERS_CRLF, nullptr,
                               buffer.empty() ? nullptr : buffer.data(), &length, &index)) {
    return false;
  }
  headers = Utf16ToAnsi(buffer);
  return true;
}

}  // namespace

Text TransferPage(wh::WinHttpApi& api, const Text& url, FetchOptions& options, RegexObject& regex) {
  TransferHandles handles(api);
  // Every way out but four closes the handles and then lets the window handle
  // what is waiting; the quiet ones (no platform, credentials, the two
  // options) close and return at once.
  const auto finish = [&handles](Text result) {
    handles.CloseAll();
    PumpEvents();
    return result;
  };
  const auto fail = [&](FetchError error) {
    options.status = FetchErrorText(error);
    return finish(Text());
  };
  const auto failQuietly = [&](FetchError error) {
    options.status = FetchErrorText(error);
    handles.CloseAll();
    return Text();
  };

  if (!api.WinHttpCheckPlatform()) return failQuietly(FetchError::kNoPlatform);

  RequestTarget target;
  if (!CrackRequestUrl(api, url, target)) return fail(FetchError::kCrackUrl);
  const ProxySettings proxy = ComposeProxy(options.proxy, target.secure);

  handles.session = api.WinHttpOpen(nullptr, proxy.accessType, proxy.proxyName.c_str(), nullptr, 0);
  if (handles.session == nullptr) return fail(FetchError::kOpenSession);
  const std::u16string host = ToWide(target.host);
  handles.connection = api.WinHttpConnect(handles.session, host.c_str(), target.port, 0);
  if (handles.connection == nullptr) return fail(FetchError::kConnect);

  const std::u16string verb = ToWide(RequestVerb(options.method));
  handles.request =
      api.WinHttpOpenRequest(handles.connection, verb.c_str(), target.object.c_str(), nullptr,
                             nullptr, nullptr, target.secure ? wh::WINHTTP_FLAG_SECURE : 0);
  if (handles.request == nullptr) return fail(FetchError::kOpenRequest);

  const int timeout = TimeoutMilliseconds(options.timeoutSeconds);
  if (!api.WinHttpSetTimeouts(handles.request, timeout, timeout, timeout, timeout)) {
    return fail(FetchError::kSetTimeouts);
  }

  if (BothSet(options.userName, options.password) &&
      !SetCredentials(api, handles.request, wh::WINHTTP_AUTH_TARGET_SERVER, options.userName,
                      options.password)) {
    return failQuietly(FetchError::kSetCredentials);
  }
  if (BothSet(options.proxyUserName, options.proxyPassword) &&
      !SetCredentials(api, handles.request, wh::WINHTTP_AUTH_TARGET_PROXY, options.proxyUserName,
                      options.proxyPassword)) {
    return failQuietly(FetchError::kSetCredentials);
  }

  // Without caller cookies the service's own cookie handling is switched off;
  // with them, option 79 value 1 is set and the service keeps its handling.
  const bool cookiesPresent = options.cookies.has_value();
  if (!SetDwordOption(
          api, handles.request,
          cookiesPresent ? wh::WINHTTP_OPTION_ENABLE_FEATURE : wh::WINHTTP_OPTION_DISABLE_FEATURE,
          cookiesPresent ? wh::WINHTTP_ENABLE_SSL_REVOCATION : wh::WINHTTP_DISABLE_COOKIES)) {
    return failQuietly(FetchError::kCookieOption);
  }
  if (options.noRedirects &&
      !SetDwordOption(api, handles.request, wh::WINHTTP_OPTION_DISABLE_FEATURE,
                      wh::WINHTTP_DISABLE_REDIRECTS)) {
    return failQuietly(FetchError::kRedirectOption);
  }

  const std::u16string headerBlock =
      ToWide(ComposeHeaderBlock(options.extraHeaders, options.method, options.cookies));
  if (!api.WinHttpAddRequestHeaders(
          handles.request, headerBlock.c_str(), static_cast<wh::DWORD>(headerBlock.size()),
          wh::WINHTTP_ADDREQ_FLAG_ADD | wh::WINHTTP_ADDREQ_FLAG_REPLACE)) {
    return fail(FetchError::kAddHeaders);
  }

  Bytes body = ToBytes(options.body);
  // A body whose length a DWORD cannot state would go out cut short.
  if (body.size() > kMaxBodyBytes) return fail(FetchError::kSendRequest);
  const wh::DWORD bodyLength = static_cast<wh::DWORD>(body.size());
  if (!api.WinHttpSendRequest(handles.request, nullptr, 0, body.empty() ? nullptr : body.data(),
                              bodyLength, bodyLength, 0)) {
    return fail(FetchError::kSendRequest);
  }
  if (!api.WinHttpReceiveResponse(handles.request, nullptr)) {
    return fail(FetchError::kReceiveResponse);
  }

  Bytes received = ReadBody(api, handles.request, options.status);

  Text rawHeaders;
  if (!ReadRawHeaders(api, handles.request, rawHeaders)) return finish(Text());

  ResponseHeaderFields fields = ReadResponseHeaders(rawHeaders);
  options.responseHeaders = std::move(fields.headers);
  options.status = std::move(fields.status);
  // The cookies of this response only, even when the caller left text in the
  // field from an earlier fetch.
  options.newCookies = std::move(fields.cookies);
  if (fields.location.has_value()) options.location = std::move(*fields.location);
  // Looked at afresh: the window handlers that ran after each header line may
  // have given or taken the caller's cookie text.
  if (options.mergeCookies && options.cookies.has_value()) {
    options.newCookies = MergeCookies(*options.cookies, options.newCookies);
  }
  options.responseBytes = std::move(received);
  return finish(DecodeResponseBody(options.responseBytes, regex));
}
