#pragma once
// Conversions between Text (code page 936), UTF-16LE and UTF-8, and percent
// decoding. Each conversion measures first, then converts into a zero-filled
// buffer sized from that measurement.

#include "text/text_types.h"

// UTF-16LE with a terminating NUL unit unless dropTerminator; empty for empty text.
Bytes AnsiToUtf16(const Text& text, bool dropTerminator = false);
// Reads whole code units up to the first NUL unit (an odd last byte is ignored).
Text Utf16ToAnsi(const Bytes& wide);
Bytes CodePageToUtf16(const Text& text, int codePage = 65001);
Text Utf16ToCodePage(const Bytes& wide, int codePage = 0);
Text Utf8ToAnsi(const Text& text);
// Byte-wise "%XX" decoding ("+" kept, a zero byte dropped), then optionally
// the result read as UTF-8 and converted to code page 936.
Text UrlDecode(const Text& text, bool decodeUtf8 = false);
