#pragma once
// "Adodb.Stream", the part of it a program uses to decode bytes in a named
// charset: Type (1 binary, 2 text), Mode, Charset (default "Unicode"), State,
// Size, EOS, Position; Open, Write(byte array), Read, ReadText, Close.
// As the real stream does, it refuses what its state does not allow: reading
// or writing a closed stream, Write on a text stream, ReadText on a binary
// one, changing Type away from position 0, changing Mode while open.
// ReadText decodes from Position to the end and drops a byte-order mark
// there when Position is 0; a charset name it does not know reads as the
// system ANSI code page.

#include <cstdint>

#include "platform/automation/dispatch.h"

namespace platform::com {

inline constexpr std::int32_t kAdTypeBinary = 1;
inline constexpr std::int32_t kAdTypeText = 2;
inline constexpr std::int32_t kAdReadAll = -1;

// The factory registered for "Adodb.Stream".
HResult CreateStreamObject(std::uint32_t context, Dispatch** object);

}  // namespace platform::com
