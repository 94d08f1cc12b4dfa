#pragma once
#include "handles.h"
#include "mfc_tool_bar.h"

#include <vector>

// The frame's menu as a bar: it takes the frame's menu over (the frame no
// longer shows its own), shows one button per popup and opens the popups
// from it, by mouse or from the keyboard (Alt, Alt and a mnemonic, arrows).
// With the customise button enabled, a bar too narrow for every popup hides
// the ones that do not fit and shows a chevron at its right end that opens
// them.
class CMFCMenuBar : public CMFCToolBar {
public:
    CMFCMenuBar() = default;
    ~CMFCMenuBar() override;

    BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_TRANSPARENT,
                  DWORD dwStyle = AFX_DEFAULT_TOOLBAR_STYLE, RECT rcBorders = RECT{1, 1, 1, 1},
                  UINT nID = AFX_IDW_MENUBAR) override;
    // The customise (chevron) button. This bar has no customisation: the command and text are not used.
    void EnableCustomizeButton(BOOL bEnable, int iCustomizeCmd, LPCWSTR lpszCustomizeText, BOOL bQuickCustomize = TRUE);
    // The font of every menu bar of the process, those that exist already included.
    static void SetMenuFont(const LOGFONTW* lpLogFont, BOOL bHorz = TRUE);
    HMENU GetHMenu() const { return m_hMenu; }

    // Called by the frame for every popup about to open: a menu of the chevron's popup is set back to
    // the template's items and offered to the frame's popup hook, as a menu opened from the bar is.
    // False when the popup is no menu of the chevron's.
    bool PrepareChevronSubMenu(HMENU hSubMenu);

    // Keyboard access from the frame's WM_SYSCOMMAND SC_KEYMENU: 0 for Alt alone, else the mnemonic.
    void OnMenuKey(wchar_t chKey);
    bool HasMnemonic(wchar_t chKey) const { return FindMnemonic(chKey) >= 0; }

    // CMFCToolBar overrides
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnUpdateCmdUI(CCmdTarget*, BOOL) override {}
    // The width of every popup's button, hidden ones included, so the bar's band still asks for all of them.
    SIZE CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;

protected:
    // Opens the popup of button nIndex under it, made afresh from the template (the frame's menu)
    // at every opening; a hidden button's popup opens from the chevron.
    void TrackPopup(int nIndex, bool bFromKeyboard);
    // Opens a popup of the hidden popups under the chevron and carries out the chosen command.
    void TrackChevronPopup();

private:
    int FindMnemonic(wchar_t chKey) const;
    void LeaveKeyboardMode();
    void ApplyMenuFont();
    // Hides the buttons that do not fit beside the chevron in a bar cx wide; all shown when they all fit.
    void LayoutChevron(int cx);
    RECT GetChevronRect() const;
    void DrawChevron();
    bool IsButtonHidden(int nIndex) const;
    static LRESULT CALLBACK MenuFilterHook(int nCode, WPARAM wParam, LPARAM lParam);

    CMenuHandle m_hMenu;                // the frame's menu, taken over
    BOOL m_bCustomizeButton = FALSE;
    bool m_bChevron = false;            // some buttons are hidden and the chevron is shown
    std::vector<int> m_buttonRights;    // right edge of each button with every button shown
    HWND m_hWndFocusBefore = nullptr;   // focus to restore when keyboard mode ends
    bool m_bKeyboardMode = false;
    int m_nSwitchTo = -1;               // popup to open next when the open one was left sideways
    HMENU m_hChevronPopup = nullptr;    // the chevron's popup while it is open; not owned
    std::vector<int> m_chevronSources;  // for each of its items, the template's menu it shows
    static CFontHandle s_menuFont;      // for the life of the process
};
