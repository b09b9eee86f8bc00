// KeepNonAscii over a fund name (about 200 bytes) and over whole pages of
// mixed text (64 KB and 128 KB): the cost per byte must stay flat as the
// text grows, since every kept character is one regexp match.

#include <benchmark/benchmark.h>

#include "text/keep_non_ascii.h"
#include "text/utf8_literal.h"

namespace {

// A fund-list-like text of `bytes` bytes: entries of Chinese names between
// ASCII codes and punctuation (and, on request, line breaks and tabs).
Text FundListText(std::size_t bytes, bool withWhitespace = false) {
  const Text entry = withWhitespace
                         ? Utf8Literal("\"000001\",\t\"华夏 成长混合\",\"混合型-灵活\"\r\n")
                         : Utf8Literal("\"000001\",\"HXCZHH\",\"华夏成长混合\",\"混合型-灵活\",");
  Text text;
  while (text.size() + entry.size() <= bytes) text += entry;
  while (text.size() < bytes) text += 'x';
  return text;
}

void BM_KeepNonAscii(benchmark::State& state) {
  const Text text = FundListText(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    Text kept = KeepNonAscii(text);
    benchmark::DoNotOptimize(kept);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_KeepNonAscii)->Arg(200)->Arg(64 << 10)->Arg(128 << 10)->Unit(benchmark::kMicrosecond);

void BM_KeepNonAsciiRemovingWhitespace(benchmark::State& state) {
  const Text text = FundListText(static_cast<std::size_t>(state.range(0)), true);
  for (auto _ : state) {
    Text kept = KeepNonAscii(text, true);
    benchmark::DoNotOptimize(kept);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_KeepNonAsciiRemovingWhitespace)
    ->Arg(64 << 10)
    ->Arg(128 << 10)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
