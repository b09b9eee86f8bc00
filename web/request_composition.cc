#include "web/request_composition.h"

#include <climits>
#include <cstddef>

#include "text/encoding.h"
#include "text/text.h"

namespace wh = platform::winhttp;

std::u16string ToWide(const Text& text) {
  const Bytes wide = AnsiToUtf16(text, /*dropTerminator=*/true);
  std::u16string units;
  units.reserve(wide.size() / 2);
  for (std::size_t i = 0; i + 1 < wide.size(); i += 2) {
    const char16_t unit = static_cast<char16_t>(wide[i] | (wide[i + 1] << 8));
    if (unit == 0) break;
    units.push_back(unit);
  }
  return units;
}

Text FromWide(const char16_t* units, std::size_t count) {
  Bytes wide;
  wide.reserve(count * 2);
  for (std::size_t i = 0; i < count; ++i) {
    wide.push_back(static_cast<std::uint8_t>(units[i] & 0xFF));
    wide.push_back(static_cast<std::uint8_t>(units[i] >> 8));
  }
  return Utf16ToAnsi(wide);
}

namespace {

// True when [component, component + length) lies inside the URL's units.
bool InsideUrl(const char16_t* component, wh::DWORD length, const std::u16string& url) {
  if (length == 0) return true;
  if (component == nullptr) return false;
  const char16_t* begin = url.data();
  const char16_t* end = begin + url.size();
  if (component < begin || component > end) return false;
  return length <= static_cast<std::size_t>(end - component);
}

}  // namespace

bool CrackRequestUrl(wh::WinHttpApi& api, const Text& url, RequestTarget& target) {
  const std::u16string wideUrl = ToWide(url);
  wh::URL_COMPONENTS components{};
  components.dwStructSize = sizeof(components);
  components.dwSchemeLength = static_cast<wh::DWORD>(-1);
  components.dwHostNameLength = static_cast<wh::DWORD>(-1);
  components.dwUrlPathLength = static_cast<wh::DWORD>(-1);
  components.dwExtraInfoLength = static_cast<wh::DWORD>(-1);
  if (!api.WinHttpCrackUrl(wideUrl.c_str(), static_cast<wh::DWORD>(wideUrl.size()), 0,
                           &components)) {
    return false;
  }
  if (!InsideUrl(components.lpszHostName, components.dwHostNameLength, wideUrl) ||
      !InsideUrl(components.lpszUrlPath, components.dwUrlPathLength, wideUrl) ||
      !InsideUrl(components.lpszExtraInfo, components.dwExtraInfoLength, wideUrl)) {
    return false;
  }

  // The host travels as code-page-936 Text until the connect call.
  target.host = FromWide(components.lpszHostName, components.dwHostNameLength);
  target.port = components.nPort;
  target.secure = components.nScheme == wh::INTERNET_SCHEME_HTTPS;

  // The path and the extra info (query and fragment, as the cracker split
  // them) stay UTF-16 and go on together. An empty path becomes "/" and keeps
  // the extra info ("http://host?a=1" asks for "/?a=1").
  if (components.dwUrlPathLength < 1) {
    target.object = u"/";
  } else {
    target.object.assign(components.lpszUrlPath, components.dwUrlPathLength);
  }
  if (components.dwExtraInfoLength > 0) {
    target.object.append(components.lpszExtraInfo, components.dwExtraInfoLength);
  }
  return true;
}

ProxySettings ComposeProxy(const Text& proxy, bool secure) {
  ProxySettings settings;
  if (TextLength(proxy) == 0) {
    settings.accessType = wh::WINHTTP_ACCESS_TYPE_NO_PROXY;
    return settings;
  }
  settings.accessType = wh::WINHTTP_ACCESS_TYPE_NAMED_PROXY;
  settings.proxyName = ToWide(secure ? proxy : ConcatText("http=", proxy));
  return settings;
}

Text RequestVerb(std::int32_t method) {
  static constexpr const char* kVerbs[] = {"GET",     "POST",   "HEAD",  "PUT",
                                           "OPTIONS", "DELETE", "TRACE", "CONNECT"};
  if (method < 0 || method > 7) return "GET";
  return kVerbs[method];
}

Text ComposeHeaderBlock(const Text& extraHeaders, std::int32_t method,
                        const std::optional<Text>& cookies) {
  Text block;
  if (TextLength(extraHeaders) > 0) block = ConcatText(extraHeaders, "\r\n");

  // A default line goes in only when its key appears nowhere in the block so
  // far; every key but "Content-Type:" is matched ignoring case.
  const auto addUnlessPresent = [&block](const Text& key, bool ignoreCase, const Text& line) {
    if (FindText(block, key, 1, ignoreCase) == -1) block = ConcatText(block, line);
  };
  addUnlessPresent("User-Agent: ", true,
                   "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; "
                   "Trident/5.0)\r\n");
  addUnlessPresent("Accept: ", true, "Accept: text/html, application/xhtml+xml, */*\r\n");
  addUnlessPresent("Accept-Encoding: ", true, "Accept-Encoding: gbk, GB2312\r\n");
  addUnlessPresent("Accept-Language: ", true, "Accept-Language: zh-cn\r\n");
  if (method == 1) {
    addUnlessPresent("Content-Type:", false, "Content-Type: application/x-www-form-urlencoded\r\n");
  }
  addUnlessPresent("Cache-Control: ", true, "Cache-Control: no-cache\r\n");
  if (cookies.has_value() && TextLength(*cookies) > 0) {
    addUnlessPresent("Cookie: ", true, ConcatText("Cookie: ", *cookies, "\r\n"));
  }
  return block;
}

int TimeoutMilliseconds(std::int32_t timeoutSeconds) {
  if (timeoutSeconds <= 0) return 30000;
  if (timeoutSeconds > INT_MAX / 1000) return INT_MAX;
  return timeoutSeconds * 1000;
}
