#include <gtest/gtest.h>

#include "e2e/loopback_listener.h"  // before anything that includes windows.h
#include "e2e/browser_window_fixture.h"
#include "e2e/tarnwick_process.h"
#include "e2e/user_input.h"
#include "e2e/window_queries.h"
#include "res/resource.h"

#include <commctrl.h>
#include <string>
#include <vector>

namespace {

HWND FocusOf(const TarnwickProcess& tarnwick)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    ::GetGUIThreadInfo(tarnwick.ThreadId(), &info);
    return info.hwndFocus;
}

std::wstring ClassOf(HWND hWnd)
{
    wchar_t szClass[64] = {};
    ::GetClassNameW(hWnd, szClass, 64);
    return szClass;
}

class BrowserWindowEndToEnd : public BrowserWindowFixture {};

TEST_F(BrowserWindowEndToEnd, TheWindowHasItsBarsButtonsAndPanes)
{
    Start(L"about:blank");
    EXPECT_EQ(::SendMessageW(m_hReBar, RB_GETBANDCOUNT, 0, 0), 3);
    EXPECT_EQ(::SendMessageW(m_hReBar, RB_GETROWCOUNT, 0, 0), 3);
    ASSERT_NE(m_hToolBar, nullptr);
    ASSERT_NE(m_hMenuBar, nullptr);
    ASSERT_NE(m_hAddress, nullptr);
    EXPECT_EQ(ClassOf(m_hAddress), L"ComboBox");

    const UINT kButtons[] = {ID_GO_BACK, ID_GO_FORWARD, ID_VIEW_STOP, ID_VIEW_REFRESH, ID_GO_HOME};
    EXPECT_EQ(::SendMessageW(m_hToolBar, TB_BUTTONCOUNT, 0, 0), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(::SendMessageW(m_hToolBar, TB_COMMANDTOINDEX, kButtons[i], 0), i);
        TBBUTTON button{};
        m_pTarnwick->SendWithBuffer(m_hToolBar, TB_GETBUTTON, static_cast<WPARAM>(i), &button);
        EXPECT_EQ(static_cast<UINT>(button.idCommand), kButtons[i]);
        EXPECT_EQ((button.fsStyle & BTNS_DROPDOWN) != 0, i < 2) << "button " << i;
    }

    const wchar_t* kMenus[] = {L"&File", L"&Edit", L"&View", L"F&avorites", L"&Tools", L"&Help"};
    ASSERT_EQ(::SendMessageW(m_hMenuBar, TB_BUTTONCOUNT, 0, 0), 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(m_pTarnwick->ButtonText(m_hMenuBar, static_cast<UINT>(i + 1)), kMenus[i]);
    EXPECT_EQ(::GetMenu(m_hFrame), nullptr);  // the bar shows the menu, not the frame

    HWND hStatus = ::GetDlgItem(m_hFrame, AFX_IDW_STATUS_BAR);
    EXPECT_EQ(::SendMessageW(hStatus, SB_GETPARTS, 0, 0), 6);
}

TEST_F(BrowserWindowEndToEnd, TypingAnAddressNavigatesThereAndListsIt)
{
    LoopbackListener listener;
    Start(L"about:blank");
    PressKeys({{VK_MENU, true}, {'D', true}, {'D', false}, {VK_MENU, false}});
    ASSERT_TRUE(TarnwickProcess::WaitFor([&] { return ::GetParent(FocusOf(*m_pTarnwick)) == m_hAddress; }, 5000))
        << "focus: " << static_cast<void*>(FocusOf(*m_pTarnwick));

    std::wstring url = L"http://127.0.0.1:" + std::to_wstring(listener.port()) + L"/typed";
    TypeText(url);
    PressKeys({{VK_RETURN, true}, {VK_RETURN, false}});
    EXPECT_EQ(listener.FirstRequestLine(15), "GET /typed HTTP/1.1");
    EXPECT_TRUE(TarnwickProcess::WaitFor([&] { return ::SendMessageW(m_hAddress, CB_GETCOUNT, 0, 0) == 1; }, 3000));
    EXPECT_EQ(::SendMessageW(m_hAddress, CB_GETLBTEXTLEN, 0, 0), static_cast<LRESULT>(url.size()));
}

TEST_F(BrowserWindowEndToEnd, AltEOpensTheEditMenuUnderItsButton)
{
    Start(L"about:blank");
    PressKeys({{VK_MENU, true}, {'E', true}, {'E', false}, {VK_MENU, false}});
    HWND hPopup = nullptr;
    ASSERT_TRUE(TarnwickProcess::WaitFor([&] {
        return (hPopup = FrontPopupMenu()) != nullptr;
    }, 5000));
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hPopup, &dwProcessId);
    RECT rectButton{};
    m_pTarnwick->SendWithBuffer(m_hMenuBar, TB_GETITEMRECT, 1, &rectButton);
    ::MapWindowPoints(m_hMenuBar, nullptr, reinterpret_cast<POINT*>(&rectButton), 2);
    RECT rectPopup;
    ::GetWindowRect(hPopup, &rectPopup);
    EXPECT_NEAR(rectPopup.left, rectButton.left, 4);
    EXPECT_GE(rectPopup.top, rectButton.bottom - 2);

    // The popup belongs to the program. (Menus cannot be read from another process under this
    // platform; the items and their order are checked in-process against the resources.)
    EXPECT_EQ(dwProcessId, ::GetProcessId(m_pTarnwick->ProcessHandle()));
    PressKeys({{VK_ESCAPE, true}, {VK_ESCAPE, false}});
    PressKeys({{VK_ESCAPE, true}, {VK_ESCAPE, false}});
    EXPECT_TRUE(TarnwickProcess::WaitFor([&] { return !::IsWindowVisible(hPopup); }, 3000));
}

}  // namespace
