#pragma once
// Numbers read from and written to Text.

#include <cstdint>

#include "text/text_types.h"

// Full-width forms (digits, letters, signs, the full-width space, the tilde,
// the stars) become their ASCII counterparts; other characters stay.
Text FoldFullWidth(const Text& text);
// Leading white space, an optional sign, then digits in wrapping 32-bit
// arithmetic; 0 without any digit.
std::int32_t ToInteger(const Text& text);
Text NumberToText(std::int32_t value);
// "%.13g"; a not-a-number gives "--", infinities "inf" and "-inf".
Text NumberToText(double value);
// Half away from zero after a 1e-12 nudge of the scaled magnitude; 0 and NaN
// come back unchanged.
double RoundNumber(double value, int places);

inline std::int32_t BitOr(std::int32_t a) { return a; }
template <typename... Rest>
std::int32_t BitOr(std::int32_t a, std::int32_t b, Rest... rest) {
  return BitOr(a | b, rest...);
}
