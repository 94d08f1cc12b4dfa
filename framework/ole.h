#pragma once
#include <windows.h>
#include <ole2.h>

// Initialises OLE on this thread once; later calls report the first result. FALSE when OLE is unavailable.
BOOL AfxOleInit();
// Undoes AfxOleInit; AfxWinMain calls it when the loop has ended.
void AfxOleTerm();

// The OLE message filter's two dialogs. This framework never shows a server-busy
// or not-responding box, so the switches only record what the program asked for.
class COleMessageFilter {
public:
    void EnableBusyDialog(BOOL bEnable = TRUE) { m_bEnableBusy = bEnable; }
    void EnableNotRespondingDialog(BOOL bEnable = TRUE) { m_bEnableNotResponding = bEnable; }
    BOOL IsBusyDialogEnabled() const { return m_bEnableBusy; }
    BOOL IsNotRespondingDialogEnabled() const { return m_bEnableNotResponding; }

private:
    BOOL m_bEnableBusy = TRUE;
    BOOL m_bEnableNotResponding = TRUE;
};

// The thread's message filter after AfxOleInit succeeded; null before.
COleMessageFilter* AfxOleGetMessageFilter();

class CCmdTarget;
class COleControlContainer;
class COleControlSite;
struct AFX_EVENT;
struct AFX_CMDHANDLERINFO;

// Switches to a module's resources and state for the duration of a call made
// from outside. This framework has a single module, so there is nothing to switch.
#define AFX_MANAGE_STATE(pModuleState) (void)(pModuleState)

// Makes the sites of hosted ActiveX controls and delivers their events.
// Programs derive from it to supply their own sites.
class COccManager {
public:
    COccManager() = default;
    virtual ~COccManager() = default;
    COccManager(const COccManager&) = delete;
    COccManager& operator=(const COccManager&) = delete;

    // The site for a new control; null lets the container use a plain COleControlSite.
    virtual COleControlSite* CreateSite(COleControlContainer* pCtrlCont);
    // Hands a control's event to the command target that owns the control (its event sink map).
    virtual BOOL OnEvent(CCmdTarget* pCmdTarget, UINT idCtrl, AFX_EVENT* pEvent, AFX_CMDHANDLERINFO* pHandlerInfo);
};

// Allows windows to host ActiveX controls, with pManager making every control's site.
void AfxEnableControlContainer(COccManager* pManager = nullptr);
// The manager given to AfxEnableControlContainer, or null.
COccManager* AfxGetOccManager();
