#include "app/main_window.h"

#include <FL/Enumerations.H>
#include <FL/Fl.H>

#include "app/app_icon.h"
#include "app/toolkit_text.h"

namespace {

constexpr int kCaptionSize = 12;
constexpr int kNameSize = 14;

// Restores a busy depth when a query ends, however it ends.
class BusyScope {
 public:
  explicit BusyScope(int& depth) : depth_(depth) { ++depth_; }
  ~BusyScope() { --depth_; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  int& depth_;
};

}  // namespace

MainWindow::MainWindow()
    : window_(kLeft, kTop, kWidth, kHeight, "Dalvex"),
      标签基金名称(40, 8, 288, 40),
      标签7(336, 16, 64, 32, "日期示例：2020-02-02"),
      标签2(32, 48, 32, 24, "星期："),
      标签_周一(80, 48, 32, 24, "周一"),
      标签_周一1(128, 48, 32, 24, "周二"),
      标签_周一3(184, 48, 32, 24, "周三"),
      标签_周一2(240, 48, 32, 24, "周四"),
      标签_周一4(296, 48, 32, 24, "周五"),
      标签1(32, 88, 32, 24, "涨："),
      标签_1加(64, 88, 48, 24),
      标签_2加(120, 88, 48, 24),
      标签_3加(176, 88, 48, 24),
      标签_4加(232, 88, 48, 24),
      标签_5加(288, 88, 48, 24),
      标签3(32, 128, 32, 24, "跌："),
      标签_1减(64, 128, 48, 24),
      标签_2减(120, 128, 48, 24),
      标签_3减(176, 128, 48, 24),
      标签_4减(232, 128, 48, 24),
      标签_5减(288, 128, 48, 24),
      标签6(16, 168, 48, 24, "天数："),
      标签1天数1(64, 168, 48, 24),
      标签1天数2(120, 168, 48, 24),
      标签1天数3(176, 168, 48, 24),
      标签1天数4(232, 168, 48, 24),
      标签1天数5(288, 168, 48, 24),
      标签_基金代码(16, 204, 64, 24, "基金代码："),
      标签4(16, 242, 56, 24, "开始时间："),
      标签5(168, 242, 56, 24, "结束日期："),
      编辑框_基金代码(80, 204, 112, 24),
      选择框1(240, 204, 80, 24, "成立以来"),
      编辑框1开始(80, 242, 80, 24),
      编辑框1结束(232, 242, 80, 24),
      按钮_查询(336, 240, 56, 24, "查询"),
      resultLabels_{&标签基金名称, &标签_1加,   &标签_2加,   &标签_3加,  &标签_4加, &标签_5加,
                    &标签_1减,     &标签_2减,   &标签_3减,   &标签_4减,  &标签_5减, &标签1天数1,
                    &标签1天数2,   &标签1天数3, &标签1天数4, &标签1天数5} {
  window_.end();
  window_.size_range(kWidth, kHeight, kWidth, kHeight);  // fixed layout: not resizable
  window_.xclass("Dalvex");
  window_.icon(&AppIcon());
  window_.callback(OnWindowClose, this);

  标签基金名称.labelsize(kNameSize);
  for (LabelBox* caption : {&标签7, &标签2, &标签_周一, &标签_周一1, &标签_周一3, &标签_周一2,
                            &标签_周一4, &标签1, &标签3, &标签6, &标签_基金代码, &标签4, &标签5}) {
    caption->SetOverflow(true);
  }

  // The fund code holds at most six characters, typed or pasted; FLTK counts
  // the limit in UTF-8 characters, so six Chinese characters fit as well.
  编辑框_基金代码.maximum_size(kCodeLength);
  编辑框_基金代码.when(FL_WHEN_NEVER);
  for (EditBox* date : {&编辑框1开始, &编辑框1结束}) {
    date->when(FL_WHEN_CHANGED);
    date->callback(OnDateChanged, this);
  }
  for (EditBox* box : {&编辑框_基金代码, &编辑框1开始, &编辑框1结束}) {
    box->SetBusyQuery([this] { return busyDepth_ > 0; });
  }

  选择框1.labelsize(kCaptionSize);
  选择框1.when(FL_WHEN_NEVER);
  选择框1.value(1);

  按钮_查询.labelsize(kCaptionSize);
  按钮_查询.callback(OnQueryClick, this);
}

MainWindow::~MainWindow() { window_.hide(); }

void MainWindow::Show() {
  if (closed_) return;
  window_.show();
  ShowPointer(busyDepth_ > 0 ? FL_CURSOR_WAIT : FL_CURSOR_DEFAULT);
}

Text MainWindow::ReadInput(InputBox box) { return FromToolkitText(BoxFor(box).value()); }

bool MainWindow::IsSinceInceptionChecked() { return 选择框1.value() != 0; }

void MainWindow::SetLabel(ResultLabel label, const Text& text) {
  if (closed_) return;
  LabelFor(label).SetText(ToToolkitText(text).c_str());
}

void MainWindow::UncheckSinceInception() {
  if (closed_) return;
  选择框1.value(0);
}

void MainWindow::RunQuery() {
  if (!onQuery) return;
  {
    BusyScope busy(busyDepth_);
    if (busyDepth_ == 1) ShowPointer(FL_CURSOR_WAIT);
    // A copy: the query may replace onQuery while it runs.
    const std::function<void()> query = onQuery;
    try {
      query();
    } catch (...) {
      // Nothing may unwind through FLTK's event handling. The query
      // procedure reports no errors, so there is nothing to show either.
    }
  }
  if (busyDepth_ == 0) ShowPointer(FL_CURSOR_DEFAULT);
}

void MainWindow::Close() {
  closed_ = true;
  window_.hide();
}

LabelBox& MainWindow::LabelFor(ResultLabel label) {
  const auto index = static_cast<std::size_t>(label);
  return *resultLabels_[index < resultLabels_.size() ? index : 0];
}

EditBox& MainWindow::BoxFor(InputBox box) {
  switch (box) {
    case InputBox::编辑框1开始:
      return 编辑框1开始;
    case InputBox::编辑框1结束:
      return 编辑框1结束;
    case InputBox::编辑框_基金代码:
      break;
  }
  return 编辑框_基金代码;
}

void MainWindow::ShowPointer(Fl_Cursor shape) {
  if (closed_ || !window_.shown()) return;
  window_.cursor(shape);
  // Send it now: the query may block on the network before events are
  // handled again.
  Fl::flush();
}

void MainWindow::OnWindowClose(Fl_Widget*, void* self) {
  // FLTK calls this for Escape as well; only a real close request closes.
  if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
  static_cast<MainWindow*>(self)->Close();
}

void MainWindow::OnQueryClick(Fl_Widget*, void* self) {
  static_cast<MainWindow*>(self)->RunQuery();
}

void MainWindow::OnDateChanged(Fl_Widget*, void* self) {
  static_cast<MainWindow*>(self)->UncheckSinceInception();
}
