#include "app/label_box.h"

#include <FL/fl_draw.H>
#include <FL/fl_utf8.h>

#include <cstring>
#include <vector>

namespace {

constexpr int kPadding = 1;
constexpr int kSmallestSize = 8;

struct Line {
  const char* start;
  int bytes;
};

bool IsAscii(const char* character) { return static_cast<unsigned char>(*character) < 0x80; }

int CharacterLength(const char* at, const char* end) {
  const int length = fl_utf8len1(*at);
  return (length < 1 || at + length > end) ? 1 : length;
}

// Breaks `text` at line feeds and, when `width` is given, into lines no wider
// than `width` in the current font. A line holds at least one character, so
// the walk always advances.
std::vector<Line> BreakLines(const char* text, int width, bool wrap) {
  std::vector<Line> lines;
  const char* const end = text + std::strlen(text);
  const char* start = text;
  while (start < end) {
    const char* cut = start;
    const char* lastBreak = nullptr;  // the latest place a line may end
    while (cut < end && *cut != '\n') {
      const int length = CharacterLength(cut, end);
      const char* next = cut + length;
      if (wrap && cut > start && fl_width(start, static_cast<int>(next - start)) > width) {
        if (lastBreak != nullptr) cut = lastBreak;
        break;
      }
      // A line may end after a space, and on either side of a Chinese character.
      if (*cut == ' ' || !IsAscii(cut) || (next < end && !IsAscii(next))) lastBreak = next;
      cut = next;
    }
    lines.push_back({start, static_cast<int>(cut - start)});
    start = cut;
    if (start < end && *start == '\n') {
      ++start;
    } else {
      while (start < end && *start == ' ') ++start;  // no blank at a line's start
    }
  }
  return lines;
}

}  // namespace

LabelBox::LabelBox(int x, int y, int width, int height, const char* caption)
    : Fl_Box(FL_FLAT_BOX, x, y, width, height, nullptr) {
  if (caption != nullptr) copy_label(caption);
  labelsize(12);
}

void LabelBox::SetText(const char* utf8) {
  copy_label(utf8 != nullptr ? utf8 : "");
  redraw();
}

void LabelBox::draw() {
  draw_box();
  const char* text = label();
  if (text == nullptr || *text == '\0') return;

  const int width = w() - 2 * kPadding;
  int size = labelsize();
  std::vector<Line> lines;
  for (;; --size) {
    fl_font(labelfont(), size);
    const bool roomForTwoLines = h() >= 2 * fl_height();
    lines = BreakLines(text, width, roomForTwoLines || !overflow_);
    if (size <= kSmallestSize || static_cast<int>(lines.size()) * fl_height() <= h()) break;
  }

  if (!overflow_) fl_push_clip(x(), y(), w(), h());
  fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
  const int lineHeight = fl_height();
  int top = y() + (h() - static_cast<int>(lines.size()) * lineHeight) / 2;
  if (top < y()) top = y();
  for (const Line& line : lines) {
    fl_draw(line.start, line.bytes, x() + kPadding, top + lineHeight - fl_descent());
    top += lineHeight;
  }
  if (!overflow_) fl_pop_clip();
}
