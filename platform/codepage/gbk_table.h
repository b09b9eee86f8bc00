#pragma once
// Code page 936 as Windows defines it, read once from ICU's "windows-936-2000"
// converter into flat tables so that each conversion step is one lookup.

#include <cstdint>

namespace platform::gbk {

inline bool IsLeadByte(std::uint8_t byte) { return byte >= 0x81 && byte <= 0xFE; }
inline bool IsTrailByte(std::uint8_t byte) { return byte >= 0x40 && byte <= 0xFE && byte != 0x7F; }

struct Table {
  // The code unit of every byte that stands alone (0x00-0x80 and 0xFF); the
  // lead bytes 0x81-0xFE have 0 here.
  char16_t single[256];
  // The code unit of a lead byte followed by a trail byte, indexed by
  // [lead - 0x81][trail - 0x40]; 0 where the pair has no mapping.
  char16_t pair[126][191];
  // The bytes of each BMP code unit: a value below 0x100 is one byte, a larger
  // value is lead << 8 | trail, and 0 means the page lacks the character
  // (U+0000 itself is the byte 0 and never looked up here). Includes ICU's
  // best-fit mappings, as Windows does by default.
  std::uint16_t fromUnicode[65536];
};

// The table, built on first use and shared by all threads; nullptr when ICU
// cannot open the converter (its data is missing).
const Table* GbkTable();

}  // namespace platform::gbk
