#pragma once
#include <windows.h>
#include <functional>

// Dispatches this thread's messages through the application's own pump until
// done() holds or the time runs out; returns whether done() held. WM_QUIT
// ends the wait too and is reported through *pbQuit.
bool PumpUntil(const std::function<bool()>& done, DWORD dwTimeoutMs = 5000, bool* pbQuit = nullptr);

// Dispatches whatever is queued now, without waiting; returns FALSE once WM_QUIT was taken.
bool PumpPending();
