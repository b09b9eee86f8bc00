#pragma once
// Text crossing the window's edge: FLTK speaks UTF-8, the program Text in
// code page 936. Both directions go through the platform's code-page calls;
// a character that code page 936 lacks becomes "?".

#include <string>

#include "text/text_types.h"

// A widget's UTF-8 text as Text. A null pointer is the empty text.
Text FromToolkitText(const char* utf8);
// Text as UTF-8 for a widget.
std::string ToToolkitText(const Text& text);
