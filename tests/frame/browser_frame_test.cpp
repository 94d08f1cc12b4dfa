#include "support/hosted_view_fixture.h"
#include "res/messages.h"
#include "res/resource.h"
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
    for (int nPane : {0, 3, 4}) {
        EXPECT_NE(::SendMessageW(pFrame->m_wndStatusBar.m_hWnd, SB_GETICON, static_cast<WPARAM>(nPane), 0), 0) << nPane;
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

TEST_F(BrowserFrameTest, AltDPutsTheFocusInTheAddressBox)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    ::SetForegroundWindow(pFrame->m_hWnd);
    pFrame->m_wndView.SetFocus();
    pFrame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_FOCUS_ADDRESS, 1), 0);  // as the accelerator sends it
    HWND hFocus = ::GetFocus();
    EXPECT_TRUE(hFocus == pFrame->m_wndAddress.m_hWnd || ::GetParent(hFocus) == pFrame->m_wndAddress.m_hWnd);
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
    };
    const Case cases[] = {{4, ID_TEXTSIZE_LARGEST}, {3, ID_TEXTSIZE_LARGER}, {2, ID_TEXTSIZE_MEDIUM},
                          {1, ID_TEXTSIZE_SMALLER}, {0, ID_TEXTSIZE_SMALLEST}, {7, 0}};
    for (const Case& c : cases) {
        control->SetZoom(c.nZoom);
        pFrame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hPopup), 0);
        for (UINT id = ID_TEXTSIZE_LARGEST; id <= ID_TEXTSIZE_SMALLEST; ++id) {
            UINT nState = ::GetMenuState(hPopup, id, MF_BYCOMMAND);
            EXPECT_FALSE(nState & MF_GRAYED) << c.nZoom;
            EXPECT_EQ((nState & MF_CHECKED) != 0, id == c.nChecked) << c.nZoom << " " << id;
        }
    }
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

    HWND hBar = bar.m_hWnd;
    auto iconOf = [hBar] { return ::SendMessageW(hBar, SB_GETICON, 3, 0); };
    LRESULT hBefore = iconOf();
    pFrame->SetSecureIcon(true);
    LRESULT hSecure = iconOf();
    EXPECT_NE(hSecure, 0);
    EXPECT_NE(hSecure, hBefore);
    pFrame->SetSecureIcon(false);
    EXPECT_NE(iconOf(), hSecure);
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
    auto* pFrame = new CPopupRecordingFrame;
    ASSERT_TRUE(pFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE));
    m_frames.push_back(pFrame->m_hWnd);
    PumpPending();
    pFrame->m_wndMenuBar.TrackPopup(1, false);  // Edit
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
            pFrame->PreTranslateMessage(&msg);
        }
        EXPECT_EQ(::GetFocus() == pFrame->m_wndMenuBar.m_hWnd, c.bMenuBarFocused) << c.name;
    }
    keys[VK_MENU] = 0;
    ::SetKeyboardState(keys);
}

}  // namespace
