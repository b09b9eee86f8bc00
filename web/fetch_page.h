#pragma once
// FetchPage: the program's one road to the network. Fetches one URL through
// the WinHTTP-style call set and returns the body as Text in code page 936.

#include <cstdint>
#include <optional>

#include "text/text_types.h"

namespace platform::winhttp {
class WinHttpApi;
}

// Optional inputs and outputs of FetchPage. Inputs keep their defaults when
// not set; outputs are written only on the paths that write them and keep
// their value otherwise.
struct FetchOptions {
  std::int32_t method = 0;          // in: 0 GET, 1 POST, 2 HEAD, 3 PUT, 4 OPTIONS,
                                    //     5 DELETE, 6 TRACE, 7 CONNECT; else GET
  Text body;                        // in
  std::optional<Text> cookies;      // in, and out after a merge; absent != empty
  Text newCookies;                  // out: must be empty on entry
  Text extraHeaders;                // in: lines separated by "\r\n", no trailing one
  Text responseHeaders;             // out
  bool noRedirects = false;         // in
  Text userName;                    // in
  Text password;                    // in
  Text proxy;                       // in: host[:port]; empty means direct
  Text proxyUserName;               // in
  Text proxyPassword;               // in
  std::int32_t timeoutSeconds = 0;  // in: 0 or less means 30 seconds
  Text location;                    // out
  Text status;                      // out: status text or a numbered error text
  Bytes responseBytes;              // out
  bool mergeCookies = true;         // in
};

Text FetchPage(const Text& url, FetchOptions& options);
// A GET with every option left at its default.
Text FetchPage(const Text& url);
// The same routine over a given call set (tests pass scripted calls).
Text FetchPageVia(platform::winhttp::WinHttpApi& api, const Text& url, FetchOptions& options);
