#include "support/hosted_view_fixture.h"
#include "res/messages.h"
#include "res/resource.h"
#include "support/icon_pixels.h"
#include "support/message_pump.h"

#include <urlmon.h>
#include <string>
#include <vector>

namespace {

using BrowserFrameTest = HostedViewTest;

std::wstring BandText(HWND hReBar, int nBand)
{
    wchar_t szText[64] = {};
    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_TEXT;
    band.lpText = szText;
    band.cch = 64;
    ::SendMessageW(hReBar, RB_GETBANDINFOW, static_cast<WPARAM>(nBand), reinterpret_cast<LPARAM>(&band));
    return szText;
}

UINT BandStyle(HWND hReBar, int nBand)
{
    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_STYLE;
    ::SendMessageW(hReBar, RB_GETBANDINFOW, static_cast<WPARAM>(nBand), reinterpret_cast<LPARAM>(&band));
    return band.fStyle;
}

std::vector<COLORREF> PaneIconPixels(CBrowserFrame* pFrame, int nPane)
{
    return IconPixels(reinterpret_cast<HICON>(
        ::SendMessageW(pFrame->m_wndStatusBar.m_hWnd, SB_GETICON, static_cast<WPARAM>(nPane), 0)));
}

std::vector<COLORREF> AppImagePixels(int nImage)
{
    return ImagePixels(theApp.m_imageList.GetSafeHandle(), nImage);
}

// Clicks the middle of a menu bar's button, as the user opens its popup.
void ClickMenuButton(CMFCMenuBar& bar, int nIndex)
{
    RECT rect;
    bar.GetItemRect(nIndex, &rect);
    bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2));
}

HWND BandChild(HWND hReBar, int nBand)
{
    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_CHILD;
    ::SendMessageW(hReBar, RB_GETBANDINFOW, static_cast<WPARAM>(nBand), reinterpret_cast<LPARAM>(&band));
    return band.hwndChild;
}

TEST_F(BrowserFrameTest, BarsSitInTheirBandsAndPanes)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    HWND hReBar = pFrame->m_wndReBar.m_hWnd;
    EXPECT_EQ(pFrame->GetMenu(), nullptr);  // the menu bar took the menu over
    ASSERT_EQ(pFrame->m_wndReBar.GetBandCount(), 3);
    EXPECT_EQ(::SendMessageW(hReBar, RB_GETROWCOUNT, 0, 0), 3);
    EXPECT_EQ(BandChild(hReBar, 0), pFrame->m_wndMenuBar.m_hWnd);
    EXPECT_EQ(BandChild(hReBar, 1), pFrame->m_wndToolBar.m_hWnd);
    EXPECT_EQ(BandChild(hReBar, 2), pFrame->m_wndAddress.m_hWnd);
    EXPECT_EQ(BandText(hReBar, 2), L"A&ddress");
    EXPECT_EQ(::GetDlgCtrlID(pFrame->m_wndAddress.m_hWnd), 0xE803);
    // Gripper and fixed background; the toolbar and the address box each start a row.
    EXPECT_EQ(BandStyle(hReBar, 0), 0xA0u);
    EXPECT_EQ(BandStyle(hReBar, 1), 0xA1u);
    EXPECT_EQ(BandStyle(hReBar, 2), 0xA1u);

    const UINT kButtons[] = {ID_GO_BACK, ID_GO_FORWARD, ID_VIEW_STOP, ID_VIEW_REFRESH, ID_GO_HOME};
    ASSERT_EQ(pFrame->m_wndToolBar.GetCount(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(pFrame->m_wndToolBar.GetItemID(i), kButtons[i]) << i;
        TBBUTTON button{};
        ::SendMessageW(pFrame->m_wndToolBar.m_hWnd, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button));
        EXPECT_EQ((button.fsStyle & BTNS_DROPDOWN) != 0, i < 2) << i;
    }
    CString strName;
    pFrame->m_wndToolBar.GetWindowText(strName);
    EXPECT_EQ(strName, L"Standard");

    const UINT kIndicators[] = {ID_INDICATOR_ICON, ID_SEPARATOR, ID_INDICATOR_PROGRESS, ID_SEPARATOR, ID_INDICATOR_ZONE,
                                ID_INDICATOR_LAST};
    ASSERT_EQ(pFrame->m_wndStatusBar.GetCount(), 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(pFrame->m_wndStatusBar.GetItemID(i), kIndicators[i]) << i;
    EXPECT_EQ(pFrame->m_wndStatusBar.GetPaneStyle(1), static_cast<UINT>(SBPS_STRETCH | SBPS_NOBORDERS));
    EXPECT_EQ(pFrame->m_wndStatusBar.GetPaneStyle(4), static_cast<UINT>(SBPS_STRETCH | SBPS_NOBORDERS));
    EXPECT_EQ(pFrame->m_wndStatusBar.GetPaneWidth(2), 80);
    EXPECT_EQ(pFrame->m_wndStatusBar.GetPaneWidth(4), 170);
    // Web page, then the empty image for padlock and zone until a page says otherwise.
    ASSERT_NE(AppImagePixels(3), AppImagePixels(5));
    const std::pair<int, int> kPaneImages[] = {{0, 3}, {3, 5}, {4, 5}};
    for (auto [nPane, nImage] : kPaneImages) {
        std::vector<COLORREF> pixels = PaneIconPixels(pFrame, nPane);
        ASSERT_FALSE(pixels.empty()) << nPane;
        EXPECT_EQ(pixels, AppImagePixels(nImage)) << "pane " << nPane;
    }

    // The view fills what the bars leave.
    RECT rectClient, rectView, rectReBar, rectStatus;
    pFrame->GetClientRect(&rectClient);
    ::GetWindowRect(pFrame->m_wndView.m_hWnd, &rectView);
    ::GetWindowRect(hReBar, &rectReBar);
    ::GetWindowRect(pFrame->m_wndStatusBar.m_hWnd, &rectStatus);
    EXPECT_EQ(rectView.top, rectReBar.bottom);
    EXPECT_EQ(rectView.bottom, rectStatus.top);
    EXPECT_EQ(rectView.right - rectView.left, rectClient.right);
}

// Laid out while still hidden, whether at the default size or created maximised: showing the frame
// must not be what first moves its bars into place.
TEST_F(BrowserFrameTest, BarsAreInPlaceBeforeTheFrameIsShown)
{
    const struct {
        const char* name;
        DWORD dwExtraStyle;
    } kCases[] = {{"default size", 0}, {"created maximised", WS_MAXIMIZE}};
    for (const auto& c : kCases) {
        auto* pFrame = new CBrowserFrame;
        ASSERT_TRUE(pFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE | c.dwExtraStyle)) << c.name;
        m_frames.push_back(pFrame->m_hWnd);
        ASSERT_FALSE(::IsWindowVisible(pFrame->m_hWnd)) << c.name;
        RECT rectClient, rectReBar, rectStatus, rectView;
        pFrame->GetClientRect(&rectClient);
        ::GetWindowRect(pFrame->m_wndReBar.m_hWnd, &rectReBar);
        ::GetWindowRect(pFrame->m_wndStatusBar.m_hWnd, &rectStatus);
        ::GetWindowRect(pFrame->m_wndView.m_hWnd, &rectView);
        ::MapWindowPoints(nullptr, pFrame->m_hWnd, reinterpret_cast<POINT*>(&rectReBar), 2);
        ::MapWindowPoints(nullptr, pFrame->m_hWnd, reinterpret_cast<POINT*>(&rectStatus), 2);
        ::MapWindowPoints(nullptr, pFrame->m_hWnd, reinterpret_cast<POINT*>(&rectView), 2);
        EXPECT_EQ(rectReBar.top, 0) << c.name;
        EXPECT_EQ(rectReBar.right - rectReBar.left, rectClient.right) << c.name;
        EXPECT_EQ(rectReBar.bottom - rectReBar.top,
                  static_cast<LONG>(::SendMessageW(pFrame->m_wndReBar.m_hWnd, RB_GETBARHEIGHT, 0, 0)))
            << c.name;
        EXPECT_GT(rectReBar.bottom, 0) << c.name;
        EXPECT_EQ(rectStatus.bottom, rectClient.bottom) << c.name;
        EXPECT_EQ(rectStatus.right - rectStatus.left, rectClient.right) << c.name;
        EXPECT_EQ(rectView.top, rectReBar.bottom) << c.name;
        EXPECT_EQ(rectView.bottom, rectStatus.top) << c.name;
        EXPECT_EQ((pFrame->GetStyle() & WS_MAXIMIZE) != 0, c.dwExtraStyle != 0) << c.name;
    }
}

TEST_F(BrowserFrameTest, StatusTextOfThePageLandsInPaneOne)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    ::SetWindowTextW(pFrame->m_wndStatusBar.m_hWnd, L"Downloading...");
    EXPECT_EQ(pFrame->m_wndStatusBar.GetPaneText(1), L"Downloading...");
    EXPECT_TRUE(pFrame->m_wndStatusBar.GetPaneText(0).IsEmpty());
}

TEST_F(BrowserFrameTest, TypedAddressesNavigateAndAreListedEveryTime)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    for (int i = 1; i <= 2; ++i) {
        pFrame->m_wndAddress.SetWindowText(L"http://example.test/typed");
        pFrame->SendMessage(WM_ADDRESS_ENTERED, 0, reinterpret_cast<LPARAM>(&pFrame->m_wndAddress));
        EXPECT_EQ(control->CountCalls("Navigate2"), i);
        EXPECT_EQ(control->LastCall("Navigate2")->Arg("URL"), "BSTR:http://example.test/typed");
        EXPECT_EQ(pFrame->m_wndAddress.SendMessage(CB_GETCOUNT), i);  // duplicates are kept
    }
}

TEST_F(BrowserFrameTest, PickedEntriesNavigateOnlyFromTheFramesOwnBox)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    pFrame->m_wndAddress.SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"http://example.test/one"));
    pFrame->m_wndAddress.SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"http://example.test/two"));
    pFrame->m_wndAddress.SendMessage(CB_SETCURSEL, 1);
    int nOther = 0;
    pFrame->SendMessage(WM_ADDRESS_SELECTED, 0, reinterpret_cast<LPARAM>(&nOther));
    EXPECT_EQ(control->CountCalls("Navigate2"), 0);
    pFrame->SendMessage(WM_ADDRESS_SELECTED, 0, reinterpret_cast<LPARAM>(&pFrame->m_wndAddress));
    ASSERT_EQ(control->CountCalls("Navigate2"), 1);
    EXPECT_EQ(control->LastCall("Navigate2")->Arg("URL"), "BSTR:http://example.test/two");
}

TEST_F(BrowserFrameTest, AltDPutsTheFocusInTheAddressBoxWithItsTextSelected)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    ::SetForegroundWindow(pFrame->m_hWnd);
    const std::wstring address = L"http://example.test/page";
    ::SetWindowTextW(pFrame->m_wndAddress.m_hWnd, address.c_str());
    // Every time, not only the first, and from the box itself: what the user types then replaces the address.
    for (int nTime = 1; nTime <= 3; ++nTime) {
        if (nTime < 3) {
            pFrame->m_wndView.SetFocus();
        } else {
            ::SendMessageW(::GetFocus(), EM_SETSEL, address.size(), address.size());  // the caret after typing
        }
        pFrame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_FOCUS_ADDRESS, 1), 0);  // as the accelerator sends it
        HWND hFocus = ::GetFocus();
        ASSERT_EQ(::GetParent(hFocus), pFrame->m_wndAddress.m_hWnd) << nTime;
        DWORD dwStart = 1, dwEnd = 0;
        ::SendMessageW(hFocus, EM_GETSEL, reinterpret_cast<WPARAM>(&dwStart), reinterpret_cast<LPARAM>(&dwEnd));
        EXPECT_EQ(dwStart, 0u) << nTime;
        EXPECT_EQ(dwEnd, address.size()) << nTime;
    }
}

TEST_F(BrowserFrameTest, AddressTextShowsPagesButNotScriptsNorOverTyping)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    struct Case {
        const char* name;
        const wchar_t* url;
        const wchar_t* shown;  // the box's text afterwards
        bool bFocusInBox;
    };
    const Case cases[] = {
        {"ordinary page", L"http://example.test/a", L"http://example.test/a", false},
        {"script URL", L"JavaScript:void(0)", L"http://example.test/a", false},
        {"vbscript", L"vbscript:x", L"http://example.test/a", false},
        {"word further on", L"http://example.test/javascript.htm", L"http://example.test/javascript.htm", false},
        {"empty", L"", L"http://example.test/javascript.htm", false},
        {"blank page takes the focus", L"About:Blank", L"About:Blank", true},
        {"while typing nothing changes", L"http://example.test/b", L"About:Blank", true},
    };
    pFrame->m_wndView.SetFocus();
    for (const Case& c : cases) {
        pFrame->SetAddressText(c.url);
        CString strText;
        pFrame->m_wndAddress.GetWindowText(strText);
        EXPECT_EQ(strText, c.shown) << c.name;
        HWND hFocus = ::GetFocus();
        bool bInBox = hFocus == pFrame->m_wndAddress.m_hWnd || ::GetParent(hFocus) == pFrame->m_wndAddress.m_hWnd;
        EXPECT_EQ(bInBox, c.bFocusInBox) << c.name;
    }
}

TEST_F(BrowserFrameTest, TextSizeCheckFollowsTheZoom)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    HMENU hPopup = ::CreatePopupMenu();
    for (UINT id = ID_TEXTSIZE_LARGEST; id <= ID_TEXTSIZE_SMALLEST; ++id) ::AppendMenuW(hPopup, MF_STRING | MF_GRAYED, id, L"size");
    struct Case {
        long nZoom;
        UINT nChecked;  // 0: none
        HRESULT hrQuery = S_OK;
    };
    // A query that fails says nothing, whatever it left in its output: no size is checked.
    const Case cases[] = {{4, ID_TEXTSIZE_LARGEST}, {3, ID_TEXTSIZE_LARGER}, {2, ID_TEXTSIZE_MEDIUM},
                          {1, ID_TEXTSIZE_SMALLER}, {0, ID_TEXTSIZE_SMALLEST}, {7, 0},
                          {2, 0, E_FAIL}, {0, 0, E_NOTIMPL}};
    for (const Case& c : cases) {
        control->SetZoom(c.nZoom);
        control->Config().hrZoom = c.hrQuery;
        pFrame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hPopup), 0);
        for (UINT id = ID_TEXTSIZE_LARGEST; id <= ID_TEXTSIZE_SMALLEST; ++id) {
            UINT nState = ::GetMenuState(hPopup, id, MF_BYCOMMAND);
            EXPECT_FALSE(nState & MF_GRAYED) << c.nZoom;
            EXPECT_EQ((nState & MF_CHECKED) != 0, id == c.nChecked) << c.nZoom << " " << id;
        }
    }
    control->Config().hrZoom = S_OK;
    // Choosing a size sets the zoom.
    pFrame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_TEXTSIZE_LARGER, 0), 0);
    EXPECT_EQ(control->Zoom(), 3);
    ::DestroyMenu(hPopup);
    CChildView viewWithoutControl;
    EXPECT_EQ(viewWithoutControl.GetTextSizeCommand(), static_cast<UINT>(ID_TEXTSIZE_MEDIUM));
}

TEST_F(BrowserFrameTest, ZoneProgressAndPadlockPanes)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    CMFCStatusBar& bar = pFrame->m_wndStatusBar;
    pFrame->UpdateZonePane(URLZONE_INTERNET);
    EXPECT_EQ(bar.GetPaneText(4), L"Internet");  // what this platform's zone manager calls zone 3
    pFrame->UpdateZonePane(-1);                   // no such zone: the pane keeps what it shows
    EXPECT_EQ(bar.GetPaneText(4), L"Internet");

    pFrame->SetProgress(30, 100);
    EXPECT_EQ(bar.GetPaneProgress(2), 30);
    pFrame->SetProgress(500, 100);
    EXPECT_EQ(bar.GetPaneProgress(2), 100);
    pFrame->SetProgress(-5, 100);
    EXPECT_EQ(bar.GetPaneProgress(2), 0);

    // The padlock and the empty image look different, so the pane's picture tells which one it shows.
    ASSERT_NE(AppImagePixels(4), AppImagePixels(5));
    for (bool bSecure : {true, false, true}) {
        pFrame->SetSecureIcon(bSecure);
        EXPECT_EQ(PaneIconPixels(pFrame, 3), AppImagePixels(bSecure ? 4 : 5)) << (bSecure ? "secure" : "not secure");
    }
}

TEST_F(BrowserFrameTest, ToolbarButtonsAre32By32InEveryFrameOnceCreated)
{
    for (int nFrame = 1; nFrame <= 2; ++nFrame) {
        CBrowserFrame* pFrame = OpenFrame();
        ASSERT_NE(pFrame, nullptr) << nFrame;
        for (CBrowserFrame* pEach : {pFrame, static_cast<CBrowserFrame*>(CWnd::FromHandlePermanent(m_frames.front()))}) {
            HWND hToolBar = pEach->m_wndToolBar.m_hWnd;
            EXPECT_EQ(::SendMessageW(hToolBar, TB_GETBUTTONSIZE, 0, 0), MAKELONG(32, 32)) << "frame " << nFrame;
            RECT rect;
            pEach->m_wndToolBar.GetItemRect(pEach->m_wndToolBar.CommandToIndex(ID_VIEW_STOP), &rect);
            EXPECT_EQ(rect.right - rect.left, 32) << "frame " << nFrame;
            EXPECT_EQ(rect.bottom - rect.top, 32) << "frame " << nFrame;
        }
    }
}

TEST_F(BrowserFrameTest, MenuBarsOfEveryFrameUseTheIconTitleFont)
{
    LOGFONTW logfont{};
    ASSERT_TRUE(::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(logfont), &logfont, 0));
    CBrowserFrame* pFirst = OpenFrame();
    ASSERT_NE(pFirst, nullptr);
    CBrowserFrame* pSecond = OpenFrame();
    ASSERT_NE(pSecond, nullptr);
    auto fontOf = [](CBrowserFrame* pFrame) {
        return reinterpret_cast<HFONT>(pFrame->m_wndMenuBar.SendMessage(WM_GETFONT));
    };
    HFONT hFont = fontOf(pFirst);
    ASSERT_NE(hFont, nullptr);
    EXPECT_EQ(fontOf(pSecond), hFont) << "one menu font for the process, the first frame's bar included";
    EXPECT_NE(reinterpret_cast<HFONT>(pFirst->m_wndToolBar.SendMessage(WM_GETFONT)), hFont)
        << "the toolbar keeps its own";
    LOGFONTW used{};
    ASSERT_EQ(::GetObjectW(hFont, sizeof(used), &used), static_cast<int>(sizeof(used)));
    EXPECT_EQ(used.lfHeight, logfont.lfHeight);
    EXPECT_STREQ(used.lfFaceName, logfont.lfFaceName);
}

// Records the popups that are about to open and keeps them closed.
class CPopupRecordingFrame : public CBrowserFrame {
public:
    std::vector<std::vector<UINT>> popups;
    BOOL OnShowPopupMenu(CMFCPopupMenu* pMenuPopup) override
    {
        std::vector<UINT> ids;
        HMENU hMenu = pMenuPopup->GetHMenu();
        for (int i = 0; i < ::GetMenuItemCount(hMenu); ++i) ids.push_back(::GetMenuItemID(hMenu, i));
        popups.push_back(ids);
        return FALSE;
    }
};

TEST_F(BrowserFrameTest, PopupHookSeesMenuBarPopupsAndDropDownsBeforeTheyOpen)
{
    auto* pFrame = OpenFrame<CPopupRecordingFrame>();  // laid out wide enough for every menu button
    ASSERT_NE(pFrame, nullptr);
    ClickMenuButton(pFrame->m_wndMenuBar, 1);  // Edit
    NMTOOLBARW notify{};
    notify.hdr = NMHDR{pFrame->m_wndToolBar.m_hWnd, AFX_IDW_TOOLBAR, static_cast<UINT>(TBN_DROPDOWN)};
    notify.iItem = ID_GO_BACK;
    pFrame->SendMessage(WM_NOTIFY, AFX_IDW_TOOLBAR, reinterpret_cast<LPARAM>(&notify));
    ASSERT_EQ(pFrame->popups.size(), 2u);
    EXPECT_EQ(pFrame->popups[0], (std::vector<UINT>{ID_PAGE_CUT, ID_PAGE_COPY, ID_PAGE_PASTE, 0, ID_PAGE_SELECT_ALL, 0,
                                                    ID_PAGE_FIND}));
    EXPECT_EQ(pFrame->popups[1], (std::vector<UINT>{32807, 32808, 32809, 32810, 32811}));

    // The base hook lets a popup open; a null one never does.
    EXPECT_FALSE(pFrame->CBrowserFrame::OnShowPopupMenu(nullptr));
    CMFCPopupMenu popup(::GetSubMenu(pFrame->m_wndMenuBar.GetHMenu(), 3));
    EXPECT_TRUE(pFrame->CBrowserFrame::OnShowPopupMenu(&popup));
}

// Records every popup about to open, its submenus' items included, and keeps it closed.
class CChevronRecordingFrame : public CBrowserFrame {
public:
    struct Item {
        std::wstring strText;
        std::vector<UINT> subIds;  // the items of its submenu
    };
    std::vector<std::vector<Item>> popups;
    BOOL OnShowPopupMenu(CMFCPopupMenu* pMenuPopup) override
    {
        std::vector<Item> items;
        HMENU hMenu = pMenuPopup->GetHMenu();
        for (int i = 0; i < ::GetMenuItemCount(hMenu); ++i) {
            Item item;
            wchar_t szText[64] = {};
            ::GetMenuStringW(hMenu, static_cast<UINT>(i), szText, 64, MF_BYPOSITION);
            item.strText = szText;
            if (HMENU hSub = ::GetSubMenu(hMenu, i)) {
                for (int k = 0; k < ::GetMenuItemCount(hSub); ++k) item.subIds.push_back(::GetMenuItemID(hSub, k));
            }
            items.push_back(item);
        }
        popups.push_back(items);
        return FALSE;
    }
};

TEST_F(BrowserFrameTest, ANarrowWindowHidesMenusBehindTheChevron)
{
    auto* pFrame = OpenFrame<CChevronRecordingFrame>();
    ASSERT_NE(pFrame, nullptr);
    CMFCMenuBar& bar = pFrame->m_wndMenuBar;
    HWND hBar = bar.m_hWnd;
    const int nMenus = ::GetMenuItemCount(bar.GetHMenu());
    ASSERT_EQ(nMenus, 6);
    auto hidden = [&] {
        std::vector<int> indexes;
        for (int i = 0; i < nMenus; ++i) {
            if (::SendMessageW(hBar, TB_ISBUTTONHIDDEN, static_cast<WPARAM>(i + 1), 0)) indexes.push_back(i);
        }
        return indexes;
    };
    auto resize = [&](int cx) {
        pFrame->SetWindowPos(nullptr, 0, 0, cx, 400, SWP_NOMOVE | SWP_NOZORDER);
        pFrame->RecalcLayout();
        ::UpdateWindow(pFrame->m_hWnd);
        ::RedrawWindow(hBar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    };
    auto clientOf = [hBar] {
        RECT rect{};
        ::GetClientRect(hBar, &rect);
        return rect;
    };
    // Pixels of button text in the strip at the bar's right end, where the chevron is drawn.
    auto chevronDrawn = [&] {
        RECT rect = clientOf();
        HDC hDC = ::GetDC(hBar);
        int nInk = 0;
        for (int x = rect.right - 16; x < rect.right; ++x) {
            for (int y = rect.top; y < rect.bottom; ++y) nInk += ::GetPixel(hDC, x, y) == ::GetSysColor(COLOR_BTNTEXT);
        }
        ::ReleaseDC(hBar, hDC);
        return nInk > 0;
    };
    auto clickChevron = [&] {
        RECT rect = clientOf();
        bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rect.right - 8, (rect.top + rect.bottom) / 2));
    };

    resize(900);
    EXPECT_TRUE(hidden().empty()) << "all six fit";
    EXPECT_FALSE(chevronDrawn());
    clickChevron();
    EXPECT_TRUE(pFrame->popups.empty()) << "no chevron, nothing opens";

    resize(170);
    std::vector<int> hiddenMenus = hidden();
    ASSERT_FALSE(hiddenMenus.empty()) << "a narrow window cannot show all six";
    EXPECT_NE(hiddenMenus.front(), 0) << "the first menus stay on the bar";
    EXPECT_EQ(hiddenMenus.back(), nMenus - 1);
    for (size_t i = 1; i < hiddenMenus.size(); ++i) EXPECT_EQ(hiddenMenus[i], hiddenMenus[i - 1] + 1);
    EXPECT_TRUE(chevronDrawn());
    RECT rectLastShown;
    bar.GetItemRect(hiddenMenus.front() - 1, &rectLastShown);
    EXPECT_LE(rectLastShown.right, clientOf().right - 16) << "no shown menu lies under the chevron";

    clickChevron();
    ASSERT_EQ(pFrame->popups.size(), 1u);
    const auto& items = pFrame->popups[0];
    ASSERT_EQ(items.size(), hiddenMenus.size());
    for (size_t i = 0; i < items.size(); ++i) {
        HMENU hMenu = bar.GetHMenu();
        wchar_t szText[64] = {};
        ::GetMenuStringW(hMenu, static_cast<UINT>(hiddenMenus[i]), szText, 64, MF_BYPOSITION);
        EXPECT_EQ(items[i].strText, szText);
        HMENU hSub = ::GetSubMenu(hMenu, hiddenMenus[i]);
        std::vector<UINT> ids;
        for (int k = 0; k < ::GetMenuItemCount(hSub); ++k) ids.push_back(::GetMenuItemID(hSub, k));
        EXPECT_EQ(items[i].subIds, ids) << "the hidden menu's own items, reachable from the chevron";
    }
    EXPECT_EQ(items.back().subIds, std::vector<UINT>{ID_APP_ABOUT});

    // Alt and the mnemonic of a hidden menu open it from the chevron too.
    pFrame->popups.clear();
    bar.OnMenuKey(L'h');
    ASSERT_EQ(pFrame->popups.size(), 1u);
    EXPECT_EQ(pFrame->popups[0].size(), hiddenMenus.size());

    resize(900);
    EXPECT_TRUE(hidden().empty()) << "widened again, every menu is back";
    EXPECT_FALSE(chevronDrawn());
}

TEST_F(BrowserFrameTest, ToolbarButtonsFollowTheCommandsAtIdleTime)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    HWND hToolBar = pFrame->m_wndToolBar.m_hWnd;
    theApp.OnIdle(0);
    EXPECT_FALSE(::SendMessageW(hToolBar, TB_ISBUTTONENABLED, ID_GO_BACK, 0));
    EXPECT_TRUE(::SendMessageW(hToolBar, TB_ISBUTTONENABLED, ID_GO_HOME, 0));
    control->FireCommandStateChange(CSC_NAVIGATEBACK, true);
    theApp.OnIdle(0);
    EXPECT_TRUE(::SendMessageW(hToolBar, TB_ISBUTTONENABLED, ID_GO_BACK, 0));

    // The drop-down button still carries out its command.
    control->ClearCalls();
    pFrame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_GO_BACK, BN_CLICKED), reinterpret_cast<LPARAM>(hToolBar));
    EXPECT_EQ(control->CountCalls("GoBack"), 1);
}

}  // namespace

namespace {

MSG KeyMessage(HWND hWnd, UINT message, WPARAM vk, bool bAlt)
{
    return MSG{hWnd, message, vk, bAlt ? (1 << 29) : 0, 0, {0, 0}};
}

TEST_F(BrowserFrameTest, AltAloneLightsTheMenuBarButAnAcceleratorWithAltDoesNot)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    ::SetForegroundWindow(pFrame->m_hWnd);
    HWND hTarget = pFrame->m_wndView.m_hWnd;
    struct Case {
        const char* name;
        std::vector<MSG> keys;
        bool bMenuBarFocused;
    };
    const Case cases[] = {
        {"Alt+D, the address accelerator",
         {KeyMessage(hTarget, WM_SYSKEYDOWN, VK_MENU, true), KeyMessage(hTarget, WM_SYSKEYDOWN, 'D', true),
          KeyMessage(hTarget, WM_SYSKEYUP, VK_MENU, false)},
         false},
        {"Alt alone", {KeyMessage(hTarget, WM_SYSKEYDOWN, VK_MENU, true), KeyMessage(hTarget, WM_SYSKEYUP, VK_MENU, false)},
         true},
    };
    BYTE keys[256] = {};
    for (const Case& c : cases) {
        pFrame->m_wndView.SetFocus();
        for (MSG msg : c.keys) {
            // The accelerator table reads the key state, not the message.
            keys[VK_MENU] = msg.message == WM_SYSKEYDOWN ? 0x80 : 0;
            ::SetKeyboardState(keys);
            // As the message loop does: what the frame does not take is dispatched.
            if (!pFrame->PreTranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        EXPECT_EQ(::GetFocus() == pFrame->m_wndMenuBar.m_hWnd, c.bMenuBarFocused) << c.name;
    }
    keys[VK_MENU] = 0;
    ::SetKeyboardState(keys);
}

}  // namespace
