#include "text/dates.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string_view>

#include "text/gbk_chars.h"
#include "text/text_cut.h"
#include "text/text_test_support.h"

namespace {

using test_text::FullWidth;
using test_text::T;

// Day numbers of the OLE date (days since 1899-12-30).
constexpr double k20200901 = 44075.0;
constexpr double k20200229 = 43890.0;
constexpr double k20000229 = 36585.0;
constexpr double k99991231 = 2958465.0;

struct DateCase {
  Text text;
  double expected;
};

TEST(TextToDateTest, AcceptsEveryDocumentedForm) {
  const DateCase cases[] = {
      {T("2020-09-01"), k20200901},
      {T("2020/9/1"), k20200901},
      {T("20200901"), k20200901},
      {T("2020.09.01"), k20200901},
      {T("2020:09:01"), k20200901},
      {T("2020-09-01 "), k20200901},
      {T("2020-09-01 15:30:00"), k20200901 + 15.5 / 24.0},
      {T("2020-09-01-15-30"), k20200901 + 15.5 / 24.0},
      {T("202009011530"), k20200901 + 15.5 / 24.0},
      {T("2020-09-01 00:00:01"), k20200901 + 1.0 / 86400.0},
      {ConcatText(T("2020"), gbk::kYear, T("9"), gbk::kMonth, T("1"), gbk::kDay), k20200901},
      {ConcatText(T("2020"), gbk::kYear, T("09"), gbk::kMonth, T("01"), gbk::kDay, T("15"),
                  gbk::kHour, T("30"), gbk::kMinute, T("00"), gbk::kSecond),
       k20200901 + 15.5 / 24.0},
      // Whatever follows the seconds mark is not looked at.
      {ConcatText(T("2020-09-01 15:30:00"), gbk::kSecond, T("xyz")), k20200901 + 15.5 / 24.0},
      {FullWidth("2020-09-01"), k20200901},
      {FullWidth("2020-09-01 15:30:00"), k20200901 + 15.5 / 24.0},
      // Leap years, the calendar's ends, the OLE epoch.
      {T("2020-02-29"), k20200229},
      {T("2000-02-29"), k20000229},
      {T("0100-01-01"), -657434.0},
      {T("100-1-1"), -657434.0},
      {T("9999-12-31"), k99991231},
      {T("9999-12-31 23:59:59"), k99991231 + 86399.0 / 86400.0},
      {T("1899-12-30"), 0.0},
      // Before day 0 the time of day counts away from zero, as OLE dates do.
      {T("1899-12-29 06:00:00"), -1.25},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(test_text::Show(test_text::V(c.text)));
    EXPECT_DOUBLE_EQ(TextToDate(c.text).oleDate, c.expected);
  }
}

TEST(TextToDateTest, GivesTheMinimumDateForAnythingElse) {
  const Text cases[] = {
      T(""),
      T("abc"),
      T("2020-02-30"),
      T("2020-13-01"),
      T("2020-00-10"),
      T("2020-09-00"),
      T("99-01-01"),
      T("2020-09"),
      T(" 2020-09-01"),
      T("2020-09-01x"),
      T("2020-09-01  "),
      T("2019-02-29"),
      T("1900-02-29"),
      T("2020-04-31"),
      T("2020--09-01"),
      T("10000-01-01"),
      T("2020-09-01 24:00:00"),
      T("2020-09-01 23:60:00"),
      T("2020-09-01 23:59:60"),
      T("2020-09-01 15:30:00:"),
      ConcatText(T("2020-09-01"), gbk::kYear),  // a separator in the wrong place
      ConcatText(T("2020-09-01"), test_text::kZhong),
      T("2020-09-01\xB0"),  // a lead byte cut off at the end
  };
  for (const auto& text : cases) {
    SCOPED_TRACE(test_text::Show(test_text::V(text)));
    EXPECT_EQ(TextToDate(text).oleDate, kMinimumOleDate);
  }
}

TEST(DayOfWeekTest, NumbersWeekdaysFromSunday) {
  struct Case {
    double oleDate;
    int expected;
  } const cases[] = {
      {-657434.0, 6},  // 100-01-01, Friday
      {k20200901, 3},  // Tuesday
      {k20200901 + 0.99, 3},
      {k20200229, 7},  // Saturday
      {0.0, 7},        // 1899-12-30, Saturday
      {1.0, 1},        // Sunday
      {-1.0, 6},       // 1899-12-29, Friday
      {-1.25, 6},      // 1899-12-29 06:00
      {-36522.5, 4},   // 1800-01-01 12:00, Wednesday
      {25569.0, 5},    // 1970-01-01, Thursday
      {k99991231, 6},  // Friday
      {std::numeric_limits<double>::quiet_NaN(), 6},
      {std::numeric_limits<double>::infinity(), 6},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DayOfWeek(DateTime{c.oleDate}), c.expected) << c.oleDate;
  }
}

TEST(DayOfWeekTest, AgreesWithTextToDateForTimesBeforeTheEpoch) {
  EXPECT_EQ(DayOfWeek(TextToDate(T("1800-01-01 12:00:00"))), 4);
  EXPECT_EQ(DayOfWeek(TextToDate(T("1800-01-01 23:59:59"))), 4);
  EXPECT_EQ(DayOfWeek(TextToDate(T("2020-09-01"))), 3);
  EXPECT_EQ(DayOfWeek(TextToDate(T("not a date"))), 6);
}

}  // namespace
