#include <gtest/gtest.h>

#include "app/about_dlg.h"
#include "app/tarnwick_app.h"
#include "res/resource.h"
#include "support/dialog_script.h"
#include "support/message_box_answerer.h"
#include "support/message_pump.h"
#include "support/planted_files.h"

#include <tlhelp32.h>

#include <memory>
#include <set>
#include <vector>

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
    // Without a console of its own here, the command prompt gets a new one, ended below with it: sharing
    // this process's console, it could leave that console's server running, holding this test's output open.
    ::FreeConsole();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "button " << c.nButton);
        CStartedProcesses startedImages(c.pszExe);
        std::set<DWORD> before = ProcessesNamed(c.pszExe);
        // The command prompt's console server, started with it, goes with it.
        const std::set<DWORD> consolesBefore = ProcessesNamed(L"conhost.exe");
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
                // The system's own program, from its folder.
                const std::wstring expected = c.nButton == IDC_RUN_CMD ? SystemFolderFile(c.pszExe)
                                                                       : WindowsFolderFile(c.pszExe);
                for (const std::wstring& image : startedImages.ImagePaths()) {
                    EXPECT_PRED2(SamePath, image, expected);
                }
                for (DWORD id : started) Terminate(id);
                for (DWORD id : ProcessesNamed(L"conhost.exe")) {
                    if (!consolesBefore.count(id)) Terminate(id);
                }
            }),
            Script::Click(IDOK),
        });
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(started.size(), 1u);
    }
}

// The box's handlers, as its buttons call them.
class CAboutButtons : public CAboutDlg {
public:
    using CAboutDlg::OnRunCmd;
    using CAboutDlg::OnRunRegedit;
};

// Copies of the tools planted in the working directory and beside the program are never started: with the
// system's copies there the system's start, and without them nothing does (the shell reports the missing
// file in a box of its own, answered here).
TEST(AboutDlgTest, ToolButtonsNeverStartAPlantedCopy)
{
    struct Case {
        const char* name;
        void (CAboutButtons::*pfnButton)();
        const wchar_t* pszExe;
        std::wstring systemCopy;
    };
    const Case cases[] = {
        {"cmd.exe", &CAboutButtons::OnRunCmd, L"cmd.exe", SystemFolderFile(L"cmd.exe")},
        {"Regedit.exe", &CAboutButtons::OnRunRegedit, L"regedit.exe", WindowsFolderFile(L"regedit.exe")},
    };
    CScratchFolder workFolder;
    CScopedWorkingDirectory working(workFolder.Path());
    for (const Case& c : cases) {
        const std::vector<std::wstring> planted = {workFolder.PathOf(c.pszExe), TestFilePath(c.pszExe)};
        for (const std::wstring& path : planted) ASSERT_TRUE(PlantProgram(path)) << testing::PrintToString(path);
        for (bool bSystemCopy : {true, false}) {
            SCOPED_TRACE(testing::Message() << c.name << (bSystemCopy ? ", system copy present" : ", no system copy"));
            std::unique_ptr<CScopedSystemFile> hidden;
            if (!bSystemCopy) {
                hidden = std::make_unique<CScopedSystemFile>(c.systemCopy, L"");
                ASSERT_TRUE(hidden->ok());
            }
            CStartedProcesses started(c.pszExe);
            {
                ScopedMessageBoxAnswerer answerer(IDOK);
                CAboutButtons buttons;
                (buttons.*c.pfnButton)();
            }
            std::vector<std::wstring> images = started.ImagePaths();
            if (bSystemCopy) {
            EXPECT_EQ(images.size(), 1u);
        }
            for (const std::wstring& image : images) EXPECT_PRED2(SamePath, image, c.systemCopy);
        }
        for (const std::wstring& path : planted) {
            EXPECT_FALSE(PlantedCopyRan(path)) << testing::PrintToString(path);
            ::DeleteFileW(path.c_str());
            ::DeleteFileW((path + L".ran").c_str());
        }
    }
}

}  // namespace
