#include "text/text_cut.h"

#include <gtest/gtest.h>

#include <string_view>

#include "text/text_test_support.h"

namespace {

using test_text::T;
using test_text::V;

struct CutCase {
  std::string_view text;
  int start;  // TextMid only
  int count;
  std::string_view expected;
};

TEST(TextMidTest, CutsByBytesWithinTheText) {
  const CutCase cases[] = {
      {"abcdef", 3, 2, "cd"},
      {"abc", 3, 10, "c"},
      {"abc", 4, 1, ""},
      {"abc", 0, 2, ""},
      {"abc", -1, 2, ""},
      {"abc", 2, 0, ""},
      {"abc", 2, -3, ""},
      {"abc", 1, 3, "abc"},
      {"", 1, 1, ""},
      {"\xD6\xD0"
       "a",
       2, 2,
       "\xD0"
       "a"},  // may cut a character in half
      {"abc", 1, 2147483647, "abc"},
      {"abc", 2147483647, 1, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.text << " " << c.start << " " << c.count);
    EXPECT_EQ(V(TextMid(T(c.text), c.start, c.count)), c.expected);
  }
}

TEST(TextLeftRightTest, CutByBytesFromEitherEnd) {
  const CutCase left[] = {
      {"abc", 0, -2, ""},  {"abc", 0, 10, "abc"},      {"abc", 0, 0, ""},
      {"abc", 0, 2, "ab"}, {"\xD6\xD0", 0, 1, "\xD6"},
  };
  for (const auto& c : left) {
    EXPECT_EQ(V(TextLeft(T(c.text), c.count)), c.expected) << c.text << " " << c.count;
  }
  const CutCase right[] = {
      {"abc", 0, 0, ""},  {"x=deleted", 0, 8, "=deleted"}, {"abc", 0, 10, "abc"},
      {"abc", 0, -1, ""}, {"\xD6\xD0", 0, 1, "\xD0"},
  };
  for (const auto& c : right) {
    EXPECT_EQ(V(TextRight(T(c.text), c.count)), c.expected) << c.text << " " << c.count;
  }
}

TEST(CharFromCodeTest, KeepsTheLowEightBits) {
  EXPECT_EQ(V(CharFromCode(0)), "");
  EXPECT_EQ(V(CharFromCode(65)), "A");
  EXPECT_EQ(V(CharFromCode(0x141)), "A");
  EXPECT_EQ(V(CharFromCode(256)), "");
  EXPECT_EQ(V(CharFromCode(-191)), "A");  // -191 is ...FF41
  EXPECT_EQ(V(CharFromCode(0xB0)), "\xB0");
}

TEST(BlankTextTest, MakesSpaces) {
  EXPECT_EQ(V(BlankText(3)), "   ");
  EXPECT_EQ(V(BlankText(0)), "");
  EXPECT_EQ(V(BlankText(-4)), "");
}

TEST(ConcatTextTest, JoinsInOrderAndSkipsEmptyParts) {
  EXPECT_EQ(V(ConcatText(T("ab"), Text(), T("c"), T("\xD6\xD0"))), "abc\xD6\xD0");
  EXPECT_EQ(V(ConcatText(Text(), Text())), "");
  EXPECT_EQ(TextLength(ConcatText(T("ab"), T("\xD6\xD0"))), 4);
  EXPECT_EQ(TextLength(Text()), 0);
}

}  // namespace
