#include "text/encoding.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <string>

#include "platform/codepage/codepage.h"
#include "text/bytes_ops.h"

namespace {

using platform::kCpAcp;
using platform::kCpGbk;
using platform::kCpUtf8;

// The whole code units of a UTF-16LE buffer; an odd last byte is left out.
std::u16string LoadUnits(const Bytes& wide) {
  std::u16string units(wide.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(wide[2 * i] | wide[2 * i + 1] << 8);
  }
  return units;
}

// `units` as UTF-16LE bytes.
Bytes StoreUnits(const std::u16string& units) {
  Bytes wide = BlankBytes(static_cast<int>(units.size() * 2));
  for (std::size_t i = 0; i < units.size(); ++i) {
    wide[2 * i] = static_cast<std::uint8_t>(units[i] & 0xFF);
    wide[2 * i + 1] = static_cast<std::uint8_t>(units[i] >> 8);
  }
  return wide;
}

char* AsChars(Bytes& bytes) { return reinterpret_cast<char*>(bytes.data()); }

// A hexadecimal digit's value as the lookup in the digit table gives it: its
// place in "0123456789ABCDEF" after upper-casing, minus 1; a byte outside the
// table is not found (-1) and so counts -2; a digit missing because the text
// ended is the empty text, found at place 1, and counts 0.
int DigitValue(const Text& text, std::size_t index) {
  if (index >= text.size()) return 0;
  const auto byte = static_cast<unsigned char>(text[index]);
  if (byte >= '0' && byte <= '9') return byte - '0';
  if (byte >= 'A' && byte <= 'F') return byte - 'A' + 10;
  if (byte >= 'a' && byte <= 'f') return byte - 'a' + 10;
  return -2;
}

}  // namespace

Bytes AnsiToUtf16(const Text& text, bool dropTerminator) {
  if (text.empty()) return Bytes();
  const int n = platform::MultiByteToWideChar(kCpGbk, 0, text.c_str(), -1, nullptr, 0);
  if (n <= 0 || n > INT_MAX / 2) return Bytes();
  std::u16string units(static_cast<std::size_t>(n), u'\0');
  platform::MultiByteToWideChar(kCpGbk, 0, text.c_str(), -1, units.data(), n);
  Bytes wide = StoreUnits(units);
  if (dropTerminator) wide = BytesLeft(wide, 2 * n - 2);
  return wide;
}

Text Utf16ToAnsi(const Bytes& wide) {
  const std::u16string units = LoadUnits(wide);
  if (units.empty() || units.size() > static_cast<std::size_t>(INT_MAX)) return Text();
  const int w = static_cast<int>(units.size());
  const int m = platform::WideCharToMultiByte(kCpGbk, platform::kWcCompositeCheck, units.data(), w,
                                              nullptr, 0, nullptr, nullptr);
  if (m <= 0) return Text();
  Bytes buffer = BlankBytes(m);
  // Only the units before the first NUL unit are converted.
  const int count = static_cast<int>(std::min(units.find(u'\0'), units.size()));
  if (count > 0) {
    platform::WideCharToMultiByte(kCpGbk, platform::kWcCompositeCheck, units.data(), count,
                                  AsChars(buffer), m, nullptr, nullptr);
  }
  return BytesToText(buffer);
}

Bytes CodePageToUtf16(const Text& text, int codePage) {
  const auto page = static_cast<unsigned>(codePage);
  // Measured in the system ANSI code page, whatever `codePage` is.
  const int n = platform::MultiByteToWideChar(kCpAcp, 0, text.c_str(), -1, nullptr, 0);
  if (n <= 0 || n > INT_MAX / 2) return Bytes();
  std::u16string units(static_cast<std::size_t>(n), u'\0');
  if (platform::MultiByteToWideChar(page, 0, text.c_str(), -1, units.data(), n) == 0) {
    // Bytes that are invalid in `codePage` can need more units than that
    // measure (three broken UTF-8 bytes are three U+FFFD, but may be only two
    // characters in code page 936). Rather than lose the text, measure again
    // in `codePage` itself and convert into a buffer of that size.
    const int needed = platform::MultiByteToWideChar(page, 0, text.c_str(), -1, nullptr, 0);
    if (needed > n && needed <= INT_MAX / 2) {
      units.assign(static_cast<std::size_t>(needed), u'\0');
      platform::MultiByteToWideChar(page, 0, text.c_str(), -1, units.data(), needed);
    }
  }
  return StoreUnits(units);
}

Text Utf16ToCodePage(const Bytes& wide, int codePage) {
  const auto page = static_cast<unsigned>(codePage);
  std::u16string units = LoadUnits(wide);
  units.resize(std::min(units.find(u'\0'), units.size()));
  // Measured in the system ANSI code page, terminator included; twice that
  // holds the text in code page 936 whatever the system page is.
  const int m =
      platform::WideCharToMultiByte(kCpAcp, 0, units.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (m <= 0 || m > INT_MAX / 2) return Text();
  Bytes buffer = BlankBytes(2 * m);
  if (platform::WideCharToMultiByte(page, 0, units.c_str(), -1, AsChars(buffer), 2 * m, nullptr,
                                    nullptr) == 0) {
    // A page that needs more than two bytes for a unit (UTF-8 needs three for
    // a character that the system page writes in one, such as the euro sign
    // or a "?" for a character it lacks): measure again in `codePage` itself
    // instead of losing the text.
    const int needed =
        platform::WideCharToMultiByte(page, 0, units.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (needed > 2 * m) {
      buffer = BlankBytes(needed);
      platform::WideCharToMultiByte(page, 0, units.c_str(), -1, AsChars(buffer), needed, nullptr,
                                    nullptr);
    }
  }
  return BytesToText(buffer);
}

Text Utf8ToAnsi(const Text& text) {
  return Utf16ToCodePage(CodePageToUtf16(text, static_cast<int>(kCpUtf8)),
                         static_cast<int>(kCpGbk));
}

Text UrlDecode(const Text& text, bool decodeUtf8) {
  const std::size_t length = text.size();
  Text result;
  result.reserve(length);
  std::size_t i = 0;
  while (i < length) {
    if (text[i] != '%') {
      result.push_back(text[i]);
      ++i;
      continue;
    }
    // "%" takes the next two bytes, whatever they are, as its digits.
    const int value = DigitValue(text, i + 1) * 16 + DigitValue(text, i + 2);
    const auto byte = static_cast<char>(value & 0xFF);
    if (byte != '\0') result.push_back(byte);
    i += 3;
  }
  if (decodeUtf8) return Utf8ToAnsi(result);
  return result;
}
