#include "text/text_scan.h"

#include "text/char_scan.h"

using text_internal::BlankLengthAt;
using text_internal::CharLengthAt;
using text_internal::CharMatcher;
using text_internal::kNotFound;
using text_internal::View;

namespace {

// One comparison unit: a one-byte character, or lead * 256 + trail. A lead
// byte cut off at the end counts as lead * 256.
unsigned CompareUnitAt(std::string_view text, std::size_t pos, bool caseSensitive) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) {
    return caseSensitive ? lead : text_internal::FoldAscii(lead);
  }
  const unsigned trail = pos + 1 < text.size() ? static_cast<unsigned char>(text[pos + 1]) : 0u;
  unsigned unit = lead * 256u + trail;
  // Full-width Latin capitals A3C1-A3DA pair with the small letters A3E1-A3FA.
  if (!caseSensitive && unit >= 0xA3C1 && unit <= 0xA3DA) unit += 0x20;
  return unit;
}

}  // namespace

int FindText(const Text& text, const Text& sought, int start, bool ignoreCase) {
  const std::size_t from = start > 1 ? static_cast<std::size_t>(start) - 1 : 0;
  if (from >= text.size()) return -1;
  if (sought.empty()) return 1;
  const std::size_t at = CharMatcher(View(sought), ignoreCase).FindFrom(View(text), from);
  return at == kNotFound ? -1 : static_cast<int>(at + 1);
}

Text ReplaceText(const Text& text, const Text& sought, const Text& replacement,
                 bool caseSensitive) {
  if (text.empty() || sought.empty()) return text;
  const std::string_view source = View(text);
  const CharMatcher matcher(View(sought), !caseSensitive);
  Text result;
  result.reserve(text.size());
  std::size_t pos = 0;
  for (;;) {
    const std::size_t at = matcher.FindFrom(source, pos);
    if (at == kNotFound) break;
    result.append(source.substr(pos, at - pos));
    result.append(replacement);
    pos = at + sought.size();
  }
  result.append(source.substr(pos));
  return result;
}

TextArray SplitText(const Text& text, const Text& separator) {
  TextArray pieces;
  if (text.empty()) return pieces;
  if (separator.empty()) {
    pieces.Append(text);
    return pieces;
  }
  const std::string_view source = View(text);
  const CharMatcher matcher(View(separator), false);
  std::size_t pos = 0;
  for (;;) {
    const std::size_t at = matcher.FindFrom(source, pos);
    if (at == kNotFound) break;
    pieces.Append(Text(source.substr(pos, at - pos)));
    pos = at + separator.size();
  }
  if (pos < source.size()) pieces.Append(Text(source.substr(pos)));
  return pieces;
}

Text TrimText(const Text& text) { return Text(text_internal::TrimBlanks(View(text))); }

Text RemoveSpaces(const Text& text) {
  const std::string_view source = View(text);
  Text result;
  result.reserve(source.size());
  for (std::size_t pos = 0; pos < source.size();) {
    const std::size_t blank = BlankLengthAt(source, pos);
    if (blank != 0) {
      pos += blank;
      continue;
    }
    const std::size_t length = CharLengthAt(source, pos);
    result.append(source.substr(pos, length));
    pos += length;
  }
  return result;
}

Text ToUpper(const Text& text) {
  Text result = text;
  for (std::size_t pos = 0; pos < result.size();) {
    const auto b = static_cast<unsigned char>(result[pos]);
    if (b >= 'a' && b <= 'z') result[pos] = static_cast<char>(b - ('a' - 'A'));
    pos += CharLengthAt(View(result), pos);
  }
  return result;
}

int CompareText(const Text& first, const Text& second, bool caseSensitive) {
  const std::string_view a = View(first);
  const std::string_view b = View(second);
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const unsigned ua = CompareUnitAt(a, i, caseSensitive);
    const unsigned ub = CompareUnitAt(b, j, caseSensitive);
    if (ua != ub) return ua < ub ? -1 : 1;
    i += CharLengthAt(a, i);
    j += CharLengthAt(b, j);
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}
