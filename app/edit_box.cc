#include "app/edit_box.h"

#include <FL/Enumerations.H>
#include <FL/Fl_Window.H>

EditBox::EditBox(int x, int y, int width, int height) : Fl_Input(x, y, width, height) {
  textsize(12);
}

int EditBox::handle(int event) {
  const int handled = Fl_Input::handle(event);
  const bool pointerEvent = event == FL_ENTER || event == FL_MOVE || event == FL_LEAVE;
  if (pointerEvent && isBusy_ && isBusy_() && window() != nullptr) window()->cursor(FL_CURSOR_WAIT);
  return handled;
}
