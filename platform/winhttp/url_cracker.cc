#include "platform/winhttp/url_cracker.h"

#include <cstddef>
#include <string_view>

namespace platform::winhttp {
namespace {

struct Span {
  std::size_t start = 0;
  std::size_t length = 0;
  bool present = false;
};

char16_t LowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c; }

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// Hands one component to the caller as the URL_COMPONENTS rules say.
bool Deliver(std::u16string_view url, const Span& span, LPWSTR& pointer, DWORD& length) {
  if (length == 0) return true;  // not asked for
  if (pointer == nullptr) {
    // The pointer into the caller's string; an absent component points where
    // it would start, with length 0.
    pointer = const_cast<LPWSTR>(url.data()) + span.start;
    length = static_cast<DWORD>(span.length);
    return true;
  }
  if (length <= span.length) {
    length = static_cast<DWORD>(span.length + 1);
    return false;
  }
  for (std::size_t i = 0; i < span.length; ++i) pointer[i] = url[span.start + i];
  pointer[span.length] = u'\0';
  length = static_cast<DWORD>(span.length);
  return true;
}

}  // namespace

BOOL CrackUrl(LPCWSTR url, DWORD urlLength, DWORD flags, URL_COMPONENTS* components) {
  if (url == nullptr || components == nullptr || flags != 0) return kFalse;
  if (components->dwStructSize != sizeof(URL_COMPONENTS)) return kFalse;
  std::u16string_view text =
      urlLength == 0 ? std::u16string_view(url) : std::u16string_view(url, urlLength);
  if (text.find(u'\0') != std::u16string_view::npos) return kFalse;

  // Scheme, then "//".
  std::size_t colon = text.find(u':');
  if (colon == std::u16string_view::npos) return kFalse;
  std::u16string_view scheme = text.substr(0, colon);
  int schemeNumber;
  INTERNET_PORT defaultPort;
  if (EqualsIgnoringAsciiCase(scheme, u"http")) {
    schemeNumber = INTERNET_SCHEME_HTTP;
    defaultPort = INTERNET_DEFAULT_HTTP_PORT;
  } else if (EqualsIgnoringAsciiCase(scheme, u"https")) {
    schemeNumber = INTERNET_SCHEME_HTTPS;
    defaultPort = INTERNET_DEFAULT_HTTPS_PORT;
  } else {
    return kFalse;
  }
  if (text.substr(colon + 1, 2) != u"//") return kFalse;

  // The authority runs to the first "/", "?" or "#".
  std::size_t authorityStart = colon + 3;
  std::size_t authorityEnd = text.find_first_of(u"/?#", authorityStart);
  if (authorityEnd == std::u16string_view::npos) authorityEnd = text.size();

  Span user, password;
  std::size_t hostStart = authorityStart;
  std::size_t at = text.substr(authorityStart, authorityEnd - authorityStart).rfind(u'@');
  if (at != std::u16string_view::npos) {
    std::size_t userInfoEnd = authorityStart + at;
    std::size_t passwordColon =
        text.substr(authorityStart, userInfoEnd - authorityStart).find(u':');
    if (passwordColon == std::u16string_view::npos) {
      user = {authorityStart, userInfoEnd - authorityStart, true};
      password = {userInfoEnd, 0, false};
    } else {
      user = {authorityStart, passwordColon, true};
      password = {authorityStart + passwordColon + 1,
                  userInfoEnd - authorityStart - passwordColon - 1, true};
    }
    hostStart = userInfoEnd + 1;
  } else {
    user = {hostStart, 0, false};
    password = {hostStart, 0, false};
  }

  // Host, then an optional ":port". A bracketed IPv6 literal keeps its
  // brackets and its colons.
  std::size_t hostEnd = authorityEnd;
  std::size_t portStart = std::u16string_view::npos;
  if (hostStart < authorityEnd && text[hostStart] == u'[') {
    std::size_t close = text.substr(hostStart, authorityEnd - hostStart).find(u']');
    if (close == std::u16string_view::npos) return kFalse;
    hostEnd = hostStart + close + 1;
    if (hostEnd < authorityEnd) {
      if (text[hostEnd] != u':') return kFalse;
      portStart = hostEnd + 1;
    }
  } else {
    std::size_t portColon = text.substr(hostStart, authorityEnd - hostStart).rfind(u':');
    if (portColon != std::u16string_view::npos) {
      hostEnd = hostStart + portColon;
      portStart = hostEnd + 1;
    }
  }
  if (hostEnd == hostStart) return kFalse;
  for (std::size_t i = hostStart; i < hostEnd; ++i) {
    if (text[i] <= u' ' || text[i] == 0x7F) return kFalse;
  }

  INTERNET_PORT port = defaultPort;
  if (portStart != std::u16string_view::npos && portStart < authorityEnd) {
    std::uint32_t value = 0;
    for (std::size_t i = portStart; i < authorityEnd; ++i) {
      if (text[i] < u'0' || text[i] > u'9') return kFalse;
      value = value * 10 + static_cast<std::uint32_t>(text[i] - u'0');
      if (value > 65535) return kFalse;
    }
    if (value == 0) return kFalse;
    port = static_cast<INTERNET_PORT>(value);
  }

  // Path up to the extra info; the extra info from the first "?" or, when
  // there is none, the first "#".
  std::size_t extraStart = text.find(u'?', authorityEnd);
  if (extraStart == std::u16string_view::npos) extraStart = text.find(u'#', authorityEnd);
  if (extraStart == std::u16string_view::npos) extraStart = text.size();
  Span schemeSpan{0, colon, true};
  Span hostSpan{hostStart, hostEnd - hostStart, true};
  Span pathSpan{authorityEnd, extraStart - authorityEnd, true};
  Span extraSpan{extraStart, text.size() - extraStart, true};

  // Deliver every component even when one buffer is too small, so each
  // length field tells its own size.
  bool ok = true;
  ok &= Deliver(text, schemeSpan, components->lpszScheme, components->dwSchemeLength);
  ok &= Deliver(text, hostSpan, components->lpszHostName, components->dwHostNameLength);
  ok &= Deliver(text, user, components->lpszUserName, components->dwUserNameLength);
  ok &= Deliver(text, password, components->lpszPassword, components->dwPasswordLength);
  ok &= Deliver(text, pathSpan, components->lpszUrlPath, components->dwUrlPathLength);
  ok &= Deliver(text, extraSpan, components->lpszExtraInfo, components->dwExtraInfoLength);
  components->nScheme = schemeNumber;
  components->nPort = port;
  return ok ? kTrue : kFalse;
}

}  // namespace platform::winhttp
