#include "cmd_target.h"
#include "wnd.h"

const CRuntimeClass CObject::classCObject = {"CObject", nullptr};

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const
{
    for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap; pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* pEntry = pMap->lpEntries; pEntry->pfn; ++pEntry) {
            if (pEntry->pnRegisteredMessage) {
                if (nMessage != WM_COMMAND && *pEntry->pnRegisteredMessage == nMessage && nMessage != 0) return pEntry;
                continue;
            }
            if (pEntry->nMessage != nMessage) continue;
            if (nMessage == WM_REFLECT_BASE + WM_COMMAND) {
                if (pEntry->nCode == nCode) return pEntry;
                continue;
            }
            if (nMessage != WM_COMMAND) return pEntry;
            if (pEntry->nCode == nCode && nID >= pEntry->nID && nID <= pEntry->nLastID) return pEntry;
        }
    }
    return nullptr;
}

const AFX_INTERFACEMAP* CCmdTarget::GetThisInterfaceMap()
{
    static const AFX_INTERFACEMAP_ENTRY entries[] = {{nullptr, nullptr}};
    static const AFX_INTERFACEMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_INTERFACEMAP* CCmdTarget::GetInterfaceMap() const
{
    return GetThisInterfaceMap();
}

const AFX_EVENTSINKMAP* CCmdTarget::GetThisEventSinkMap()
{
    static const AFX_EVENTSINKMAP_ENTRY entries[] = {{0, 0, nullptr, nullptr}};
    static const AFX_EVENTSINKMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_EVENTSINKMAP* CCmdTarget::GetEventSinkMap() const
{
    return GetThisEventSinkMap();
}

LPUNKNOWN CCmdTarget::GetInterface(const void* iid)
{
    for (const AFX_INTERFACEMAP* pMap = GetInterfaceMap(); pMap; pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr) {
        for (const AFX_INTERFACEMAP_ENTRY* pEntry = pMap->pEntry; pEntry->piid; ++pEntry) {
            // IUnknown is any of the object's interfaces, the same one every time: the last base's first entry.
            if (!iid) return static_cast<LPUNKNOWN>(pEntry->pfnGetInterface(this));
            if (::IsEqualIID(*pEntry->piid, *static_cast<const IID*>(iid))) {
                return static_cast<LPUNKNOWN>(pEntry->pfnGetInterface(this));
            }
        }
    }
    return nullptr;
}

DWORD CCmdTarget::InternalQueryInterface(const IID* iid, LPVOID* ppvObj)
{
    if (!ppvObj) return static_cast<DWORD>(E_POINTER);
    *ppvObj = nullptr;
    LPUNKNOWN pUnk = ::IsEqualIID(*iid, IID_IUnknown) ? GetInterface(nullptr) : GetInterface(iid);
    if (!pUnk) return static_cast<DWORD>(E_NOINTERFACE);
    InternalAddRef();
    *ppvObj = pUnk;
    return S_OK;
}

DWORD CCmdTarget::InternalAddRef()
{
    return static_cast<DWORD>(::InterlockedIncrement(&m_dwRef));
}

DWORD CCmdTarget::InternalRelease()
{
    LONG nRef = ::InterlockedDecrement(&m_dwRef);
    if (nRef == 0) OnFinalRelease();
    return static_cast<DWORD>(nRef);
}

BOOL CCmdTarget::OnEvent(UINT idCtrl, AFX_EVENT* pEvent, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    for (const AFX_EVENTSINKMAP* pMap = GetEventSinkMap(); pMap;
         pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr) {
        for (const AFX_EVENTSINKMAP_ENTRY* pEntry = pMap->lpEntries; pEntry->pfn; ++pEntry) {
            if (pEntry->nCtrlID != idCtrl || pEntry->dispid != pEvent->dispid) continue;
            if (pHandlerInfo) {
                pHandlerInfo->pTarget = this;
                return TRUE;
            }
            pEvent->hResult = pEntry->pfn(this, pEvent);
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    const AFX_MSGMAP_ENTRY* pEntry = FindMessageEntry(WM_COMMAND, static_cast<UINT>(nCode), nID);
    if (!pEntry) return FALSE;
    if (pHandlerInfo) {
        pHandlerInfo->pTarget = this;
        return TRUE;
    }
    AFX_MSGCALL call{WM_COMMAND, nID, 0, 0, pExtra, 0};
    pEntry->pfn(this, call);
    return TRUE;
}

void CCmdUI::Enable(BOOL bOn)
{
    if (m_hMenu) {
        ::EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
    } else if (m_pOther) {
        ::EnableWindow(m_pOther->GetSafeHwnd(), bOn);
    }
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int nCheck)
{
    if (m_hMenu) ::CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (nCheck ? MF_CHECKED : MF_UNCHECKED));
}

BOOL CCmdUI::DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler)
{
    if (m_nID == 0 || LOWORD(m_nID) == 0xFFFF) return TRUE;  // separators and popups are left alone
    m_bEnableChanged = FALSE;
    BOOL bResult = pTarget->OnCmdMsg(m_nID, static_cast<int>(CN_UPDATE_COMMAND_UI), this, nullptr);
    if (bDisableIfNoHndler && !m_bEnableChanged) {
        AFX_CMDHANDLERINFO info{nullptr};
        Enable(pTarget->OnCmdMsg(m_nID, CN_COMMAND, this, &info));
    }
    return bResult;
}
