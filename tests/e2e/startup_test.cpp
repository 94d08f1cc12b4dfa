#include <gtest/gtest.h>

#include "e2e/tarnwick_process.h"
#include "res/messages.h"
#include "res/resource.h"

namespace {

void CloseLikeTheUser(HWND hWnd)
{
    ::PostMessageW(hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);  // the caption's close button
}

TEST(StartupEndToEnd, FirstWindowFollowsTheCommandLine)
{
    struct Case {
        const char* name;
        const wchar_t* arguments;
        bool bMinimised, bMaximised;
    };
    const Case cases[] = {
        {"no arguments", L"", false, true},
        {"/min as second argument", L"http://127.0.0.1:9/ /min", true, false},
        {"a single /HIDE is the start URL", L"/HIDE", false, true},
        {"/normal as second argument", L"about:blank /normal", false, false},
    };
    for (const Case& c : cases) {
        TarnwickProcess tarnwick(c.arguments);
        ASSERT_TRUE(tarnwick.started()) << c.name;
        ASSERT_TRUE(tarnwick.WaitForBrowserWindows(1)) << c.name;
        HWND hFrame = tarnwick.BrowserWindows()[0];
        EXPECT_EQ(::IsIconic(hFrame) != FALSE, c.bMinimised) << c.name;
        EXPECT_EQ(::IsZoomed(hFrame) != FALSE, c.bMaximised) << c.name;
        wchar_t szTitle[64] = {};
        ::SendMessageW(hFrame, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(szTitle));
        EXPECT_STREQ(szTitle, L"Tarnwick") << c.name;
        EXPECT_NE(tarnwick.WindowManager(), nullptr) << c.name;

        CloseLikeTheUser(hFrame);
        EXPECT_EQ(tarnwick.WaitForExit(), 0) << c.name;
    }
}

TEST(StartupEndToEnd, WindowsCloseOneByOneAndTheLastEndsTheProcess)
{
    TarnwickProcess tarnwick(L"about:blank /normal");
    ASSERT_TRUE(tarnwick.WaitForBrowserWindows(1));
    HWND hFirst = tarnwick.BrowserWindows()[0];
    HWND hManager = tarnwick.WindowManager();
    ASSERT_NE(hManager, nullptr);

    // A second window, as a page or the New Window command asks for one.
    ::SendMessageW(hManager, WM_OPEN_BROWSER_WINDOW, 0, 0);
    ASSERT_TRUE(tarnwick.WaitForBrowserWindows(2));
    HWND hSecond = tarnwick.BrowserWindows()[0] == hFirst ? tarnwick.BrowserWindows()[1] : tarnwick.BrowserWindows()[0];
    EXPECT_FALSE(::IsZoomed(hSecond));  // the first window's normal state, not the default maximised one
    EXPECT_FALSE(::IsIconic(hSecond));

    CloseLikeTheUser(hFirst);
    EXPECT_TRUE(tarnwick.WaitForBrowserWindows(1));
    EXPECT_EQ(tarnwick.WaitForExit(1000), -1);  // still running
    EXPECT_EQ(tarnwick.BrowserWindows(), std::vector<HWND>{hSecond});

    CloseLikeTheUser(hSecond);
    EXPECT_EQ(tarnwick.WaitForExit(), 0);
}

TEST(StartupEndToEnd, CloseAllWindowEndsTheProcess)
{
    TarnwickProcess tarnwick(L"");
    ASSERT_TRUE(tarnwick.WaitForBrowserWindows(1));
    ::SendMessageW(tarnwick.WindowManager(), WM_OPEN_BROWSER_WINDOW, 0, 0);
    ASSERT_TRUE(tarnwick.WaitForBrowserWindows(2));

    // File > Close All Window, chosen on the second window.
    ::PostMessageW(tarnwick.BrowserWindows()[1], WM_COMMAND, MAKEWPARAM(ID_APP_EXIT, 0), 0);
    EXPECT_EQ(tarnwick.WaitForExit(), 0);
    EXPECT_TRUE(tarnwick.BrowserWindows().empty());
}

}  // namespace
