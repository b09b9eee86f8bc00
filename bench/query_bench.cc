// A whole query against the fake fund-data service on loopback: 4,800 trading
// days at 40 rows a page (120 pages, 122 requests), with no added latency and
// with 20 ms per response. Reports the wall time beside the sum of the added
// latencies (the floor no sequential client can beat), the client thread's
// CPU time (divide by "pages" for the time per page), and the process's peak
// resident memory (the in-process fake service's 2 MB script included).

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include "query/query_fund.h"
#include "testing/fake_fund_service.h"
#include "testing/recording_view.h"

namespace {

using namespace testing_support;

constexpr int kDays = 4800;
constexpr int kPageSize = 40;
constexpr int kPages = kDays / kPageSize;
constexpr int kRequests = kPages + 2;

FakeFundData BenchData() {
  FakeFundData data;
  FakeFund fund;
  fund.code = "000001";
  fund.abbreviation = "HXCZHH";
  fund.nameUtf8 = "华夏成长混合";
  fund.typeUtf8 = "混合型-灵活";
  fund.pinyin = "HUAXIACHENGZHANGHUNHE";
  fund.days = MakeTradingDays(kDays, 2020, 9, 24, 1);
  data.AddFund(std::move(fund));
  return data;
}

void BM_WholeQuery(benchmark::State& state) {
  FakeFundServiceOptions options;
  options.pageSize = kPageSize;
  options.latencyMilliseconds = static_cast<int>(state.range(0));
  FakeFundService service(BenchData(), options);
  const Text base(service.BaseUrl());

  for (auto _ : state) {
    RecordingView view;
    view.SetInput(InputBox::编辑框_基金代码, "000001");
    QueryFund(view, base);
    benchmark::DoNotOptimize(view.LabelText(DayCountLabel(1)));
    if (view.LabelText(DayCountLabel(1)).empty()) state.SkipWithError("query produced nothing");
  }

  const double floorSeconds = kRequests * state.range(0) / 1000.0;
  state.counters["pages"] = kPages;
  state.counters["latency_floor_s"] = floorSeconds;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_WholeQuery)
    ->Arg(0)
    ->Arg(20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
