#pragma once
// UTF-8 one step at a time, well-formed as Unicode defines it (no overlong
// forms, no encoded surrogates, nothing above U+10FFFF). A byte that does not
// begin a complete well-formed sequence decodes to one U+FFFD on its own, and
// decoding goes on at the next byte, so an invalid byte never swallows the
// bytes after it.

#include <cstddef>
#include <cstdint>

namespace platform::utf8 {

inline constexpr char16_t kReplacement = 0xFFFD;

struct DecodeStep {
  int consumed;   // bytes read, 1 to 4
  int unitCount;  // 1, or 2 for a surrogate pair
  char16_t units[2];
};

inline bool IsContinuation(std::uint8_t byte) { return (byte & 0xC0) == 0x80; }

inline bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
inline bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The code point of the UTF-16 at `units[i]` (`i` below `length`), moving `i`
// past it: a surrogate pair gives one code point, a surrogate without its
// partner gives U+FFFD.
inline char32_t NextCodePoint(const char16_t* units, std::size_t length, std::size_t& i) {
  const char16_t unit = units[i++];
  if (IsHighSurrogate(unit) && i < length && IsLowSurrogate(units[i])) {
    const char16_t low = units[i++];
    return 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
           (static_cast<char32_t>(low) - 0xDC00);
  }
  if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) return kReplacement;
  return unit;
}

// Decodes the sequence at `bytes`; `available` is at least 1.
inline DecodeStep Decode(const std::uint8_t* bytes, std::size_t available) {
  const std::uint8_t first = bytes[0];
  if (first < 0x80) return {1, 1, {first, 0}};
  int length = 0;
  std::uint8_t low = 0x80;  // the range allowed for the second byte
  std::uint8_t high = 0xBF;
  if (first >= 0xC2 && first <= 0xDF) {
    length = 2;
  } else if (first >= 0xE0 && first <= 0xEF) {
    length = 3;
    if (first == 0xE0) low = 0xA0;   // no overlong forms
    if (first == 0xED) high = 0x9F;  // no surrogates
  } else if (first >= 0xF0 && first <= 0xF4) {
    length = 4;
    if (first == 0xF0) low = 0x90;   // no overlong forms
    if (first == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  }
  const DecodeStep invalid = {1, 1, {kReplacement, 0}};
  if (length == 0 || available < static_cast<std::size_t>(length)) return invalid;
  if (bytes[1] < low || bytes[1] > high) return invalid;
  for (int i = 2; i < length; ++i) {
    if (!IsContinuation(bytes[i])) return invalid;
  }
  if (length == 2) {
    return {2, 1, {static_cast<char16_t>((first & 0x1F) << 6 | (bytes[1] & 0x3F)), 0}};
  }
  if (length == 3) {
    return {
        3,
        1,
        {static_cast<char16_t>((first & 0x0F) << 12 | (bytes[1] & 0x3F) << 6 | (bytes[2] & 0x3F)),
         0}};
  }
  const char32_t codePoint = static_cast<char32_t>((first & 0x07) << 18 | (bytes[1] & 0x3F) << 12 |
                                                   (bytes[2] & 0x3F) << 6 | (bytes[3] & 0x3F));
  const char32_t offset = codePoint - 0x10000;
  return {4,
          2,
          {static_cast<char16_t>(0xD800 + (offset >> 10)),
           static_cast<char16_t>(0xDC00 + (offset & 0x3FF))}};
}

// Writes the UTF-8 form of `codePoint` (at most U+10FFFF, not a surrogate)
// into `out` and returns its length, 1 to 4.
inline int Encode(char32_t codePoint, std::uint8_t out[4]) {
  if (codePoint < 0x80) {
    out[0] = static_cast<std::uint8_t>(codePoint);
    return 1;
  }
  if (codePoint < 0x800) {
    out[0] = static_cast<std::uint8_t>(0xC0 | codePoint >> 6);
    out[1] = static_cast<std::uint8_t>(0x80 | (codePoint & 0x3F));
    return 2;
  }
  if (codePoint < 0x10000) {
    out[0] = static_cast<std::uint8_t>(0xE0 | codePoint >> 12);
    out[1] = static_cast<std::uint8_t>(0x80 | (codePoint >> 6 & 0x3F));
    out[2] = static_cast<std::uint8_t>(0x80 | (codePoint & 0x3F));
    return 3;
  }
  out[0] = static_cast<std::uint8_t>(0xF0 | codePoint >> 18);
  out[1] = static_cast<std::uint8_t>(0x80 | (codePoint >> 12 & 0x3F));
  out[2] = static_cast<std::uint8_t>(0x80 | (codePoint >> 6 & 0x3F));
  out[3] = static_cast<std::uint8_t>(0x80 | (codePoint & 0x3F));
  return 4;
}

}  // namespace platform::utf8
