#include "query/query_fund.h"

#include "query/weekday_tally.h"
#include "text/encoding.h"
#include "text/keep_non_ascii.h"
#include "text/markers.h"
#include "text/numbers.h"
#include "text/text_array_ops.h"
#include "text/text_cut.h"
#include "text/utf8_literal.h"
#include "web/fetch_page.h"

namespace {

// The table request for `page` ("&per=40" is what the service expects; it may
// still answer with pages of its own size, and the page count it announces
// is what the loop follows).
Text TablePageAddress(const Text& serviceBase, const Text& code, const Text& page,
                      const Text& dates) {
  return ConcatText(serviceBase, "/f10/F10DataApi.aspx?type=lsjz&code=", code, "&page=", page,
                    "&per=40", dates);
}

Text FetchGet(const Text& url) {
  FetchOptions options;
  options.method = 0;
  return FetchPage(url, options);
}

void ClearResultLabels(FundView& view) {
  view.SetLabel(ResultLabel::标签基金名称, Text());
  for (int weekday = 1; weekday <= 5; ++weekday) view.SetLabel(RiseLabel(weekday), Text());
  for (int weekday = 1; weekday <= 5; ++weekday) view.SetLabel(FallLabel(weekday), Text());
  for (int weekday = 1; weekday <= 5; ++weekday) view.SetLabel(DayCountLabel(weekday), Text());
}

}  // namespace

Text FundServiceBase() { return Text("http://fund.eastmoney.com"); }

void QueryFund(FundView& view, const Text& serviceBase) {
  TextArray pageRows;
  TextArray allRows;

  ClearResultLabels(view);
  const Text code = view.ReadInput(InputBox::编辑框_基金代码);

  // The fund's entry runs from just after the code to the next "]"; its
  // Chinese fields, decoded from UTF-8, are the name shown.
  const Text script = FetchGet(ConcatText(serviceBase, "/js/fundcode_search.js"));
  Text name = TextBetween(script, code, "]");
  name = UrlDecode(name, true);
  name = KeepNonAscii(name);
  view.SetLabel(ResultLabel::标签基金名称, name);

  // The check box and the date boxes are read only now, after the script has
  // arrived, so a change made while it loaded still counts.
  Text dates;
  if (!view.IsSinceInceptionChecked()) {
    const Text start = view.ReadInput(InputBox::编辑框1开始);
    const Text end = view.ReadInput(InputBox::编辑框1结束);
    dates = ConcatText("&sdate=", start, "&edate=", end);
  }

  // The first page is fetched only for its page count; its rows are taken
  // again in the loop, so page 1 is counted once.
  const Text firstPage = FetchGet(TablePageAddress(serviceBase, code, "1", dates));
  const std::int32_t pageCount = ToInteger(TextBetween(firstPage, "pages:", ","));

  static const Text kRowPrefix = Utf8Literal("日期");
  // A 64-bit counter, so a page count of INT32_MAX cannot overflow it.
  for (std::int64_t i = 1; i <= pageCount; ++i) {
    const Text page = FetchGet(
        TablePageAddress(serviceBase, code, NumberToText(static_cast<std::int32_t>(i)), dates));
    AllTextsBetween(page, "<tr><td>", "</tr>", pageRows, false, 0, kRowPrefix);
    ArrayAppend(allRows, pageRows);
  }

  TallyWeekdays(allRows, view);
}
