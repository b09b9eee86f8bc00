#pragma once
// A single-line edit box that leaves the window's busy pointer alone. A plain
// input sets the text pointer when the mouse enters it and the default
// pointer when it leaves; while a query runs, the window shows the busy
// pointer everywhere, so this box puts it back after its input's own
// handling.

#include <FL/Fl_Input.H>

#include <functional>
#include <utility>

class EditBox : public Fl_Input {
 public:
  EditBox(int x, int y, int width, int height);

  // Asked on every pointer event; true while the window is busy.
  void SetBusyQuery(std::function<bool()> isBusy) { isBusy_ = std::move(isBusy); }

  int handle(int event) override;

 private:
  std::function<bool()> isBusy_;
};
