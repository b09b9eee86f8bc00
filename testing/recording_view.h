#pragma once
// A FundView for tests: inputs and the check box are scripted, every label
// write is recorded in order, and an action can be hooked onto a given label
// write or input read, e.g. to start a nested query at that moment.

#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "query/fund_view.h"
#include "text/text_types.h"

class RecordingView : public FundView {
 public:
  struct LabelWrite {
    ResultLabel label;
    Text text;
    bool operator==(const LabelWrite&) const = default;
  };

  // Starts like the window: every input empty, "成立以来" checked.
  RecordingView() = default;

  // FundView.
  Text ReadInput(InputBox box) override;
  bool IsSinceInceptionChecked() override;
  void SetLabel(ResultLabel label, const Text& text) override;
  void UncheckSinceInception() override;

  // Scripting.
  void SetInput(InputBox box, Text text) { inputs_[box] = std::move(text); }
  void SetSinceInceptionChecked(bool checked) { checked_ = checked; }

  // Runs `action` once, right after the `occurrence`-th write (1-based) to
  // `label` has been recorded.
  void OnLabelWrite(ResultLabel label, int occurrence, std::function<void()> action);
  // Runs `action` once, at the `occurrence`-th read of `box`, before the read
  // returns: what the action puts into the box is what that read sees.
  void OnInputRead(InputBox box, int occurrence, std::function<void()> action);

  // Observations.
  const std::vector<LabelWrite>& writes() const { return writes_; }
  // The latest text written to `label`; empty when it was never written.
  Text LabelText(ResultLabel label) const;
  int LabelWriteCount(ResultLabel label) const;
  int InputReadCount(InputBox box) const;
  int CheckReadCount() const { return checkReads_; }
  int UncheckCount() const { return uncheckCount_; }

 private:
  struct Hook {
    int occurrence;
    std::function<void()> action;
  };
  // Takes the hook that is due at `count` out of `hooks` (so it fires once,
  // and the action may add hooks or write labels itself), then runs it.
  static void RunDueHook(std::vector<Hook>& hooks, int count);

  std::map<InputBox, Text> inputs_;
  std::map<InputBox, int> inputReads_;
  std::map<InputBox, std::vector<Hook>> inputHooks_;
  bool checked_ = true;
  int checkReads_ = 0;
  int uncheckCount_ = 0;
  std::vector<LabelWrite> writes_;
  std::map<ResultLabel, int> labelWrites_;
  std::map<ResultLabel, std::vector<Hook>> labelHooks_;
};
