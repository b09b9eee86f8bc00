#pragma once
// Cutting text out of a larger text between a left and a right marker.

#include <cstdint>

#include "text/text_types.h"

// The first piece between `left` and `right`; "#引号" in either marker stands
// for a double quote. Empty when either marker is missing.
Text TextBetween(const Text& text, const Text& left, const Text& right, std::int32_t start = 0,
                 bool ignoreCase = false);

// Every piece between the markers, trimmed and decorated, into `output`
// (emptied first). Returns the number of elements in `output`. Pumps window
// events three times per piece, once more when maxLength is given.
std::int32_t AllTextsBetween(const Text& text, const Text& left, const Text& right,
                             TextArray& output, bool caseSensitive = false,
                             std::int32_t maxLength = 0, const Text& prefix = Text(),
                             const Text& suffix = Text(), bool keepLeft = false,
                             bool keepRight = false, std::int32_t start = 0);
