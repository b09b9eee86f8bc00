#pragma once
// The one upward call: lower layers let the window handle the events that are
// already waiting. The window installs the real pump at start-up; until then
// (and in tests that install none) PumpEvents does nothing.

#include <functional>

void PumpEvents();
// Installs `pump` (an empty function removes it) and returns the previous one.
std::function<void()> InstallEventPump(std::function<void()> pump);
