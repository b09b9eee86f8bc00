#pragma once
// Operations that walk a Text character by character: a byte of 0x80 or above
// and the byte after it are one character, so a match never starts on a trail
// byte, and a lead byte at the very end is never read past.

#include "text/text_types.h"

// 1-based position of `sought` at or after `start`, -1 when absent.
int FindText(const Text& text, const Text& sought, int start = 1, bool ignoreCase = false);
Text ReplaceText(const Text& text, const Text& sought, const Text& replacement = Text(),
                 bool caseSensitive = false);
TextArray SplitText(const Text& text, const Text& separator);
// Blanks are the ASCII space and the full-width space A1A1, nothing else.
Text TrimText(const Text& text);
Text RemoveSpaces(const Text& text);
Text ToUpper(const Text& text);
// -1, 0 or 1. Without caseSensitive, ASCII letters and the full-width Latin
// letters (A3C1-A3DA / A3E1-A3FA) compare without regard to case.
int CompareText(const Text& first, const Text& second, bool caseSensitive = false);
