#pragma once
// The array operations used by name throughout the program.

#include "text/text_types.h"

int ArraySize(const TextArray& array);
void ArrayAppend(TextArray& array, const Text& item);
// Copies of all elements of `items`, in order, after the existing ones
// (appending an array to itself doubles it).
void ArrayAppend(TextArray& array, const TextArray& items);
void ArrayClear(TextArray& array);
