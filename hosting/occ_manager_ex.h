#pragma once
#include "../framework/afx.h"

// The program's control-site manager: every ActiveX control of the process
// gets a COleControlSiteEx, and control events go to the owner's sink map.
class COccManagerEx : public COccManager {
public:
    COccManagerEx() = default;
    ~COccManagerEx() override = default;

    // COccManager overrides
    BOOL OnEvent(CCmdTarget* pCmdTarget, UINT idCtrl, AFX_EVENT* pEvent, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    COleControlSite* CreateSite(COleControlContainer* pCtrlCont) override;
};
