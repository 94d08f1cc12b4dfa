#include <gtest/gtest.h>

#include "favorites/favorite_item_manager.h"
#include "favorites/test_favorites_folder.h"

#include <string>

using namespace std::string_literals;

namespace {

TEST(ReadShortcutUrlTest, FirstLineBeginningWithTheKey)
{
    struct Case {
        const char* name;
        std::string content;
        std::wstring url;
    };
    // The longest URL the platform handles, and one character more.
    const std::string longUrl = "http://example.com/" + std::string(CFavoriteItemManager::kMaxUrlLength - 19, 'q');
    const std::string tooLongUrl = longUrl + "q";
    const Case cases[] = {
        {"CRLF", "[InternetShortcut]\r\nURL=http://example.com/\r\n", L"http://example.com/"},
        {"LF only", "[InternetShortcut]\nURL=http://example.com/lf\nIconIndex=0\n", L"http://example.com/lf"},
        {"last line without a line end", "[InternetShortcut]\r\nURL=http://example.com/end", L"http://example.com/end"},
        {"sections before [InternetShortcut]",
         "[DEFAULT]\r\nBASEURL=http://example.com/base\r\n[{000214A0-0000-0000-C000-000000000046}]\r\nProp3=19,11\r\n"
         "[InternetShortcut]\r\nURL=http://example.com/is\r\n",
         L"http://example.com/is"},
        {"first of two", "URL=http://example.com/1\r\nURL=http://example.com/2\r\n", L"http://example.com/1"},
        {"in any section", "[Other]\r\nURL=http://example.com/other\r\n[InternetShortcut]\r\nURL=http://example.com/is\r\n",
         L"http://example.com/other"},
        {"lower-case key and leading space do not count",
         "url=http://example.com/a\r\n URL=http://example.com/b\r\nXURL=http://example.com/c\r\nURL=http://example.com/d\r\n",
         L"http://example.com/d"},
        {"untrimmed", "URL=  http://example.com/sp  \r\n", L"  http://example.com/sp  "},
        {"only the CR before the LF goes", "URL=http://example.com/cr\r\r\n", L"http://example.com/cr\r"},
        {"8-bit bytes become the characters of the same code", "URL=http://example.com/\xe9\x80\xff\x01\r\n",
         L"http://example.com/\u00e9\u0080\u00ff\u0001"},
        {"a line longer than any buffer", "[InternetShortcut]\r\nIconFile=" + std::string(9000, 'i') + "\r\nURL=" + longUrl + "\r\n",
         std::wstring(longUrl.begin(), longUrl.end())},
        {"the longest URL as the last line", "URL=" + longUrl, std::wstring(longUrl.begin(), longUrl.end())},
        {"a URL longer than a URL can be", "[InternetShortcut]\r\nURL=" + tooLongUrl + "\r\n", L""},
        {"a URL longer than a URL can be, as the last line", "URL=" + tooLongUrl, L""},
        {"a URL longer than a URL can be, up to a zero byte", "URL=" + tooLongUrl + "\0tail"s, L""},
        {"the URL within a shortcut's size", std::string(65536 - 40, '\n') + "URL=http://example.com/in\r\n",
         L"http://example.com/in"},
        {"a file larger than a shortcut can be", "URL=http://example.com/big\r\n" + std::string(65536, ';'), L""},
        {"the key across a buffer's end", std::string(4094, '\n') + "URL=http://example.com/edge\r\n",
         L"http://example.com/edge"},
        {"the CR and LF across a buffer's end", std::string(4096 - 23, '\n') + "URL=http://example.com/x\r\nURL=y",
         L"http://example.com/x"},
        {"the line ends at a zero byte", "URL=http://example.com/z\0tail\r\n"s, L"http://example.com/z"},
        {"a zero byte before the key", "\0URL=http://example.com/n\r\nURL=http://example.com/m\r\n"s,
         L"http://example.com/m"},
        {"empty URL", "[InternetShortcut]\r\nURL=\r\nURL=http://example.com/later\r\n", L""},
        {"no key", "[InternetShortcut]\r\nIDList=\r\n", L""},
        {"empty file", "", L""},
    };
    CTestFavoritesFolder folder;
    const CFavoriteItemManager manager;
    int n = 0;
    for (const Case& c : cases) {
        const std::wstring name = L"case" + std::to_wstring(++n) + L".url";
        folder.AddFile(name, c.content);
        const CString strUrl = manager.ReadShortcutUrl(folder.PathOf(name).c_str());
        EXPECT_EQ(std::wstring(strUrl.GetString(), strUrl.GetLength()), c.url) << c.name;
    }
    EXPECT_TRUE(manager.ReadShortcutUrl(folder.PathOf(L"missing.url").c_str()).IsEmpty());
}

// The reader stops at the URL's line: a file still being written behind it does not matter.
TEST(ReadShortcutUrlTest, OpensFilesOthersHaveOpenForWriting)
{
    CTestFavoritesFolder folder;
    folder.AddShortcut(L"open.url", "http://example.com/open");
    const HANDLE h = ::CreateFileW(folder.PathOf(L"open.url").c_str(), GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(CFavoriteItemManager().ReadShortcutUrl(folder.PathOf(L"open.url").c_str()), L"http://example.com/open");
    ::CloseHandle(h);
}

}  // namespace
