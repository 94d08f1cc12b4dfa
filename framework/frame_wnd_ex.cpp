#include "frame_wnd_ex.h"
#include "win_app.h"
#include "mfc_menu_bar.h"
#include "mfc_popup_menu.h"
#include "mfc_tool_bar.h"

#include <algorithm>
#include <utility>

namespace {
thread_local CFrameWndEx* t_pRoutingFrame = nullptr;

// Places a child unless it is there already: a frame being shown gets a WM_SIZE of the size it
// was laid out at while hidden, and nothing needs to move or repaint for it.
void PlaceChild(HWND hChild, int x, int y, int cx, int cy)
{
    RECT rect;
    ::GetWindowRect(hChild, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(hChild), reinterpret_cast<POINT*>(&rect), 2);
    if (rect.left == x && rect.top == y && rect.right - rect.left == cx && rect.bottom - rect.top == cy) return;
    ::SetWindowPos(hChild, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Restores the outer routing frame however the handler ends: a fault unwinds through here.
class CPushRoutingFrame {
public:
    explicit CPushRoutingFrame(CFrameWndEx* pFrame) : m_pOuter(std::exchange(t_pRoutingFrame, pFrame)) {}
    ~CPushRoutingFrame() { t_pRoutingFrame = m_pOuter; }
    CPushRoutingFrame(const CPushRoutingFrame&) = delete;
    CPushRoutingFrame& operator=(const CPushRoutingFrame&) = delete;

private:
    CFrameWndEx* m_pOuter;
};
}  // namespace

CFrameWndEx* AfxGetRoutingFrame()
{
    return t_pRoutingFrame;
}

IMPLEMENT_DYNAMIC(CFrameWndEx, CObject)

BEGIN_MESSAGE_MAP(CFrameWndEx, CWnd)
    ON_WM_CREATE()
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_SETFOCUS()
    ON_WM_ACTIVATE()
    ON_WM_INITMENUPOPUP()
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
    ON_MESSAGE(WM_SYSCOMMAND, OnSysCommand)
    ON_MESSAGE(WM_MEASUREITEM, OnMeasureItem)
    ON_MESSAGE(WM_DRAWITEM, OnDrawItem)
END_MESSAGE_MAP()

CFrameWndEx::~CFrameWndEx()
{
    if (m_hAccelTable) ::DestroyAcceleratorTable(m_hAccelTable);
}

BOOL CFrameWndEx::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* /*pContext*/)
{
    HINSTANCE hInst = AfxGetResourceHandle();
    CString strFullTitle;
    strFullTitle.LoadString(nIDResource);
    int nNewLine = strFullTitle.Find(L'\n');
    CString strTitle = nNewLine < 0 ? strFullTitle : strFullTitle.Left(nNewLine);

    // A resource id without a menu or accelerators still makes a frame, just without them.
    CMenuHandle menu;
    if (::FindResourceW(hInst, MAKEINTRESOURCEW(nIDResource), MAKEINTRESOURCEW(4) /* RT_MENU */)) {
        menu.Reset(::LoadMenuW(hInst, MAKEINTRESOURCEW(nIDResource)));
    }
    if (!m_hAccelTable && ::FindResourceW(hInst, MAKEINTRESOURCEW(nIDResource), MAKEINTRESOURCEW(9) /* RT_ACCELERATOR */)) {
        m_hAccelTable = ::LoadAcceleratorsW(hInst, MAKEINTRESOURCEW(nIDResource));
    }

    m_dwFrameStyle = dwDefaultStyle & FWS_ADDTOTITLE;
    BOOL bCreated = CreateEx(0, nullptr, strTitle, dwDefaultStyle & ~FWS_ADDTOTITLE, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, pParentWnd ? pParentWnd->m_hWnd : nullptr, menu.Get());
    // A window that exists holds the menu (or its menu bar does). A window refused before it existed never
    // took it, and the owner destroys it; one whose creation failed later destroyed it with itself: user
    // handles are not reused, so IsMenu tells the cases apart.
    if (bCreated || !::IsMenu(menu)) menu.Detach();
    return bCreated;
}

BOOL CFrameWndEx::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!cs.lpszClass) {
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, ::LoadCursorW(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    }
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
    return TRUE;
}

BOOL CFrameWndEx::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST) return FALSE;
    // Any other key pressed while Alt is down (an accelerator too) means Alt was not pressed alone.
    if ((pMsg->message == WM_KEYDOWN || pMsg->message == WM_SYSKEYDOWN) && pMsg->wParam != VK_MENU &&
        pMsg->wParam != VK_F10) {
        m_bMenuKeyAlone = false;
    }
    if (m_hAccelTable && ::TranslateAcceleratorW(m_hWnd, m_hAccelTable, pMsg)) return TRUE;
    return m_pMenuBar && ProcessMenuKey(pMsg);
}

BOOL CFrameWndEx::ProcessMenuKey(MSG* pMsg)
{
    // The window with the focus would keep Alt to itself: the menu bar takes it here, before dispatch.
    bool bMenuKey = pMsg->wParam == VK_MENU || pMsg->wParam == VK_F10;
    switch (pMsg->message) {
    case WM_SYSKEYDOWN:
        if (bMenuKey) {
            m_bMenuKeyAlone = !(pMsg->lParam & (1 << 30));  // not a repeat
            return FALSE;
        }
        if (pMsg->lParam & (1 << 29)) {  // with Alt
            auto chKey = static_cast<wchar_t>(::MapVirtualKeyW(static_cast<UINT>(pMsg->wParam), MAPVK_VK_TO_CHAR));
            if (chKey && chKey != L' ' && m_pMenuBar->HasMnemonic(chKey)) {
                m_pMenuBar->OnMenuKey(chKey);
                return TRUE;
            }
        }
        return FALSE;
    case WM_SYSKEYUP:
        if (bMenuKey && m_bMenuKeyAlone) {
            m_bMenuKeyAlone = false;
            m_pMenuBar->OnMenuKey(0);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

BOOL CFrameWndEx::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    CPushRoutingFrame push(this);
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp && pApp->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CFrameWndEx::DockPane(CBasePane* pBar)
{
    if (pBar && std::find(m_docked.begin(), m_docked.end(), pBar) == m_docked.end()) m_docked.push_back(pBar);
    RecalcLayout();
}

void CFrameWndEx::RecalcLayout()
{
    if (!m_hWnd) return;
    RECT rect;
    GetClientRect(&rect);
    // Every visible bar that is a direct child, docked or not, takes its edge.
    for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        auto* pBar = dynamic_cast<CBasePane*>(CWnd::FromHandlePermanent(hChild));
        // The bar's own style: IsWindowVisible is false for every bar while the frame is hidden, and a
        // frame laid out only once shown moves and repaints all its bars while the user watches.
        if (!pBar || !(::GetWindowLongW(hChild, GWL_STYLE) & WS_VISIBLE)) continue;
        SIZE size = pBar->CalcFixedLayout(TRUE, TRUE);
        if (pBar->GetCurrentAlignment() & CBRS_ALIGN_TOP) {
            PlaceChild(hChild, rect.left, rect.top, rect.right - rect.left, size.cy);
            rect.top += size.cy;
        } else if (pBar->GetCurrentAlignment() & CBRS_ALIGN_BOTTOM) {
            PlaceChild(hChild, rect.left, rect.bottom - size.cy, rect.right - rect.left, size.cy);
            rect.bottom -= size.cy;
        }
    }
    if (rect.bottom < rect.top) rect.bottom = rect.top;
    if (HWND hView = ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST)) {
        PlaceChild(hView, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    }
}

void CFrameWndEx::PostNcDestroy()
{
    delete this;
}

int CFrameWndEx::OnCreate(LPCREATESTRUCTW lpCreateStruct)
{
    return CWnd::OnCreate(lpCreateStruct);
}

void CFrameWndEx::OnClose()
{
    DestroyWindow();
}

void CFrameWndEx::OnDestroy()
{
    CWnd::OnDestroy();
}

void CFrameWndEx::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    if (nType != SIZE_MINIMIZED) RecalcLayout();
}

void CFrameWndEx::OnSetFocus(CWnd* pOldWnd)
{
    CWnd::OnSetFocus(pOldWnd);
}

void CFrameWndEx::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized)
{
    CWnd::OnActivate(nState, pWndOther, bMinimized);
}

void CFrameWndEx::OnInitMenuPopup(HMENU hPopupMenu, UINT /*nIndex*/, BOOL bSysMenu)
{
    if (bSysMenu) return;
    // A menu opened from the menu bar's chevron starts from the bar's template and meets the popup hook.
    if (m_pMenuBar) m_pMenuBar->PrepareChevronSubMenu(hPopupMenu);
    int nCount = ::GetMenuItemCount(hPopupMenu);
    for (int i = 0; i < nCount; ++i) {
        CCmdUI state;
        state.m_nID = ::GetMenuItemID(hPopupMenu, i);
        state.m_nIndex = static_cast<UINT>(i);
        state.m_hMenu = hPopupMenu;
        state.DoUpdate(this, TRUE);
        // The image area of every item is the frame's to draw (WM_DRAWITEM).
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_FTYPE | MIIM_BITMAP;
        if (::GetMenuItemInfoW(hPopupMenu, static_cast<UINT>(i), TRUE, &mii) && !(mii.fType & MFT_SEPARATOR) &&
            !mii.hbmpItem) {
            mii.fMask = MIIM_BITMAP;
            mii.hbmpItem = HBMMENU_CALLBACK;
            ::SetMenuItemInfoW(hPopupMenu, static_cast<UINT>(i), TRUE, &mii);
        }
    }
}

LRESULT CFrameWndEx::OnIdleUpdateCmdUI(WPARAM wParam, LPARAM)
{
    // Toolbars anywhere below the frame (rebar bands included) follow the commands' state.
    ::EnumChildWindows(
        m_hWnd,
        [](HWND hChild, LPARAM lParam) -> BOOL {
            auto* pFrame = reinterpret_cast<CFrameWndEx*>(lParam);
            if (auto* pBar = dynamic_cast<CMFCToolBar*>(CWnd::FromHandlePermanent(hChild))) {
                if (::IsWindowVisible(hChild)) pBar->OnUpdateCmdUI(pFrame, TRUE);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(this));
    (void)wParam;
    return 0;
}

BOOL CFrameWndEx::OnShowPopupMenu(CMFCPopupMenu* /*pMenuPopup*/)
{
    return TRUE;
}

BOOL CFrameWndEx::OnDrawMenuImage(CDC*, const CMFCToolBarMenuButton*, const RECT&)
{
    return FALSE;
}

LRESULT CFrameWndEx::OnSysCommand(WPARAM wParam, LPARAM lParam)
{
    // Alt+letter reaches the menu bar; Alt+Space still opens the system menu. Alt alone was judged
    // before dispatch (ProcessMenuKey): the platform also reports the release of Alt after an
    // accelerator it never saw, which must not take the keyboard to the bar.
    if ((wParam & 0xFFF0) == SC_KEYMENU && m_pMenuBar && lParam != L' ') {
        if (lParam) m_pMenuBar->OnMenuKey(static_cast<wchar_t>(lParam));
        return 0;
    }
    return Default();
}

LRESULT CFrameWndEx::OnMeasureItem(WPARAM wParam, LPARAM lParam)
{
    auto* pMeasure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (wParam != 0 || pMeasure->CtlType != ODT_MENU) return Default();
    SIZE size = CMFCToolBar::GetMenuImageSize();
    pMeasure->itemWidth = static_cast<UINT>(size.cx);
    pMeasure->itemHeight = static_cast<UINT>(size.cy);
    return TRUE;
}

LRESULT CFrameWndEx::OnDrawItem(WPARAM wParam, LPARAM lParam)
{
    auto* pDraw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (wParam != 0 || pDraw->CtlType != ODT_MENU) return Default();
    wchar_t szText[256] = {};
    HMENU hMenu = reinterpret_cast<HMENU>(pDraw->hwndItem);
    ::GetMenuStringW(hMenu, pDraw->itemID, szText, 255, MF_BYCOMMAND);
    // A sub-menu item's id is its sub-menu's handle: its button is a sub-menu button with the items.
    HMENU hSubMenu = nullptr;
    for (int i = 0, nCount = ::GetMenuItemCount(hMenu); i < nCount; ++i) {
        HMENU hItemMenu = ::GetSubMenu(hMenu, i);
        if (hItemMenu && static_cast<UINT>(reinterpret_cast<UINT_PTR>(hItemMenu)) == pDraw->itemID) {
            hSubMenu = hItemMenu;
            ::GetMenuStringW(hMenu, static_cast<UINT>(i), szText, 255, MF_BYPOSITION);
            break;
        }
    }
    int iImage = hSubMenu ? -1 : CMFCToolBar::GetCmdImage(pDraw->itemID);
    // Drawn at every hover: the sub-menu is read in place, never copied.
    const CMFCToolBarMenuButton button = CMFCToolBarMenuButton::ForMenuItem(
        hSubMenu ? static_cast<UINT>(-1) : pDraw->itemID, hSubMenu, iImage, szText);
    CDC dc;
    dc.m_hDC = pDraw->hDC;
    if (!OnDrawMenuImage(&dc, &button, pDraw->rcItem) && iImage >= 0) {
        SIZE size = CMFCToolBar::GetMenuImageSize();
        int x = pDraw->rcItem.left + (pDraw->rcItem.right - pDraw->rcItem.left - size.cx) / 2;
        int y = pDraw->rcItem.top + (pDraw->rcItem.bottom - pDraw->rcItem.top - size.cy) / 2;
        UINT nStyle = (pDraw->itemState & ODS_GRAYED) ? ILD_BLEND50 : ILD_TRANSPARENT;
        ImageList_Draw(CMFCToolBar::GetMenuImages(), iImage, pDraw->hDC, x, y, nStyle);
    }
    return TRUE;
}

BOOL CFrameWndEx::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (CWnd::OnNotify(wParam, lParam, pResult)) return TRUE;
    if (reinterpret_cast<NMHDR*>(lParam)->code == RBN_HEIGHTCHANGE) {
        RecalcLayout();
        *pResult = 0;
        return TRUE;
    }
    return FALSE;
}
