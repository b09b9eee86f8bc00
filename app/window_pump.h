#pragma once
// The event pump the window installs for the lower layers (PumpEvents): it
// handles the window events that are already waiting, never waits for new
// ones, and runs their handlers inside the call, so a click on "查询" starts
// a nested query right there.
//
// If one of those events closed the window, the program ends before the pump
// returns: the query that pumped never resumes, makes no further request and
// writes no label. Ending here is sound because nothing is saved and nothing
// is open but transfers the operating system reclaims.

class MainWindow;

void PumpWindowEvents(MainWindow& window);

// Installs PumpWindowEvents for `window` as the program's event pump.
void InstallWindowEventPump(MainWindow& window);
