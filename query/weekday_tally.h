#pragma once
// The weekday statistics of one query: every collected table row is dated,
// and the rises and falls of Monday to Friday are counted and written to the
// fifteen statistics labels of the view.

#include <cstdint>

#include "query/fund_view.h"
#include "text/text_types.h"

// The counts of one weekday; both start at zero for every query.
struct WeekdayTally {
  std::int32_t rises = 0;
  std::int32_t falls = 0;
};

// Counts `allRows` (each "日期" followed by a row's inner text) per weekday and
// then writes, in this order, the five rise percentages, the five fall
// percentages and the five day counts. A weekday without counted days shows
// "--%" twice and "0". Nothing is written before every row is counted.
void TallyWeekdays(const TextArray& allRows, FundView& view);
