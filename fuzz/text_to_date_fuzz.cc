// Reads arbitrary bytes as dates and numbers: nothing may crash or read out
// of bounds, and the results must stay inside their documented ranges.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "text/bytes_ops.h"
#include "text/dates.h"
#include "text/numbers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Text text = BytesToText(PointerToBytes(data, static_cast<int>(size)));

  const DateTime date = TextToDate(text);
  if (date.oleDate != kMinimumOleDate &&
      !(date.oleDate > kMinimumOleDate - 1.0 && date.oleDate < 2958466.0)) {
    std::abort();
  }
  const int weekday = DayOfWeek(date);
  if (weekday < 1 || weekday > 7) std::abort();

  // Folding never makes a text longer and never leaves a NUL byte.
  const Text folded = FoldFullWidth(text);
  if (folded.size() > text.size() || folded.find('\0') != Text::npos) std::abort();

  const std::int32_t number = ToInteger(text);
  // A value written back reads as itself.
  if (ToInteger(NumberToText(number)) != number) std::abort();
  return 0;
}
