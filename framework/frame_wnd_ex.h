#pragma once
#include "afxres.h"
#include "wnd.h"

// A top-level frame window: loads its menu, accelerators and title from one
// resource id, keeps its client view (child AFX_IDW_PANE_FIRST) the size of
// the client area, routes commands on to the application, destroys itself
// on WM_CLOSE and deletes its object once the window is gone.
class CFrameWndEx : public CWnd {
    DECLARE_DYNAMIC(CFrameWndEx)
public:
    CFrameWndEx() = default;
    ~CFrameWndEx() override;

    // Creates the frame with the menu, accelerator table and title string of nIDResource. On failure the object has deleted itself.
    virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);
    // Places the client view over the client area.
    virtual void RecalcLayout();

    // CWnd overrides
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

protected:
    void PostNcDestroy() override;

    afx_msg int OnCreate(LPCREATESTRUCTW lpCreateStruct);
    afx_msg void OnClose();
    afx_msg void OnDestroy();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    afx_msg void OnInitMenuPopup(HMENU hPopupMenu, UINT nIndex, BOOL bSysMenu);
    afx_msg LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    HACCEL m_hAccelTable = nullptr;  // loaded with the frame; owned
    DWORD m_dwFrameStyle = 0;        // FWS_ styles given to LoadFrame
};
