#include <gtest/gtest.h>

#include "e2e/loopback_listener.h"
#include "e2e/tarnwick_process.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::wstring ClassOf(HWND hWnd)
{
    wchar_t szClass[128] = {};
    ::GetClassNameW(hWnd, szClass, 128);
    return szClass;
}

std::vector<std::wstring> DescendantClasses(HWND hWnd)
{
    std::vector<std::wstring> classes;
    ::EnumChildWindows(
        hWnd,
        [](HWND hChild, LPARAM lParam) -> BOOL {
            reinterpret_cast<std::vector<std::wstring>*>(lParam)->push_back(ClassOf(hChild));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&classes));
    return classes;
}

TEST(BrowserControlEndToEnd, ViewHostsTheControlWhichFetchesTheStartUrl)
{
    LoopbackListener listener;
    ASSERT_NE(listener.port(), 0);
    std::wstring url = L"http://127.0.0.1:" + std::to_wstring(listener.port()) + L"/start-page";
    TarnwickProcess tarnwick(url);
    ASSERT_TRUE(tarnwick.WaitForBrowserWindows(1));
    HWND hFrame = tarnwick.BrowserWindows()[0];

    HWND hView = ::GetDlgItem(hFrame, 0xE900);
    ASSERT_NE(hView, nullptr);
    HWND hControl = ::GetDlgItem(hView, 0xE900);
    ASSERT_NE(hControl, nullptr);
    EXPECT_EQ(ClassOf(hControl), L"Shell Embedding");  // the real control's own window

    // The control fetches the start URL, and opens its document view for it.
    EXPECT_EQ(listener.FirstRequestLine(15), "GET /start-page HTTP/1.1");
    EXPECT_TRUE(TarnwickProcess::WaitFor([&] {
        std::vector<std::wstring> classes = DescendantClasses(hView);
        return std::find(classes.begin(), classes.end(), L"Shell DocObject View") != classes.end();
    }));

    ::PostMessageW(hFrame, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(tarnwick.WaitForExit(), 0);
    std::string errors = tarnwick.ErrorOutput();
    for (const char* pszWord : {"fault", "xception", "crash", "backtrace"}) {
        EXPECT_EQ(errors.find(pszWord), std::string::npos) << errors;
    }
}

}  // namespace
