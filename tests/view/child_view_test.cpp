#include "support/hosted_view_fixture.h"
#include "app/main_frame.h"
#include "res/resource.h"
#include "support/message_pump.h"
#include "support/view_probe.h"

#include <exdispid.h>

namespace {

using ChildViewTest = HostedViewTest;

TEST_F(ChildViewTest, NavigatePassesTheArgumentsToOneNavigate2)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    char postData[] = {'a', 'b', 'c'};
    struct Case {
        const char* name;
        std::function<void(CChildView&)> navigate;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {"URL only, as every caller does", [](CChildView& v) { v.Navigate(L"http://example.test/a"); },
         {"URL=BSTR:http://example.test/a", "Flags=I4:0", "TargetFrameName=BSTR:null", "PostData=EMPTY",
          "Headers=BSTR:null"}},
        {"everything given", [&](CChildView& v) { v.Navigate(L"u", 4, L"frame", L"X-A: 1", postData, 3); },
         {"URL=BSTR:u", "Flags=I4:4", "TargetFrameName=BSTR:frame", "PostData=ARRAY|UI1:dims=1,lbound=0,bytes=616263",
          "Headers=BSTR:X-A: 1"}},
    };
    for (const Case& c : cases) {
        control->ClearCalls();
        c.navigate(pFrame->m_wndView);
        std::vector<StandInCall> calls = control->CallsNamed("Navigate2");
        ASSERT_EQ(calls.size(), 1u) << c.name;
        EXPECT_EQ(calls[0].args, c.args) << c.name;
    }
}

TEST_F(ChildViewTest, WithoutAControlNothingReachesAnyone)
{
    // Another window's control, active, is there to be reached by mistake.
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    control->SetDocument(true);
    theApp.m_pActiveView = &pFrame->m_wndView;
    control->ClearCalls();

    CChildView view;  // never created
    view.Navigate(L"http://example.test/");
    view.GoHome();
    view.RestoreFocus();
    EXPECT_EQ(view.GetApplication(), nullptr);
    EXPECT_EQ(view.GetHtmlDocument(), nullptr);
    EXPECT_FALSE(view.IsTopLevelBrowser(nullptr));
    EXPECT_FALSE(view.IsTopLevelBrowser(control->Dispatch()));
    EXPECT_EQ(view.GetTextSizeCommand(), static_cast<UINT>(ID_TEXTSIZE_MEDIUM));
    EXPECT_EQ(m_pFactory->Controls().size(), 1u) << "no control made";
    EXPECT_TRUE(control->CallNames().empty()) << testing::PrintToString(control->CallNames());
    theApp.m_pActiveView = nullptr;
}

TEST_F(ChildViewTest, KeysAndSideButtonsFollowTheRulesInOrder)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    CChildView& view = pFrame->m_wndView;
    HWND hTarget = control->Window();  // inside the page
    BYTE keys[256] = {};
    struct Case {
        const char* name;
        UINT message;
        WPARAM wParam;
        bool bControlKey;
        HRESULT hrControl;
        BOOL bHandled;
        const char* command;       // the control method expected, or null
        bool bReachesControl;      // TranslateAccelerator was asked
    };
    const Case cases[] = {
        {"browser Back key", WM_KEYDOWN, VK_BROWSER_BACK, false, S_OK, TRUE, "GoBack", false},
        {"browser Forward key", WM_KEYDOWN, VK_BROWSER_FORWARD, false, S_OK, TRUE, "GoForward", false},
        {"browser Refresh key", WM_KEYDOWN, VK_BROWSER_REFRESH, false, S_OK, TRUE, "Refresh", false},
        {"browser Stop key", WM_KEYDOWN, VK_BROWSER_STOP, false, S_OK, TRUE, "Stop", false},
        {"browser Home key", WM_KEYDOWN, VK_BROWSER_HOME, false, S_OK, TRUE, "GoHome", false},
        {"side button 1", WM_XBUTTONDOWN, MAKEWPARAM(0, XBUTTON1), false, S_OK, TRUE, "GoBack", false},
        {"side button 2", WM_XBUTTONDOWN, MAKEWPARAM(0, XBUTTON2), false, S_OK, TRUE, "GoForward", false},
        {"frame accelerator Ctrl+N wins over the control", WM_KEYDOWN, 'N', true, S_OK, TRUE, nullptr, false},
        {"browser Search key goes to the control", WM_KEYDOWN, VK_BROWSER_SEARCH, false, S_OK, TRUE, nullptr, true},
        {"F5 the control takes", WM_KEYDOWN, VK_F5, false, S_OK, TRUE, nullptr, true},
        {"a key the control declines", WM_KEYDOWN, 'Q', false, S_FALSE, FALSE, nullptr, true},
    };
    for (const Case& c : cases) {
        control->ClearCalls();
        control->SetAcceleratorResult(c.hrControl);
        keys[VK_CONTROL] = c.bControlKey ? 0x80 : 0;
        ::SetKeyboardState(keys);
        MSG msg{hTarget, c.message, c.wParam, 0, static_cast<DWORD>(::GetMessageTime()), {0, 0}};
        EXPECT_EQ(view.PreTranslateMessage(&msg), c.bHandled) << c.name;
        if (c.command) {
            EXPECT_EQ(control->CountCalls(c.command), 1) << c.name;
        }
        EXPECT_EQ(control->CountCalls("TranslateAccelerator") == 1, c.bReachesControl) << c.name;
    }
    keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
    PumpPending();  // the accelerator's New Window command has no handler yet: it goes nowhere
    EXPECT_EQ(view.PreTranslateMessage(nullptr), FALSE);
}

TEST_F(ChildViewTest, RefreshIsCompleteOnlyWithControlAlone)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    struct Case {
        const char* name;
        std::vector<WORD> held;
        const char* expected;
    };
    const Case cases[] = {
        {"no key", {}, "Refresh"},
        {"Control", {VK_CONTROL}, "Refresh2"},
        {"Control and Shift", {VK_CONTROL, VK_SHIFT}, "Refresh"},
        {"Control and Alt", {VK_CONTROL, VK_MENU}, "Refresh"},
    };
    auto press = [](WORD vk, bool bDown) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = bDown ? 0 : KEYEVENTF_KEYUP;
        ::SendInput(1, &input, sizeof(input));
    };
    for (const Case& c : cases) {
        for (WORD vk : c.held) press(vk, true);
        PumpPending();
        control->ClearCalls();
        pFrame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_VIEW_REFRESH, 0), 0);
        for (WORD vk : c.held) press(vk, false);
        PumpPending();
        EXPECT_EQ(control->CountCalls(c.expected), 1) << c.name;
        EXPECT_EQ(control->CountCalls("Refresh") + control->CountCalls("Refresh2"), 1) << c.name;
        if (std::string(c.expected) == "Refresh2") {
            EXPECT_EQ(control->LastCall("Refresh2")->args, std::vector<std::string>{"Level=I4:3"}) << c.name;
        }
    }
}

TEST_F(ChildViewTest, BackAndForwardFollowTheControlsCommandState)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    HMENU hPopup = ::CreatePopupMenu();
    for (UINT id : {ID_GO_BACK, ID_GO_FORWARD, ID_GO_HOME, ID_VIEW_REFRESH, ID_VIEW_STOP}) {
        ::AppendMenuW(hPopup, MF_STRING, id, L"item");
    }
    auto enabled = [&](UINT id) {
        pFrame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hPopup), 0);
        return !(::GetMenuState(hPopup, id, MF_BYCOMMAND) & MF_GRAYED);
    };
    EXPECT_FALSE(enabled(ID_GO_BACK));
    EXPECT_FALSE(enabled(ID_GO_FORWARD));
    EXPECT_TRUE(enabled(ID_GO_HOME));
    EXPECT_TRUE(enabled(ID_VIEW_REFRESH));
    EXPECT_TRUE(enabled(ID_VIEW_STOP));

    EXPECT_EQ(control->FireCommandStateChange(CSC_NAVIGATEBACK, true), S_OK);
    EXPECT_TRUE(enabled(ID_GO_BACK));
    EXPECT_FALSE(enabled(ID_GO_FORWARD));
    control->FireCommandStateChange(CSC_NAVIGATEFORWARD, true);
    control->FireCommandStateChange(CSC_UPDATECOMMANDS, false);  // ignored
    EXPECT_TRUE(enabled(ID_GO_FORWARD));
    control->FireCommandStateChange(CSC_NAVIGATEBACK, false);
    EXPECT_FALSE(enabled(ID_GO_BACK));
    ::DestroyMenu(hPopup);
}

TEST_F(ChildViewTest, TheControlFillsTheViewUnlessTheFrameIsBeingReshaped)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    CChildView& view = pFrame->m_wndView;
    view.SetWindowPos(nullptr, 0, 0, 300, 200, SWP_NOZORDER | SWP_NOMOVE);
    RECT rect = control->ObjectRect();
    EXPECT_EQ(rect.right - rect.left, 300);
    EXPECT_EQ(rect.bottom - rect.top, 200);
    RECT rectWindow;
    ::GetClientRect(control->Window(), &rectWindow);
    EXPECT_EQ(rectWindow.right, 300);

    CViewProbe::ResizingFrame(view) = TRUE;
    view.SetWindowPos(nullptr, 0, 0, 250, 150, SWP_NOZORDER | SWP_NOMOVE);
    rect = control->ObjectRect();
    EXPECT_EQ(rect.right - rect.left, 300);
    CViewProbe::ResizingFrame(view) = FALSE;
}

TEST_F(ChildViewTest, TopLevelEventsAreTheControlsOwnFramesAreNot)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    EXPECT_TRUE(pFrame->m_wndView.IsTopLevelBrowser(control->Dispatch()));
    EXPECT_FALSE(pFrame->m_wndView.IsTopLevelBrowser(control->FrameBrowser(L"http://frame/")));
    IDispatch* pApplication = pFrame->m_wndView.GetApplication();
    ASSERT_NE(pApplication, nullptr);
    EXPECT_TRUE(pFrame->m_wndView.IsTopLevelBrowser(pApplication));
    pApplication->Release();
}

TEST_F(ChildViewTest, WithNoRememberedWindowActivationFocusesThePage)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    control->SetDocument(true);
    theApp.m_pActiveView = nullptr;
    ::SetActiveWindow(pFrame->m_hWnd);
    control->ClearCalls();
    pFrame->ActivateView(&pFrame->m_wndView);
    EXPECT_EQ(theApp.m_pActiveView, &pFrame->m_wndView);
    EXPECT_EQ(control->CountCalls("Window.focus"), 1);
    pFrame->ActivateView(&pFrame->m_wndView);  // already active: nothing more
    EXPECT_EQ(control->CountCalls("Window.focus"), 1);
}

// Focus memory: what the view remembers when it loses the focus, and where re-activation puts the focus back.
TEST_F(ChildViewTest, ReactivationReturnsTheFocusWhereTheViewLastSawIt)
{
    enum class Where { View, PageA, PageB, Address };
    struct Case {
        const char* name;
        bool bActiveWhileLeaving;    // the view is the application's active view while the focus moves
        std::vector<Where> moves;    // where the focus goes, in order, from the view
        bool bDestroyPageA;          // the remembered window goes before re-activation
        Where focusAfter;            // where RestoreFocus leaves the focus
        int nPageFocused;            // calls of the page's window focus
    };
    const Case cases[] = {
        {"the remembered window gets it back", true, {Where::PageA, Where::Address}, false, Where::PageA, 0},
        {"the remembered window has it already", true, {Where::PageA, Where::Address, Where::PageA}, false,
         Where::PageA, 0},
        {"a view that is not active remembers nothing", false, {Where::PageA, Where::Address}, false, Where::Address, 1},
        {"a window outside the view is not remembered", true, {Where::Address, Where::PageB}, false, Where::PageB, 1},
        {"remembered window gone, focus inside the view stays", true, {Where::PageA, Where::PageB}, true,
         Where::PageB, 0},
        {"remembered window gone, focus outside: the page", true, {Where::PageA, Where::Address}, true,
         Where::Address, 1},
    };
    for (const Case& c : cases) {
        CBrowserFrame* pFrame = OpenFrame();
        ASSERT_NE(pFrame, nullptr) << c.name;
        std::shared_ptr<StandInControl> control = m_pFactory->Last();
        control->SetDocument(true);
        CChildView& view = pFrame->m_wndView;
        ::SetForegroundWindow(pFrame->m_hWnd);
        // Two windows of the page inside the view, as a document's windows are.
        HWND hPageA = ::CreateWindowExW(0, L"STATIC", L"a", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, control->Window(),
                                        nullptr, nullptr, nullptr);
        HWND hPageB = ::CreateWindowExW(0, L"STATIC", L"b", WS_CHILD | WS_VISIBLE, 20, 0, 10, 10, control->Window(),
                                        nullptr, nullptr, nullptr);
        ASSERT_TRUE(hPageA && hPageB) << c.name;
        auto hwndOf = [&](Where where) {
            switch (where) {
            case Where::View: return view.m_hWnd;
            case Where::PageA: return hPageA;
            case Where::PageB: return hPageB;
            default: return pFrame->m_wndAddress.m_edit.m_hWnd;
            }
        };
        theApp.m_pActiveView = c.bActiveWhileLeaving ? &view : nullptr;
        ::SetFocus(view.m_hWnd);
        ASSERT_EQ(::GetFocus(), view.m_hWnd) << c.name;
        // Only the first move takes the focus away from the view itself.
        for (Where where : c.moves) ::SetFocus(hwndOf(where));
        if (c.bDestroyPageA) ::DestroyWindow(hPageA);
        theApp.m_pActiveView = &view;
        control->ClearCalls();

        view.RestoreFocus();

        EXPECT_EQ(::GetFocus(), hwndOf(c.focusAfter)) << c.name;
        EXPECT_EQ(control->CountCalls("Window.focus"), c.nPageFocused) << c.name;
        theApp.m_pActiveView = nullptr;
        pFrame->DestroyWindow();
    }
}

// The whole program, with the stand-in as every window's control.
TEST_F(ChildViewTest, APageClosingItsWindowClosesTheFrameAndTheLastOneEndsTheProgram)
{
    wchar_t szCmdLine[] = L"";
    theApp.SetCurrentHandles(::GetModuleHandleW(nullptr), szCmdLine);
    ASSERT_TRUE(theApp.InitInstance());
    auto* pManager = dynamic_cast<CMainFrame*>(theApp.m_pMainWnd);
    ASSERT_NE(pManager, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return pManager->m_listFrames.GetCount() == 1 && m_pFactory->Last(); }));
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    PumpPending();
    EXPECT_EQ(control->CountCalls("GoHome"), 1);  // no start URL

    ASSERT_TRUE(control->RequestClose());
    bool bQuit = false;
    PumpUntil([] { return false; }, 3000, &bQuit);
    EXPECT_TRUE(bQuit);
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
    EXPECT_EQ(control->LiveObjects(), 0);
}

}  // namespace
