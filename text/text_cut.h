#pragma once
// Length, joining and byte-count cuts of Text. Cuts count bytes and do not
// look at characters, so they may split a two-byte character.

#include <string_view>

#include "text/text_types.h"

int TextLength(const Text& text);

// The bytes of every part in order; empty parts contribute nothing.
template <typename... Parts>
Text ConcatText(const Parts&... parts) {
  Text result;
  result.reserve((std::string_view(parts).size() + ... + 0));
  (result.append(std::string_view(parts)), ...);
  return result;
}

Text TextLeft(const Text& text, int count);
Text TextRight(const Text& text, int count);
Text TextMid(const Text& text, int start, int count);
// A one-byte Text of the low 8 bits of `code`; empty when they are 0.
Text CharFromCode(int code);
Text BlankText(int count);
