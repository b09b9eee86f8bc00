// TallyWeekdays over many rows: one pass, three searches a row, so the time
// grows with the number of rows (100,000 rows take about ten times as long as
// 10,000).

#include <benchmark/benchmark.h>

#include <cstdio>

#include "query/weekday_tally.h"
#include "testing/recording_view.h"
#include "text/text_cut.h"
#include "text/utf8_literal.h"

namespace {

// Rows as a query collects them from the net-value table: "日期", the date,
// then the other cells, the change cell marked as a rise, a fall or neither.
TextArray MakeRows(int count) {
  static const char* const kClasses[] = {"tor bold red", "tor bold grn", "tor bold"};
  const Text prefix = Utf8Literal("日期");
  const Text tail = Utf8Literal("</td><td>开放申购</td><td>开放赎回</td><td class='red unbold'>");
  TextArray rows;
  rows.Reserve(count);
  char date[16];
  for (int i = 0; i < count; ++i) {
    // Days of 2000 to 2027, cycling, so every weekday occurs.
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", 2000 + (i / 336) % 28, 1 + (i / 28) % 12,
                  1 + i % 28);
    rows.Append(ConcatText(prefix, date,
                           "</td><td class='tor bold'>1.2340</td><td class='tor bold'>2.3450</td>"
                           "<td class='",
                           kClasses[i % 3], "'>0.52%", tail));
  }
  return rows;
}

void BM_TallyWeekdays(benchmark::State& state) {
  const TextArray rows = MakeRows(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    RecordingView view;
    TallyWeekdays(rows, view);
    benchmark::DoNotOptimize(view.writes().data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_TallyWeekdays)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
