#include "text/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>

#include "text/text_test_support.h"

namespace {

using test_text::FullWidth;
using test_text::T;
using test_text::V;

TEST(FoldFullWidthTest, TurnsFullWidthFormsIntoAscii) {
  struct Case {
    Text text;
    std::string_view expected;
  } const cases[] = {
      {FullWidth("12"), "12"},
      {FullWidth("2020-09-01"), "2020-09-01"},
      {FullWidth("!Az~"), "!Az~"},  // A3A1 .. A3FE, ends included
      {T("\xA1\xA1"
         "a"),
       " a"},
      {T("\xA1\xAB"), "~"},
      {T("\xA1\xEE\xA1\xEF"), "**"},
      {T("\xD6\xD0\xA3\xFF\xA3\xA0"), "\xD6\xD0\xA3\xFF\xA3\xA0"},  // others unchanged
      {T("a\xA3"), "a\xA3"},                                        // a lead byte at the end stays
      {T("\x81\xA3\xB1"),
       "\x81\xA3"
       "\xB1"},  // A3 here is a trail byte
  };
  for (const auto& c : cases) {
    EXPECT_EQ(V(FoldFullWidth(c.text)), c.expected) << test_text::Show(V(c.text));
  }
}

TEST(ToIntegerTest, ReadsAWrappingInt32FromTheFront) {
  struct Case {
    Text text;
    std::int32_t expected;
  } const cases[] = {
      {T("4"), 4},
      {T(""), 0},
      {T("2147483647"), 2147483647},
      {T("2147483648"), std::numeric_limits<std::int32_t>::min()},
      {T("-2147483648"), std::numeric_limits<std::int32_t>::min()},
      {T("-2147483649"), 2147483647},
      {T("4294967297"), 1},
      {T("99999999999999999999"), 1661992959},  // 10^20 - 1 modulo 2^32
      {T(" 12abc"), 12},
      {T("\t\n\v\f\r 12"), 12},
      {T("-7"), -7},
      {T("+5"), 5},
      {T("- 5"), 0},
      {T("--5"), 0},
      {T("12 3"), 12},
      {T("abc"), 0},
      {FullWidth("12"), 12},
      {FullWidth("-7"), -7},
      {FullWidth(" 12"), 12},
      {T("007"), 7},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToInteger(c.text), c.expected) << test_text::Show(V(c.text));
  }
}

TEST(NumberToTextTest, WritesIntegers) {
  EXPECT_EQ(V(NumberToText(std::int32_t{0})), "0");
  EXPECT_EQ(V(NumberToText(std::int32_t{42})), "42");
  EXPECT_EQ(V(NumberToText(std::int32_t{-5})), "-5");
  EXPECT_EQ(V(NumberToText(std::numeric_limits<std::int32_t>::min())), "-2147483648");
}

TEST(NumberToTextTest, WritesDoublesWithThirteenSignificantDigits) {
  struct Case {
    double value;
    std::string_view expected;
  } const cases[] = {
      {50.0, "50"},
      {12.5, "12.5"},
      {33.33, "33.33"},
      {100.0, "100"},
      {0.0, "0"},
      {200.0 / 3.0, "66.66666666667"},
      {0.1 + 0.2, "0.3"},
      {1234567890123.0, "1234567890123"},
      {1e20, "1e+20"},
      {-2.5, "-2.5"},
      {std::numeric_limits<double>::quiet_NaN(), "--"},
      {std::numeric_limits<double>::infinity(), "inf"},
      {-std::numeric_limits<double>::infinity(), "-inf"},
  };
  for (const auto& c : cases) EXPECT_EQ(V(NumberToText(c.value)), c.expected) << c.value;
}

TEST(RoundNumberTest, RoundsHalvesAwayFromZeroAfterTheNudge) {
  struct Case {
    double value;
    int places;
    double expected;
  } const cases[] = {
      {-12.5, 0, -13.0},
      {12.5, 0, 13.0},
      {2.5, 0, 3.0},
      {1.005, 2, 1.01},
      {2.675, 2, 2.68},
      {0.125, 2, 0.13},
      {-0.125, 2, -0.13},
      {58.333333333333336, 2, 58.33},
      {66.66666666666667, 2, 66.67},
      {12.345, 2, 12.35},
      {1.004, 2, 1.0},
      {100.0, 2, 100.0},
      {33.33, 2, 33.33},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RoundNumber(c.value, c.places), c.expected) << c.value << " " << c.places;
  }
}

TEST(RoundNumberTest, ZeroAndNotANumberComeBackUnchanged) {
  EXPECT_EQ(RoundNumber(0.0, 2), 0.0);
  EXPECT_TRUE(std::signbit(RoundNumber(-0.0, 2)));
  EXPECT_TRUE(std::isnan(RoundNumber(std::numeric_limits<double>::quiet_NaN(), 2)));
  EXPECT_EQ(RoundNumber(std::numeric_limits<double>::infinity(), 2),
            std::numeric_limits<double>::infinity());
}

TEST(BitOrTest, CombinesEveryArgument) {
  EXPECT_EQ(BitOr(1), 1);
  EXPECT_EQ(BitOr(1, 2), 3);
  EXPECT_EQ(BitOr(1, 2, 4, 8), 15);
  EXPECT_EQ(BitOr(std::numeric_limits<std::int32_t>::min(), 1),
            std::numeric_limits<std::int32_t>::min() + 1);
}

}  // namespace
