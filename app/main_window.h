#pragma once
// The program's one window: the inputs of a query, the button that starts
// it, and the sixteen labels a query writes. It is the FundView the query
// procedure reads and writes, converting between FLTK's UTF-8 and Text.
//
// Events: either date box changing (typed, deleted, pasted) unticks
// "成立以来" at once; a click on "查询" runs `onQuery` to its end, inside the
// click handler. While a query runs the window shows the busy pointer; queries
// nested through pumped events keep it until the outermost one ends.
//
// Closing: the window hides and counts as closed. When it was idle, FLTK's
// loop then has no window left and the program ends. When a query is running,
// the close was handled inside that query's event pump, and the pump ends the
// program as soon as it returns (see window_pump.h): the query never resumes,
// so it makes no further request. Label writes and the unticking after a
// close do nothing, so no write ever reaches a hidden or destroyed widget.

#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>

#include <array>
#include <functional>

#include "app/edit_box.h"
#include "app/label_box.h"
#include "query/fund_view.h"
#include "text/text_types.h"

class MainWindow : public FundView {
 public:
  static constexpr int kLeft = 50;
  static constexpr int kTop = 50;
  static constexpr int kWidth = 413;
  static constexpr int kHeight = 308;
  static constexpr int kCodeLength = 6;  // characters, not bytes

  // Creates the window with every control in its initial state; the toolkit
  // must be initialised (InitialiseToolkit) first.
  MainWindow();
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  void Show();
  Fl_Double_Window& window() { return window_; }

  // What a click on "查询" runs. Empty: the click does nothing.
  std::function<void()> onQuery;

  // FundView.
  Text ReadInput(InputBox box) override;
  bool IsSinceInceptionChecked() override;
  void SetLabel(ResultLabel label, const Text& text) override;
  void UncheckSinceInception() override;

  // Runs `onQuery` as a click on "查询" does: busy pointer on, the query to
  // its end, busy pointer off when no other query is still running.
  void RunQuery();
  // How many queries are running (more than one when nested).
  int busyDepth() const { return busyDepth_; }
  // Hides the window as the window manager's close button does.
  void Close();
  bool closed() const { return closed_; }

  LabelBox& LabelFor(ResultLabel label);

 private:
  static void OnWindowClose(Fl_Widget* widget, void* self);
  static void OnQueryClick(Fl_Widget* widget, void* self);
  static void OnDateChanged(Fl_Widget* widget, void* self);
  void ShowPointer(Fl_Cursor shape);
  EditBox& BoxFor(InputBox box);

  int busyDepth_ = 0;
  bool closed_ = false;

  // The window comes first: the controls below are created inside it.
  Fl_Double_Window window_;

 public:
  // The form's controls under their own names, in tab order of the inputs.
  // Public so that tests can drive and inspect them as a user would.
  LabelBox 标签基金名称;
  LabelBox 标签7;
  LabelBox 标签2;
  LabelBox 标签_周一;
  LabelBox 标签_周一1;
  LabelBox 标签_周一3;
  LabelBox 标签_周一2;
  LabelBox 标签_周一4;
  LabelBox 标签1;
  LabelBox 标签_1加;
  LabelBox 标签_2加;
  LabelBox 标签_3加;
  LabelBox 标签_4加;
  LabelBox 标签_5加;
  LabelBox 标签3;
  LabelBox 标签_1减;
  LabelBox 标签_2减;
  LabelBox 标签_3减;
  LabelBox 标签_4减;
  LabelBox 标签_5减;
  LabelBox 标签6;
  LabelBox 标签1天数1;
  LabelBox 标签1天数2;
  LabelBox 标签1天数3;
  LabelBox 标签1天数4;
  LabelBox 标签1天数5;
  LabelBox 标签_基金代码;
  LabelBox 标签4;
  LabelBox 标签5;
  EditBox 编辑框_基金代码;
  Fl_Check_Button 选择框1;
  EditBox 编辑框1开始;
  EditBox 编辑框1结束;
  Fl_Button 按钮_查询;

 private:
  std::array<LabelBox*, 16> resultLabels_;
};
