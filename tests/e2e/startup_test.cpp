#include <gtest/gtest.h>

#include "e2e/loopback_listener.h"
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

// The user's home page, as the browser settings store it.
class ScopedStartPage {
public:
    explicit ScopedStartPage(const std::wstring& url)
    {
        m_bHadOld = ::RegGetValueW(HKEY_CURRENT_USER, kMainKey, L"Start Page", RRF_RT_REG_SZ, nullptr, m_szOld,
                                   &m_cbOld) == ERROR_SUCCESS;
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kMainKey, L"Start Page", REG_SZ, url.c_str(),
                          static_cast<DWORD>((url.size() + 1) * sizeof(wchar_t)));
    }
    ~ScopedStartPage()
    {
        if (m_bHadOld) ::RegSetKeyValueW(HKEY_CURRENT_USER, kMainKey, L"Start Page", REG_SZ, m_szOld, m_cbOld);
        else ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kMainKey, L"Start Page");
    }
    ScopedStartPage(const ScopedStartPage&) = delete;
    ScopedStartPage& operator=(const ScopedStartPage&) = delete;

private:
    static constexpr const wchar_t* kMainKey = L"Software\\Microsoft\\Internet Explorer\\Main";
    wchar_t m_szOld[2048] = {};
    DWORD m_cbOld = sizeof(m_szOld);
    bool m_bHadOld = false;
};

TEST(StartupEndToEnd, FirstWindowOpensTheStartUrlOrElseTheHomePage)
{
    struct Case {
        const char* name;
        const wchar_t* pszArgumentPath;  // null: no arguments
        const char* pszRequested;
    };
    const Case cases[] = {
        {"no arguments: the home page", nullptr, "GET /home-page HTTP/1.1"},
        {"a start URL", L"/start-url", "GET /start-url HTTP/1.1"},
    };
    for (const Case& c : cases) {
        LoopbackListener listener;
        ASSERT_NE(listener.port(), 0) << c.name;
        std::wstring base = L"http://127.0.0.1:" + std::to_wstring(listener.port());
        ScopedStartPage home(base + L"/home-page");
        TarnwickProcess tarnwick(c.pszArgumentPath ? base + c.pszArgumentPath : L"");
        ASSERT_TRUE(tarnwick.WaitForBrowserWindows(1)) << c.name;
        EXPECT_EQ(listener.FirstRequestLine(15), c.pszRequested) << c.name;
        CloseLikeTheUser(tarnwick.BrowserWindows()[0]);
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
