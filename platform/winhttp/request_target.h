#pragma once
// The request target as it goes into the request line.

#include <string>
#include <string_view>

namespace platform::winhttp {

// Percent-escapes (upper-case hex) the bytes that cannot stand in a request
// line: controls, the blank, DEL and every byte of 0x80 and above. All
// other bytes, "%" "&" "=" "?" "/" "#" among them, stay as they are, so an
// escape the caller wrote is never doubled and "/a/../b" is not resolved.
std::string EscapeTargetBytes(std::string_view bytes);

// The target of WinHttpOpenRequest (UTF-16, non-ASCII sent as UTF-8) in its
// wire form, without any "#" fragment; an empty target is "/".
std::string WireTarget(std::u16string_view target);

}  // namespace platform::winhttp
