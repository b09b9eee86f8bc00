// The window driven by real X input: xdotool moves the pointer, clicks and
// types through the X server's test extension, exactly as a user's mouse and
// keyboard would, while the window handles the events as the program does.

#include <FL/Fl.H>
#include <FL/fl_utf8.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/shown_window_test.h"
#include "app/toolkit_setup.h"
#include "app/window_pump.h"
#include "query/weekday_tally.h"
#include "text/pump_events.h"
#include "text/utf8_literal.h"

namespace {

class RealInputTest : public ShownWindowTest {
 protected:
  void SetUp() override {
    ShownWindowTest::SetUp();
    if (HasFatalFailure()) return;
    main_->onQuery = [this] {
      ++queries_;
      TallyWeekdays(TextArray(), *main_);
    };
  }

  MainWindow& main() { return *main_; }

  void Type(const std::string& utf8) { Xdotool({"type", "--delay", "40", utf8}); }
  void Keys(const std::vector<std::string>& keys) {
    std::vector<std::string> arguments = {"key", "--delay", "30"};
    arguments.insert(arguments.end(), keys.begin(), keys.end());
    Xdotool(arguments);
  }

  int queries_ = 0;
};

TEST_F(RealInputTest, SevenTypedCharactersLeaveSixInTheCodeBox) {
  ClickOn(main().编辑框_基金代码);
  Type("1234567");
  EXPECT_STREQ(main().编辑框_基金代码.value(), "123456");
  EXPECT_EQ(main().ReadInput(InputBox::编辑框_基金代码), Text("123456"));
}

TEST_F(RealInputTest, SixChineseCharactersFitAndASeventhOfAnyKindIsRefused) {
  ClickOn(main().编辑框_基金代码);
  Type("华夏成长混合");
  ASSERT_STREQ(main().编辑框_基金代码.value(), "华夏成长混合");
  Type("型");
  Type("7");
  EXPECT_STREQ(main().编辑框_基金代码.value(), "华夏成长混合");
  EXPECT_EQ(main().ReadInput(InputBox::编辑框_基金代码), Utf8Literal("华夏成长混合"));
}

TEST_F(RealInputTest, PastingWithCtrlVStopsAtSixCharacters) {
  const char* clipboard = "一二三四五六七八";
  Fl::copy(clipboard, static_cast<int>(std::strlen(clipboard)), 1);
  ClickOn(main().编辑框_基金代码);
  Type("12");
  Keys({"ctrl+v"});
  EXPECT_STREQ(main().编辑框_基金代码.value(), "12一二三四");
}

TEST_F(RealInputTest, TypingOrDeletingInEitherDateBoxUnticksAndRetickingKeepsTheDates) {
  for (EditBox* box : {&main().编辑框1开始, &main().编辑框1结束}) {
    SCOPED_TRACE(box == &main().编辑框1开始 ? "start box" : "end box");
    ASSERT_TRUE(main().IsSinceInceptionChecked());
    ClickOn(*box);
    Type("2");
    EXPECT_FALSE(main().IsSinceInceptionChecked()) << "after one character";
    Type("020-02-02");

    ClickOn(main().选择框1);
    EXPECT_TRUE(main().IsSinceInceptionChecked());
    EXPECT_STREQ(box->value(), "2020-02-02");

    // Deleting the whole date unticks as well.
    ClickOn(*box);
    Keys({"End"});
    Keys(std::vector<std::string>(10, "BackSpace"));
    EXPECT_STREQ(box->value(), "");
    EXPECT_FALSE(main().IsSinceInceptionChecked()) << "after deleting";

    ClickOn(main().选择框1);
    ASSERT_TRUE(main().IsSinceInceptionChecked());
  }
}

TEST_F(RealInputTest, ClickOnQueryRunsAQueryThatFillsTheLabels) {
  ClickOn(main().按钮_查询);
  EXPECT_EQ(queries_, 1);
  EXPECT_EQ(main().busyDepth(), 0);
  for (int weekday = 1; weekday <= 5; ++weekday) {
    EXPECT_STREQ(main().LabelFor(RiseLabel(weekday)).label(), "--%");
    EXPECT_STREQ(main().LabelFor(FallLabel(weekday)).label(), "--%");
    EXPECT_STREQ(main().LabelFor(DayCountLabel(weekday)).label(), "0");
  }
}

}  // namespace
