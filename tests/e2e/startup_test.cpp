#include <gtest/gtest.h>

#include "e2e/loopback_listener.h"
#include "e2e/scoped_start_page.h"
#include "e2e/tarnwick_process.h"
#include "res/messages.h"
#include "res/resource.h"

#include <ostream>
#include <string>
#include <vector>

namespace {

void CloseLikeTheUser(HWND hWnd)
{
    ::PostMessageW(hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);  // the caption's close button
}

enum class Shown { Maximised, Minimised, Normal, Hidden };

struct CommandLineCase {
    const char* name;
    std::wstring arguments;  // "{web}" stands for the address of this case's loopback listener
    std::string requested;   // the first request line; empty: the start URL is no web address, nothing is asked for
    Shown shown;
};

std::wstring WithAddress(std::wstring text, const std::wstring& address)
{
    const std::wstring token = L"{web}";
    for (size_t at = text.find(token); at != std::wstring::npos; at = text.find(token, at + address.size())) {
        text.replace(at, token.size(), address);
    }
    return text;
}

std::ostream& operator<<(std::ostream& out, Shown shown)
{
    const char* const names[] = {"maximised", "minimised", "normal", "hidden"};
    return out << names[static_cast<int>(shown)];
}

// A request line short enough to read in a failure message: its ends and its length.
std::string Shortened(const std::string& line)
{
    if (line.size() <= 120) return '"' + line + '"';
    return '"' + line.substr(0, 60) + "..." + line.substr(line.size() - 40) + "\" (" + std::to_string(line.size()) +
           " characters)";
}

Shown ShownState(HWND hFrame)
{
    if (!::IsWindowVisible(hFrame)) return Shown::Hidden;
    if (::IsIconic(hFrame)) return Shown::Minimised;
    return ::IsZoomed(hFrame) ? Shown::Maximised : Shown::Normal;
}

TEST(StartupEndToEnd, FirstWindowFollowsTheCommandLine)
{
    const std::wstring longPath(600, L'a');  // well past MAX_PATH
    const std::wstring longerPath(3000, L'b');
    const std::wstring hugePath(30000, L'c');  // near the limit of a command line
    const CommandLineCase cases[] = {
        {"no arguments: the home page, maximised", L"", "GET /home-page HTTP/1.1", Shown::Maximised},
        {"one address", L"{web}/start", "GET /start HTTP/1.1", Shown::Maximised},
        {"one quoted address with spaces: the whole tail", L"\"{web}/my page\"", "GET /my%20page HTTP/1.1", Shown::Maximised},
        {"an unquoted space splits it: the rest is no show mode", L"{web}/my page", "GET /my HTTP/1.1", Shown::Maximised},
        {"quotes inside the one argument are removed", L"{web}/q?a=\"b\"", "GET /q?a=b HTTP/1.1", Shown::Maximised},
        {"lower-case /min as second argument", L"{web}/min /min", "GET /min HTTP/1.1", Shown::Minimised},
        {"/Normal, a third argument ignored", L"\"{web}/normal\" /Normal extra", "GET /normal HTTP/1.1", Shown::Normal},
        {"/max", L"{web}/max /max", "GET /max HTTP/1.1", Shown::Maximised},
        {"/hide: the window exists unseen", L"{web}/hide /hide", "GET /hide HTTP/1.1", Shown::Hidden},
        {"a lone /HIDE is the start URL", L"/HIDE", "", Shown::Maximised},
        {"a start URL longer than MAX_PATH", L"{web}/" + longPath, "GET /" + std::string(600, 'a') + " HTTP/1.1", Shown::Maximised},
        {"a longer one", L"{web}/" + longerPath, "GET /" + std::string(3000, 'b') + " HTTP/1.1", Shown::Maximised},
        {"a huge one", L"{web}/" + hugePath, "GET /" + std::string(30000, 'c') + " HTTP/1.1", Shown::Maximised},
        {"a show mode longer than MAX_PATH is none", L"{web}/mode /" + longPath, "GET /mode HTTP/1.1", Shown::Maximised},
    };
    for (const CommandLineCase& c : cases) {
        LoopbackListener listener;
        ASSERT_NE(listener.port(), 0) << c.name;
        const std::wstring address = L"http://127.0.0.1:" + std::to_wstring(listener.port());
        ScopedStartPage home(address + L"/home-page");
        TarnwickProcess tarnwick(WithAddress(c.arguments, address));
        ASSERT_TRUE(tarnwick.started()) << c.name;
        std::vector<HWND> frames;
        ASSERT_TRUE(TarnwickProcess::WaitFor([&] {
            frames = c.shown == Shown::Hidden ? tarnwick.HiddenBrowserWindows() : tarnwick.BrowserWindows();
            return frames.size() == 1;
        })) << c.name;
        EXPECT_EQ(ShownState(frames[0]), c.shown) << c.name;
        const std::string requested = listener.FirstRequestLine(c.requested.empty() ? 3 : 15);
        EXPECT_TRUE(requested == c.requested) << c.name << ": asked for " << Shortened(requested) << ", not "
                                              << Shortened(c.requested);
        wchar_t szTitle[64] = {};
        ::SendMessageW(frames[0], WM_GETTEXT, 64, reinterpret_cast<LPARAM>(szTitle));
        EXPECT_STREQ(szTitle, L"Tarnwick") << c.name;
        EXPECT_EQ(tarnwick.BrowserWindows().size(), c.shown == Shown::Hidden ? 0u : 1u) << c.name;

        if (c.shown == Shown::Hidden) ::PostMessageW(frames[0], WM_CLOSE, 0, 0);  // no caption to click
        else CloseLikeTheUser(frames[0]);
        EXPECT_EQ(tarnwick.WaitForExit(), 0) << c.name;
        EXPECT_EQ(tarnwick.ErrorOutput(), "") << c.name;
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
