#include "browser_frame.h"
#include "frame_window_class.h"
#include "menu_columns.h"
#include "menu_item_text.h"
#include "../app/tarnwick_app.h"  // theApp: the shared image list and the active view
#include "../res/messages.h"
#include "../res/resource.h"

#include <tlogstg.h>
#include <urlmon.h>
#include <algorithm>
#include <cwchar>
#include <iterator>

IMPLEMENT_DYNAMIC(CBrowserFrame, CFrameWndEx)

BEGIN_MESSAGE_MAP(CBrowserFrame, CFrameWndEx)
    ON_WM_CREATE()
    ON_WM_SETFOCUS()
    ON_WM_CLOSE()
    ON_WM_ACTIVATE()
    ON_MESSAGE(WM_ADDRESS_ENTERED, OnAddressEntered)
    ON_MESSAGE(WM_ADDRESS_SELECTED, OnAddressSelected)
    ON_REGISTERED_MESSAGE(AFX_WM_RESETTOOLBAR, OnToolbarReset)
    ON_COMMAND(ID_FOCUS_ADDRESS, OnFocusAddress)
    ON_COMMAND(ID_VIEW_READY, OnViewReady)
    ON_UPDATE_COMMAND_UI_RANGE(ID_TEXTSIZE_LARGEST, ID_TEXTSIZE_SMALLEST, OnUpdateTextSize)
    ON_COMMAND_RANGE(ID_FAVORITE_FIRST, ID_FAVORITE_LAST, OnFavorite)
    ON_COMMAND(ID_FAVORITES_REFRESH, OnFavoritesRefresh)
END_MESSAGE_MAP()

namespace {

constexpr DWORD kPaneStyleMask = ~static_cast<DWORD>(CBRS_GRIPPER | CBRS_BORDER_ANY);  // no gripper, no borders

// One entry per StatusPane, then a last blank pane.
const UINT kIndicators[] = {ID_INDICATOR_ICON, ID_SEPARATOR, ID_INDICATOR_PROGRESS,
                            ID_SEPARATOR,      ID_INDICATOR_ZONE, ID_INDICATOR_LAST};

// A new icon of an image of the application image list.
CIconHandle AppImageIcon(int nImage)
{
    return CIconHandle(ImageList_GetIcon(theApp.m_imageList.GetSafeHandle(), nImage, ILD_NORMAL));
}

}  // namespace

BOOL CBrowserFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (m_wndView.OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    return CFrameWndEx::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CBrowserFrame::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!CFrameWndEx::PreCreateWindow(cs)) return FALSE;
    UseFrameWindowClass(cs);
    return TRUE;
}

int CBrowserFrame::OnCreate(LPCREATESTRUCTW lpCreateStruct)
{
    if (CFrameWndEx::OnCreate(lpCreateStruct) == -1) return -1;
    if (!CreateMenuBar() || !CreateToolBar() || !CreateAddressBox() || !CreateReBar()) return -1;
    SizeToolBarBand();
    EnableDocking(CBRS_ALIGN_ANY);
    m_wndReBar.EnableDocking(CBRS_TOP);
    DockPane(&m_wndReBar);
    if (!CreateStatusBar()) return -1;
    RECT rectEmpty{};
    if (!m_wndView.Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, rectEmpty, this, AFX_IDW_PANE_FIRST, nullptr)) {
        return -1;
    }
    RecalcLayout();
    return 0;
}

BOOL CBrowserFrame::CreateMenuBar()
{
    // Recorded only: the bars and menus are the system's own controls, already in the native look.
    CMFCVisualManager::SetDefaultManager(RUNTIME_CLASS(CMFCVisualManagerWindows));
    CMFCVisualManager::GetInstance()->SetOfficeStyleMenus(FALSE);
    if (!m_wndMenuBar.CreateEx(this, TBSTYLE_TRANSPARENT, AFX_DEFAULT_TOOLBAR_STYLE, RECT{1, 1, 1, 1},
                               AFX_IDW_MENUBAR)) {
        return FALSE;
    }
    m_wndMenuBar.SetPaneStyle(m_wndMenuBar.GetPaneStyle() | CBRS_SIZE_DYNAMIC);
    m_wndMenuBar.EnableCustomizeButton(TRUE, -1, L"", TRUE);
    LOGFONTW logfont{};
    ::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(LOGFONTW), &logfont, 0);
    CMFCMenuBar::SetMenuFont(&logfont, TRUE);
    // Loading uses these sizes; the toolbar's own size comes after it.
    CMFCToolBar::SetSizes(SIZE{36, 30}, SIZE{23, 23});
    CMFCToolBar::SetMenuSizes(SIZE{22, 22}, SIZE{16, 16});
    m_wndMenuBar.SetPaneStyle(m_wndMenuBar.GetPaneStyle() & kPaneStyleMask);
    return TRUE;
}

BOOL CBrowserFrame::CreateToolBar()
{
    // Bitmaps of 8 bits per pixel or less get the 16-colour images.
    CClientDC dc(this);
    bool bHighColour = dc.GetDeviceCaps(BITSPIXEL) > 8;
    if (!m_wndToolBar.CreateEx(this, TBSTYLE_TRANSPARENT, AFX_DEFAULT_TOOLBAR_STYLE, RECT{1, 1, 1, 1},
                               AFX_IDW_TOOLBAR)) {
        return FALSE;
    }
    if (!m_wndToolBar.LoadToolBar(IDR_MAINFRAME, bHighColour ? IDB_TOOLBAR_COLD : 0,
                                  bHighColour ? IDB_MENU_IMAGES : IDB_MENU_IMAGES_16, FALSE, 0, 0,
                                  bHighColour ? IDB_TOOLBAR_HOT : 0)) {
        return FALSE;
    }
    m_wndToolBar.SetWindowText(L"Standard");
    m_wndToolBar.SetBorders(0, 0, 0, 0);
    CMFCToolBar::SetSizes(SIZE{32, 32}, SIZE{23, 23});
    m_wndToolBar.SetPaneStyle(m_wndToolBar.GetPaneStyle() & kPaneStyleMask);
    return TRUE;
}

BOOL CBrowserFrame::CreateAddressBox()
{
    RECT rectAddress{0, 0, 200, 120};
    return m_wndAddress.Create(WS_CHILD | CBS_DROPDOWN | CBS_AUTOHSCROLL, rectAddress, this, IDC_ADDRESS_BOX);
}

BOOL CBrowserFrame::CreateReBar()
{
    CString strLabel;
    strLabel.LoadString(IDS_ADDRESS_LABEL);
    if (!m_wndReBar.Create(this, RBS_BANDBORDERS, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | CBRS_TOP,
                           AFX_IDW_REBAR)) {
        return FALSE;
    }
    // Added in the order of Band: each band's index is its value.
    static_assert(kMenuBand == 0 && kToolBand == kMenuBand + 1 && kAddressBand == kToolBand + 1);
    if (!m_wndReBar.AddBar(&m_wndMenuBar, nullptr, nullptr, RBBS_GRIPPERALWAYS | RBBS_FIXEDBMP) ||
        !m_wndReBar.AddBar(&m_wndToolBar, nullptr, nullptr, RBBS_BREAK | RBBS_GRIPPERALWAYS | RBBS_FIXEDBMP) ||
        !m_wndReBar.AddBar(&m_wndAddress, strLabel, nullptr, RBBS_BREAK | RBBS_GRIPPERALWAYS | RBBS_FIXEDBMP)) {
        return FALSE;
    }
    m_wndMenuBar.AdjustLayout();
    m_wndToolBar.AdjustLayout();
    return TRUE;
}

// The toolbar band can shrink to one button and ideally shows them all.
void CBrowserFrame::SizeToolBarBand()
{
    RECT rectButton;
    m_wndToolBar.GetItemRect(0, &rectButton);
    UINT cxButton = static_cast<UINT>(rectButton.right - rectButton.left);
    UINT nButtons = static_cast<UINT>(m_wndToolBar.GetCount());
    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);  // the size of this build's structure: a fixed 32-bit size is wrong on 64-bit
    band.fMask = RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_IDEALSIZE;
    band.cxMinChild = cxButton;
    band.cyMinChild = static_cast<UINT>(rectButton.bottom - rectButton.top);
    band.cx = nButtons * cxButton;
    band.cxIdeal = nButtons * cxButton;
    m_wndReBar.SendMessage(RB_SETBANDINFOW, kToolBand, reinterpret_cast<LPARAM>(&band));
}

BOOL CBrowserFrame::CreateStatusBar()
{
    if (!m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR)) return FALSE;
    if (!m_wndStatusBar.SetIndicators(kIndicators, static_cast<int>(std::size(kIndicators)))) return FALSE;
    m_wndStatusBar.SetPaneStyle(kPaneIcon, SBPS_NOBORDERS);
    m_wndStatusBar.SetPaneIcon(kPaneIcon, AppImageIcon(kImageWebPage));
    m_wndStatusBar.SetPaneText(kPaneIcon, nullptr);
    m_wndStatusBar.SetPaneWidth(kPaneIcon, 0);
    m_wndStatusBar.SetPaneStyle(kPaneText, SBPS_STRETCH | SBPS_NOBORDERS);
    m_wndStatusBar.SetPaneIcon(kPaneSecure, AppImageIcon(kImageEmpty));
    m_wndStatusBar.SetPaneText(kPaneSecure, nullptr);
    m_wndStatusBar.SetPaneWidth(kPaneSecure, 0);
    m_wndStatusBar.SetPaneIcon(kPaneZone, AppImageIcon(kImageEmpty));
    m_wndStatusBar.SetPaneText(kPaneZone, nullptr);
    m_wndStatusBar.SetPaneWidth(kPaneZone, 170);
    m_wndStatusBar.SetPaneStyle(kPaneZone, SBPS_STRETCH | SBPS_NOBORDERS);
    m_wndStatusBar.SetPaneWidth(kPaneProgress, 80);
    return TRUE;
}

void CBrowserFrame::OnSetFocus(CWnd* /*pOldWnd*/)
{
    if (::IsWindow(m_wndView.m_hWnd)) m_wndView.SetFocus();
}

void CBrowserFrame::OnClose()
{
    CWnd* pMainWnd = AfxGetApp()->m_pMainWnd;
    if (pMainWnd && ::IsWindow(pMainWnd->m_hWnd)) {
        pMainWnd->SendMessage(WM_BROWSER_WINDOW_CLOSED, 0, reinterpret_cast<LPARAM>(this));
    }
    CFrameWndEx::OnClose();
}

void CBrowserFrame::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized)
{
    CFrameWndEx::OnActivate(nState, pWndOther, bMinimized);
    ActivateView(&m_wndView);
}

void CBrowserFrame::ActivateView(CChildView* pView)
{
    if (!pView || pView == theApp.m_pActiveView || !::IsWindow(pView->m_hWnd)) return;
    theApp.m_pActiveView = pView;
    pView->RestoreFocus();
}

void CBrowserFrame::OnFocusAddress()
{
    if (!::IsWindow(m_wndAddress.m_hWnd)) return;
    m_wndAddress.SetFocus();
    // The whole address selected, as the combo does only at its first focus: typing replaces it.
    m_wndAddress.SendMessage(CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

void CBrowserFrame::OnViewReady()
{
    // The view's ready report needs nothing from the frame.
}

void CBrowserFrame::OnUpdateTextSize(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(TRUE);
    pCmdUI->SetCheck(m_wndView.GetTextSizeCommand() == pCmdUI->m_nID ? 1 : 0);
}

LRESULT CBrowserFrame::OnAddressEntered(WPARAM, LPARAM)
{
    CString strURL;
    m_wndAddress.GetWindowText(strURL);
    m_wndView.Navigate(strURL);
    m_wndAddress.AddString(strURL);
    return 0;
}

LRESULT CBrowserFrame::OnAddressSelected(WPARAM, LPARAM lParam)
{
    if (lParam != reinterpret_cast<LPARAM>(&m_wndAddress)) return 0;
    int nSelection = m_wndAddress.GetCurSel();
    if (nSelection < 0) return 0;
    CString strURL;
    m_wndAddress.GetLBText(nSelection, strURL);
    m_wndView.Navigate(strURL);
    return 0;
}

LRESULT CBrowserFrame::OnToolbarReset(WPARAM wParam, LPARAM)
{
    if (wParam != IDR_MAINFRAME) return 0;
    const struct {
        UINT nCommand;
        UINT nMenu;
    } kDropDowns[] = {{ID_GO_BACK, IDR_BACK_MENU}, {ID_GO_FORWARD, IDR_FORWARD_MENU}};
    for (const auto& dropDown : kDropDowns) {
        CMenuHandle menu(::LoadMenuW(AfxGetResourceHandle(), MAKEINTRESOURCEW(dropDown.nMenu)));
        if (!menu) continue;
        CMFCToolBarMenuButton button(dropDown.nCommand, ::GetSubMenu(menu, 0),
                                     CMFCToolBar::GetCmdImage(dropDown.nCommand, FALSE), L"", FALSE);
        m_wndToolBar.ReplaceButton(dropDown.nCommand, button, FALSE);
    }
    return 0;
}

BOOL CBrowserFrame::OnShowPopupMenu(CMFCPopupMenu* pMenuPopup)
{
    if (!pMenuPopup) return FALSE;
    CMFCPopupMenuBar* pBar = pMenuPopup->GetMenuBar();
    if (pBar->CommandToIndex(ID_FAVORITES_PLACEHOLDER) >= 0) {
        m_favoritesMenu.FillFavoritesPopup(pBar);
    } else if (pBar->CommandToIndex(ID_BACK_HISTORY_FIRST) >= 0 || pBar->CommandToIndex(ID_FORWARD_HISTORY_FIRST) >= 0) {
        FillHistoryPopup(pBar, pBar->CommandToIndex(ID_BACK_HISTORY_FIRST) >= 0);
    }
    return CFrameWndEx::OnShowPopupMenu(pMenuPopup);
}

BOOL CBrowserFrame::OnDrawMenuImage(CDC* pDC, const CMFCToolBarMenuButton* pMenuButton, const RECT& rectImage)
{
    return CFavoritesMenu::DrawMenuImage(pDC, pMenuButton, rectImage);
}

void CBrowserFrame::OnFavorite(UINT nID)
{
    m_favoritesMenu.OpenFavorite(nID, m_wndView);
}

void CBrowserFrame::OnFavoritesRefresh()
{
    CFavoritesMenu::Refresh();
}

bool CBrowserFrame::AddressBoxHasFocus() const
{
    HWND hFocus = ::GetFocus();
    return hFocus && m_wndAddress.m_hWnd && (hFocus == m_wndAddress.m_hWnd || ::GetParent(hFocus) == m_wndAddress.m_hWnd);
}

void CBrowserFrame::SetAddressText(LPCWSTR lpszURL)
{
    CString strURL(lpszURL);
    if (strURL.IsEmpty() || CChildView::IsScriptUrl(strURL) || !::IsWindow(m_wndAddress.m_hWnd)) return;
    // What the user is typing is never overwritten.
    if (AddressBoxHasFocus()) return;
    m_wndAddress.SetWindowText(strURL);
    if (strURL.CompareNoCase(L"about:blank") == 0) m_wndAddress.SetFocus();
}

void CBrowserFrame::UpdateZonePane(int nZone)
{
    if (!::IsWindow(m_wndStatusBar.m_hWnd)) return;
    ZONEATTRIBUTES attributes{};
    attributes.cbSize = sizeof(attributes);
    CComPtr<IInternetZoneManager> pZoneManager;
    if (SUCCEEDED(::CoCreateInstance(CLSID_InternetZoneManager, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IInternetZoneManager, reinterpret_cast<void**>(&pZoneManager)))) {
        pZoneManager->GetZoneAttributes(static_cast<DWORD>(nZone), &attributes);
    }
    // The icon path reads "module#resource-number".
    CString strPath(attributes.szIconPath);
    int nHash = strPath.ReverseFind(L'#');
    if (nHash < 0) return;
    CIconHandle smallIcon;
    {
        // Only its icon is wanted: mapped as resources, the module's start-up code never runs.
        CLibraryHandle module(
            ::LoadLibraryExW(strPath.Left(nHash), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE));
        if (!module) return;
        int nResource = static_cast<int>(std::wcstol(strPath.Mid(nHash + 1), nullptr, 10));
        // The small picture straight from the resource: an icon of a module mapped as resources cannot be
        // reloaded from it later at another size, only stretched.
        smallIcon.Reset(static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(nResource), IMAGE_ICON,
                                                        ::GetSystemMetrics(SM_CXSMICON),
                                                        ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
    }
    if (!smallIcon) return;
    m_wndStatusBar.SetPaneIcon(kPaneZone, smallIcon, TRUE);  // the bar keeps its own copy
    m_wndStatusBar.SetPaneText(kPaneZone, attributes.szDisplayName, TRUE);
}

void CBrowserFrame::SetProgress(long nProgress, long nProgressMax)
{
    m_wndStatusBar.EnablePaneProgressBar(kPaneProgress, nProgressMax, FALSE, static_cast<COLORREF>(-1),
                                         static_cast<COLORREF>(-1), static_cast<COLORREF>(-1));
    // Without its window, a redraw would be the whole screen's.
    if (!::IsWindow(m_wndStatusBar.m_hWnd)) return;
    if (nProgressMax < 0) {
        ::RedrawWindow(m_wndStatusBar.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        return;
    }
    long nPosition = nProgress < 0 ? 0 : (nProgress > nProgressMax ? nProgressMax : nProgress);
    m_wndStatusBar.SetPaneProgress(kPaneProgress, nPosition, TRUE);
}

void CBrowserFrame::SetSecureIcon(bool bSecure)
{
    if (!::IsWindow(m_wndStatusBar.m_hWnd)) return;
    m_wndStatusBar.SetPaneIcon(kPaneSecure, AppImageIcon(bSecure ? kImagePadlock : kImageEmpty), TRUE);
}

void CBrowserFrame::SetStatusText(LPCWSTR lpszText)
{
    // The status bar's own text is its text pane's.
    if (::IsWindow(m_wndStatusBar.m_hWnd)) m_wndStatusBar.SetWindowText(CString(lpszText));
}

HWND CBrowserFrame::AddressEditWithFocus() const
{
    return AddressBoxHasFocus() ? m_wndAddress.m_edit.m_hWnd : nullptr;
}

namespace {

// What a script-opened window's outer size adds to the page size it asked for.
constexpr int kExtraWidth = 25;
constexpr int kExtraHeight = 48;
constexpr int kBarAllowance = 5;  // per bar the page still wants

// Bounds of what a script may ask for, well inside the window system's 16-bit coordinates.
constexpr long kMaxRequestedCoordinate = 32000;
constexpr long kMaxRequestedExtent = 32000;
// How much of a placed window's caption stays on the work area, at the least.
constexpr int kMinCaptionOnScreen = 100;

int WindowHeight(HWND hWnd)
{
    RECT rect{};
    if (hWnd) ::GetWindowRect(hWnd, &rect);
    return rect.bottom - rect.top;
}

// Places a top-level window on the work area of its monitor, centred on it when bCentre, so that
// its caption can always be reached: a centred window larger than the work area goes to the work
// area's top-left corner, and a placed one keeps at least part of its caption on it.
void KeepCaptionOnWorkArea(HWND hWnd, bool bCentre)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!::GetMonitorInfoW(::MonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    RECT rect;
    if (!::GetWindowRect(hWnd, &rect)) return;
    const RECT& work = monitor.rcWork;
    const int cx = rect.right - rect.left;
    const int cy = rect.bottom - rect.top;
    int x = rect.left;
    int y = rect.top;
    if (bCentre) {
        x = work.left + ((work.right - work.left) - cx) / 2;
        y = work.top + ((work.bottom - work.top) - cy) / 2;
        x = std::max(std::min(x, static_cast<int>(work.right) - cx), static_cast<int>(work.left));
        y = std::max(std::min(y, static_cast<int>(work.bottom) - cy), static_cast<int>(work.top));
    } else {
        const int nCaption = ::GetSystemMetrics(SM_CYCAPTION) + ::GetSystemMetrics(SM_CYFRAME);
        const int nGrip = std::min(cx, kMinCaptionOnScreen);
        x = std::max(std::min(x, static_cast<int>(work.right) - nGrip), static_cast<int>(work.left) - (cx - nGrip));
        y = std::max(std::min(y, static_cast<int>(work.bottom) - nCaption), static_cast<int>(work.top));
    }
    if (x == rect.left && y == rect.top) return;
    ::SetWindowPos(hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A script's number as a coordinate or an extent that the arithmetic below cannot overflow with.
int ClampRequest(long nValue, long nMin, long nMax)
{
    return static_cast<int>(std::max(nMin, std::min(nValue, nMax)));
}

}  // namespace

void CBrowserFrame::HideBand(Band nBand)
{
    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_STYLE;
    if (!m_wndReBar.SendMessage(RB_GETBANDINFOW, static_cast<WPARAM>(nBand), reinterpret_cast<LPARAM>(&band))) return;
    if (!(band.fStyle & RBBS_HIDDEN)) m_wndReBar.SendMessage(RB_SHOWBAND, static_cast<WPARAM>(nBand), FALSE);
}

// Sizes a script asked for are the page's: the frame adds its borders, its bars and, per bar
// kept, an allowance. What the script did not ask for keeps the frame's current outer size,
// so that later navigations of the same window leave it where and as large as it is.
void CBrowserFrame::ApplyWindowFeatures(const WindowRequest& request, bool bMenuBar, bool bToolBar)
{
    int nAllowance = 0;
    if (bMenuBar) nAllowance += kBarAllowance;
    else HideBand(kMenuBand);
    if (bToolBar) nAllowance += kBarAllowance;
    else HideBand(kToolBand);
    HideBand(kAddressBand);  // the address box never stays
    RecalcLayout();
    if (!request.hasLeft && !request.hasTop && !request.hasWidth && !request.hasHeight) return;

    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(&placement)) return;
    placement.showCmd = SW_SHOWNORMAL;
    const RECT rectOld = placement.rcNormalPosition;
    int nBarsHeight = WindowHeight(m_wndReBar.m_hWnd) + WindowHeight(m_wndStatusBar.m_hWnd);
    int nLeft = request.hasLeft ? ClampRequest(request.left, -kMaxRequestedCoordinate, kMaxRequestedCoordinate)
                                : rectOld.left;
    int nTop = request.hasTop ? ClampRequest(request.top, -kMaxRequestedCoordinate, kMaxRequestedCoordinate)
                              : rectOld.top;
    int nWidth = request.hasWidth ? ClampRequest(request.width, 0, kMaxRequestedExtent) + kExtraWidth
                                  : rectOld.right - rectOld.left;
    int nHeight = request.hasHeight
                      ? ClampRequest(request.height, 0, kMaxRequestedExtent) + nBarsHeight + nAllowance + kExtraHeight
                      : rectOld.bottom - rectOld.top;
    placement.rcNormalPosition = RECT{nLeft, nTop, nLeft + nWidth, nTop + nHeight};
    ::SetWindowPlacement(m_hWnd, &placement);
    KeepCaptionOnWorkArea(m_hWnd, !request.hasLeft && !request.hasTop);
}

namespace {

// As many entries as each drop-down has commands.
constexpr UINT kMaxBackHistory = ID_BACK_HISTORY_LAST - ID_BACK_HISTORY_FIRST + 1;
constexpr UINT kMaxForwardHistory = ID_FORWARD_HISTORY_LAST - ID_FORWARD_HISTORY_FIRST + 1;
constexpr int kMaxHistoryTitle = 80;

// The entry's title as a menu item shows it: cut, with its ampersands doubled; empty when unreadable.
CString HistoryItemText(ITravelLogEntry* pEntry)
{
    LPWSTR pszTitle = nullptr;
    if (FAILED(pEntry->GetTitle(&pszTitle))) pszTitle = nullptr;
    CCoTaskMemPtr<wchar_t> title(pszTitle);
    return MenuItemText(CString(title.get()), kMaxHistoryTitle);
}

}  // namespace

void CBrowserFrame::FillHistoryPopup(CMFCPopupMenuBar* pBar, bool bBack)
{
    CMenuHandle hLoaded(::LoadMenuW(AfxGetResourceHandle(), MAKEINTRESOURCEW(bBack ? IDR_BACK_MENU : IDR_FORWARD_MENU)));
    HMENU hPopup = hLoaded ? ::GetSubMenu(hLoaded, 0) : nullptr;
    if (!hPopup || !::IsWindow(m_wndView.m_hWnd) || !m_wndView.m_pBrowserApp) return;
    // Without a travel log the drop-down keeps its placeholders, which still go back or forward.
    CComPtr<IDispatch> pApplication;
    pApplication.Attach(m_wndView.GetApplication());
    CComPtr<IServiceProvider> pServices;
    CComPtr<ITravelLogStg> pTravelLog;
    CComPtr<IEnumTravelLogEntry> pEntries;
    if (!pApplication || FAILED(pApplication.QueryInterface(&pServices)) || !pServices ||
        FAILED(pServices->QueryService(SID_STravelLogCursor, IID_ITravelLogStg, reinterpret_cast<void**>(&pTravelLog))) ||
        !pTravelLog || FAILED(pTravelLog->EnumEntries(bBack ? TLEF_RELATIVE_BACK : TLEF_RELATIVE_FORE, &pEntries)) ||
        !pEntries) {
        return;
    }
    while (::DeleteMenu(hPopup, 0, MF_BYPOSITION)) {
    }
    UINT nFirst = bBack ? ID_BACK_HISTORY_FIRST : ID_FORWARD_HISTORY_FIRST;
    UINT nMax = bBack ? kMaxBackHistory : kMaxForwardHistory;
    // Item i stands for the page i + 1 steps away, as the command ranges count.
    for (UINT i = 0; i < nMax; ++i) {
        CComPtr<ITravelLogEntry> pEntry;
        ULONG nFetched = 0;
        if (pEntries->Next(1, &pEntry, &nFetched) != S_OK || !pEntry) break;
        ::AppendMenuW(hPopup, MF_STRING, nFirst + i, HistoryItemText(pEntry));
    }
    BreakMenuColumns(m_hWnd, hPopup, -1);
    pBar->ImportFromMenu(hPopup);
}
