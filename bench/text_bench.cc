// Throughput of the text core's scans over web-page sized input. Every case
// runs at two sizes (N and 2N): linear code shows the same bytes per second
// at both.

#include <benchmark/benchmark.h>

#include <cstddef>

#include "text/markers.h"
#include "text/text_array_ops.h"
#include "text/text_cut.h"
#include "text/text_scan.h"
#include "text/utf8_literal.h"

namespace {

// About `bytes` bytes of mixed ASCII and two-byte characters. The "丄" has
// the ASCII "A" as its trail byte, so scans must step over it.
Text MixedText(std::size_t bytes) {
  const Text chunk = Utf8Literal(
      "Fund value 4.8680 基金 rose; 2020-09-24 开放申购 <td class='tor bold'>丄</td> 赎回;\r\n");
  Text text;
  text.reserve(bytes + chunk.size());
  while (text.size() < bytes) text += chunk;
  return text;
}

Text TablePage(int rows) {
  const Text row = Utf8Literal(
      "<tr><td>2020-09-24</td><td class='tor bold'>4.8680</td>"
      "<td class='tor bold'>4.8680</td><td class='tor bold grn'>-3.81%</td><td>开放申购</td>"
      "<td>开放赎回</td><td class='red unbold'></td></tr>\r\n");
  Text page = "<table class='w782 comm lsjz'><thead><tr><th>date</th></tr></thead><tbody>";
  page.reserve(page.size() + row.size() * static_cast<std::size_t>(rows) + 64);
  for (int i = 0; i < rows; ++i) page += row;
  page += "</tbody></table>";
  return page;
}

constexpr std::int64_t kMiB = 1 << 20;

void BM_FindTextAbsent(benchmark::State& state) {
  const Text text = MixedText(static_cast<std::size_t>(state.range(0)));
  const Text sought = "not-in-the-text";
  for (auto _ : state) benchmark::DoNotOptimize(FindText(text, sought));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_FindTextAbsent)->Arg(kMiB)->Arg(2 * kMiB)->Unit(benchmark::kMicrosecond);

void BM_FindTextAbsentIgnoreCase(benchmark::State& state) {
  const Text text = MixedText(static_cast<std::size_t>(state.range(0)));
  const Text sought = "NOT-IN-THE-TEXT";
  for (auto _ : state) benchmark::DoNotOptimize(FindText(text, sought, 1, true));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_FindTextAbsentIgnoreCase)->Arg(kMiB)->Arg(2 * kMiB)->Unit(benchmark::kMicrosecond);

// The worst case for a naive search: every position is a long partial match.
void BM_FindTextRepetitive(benchmark::State& state) {
  const Text text(static_cast<std::size_t>(state.range(0)), 'a');
  const Text sought = Text(1000, 'a') + "b";
  for (auto _ : state) benchmark::DoNotOptimize(FindText(text, sought));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_FindTextRepetitive)->Arg(kMiB)->Arg(2 * kMiB)->Unit(benchmark::kMicrosecond);

void BM_AllTextsBetweenRows(benchmark::State& state) {
  const Text page = TablePage(static_cast<int>(state.range(0)));
  const Text prefix = Utf8Literal("日期");
  TextArray rows;
  for (auto _ : state) {
    benchmark::DoNotOptimize(AllTextsBetween(page, "<tr><td>", "</tr>", rows, false, 0, prefix));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(page.size()));
  state.counters["rows"] = ArraySize(rows);
}
BENCHMARK(BM_AllTextsBetweenRows)
    ->Arg(40)
    ->Arg(80)
    ->Arg(10000)
    ->Arg(20000)
    ->Unit(benchmark::kMicrosecond);

// Blank markers make every piece empty, so each round restarts the search
// one byte on inside the stretch the right-marker search already covered.
void BM_AllTextsBetweenEmptyPieces(benchmark::State& state) {
  Text text(static_cast<std::size_t>(state.range(0)), ' ');
  text += "x";
  TextArray out;
  for (auto _ : state) benchmark::DoNotOptimize(AllTextsBetween(text, " ", "x", out));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_AllTextsBetweenEmptyPieces)
    ->Arg(kMiB / 4)
    ->Arg(kMiB / 2)
    ->Unit(benchmark::kMicrosecond);

void BM_ReplaceText(benchmark::State& state) {
  const Text text = MixedText(static_cast<std::size_t>(state.range(0)));
  const Text sought = "tor bold";
  const Text replacement = "TOR";
  for (auto _ : state) benchmark::DoNotOptimize(ReplaceText(text, sought, replacement));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ReplaceText)->Arg(kMiB)->Arg(2 * kMiB)->Unit(benchmark::kMicrosecond);

void BM_SplitText(benchmark::State& state) {
  const Text text = MixedText(static_cast<std::size_t>(state.range(0)));
  const Text separator = ";";
  for (auto _ : state) benchmark::DoNotOptimize(SplitText(text, separator));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_SplitText)->Arg(kMiB)->Arg(2 * kMiB)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
