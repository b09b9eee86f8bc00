#pragma once
// Splits an http or https URL into its components, as WinHttpCrackUrl.

#include "platform/winhttp/winhttp_api.h"

namespace platform::winhttp {

// `urlLength` 0 means the URL runs to its NUL. Only flags 0 is supported.
// For each component whose length field is nonzero: with a null pointer the
// pointer is set into `url` and the length to the component's length in
// UTF-16 code units; with a buffer, the component is copied there with a NUL
// (the length field gives the buffer's size in code units on entry) and the
// call fails when it does not fit, leaving the size needed in the length.
// The scheme must be http or https (any case) followed by "//"; the port
// must be 1 to 65535 (none or empty gives the scheme's default); the host
// must be non-empty. User information is skipped. The extra info runs from
// the first "?" after the host, or when there is none the first "#", to the
// end. Fails on anything it cannot crack.
BOOL CrackUrl(LPCWSTR url, DWORD urlLength, DWORD flags, URL_COMPONENTS* components);

}  // namespace platform::winhttp
