#include <gtest/gtest.h>

#include "e2e/loopback_listener.h"  // before anything that includes windows.h
#include "e2e/browser_window_fixture.h"
#include "e2e/tarnwick_process.h"
#include "e2e/user_input.h"
#include "e2e/window_queries.h"
#include "res/resource.h"

#include <commctrl.h>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// A visible top-level window with this exact title, of any process, or null.
HWND WindowTitled(const wchar_t* pszTitle)
{
    struct Search {
        const wchar_t* pszTitle;
        HWND hFound;
    } search{pszTitle, nullptr};
    ::EnumWindows(
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lParam);
            wchar_t szText[256] = {};
            ::GetWindowTextW(hWnd, szText, 256);  // read without asking the window: any process's, hung or not
            if (::IsWindowVisible(hWnd) && std::wcscmp(szText, s.pszTitle) == 0) {
                s.hFound = hWnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

RECT RectOf(HWND hWnd)
{
    RECT rect{};
    ::GetWindowRect(hWnd, &rect);
    return rect;
}

class PageEndToEnd : public BrowserWindowFixture {
protected:
    // Closes every browser window as the user does; the last one ends the process.
    void CloseAll()
    {
        for (HWND hWnd : m_pTarnwick->BrowserWindows()) ::PostMessageW(hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(m_pTarnwick->WaitForExit(), 0);
    }
    void TearDown() override
    {
        if (m_pTarnwick && m_pTarnwick->IsRunning()) CloseAll();
    }
    bool ButtonEnabled(UINT nCommand) const
    {
        return ::SendMessageW(m_hToolBar, TB_ISBUTTONENABLED, nCommand, 0) != 0;
    }
    DWORD ProcessId() const { return ::GetProcessId(m_pTarnwick->ProcessHandle()); }
    // The program's Open dialog once it shows; null when it does not.
    HWND WaitForOpenDialog() const
    {
        HWND hDialog = nullptr;
        const bool bShown = TarnwickProcess::WaitFor([&] {
            hDialog = WindowTitled(L"Open");
            return hDialog && ProcessOf(hDialog) == ProcessId();
        }, 10000);
        return bShown ? hDialog : nullptr;
    }
    // Opens a menu-bar popup with its mnemonic; its window.
    HWND OpenMenu(WORD vkMnemonic)
    {
        PressWith(VK_MENU, vkMnemonic);
        HWND hPopup = nullptr;
        TarnwickProcess::WaitFor([&] { return (hPopup = FrontPopupMenu(ProcessId())) != nullptr; }, 5000);
        return hPopup;
    }
    void CloseMenus()
    {
        for (int i = 0; i < 2 && FrontPopupMenu(ProcessId()); ++i) {
            PressKeys({{VK_ESCAPE, true}, {VK_ESCAPE, false}});
            TarnwickProcess::WaitFor([&] { return !FrontPopupMenu(ProcessId()); }, 1000);
        }
    }
};

TEST_F(PageEndToEnd, BackAndForwardStayDisabledAfterNavigationsBecauseTheControlSaysSo)
{
    LoopbackListener listener;
    std::wstring base = L"http://127.0.0.1:" + std::to_wstring(listener.port());
    Start(base + L"/first");
    EXPECT_EQ(listener.FirstRequestLine(15), "GET /first HTTP/1.1");
    PressWith(VK_MENU, 'D');
    ASSERT_TRUE(TarnwickProcess::WaitFor([&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        ::GetGUIThreadInfo(m_pTarnwick->ThreadId(), &info);
        return ::GetParent(info.hwndFocus) == m_hAddress;
    }, 5000));
    TypeText(base + L"/second");
    PressKeys({{VK_RETURN, true}, {VK_RETURN, false}});
    EXPECT_EQ(listener.FirstRequestLine(15), "GET /second HTTP/1.1");
    // The Enter key's navigation is handled once the request arrived; the events it raised and the
    // idle update that reads the buttons' state follow in the loop's next turns.
    ASSERT_TRUE(TarnwickProcess::WaitForLoop(m_hFrame));
    ASSERT_TRUE(TarnwickProcess::WaitForLoop(m_hFrame));
    EXPECT_FALSE(ButtonEnabled(ID_GO_BACK));
    EXPECT_FALSE(ButtonEnabled(ID_GO_FORWARD));
    EXPECT_TRUE(ButtonEnabled(ID_GO_HOME));
    EXPECT_TRUE(ButtonEnabled(ID_VIEW_STOP));
}

TEST_F(PageEndToEnd, CtrlNOpensASecondWindowOnTheSameAddressAndClosingBothEndsTheProgram)
{
    LoopbackListener listener;
    Start(L"http://127.0.0.1:" + std::to_wstring(listener.port()) + L"/shared");
    ASSERT_EQ(listener.FirstRequestLine(15), "GET /shared HTTP/1.1");
    PressWith(VK_CONTROL, 'N');
    ASSERT_TRUE(m_pTarnwick->WaitForBrowserWindows(2));
    EXPECT_EQ(listener.FirstRequestLine(15), "GET /shared HTTP/1.1");  // the new window's own request
    CloseAll();
}

TEST_F(PageEndToEnd, CtrlOShowsTheOpenDialogAndEscClosesIt)
{
    Start(L"about:blank");
    PressWith(VK_CONTROL, 'O');
    const HWND hDialog = WaitForOpenDialog();
    ASSERT_NE(hDialog, nullptr);
    // In front of the window it was opened from, which takes no input meanwhile.
    EXPECT_EQ(::GetWindow(hDialog, GW_OWNER), m_hFrame);
    EXPECT_FALSE(::IsWindowEnabled(m_hFrame));
    BringToFront(hDialog);
    PressKeys({{VK_ESCAPE, true}, {VK_ESCAPE, false}});
    EXPECT_TRUE(TarnwickProcess::WaitFor([&] { return !::IsWindow(hDialog) || !::IsWindowVisible(hDialog); }, 5000));
    EXPECT_TRUE(TarnwickProcess::WaitFor([&] { return ::IsWindowEnabled(m_hFrame) != FALSE; }, 5000));
    EXPECT_EQ(m_pTarnwick->BrowserWindows().size(), 1u);
}

TEST_F(PageEndToEnd, ClosingEveryWindowWhileAnOpenDialogIsUpEndsTheProgramCleanly)
{
    Start(L"about:blank");
    PressWith(VK_CONTROL, 'N');
    ASSERT_TRUE(m_pTarnwick->WaitForBrowserWindows(2));
    HWND hSecond = nullptr;
    for (HWND hWnd : m_pTarnwick->BrowserWindows()) {
        if (hWnd != m_hFrame) hSecond = hWnd;
    }
    ASSERT_NE(hSecond, nullptr);
    BringToFront(hSecond);
    PressWith(VK_CONTROL, 'O');
    const HWND hDialog = WaitForOpenDialog();
    ASSERT_NE(hDialog, nullptr);
    EXPECT_EQ(::GetWindow(hDialog, GW_OWNER), hSecond);
    EXPECT_FALSE(::IsWindowEnabled(hSecond));
    EXPECT_TRUE(::IsWindowEnabled(m_hFrame)) << "only the window it was opened from waits for it";
    // "Close All Window" from the other window closes the one under the dialog too.
    ::PostMessageW(m_hFrame, WM_COMMAND, ID_APP_EXIT, 0);
    EXPECT_EQ(m_pTarnwick->WaitForExit(), 0);
}

TEST_F(PageEndToEnd, InternetOptionsWithoutADocumentStartsTheControlPanelItem)
{
    Start(L"about:blank");
    ASSERT_EQ(WindowTitled(L"Internet Settings"), nullptr);
    ASSERT_NE(OpenMenu('T'), nullptr);
    PressKeys({{'O', true}, {'O', false}});  // "Internet &Options..."
    HWND hSettings = nullptr;
    ASSERT_TRUE(TarnwickProcess::WaitFor([&] { return (hSettings = WindowTitled(L"Internet Settings")) != nullptr; }, 20000));
    EXPECT_NE(ProcessOf(hSettings), ProcessId());  // the control panel's own process
    ::PostMessageW(hSettings, WM_CLOSE, 0, 0);
    EXPECT_TRUE(TarnwickProcess::WaitFor([&] { return !::IsWindow(hSettings); }, 10000));
}

TEST_F(PageEndToEnd, TheBackDropDownShowsItsFivePlaceholdersEnabledWithoutATravelLog)
{
    Start(L"about:blank");
    // Item height from a popup of two items, the Tools menu.
    HWND hTools = OpenMenu('T');
    ASSERT_NE(hTools, nullptr);
    const RECT rectTools = RectOf(hTools);
    CloseMenus();

    // The control never reports Back possible here: the button is disabled, its arrow is not.
    ASSERT_TRUE(TarnwickProcess::WaitFor([&] { return !ButtonEnabled(ID_GO_BACK); }, 5000));
    RECT rectButton{};
    m_pTarnwick->SendWithBuffer(m_hToolBar, TB_GETITEMRECT, 0, &rectButton);
    ::MapWindowPoints(m_hToolBar, nullptr, reinterpret_cast<POINT*>(&rectButton), 2);
    ClickAt(POINT{rectButton.right - 4, (rectButton.top + rectButton.bottom) / 2});  // on the arrow
    HWND hPopup = nullptr;
    ASSERT_TRUE(TarnwickProcess::WaitFor([&] { return (hPopup = FrontPopupMenu(ProcessId())) != nullptr; }, 5000));
    const RECT rectPopup = RectOf(hPopup);
    EXPECT_NEAR(rectPopup.top, rectButton.bottom, 4);
    // Five items of the Tools menu's height each, with the same frame.
    int nExtra = (rectPopup.bottom - rectPopup.top) - (rectTools.bottom - rectTools.top);
    ASSERT_EQ(nExtra % 3, 0) << nExtra;
    int nItemHeight = nExtra / 3;
    EXPECT_GE(nItemHeight, 12);
    EXPECT_LE(nItemHeight, 40);

    // An enabled item closes the menu when clicked; a greyed one would leave it open.
    ClickAt(POINT{(rectPopup.left + rectPopup.right) / 2, rectPopup.bottom - 3 - nItemHeight / 2});  // "BACK5"
    EXPECT_TRUE(TarnwickProcess::WaitFor([&] { return !::IsWindowVisible(hPopup); }, 3000));
    EXPECT_TRUE(m_pTarnwick->IsRunning());
}

}  // namespace
