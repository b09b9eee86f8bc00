// Throughput of the conversions that touch whole pages: Utf8ToAnsi and
// UrlDecode over 2 MB and 4 MB inputs (the time should double with the size).

#include <benchmark/benchmark.h>

#include <string>

#include "text/encoding.h"
#include "text/utf8_literal.h"

namespace {

// `piece` repeated and cut to exactly `size` bytes.
Text Repeated(const Text& piece, std::size_t size) {
  Text text;
  text.reserve(size + piece.size());
  while (text.size() < size) text += piece;
  text.resize(size);
  return text;
}

// UTF-8 text like a page of the fund list: ASCII with Chinese names mixed in.
Text MakeUtf8(std::size_t size) {
  return Repeated("[\"000001\",\"HXCZHH\",\"华夏成长混合\",\"混合型\"],", size);
}

// The same kind of text percent-encoded, as it comes out of a script.
Text MakePercentEncoded(std::size_t size) {
  return Repeated("000001%2CHXCZHH%2C%E5%8D%8E%E5%A4%8F%E6%88%90%E9%95%BF+%E6%B7%B7%E5%90%88;",
                  size);
}

void BM_Utf8ToAnsi(benchmark::State& state) {
  const Text input = MakeUtf8(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    Text output = Utf8ToAnsi(input);
    benchmark::DoNotOptimize(output);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Utf8ToAnsi)->Arg(2 << 20)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

void BM_UrlDecode(benchmark::State& state) {
  const Text input = MakePercentEncoded(static_cast<std::size_t>(state.range(0)));
  const bool decodeUtf8 = state.range(1) != 0;
  for (auto _ : state) {
    Text output = UrlDecode(input, decodeUtf8);
    benchmark::DoNotOptimize(output);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_UrlDecode)
    ->ArgsProduct({{2 << 20, 4 << 20}, {0, 1}})
    ->ArgNames({"bytes", "utf8"})
    ->Unit(benchmark::kMillisecond);

// A label converted again and again, as the window and the markers do; the
// same short text through Utf8ToAnsi shows what a conversion without the
// cache costs.
void BM_Utf8Literal(benchmark::State& state) {
  for (auto _ : state) {
    Text label = Utf8Literal("成立以来");
    benchmark::DoNotOptimize(label);
  }
}
BENCHMARK(BM_Utf8Literal);

void BM_Utf8ToAnsiShort(benchmark::State& state) {
  const Text input = "成立以来";
  for (auto _ : state) {
    Text label = Utf8ToAnsi(input);
    benchmark::DoNotOptimize(label);
  }
}
BENCHMARK(BM_Utf8ToAnsiShort);

}  // namespace

BENCHMARK_MAIN();
