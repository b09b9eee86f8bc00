#include "text/text_scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "text/text_test_support.h"

namespace {

using test_text::T;
using test_text::V;

// The character-stepping scan written out step by step, as the reference for
// the randomised comparisons below.
namespace reference {

bool MatchAt(std::string_view text, std::size_t pos, std::string_view sought, bool fold) {
  for (std::size_t k = 0; k < sought.size(); ++k) {
    auto a = static_cast<unsigned char>(text[pos + k]);
    auto b = static_cast<unsigned char>(sought[k]);
    if (fold) {
      if (a >= 'A' && a <= 'Z') a += 32;
      if (b >= 'A' && b <= 'Z') b += 32;
    }
    if (a != b) return false;
  }
  return true;
}

std::size_t Step(std::string_view text, std::size_t pos) {
  return static_cast<unsigned char>(text[pos]) >= 0x80 ? 2 : 1;
}

int Find(std::string_view text, std::string_view sought, int start, bool fold) {
  std::size_t pos = start > 1 ? static_cast<std::size_t>(start - 1) : 0;
  if (pos >= text.size()) return -1;
  if (sought.empty()) return 1;
  while (text.size() - pos >= sought.size()) {
    if (MatchAt(text, pos, sought, fold)) return static_cast<int>(pos + 1);
    if (pos + 1 == text.size()) break;  // a lead byte at the very end
    pos += Step(text, pos);
  }
  return -1;
}

std::string Replace(std::string_view text, std::string_view sought, std::string_view with,
                    bool fold) {
  if (text.empty() || sought.empty()) return std::string(text);
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size() && text.size() - pos >= sought.size()) {
    if (MatchAt(text, pos, sought, fold)) {
      out += with;
      pos += sought.size();
      continue;
    }
    if (pos + 1 == text.size()) break;
    const std::size_t n = Step(text, pos);
    out += text.substr(pos, n);
    pos += n;
  }
  out += text.substr(pos);
  return out;
}

std::vector<std::string> Split(std::string_view text, std::string_view separator) {
  std::vector<std::string> pieces;
  if (text.empty()) return pieces;
  if (separator.empty()) return {std::string(text)};
  std::string piece;
  std::size_t pos = 0;
  while (pos < text.size() && text.size() - pos >= separator.size()) {
    if (MatchAt(text, pos, separator, false)) {
      pieces.push_back(piece);
      piece.clear();
      pos += separator.size();
      continue;
    }
    if (pos + 1 == text.size()) break;
    const std::size_t n = Step(text, pos);
    piece += text.substr(pos, n);
    pos += n;
  }
  piece += text.substr(pos);
  if (!piece.empty()) pieces.push_back(piece);
  return pieces;
}

}  // namespace reference

// Short texts over an alphabet of letters in both cases, lead bytes whose
// trail may be a letter, and repeats, so that overlapping and misaligned
// candidates are common.
std::string RandomText(std::mt19937& random, std::size_t maxLength) {
  static constexpr char kAlphabet[] = {'a', 'A', 'b', 'B', ';', '\x81', '\xA1', '\xB0'};
  return test_text::RandomText(random, std::string_view(kAlphabet, sizeof kAlphabet), 0, maxLength);
}

TEST(ScanTest, AgreesWithTheStepByStepScanOnRandomTexts) {
  std::mt19937 random(20200901);
  for (int round = 0; round < 20000; ++round) {
    const std::string text = RandomText(random, 14);
    const std::string sought = RandomText(random, 4);
    const std::string with = RandomText(random, 2);
    const int start = static_cast<int>(random() % 18) - 2;
    const bool fold = random() % 2 == 0;
    SCOPED_TRACE(testing::Message() << test_text::Show(text) << " / " << test_text::Show(sought)
                                    << " start " << start << (fold ? " folded" : ""));
    ASSERT_EQ(FindText(T(text), T(sought), start, fold),
              reference::Find(text, sought, start, fold));
    ASSERT_EQ(V(ReplaceText(T(text), T(sought), T(with), !fold)),
              reference::Replace(text, sought, with, fold));
    const TextArray pieces = SplitText(T(text), T(sought));
    const std::vector<std::string> expected = reference::Split(text, sought);
    ASSERT_EQ(pieces.Size(), static_cast<int>(expected.size()));
    for (int i = 1; i <= pieces.Size(); ++i) {
      ASSERT_EQ(V(pieces.At(i)), expected[static_cast<std::size_t>(i - 1)]);
    }
  }
}

struct FindCase {
  std::string_view text;
  std::string_view sought;
  int start;
  bool ignoreCase;
  int expected;
};

TEST(FindTextTest, FollowsTheCharacterSteppingRules) {
  const FindCase cases[] = {
      // Empty sought: 1 whenever the stretch from start is not empty.
      {"abc", "", 1, false, 1},
      {"", "", 1, false, -1},
      {"abc", "", 3, false, 1},
      {"abc", "", 4, false, -1},
      // Start values: 1, 0 and negatives search everything; the position
      // counts from the beginning; beyond the length finds nothing.
      {"abc", "c", 0, false, 3},
      {"abc", "a", -7, false, 1},
      {"abc", "a", 2, false, -1},
      {"abcabc", "c", 4, false, 6},
      {"abcabc", "bc", 3, false, 5},
      {"abc", "c", 3, false, 3},
      {"abc", "c", 4, false, -1},
      {"abc", "abcd", 1, false, -1},
      {"", "a", 1, false, -1},
      // A trail byte never begins a match.
      {"\x81\x41", "A", 1, false, -1},
      {"\x81\x41"
       "A",
       "A", 1, false, 3},
      {"\x81\x41\x81", "\x41\x81", 1, false, -1},
      {"\xD6\xD0\xCE\xC4", "\xD0\xCE", 1, false, -1},
      // After a candidate on a trail byte, an overlapping candidate on a
      // character start is still found.
      {"\xB0\x81\x81\x81", "\x81\x81", 1, false, 3},
      {"\xB0\x41\x41", "AA", 1, true, -1},
      // The stepping begins at start - 1 even when that is a trail byte.
      {"\x81\x41"
       "B",
       "A", 2, false, 2},
      // A lead byte at the very end can match but is never read past.
      {"ab\x81", "\x81", 1, false, 3},
      {"ab\x81", "\x81\x41", 1, false, -1},
      {"ab\x81", "b\x81", 1, false, 2},
      // Case folding: ASCII letters only, every byte including trail bytes.
      {"\x81\x41", "\x81\x61", 1, true, 1},
      {"\x81\x41", "\x81\x61", 1, false, -1},
      {"xxHeLLo", "hello", 1, true, 3},
      {"xxHeLLo", "hello", 1, false, -1},
      {"\xC0\xE0", "\xC0\xC0", 1, true, -1},  // no folding beyond ASCII
      {"[@`{", "[@`{", 1, true, 1},
      {"@", "`", 1, true, -1},
      // Prefix patterns that need the failure function.
      {"aaaaaab", "aaab", 1, false, 4},
      {"abababac", "ababac", 1, false, 3},
      {"ABAB"
       "ABAC",
       "ababac", 1, true, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << test_text::Show(c.text) << " / " << test_text::Show(c.sought)
                                    << " start " << c.start);
    EXPECT_EQ(FindText(T(c.text), T(c.sought), c.start, c.ignoreCase), c.expected);
  }
}

TEST(FindTextTest, DefaultsAreWholeTextAndExactCase) {
  EXPECT_EQ(FindText(T("aBc"), T("b")), -1);
  EXPECT_EQ(FindText(T("aBc"), T("B")), 2);
}

struct ReplaceCase {
  std::string_view text;
  std::string_view sought;
  std::string_view replacement;
  bool caseSensitive;
  std::string_view expected;
};

TEST(ReplaceTextTest, ReplacesEveryOccurrenceOnCharacterStarts) {
  const ReplaceCase cases[] = {
      {"aXbxc", "x", "-", false, "a-b-c"},
      {"aXbxc", "x", "-", true, "aXb-c"},
      {"aaa", "aa", "b", true, "ba"},
      {"aaaa", "aa", "b", true, "bb"},
      {"", "x", "-", false, ""},
      {"abc", "", "-", false, "abc"},
      {"abc", "abc", "", false, ""},
      {"abc", "abcd", "-", false, "abc"},
      // A replaced stretch is not scanned again.
      {"ab", "a", "aa", true, "aab"},
      {"aba", "a", "ab", true, "abbab"},
      // Trail bytes are copied, not matched; case folding reaches them.
      {"\x81\x41"
       "A",
       "A", "-", true, "\x81\x41-"},
      {"\x81\x41"
       "a",
       "A", "-", false, "\x81\x41-"},
      {"\x81\x61", "\x81\x41", "-", false, "-"},
      {"\x81\x61", "\x81\x41", "-", true, "\x81\x61"},
      // A lead byte at the end is kept as it is.
      {"a\x81", "a", "b", true, "b\x81"},
      {"a\x81", "x", "b", true, "a\x81"},
      // After a match the stepping starts again right behind it, even when
      // the match ended with a lead byte.
      {"x\x81x\x81", "x\x81", "-", true, "--"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << test_text::Show(c.text) << " / " << test_text::Show(c.sought));
    EXPECT_EQ(V(ReplaceText(T(c.text), T(c.sought), T(c.replacement), c.caseSensitive)),
              c.expected);
  }
}

TEST(ReplaceTextTest, DefaultsIgnoreCaseAndDelete) {
  EXPECT_EQ(V(ReplaceText(T("aXbxc"), T("x"))), "abc");
  EXPECT_EQ(V(ReplaceText(T("aXbxc"), T("x"), T("-"))), "a-b-c");
}

TEST(ReplaceTextTest, LeavesItsArgumentUnchanged) {
  const Text text = T("a-b");
  const Text result = ReplaceText(text, T("-"), T("+"));
  EXPECT_EQ(V(text), "a-b");
  EXPECT_EQ(V(result), "a+b");
}

struct SplitCase {
  std::string_view text;
  std::string_view separator;
  std::vector<std::string_view> expected;
};

TEST(SplitTextTest, SplitsOnCharacterStartsWithTheEmptyPieceRules) {
  const SplitCase cases[] = {
      {"", ";", {}},
      {"a;;b", ";", {"a", "", "b"}},
      {"a;b;", ";", {"a", "b"}},
      {";", ";", {""}},
      {";a", ";", {"", "a"}},
      {";;", ";", {"", ""}},
      {"abc", ";", {"abc"}},
      {"abc", "", {"abc"}},
      {"a<>b<>c", "<>", {"a", "b", "c"}},
      // Exact case only.
      {"aXbxc", "x", {"aXb", "c"}},
      // A separator byte that is a trail byte does not split.
      {"\x81;a;b", ";", {"\x81;a", "b"}},
      // A lead byte at the end stays in the last piece.
      {"a;\x81", ";", {"a", "\x81"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << test_text::Show(c.text));
    const TextArray pieces = SplitText(T(c.text), T(c.separator));
    ASSERT_EQ(pieces.Size(), static_cast<int>(c.expected.size()));
    for (int i = 1; i <= pieces.Size(); ++i) {
      EXPECT_EQ(V(pieces.At(i)), c.expected[static_cast<std::size_t>(i - 1)]) << "piece " << i;
    }
  }
}

struct TransformCase {
  std::string_view text;
  std::string_view expected;
};

TEST(TrimTextTest, RemovesOnlySpacesAndFullWidthSpacesAtTheEnds) {
  const TransformCase cases[] = {
      {" \t a \t ", "\t a \t"},
      {"  \xA1\xA1 \xA1\xA1", ""},
      {"", ""},
      {"a b", "a b"},
      {"\xA1\xA1"
       "a\xA1\xA1"
       "b\xA1\xA1",
       "a\xA1\xA1"
       "b"},
      {"\r\na\r\n", "\r\na\r\n"},
      // The A1A1 across a character boundary is not a blank: B0A1 is one
      // character, the A1A1 after it is a blank.
      {"\xB0\xA1\xA1\xA1", "\xB0\xA1"},
      {"\xB0\xA1", "\xB0\xA1"},
      // Half characters at the end are not blanks.
      {"a \xA1", "a \xA1"},
      {"a \x81", "a \x81"},
      {"a  b  ", "a  b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << test_text::Show(c.text));
    EXPECT_EQ(V(TrimText(T(c.text))), c.expected);
  }
}

TEST(RemoveSpacesTest, RemovesEveryBlankAndNothingElse) {
  const TransformCase cases[] = {
      {"a b\xA1\xA1"
       "c",
       "abc"},
      {"\ta\r\n", "\ta\r\n"},
      {"\xB0\xA1\xA1\xA1", "\xB0\xA1"},
      {"  ", ""},
      {"x \x81", "x\x81"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << test_text::Show(c.text));
    EXPECT_EQ(V(RemoveSpaces(T(c.text))), c.expected);
  }
}

TEST(ToUpperTest, ChangesOnlyOneByteLetters) {
  const TransformCase cases[] = {
      {"abc\xD6\xD0z", "ABC\xD6\xD0Z"},
      {"\x81\x61"
       "a",
       "\x81\x61"
       "A"},
      {"a\x81", "A\x81"},
      {"a1-_z{", "A1-_Z{"},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << test_text::Show(c.text));
    EXPECT_EQ(V(ToUpper(T(c.text))), c.expected);
  }
}

struct CompareCase {
  std::string_view first;
  std::string_view second;
  bool caseSensitive;
  int expected;
};

TEST(CompareTextTest, ComparesCharacterUnits) {
  const CompareCase cases[] = {
      {"abc", "ABC", false, 0},
      {"abc", "ABC", true, 1},
      {"ABC", "abc", true, -1},
      {"a", "b", false, -1},
      {"b", "A", false, 1},
      {"ab", "a", false, 1},
      {"", "a", false, -1},
      {"", "", false, 0},
      // Full-width Latin letters pair by case, but not with ASCII letters.
      {"\xA3\xC1", "\xA3\xE1", false, 0},
      {"\xA3\xC1", "\xA3\xE1", true, -1},
      {"\xA3\xDA"
       "x",
       "\xA3\xFA"
       "X",
       false, 0},
      {"\xA3\xC1", "A", false, 1},
      {"\xA3\xDB", "\xA3\xFB", false, -1},
      // Any one-byte character sorts before any two-byte character, and a
      // trail byte is part of its unit, never compared as a letter.
      {"z", "\x81\x40", false, -1},
      {"\x81\x41", "\x81\x61", false, -1},
      {"\xD6\xD0", "\xD6\xD0", false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << test_text::Show(c.first) << " vs " << test_text::Show(c.second));
    EXPECT_EQ(CompareText(T(c.first), T(c.second), c.caseSensitive), c.expected);
  }
}

}  // namespace
