#pragma once
// Turning FetchPage's inputs into the pieces of one request: the connection
// target cracked from the URL, the verb, the request target, the proxy
// settings, the header block and the time-out.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/winhttp/winhttp_api.h"
#include "text/text_types.h"

// Where the request goes, as cracked from the URL.
struct RequestTarget {
  Text host;               // code page 936
  std::uint16_t port = 0;  // the scheme's default when the URL names none
  bool secure = false;     // https
  std::u16string object;   // path and extra info, UTF-16 as in the URL; "/" at least
};

// Cracks `url` with the call set's URL cracker. False when the cracker fails
// or hands back components that do not lie inside the URL.
bool CrackRequestUrl(platform::winhttp::WinHttpApi& api, const Text& url, RequestTarget& target);

struct ProxySettings {
  std::uint32_t accessType = 0;  // WINHTTP_ACCESS_TYPE_NO_PROXY or _NAMED_PROXY
  std::u16string proxyName;      // empty for a direct connection
};

// A non-empty proxy serves every scheme for a secure URL and only "http"
// otherwise.
ProxySettings ComposeProxy(const Text& proxy, bool secure);

// "GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE" or "CONNECT" for
// methods 0 to 7; "GET" for any other value.
Text RequestVerb(std::int32_t method);

// The caller's header lines followed by every default line whose key the
// block does not already contain, each line ending in "\r\n".
Text ComposeHeaderBlock(const Text& extraHeaders, std::int32_t method,
                        const std::optional<Text>& cookies);

// The time-out of every phase in milliseconds: 30 s for 0 or less, and at
// most the largest value an int holds.
int TimeoutMilliseconds(std::int32_t timeoutSeconds);

// Text in code page 936 as UTF-16 code units (no terminator in the string;
// c_str() supplies one), and back.
std::u16string ToWide(const Text& text);
Text FromWide(const char16_t* units, std::size_t count);
