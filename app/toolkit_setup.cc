#include "app/toolkit_setup.h"

#include <FL/Enumerations.H>
#include <FL/Fl.H>
#include <FL/x.H>

#include <string>

void InitialiseToolkit() {
  fl_open_display();
  Fl::scheme("gtk+");
  // FLTK's Xft fonts draw every glyph of a string from one font, without a
  // fallback: the default sans font has no Chinese, so the widgets' fonts are
  // pointed at a family that has both. The first character of an FLTK font
  // name is its style: " " plain, "B" bold.
  static const std::string plain = std::string(" ") + kWindowFontFamily;
  static const std::string bold = std::string("B") + kWindowFontFamily;
  Fl::set_font(FL_HELVETICA, plain.c_str());
  Fl::set_font(FL_HELVETICA_BOLD, bold.c_str());
}
