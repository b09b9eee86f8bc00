#include "query/weekday_tally.h"

#include <array>
#include <cstddef>
#include <limits>

#include "text/dates.h"
#include "text/markers.h"
#include "text/numbers.h"
#include "text/text_cut.h"
#include "text/text_scan.h"
#include "text/utf8_literal.h"

namespace {

// DayOfWeek numbers Monday 2 ... Friday 6; Sunday 1 and Saturday 7 have no tally.
constexpr int kMonday = 2;
constexpr int kFriday = 6;

void CountOne(std::int32_t& count) {
  // More rows than a 32-bit count holds cannot fit in memory as Text, but the
  // count stays defined even then.
  if (count < std::numeric_limits<std::int32_t>::max()) ++count;
}

// "rises" or "falls" of `total` days as a percentage with two decimals and a
// "%" sign. The quotient comes first, then the scaling; 0 / 0 gives a NaN
// (floating-point exceptions are masked), which prints as "--".
Text PercentText(std::int32_t part, double total) {
  const double percent = RoundNumber(static_cast<double>(part) / total * 100.0, 2);
  return ConcatText(NumberToText(percent), "%");
}

}  // namespace

void TallyWeekdays(const TextArray& allRows, FundView& view) {
  static const Text kDateLeft = Utf8Literal("日期");
  static const Text kDateRight = "</td>";
  static const Text kRiseClass = "tor bold red";
  static const Text kFallClass = "tor bold grn";

  std::array<WeekdayTally, 5> tallies{};  // [0] Monday ... [4] Friday

  for (const Text& row : allRows) {
    // Every row begins with "日期", so this is its first cell, the date; a
    // text that is no date gives 100-01-01, a Friday.
    const int weekday = DayOfWeek(TextToDate(TextBetween(row, kDateLeft, kDateRight)));
    if (weekday < kMonday || weekday > kFriday) continue;
    WeekdayTally& tally = tallies[static_cast<std::size_t>(weekday - kMonday)];
    if (FindText(row, kRiseClass) >= 1) CountOne(tally.rises);
    if (FindText(row, kFallClass) >= 1) CountOne(tally.falls);
  }

  std::array<double, 5> days{};
  for (std::size_t i = 0; i < days.size(); ++i) {
    days[i] = static_cast<double>(tallies[i].rises) + static_cast<double>(tallies[i].falls);
  }
  for (int k = 1; k <= 5; ++k) {
    const std::size_t i = static_cast<std::size_t>(k - 1);
    view.SetLabel(RiseLabel(k), PercentText(tallies[i].rises, days[i]));
  }
  for (int k = 1; k <= 5; ++k) {
    const std::size_t i = static_cast<std::size_t>(k - 1);
    view.SetLabel(FallLabel(k), PercentText(tallies[i].falls, days[i]));
  }
  for (int k = 1; k <= 5; ++k) {
    view.SetLabel(DayCountLabel(k), NumberToText(days[static_cast<std::size_t>(k - 1)]));
  }
}
