#include "platform/automation/apartment.h"

namespace platform::com {
namespace {

thread_local int gInitCount = 0;
thread_local int gUnbalanced = 0;

}  // namespace

HResult CoInitialize(void* /*reserved*/) {
  ++gInitCount;
  return gInitCount == 1 ? kOk : kFalse;
}

void CoUninitialize() {
  if (gInitCount > 0) {
    --gInitCount;
  } else {
    ++gUnbalanced;
  }
}

int ApartmentInitCount() { return gInitCount; }

int UnbalancedUninitializeCount() { return gUnbalanced; }

}  // namespace platform::com
