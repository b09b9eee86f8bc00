#pragma once
// The per-thread apartment count behind CoInitialize / CoUninitialize.
// Objects can only be created on a thread whose count is above zero.

#include "platform/automation/hresult.h"

namespace platform::com {

// kOk for the thread's first initialisation, kFalse for every nested one;
// either way the count goes up by one and needs its own CoUninitialize.
HResult CoInitialize(void* reserved = nullptr);
// Takes back one initialisation; a call without one left does nothing.
void CoUninitialize();
// How many initialisations the calling thread holds.
int ApartmentInitCount();
// How many CoUninitialize calls on this thread found nothing to take back.
int UnbalancedUninitializeCount();

}  // namespace platform::com
