#pragma once
// A static or result label. Its text is drawn as it is (no "@" symbols, no
// "&" shortcuts), left-aligned and centred vertically. When the text is wider
// than the box and the box is tall enough for several lines, it is broken
// into lines, preferably next to a Chinese character or at a space (Chinese
// has no spaces to break at, and a number stays whole), otherwise at any
// character; when the lines still do not fit the height, it is drawn smaller.
//
// A fixed caption may overflow its box to the right (SetOverflow): the form's
// captions are a little wider than their boxes in a legible font, and the
// space to their right is free. A label whose text changes is clipped to its
// box, so no old text is ever left beside it.

#include <FL/Fl_Box.H>

class LabelBox : public Fl_Box {
 public:
  LabelBox(int x, int y, int width, int height, const char* caption = nullptr);

  // Replaces the text (UTF-8, copied) and repaints the box.
  void SetText(const char* utf8);
  void SetOverflow(bool overflow) { overflow_ = overflow; }

 protected:
  void draw() override;

 private:
  bool overflow_ = false;
};
