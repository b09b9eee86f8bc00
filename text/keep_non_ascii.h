#pragma once
// Keeps the characters of a Text outside 0x20-0x7F (the Chinese text of a
// fund-list entry), optionally deleting whitespace from what is left.

#include "text/text_types.h"

Text KeepNonAscii(const Text& text, bool removeWhitespace = false);
