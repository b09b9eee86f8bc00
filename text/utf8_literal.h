#pragma once
// The program's source files are UTF-8; the texts it uses (labels, markers,
// error texts) are Text in code page 936. This is the one place that turns
// such a literal into Text.

#include <string_view>

#include "text/text_types.h"

// The code-page-936 form of a UTF-8 literal. Characters 936 lacks become "?".
Text Utf8Literal(std::string_view utf8);
