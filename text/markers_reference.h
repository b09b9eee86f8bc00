#pragma once
// AllTextsBetween written out step by step from the primitives, with no
// shortcut of any kind: the reference that the randomised test and the fuzz
// target compare the real extraction with. Test-only.

#include "text/markers.h"
#include "text/text_array_ops.h"
#include "text/text_cut.h"
#include "text/text_scan.h"

// Fills `output` as the extraction must and returns how many times it must
// pump window events.
inline int ReferenceAllTextsBetween(const Text& text, const Text& left, const Text& right,
                                    TextArray& output, bool caseSensitive, int maxLength,
                                    const Text& prefix, bool keepLeft, int start) {
  int pumps = 0;
  ArrayClear(output);
  int pos = start;
  for (;;) {
    pos = FindText(text, left, pos, !caseSensitive);
    if (pos == -1) break;
    const int end = FindText(text, right, pos + TextLength(left), !caseSensitive);
    if (end == -1) break;
    pos += TextLength(left);
    Text piece = ConcatText(prefix, TrimText(TextMid(text, pos, end - pos)));
    if (!piece.empty()) {
      if (keepLeft) piece = ConcatText(left, piece);
      if (maxLength != 0) {
        if (TextLength(piece) < maxLength) ArrayAppend(output, piece);
        ++pumps;
      } else {
        ArrayAppend(output, piece);
      }
      pos = end;
    }
    pumps += 3;
  }
  return pumps;
}
