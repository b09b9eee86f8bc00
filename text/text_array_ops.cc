#include "text/text_array_ops.h"

int ArraySize(const TextArray& array) { return array.Size(); }

void ArrayAppend(TextArray& array, const Text& item) { array.Append(Text(item)); }

void ArrayAppend(TextArray& array, const TextArray& items) {
  // Count first and copy by index, so that appending an array to itself adds
  // each original element once and never touches a moved element.
  const int count = items.Size();
  array.Reserve(array.Size() + count);
  for (int i = 1; i <= count; ++i) array.Append(Text(items.At(i)));
}

void ArrayClear(TextArray& array) { array.Clear(); }
