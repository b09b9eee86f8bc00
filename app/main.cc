// Dalvex: one window that shows on which weekdays a fund's net value tends to
// rise and on which it tends to fall.

#include <FL/Fl.H>

#include "app/floating_point.h"
#include "app/main_window.h"
#include "app/toolkit_setup.h"
#include "app/window_pump.h"
#include "query/query_fund.h"
#include "text/pump_events.h"

int main() {
  InitialiseToolkit();

  UseDefaultFloatingPointMasked();

  MainWindow window;
  // Start-up reads nothing and fetches nothing: the first request is made by
  // the first click on "查询".
  window.onQuery = [&window] { QueryFund(window, FundServiceBase()); };
  InstallWindowEventPump(window);
  window.Show();

  const int status = Fl::run();
  InstallEventPump(nullptr);
  return status;
}
