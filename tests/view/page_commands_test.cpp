#include "support/hosted_view_fixture.h"
#include "app/main_frame.h"
#include "res/resource.h"
#include "support/creation_refusal.h"
#include "support/message_pump.h"
#include "support/stack_class_factory.h"
#include "view/open_page_dialog.h"

#include <shobjidl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cwchar>

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

// The ids of the control panel processes ("control.exe") running now.
std::vector<DWORD> ControlPanelProcesses()
{
    std::vector<DWORD> ids;
    HANDLE hSnapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = ::Process32FirstW(hSnapshot, &entry); bMore; bMore = ::Process32NextW(hSnapshot, &entry)) {
        if (::_wcsicmp(entry.szExeFile, L"control.exe") == 0) ids.push_back(entry.th32ProcessID);
    }
    ::CloseHandle(hSnapshot);
    return ids;
}

std::vector<DWORD> NewProcesses(const std::vector<DWORD>& before, const std::vector<DWORD>& after)
{
    std::vector<DWORD> started;
    for (DWORD dwId : after) {
        if (std::find(before.begin(), before.end(), dwId) == before.end()) started.push_back(dwId);
    }
    return started;
}

// Ends the processes a test started, by their ids.
void EndProcesses(const std::vector<DWORD>& ids)
{
    for (DWORD dwId : ids) {
        if (HANDLE hProcess = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, dwId)) {
            ::TerminateProcess(hProcess, 1);
            ::WaitForSingleObject(hProcess, 5000);
            ::CloseHandle(hProcess);
        }
    }
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
        {"a blank-typed text field, the frames asked instead: one holds a text field", StandInElementKind::InputText,
         L" ", {frameWithLink, frameWithTextField}, true},
        {"a blank-typed text area, the frames asked instead: none holds one", StandInElementKind::TextArea, L"",
         {frameWithLink}, false},
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

TEST_F(PageCommandsTest, CutAndPasteFollowTheFocusedElementInsideAFrameset)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    control->SetDocument(true);
    control->SetActiveElement(StandInElementKind::Plain);  // the frame element holding the focus
    pFrame->m_wndView.SetFocus();
    struct Case {
        const char* name;
        StandInElementKind kind;
        const wchar_t* type;
        bool bEditable;
    };
    const Case cases[] = {
        {"text field", StandInElementKind::InputText, L"text", true},
        {"password field", StandInElementKind::InputText, L" password ", true},
        {"text area", StandInElementKind::TextArea, L"textarea", true},
        {"file field", StandInElementKind::InputFile, L"file", true},
        {"embedded object", StandInElementKind::Object, L"", true},
        {"text field without a type", StandInElementKind::InputText, L"", false},
        {"link", StandInElementKind::Plain, L"", false},
        {"no element", StandInElementKind::None, L"", false},
    };
    for (const Case& c : cases) {
        StandInDocumentConfig plain;
        plain.activeElement = StandInElementKind::Plain;
        StandInDocumentConfig focused;
        focused.activeElement = c.kind;
        focused.strActiveElementType = c.type;
        control->SetFrames({plain, plain, focused});  // the third frame of the set
        control->ClearCalls();
        EXPECT_EQ(IsEnabled(pFrame, ID_PAGE_CUT), c.bEditable) << c.name;
        EXPECT_EQ(IsEnabled(pFrame, ID_PAGE_PASTE), c.bEditable) << c.name;
        Command(pFrame, ID_PAGE_PASTE);
        std::vector<StandInCall> calls = control->CallsNamed("Document.Exec");
        ASSERT_EQ(calls.size(), c.bEditable ? 1u : 0u) << c.name;
        if (c.bEditable) {
            EXPECT_EQ(calls[0].Arg("CmdID"), std::to_string(OLECMDID_PASTE)) << c.name;
        }
    }
}

TEST_F(PageCommandsTest, DocumentCommandsReachTheDocumentWithTheirGroupAndId)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    control->SetDocument(true);
    pFrame->m_wndView.SetFocus();
    struct Case {
        const char* name;
        UINT nID;
        const char* group;
        DWORD nCmdID;
    };
    const Case cases[] = {
        {"Print", ID_FILE_PRINT_PAGE, "null", OLECMDID_PRINT},
        {"Print Preview", ID_FILE_PRINT_PREVIEW_PAGE, "null", OLECMDID_PRINTPREVIEW},
        {"Find", ID_PAGE_FIND, "CGID_IWebBrowser", 1},
        {"View Source", ID_VIEW_SOURCE, "CGID_IWebBrowser", 2},
        {"Internet Options", ID_TOOLS_INTERNET_OPTIONS, "CGID_IWebBrowser", 3},
        {"Copy", ID_PAGE_COPY, "null", OLECMDID_COPY},
        {"Select All", ID_PAGE_SELECT_ALL, "null", OLECMDID_SELECTALL},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(IsEnabled(pFrame, c.nID)) << c.name;
        control->ClearCalls();
        Command(pFrame, c.nID);
        std::vector<StandInCall> calls = control->CallsNamed("Document.Exec");
        ASSERT_EQ(calls.size(), 1u) << c.name;
        EXPECT_EQ(calls[0].Arg("Group"), c.group) << c.name;
        EXPECT_EQ(calls[0].Arg("CmdID"), std::to_string(c.nCmdID)) << c.name;
        EXPECT_EQ(control->CountCalls("get_Application"), 1) << c.name;  // the control is asked first
    }

    // A failing command is still a command that reached the page: no control panel instead. The control
    // panel's process, had it been started, exists by the time ShellExecute returns.
    control->Config().hrDocumentExec = E_FAIL;
    control->ClearCalls();
    const std::vector<DWORD> panelsBefore = ControlPanelProcesses();
    Command(pFrame, ID_TOOLS_INTERNET_OPTIONS);
    EXPECT_EQ(control->CountCalls("Document.Exec"), 1);
    std::vector<DWORD> started = NewProcesses(panelsBefore, ControlPanelProcesses());
    EXPECT_TRUE(started.empty());
    EndProcesses(started);

    control->SetDocument(false);
    control->ClearCalls();
    for (UINT nID : {ID_FILE_PRINT_PAGE, ID_FILE_PRINT_PREVIEW_PAGE, ID_PAGE_FIND, ID_VIEW_SOURCE}) Command(pFrame, nID);
    EXPECT_EQ(control->CountCalls("Document.Exec"), 0);

    // Without a document the same look finds the control panel the command starts.
    Command(pFrame, ID_TOOLS_INTERNET_OPTIONS);
    started = NewProcesses(panelsBefore, ControlPanelProcesses());
    EXPECT_EQ(started.size(), 1u);
    EndProcesses(started);
}

TEST_F(PageCommandsTest, NewWindowOpensTheCurrentLocationInAWindowOfItsOwn)
{
    auto* pManager = new CMainFrame;
    theApp.m_pMainWnd = pManager;
    ASSERT_TRUE(pManager->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE));
    ASSERT_TRUE(PumpUntil([&] { return pManager->m_listFrames.GetCount() == 1 && m_pFactory->Last(); }));
    PumpPending();
    CBrowserFrame* pFrame = pManager->m_listFrames.GetHead().pFrame;
    std::shared_ptr<StandInControl> first = m_pFactory->Last();

    first->SetLocationURL(L"");  // a blank view opens nothing
    pFrame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_FILE_NEW_WINDOW, 1), 0);
    EXPECT_EQ(m_pFactory->Controls().size(), 1u);
    EXPECT_EQ(pManager->m_listFrames.GetCount(), 1);

    first->SetLocationURL(L"http://example.test/here");
    pFrame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_FILE_NEW_WINDOW, 1), 0);
    ASSERT_EQ(m_pFactory->Controls().size(), 2u);
    EXPECT_EQ(pManager->m_listFrames.GetCount(), 2);
    std::shared_ptr<StandInControl> second = m_pFactory->Last();
    std::vector<StandInCall> navigations = second->CallsNamed("Navigate2");
    ASSERT_EQ(navigations.size(), 1u);
    EXPECT_EQ(navigations[0].Arg("URL"), "BSTR:http://example.test/here");
    EXPECT_EQ(navigations[0].Arg("Flags"), "I4:0");

    // A manager that cannot make the window, and no manager at all: nothing opens, nothing else happens.
    {
        ScopedCreationRefusal refusal;
        pFrame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_FILE_NEW_WINDOW, 1), 0);
        EXPECT_EQ(refusal.refused(), 1);
    }
    theApp.m_pMainWnd = nullptr;
    pFrame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_FILE_NEW_WINDOW, 1), 0);
    EXPECT_EQ(m_pFactory->Controls().size(), 2u);
    EXPECT_EQ(pManager->m_listFrames.GetCount(), 2);

    ::DestroyWindow(pManager->m_hWnd);
    PumpPending();
}

TEST_F(PageCommandsTest, TheOpenFilterHasSixEntriesEndingWithAllFiles)
{
    CString strFilter;
    ASSERT_TRUE(strFilter.LoadString(IDS_OPEN_FILTER));
    std::vector<COpenPageDialog::CFilterEntry> entries = COpenPageDialog::ParseFilter(strFilter);
    const wchar_t* kPatterns[] = {L"*.htm;*.html;*.shtml", L"*.txt", L"*.gif", L"*.jpg;*.jpeg", L"*.png", L"*.*"};
    ASSERT_EQ(entries.size(), 6u);
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(entries[i].strPatterns, kPatterns[i]) << i;
    EXPECT_EQ(entries[4].strLabel, L"PNG Files(*.png)");
    EXPECT_EQ(entries[5].strLabel, L"All Files(*.*)");
    EXPECT_EQ(COpenPageDialog::ParseFilter(L"A|*.a|B").size(), 1u);
    EXPECT_TRUE(COpenPageDialog::ParseFilter(L"").empty());
}

// Answers the Open dialog once it is up: picks a file by name, or cancels.
struct DialogDriver {
    std::wstring strFile;  // empty: cancel
    std::wstring strTitle;
    std::vector<std::wstring> fileTypes;
    bool bAnswered = false;
    HWND hOwner = nullptr;          // the dialog's owner while it was up
    bool bOwnerEnabled = true;      // whether that owner took input meanwhile

    static DialogDriver* s_pDriver;
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR nTimer, DWORD)
    {
        DialogDriver& driver = *s_pDriver;
        HWND hDialog = nullptr;
        ::EnumThreadWindows(
            ::GetCurrentThreadId(),
            [](HWND hWnd, LPARAM lParam) -> BOOL {
                wchar_t szClass[16] = {};
                ::GetClassNameW(hWnd, szClass, 16);
                if (std::wstring(szClass) != L"#32770" || !::IsWindowVisible(hWnd)) return TRUE;
                *reinterpret_cast<HWND*>(lParam) = hWnd;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&hDialog));
        if (!hDialog || driver.bAnswered) return;
        driver.bAnswered = true;
        ::KillTimer(nullptr, nTimer);
        driver.hOwner = ::GetWindow(hDialog, GW_OWNER);
        driver.bOwnerEnabled = driver.hOwner && ::IsWindowEnabled(driver.hOwner);
        wchar_t szTitle[64] = {};
        ::GetWindowTextW(hDialog, szTitle, 64);
        driver.strTitle = szTitle;
        struct Found {
            HWND hEdit = nullptr;
            std::vector<std::wstring>* pTypes;
        } found{nullptr, &driver.fileTypes};
        ::EnumChildWindows(
            hDialog,
            [](HWND hWnd, LPARAM lParam) -> BOOL {
                auto& f = *reinterpret_cast<Found*>(lParam);
                wchar_t szClass[32] = {};
                ::GetClassNameW(hWnd, szClass, 32);
                std::wstring cls = szClass;
                if (cls == L"Edit" && !f.hEdit && ::IsWindowVisible(hWnd)) f.hEdit = hWnd;
                if (cls == L"ComboBox" && ::SendMessageW(hWnd, CB_GETCOUNT, 0, 0) == 6 && f.pTypes->empty()) {
                    for (int i = 0; i < 6; ++i) {
                        wchar_t szItem[128] = {};
                        ::SendMessageW(hWnd, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(szItem));
                        f.pTypes->push_back(szItem);
                    }
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        if (driver.strFile.empty() || !found.hEdit) {
            ::PostMessageW(hDialog, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        ::SetWindowTextW(found.hEdit, driver.strFile.c_str());
        ::PostMessageW(hDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(hDialog, IDOK)));
    }
};
DialogDriver* DialogDriver::s_pDriver = nullptr;

// Refuses every instance: the item dialog cannot be made while it is registered.
class RefusingClassFactory : public StackClassFactory {
public:
    STDMETHODIMP CreateInstance(IUnknown*, REFIID, void** ppv) override
    {
        if (ppv) *ppv = nullptr;
        return E_OUTOFMEMORY;
    }
};

TEST_F(PageCommandsTest, OpenShowsTheDialogAndNavigatesToTheChosenFile)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    wchar_t szTemp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, szTemp);
    std::wstring strPath = std::wstring(szTemp) + L"tarnwick-open-test.png";
    HANDLE hFile = ::CreateFileW(strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(hFile, INVALID_HANDLE_VALUE);
    DWORD dwWritten = 0;
    ::WriteFile(hFile, "not a picture", 13, &dwWritten, nullptr);
    ::CloseHandle(hFile);

    // The process's current directory is somewhere else than the chosen file.
    wchar_t szStartDirectory[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, szStartDirectory, MAX_PATH);
    *std::wcsrchr(szStartDirectory, L'\\') = L'\0';
    ASSERT_TRUE(::SetCurrentDirectoryW(szStartDirectory));

    // Where the item dialog cannot be made, the classic one stands in.
    RefusingClassFactory refusing;
    for (bool bClassic : {false, true})
    for (bool bChoose : {false, true}) {
        SCOPED_TRACE(bClassic ? "classic dialog" : "item dialog");
        DWORD dwCookie = 0;
        if (bClassic) {
            ASSERT_EQ(::CoRegisterClassObject(CLSID_FileOpenDialog, &refusing, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                              &dwCookie), S_OK);
        }
        DialogDriver driver;
        driver.strFile = bChoose ? strPath : L"";
        DialogDriver::s_pDriver = &driver;
        UINT_PTR nTimer = ::SetTimer(nullptr, 0, 200, &DialogDriver::OnTimer);
        control->ClearCalls();
        Command(pFrame, ID_FILE_OPEN_PAGE);  // returns when the dialog has closed
        ::KillTimer(nullptr, nTimer);
        if (dwCookie) ::CoRevokeClassObject(dwCookie);
        EXPECT_TRUE(driver.bAnswered);
        EXPECT_EQ(driver.strTitle, L"Open");
        // Modal over the frame that routed the command, which takes input again afterwards.
        EXPECT_EQ(driver.hOwner, pFrame->m_hWnd);
        EXPECT_FALSE(driver.bOwnerEnabled);
        EXPECT_TRUE(::IsWindowEnabled(pFrame->m_hWnd));
        EXPECT_EQ(::GetActiveWindow(), pFrame->m_hWnd);
        wchar_t szDirectory[MAX_PATH] = {};
        ::GetCurrentDirectoryW(MAX_PATH, szDirectory);
        EXPECT_STREQ(szDirectory, szStartDirectory);
        ASSERT_EQ(driver.fileTypes.size(), 6u);
        EXPECT_EQ(driver.fileTypes[4], L"PNG Files(*.png)");
        std::vector<StandInCall> navigations = control->CallsNamed("Navigate2");
        if (!bChoose) {
            EXPECT_TRUE(navigations.empty());
            continue;
        }
        ASSERT_EQ(navigations.size(), 1u);
        std::optional<std::string> url = navigations[0].Arg("URL");
        ASSERT_TRUE(url.has_value());
        EXPECT_EQ(*url, "BSTR:" + std::string(strPath.begin(), strPath.end()));  // the full path, ASCII here
    }
    ::DeleteFileW(strPath.c_str());
}

}  // namespace
