#include "testing/recording_view.h"

#include <algorithm>

Text RecordingView::ReadInput(InputBox box) {
  const int count = ++inputReads_[box];
  RunDueHook(inputHooks_[box], count);
  const auto found = inputs_.find(box);
  return found == inputs_.end() ? Text() : found->second;
}

bool RecordingView::IsSinceInceptionChecked() {
  ++checkReads_;
  return checked_;
}

void RecordingView::SetLabel(ResultLabel label, const Text& text) {
  writes_.push_back({label, text});
  RunDueHook(labelHooks_[label], ++labelWrites_[label]);
}

void RecordingView::UncheckSinceInception() {
  ++uncheckCount_;
  checked_ = false;
}

void RecordingView::OnLabelWrite(ResultLabel label, int occurrence, std::function<void()> action) {
  labelHooks_[label].push_back({occurrence, std::move(action)});
}

void RecordingView::OnInputRead(InputBox box, int occurrence, std::function<void()> action) {
  inputHooks_[box].push_back({occurrence, std::move(action)});
}

Text RecordingView::LabelText(ResultLabel label) const {
  for (auto write = writes_.rbegin(); write != writes_.rend(); ++write) {
    if (write->label == label) return write->text;
  }
  return Text();
}

int RecordingView::LabelWriteCount(ResultLabel label) const {
  const auto found = labelWrites_.find(label);
  return found == labelWrites_.end() ? 0 : found->second;
}

int RecordingView::InputReadCount(InputBox box) const {
  const auto found = inputReads_.find(box);
  return found == inputReads_.end() ? 0 : found->second;
}

void RecordingView::RunDueHook(std::vector<Hook>& hooks, int count) {
  const auto due = std::find_if(hooks.begin(), hooks.end(),
                                [count](const Hook& h) { return h.occurrence == count; });
  if (due == hooks.end()) return;
  std::function<void()> action = std::move(due->action);
  hooks.erase(due);
  action();
}
