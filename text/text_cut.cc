#include "text/text_cut.h"

#include <algorithm>
#include <climits>

int TextLength(const Text& text) {
  return text.size() > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(text.size());
}

Text TextLeft(const Text& text, int count) {
  if (count <= 0) return Text();
  return text.substr(0, static_cast<std::size_t>(count));
}

Text TextRight(const Text& text, int count) {
  if (count <= 0) return Text();
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(count));
  return text.substr(text.size() - n, n);
}

Text TextMid(const Text& text, int start, int count) {
  if (start < 1 || count <= 0 || static_cast<std::size_t>(start) > text.size()) return Text();
  return text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count));
}

Text CharFromCode(int code) {
  const auto byte = static_cast<char>(static_cast<unsigned>(code) & 0xFFu);
  if (byte == 0) return Text();
  return Text(1, byte);
}

Text BlankText(int count) {
  if (count <= 0) return Text();
  return Text(static_cast<std::size_t>(count), ' ');
}
