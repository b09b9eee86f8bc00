#include "text/pump_events.h"

#include <gtest/gtest.h>

namespace {

TEST(PumpEventsTest, DoesNothingUntilAPumpIsInstalled) {
  InstallEventPump(nullptr);
  PumpEvents();  // must simply return
  int calls = 0;
  EXPECT_FALSE(InstallEventPump([&calls] { ++calls; }));
  PumpEvents();
  PumpEvents();
  EXPECT_EQ(calls, 2);
  const auto previous = InstallEventPump(nullptr);
  ASSERT_TRUE(previous);
  PumpEvents();
  EXPECT_EQ(calls, 2);
  previous();
  EXPECT_EQ(calls, 3);
}

TEST(PumpEventsTest, InstallReturnsThePreviousPump) {
  int first = 0;
  int second = 0;
  InstallEventPump([&first] { ++first; });
  auto previous = InstallEventPump([&second] { ++second; });
  PumpEvents();
  EXPECT_EQ(second, 1);
  previous();
  EXPECT_EQ(first, 1);
  InstallEventPump(nullptr);
}

TEST(PumpEventsTest, APumpMayReplaceItselfWhileRunning) {
  int outer = 0;
  int inner = 0;
  InstallEventPump([&] {
    ++outer;
    InstallEventPump([&inner] { ++inner; });
    ++outer;  // still running after its own std::function was replaced
  });
  PumpEvents();
  PumpEvents();
  EXPECT_EQ(outer, 2);
  EXPECT_EQ(inner, 1);
  InstallEventPump(nullptr);
}

}  // namespace
