#include "text/pump_events.h"

#include <utility>

namespace {

std::function<void()>& InstalledPump() {
  static std::function<void()> pump;
  return pump;
}

}  // namespace

void PumpEvents() {
  // Call a copy: the handlers that run inside may install another pump.
  const std::function<void()> pump = InstalledPump();
  if (pump) pump();
}

std::function<void()> InstallEventPump(std::function<void()> pump) {
  return std::exchange(InstalledPump(), std::move(pump));
}
