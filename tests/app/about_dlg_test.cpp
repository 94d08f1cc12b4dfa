#include <gtest/gtest.h>

#include "app/about_dlg.h"
#include "app/tarnwick_app.h"
#include "res/resource.h"
#include "support/dialog_script.h"
#include "support/message_pump.h"

#include <tlhelp32.h>

#include <set>

namespace {

using Script = DialogScript;

std::set<DWORD> ProcessesNamed(const wchar_t* pszExe)
{
    std::set<DWORD> ids;
    HANDLE hSnapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = ::Process32FirstW(hSnapshot, &entry); bMore; bMore = ::Process32NextW(hSnapshot, &entry)) {
        if (::_wcsicmp(entry.szExeFile, pszExe) == 0) ids.insert(entry.th32ProcessID);
    }
    ::CloseHandle(hSnapshot);
    return ids;
}

void Terminate(DWORD dwProcessId)
{
    if (HANDLE hProcess = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, dwProcessId)) {
        ::TerminateProcess(hProcess, 0);
        ::WaitForSingleObject(hProcess, 5000);
        ::CloseHandle(hProcess);
    }
}

std::vector<std::wstring> ChildTexts(HWND hDlg)
{
    std::vector<std::wstring> texts;
    for (HWND hChild = ::GetWindow(hDlg, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        texts.push_back(WindowText(hChild));
    }
    return texts;
}

// Help > About on a frame: the command reaches the application, whose box goes in front of that frame.
TEST(AboutDlgTest, HelpAboutOpensTheBoxInFrontOfTheFrameItCameFrom)
{
    CWnd hiddenMain;
    hiddenMain.CreateEx(0, nullptr, L"main", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr);
    CWnd* pSavedMain = std::exchange(theApp.m_pMainWnd, &hiddenMain);
    auto* pFrame = new CFrameWndEx;  // deletes itself with its window
    ASSERT_TRUE(pFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | WS_VISIBLE));
    HWND hFrame = pFrame->m_hWnd;

    AFX_CMDHANDLERINFO info{nullptr};
    EXPECT_TRUE(pFrame->OnCmdMsg(ID_APP_ABOUT, CN_COMMAND, nullptr, &info)) << "so the menu item is enabled";
    EXPECT_EQ(info.pTarget, &theApp);

    Script script({
        Script::Check([&](HWND hDlg) {
            EXPECT_EQ(WindowText(hDlg), L"About Tarnwick");
            EXPECT_EQ(::GetWindow(hDlg, GW_OWNER), hFrame);
            EXPECT_FALSE(::IsWindowEnabled(hFrame));
            std::vector<std::wstring> texts = ChildTexts(hDlg);
            EXPECT_NE(std::find(texts.begin(), texts.end(), L"Version 2.6.1.0"), texts.end());
            EXPECT_NE(::SendMessageW(::GetWindow(hDlg, GW_CHILD), STM_GETICON, 0, 0), 0) << "the application icon";
        }),
        Script::Click(IDOK),
    });
    ::PostMessageW(hFrame, WM_COMMAND, ID_APP_ABOUT, 0);
    EXPECT_TRUE(PumpUntil([&] { return script.Finished() && !Script::FindDialog(); }, 15000));
    EXPECT_TRUE(::IsWindowEnabled(hFrame));
    EXPECT_EQ(::GetActiveWindow(), hFrame);
    theApp.m_pMainWnd = pSavedMain;
    ::DestroyWindow(hFrame);
    hiddenMain.DestroyWindow();
}

TEST(AboutDlgTest, ToolButtonsStartTheirProgramsAndTheBoxStaysOpen)
{
    struct Case {
        int nButton;
        const wchar_t* pszExe;
    };
    const Case cases[] = {{IDC_RUN_CMD, L"cmd.exe"}, {IDC_RUN_REGEDIT, L"regedit.exe"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "button " << c.nButton);
        std::set<DWORD> before = ProcessesNamed(c.pszExe);
        std::set<DWORD> started;
        CAboutDlg dlg;
        Script script({
            Script::Click(c.nButton),
            [&](HWND) {
                for (DWORD id : ProcessesNamed(c.pszExe)) {
                    if (!before.count(id)) started.insert(id);
                }
                return !started.empty();
            },
            Script::Check([&](HWND hDlg) {
                EXPECT_TRUE(::IsWindowVisible(hDlg)) << "the box stays open";
                for (DWORD id : started) Terminate(id);
            }),
            Script::Click(IDOK),
        });
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(started.size(), 1u);
    }
}

}  // namespace
