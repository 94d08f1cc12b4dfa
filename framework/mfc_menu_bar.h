#pragma once
#include "mfc_tool_bar.h"

// The frame's menu as a bar: it takes the frame's menu over (the frame no
// longer shows its own), shows one button per popup and opens the popups
// from it, by mouse or from the keyboard (Alt, Alt and a mnemonic, arrows).
class CMFCMenuBar : public CMFCToolBar {
public:
    CMFCMenuBar() = default;
    ~CMFCMenuBar() override;

    BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_TRANSPARENT,
                  DWORD dwStyle = AFX_DEFAULT_TOOLBAR_STYLE, RECT rcBorders = RECT{1, 1, 1, 1},
                  UINT nID = AFX_IDW_MENUBAR) override;
    // The customise (chevron) button: this bar has no customisation, so only the wish is kept.
    void EnableCustomizeButton(BOOL bEnable, int iCustomizeCmd, LPCWSTR lpszCustomizeText, BOOL bQuickCustomize = TRUE);
    // The font of every menu bar of the process.
    static void SetMenuFont(const LOGFONTW* lpLogFont, BOOL bHorz = TRUE);
    HMENU GetHMenu() const { return m_hMenu; }

    // Keyboard access from the frame's WM_SYSCOMMAND SC_KEYMENU: 0 for Alt alone, else the mnemonic.
    void OnMenuKey(wchar_t chKey);
    bool HasMnemonic(wchar_t chKey) const { return FindMnemonic(chKey) >= 0; }
    // Opens the popup of button nIndex under it.
    void TrackPopup(int nIndex, bool bFromKeyboard);

    // CMFCToolBar overrides
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnUpdateCmdUI(CCmdTarget*, BOOL) override {}

private:
    int FindMnemonic(wchar_t chKey) const;
    void LeaveKeyboardMode();
    static LRESULT CALLBACK MenuFilterHook(int nCode, WPARAM wParam, LPARAM lParam);

    HMENU m_hMenu = nullptr;            // the frame's menu, taken over; owned
    BOOL m_bCustomizeButton = FALSE;
    HWND m_hWndFocusBefore = nullptr;   // focus to restore when keyboard mode ends
    bool m_bKeyboardMode = false;
    int m_nSwitchTo = -1;               // popup to open next when the open one was left sideways
    static HFONT s_hMenuFont;           // owned, for the life of the process
};
