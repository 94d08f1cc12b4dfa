#include "message_pump.h"
#include "app/tarnwick_app.h"

bool PumpUntil(const std::function<bool()>& done, DWORD dwTimeoutMs, bool* pbQuit)
{
    DWORD dwStart = ::GetTickCount();
    if (pbQuit) *pbQuit = false;
    while (!done()) {
        if (::GetTickCount() - dwStart > dwTimeoutMs) return false;
        MSG msg;
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            continue;
        }
        if (!theApp.PumpMessage()) {
            if (pbQuit) *pbQuit = true;
            return done();
        }
    }
    return true;
}

bool PumpPending()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (!theApp.PumpMessage()) return false;
    }
    return true;
}
