#pragma once
#include "../framework/afx.h"
#include "../view/child_view.h"

// One top-level browser window around its web view. Created only by the
// window manager, which it tells when it closes.
class CBrowserFrame : public CFrameWndEx {
    DECLARE_DYNAMIC(CBrowserFrame)
public:
    CBrowserFrame() = default;
    ~CBrowserFrame() override = default;

    // Makes view the application's active view and gives it back its focus; nothing when it already is.
    void ActivateView(CChildView* pView);

    // CFrameWndEx overrides
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;

    CChildView m_wndView;  // the web view, client of the frame

protected:
    // Messages
    afx_msg int OnCreate(LPCREATESTRUCTW lpCreateStruct);
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg void OnClose();
    afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    // Commands
    afx_msg void OnViewReady();
    DECLARE_MESSAGE_MAP()
};
