#pragma once
// What a query sees of the window: three input boxes, the "成立以来" check
// box, and sixteen result labels. MainWindow implements it; tests use a
// recording view.

#include "text/text_types.h"

enum class InputBox { 编辑框_基金代码, 编辑框1开始, 编辑框1结束 };

enum class ResultLabel {
  标签基金名称,
  标签_1加,
  标签_2加,
  标签_3加,
  标签_4加,
  标签_5加,
  标签_1减,
  标签_2减,
  标签_3减,
  标签_4减,
  标签_5减,
  标签1天数1,
  标签1天数2,
  标签1天数3,
  标签1天数4,
  标签1天数5,
};

// Weekday k (1 = Monday ... 5 = Friday) of each statistics row.
inline ResultLabel RiseLabel(int weekday) {
  return static_cast<ResultLabel>(static_cast<int>(ResultLabel::标签_1加) + weekday - 1);
}
inline ResultLabel FallLabel(int weekday) {
  return static_cast<ResultLabel>(static_cast<int>(ResultLabel::标签_1减) + weekday - 1);
}
inline ResultLabel DayCountLabel(int weekday) {
  return static_cast<ResultLabel>(static_cast<int>(ResultLabel::标签1天数1) + weekday - 1);
}

class FundView {
 public:
  virtual ~FundView() = default;
  // The box's text exactly as typed, in code page 936.
  virtual Text ReadInput(InputBox box) = 0;
  // True only when "成立以来" (选择框1) is in the checked state.
  virtual bool IsSinceInceptionChecked() = 0;
  virtual void SetLabel(ResultLabel label, const Text& text) = 0;
  virtual void UncheckSinceInception() = 0;
};
