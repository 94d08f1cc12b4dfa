#pragma once
#include "favorites_menu.h"
#include "../addressbar/my_combo_box_ex.h"
#include "../framework/afx.h"
#include "../view/child_view.h"

// One top-level browser window: menu bar, toolbar and address box in a
// rebar, a status bar, and the web view as its client. Created only by the
// window manager, which it tells when it closes.
class CBrowserFrame : public CFrameWndEx {
    DECLARE_DYNAMIC(CBrowserFrame)
public:
    CBrowserFrame() = default;
    ~CBrowserFrame() override = default;

    // The status bar's panes, in the order of the frame's indicator table.
    enum StatusPane : int {
        kPaneIcon = 0,      // the page icon, zero wide
        kPaneText = 1,      // the status text, stretching
        kPaneProgress = 2,  // the progress bar while a page loads
        kPaneSecure = 3,    // padlock or empty image
        kPaneZone = 4,      // the zone's icon and name
    };

    // Makes view the application's active view and gives it back its focus; nothing when it already is.
    void ActivateView(CChildView* pView);

    // Page state the view shows in the bars
    // The page's URL in the address box, unless it is a script URL or the user is typing there.
    void SetAddressText(LPCWSTR lpszURL);
    // The zone's icon and name in kPaneZone; -1 or a zone without icon leaves the pane as it is.
    void UpdateZonePane(int nZone);
    // The progress bar of kPaneProgress; a negative maximum hides it.
    void SetProgress(long nProgress, long nProgressMax);
    // Padlock or empty image in kPaneSecure.
    void SetSecureIcon(bool bSecure);
    // The page's status text in kPaneText; nothing without a status bar.
    void SetStatusText(LPCWSTR lpszText);
    // The edit of the address box when the keyboard focus is in that box, else null.
    HWND AddressEditWithFocus() const;
    // Shapes the window as the page's script asked: hides the menu bar and toolbar unless the page keeps
    // them and the address box always, lays the frame out again and, when a position or size was asked
    // for, places the window, its caption kept on the work area.
    void ApplyWindowFeatures(const WindowRequest& request, bool bMenuBar, bool bToolBar);

    // CFrameWndEx overrides
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    BOOL OnShowPopupMenu(CMFCPopupMenu* pMenuPopup) override;
    BOOL OnDrawMenuImage(CDC* pDC, const CMFCToolBarMenuButton* pMenuButton, const RECT& rectImage) override;

    CMFCMenuBar m_wndMenuBar;
    CMFCReBar m_wndReBar;
    CMFCToolBar m_wndToolBar;
    CMyComboBoxEx m_wndAddress;
    CMFCStatusBar m_wndStatusBar;
    CChildView m_wndView;  // the web view, client of the frame

protected:
    // Messages
    afx_msg int OnCreate(LPCREATESTRUCTW lpCreateStruct);
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg void OnClose();
    afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    afx_msg LRESULT OnAddressEntered(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnAddressSelected(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnToolbarReset(WPARAM wParam, LPARAM lParam);
    // Commands
    afx_msg void OnFocusAddress();
    afx_msg void OnViewReady();
    afx_msg void OnUpdateTextSize(CCmdUI* pCmdUI);
    afx_msg void OnFavorite(UINT nID);
    afx_msg void OnFavoritesRefresh();
    DECLARE_MESSAGE_MAP()

private:
    // The rebar's bands in the order CreateReBar adds them: a band's index is its value.
    enum Band : int {
        kMenuBand = 0,
        kToolBand = 1,
        kAddressBand = 2,
    };

    // The bars in the order OnCreate builds them; each FALSE when the frame cannot be built.
    BOOL CreateMenuBar();
    BOOL CreateToolBar();
    BOOL CreateAddressBox();
    BOOL CreateReBar();
    void SizeToolBarBand();
    // Hides a band of the rebar unless it is hidden already.
    void HideBand(Band nBand);
    // Whether the keyboard focus is in the address box (the combo or its edit).
    bool AddressBoxHasFocus() const;
    BOOL CreateStatusBar();
    // Replaces a Back (or Forward) drop-down's items with the control's travel log, nearest first.
    void FillHistoryPopup(CMFCPopupMenuBar* pBar, bool bBack);

    CFavoritesMenu m_favoritesMenu{*this};  // this window's Favorites menu
};
