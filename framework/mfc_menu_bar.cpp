#include "mfc_menu_bar.h"
#include "frame_wnd_ex.h"
#include "mfc_popup_menu.h"

HFONT CMFCMenuBar::s_hMenuFont = nullptr;

namespace {
// The bar whose popup is open on this thread, for the menu filter hook.
thread_local CMFCMenuBar* t_pTracking = nullptr;
thread_local int t_nTrackingIndex = -1;
thread_local HHOOK t_hFilterHook = nullptr;
}  // namespace

CMFCMenuBar::~CMFCMenuBar()
{
    if (m_hMenu) ::DestroyMenu(m_hMenu);
}

BOOL CMFCMenuBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, RECT rcBorders, UINT nID)
{
    if (!CMFCToolBar::CreateEx(pParentWnd, dwCtrlStyle | TBSTYLE_LIST, dwStyle, rcBorders, nID)) return FALSE;
    auto* pFrame = dynamic_cast<CFrameWndEx*>(pParentWnd);
    if (pFrame) {
        m_hMenu = ::GetMenu(pFrame->m_hWnd);
        ::SetMenu(pFrame->m_hWnd, nullptr);
        pFrame->SetMenuBar(this);
    }
    if (s_hMenuFont) SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(s_hMenuFont), FALSE);
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    int nCount = m_hMenu ? ::GetMenuItemCount(m_hMenu) : 0;
    for (int i = 0; i < nCount; ++i) {
        wchar_t szText[128] = {};
        ::GetMenuStringW(m_hMenu, static_cast<UINT>(i), szText, 127, MF_BYPOSITION);
        TBBUTTON button{};
        button.iBitmap = I_IMAGENONE;
        button.idCommand = i + 1;  // position + 1: the buttons carry no commands of their own
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
        button.iString = reinterpret_cast<INT_PTR>(szText);
        SendMessage(TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
    }
    AdjustLayout();
    return TRUE;
}

void CMFCMenuBar::EnableCustomizeButton(BOOL bEnable, int, LPCWSTR, BOOL)
{
    m_bCustomizeButton = bEnable;
}

void CMFCMenuBar::SetMenuFont(const LOGFONTW* lpLogFont, BOOL)
{
    if (!lpLogFont) return;
    HFONT hFont = ::CreateFontIndirectW(lpLogFont);
    if (!hFont) return;
    if (s_hMenuFont) ::DeleteObject(s_hMenuFont);
    s_hMenuFont = hFont;
}

int CMFCMenuBar::FindMnemonic(wchar_t chKey) const
{
    wchar_t chUpper = static_cast<wchar_t>(reinterpret_cast<UINT_PTR>(::CharUpperW(reinterpret_cast<LPWSTR>(chKey))));
    int nCount = m_hMenu ? ::GetMenuItemCount(m_hMenu) : 0;
    for (int i = 0; i < nCount; ++i) {
        wchar_t szText[128] = {};
        ::GetMenuStringW(m_hMenu, static_cast<UINT>(i), szText, 127, MF_BYPOSITION);
        for (const wchar_t* p = szText; *p; ++p) {
            if (p[0] == L'&' && p[1] && p[1] != L'&') {
                wchar_t ch = static_cast<wchar_t>(reinterpret_cast<UINT_PTR>(::CharUpperW(reinterpret_cast<LPWSTR>(p[1]))));
                if (ch == chUpper) return i;
                break;
            }
        }
    }
    return -1;
}

void CMFCMenuBar::OnMenuKey(wchar_t chKey)
{
    if (chKey) {
        int nIndex = FindMnemonic(chKey);
        if (nIndex >= 0) TrackPopup(nIndex, true);
        else ::MessageBeep(0);
        return;
    }
    // Alt alone: the bar takes the keyboard, the first popup's button lit.
    m_bKeyboardMode = true;
    m_hWndFocusBefore = ::GetFocus();
    ::SetFocus(m_hWnd);
    SendMessage(TB_SETHOTITEM, 0);
}

void CMFCMenuBar::LeaveKeyboardMode()
{
    if (!m_bKeyboardMode) return;
    m_bKeyboardMode = false;
    SendMessage(TB_SETHOTITEM, static_cast<WPARAM>(-1));
    if (m_hWndFocusBefore && ::IsWindow(m_hWndFocusBefore)) ::SetFocus(m_hWndFocusBefore);
    m_hWndFocusBefore = nullptr;
}

void CMFCMenuBar::TrackPopup(int nIndex, bool bFromKeyboard)
{
    auto* pFrame = dynamic_cast<CFrameWndEx*>(GetTopLevelParent());
    for (int nNext = nIndex; pFrame && nNext >= 0;) {
        nIndex = nNext;
        nNext = -1;
        HMENU hPopup = m_hMenu ? ::GetSubMenu(m_hMenu, nIndex) : nullptr;
        if (!hPopup) break;
        CMFCPopupMenu popup(hPopup);
        if (!pFrame->OnShowPopupMenu(&popup)) break;

        RECT rect;
        GetItemRect(nIndex, &rect);
        ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
        SendMessage(TB_PRESSBUTTON, static_cast<WPARAM>(nIndex + 1), MAKELPARAM(TRUE, 0));
        t_pTracking = this;
        t_nTrackingIndex = nIndex;
        m_nSwitchTo = -1;
        t_hFilterHook = ::SetWindowsHookExW(WH_MSGFILTER, &MenuFilterHook, nullptr, ::GetCurrentThreadId());
        if (bFromKeyboard) ::PostMessageW(pFrame->m_hWnd, WM_KEYDOWN, VK_DOWN, 0);  // select the first item
        TPMPARAMS params{sizeof(params), rect};
        UINT nCmd = static_cast<UINT>(::TrackPopupMenuEx(hPopup, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_VERTICAL,
                                                         rect.left, rect.bottom, pFrame->m_hWnd, &params));
        ::UnhookWindowsHookEx(t_hFilterHook);
        t_hFilterHook = nullptr;
        t_pTracking = nullptr;
        SendMessage(TB_PRESSBUTTON, static_cast<WPARAM>(nIndex + 1), MAKELPARAM(FALSE, 0));
        if (nCmd) {
            LeaveKeyboardMode();
            pFrame->PostMessage(WM_COMMAND, MAKEWPARAM(nCmd, 0), 0);
            break;
        }
        nNext = m_nSwitchTo;
    }
    LeaveKeyboardMode();
}

LRESULT CALLBACK CMFCMenuBar::MenuFilterHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    CMFCMenuBar* pBar = t_pTracking;
    auto* pMsg = reinterpret_cast<MSG*>(lParam);
    if (nCode == MSGF_MENU && pBar) {
        int nCount = pBar->GetCount();
        int nTo = -1;
        if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_LEFT || pMsg->wParam == VK_RIGHT)) {
            // Sideways from a popup's top level moves to the neighbouring popup.
            nTo = (t_nTrackingIndex + (pMsg->wParam == VK_LEFT ? nCount - 1 : 1)) % nCount;
        } else if (pMsg->message == WM_MOUSEMOVE) {
            POINT pt{static_cast<short>(LOWORD(pMsg->lParam)), static_cast<short>(HIWORD(pMsg->lParam))};
            ::ScreenToClient(pBar->m_hWnd, &pt);  // menu mouse messages carry screen coordinates
            int nHit = static_cast<int>(::SendMessageW(pBar->m_hWnd, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&pt)));
            if (nHit >= 0 && nHit < nCount && nHit != t_nTrackingIndex) nTo = nHit;
        }
        if (nTo >= 0) {
            pBar->m_nSwitchTo = nTo;
            ::SendMessageW(::GetAncestor(pBar->m_hWnd, GA_ROOT), WM_CANCELMODE, 0, 0);
            return TRUE;
        }
    }
    return ::CallNextHookEx(t_hFilterHook, nCode, wParam, lParam);
}

LRESULT CMFCMenuBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONDOWN: {
        POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        int nHit = static_cast<int>(SendMessage(TB_HITTEST, 0, reinterpret_cast<LPARAM>(&pt)));
        if (nHit >= 0 && nHit < GetCount()) {
            TrackPopup(nHit, false);
            return 0;
        }
        break;
    }
    case WM_KEYDOWN:
        if (m_bKeyboardMode) {
            int nHot = static_cast<int>(SendMessage(TB_GETHOTITEM));
            int nCount = GetCount();
            if (wParam == VK_LEFT || wParam == VK_RIGHT) {
                SendMessage(TB_SETHOTITEM, static_cast<WPARAM>((nHot + (wParam == VK_LEFT ? nCount - 1 : 1)) % nCount));
            } else if (wParam == VK_DOWN || wParam == VK_RETURN || wParam == VK_SPACE || wParam == VK_UP) {
                TrackPopup(nHot < 0 ? 0 : nHot, true);
            } else if (wParam == VK_ESCAPE || wParam == VK_MENU) {
                LeaveKeyboardMode();
            }
            return 0;
        }
        break;
    case WM_CHAR:
        if (m_bKeyboardMode) {
            int nIndex = FindMnemonic(static_cast<wchar_t>(wParam));
            if (nIndex >= 0) TrackPopup(nIndex, true);
            return 0;
        }
        break;
    case WM_SYSKEYUP:
        if (m_bKeyboardMode && wParam == VK_MENU) {
            LeaveKeyboardMode();
            return 0;
        }
        break;
    case WM_KILLFOCUS:
        m_bKeyboardMode = false;
        SendMessage(TB_SETHOTITEM, static_cast<WPARAM>(-1));
        break;
    default:
        break;
    }
    return CMFCToolBar::WindowProc(message, wParam, lParam);
}
