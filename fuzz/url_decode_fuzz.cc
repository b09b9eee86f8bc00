// UrlDecode and Utf8ToAnsi on arbitrary bytes: no crash, no read outside the
// input, and never a NUL byte in the Text they return.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "text/encoding.h"

namespace {

void CheckText(const Text& text) {
  for (char byte : text) {
    if (byte == '\0') std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A Text never holds a NUL byte, so the input ends at the first one.
  Text text;
  for (std::size_t i = 0; i < size && data[i] != 0; ++i) text.push_back(static_cast<char>(data[i]));

  const Text decoded = UrlDecode(text);
  CheckText(decoded);
  // Every "%" consumes up to three bytes and gives at most one.
  if (decoded.size() > text.size()) std::abort();
  CheckText(UrlDecode(text, true));
  CheckText(Utf8ToAnsi(text));
  return 0;
}
