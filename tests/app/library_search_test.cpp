#include <gtest/gtest.h>

#include "app/tarnwick_app.h"
#include "support/message_pump.h"
#include "support/planted_files.h"

#include <string>
#include <vector>

namespace {

// After start-up, a library loaded by name (by the program or by the hosted control) comes from the
// program's folder or the system's, never from the working directory or PATH.
TEST(LibrarySearchTest, AfterStartUpNoLibraryIsLoadedFromTheWorkingDirectoryOrPath)
{
    CScratchFolder workFolder, pathFolder;
    const std::vector<std::wstring> planted = {workFolder.PathOf(L"tw-planted-probe.dll"),
                                               pathFolder.PathOf(L"tw-planted-probe.dll")};
    for (const std::wstring& path : planted) ASSERT_TRUE(PlantLibrary(path));
    CScopedWorkingDirectory working(workFolder.Path());
    CScopedPathEntry onPath(pathFolder.Path());

    wchar_t szCmdLine[1] = {};
    theApp.SetCurrentHandles(::GetModuleHandleW(nullptr), szCmdLine);
    ASSERT_TRUE(theApp.InitInstance());

    HMODULE hModule = ::LoadLibraryW(L"tw-planted-probe.dll");
    EXPECT_EQ(hModule, nullptr);
    if (hModule) ::FreeLibrary(hModule);
    for (const std::wstring& path : planted) EXPECT_FALSE(PlantedCopyRan(path)) << testing::PrintToString(path);
    // What the program itself loads later by name still loads.
    HMODULE hDialogs = ::LoadLibraryW(L"comdlg32.dll");
    EXPECT_NE(hDialogs, nullptr);
    if (hDialogs) ::FreeLibrary(hDialogs);

    theApp.OnAppExit();
    bool bQuit = false;
    PumpUntil([] { return false; }, 3000, &bQuit);
    EXPECT_TRUE(bQuit);
}

}  // namespace
