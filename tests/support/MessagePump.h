#pragma once
// Dispatches this thread's pending messages, through the application's pre-translation when an
// application object exists, like the message loop.
#include <windows.h>

// Runs until the queue is empty, or for at least `milliseconds` when given.
void PumpMessages(DWORD milliseconds = 0);
// Runs until `done()` holds or `timeoutMs` passes; returns done().
template <class Pred>
bool PumpUntil(Pred done, DWORD timeoutMs = 5000) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    PumpMessages();
    Sleep(1);
  }
  return true;
}
