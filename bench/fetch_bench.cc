// FetchPage against the loopback server, next to the curl command-line tool
// fetching the same URLs from the same server, for a ratio.
//
// Fairness: FetchPage opens a new session and connection for every page, as
// the program does. curl is measured two ways: one process per URL (what a
// script calling curl 200 times pays, process start included), and one
// process given all 200 URLs (which may keep its connection alive between
// them). Bodies from curl go to /dev/null; FetchPage's are decoded to Text.
// Times are wall-clock: curl works in a child process.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "testing/loopback_server.h"
#include "web/fetch_page.h"

extern char** environ;

namespace {

using testing_support::HttpRequest;
using testing_support::LoopbackServer;
using testing_support::ResponseScript;

constexpr int kSmallFetches = 200;
constexpr std::size_t kLargeBodyBytes = 2u << 20;

const std::string& LargeResponse() {
  static const std::string response = [] {
    std::string body;
    body.reserve(kLargeBodyBytes);
    while (body.size() < kLargeBodyBytes) body += "<tr><td>2020-09-01</td><td>1.2345</td></tr>\n";
    body.resize(kLargeBodyBytes);
    return testing_support::ResponseBytes(200, "OK", {{"Content-Type", "text/html"}}, body);
  }();
  return response;
}

LoopbackServer& Server() {
  static LoopbackServer server([](const HttpRequest& request) -> ResponseScript {
    if (request.target == "/large") return {testing_support::Send(LargeResponse())};
    return testing_support::OkResponse("<html><body>var r = [\"000001\",\"HXCZ\"];</body></html>");
  });
  return server;
}

// Runs curl with `arguments`, its output thrown away; false when it failed.
bool RunCurl(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  std::string program = "curl";
  argv.push_back(program.data());
  std::vector<std::string> copies = arguments;
  for (std::string& argument : copies) argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, "curl", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  int status = 0;
  if (waitpid(child, &status, 0) != child) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_FetchPage_Large2MB(benchmark::State& state) {
  const Text url(Server().BaseUrl() + "/large");
  for (auto _ : state) {
    FetchOptions options;
    const Text page = FetchPage(url, options);
    if (page.size() != kLargeBodyBytes) state.SkipWithError("short body");
    benchmark::DoNotOptimize(page.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kLargeBodyBytes));
}
BENCHMARK(BM_FetchPage_Large2MB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Curl_Large2MB(benchmark::State& state) {
  const std::string url = Server().BaseUrl() + "/large";
  for (auto _ : state) {
    if (!RunCurl({"-s", url})) state.SkipWithError("curl failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kLargeBodyBytes));
}
BENCHMARK(BM_Curl_Large2MB)->Unit(benchmark::kMillisecond)->UseRealTime();

benchmark::Counter PerFetch() {
  return benchmark::Counter(
      kSmallFetches, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_FetchPage_200Small(benchmark::State& state) {
  const Text url(Server().BaseUrl() + "/js/fundcode_search.js");
  for (auto _ : state) {
    for (int i = 0; i < kSmallFetches; ++i) {
      FetchOptions options;
      const Text page = FetchPage(url, options);
      if (page.empty()) state.SkipWithError("empty page");
      benchmark::DoNotOptimize(page.data());
    }
  }
  state.counters["per_fetch"] = PerFetch();
}
BENCHMARK(BM_FetchPage_200Small)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Curl_200Processes(benchmark::State& state) {
  const std::string url = Server().BaseUrl() + "/js/fundcode_search.js";
  for (auto _ : state) {
    for (int i = 0; i < kSmallFetches; ++i) {
      if (!RunCurl({"-s", url})) state.SkipWithError("curl failed");
    }
  }
  state.counters["per_fetch"] = PerFetch();
}
BENCHMARK(BM_Curl_200Processes)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Curl_OneProcess200Urls(benchmark::State& state) {
  std::vector<std::string> arguments = {"-s"};
  for (int i = 0; i < kSmallFetches; ++i) {
    arguments.push_back(Server().BaseUrl() + "/js/fundcode_search.js");
  }
  for (auto _ : state) {
    if (!RunCurl(arguments)) state.SkipWithError("curl failed");
  }
  state.counters["per_fetch"] = PerFetch();
}
BENCHMARK(BM_Curl_OneProcess200Urls)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
