#pragma once
// The value types every layer above the platform works in.
//
// Text:      bytes in code page 936 (GBK), never a NUL byte. A byte of 0x80 or
//            above begins a two-byte character. Positions are 1-based bytes.
// Bytes:     a counted byte buffer that may hold NUL bytes (bodies, UTF-16LE).
// TextArray: an ordered array of Text indexed from 1.
// DateTime:  an OLE Automation date, days since 1899-12-30 as a double.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/fatal_allocator.h"

using Text = std::basic_string<char, std::char_traits<char>, FatalAllocator<char>>;
using Bytes = std::vector<std::uint8_t, FatalAllocator<std::uint8_t>>;

class TextArray {
 public:
  TextArray() = default;

  int Size() const { return static_cast<int>(items_.size()); }
  // Element `index`, 1-based. Outside 1..Size() it is the empty Text, so a
  // bad index can never read out of bounds.
  const Text& At(int index) const;
  Text& At(int index);
  void Append(const Text& item) { items_.push_back(item); }
  void Append(Text&& item) { items_.push_back(std::move(item)); }
  void Clear() { items_.clear(); }
  void Reserve(int count) {
    if (count > 0) items_.reserve(static_cast<std::size_t>(count));
  }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }
  bool operator==(const TextArray&) const = default;

 private:
  std::vector<Text, FatalAllocator<Text>> items_;
};

struct DateTime {
  double oleDate = 0.0;
  bool operator==(const DateTime&) const = default;
};

// The smallest valid date, 100-01-01 00:00:00; also what TextToDate gives for
// a text that is not a date.
inline constexpr double kMinimumOleDate = -657434.0;
