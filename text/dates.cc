#include "text/dates.h"

#include <cmath>
#include <cstdint>
#include <string_view>

#include "text/gbk_chars.h"
#include "text/numbers.h"

namespace {

// Days from 1970-01-01 to y-m-d in the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// Day 0 of the OLE date, 1899-12-30, counted from 1970-01-01.
const std::int64_t kOleEpoch = DaysFromCivil(1899, 12, 30);

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

class DateReader {
 public:
  explicit DateReader(std::string_view text) : text_(text) {}

  // A run of at most `maxDigits` digits; 0 when there is none.
  int Field(int maxDigits) {
    int value = 0;
    for (int i = 0; i < maxDigits && pos_ < text_.size() && IsDigit(text_[pos_]); ++i) {
      value = value * 10 + (text_[pos_] - '0');
      ++pos_;
    }
    return value;
  }

  // Skips one of the ASCII separators in `ascii` or the two-byte `wide` one.
  void SkipSeparator(std::string_view ascii, std::string_view wide) {
    if (pos_ >= text_.size()) return;
    if (ascii.find(text_[pos_]) != std::string_view::npos) {
      ++pos_;
    } else if (text_.substr(pos_, wide.size()) == wide) {
      pos_ += wide.size();
    }
  }

  bool AtEndOr(std::string_view wide) const {
    return pos_ == text_.size() || text_.substr(pos_, wide.size()) == wide;
  }

 private:
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

DateTime TextToDate(const Text& text) {
  const DateTime notADate{kMinimumOleDate};
  const Text folded = FoldFullWidth(text);
  if (folded.empty()) return notADate;

  DateReader reader(std::string_view(folded.data(), folded.size()));
  const int year = reader.Field(4);
  reader.SkipSeparator("-./:", gbk::kYear);
  const int month = reader.Field(2);
  reader.SkipSeparator("-./:", gbk::kMonth);
  const int day = reader.Field(2);
  reader.SkipSeparator("-./: ", gbk::kDay);
  const int hour = reader.Field(2);
  reader.SkipSeparator("-./:", gbk::kHour);
  const int minute = reader.Field(2);
  reader.SkipSeparator("-./:", gbk::kMinute);
  const int second = reader.Field(2);
  if (!reader.AtEndOr(gbk::kSecond)) return notADate;

  if (year < 100 || year > 9999 || month < 1 || month > 12) return notADate;
  if (day < 1 || day > DaysInMonth(year, month)) return notADate;
  if (hour > 23 || minute > 59 || second > 59) return notADate;

  const std::int64_t days =
      DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kOleEpoch;
  const double timeOfDay = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
  // An OLE date before day 0 carries its time of day as a fraction counted
  // away from zero: 1899-12-29 06:00 is -1.25.
  const double ole =
      days < 0 ? static_cast<double>(days) - timeOfDay : static_cast<double>(days) + timeOfDay;
  return DateTime{ole};
}

int DayOfWeek(DateTime date) {
  double value = date.oleDate;
  // Not a number or an infinity has no date; treat it as the minimum date,
  // the same value that stands for "not a date".
  if (!std::isfinite(value)) value = kMinimumOleDate;
  // The integer part is the day, truncated toward zero (see TextToDate).
  const double day = std::trunc(value);
  double offset = std::fmod(day, 7.0);  // exact for any integral double
  if (offset < 0) offset += 7.0;
  // Day 0, 1899-12-30, was a Saturday (7).
  return (static_cast<int>(offset) + 6) % 7 + 1;
}
