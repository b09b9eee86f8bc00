#pragma once
// The character-stepping search shared by FindText, ReplaceText, SplitText
// and the marker extraction.
//
// A byte of 0x80 or above begins a two-byte character. The scan steps from
// its starting byte character by character, so a match is only accepted where
// a character begins; a lead byte that is the last byte is a character of its
// own, and nothing past the end is ever read.
//
// The search runs Knuth-Morris-Pratt over the (optionally case-folded) bytes
// and checks each candidate against the character steps walked forward from
// the start, so one search costs time linear in the bytes it passes over,
// whatever the pattern.

#include <cstddef>
#include <string_view>
#include <vector>

#include "text/fatal_allocator.h"

namespace text_internal {

inline constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

inline unsigned char FoldAscii(unsigned char byte) {
  return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

// Length of the character that begins at `pos` (pos < text.size()).
inline std::size_t CharLengthAt(std::string_view text, std::size_t pos) {
  return (static_cast<unsigned char>(text[pos]) >= 0x80 && pos + 1 < text.size()) ? 2 : 1;
}

class CharMatcher {
 public:
  // With `ignoreCase` the ASCII letters of every byte (trail bytes included)
  // compare without regard to case. An empty pattern is never found.
  CharMatcher(std::string_view pattern, bool ignoreCase);

  // Offset of the first match that begins on a character step of the scan
  // starting at byte offset `from`; kNotFound when there is none.
  std::size_t FindFrom(std::string_view text, std::size_t from) const;

  std::size_t size() const { return pattern_.size(); }

 private:
  unsigned char Byte(char c) const {
    const auto b = static_cast<unsigned char>(c);
    return ignoreCase_ ? FoldAscii(b) : b;
  }
  std::size_t SkipToFirstByte(std::string_view text, std::size_t i) const;

  std::vector<unsigned char, FatalAllocator<unsigned char>> pattern_;
  std::vector<std::size_t, FatalAllocator<std::size_t>> failure_;
  bool ignoreCase_;
};

// Length of the blank at `pos` (pos < text.size()): 1 for a space, 2 for
// the full-width space A1A1, 0 for anything else.
std::size_t BlankLengthAt(std::string_view text, std::size_t pos);

// `text` without its leading and trailing blanks, as a view into it.
std::string_view TrimBlanks(std::string_view text);

inline std::string_view View(const auto& text) {
  return std::string_view(text.data(), text.size());
}

}  // namespace text_internal
