#include <gtest/gtest.h>

#include "app/tarnwick_app.h"

#include <shellapi.h>

namespace {

struct CommandLineCase {
    const char* name;
    const wchar_t* tail;       // what the user types after the program name
    const wchar_t* startUrl;
    const wchar_t* showMode;
};

// The tail is split into arguments as the runtime does for __wargv.
void ReadTail(const wchar_t* tail)
{
    CString strFull = CString(L"Tarnwick.exe ") + tail;
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(strFull, &argc);
    ASSERT_NE(argv, nullptr);
    theApp.m_strStartUrl.Empty();
    theApp.m_strShowMode.Empty();
    theApp.ReadCommandLine(tail, argc, argv);
    ::LocalFree(argv);
}

TEST(CommandLineTest, StartUrlAndShowModeFollowTheArguments)
{
    const CommandLineCase cases[] = {
        {"no arguments", L"", L"", L""},
        {"one path", L"C:\\web\\a.htm", L"C:\\web\\a.htm", L""},
        {"one quoted path with a space", L"\"C:\\my web\\a.htm\"", L"C:\\my web\\a.htm", L""},
        {"path and lower-case /min", L"C:\\web\\a.htm /min", L"C:\\web\\a.htm", L"/MIN"},
        {"third argument ignored", L"\"C:\\web\\a.htm\" /Normal extra", L"C:\\web\\a.htm", L"/NORMAL"},
        {"a lone show-mode word is a URL", L"/MIN", L"/MIN", L""},
        {"a lone /HIDE is a URL", L"/HIDE", L"/HIDE", L""},
        {"unquoted path with a space is two arguments", L"C:\\my web\\a.htm", L"C:\\my", L"WEB\\A.HTM"},
        {"quotes inside one argument are all removed", L"http://h/?q=\"x\"", L"http://h/?q=x", L""},
    };
    for (const CommandLineCase& c : cases) {
        ReadTail(c.tail);
        EXPECT_EQ(theApp.m_strStartUrl, c.startUrl) << c.name;
        EXPECT_EQ(theApp.m_strShowMode, c.showMode) << c.name;
    }
}

}  // namespace
