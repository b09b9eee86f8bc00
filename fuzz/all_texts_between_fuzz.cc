// Cuts arbitrary bytes with arbitrary markers and compares the extraction
// with a step-by-step version built from the primitives; also checks that
// the scanning primitives keep their invariants on the same input.
//
// Input layout: byte 0 = left marker length (mod 4), byte 1 = right marker
// length (mod 4), byte 2 = flags, byte 3 = start (signed), then the left
// marker, the right marker and the text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "text/bytes_ops.h"
#include "text/markers.h"
#include "text/markers_reference.h"
#include "text/pump_events.h"
#include "text/text_array_ops.h"
#include "text/text_cut.h"
#include "text/text_scan.h"

namespace {

int pumps = 0;

Text Take(const std::uint8_t*& data, std::size_t& size, std::size_t count) {
  if (count > size) count = size;
  const Text taken = BytesToText(PointerToBytes(data, static_cast<int>(count)));
  data += count;
  size -= count;
  return taken;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  static const bool installed = [] {
    InstallEventPump([] { ++pumps; });
    return true;
  }();
  (void)installed;

  const std::size_t leftLength = data[0] % 4;
  const std::size_t rightLength = data[1] % 4;
  const std::uint8_t flags = data[2];
  const int start = static_cast<std::int8_t>(data[3]);
  data += 4;
  size -= 4;
  const Text left = Take(data, size, leftLength);
  const Text right = Take(data, size, rightLength);
  const Text text = Take(data, size, size);

  const bool caseSensitive = flags & 1;
  const int maxLength = (flags >> 1) & 7;
  const Text prefix = (flags & 16) ? Text("p") : Text();
  const bool keepLeft = flags & 32;

  TextArray actual;
  pumps = 0;
  const int count = AllTextsBetween(text, left, right, actual, caseSensitive, maxLength, prefix,
                                    Text(), keepLeft, false, start);
  if (count != ArraySize(actual)) std::abort();
  if (left.empty() || right.empty()) {
    if (count != 0 || pumps != 0) std::abort();
  } else {
    TextArray expected;
    const int expectedPumps = ReferenceAllTextsBetween(text, left, right, expected, caseSensitive,
                                                       maxLength, prefix, keepLeft, start);
    if (!(actual == expected) || pumps != expectedPumps) std::abort();
  }

  // TextBetween's result, when not empty, is a stretch of the text.
  const Text between = TextBetween(text, left, right, start, caseSensitive);
  if (!between.empty() && text.find(between) == Text::npos) std::abort();

  // Replacing a text by itself, matching exactly, changes nothing.
  if (ReplaceText(text, left, left, true) != text) std::abort();
  // Every split piece is a stretch of the text.
  const TextArray pieces = SplitText(text, right);
  for (const Text& piece : pieces) {
    if (text.find(piece) == Text::npos) std::abort();
  }
  // A found position is a real occurrence.
  const int at = FindText(text, right, start, !caseSensitive);
  if (at != -1 && !right.empty() && caseSensitive &&
      text.compare(static_cast<std::size_t>(at - 1), right.size(), right) != 0) {
    std::abort();
  }
  return 0;
}
