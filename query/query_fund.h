#pragma once
// One whole query: read the window's inputs, fetch the fund's name from the
// fund list script, fetch every page of its net-value table, and hand all
// rows to TallyWeekdays. Every failure ends as empty text or zero counts in
// the labels; nothing is reported and nothing is kept between queries.

#include "query/fund_view.h"
#include "text/text_types.h"

// The public fund-data service. The window queries this; tests pass the
// address of a fake service on loopback.
Text FundServiceBase();

// Runs a query against the service at `serviceBase` (scheme and host, no
// trailing slash), writing only to `view`. All working state lives in this
// call, so a nested call made from a pumped event does not disturb it.
void QueryFund(FundView& view, const Text& serviceBase);
