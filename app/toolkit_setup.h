#pragma once
// Opens the display and prepares FLTK for the window: fonts that hold the
// Chinese captions, the look of the widgets.

void InitialiseToolkit();

// The family every widget draws with; it holds Chinese and Latin glyphs.
inline constexpr const char* kWindowFontFamily = "WenQuanYi Micro Hei";
