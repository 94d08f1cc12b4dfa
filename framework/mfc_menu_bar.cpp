#include "mfc_menu_bar.h"
#include "frame_wnd_ex.h"
#include "gdi.h"
#include "mfc_popup_menu.h"

#include <algorithm>
#include <utility>

CFontHandle CMFCMenuBar::s_menuFont;

namespace {

constexpr int kChevronWidth = 16;  // the chevron's strip at the bar's right end

// The bar whose popup is open on this thread, for the menu filter hook.
thread_local CMFCMenuBar* t_pTracking = nullptr;
thread_local int t_nTrackingIndex = -1;
thread_local HMENU t_hTrackingMenu = nullptr;
thread_local HHOOK t_hFilterHook = nullptr;

// Every menu bar with a window, so a new menu font reaches them all.
std::vector<CMFCMenuBar*>& LiveBars()
{
    static std::vector<CMFCMenuBar*> bars;
    return bars;
}

// While a popup of the bar is open: the bar's button pressed and the filter hook installed.
class CTrackingScope {
public:
    CTrackingScope(CMFCMenuBar* pBar, int nIndex, HMENU hPopup, HOOKPROC pfnHook) : m_hWndBar(pBar->m_hWnd), m_nIndex(nIndex)
    {
        ::SendMessageW(m_hWndBar, TB_PRESSBUTTON, static_cast<WPARAM>(nIndex + 1), MAKELPARAM(TRUE, 0));
        t_pTracking = pBar;
        t_nTrackingIndex = nIndex;
        t_hTrackingMenu = hPopup;
        t_hFilterHook = ::SetWindowsHookExW(WH_MSGFILTER, pfnHook, nullptr, ::GetCurrentThreadId());
    }
    ~CTrackingScope()
    {
        if (t_hFilterHook) ::UnhookWindowsHookEx(t_hFilterHook);
        t_hFilterHook = nullptr;
        t_pTracking = nullptr;
        t_hTrackingMenu = nullptr;
        ::SendMessageW(m_hWndBar, TB_PRESSBUTTON, static_cast<WPARAM>(m_nIndex + 1), MAKELPARAM(FALSE, 0));
    }
    CTrackingScope(const CTrackingScope&) = delete;
    CTrackingScope& operator=(const CTrackingScope&) = delete;

private:
    HWND m_hWndBar;
    int m_nIndex;
};

// While the chevron's popup is open: the bar knows it and the template's menu behind each of its items.
class CChevronScope {
public:
    CChevronScope(HMENU& hOpen, std::vector<int>& openSources, HMENU hPopup, std::vector<int> sources)
        : m_hOpen(hOpen), m_openSources(openSources)
    {
        m_hOpen = hPopup;
        m_openSources = std::move(sources);
    }
    ~CChevronScope()
    {
        m_hOpen = nullptr;
        m_openSources.clear();
    }
    CChevronScope(const CChevronScope&) = delete;
    CChevronScope& operator=(const CChevronScope&) = delete;

private:
    HMENU& m_hOpen;
    std::vector<int>& m_openSources;
};

int HighlightedItem(HMENU hMenu)
{
    for (int i = 0, nCount = ::GetMenuItemCount(hMenu); i < nCount; ++i) {
        if (::GetMenuState(hMenu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE) return i;
    }
    return -1;
}

// Whether Left or Right belongs to the open popups rather than to the bar: Right opens the
// highlighted item's sub-menu, Left closes an open sub-menu. The keyboard is in the deepest
// menu reached along highlighted sub-menu items that have a highlighted item of their own.
bool SidewaysStaysInPopups(HMENU hTop, bool bRight)
{
    HMENU hMenu = hTop;
    for (int nDepth = 0; hMenu && nDepth < 64; ++nDepth) {
        int nItem = HighlightedItem(hMenu);
        HMENU hSub = nItem >= 0 ? ::GetSubMenu(hMenu, nItem) : nullptr;
        if (!hSub || HighlightedItem(hSub) < 0) return bRight ? hSub != nullptr : hMenu != hTop;
        hMenu = hSub;
    }
    return false;
}

}  // namespace

CMFCMenuBar::~CMFCMenuBar()
{
    auto& bars = LiveBars();
    bars.erase(std::remove(bars.begin(), bars.end(), this), bars.end());
}

BOOL CMFCMenuBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, RECT rcBorders, UINT nID)
{
    if (!CMFCToolBar::CreateEx(pParentWnd, dwCtrlStyle | TBSTYLE_LIST, dwStyle, rcBorders, nID)) return FALSE;
    LiveBars().push_back(this);
    auto* pFrame = dynamic_cast<CFrameWndEx*>(pParentWnd);
    if (pFrame) {
        m_hMenu.Reset(::GetMenu(pFrame->m_hWnd));
        ::SetMenu(pFrame->m_hWnd, nullptr);
        pFrame->SetMenuBar(this);
    }
    if (s_menuFont) SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(s_menuFont.Get()), FALSE);
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
    ApplyMenuFont();
    return TRUE;
}

void CMFCMenuBar::EnableCustomizeButton(BOOL bEnable, int, LPCWSTR, BOOL)
{
    m_bCustomizeButton = bEnable;
    RECT rect{};
    GetClientRect(&rect);
    LayoutChevron(rect.right);
}

void CMFCMenuBar::SetMenuFont(const LOGFONTW* lpLogFont, BOOL)
{
    if (!lpLogFont) return;
    CFontHandle font(::CreateFontIndirectW(lpLogFont));
    if (!font) return;
    // The bars take the new font before the old one goes.
    std::swap(s_menuFont, font);
    for (CMFCMenuBar* pBar : LiveBars()) pBar->ApplyMenuFont();
}

void CMFCMenuBar::ApplyMenuFont()
{
    if (!m_hWnd) return;
    if (s_menuFont) SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(s_menuFont.Get()), TRUE);
    // The buttons' widths follow the font; they are measured with every button shown.
    int nCount = GetCount();
    for (int i = 0; i < nCount; ++i) SendMessage(TB_HIDEBUTTON, static_cast<WPARAM>(i + 1), MAKELPARAM(FALSE, 0));
    m_bChevron = false;
    m_buttonRights.clear();
    for (int i = 0; i < nCount; ++i) {
        RECT rect;
        GetItemRect(i, &rect);
        m_buttonRights.push_back(rect.right);
    }
    AdjustLayout();
    RECT rect{};
    GetClientRect(&rect);
    LayoutChevron(rect.right);
}

SIZE CMFCMenuBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    SIZE size = CMFCToolBar::CalcFixedLayout(bStretch, bHorz);
    if (!m_buttonRights.empty()) {
        size.cx = std::max<LONG>(size.cx, m_buttonRights.back() + m_rectBorders.left + m_rectBorders.right);
    }
    return size;
}

void CMFCMenuBar::LayoutChevron(int cx)
{
    if (!m_hWnd || m_buttonRights.empty()) return;
    bool bAllFit = !m_bCustomizeButton || m_buttonRights.back() <= cx;
    int cxAvailable = cx - kChevronWidth;
    for (size_t i = 0; i < m_buttonRights.size(); ++i) {
        bool bHide = !bAllFit && m_buttonRights[i] > cxAvailable;
        if (bHide != IsButtonHidden(static_cast<int>(i))) {
            SendMessage(TB_HIDEBUTTON, static_cast<WPARAM>(i + 1), MAKELPARAM(bHide ? TRUE : FALSE, 0));
        }
    }
    m_bChevron = !bAllFit;
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

bool CMFCMenuBar::IsButtonHidden(int nIndex) const
{
    return ::SendMessageW(m_hWnd, TB_ISBUTTONHIDDEN, static_cast<WPARAM>(nIndex + 1), 0) != 0;
}

RECT CMFCMenuBar::GetChevronRect() const
{
    RECT rect{};
    GetClientRect(&rect);
    rect.left = std::max<LONG>(rect.left, rect.right - kChevronWidth);
    return rect;
}

void CMFCMenuBar::DrawChevron()
{
    RECT rect = GetChevronRect();
    CClientDC dc(this);
    // Two small right-pointing arrows, in the colour of button text.
    CSelectObject pen(dc, ::GetStockObject(DC_PEN));
    ::SetDCPenColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    int x = (rect.left + rect.right) / 2 - 4;
    int y = (rect.top + rect.bottom) / 2;
    for (int nArrow = 0; nArrow < 2; ++nArrow, x += 4) {
        for (int nStroke = 0; nStroke < 2; ++nStroke) {
            POINT points[] = {{x + nStroke, y - 3}, {x + nStroke + 3, y}, {x + nStroke - 1, y + 4}};
            ::Polyline(dc, points, 3);
        }
    }
}

void CMFCMenuBar::TrackChevronPopup()
{
    auto* pFrame = dynamic_cast<CFrameWndEx*>(GetTopLevelParent());
    if (!pFrame || !m_hMenu) return;
    CMenuHandle popup(::CreatePopupMenu());
    if (!popup) return;
    std::vector<int> sources;
    int nCount = ::GetMenuItemCount(m_hMenu);
    for (int i = 0; i < nCount; ++i) {
        if (!IsButtonHidden(i)) continue;
        wchar_t szText[128] = {};
        ::GetMenuStringW(m_hMenu, static_cast<UINT>(i), szText, 127, MF_BYPOSITION);
        CMenuHandle sub(CopyMenu(::GetSubMenu(m_hMenu, i)));
        if (sub && ::AppendMenuW(popup, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub.Get()), szText)) {
            sub.Detach();  // the popup holds it now
            sources.push_back(i);
        }
    }
    if (::GetMenuItemCount(popup) <= 0) return;
    CMFCPopupMenu menu(popup);
    if (!pFrame->OnShowPopupMenu(&menu)) return;
    RECT rect = GetChevronRect();
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    TPMPARAMS params{sizeof(params), rect};
    UINT nCmd = 0;
    {
        // Its menus open as the popup's sub-menus: the frame hands each to PrepareChevronSubMenu.
        CChevronScope chevron(m_hChevronPopup, m_chevronSources, popup, std::move(sources));
        nCmd = static_cast<UINT>(::TrackPopupMenuEx(popup, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_VERTICAL,
                                                    rect.left, rect.bottom, pFrame->m_hWnd, &params));
    }
    if (nCmd) pFrame->PostMessage(WM_COMMAND, MAKEWPARAM(nCmd, 0), 0);
}

bool CMFCMenuBar::PrepareChevronSubMenu(HMENU hSubMenu)
{
    if (!m_hChevronPopup || !hSubMenu || !m_hMenu) return false;
    const int nCount = ::GetMenuItemCount(m_hChevronPopup);
    for (int i = 0; i < nCount && static_cast<size_t>(i) < m_chevronSources.size(); ++i) {
        if (::GetSubMenu(m_hChevronPopup, i) != hSubMenu) continue;
        // Opened again within one chevron popup, the menu still starts from the template.
        CMFCPopupMenu popup(hSubMenu);
        popup.GetMenuBar()->ImportFromMenu(::GetSubMenu(m_hMenu, m_chevronSources[static_cast<size_t>(i)]));
        // The popup is already on its way: the hook's answer cannot keep it closed.
        if (auto* pFrame = dynamic_cast<CFrameWndEx*>(GetTopLevelParent())) pFrame->OnShowPopupMenu(&popup);
        return true;
    }
    return false;
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
        if (IsButtonHidden(nIndex)) {
            TrackChevronPopup();
            break;
        }
        HMENU hTemplate = m_hMenu ? ::GetSubMenu(m_hMenu, nIndex) : nullptr;
        if (!hTemplate) break;
        // Every opening starts from the template, whatever the popup hook made of the last one.
        CMenuHandle hPopup(CopyMenu(hTemplate));
        if (!hPopup) break;
        CMFCPopupMenu popup(hPopup);
        if (!pFrame->OnShowPopupMenu(&popup)) break;

        RECT rect;
        GetItemRect(nIndex, &rect);
        ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
        m_nSwitchTo = -1;
        UINT nCmd = 0;
        {
            CTrackingScope tracking(this, nIndex, hPopup, &MenuFilterHook);
            if (bFromKeyboard) ::PostMessageW(pFrame->m_hWnd, WM_KEYDOWN, VK_DOWN, 0);  // select the first item
            TPMPARAMS params{sizeof(params), rect};
            nCmd = static_cast<UINT>(::TrackPopupMenuEx(hPopup, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_VERTICAL,
                                                        rect.left, rect.bottom, pFrame->m_hWnd, &params));
        }
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
        if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_LEFT || pMsg->wParam == VK_RIGHT) &&
            !SidewaysStaysInPopups(t_hTrackingMenu, pMsg->wParam == VK_RIGHT)) {
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
    case WM_SIZE: {
        LRESULT lResult = CMFCToolBar::WindowProc(message, wParam, lParam);
        LayoutChevron(static_cast<short>(LOWORD(lParam)));
        return lResult;
    }
    case WM_PAINT: {
        LRESULT lResult = CMFCToolBar::WindowProc(message, wParam, lParam);
        if (m_bChevron) DrawChevron();
        return lResult;
    }
    case WM_LBUTTONDOWN: {
        POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        RECT rectChevron = GetChevronRect();
        if (m_bChevron && ::PtInRect(&rectChevron, pt)) {
            TrackChevronPopup();
            return 0;
        }
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
