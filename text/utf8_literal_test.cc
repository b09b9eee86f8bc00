#include "text/utf8_literal.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <thread>

namespace {

struct LiteralCase {
  const char* name;
  std::string_view utf8;
  std::string_view gbk;
};

class Utf8LiteralTest : public testing::TestWithParam<LiteralCase> {};

TEST_P(Utf8LiteralTest, GivesCodePage936Bytes) {
  const LiteralCase& c = GetParam();
  // Twice: the second answer comes from the cache and must be the same.
  EXPECT_EQ(Utf8Literal(c.utf8), Text(c.gbk));
  EXPECT_EQ(Utf8Literal(c.utf8), Text(c.gbk));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8LiteralTest,
    testing::Values(LiteralCase{"Empty", "", ""}, LiteralCase{"Ascii", "pages:", "pages:"},
                    LiteralCase{"Date", "日期", "\xC8\xD5\xC6\xDA"},
                    LiteralCase{"Query", "查询", "\xB2\xE9\xD1\xAF"},
                    LiteralCase{"Mixed", "a成立以来b",
                                "a\xB3\xC9\xC1\xA2\xD2\xD4\xC0\xB4"
                                "b"},
                    LiteralCase{"Euro", "€", "\x80"},
                    LiteralCase{"EmojiIsQuestionMark", "x😀y", "x?y"},
                    LiteralCase{"InvalidUtf8", "a\xC0z", "a?z"},
                    LiteralCase{"StopsAtNul", std::string_view("ab\0cd", 5), "ab"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Utf8LiteralCacheTest, SameContentAtAnotherAddressGivesItsOwnResult) {
  // Literals that share a buffer but differ in length must not be confused.
  const std::string buffer = "日期日";
  EXPECT_EQ(Utf8Literal(std::string_view(buffer).substr(0, 6)), Text("\xC8\xD5\xC6\xDA"));
  EXPECT_EQ(Utf8Literal(std::string_view(buffer).substr(0, 3)), Text("\xC8\xD5"));
  std::string changing = "日";
  EXPECT_EQ(Utf8Literal(changing), Text("\xC8\xD5"));
  changing = "期";
  EXPECT_EQ(Utf8Literal(changing), Text("\xC6\xDA"));
}

TEST(Utf8LiteralCacheTest, ManyDistinctTextsStayCorrect) {
  // More distinct texts than the cache keeps, converted on two threads.
  auto run = [] {
    for (int i = 0; i < 2000; ++i) {
      const std::string number = std::to_string(i);
      ASSERT_EQ(Utf8Literal(number + "日"), Text(number.c_str()) + "\xC8\xD5");
    }
  };
  std::thread other(run);
  run();
  other.join();
}

}  // namespace
