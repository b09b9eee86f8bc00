// Closing the window while a query runs ends the program at the next point
// where events are handled: no crash, and no request after the close. The
// window runs in a child process (its own X connection), the fake service
// stays in this one and keeps the request log.

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/gui_test_support.h"
#include "app/main_window.h"
#include "app/toolkit_setup.h"
#include "app/window_pump.h"
#include "query/query_fund.h"
#include "testing/fake_fund_service.h"
#include "text/pump_events.h"

namespace {

using namespace testing_support;

constexpr int kQueryResumed = 3;

FakeFundData ServiceData() {
  FakeFundData data;
  FakeFund fund;
  fund.code = "000001";
  fund.nameUtf8 = "华夏成长混合";
  fund.days = MakeTradingDays(60, 2020, 9, 24, 1);
  data.AddFund(std::move(fund));
  return data;
}

// In the child: shows the window, clicks "查询" and has the window manager's
// close request arrive at the `closeAtPump`-th pump of the query.
// Writes one byte to `closingSignal` as the close request goes out.
[[noreturn]] void RunWindowAndCloseDuringQuery(const std::string& base, int closeAtPump,
                                               int closingSignal) {
  InitialiseToolkit();
  MainWindow window;
  gui_test::ShowAndWait(window);
  window.编辑框_基金代码.value("000001");
  window.onQuery = [&] { QueryFund(window, Text(base)); };
  int pumps = 0;
  InstallEventPump([&] {
    if (++pumps == closeAtPump) {
      gui_test::QueueCloseRequest(window.window());
      XSync(fl_display, False);
      const char closing = 'c';
      if (write(closingSignal, &closing, 1) != 1) std::_Exit(4);
    }
    PumpWindowEvents(window);
  });
  window.RunQuery();
  // Reaching this line means the query went on after the window closed.
  std::_Exit(kQueryResumed);
}

class CloseDuringQuery : public testing::TestWithParam<int> {};

// Waits up to `milliseconds` for one byte on `fd`; false on time-out or EOF.
bool ReadByteWithin(int fd, int milliseconds) {
  pollfd ready{fd, POLLIN, 0};
  if (poll(&ready, 1, milliseconds) != 1) return false;
  char byte = 0;
  return read(fd, &byte, 1) == 1;
}

TEST_P(CloseDuringQuery, EndsTheProgramWithoutFurtherRequests) {
  ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs an X display: run through with_xvfb.sh";
  const int closeAtPump = GetParam();

  // The window process is forked while this one still runs a single thread
  // (a fork beside running threads may copy a lock some thread held); the
  // service starts afterwards and sends its address down a pipe.
  int address[2];
  int closing[2];
  ASSERT_EQ(pipe(address), 0);
  ASSERT_EQ(pipe(closing), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(address[1]);
    close(closing[0]);
    char base[128] = {};
    std::size_t length = 0;
    while (length < sizeof base - 1) {
      const ssize_t got = read(address[0], base + length, sizeof base - 1 - length);
      if (got <= 0) break;
      length += static_cast<std::size_t>(got);
    }
    RunWindowAndCloseDuringQuery(std::string(base, length), closeAtPump, closing[1]);
  }
  close(address[0]);
  close(closing[1]);

  FakeFundServiceOptions options;
  options.scriptBytes = 10'000;
  FakeFundService service(ServiceData(), options);
  const std::string base = service.BaseUrl();
  ASSERT_EQ(write(address[1], base.data(), base.size()), static_cast<ssize_t>(base.size()));
  close(address[1]);

  // Requests are made one after another and each is answered before the
  // query goes on, so what the service has logged when the close goes out
  // is every request made before it.
  const bool reachedPump = ReadByteWithin(closing[0], 60'000);
  const std::size_t requestsBeforeClose = service.RequestCount();
  close(closing[0]);
  if (!reachedPump) kill(child, SIGKILL);

  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(reachedPump) << "the query never reached the pump";
  ASSERT_TRUE(WIFEXITED(status)) << "the window process crashed (signal "
                                 << (WIFSIGNALED(status) ? WTERMSIG(status) : 0) << ")";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the query resumed after the window closed";

  EXPECT_EQ(service.RequestCount(), requestsBeforeClose) << "a request after the close";
  // The first pump comes inside the fund list fetch: nothing else was asked.
  if (closeAtPump == 1) {
    EXPECT_EQ(service.RequestTargets(), std::vector<std::string>{"/js/fundcode_search.js"});
  }
  // A query runs 2 + 3 requests here; a close mid-query leaves it short.
  EXPECT_LT(service.RequestCount(), 5u);
}

// The first pump (inside the fund list fetch) and a later one (inside a table
// page fetch).
INSTANTIATE_TEST_SUITE_P(AtPump, CloseDuringQuery, testing::Values(1, 12));

}  // namespace
