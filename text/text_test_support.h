#pragma once
// Helpers for the text core's tests: readable names for the code-page-936
// byte pairs the tests need, and readable failure messages (non-ASCII bytes
// shown in hex).

#include <cstdio>
#include <initializer_list>
#include <ostream>
#include <random>
#include <string>
#include <string_view>

#include "text/text_types.h"

namespace test_text {

// Two-byte characters whose trail byte is an ASCII letter: the cases that
// show whether a scan steps over trail bytes.
inline const Text kShang("\x81\x41");  // 丄: lead 81, trail "A"
inline const Text kQia("\x81\x61");    // 乤: lead 81, trail "a"
inline const Text kZhong("\xD6\xD0");  // 中
inline const Text kFullSpace("\xA1\xA1");

// The full-width (A3xx) form of an ASCII text, e.g. "２０２０－０９－０１".
inline Text FullWidth(std::string_view ascii) {
  Text out;
  for (char c : ascii) {
    if (c == ' ') {
      out += kFullSpace;
    } else {
      out.push_back('\xA3');
      out.push_back(static_cast<char>(static_cast<unsigned char>(c) + 0x80));
    }
  }
  return out;
}

inline Text T(std::string_view s) { return Text(s); }
// A view for comparisons, so that failure messages print the bytes.
inline std::string_view V(const Text& text) { return std::string_view(text.data(), text.size()); }

inline TextArray Array(std::initializer_list<std::string_view> items) {
  TextArray array;
  for (auto item : items) array.Append(Text(item));
  return array;
}

// A text of minLength..maxLength bytes, each drawn from `alphabet`.
inline std::string RandomText(std::mt19937& random, std::string_view alphabet,
                              std::size_t minLength, std::size_t maxLength) {
  std::uniform_int_distribution<std::size_t> length(minLength, maxLength);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::string text(length(random), ' ');
  for (char& c : text) c = alphabet[pick(random)];
  return text;
}

inline std::string Show(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b < 0x7F && b != '\\') {
      out.push_back(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", b);
      out += hex;
    }
  }
  return out + "\"";
}

}  // namespace test_text

// Failure messages show a TextArray with its non-ASCII bytes in hex.
inline void PrintTo(const TextArray& array, std::ostream* os) {
  *os << "{";
  bool first = true;
  for (const auto& item : array) {
    *os << (first ? "" : ", ") << test_text::Show(std::string_view(item.data(), item.size()));
    first = false;
  }
  *os << "}";
}
