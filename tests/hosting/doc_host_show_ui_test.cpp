#include <gtest/gtest.h>

#include "hosting/doc_host_show_ui.h"
#include "support/message_box_answerer.h"
#include "support/planted_files.h"

#include <string>

namespace {

// The test library SHDOCLC.DLL, put into the system folder for each test, holds the two notices.
const wchar_t kNotice8032[] = L"Test notice eight thousand thirty-two";
const wchar_t kNotice8033[] = L"Test notice eight thousand thirty-three";

class DocHostShowUITest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_library.ok()); }
    CScopedSystemFile m_library{SystemFolderFile(L"SHDOCLC.DLL"), TestFilePath(L"shdoclc\\SHDOCLC.DLL")};
};

LRESULT Show(const wchar_t* pszText, DWORD dwType, HRESULT* phr)
{
    CDocHostShowUI showUI;
    LRESULT lResult = -12345;
    *phr = showUI.ShowMessage(nullptr, const_cast<LPOLESTR>(pszText), const_cast<LPOLESTR>(L"Page caption"), dwType,
                              nullptr, 0, &lResult);
    return lResult;
}

TEST_F(DocHostShowUITest, OrdinaryMessagesAreShownAsAskedAndAnswered)
{
    ScopedMessageBoxAnswerer answerer(IDCANCEL);
    HRESULT hr = E_FAIL;
    EXPECT_EQ(Show(L"Are you sure?", MB_OKCANCEL, &hr), IDCANCEL);
    EXPECT_EQ(hr, S_OK);
    ASSERT_EQ(answerer.boxes().size(), 1u);
    EXPECT_EQ(answerer.boxes()[0].caption, L"Page caption");
    EXPECT_EQ(answerer.boxes()[0].text, L"Are you sure?");
}

TEST_F(DocHostShowUITest, TheLibrarysTwoNoticesAreDroppedByWholeText)
{
    struct Case {
        const char* name;
        std::wstring text;
        bool bShown;
    };
    const Case cases[] = {
        {"string 8033", kNotice8033, false},
        {"string 8032", kNotice8032, false},
        {"8033 with more text around it", std::wstring(L"Note: ") + kNotice8033, true},
        {"8032 but one character short", std::wstring(kNotice8032).substr(1), true},
        {"another text", L"Hello", true},
    };
    for (const Case& c : cases) {
        ScopedMessageBoxAnswerer answerer(IDOK);
        HRESULT hr = E_FAIL;
        LRESULT lResult = Show(c.text.c_str(), MB_OK, &hr);
        EXPECT_EQ(hr, S_OK) << c.name;
        EXPECT_EQ(answerer.boxes().size(), c.bShown ? 1u : 0u) << c.name;
        EXPECT_EQ(lResult, c.bShown ? IDOK : -12345) << c.name;  // untouched when dropped
    }
    // The library was loaded for each call and let go again.
    EXPECT_EQ(::GetModuleHandleW(L"SHDOCLC.DLL"), nullptr);
}

TEST_F(DocHostShowUITest, NoTextIsShownAsAnEmptyBoxAndNoPlaceForTheAnswerIsNoFault)
{
    CDocHostShowUI showUI;
    {
        ScopedMessageBoxAnswerer answerer(IDOK);
        LRESULT lResult = -12345;
        EXPECT_EQ(showUI.ShowMessage(nullptr, nullptr, const_cast<LPOLESTR>(L"Page caption"), MB_OK, nullptr, 0,
                                     &lResult),
                  S_OK);
        ASSERT_EQ(answerer.boxes().size(), 1u);
        EXPECT_EQ(answerer.boxes()[0].text, L"");
        EXPECT_EQ(lResult, IDOK);
    }
    for (const wchar_t* pszText : {L"Hello", kNotice8033}) {
        ScopedMessageBoxAnswerer answerer(IDOK);
        EXPECT_EQ(showUI.ShowMessage(nullptr, const_cast<LPOLESTR>(pszText), const_cast<LPOLESTR>(L"Page caption"),
                                     MB_OK, nullptr, 0, nullptr),
                  S_OK);
        EXPECT_EQ(answerer.boxes().size(), pszText == kNotice8033 ? 0u : 1u);
    }
}

TEST_F(DocHostShowUITest, HelpIsLeftToTheControl)
{
    CDocHostShowUI showUI;
    EXPECT_EQ(showUI.ShowHelp(nullptr, nullptr, 0, 0, POINT{}, nullptr), E_NOTIMPL);
}

}  // namespace
