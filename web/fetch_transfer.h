#pragma once
// The transfer inside FetchPage: drives the WinHTTP-style calls in order,
// from the platform check to closing the handles, reads the body and the
// response headers, and reports each failure as a numbered error text.

#include <cstddef>

#include "platform/winhttp/winhttp_api.h"
#include "text/regex_object.h"
#include "text/text_types.h"
#include "web/fetch_page.h"

// The largest chunk asked for in one read, and the largest header text
// accepted; a service that reports more is not trusted with a buffer that big.
inline constexpr platform::winhttp::DWORD kMaxReadChunkBytes = 1u << 20;
inline constexpr platform::winhttp::DWORD kMaxHeaderBytes = 16u << 20;
// The longest request body the send call can state the length of.
inline constexpr std::size_t kMaxBodyBytes = 0xFFFFFFFFu;

// Returns the decoded body, or an empty Text on failure (see FetchPage).
// `regex` is the fetch's regular-expression object, used for decoding.
Text TransferPage(platform::winhttp::WinHttpApi& api, const Text& url, FetchOptions& options,
                  RegexObject& regex);
