#include "ole.h"

namespace {
thread_local bool t_bOleInitTried = false;
thread_local bool t_bOleInitialized = false;
thread_local COleMessageFilter t_messageFilter;
COccManager* g_pOccManager = nullptr;
COccManager g_defaultOccManager;
}  // namespace

BOOL AfxOleInit()
{
    if (!t_bOleInitTried) {
        t_bOleInitTried = true;
        t_bOleInitialized = SUCCEEDED(::OleInitialize(nullptr));
    }
    return t_bOleInitialized;
}

void AfxOleTerm()
{
    if (t_bOleInitialized) ::OleUninitialize();
    t_bOleInitialized = false;
    t_bOleInitTried = false;
}

COleMessageFilter* AfxOleGetMessageFilter()
{
    return t_bOleInitialized ? &t_messageFilter : nullptr;
}

void AfxEnableControlContainer(COccManager* pManager)
{
    g_pOccManager = pManager ? pManager : &g_defaultOccManager;
}

COccManager* AfxGetOccManager()
{
    return g_pOccManager;
}
