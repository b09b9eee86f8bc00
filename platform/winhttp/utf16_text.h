#pragma once
// Conversions between the UTF-16 strings of the WinHTTP-style calls and the
// byte strings that go on the wire.

#include <string>
#include <string_view>

namespace platform::winhttp {

// The string up to its NUL; a null pointer gives the empty string.
std::u16string_view NulTerminatedView(const char16_t* text);

// UTF-16 to UTF-8. An unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// Bytes received from a server to UTF-16: as UTF-8 when the bytes are valid
// UTF-8 (ASCII included), otherwise byte by byte as Latin-1, so no byte is
// ever lost or rejected.
std::u16string BytesToUtf16(std::string_view bytes);

}  // namespace platform::winhttp
