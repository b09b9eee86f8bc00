#pragma once
// Dates read from Text and their weekdays.

#include "text/text_types.h"

// A DateTime for a text like "2020-09-01" (and the other accepted forms);
// kMinimumOleDate when the text is not a valid date.
DateTime TextToDate(const Text& text);
// 1 = Sunday ... 7 = Saturday, proleptic Gregorian.
int DayOfWeek(DateTime date);
