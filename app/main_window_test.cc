#include "app/main_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Input.H>
#include <FL/fl_utf8.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/gui_test_support.h"
#include "app/toolkit_setup.h"
#include "app/window_pump.h"
#include "query/weekday_tally.h"
#include "text/pump_events.h"
#include "text/text_cut.h"
#include "text/utf8_literal.h"

namespace {

using gui_test::Drain;

std::string LabelOf(const Fl_Widget& widget) {
  return widget.label() != nullptr ? widget.label() : "";
}

int CharacterCount(const Fl_Input& box) {
  return fl_utf_nb_char(reinterpret_cast<const unsigned char*>(box.value()), box.size());
}

// What a key press that produces `utf8` does to the focused box.
void TypeText(Fl_Input& box, const char* utf8) {
  Fl::focus(&box);
  Fl::e_keysym = 'a';
  Fl::e_state = 0;
  Fl::e_text = const_cast<char*>(utf8);
  Fl::e_length = static_cast<int>(std::strlen(utf8));
  box.handle(FL_KEYBOARD);
}

void PressKey(Fl_Input& box, int key) {
  Fl::focus(&box);
  Fl::e_keysym = key;
  Fl::e_state = 0;
  Fl::e_text = const_cast<char*>("");
  Fl::e_length = 0;
  box.handle(FL_KEYBOARD);
}

// Puts `utf8` on the clipboard and pastes it into `box` at its cursor.
void PasteText(Fl_Input& box, const char* utf8) {
  Fl::copy(utf8, static_cast<int>(std::strlen(utf8)), 1);
  Fl::focus(&box);
  Fl::paste(box, 1);
}

class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "needs an X display: run through with_xvfb.sh";
    // Pointer shapes from the X server's own cursor font: a cursor theme may
    // animate the busy pointer, whose picture would then change over time.
    setenv("XCURSOR_PATH", "/nonexistent", 1);
    InitialiseToolkit();
    main_ = std::make_unique<MainWindow>();
  }
  void TearDown() override {
    InstallEventPump(nullptr);
    main_.reset();
    Drain();
  }

  MainWindow& main() { return *main_; }

 private:
  std::unique_ptr<MainWindow> main_;
};

// ---- Layout and initial state -------------------------------------------

TEST_F(MainWindowTest, WindowHasItsCaptionPlaceSizeAndIcon) {
  gui_test::ShowAndWait(main());
  Fl_Window& window = main().window();
  EXPECT_STREQ(window.label(), "Dalvex");
  EXPECT_EQ(window.x(), 50);
  EXPECT_EQ(window.y(), 50);
  XWindowAttributes attributes;
  ASSERT_TRUE(XGetWindowAttributes(fl_display, gui_test::XidOf(window), &attributes));
  EXPECT_EQ(attributes.width, 413);
  EXPECT_EQ(attributes.height, 308);

  // The icon reaches the window manager as _NET_WM_ICON: width, height, pixels.
  Atom type = None;
  int format = 0;
  unsigned long items = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  ASSERT_EQ(XGetWindowProperty(fl_display, gui_test::XidOf(window),
                               XInternAtom(fl_display, "_NET_WM_ICON", False), 0, 4096, False,
                               XA_CARDINAL, &type, &format, &items, &remaining, &data),
            Success);
  ASSERT_NE(data, nullptr);
  const long* icon = reinterpret_cast<const long*>(data);
  EXPECT_EQ(items, 2u + 32u * 32u);
  EXPECT_EQ(icon[0], 32);
  EXPECT_EQ(icon[1], 32);
  XFree(data);
}

struct ControlCase {
  const char* name;
  Fl_Widget* widget;
  int x, y, width, height;
  const char* caption;  // null: starts empty
};

std::vector<ControlCase> Controls(MainWindow& m) {
  return {
      {"编辑框_基金代码", &m.编辑框_基金代码, 80, 204, 112, 24, nullptr},
      {"选择框1", &m.选择框1, 240, 204, 80, 24, "成立以来"},
      {"编辑框1开始", &m.编辑框1开始, 80, 242, 80, 24, nullptr},
      {"编辑框1结束", &m.编辑框1结束, 232, 242, 80, 24, nullptr},
      {"按钮_查询", &m.按钮_查询, 336, 240, 56, 24, "查询"},
      {"标签基金名称", &m.标签基金名称, 40, 8, 288, 40, nullptr},
      {"标签_1加", &m.标签_1加, 64, 88, 48, 24, nullptr},
      {"标签_2加", &m.标签_2加, 120, 88, 48, 24, nullptr},
      {"标签_3加", &m.标签_3加, 176, 88, 48, 24, nullptr},
      {"标签_4加", &m.标签_4加, 232, 88, 48, 24, nullptr},
      {"标签_5加", &m.标签_5加, 288, 88, 48, 24, nullptr},
      {"标签_1减", &m.标签_1减, 64, 128, 48, 24, nullptr},
      {"标签_2减", &m.标签_2减, 120, 128, 48, 24, nullptr},
      {"标签_3减", &m.标签_3减, 176, 128, 48, 24, nullptr},
      {"标签_4减", &m.标签_4减, 232, 128, 48, 24, nullptr},
      {"标签_5减", &m.标签_5减, 288, 128, 48, 24, nullptr},
      {"标签1天数1", &m.标签1天数1, 64, 168, 48, 24, nullptr},
      {"标签1天数2", &m.标签1天数2, 120, 168, 48, 24, nullptr},
      {"标签1天数3", &m.标签1天数3, 176, 168, 48, 24, nullptr},
      {"标签1天数4", &m.标签1天数4, 232, 168, 48, 24, nullptr},
      {"标签1天数5", &m.标签1天数5, 288, 168, 48, 24, nullptr},
      {"标签7", &m.标签7, 336, 16, 64, 32, "日期示例：2020-02-02"},
      {"标签2", &m.标签2, 32, 48, 32, 24, "星期："},
      {"标签_周一", &m.标签_周一, 80, 48, 32, 24, "周一"},
      {"标签_周一1", &m.标签_周一1, 128, 48, 32, 24, "周二"},
      {"标签_周一3", &m.标签_周一3, 184, 48, 32, 24, "周三"},
      {"标签_周一2", &m.标签_周一2, 240, 48, 32, 24, "周四"},
      {"标签_周一4", &m.标签_周一4, 296, 48, 32, 24, "周五"},
      {"标签1", &m.标签1, 32, 88, 32, 24, "涨："},
      {"标签3", &m.标签3, 32, 128, 32, 24, "跌："},
      {"标签6", &m.标签6, 16, 168, 48, 24, "天数："},
      {"标签_基金代码", &m.标签_基金代码, 16, 204, 64, 24, "基金代码："},
      {"标签4", &m.标签4, 16, 242, 56, 24, "开始时间："},
      {"标签5", &m.标签5, 168, 242, 56, 24, "结束日期："},
  };
}

TEST_F(MainWindowTest, EveryControlHasItsPlaceSizeCaptionAndInitialState) {
  const std::vector<ControlCase> controls = Controls(main());
  EXPECT_EQ(static_cast<int>(controls.size()), main().window().children());
  for (const ControlCase& c : controls) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.widget->parent(), &main().window());
    EXPECT_EQ(c.widget->x(), c.x);
    EXPECT_EQ(c.widget->y(), c.y);
    EXPECT_EQ(c.widget->w(), c.width);
    EXPECT_EQ(c.widget->h(), c.height);
    if (auto* box = dynamic_cast<Fl_Input*>(c.widget)) {
      EXPECT_STREQ(box->value(), "");
      EXPECT_EQ(box->type(), FL_NORMAL_INPUT);  // single line
    } else {
      EXPECT_EQ(LabelOf(*c.widget), c.caption != nullptr ? c.caption : "");
    }
  }
  EXPECT_NE(dynamic_cast<Fl_Check_Button*>(&main().选择框1), nullptr);
  EXPECT_EQ(main().选择框1.value(), 1);
  EXPECT_EQ(dynamic_cast<Fl_Check_Button*>(&main().按钮_查询), nullptr);
  // Only the code box is limited.
  EXPECT_EQ(main().编辑框_基金代码.maximum_size(), 6);

  // The same state through the query's view of the window.
  for (InputBox box : {InputBox::编辑框_基金代码, InputBox::编辑框1开始, InputBox::编辑框1结束}) {
    EXPECT_EQ(main().ReadInput(box), Text());
  }
  EXPECT_TRUE(main().IsSinceInceptionChecked());
}

TEST_F(MainWindowTest, ResultLabelsMapToTheirControls) {
  EXPECT_EQ(&main().LabelFor(ResultLabel::标签基金名称), &main().标签基金名称);
  EXPECT_EQ(&main().LabelFor(RiseLabel(1)), &main().标签_1加);
  EXPECT_EQ(&main().LabelFor(RiseLabel(5)), &main().标签_5加);
  EXPECT_EQ(&main().LabelFor(FallLabel(1)), &main().标签_1减);
  EXPECT_EQ(&main().LabelFor(FallLabel(5)), &main().标签_5减);
  EXPECT_EQ(&main().LabelFor(DayCountLabel(1)), &main().标签1天数1);
  EXPECT_EQ(&main().LabelFor(DayCountLabel(5)), &main().标签1天数5);
}

// ---- The fund code's six characters -------------------------------------

struct CodeEntryCase {
  const char* name;
  std::vector<const char*> typed;  // key presses, one text each
  const char* pasted;              // then pasted, or null
  const char* expected;
};

TEST_F(MainWindowTest, CodeBoxHoldsSixCharactersTypedOrPasted) {
  const CodeEntryCase cases[] = {
      {"seven digits typed", {"1", "2", "3", "4", "5", "6", "7"}, nullptr, "123456"},
      {"six Chinese typed, then a digit",
       {"一", "二", "三", "四", "五", "六", "7"},
       nullptr,
       "一二三四五六"},
      {"six Chinese typed, then a seventh",
       {"一", "二", "三", "四", "五", "六", "七"},
       nullptr,
       "一二三四五六"},
      {"eight Chinese pasted", {}, "一二三四五六七八", "一二三四五六"},
      {"four digits, then three Chinese pasted", {"1", "2", "3", "4"}, "一二三", "1234一二"},
      {"seven digits pasted", {}, "0000017", "000001"},
      {"characters beyond the basic plane count once", {}, "𠀀𠀁𠀂𠀃𠀄𠀅𠀆", "𠀀𠀁𠀂𠀃𠀄𠀅"},
  };
  for (const CodeEntryCase& c : cases) {
    SCOPED_TRACE(c.name);
    Fl_Input& box = main().编辑框_基金代码;
    box.value("");
    for (const char* key : c.typed) TypeText(box, key);
    if (c.pasted != nullptr) PasteText(box, c.pasted);
    EXPECT_STREQ(box.value(), c.expected);
    EXPECT_LE(CharacterCount(box), 6);
  }
}

TEST_F(MainWindowTest, SelectedCodeCanBeReplacedWithinTheLimit) {
  Fl_Input& box = main().编辑框_基金代码;
  box.value("123456");
  box.position(0, box.size());  // all selected
  PasteText(box, "甲乙丙丁戊己庚");
  EXPECT_STREQ(box.value(), "甲乙丙丁戊己");
}

TEST_F(MainWindowTest, DateBoxesTakeAnyLength) {
  const std::string longDate(200, '9');
  TypeText(main().编辑框1开始, longDate.c_str());
  EXPECT_EQ(std::string(main().编辑框1开始.value()), longDate);
}

// ---- The date boxes and "成立以来" ----------------------------------------

enum class Edit { kType, kDeleteAll, kPaste };

TEST_F(MainWindowTest, AnyChangeToEitherDateBoxUnticksSinceInception) {
  for (EditBox* box : {&main().编辑框1开始, &main().编辑框1结束}) {
    for (Edit edit : {Edit::kType, Edit::kDeleteAll, Edit::kPaste}) {
      SCOPED_TRACE(testing::Message() << (box == &main().编辑框1开始 ? "start" : "end")
                                      << " box, edit " << static_cast<int>(edit));
      box->value("2020-02-0");
      box->position(box->size());
      main().选择框1.value(1);
      switch (edit) {
        case Edit::kType:
          TypeText(*box, "2");
          break;
        case Edit::kDeleteAll:
          for (int i = 0; i < 9; ++i) PressKey(*box, FL_BackSpace);
          ASSERT_STREQ(box->value(), "");
          break;
        case Edit::kPaste:
          PasteText(*box, "2");
          break;
      }
      EXPECT_FALSE(main().IsSinceInceptionChecked());
      EXPECT_EQ(main().选择框1.value(), 0);
    }
  }
}

TEST_F(MainWindowTest, RetickingKeepsTheDatesAndCodeChangesDoNotUntick) {
  TypeText(main().编辑框1开始, "2020-01-01");
  TypeText(main().编辑框1结束, "2020-02-02");
  ASSERT_FALSE(main().IsSinceInceptionChecked());
  main().选择框1.value(1);  // the user re-ticks it
  EXPECT_EQ(main().ReadInput(InputBox::编辑框1开始), Text("2020-01-01"));
  EXPECT_EQ(main().ReadInput(InputBox::编辑框1结束), Text("2020-02-02"));
  TypeText(main().编辑框_基金代码, "0");
  EXPECT_TRUE(main().IsSinceInceptionChecked());
  main().UncheckSinceInception();
  EXPECT_FALSE(main().IsSinceInceptionChecked());
}

// ---- Text across the window's edge --------------------------------------

TEST_F(MainWindowTest, InputsReadAsCodePage936WithQuestionMarksForMissingCharacters) {
  struct Case {
    const char* typed;
    Text expected;
  };
  const Case cases[] = {
      {"000001", Text("000001")},
      {"华夏成长", Utf8Literal("华夏成长")},
      {"１２３", Utf8Literal("１２３")},
      {"A한B", Text("A?B")},                   // Hangul is not in code page 936
      {" 2020-02-02 ", Text(" 2020-02-02 ")},  // exactly as typed: no trimming
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    main().编辑框1开始.value(c.typed);
    EXPECT_EQ(main().ReadInput(InputBox::编辑框1开始), c.expected);
  }
}

TEST_F(MainWindowTest, LabelsShowTextConvertedFromCodePage936) {
  main().SetLabel(ResultLabel::标签基金名称, Utf8Literal("华夏成长混合"));
  EXPECT_EQ(LabelOf(main().标签基金名称), "华夏成长混合");
  main().SetLabel(RiseLabel(3), Text("33.33%"));
  EXPECT_EQ(LabelOf(main().标签_3加), "33.33%");
  // Label texts are shown literally: "@" and "&" are not FLTK markup here.
  main().SetLabel(FallLabel(2), Text("@-> &x"));
  EXPECT_EQ(LabelOf(main().标签_2减), "@-> &x");
  main().SetLabel(RiseLabel(3), Text());
  EXPECT_EQ(LabelOf(main().标签_3加), "");
}

// ---- Clicks, nested queries and the busy pointer ------------------------

TEST_F(MainWindowTest, ClickOnQueryRunsTheQueryInsideTheClick) {
  int runs = 0;
  main().onQuery = [&] {
    ++runs;
    EXPECT_EQ(main().busyDepth(), 1);
    TallyWeekdays(TextArray(), main());
  };
  gui_test::ShowAndWait(main());
  gui_test::QueueClick(main().window(), main().按钮_查询);
  Drain();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(main().busyDepth(), 0);
  EXPECT_EQ(LabelOf(main().标签_1加), "--%");
  EXPECT_EQ(LabelOf(main().标签_5减), "--%");
  EXPECT_EQ(LabelOf(main().标签1天数3), "0");
}

TextArray RowsOf(const char* date, int count) {
  TextArray rows;
  for (int i = 0; i < count; ++i) {
    rows.Append(ConcatText(Utf8Literal("日期"), date, "</td><td class='tor bold red'>1%</td>"));
  }
  return rows;
}

// Pumps until the events caused so far have all been handled.
void PumpQueued() {
  for (int i = 0; i < 3; ++i) {
    XSync(fl_display, False);
    PumpEvents();
  }
}

TEST_F(MainWindowTest, SecondClickDuringAQueryRunsANestedQueryAndTheOuterWritesLast) {
  InstallWindowEventPump(main());
  gui_test::ShowAndWait(main());
  Fl_Window& window = main().window();

  // An empty spot of the window, and the pointer's look there when idle.
  gui_test::MovePointer(window, 8, 290);
  Drain();
  const gui_test::PointerImage idle = gui_test::CurrentPointerImage();
  ASSERT_GT(idle.width, 0);

  std::vector<std::string> log;
  gui_test::PointerImage outerBusy;
  gui_test::PointerImage nestedBusy;
  gui_test::PointerImage busyAfterNested;
  gui_test::PointerImage busyOverInput;
  int depthInNested = 0;
  int depthAfterNested = 0;
  int runs = 0;
  main().onQuery = [&] {
    if (++runs == 1) {
      log.push_back("outer starts");
      outerBusy = gui_test::CurrentPointerImage();
      gui_test::QueueClick(window, main().按钮_查询);
      PumpQueued();  // the second click is handled here, inside the outer query
      depthAfterNested = main().busyDepth();
      busyAfterNested = gui_test::CurrentPointerImage();
      // Over an edit box the pointer stays busy while the query runs.
      gui_test::MovePointer(window, main().编辑框1开始.x() + 5, main().编辑框1开始.y() + 5);
      PumpQueued();
      busyOverInput = gui_test::CurrentPointerImage();
      gui_test::MovePointer(window, 8, 290);
      PumpQueued();
      TallyWeekdays(RowsOf("2020-08-31", 3), main());  // Mondays: the outer result
      log.push_back("outer ends");
    } else {
      log.push_back("nested starts");
      depthInNested = main().busyDepth();
      nestedBusy = gui_test::CurrentPointerImage();
      TallyWeekdays(RowsOf("2020-09-01", 2), main());  // Tuesdays
      log.push_back("nested ends");
    }
  };

  gui_test::QueueClick(window, main().按钮_查询);
  Drain();

  EXPECT_THAT(log,
              testing::ElementsAre("outer starts", "nested starts", "nested ends", "outer ends"));
  EXPECT_EQ(depthInNested, 2);
  EXPECT_EQ(depthAfterNested, 1);
  EXPECT_EQ(main().busyDepth(), 0);
  // The outer query wrote last: its Monday figures and no Tuesday days.
  EXPECT_EQ(LabelOf(main().标签_1加), "100%");
  EXPECT_EQ(LabelOf(main().标签1天数1), "3");
  EXPECT_EQ(LabelOf(main().标签1天数2), "0");

  // Busy from the outer start until the outer end, through the nested query.
  EXPECT_NE(outerBusy, idle);
  EXPECT_EQ(nestedBusy, outerBusy);
  EXPECT_EQ(busyAfterNested, outerBusy);
  EXPECT_EQ(busyOverInput, outerBusy);
  EXPECT_EQ(gui_test::CurrentPointerImage(), idle);
  // Once idle, an edit box shows its own pointer again.
  gui_test::MovePointer(window, main().编辑框1开始.x() + 5, main().编辑框1开始.y() + 5);
  Drain();
  const gui_test::PointerImage overInputIdle = gui_test::CurrentPointerImage();
  EXPECT_NE(overInputIdle, outerBusy);
  EXPECT_NE(overInputIdle, idle);
}

TEST_F(MainWindowTest, QueryThatThrowsStillEndsTheBusyState) {
  gui_test::ShowAndWait(main());
  main().onQuery = [] { throw 1; };
  main().RunQuery();
  EXPECT_EQ(main().busyDepth(), 0);
}

// ---- Closing ------------------------------------------------------------

TEST_F(MainWindowTest, CloseRequestWhileIdleHidesTheWindowAndLaterWritesDoNothing) {
  gui_test::ShowAndWait(main());
  main().SetLabel(RiseLabel(1), Text("50%"));
  gui_test::QueueCloseRequest(main().window());
  Drain();
  EXPECT_TRUE(main().closed());
  EXPECT_FALSE(main().window().shown());

  main().SetLabel(RiseLabel(1), Text("12.5%"));
  main().UncheckSinceInception();
  EXPECT_EQ(LabelOf(main().标签_1加), "50%");
  EXPECT_TRUE(main().IsSinceInceptionChecked());
  main().Show();  // a closed window stays closed
  EXPECT_FALSE(main().window().shown());
}

TEST_F(MainWindowTest, EscapeDoesNotCloseTheWindow) {
  gui_test::ShowAndWait(main());
  gui_test::MovePointer(main().window(), 8, 290);
  gui_test::QueueKey(main().window(), XK_Escape);
  Drain();
  EXPECT_FALSE(main().closed());
  EXPECT_TRUE(main().window().shown());
}

// With a pump that only handles events, a query that goes on after the close
// writes nowhere and leaves the controls as they were.
TEST_F(MainWindowTest, WritesOfAQueryAfterTheCloseDoNothing) {
  InstallEventPump([] { Fl::check(); });
  gui_test::ShowAndWait(main());
  main().onQuery = [&] {
    main().SetLabel(ResultLabel::标签基金名称, Utf8Literal("基金甲"));
    gui_test::QueueCloseRequest(main().window());
    PumpQueued();
    EXPECT_TRUE(main().closed());
    main().SetLabel(ResultLabel::标签基金名称, Text());
    TallyWeekdays(RowsOf("2020-08-31", 2), main());
    main().UncheckSinceInception();
  };
  gui_test::QueueClick(main().window(), main().按钮_查询);
  Drain();
  EXPECT_TRUE(main().closed());
  EXPECT_EQ(main().busyDepth(), 0);
  EXPECT_EQ(LabelOf(main().标签基金名称), "基金甲");
  EXPECT_EQ(LabelOf(main().标签_1加), "");
  EXPECT_EQ(LabelOf(main().标签1天数1), "");
  EXPECT_TRUE(main().IsSinceInceptionChecked());
}

// With the program's own pump, closing the window during a query ends the
// program right at that pump: the query does not go on.
TEST_F(MainWindowTest, CloseDuringAQueryEndsTheProgramAtThePump) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        InstallWindowEventPump(main());
        gui_test::ShowAndWait(main());
        main().onQuery = [&] {
          std::fputs("query started\n", stderr);
          gui_test::QueueCloseRequest(main().window());
          XSync(fl_display, False);
          PumpEvents();
          std::fputs("query continued\n", stderr);
        };
        gui_test::QueueClick(main().window(), main().按钮_查询);
        Drain();
        std::fputs("click returned\n", stderr);
        std::exit(3);
      },
      testing::ExitedWithCode(0),
      testing::AllOf(testing::HasSubstr("query started"),
                     testing::Not(testing::HasSubstr("continued")),
                     testing::Not(testing::HasSubstr("returned"))));
}

}  // namespace
