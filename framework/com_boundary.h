#pragma once
#include "se_translator.h"
#include "wnd.h"

// Runs fn(), which returns an HRESULT, as the body of a COM method called by
// another module (a hosted control): a processor fault or C++ exception inside
// it is held for the message loop (AfxHoldPendingException) and the method
// answers hrOnFault, instead of unwinding through the caller's frames. Out-
// parameters fn() wrote before the fault stay as they were left.
template <class F>
HRESULT AfxComBoundary(F&& fn, HRESULT hrOnFault = E_UNEXPECTED)
{
    HRESULT hr = hrOnFault;
    try {
        AfxFaultBoundary([&] { hr = fn(); });
    } catch (...) {
        AfxHoldPendingException();
        hr = hrOnFault;
    }
    return hr;
}
