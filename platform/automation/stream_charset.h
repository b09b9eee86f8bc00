#pragma once
// Decoding bytes in a charset named the way web pages and "Adodb.Stream" name
// them. Names are matched ignoring ASCII case. "gbk", "gb2312", "cp936" and
// their aliases all mean Windows code page 936; a name the stream does not
// know decodes as the system ANSI code page, as if no charset were named.
// Invalid bytes become U+FFFD; decoding never fails.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace platform::com {

enum class CharsetKind {
  kCodePage,     // through the platform's MultiByteToWideChar
  kUtf16Le,      // UTF-16 little-endian
  kUtf16Be,      // UTF-16 big-endian
  kUtf16Detect,  // UTF-16, big-endian only when a byte-order mark says so
  kIcu,          // through an ICU converter
};

struct Charset {
  CharsetKind kind = CharsetKind::kCodePage;
  unsigned codePage = 0;  // for kCodePage
  std::string icuName;    // for kIcu
};

// What `name` stands for.
Charset ResolveCharset(std::u16string_view name);

// `bytes` decoded in `charset`. With `atStart`, a leading byte-order mark
// of UTF-8 or UTF-16 is dropped.
std::u16string DecodeBytes(const Charset& charset, std::span<const std::uint8_t> bytes,
                           bool atStart);

// `bytes` in a code page of the platform conversion, handed over in pieces of
// at most `pieceSize` bytes cut between characters where one ends nearby
// (DecodeBytes uses pieces of 64 MB; tests use small ones).
std::u16string DecodeCodePageInPieces(unsigned codePage, std::span<const std::uint8_t> bytes,
                                      std::size_t pieceSize);

}  // namespace platform::com
