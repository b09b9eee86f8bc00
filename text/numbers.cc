#include "text/numbers.h"

#include <cmath>
#include <cstdio>

#include "text/char_scan.h"

Text FoldFullWidth(const Text& text) {
  Text result;
  result.reserve(text.size());
  const std::string_view source = text_internal::View(text);
  for (std::size_t pos = 0; pos < source.size();) {
    if (text_internal::CharLengthAt(source, pos) == 1) {
      result.push_back(source[pos]);
      ++pos;
      continue;
    }
    const auto lead = static_cast<unsigned char>(source[pos]);
    const auto trail = static_cast<unsigned char>(source[pos + 1]);
    const unsigned unit = lead * 256u + trail;
    if (unit == 0xA1A1) {
      result.push_back(' ');
    } else if (unit == 0xA1AB) {
      result.push_back('~');
    } else if (unit == 0xA1EE || unit == 0xA1EF) {
      result.push_back('*');
    } else if (unit >= 0xA3A1 && unit <= 0xA3FE) {
      result.push_back(static_cast<char>(trail - 0x80));
    } else {
      result.append(source.substr(pos, 2));
    }
    pos += 2;
  }
  return result;
}

std::int32_t ToInteger(const Text& text) {
  const Text folded = FoldFullWidth(text);
  std::size_t pos = 0;
  auto isSpace = [](char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
  };
  while (pos < folded.size() && isSpace(folded[pos])) ++pos;
  bool negative = false;
  if (pos < folded.size() && (folded[pos] == '+' || folded[pos] == '-')) {
    negative = folded[pos] == '-';
    ++pos;
  }
  // Unsigned arithmetic wraps around by definition; the conversion back to a
  // signed 32-bit value is modular as well.
  std::uint32_t value = 0;
  while (pos < folded.size() && folded[pos] >= '0' && folded[pos] <= '9') {
    value = value * 10u + static_cast<std::uint32_t>(folded[pos] - '0');
    ++pos;
  }
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

Text NumberToText(std::int32_t value) {
  char buffer[16];
  const int n = std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(value));
  return Text(buffer, static_cast<std::size_t>(n));
}

Text NumberToText(double value) {
  if (std::isnan(value)) return Text("--");
  if (std::isinf(value)) return Text(value > 0 ? "inf" : "-inf");
  char buffer[40];
  const int n = std::snprintf(buffer, sizeof buffer, "%.13g", value);
  return Text(buffer, static_cast<std::size_t>(n));
}

double RoundNumber(double value, int places) {
  if (value == 0.0 || std::isnan(value)) return value;
  const double magnitude = std::fabs(value);
  const double scale = std::pow(10.0, places);
  // Each step is stored into a double so that no extended precision sneaks in.
  const volatile double scaled = magnitude * scale;
  const volatile double nudged = scaled + 1e-12;
  const double whole = std::trunc(nudged);
  const double fraction = nudged - whole;
  const double rounded = fraction >= 0.5 ? whole + 1.0 : whole;
  const double result = rounded / scale;
  return value < 0 ? -result : result;
}
