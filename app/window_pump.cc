#include "app/window_pump.h"

#include <FL/Fl.H>

#include <cstdlib>

#include "app/main_window.h"
#include "text/pump_events.h"

void PumpWindowEvents(MainWindow& window) {
  Fl::check();
  if (window.closed()) std::exit(0);
}

void InstallWindowEventPump(MainWindow& window) {
  InstallEventPump([&window] { PumpWindowEvents(window); });
}
