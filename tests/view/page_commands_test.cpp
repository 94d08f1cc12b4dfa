#include "support/hosted_view_fixture.h"
#include "res/resource.h"
#include "support/message_pump.h"

#include <string>

namespace {

using PageCommandsTest = HostedViewTest;

std::wstring ClipboardText()
{
    std::wstring text;
    if (!::OpenClipboard(nullptr)) return text;
    if (HANDLE hData = ::GetClipboardData(CF_UNICODETEXT)) {
        if (auto* psz = static_cast<const wchar_t*>(::GlobalLock(hData))) text = psz;
        ::GlobalUnlock(hData);
    }
    ::CloseClipboard();
    return text;
}

bool IsEnabled(CBrowserFrame* pFrame, UINT nID)
{
    HMENU hPopup = ::CreatePopupMenu();
    ::AppendMenuW(hPopup, MF_STRING, nID, L"item");
    pFrame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hPopup), 0);
    bool bEnabled = !(::GetMenuState(hPopup, nID, MF_BYCOMMAND) & MF_GRAYED);
    ::DestroyMenu(hPopup);
    return bEnabled;
}

void Command(CBrowserFrame* pFrame, UINT nID)
{
    pFrame->SendMessage(WM_COMMAND, MAKEWPARAM(nID, 1), 0);  // as the accelerator sends it
}

TEST_F(PageCommandsTest, ClipboardKeysActOnTheAddressBoxWhenItHasTheFocus)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    control->SetDocument(true);
    ::SetForegroundWindow(pFrame->m_hWnd);
    HWND hEdit = pFrame->m_wndAddress.m_edit.m_hWnd;
    ::SetWindowTextW(hEdit, L"http://example.test/address");
    ::SetFocus(hEdit);
    control->ClearCalls();

    Command(pFrame, ID_PAGE_SELECT_ALL);
    DWORD dwStart = 0, dwEnd = 0;
    ::SendMessageW(hEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&dwStart), reinterpret_cast<LPARAM>(&dwEnd));
    EXPECT_EQ(dwStart, 0u);
    EXPECT_EQ(dwEnd, 27u);
    Command(pFrame, ID_PAGE_COPY);
    EXPECT_EQ(ClipboardText(), L"http://example.test/address");
    EXPECT_TRUE(IsEnabled(pFrame, ID_PAGE_CUT));
    EXPECT_TRUE(IsEnabled(pFrame, ID_PAGE_PASTE));
    Command(pFrame, ID_PAGE_CUT);
    EXPECT_EQ(::GetWindowTextLengthW(hEdit), 0);
    Command(pFrame, ID_PAGE_PASTE);
    wchar_t szText[64] = {};
    ::GetWindowTextW(hEdit, szText, 64);
    EXPECT_STREQ(szText, L"http://example.test/address");
    EXPECT_EQ(control->CountCalls("Document.Exec"), 0);  // the page is left alone
}

TEST_F(PageCommandsTest, OnThePageCopyAndSelectAllAlwaysActCutAndPasteOnlyInEditableElements)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    control->SetDocument(true);
    pFrame->m_wndView.SetFocus();

    control->ClearCalls();
    Command(pFrame, ID_PAGE_COPY);
    Command(pFrame, ID_PAGE_SELECT_ALL);
    std::vector<StandInCall> calls = control->CallsNamed("Document.Exec");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].Arg("CmdID"), std::to_string(OLECMDID_COPY));
    EXPECT_EQ(calls[0].Arg("Group"), "null");
    EXPECT_EQ(calls[1].Arg("CmdID"), std::to_string(OLECMDID_SELECTALL));

    struct Case {
        const char* name;
        StandInElementKind kind;
        const wchar_t* type;
        std::vector<StandInDocumentConfig> frames;
        bool bEditable;
    };
    StandInDocumentConfig frameWithTextField;
    frameWithTextField.activeElement = StandInElementKind::InputText;
    frameWithTextField.strActiveElementType = L"text";
    StandInDocumentConfig frameWithLink;
    frameWithLink.activeElement = StandInElementKind::Plain;
    const Case cases[] = {
        {"no active element", StandInElementKind::None, L"", {}, false},
        {"a link or the background", StandInElementKind::Plain, L"", {}, false},
        {"a text field", StandInElementKind::InputText, L"text", {}, true},
        {"a text field whose type is blank", StandInElementKind::InputText, L"  ", {}, false},
        {"a text area", StandInElementKind::TextArea, L"textarea", {}, true},
        {"a file field", StandInElementKind::InputFile, L"file", {}, true},
        {"an embedded object", StandInElementKind::Object, L"", {}, true},
        {"a frame holding a text field", StandInElementKind::Plain, L"", {frameWithLink, frameWithTextField}, true},
        {"frames without one", StandInElementKind::Plain, L"", {frameWithLink}, false},
    };
    for (const Case& c : cases) {
        control->SetActiveElement(c.kind, c.type);
        control->SetFrames(c.frames);
        control->ClearCalls();
        EXPECT_EQ(IsEnabled(pFrame, ID_PAGE_CUT), c.bEditable) << c.name;
        EXPECT_EQ(IsEnabled(pFrame, ID_PAGE_PASTE), c.bEditable) << c.name;
        pFrame->m_wndView.SendMessage(WM_COMMAND, MAKEWPARAM(ID_PAGE_CUT, 0), 0);  // straight to the view
        EXPECT_EQ(control->CountCalls("Document.Exec"), c.bEditable ? 1 : 0) << c.name;
    }
}

}  // namespace
