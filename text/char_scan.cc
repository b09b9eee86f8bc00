#include "text/char_scan.h"

#include <cstring>

#include "text/gbk_chars.h"

namespace text_internal {

CharMatcher::CharMatcher(std::string_view pattern, bool ignoreCase) : ignoreCase_(ignoreCase) {
  pattern_.reserve(pattern.size());
  for (char c : pattern) pattern_.push_back(Byte(c));
  failure_.assign(pattern_.size(), 0);
  std::size_t k = 0;
  for (std::size_t i = 1; i < pattern_.size(); ++i) {
    while (k > 0 && pattern_[i] != pattern_[k]) k = failure_[k - 1];
    if (pattern_[i] == pattern_[k]) ++k;
    failure_[i] = k;
  }
}

// With no partial match in progress, jump to the next byte that can begin a
// match (memchr when only one byte value can).
std::size_t CharMatcher::SkipToFirstByte(std::string_view text, std::size_t i) const {
  const unsigned char first = pattern_[0];
  const bool letter = ignoreCase_ && first >= 'a' && first <= 'z';
  if (!letter) {
    const void* hit = std::memchr(text.data() + i, first, text.size() - i);
    return hit == nullptr ? text.size()
                          : static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
  }
  const unsigned char upper = static_cast<unsigned char>(first - ('a' - 'A'));
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b == first || b == upper) break;
    ++i;
  }
  return i;
}

std::size_t CharMatcher::FindFrom(std::string_view text, std::size_t from) const {
  const std::size_t m = pattern_.size();
  const std::size_t n = text.size();
  if (m == 0 || from >= n || n - from < m) return kNotFound;
  std::size_t step = from;  // the next character start of the scan
  std::size_t matched = 0;
  std::size_t i = from;
  while (i < n) {
    if (matched == 0) {
      i = SkipToFirstByte(text, i);
      if (i >= n) break;
    }
    const unsigned char c = Byte(text[i]);
    while (matched > 0 && c != pattern_[matched]) matched = failure_[matched - 1];
    if (c == pattern_[matched]) ++matched;
    ++i;
    if (matched == m) {
      const std::size_t candidate = i - m;
      while (step < candidate) step += CharLengthAt(text, step);
      if (step == candidate) return candidate;
      matched = failure_[matched - 1];
    }
  }
  return kNotFound;
}

std::size_t BlankLengthAt(std::string_view text, std::size_t pos) {
  const auto b = static_cast<unsigned char>(text[pos]);
  if (b == ' ') return 1;
  if (b == gbk::kFullWidthSpaceLead && pos + 1 < text.size() &&
      static_cast<unsigned char>(text[pos + 1]) == gbk::kFullWidthSpaceTrail) {
    return 2;
  }
  return 0;
}

std::string_view TrimBlanks(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size()) {
    const std::size_t blank = BlankLengthAt(text, begin);
    if (blank == 0) break;
    begin += blank;
  }
  // Walk the rest by characters, remembering where the latest unbroken run
  // of blanks began; a run that reaches the end is cut off.
  std::size_t runStart = text.size();
  bool inRun = false;
  for (std::size_t pos = begin; pos < text.size();) {
    const std::size_t blank = BlankLengthAt(text, pos);
    if (blank != 0) {
      if (!inRun) runStart = pos;
      inRun = true;
      pos += blank;
    } else {
      inRun = false;
      pos += CharLengthAt(text, pos);
    }
  }
  const std::size_t end = inRun ? runStart : text.size();
  return text.substr(begin, end - begin);
}

}  // namespace text_internal
