#include "query/weekday_tally.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "testing/recording_view.h"
#include "text/text_cut.h"
#include "text/utf8_literal.h"

namespace {

// Dates of one week: Monday 2020-08-31 ... Sunday 2020-09-06.
const char* const kWeekDates[] = {"2020-08-31", "2020-09-01", "2020-09-02", "2020-09-03",
                                  "2020-09-04", "2020-09-05", "2020-09-06"};
const char* WeekdayDate(int weekday) { return kWeekDates[weekday - 1]; }  // 1 = Monday

enum class Change { kRise, kFall, kNeither, kBoth };

const char* ChangeClass(Change change) {
  switch (change) {
    case Change::kRise:
      return "tor bold red";
    case Change::kFall:
      return "tor bold grn";
    case Change::kNeither:
      return "tor bold";
    case Change::kBoth:
      return "tor bold red'>0.10%</td><td class='tor bold grn";
  }
  return "";
}

// A row as the query collects it: "日期", then the inner text of a table row
// whose first cell is `firstCell`, the change cell carrying `changeClass`.
Text RowWithCell(std::string_view firstCell, std::string_view changeClass) {
  return ConcatText(Utf8Literal("日期"), firstCell,
                    "</td><td class='tor bold'>1.2340</td><td class='tor bold'>2.3450</td>"
                    "<td class='",
                    changeClass, "'>0.52%</td><td>",
                    Utf8Literal("开放申购</td><td>开放赎回</td><td class='red unbold'>"));
}

Text Row(const char* date, Change change) { return RowWithCell(date, ChangeClass(change)); }

struct WeekdayFigures {
  std::string rise;
  std::string fall;
  std::string days;
};

WeekdayFigures FiguresOf(const RecordingView& view, int weekday) {
  return {std::string(view.LabelText(RiseLabel(weekday))),
          std::string(view.LabelText(FallLabel(weekday))),
          std::string(view.LabelText(DayCountLabel(weekday)))};
}

void ExpectFigures(const RecordingView& view, int weekday, const WeekdayFigures& expected) {
  const WeekdayFigures shown = FiguresOf(view, weekday);
  EXPECT_EQ(shown.rise, expected.rise) << "weekday " << weekday;
  EXPECT_EQ(shown.fall, expected.fall) << "weekday " << weekday;
  EXPECT_EQ(shown.days, expected.days) << "weekday " << weekday;
}

const WeekdayFigures kNoDays = {"--%", "--%", "0"};

struct WorkedCase {
  int rises;
  int falls;
  WeekdayFigures figures;
};

const WorkedCase kWorkedCases[] = {
    {1, 2, {"33.33%", "66.67%", "3"}}, {1, 1, {"50%", "50%", "2"}},
    {4, 0, {"100%", "0%", "4"}},       {1, 7, {"12.5%", "87.5%", "8"}},
    {1, 6, {"14.29%", "85.71%", "7"}}, {5, 8, {"38.46%", "61.54%", "13"}},
    {0, 3, {"0%", "100%", "3"}},
};

TEST(TallyWeekdaysTest, WorkedValuesLandUnderTheirWeekdayOnly) {
  for (const WorkedCase& worked : kWorkedCases) {
    for (int weekday = 1; weekday <= 5; ++weekday) {
      SCOPED_TRACE(testing::Message() << worked.rises << " rises, " << worked.falls
                                      << " falls on weekday " << weekday);
      // Rises and falls interleaved, with a row of neither class among them.
      TextArray rows;
      for (int i = 0; i < worked.rises || i < worked.falls; ++i) {
        if (i < worked.rises) rows.Append(Row(WeekdayDate(weekday), Change::kRise));
        rows.Append(Row(WeekdayDate(weekday), Change::kNeither));
        if (i < worked.falls) rows.Append(Row(WeekdayDate(weekday), Change::kFall));
      }
      RecordingView view;
      TallyWeekdays(rows, view);
      for (int other = 1; other <= 5; ++other) {
        ExpectFigures(view, other, other == weekday ? worked.figures : kNoDays);
      }
    }
  }
}

TEST(TallyWeekdaysTest, WritesRisesThenFallsThenDayCountsMondayFirst) {
  TextArray rows;
  rows.Append(Row(WeekdayDate(3), Change::kRise));
  rows.Append(Row(WeekdayDate(1), Change::kFall));
  RecordingView view;
  TallyWeekdays(rows, view);

  std::vector<ResultLabel> expected;
  for (int k = 1; k <= 5; ++k) expected.push_back(RiseLabel(k));
  for (int k = 1; k <= 5; ++k) expected.push_back(FallLabel(k));
  for (int k = 1; k <= 5; ++k) expected.push_back(DayCountLabel(k));
  std::vector<ResultLabel> written;
  for (const RecordingView::LabelWrite& write : view.writes()) written.push_back(write.label);
  EXPECT_EQ(written, expected);
  // Only the fifteen statistics labels: the name label is never touched.
  EXPECT_EQ(view.LabelWriteCount(ResultLabel::标签基金名称), 0);
  ExpectFigures(view, 1, {"0%", "100%", "1"});
  ExpectFigures(view, 3, {"100%", "0%", "1"});
}

TEST(TallyWeekdaysTest, EmptyInputShowsNoPercentagesAndZeroDays) {
  RecordingView view;
  TallyWeekdays(TextArray(), view);
  ASSERT_EQ(view.writes().size(), 15u);
  for (int weekday = 1; weekday <= 5; ++weekday) ExpectFigures(view, weekday, kNoDays);
}

TEST(TallyWeekdaysTest, WeekendRowsAreIgnoredWhateverTheirClass) {
  TextArray rows;
  for (const char* date : {"2020-09-05", "2020-09-06"}) {
    for (Change change : {Change::kRise, Change::kFall, Change::kBoth})
      rows.Append(Row(date, change));
  }
  RecordingView view;
  TallyWeekdays(rows, view);
  for (int weekday = 1; weekday <= 5; ++weekday) ExpectFigures(view, weekday, kNoDays);
}

// A first cell that is no valid date dates the row 100-01-01, a Friday.
struct FirstCellCase {
  const char* name;
  Text row;
  int weekday;  // 1 = Monday ... 5 = Friday
};

TEST(TallyWeekdaysTest, RowsWithoutAValidDateCountUnderFriday) {
  const FirstCellCase cases[] = {
      {"empty cell", RowWithCell("", ChangeClass(Change::kRise)), 5},
      {"30 February", RowWithCell("2020-02-30", ChangeClass(Change::kRise)), 5},
      {"date then text", RowWithCell("2020-09-01x", ChangeClass(Change::kRise)), 5},
      {"blank before date", RowWithCell(" 2020-09-01", ChangeClass(Change::kRise)), 5},
      {"upper-case end tags",
       ConcatText(Utf8Literal("日期"), "2020-09-01</TD><TD CLASS='tor bold red'>0.52%</TD><TD>"),
       5},
      {"no prefix", ConcatText("2020-09-01</td><td class='tor bold red'>0.52%</td><td>"), 5},
      {"date then one blank", RowWithCell("2020-09-01 ", ChangeClass(Change::kRise)), 2},
      {"slashes", RowWithCell("2020/9/1", ChangeClass(Change::kRise)), 2},
      {"full-width digits",
       RowWithCell(Utf8Literal("２０２０－０９－０１"), ChangeClass(Change::kRise)), 2},
  };
  for (const FirstCellCase& c : cases) {
    SCOPED_TRACE(c.name);
    TextArray rows;
    rows.Append(c.row);
    RecordingView view;
    TallyWeekdays(rows, view);
    for (int weekday = 1; weekday <= 5; ++weekday) {
      ExpectFigures(view, weekday,
                    weekday == c.weekday ? WeekdayFigures{"100%", "0%", "1"} : kNoDays);
    }
  }
}

TEST(TallyWeekdaysTest, ClassesAreTestedIndependently) {
  TextArray rows;
  rows.Append(Row(WeekdayDate(2), Change::kNeither));  // not a counted day
  rows.Append(Row(WeekdayDate(4), Change::kBoth));     // a rise and a fall
  RecordingView view;
  TallyWeekdays(rows, view);
  ExpectFigures(view, 2, kNoDays);
  ExpectFigures(view, 4, {"50%", "50%", "2"});
}

TEST(TallyWeekdaysTest, DuplicateRowsCountTwice) {
  TextArray rows;
  const Text row = Row(WeekdayDate(1), Change::kRise);
  rows.Append(row);
  rows.Append(row);
  rows.Append(Row(WeekdayDate(1), Change::kFall));
  RecordingView view;
  TallyWeekdays(rows, view);
  ExpectFigures(view, 1, {"66.67%", "33.33%", "3"});
}

TEST(TallyWeekdaysTest, ClassesMatchInExactCaseOnly) {
  TextArray rows;
  for (const char* cls : {"TOR BOLD RED", "Tor Bold Red", "tor bold Red", "TOR BOLD GRN",
                          "tor bold Grn", "tor  bold red", "tor bold"}) {
    rows.Append(RowWithCell(WeekdayDate(5), cls));
  }
  rows.Append(Row(WeekdayDate(5), Change::kFall));
  RecordingView view;
  TallyWeekdays(rows, view);
  ExpectFigures(view, 5, {"0%", "100%", "1"});
}

TEST(TallyWeekdaysTest, EveryQueryStartsFromZero) {
  TextArray rows;
  rows.Append(Row(WeekdayDate(1), Change::kRise));
  RecordingView first;
  TallyWeekdays(rows, first);
  RecordingView second;
  TallyWeekdays(rows, second);
  ExpectFigures(second, 1, {"100%", "0%", "1"});
}

}  // namespace
