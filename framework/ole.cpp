#include "ole.h"
#include "cmd_target.h"
#include "ole_control_site.h"

#include <new>

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

COleControlSite* COccManager::CreateSite(COleControlContainer* pCtrlCont)
{
    return new (std::nothrow) COleControlSite(pCtrlCont);
}

BOOL COccManager::OnEvent(CCmdTarget* pCmdTarget, UINT idCtrl, AFX_EVENT* pEvent, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    return pCmdTarget->OnEvent(idCtrl, pEvent, pHandlerInfo);
}
