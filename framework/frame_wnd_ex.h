#pragma once
#include "afxres.h"
#include "base_pane.h"
#include "gdi.h"
#include "wnd.h"

#include <vector>

class CMFCMenuBar;
class CMFCPopupMenu;
class CMFCToolBarMenuButton;

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
    // Lays the docked bars along their edges and gives the client view the rest.
    virtual void RecalcLayout();
    // Which edges bars may dock to; DockPane docks a bar along its own alignment.
    void EnableDocking(DWORD dwDockStyle) { m_dwDockStyle = dwDockStyle; }
    void DockPane(CBasePane* pBar);
    // Called just before any popup opens (menu bar and toolbar drop-downs); FALSE keeps it closed.
    virtual BOOL OnShowPopupMenu(CMFCPopupMenu* pMenuPopup);
    // Called for the image area of each menu item; TRUE when the frame drew it, else the command's own image is drawn.
    virtual BOOL OnDrawMenuImage(CDC* pDC, const CMFCToolBarMenuButton* pMenuButton, const RECT& rectImage);
    void SetMenuBar(CMFCMenuBar* pMenuBar) { m_pMenuBar = pMenuBar; }
    // The frame that has the user's attention inside this one: frames here hold no inner frames, so itself.
    CFrameWndEx* GetActiveFrame() { return this; }

    // CWnd overrides
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

protected:
    void PostNcDestroy() override;

    // Alt alone and Alt with a mnemonic open the menu bar, wherever the focus is.
    BOOL ProcessMenuKey(MSG* pMsg);

    afx_msg int OnCreate(LPCREATESTRUCTW lpCreateStruct);
    afx_msg void OnClose();
    afx_msg void OnDestroy();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    afx_msg void OnInitMenuPopup(HMENU hPopupMenu, UINT nIndex, BOOL bSysMenu);
    afx_msg LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnMeasureItem(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnDrawItem(WPARAM wParam, LPARAM lParam);
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    DECLARE_MESSAGE_MAP()

    CMFCMenuBar* m_pMenuBar = nullptr;  // the bar that took over the menu; a member of the derived frame
    bool m_bMenuKeyAlone = false;       // Alt (or F10) went down with no other key since
    std::vector<CBasePane*> m_docked;   // bars laid along the edges; members of the derived frame
    DWORD m_dwDockStyle = 0;

    HACCEL m_hAccelTable = nullptr;  // loaded with the frame; owned
    DWORD m_dwFrameStyle = 0;        // FWS_ styles given to LoadFrame
};

// The frame whose OnCmdMsg is routing the command being handled, or null: windows a handler
// opens without an owner of their own go in front of it.
CFrameWndEx* AfxGetRoutingFrame();
