#include "occ_manager_ex.h"
#include "ole_control_site_ex.h"

#include <new>

BOOL COccManagerEx::OnEvent(CCmdTarget* pCmdTarget, UINT idCtrl, AFX_EVENT* pEvent, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    return pCmdTarget->OnEvent(idCtrl, pEvent, pHandlerInfo);
}

COleControlSite* COccManagerEx::CreateSite(COleControlContainer* pCtrlCont)
{
    return new (std::nothrow) COleControlSiteEx(pCtrlCont);
}
