#include <gtest/gtest.h>

#include "app/tarnwick_app.h"
#include "e2e/tarnwick_process.h"

#include <shellapi.h>
#include <shlobj.h>

#include <string>

namespace {

constexpr const wchar_t* kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnwick";

std::wstring FromEnvironment(const wchar_t* pszName)
{
    const wchar_t* pszValue = ::_wgetenv(pszName);
    std::wstring value = pszValue ? pszValue : L"";
    for (wchar_t& ch : value) {
        if (ch == L'/') ch = L'\\';
    }
    return value;
}

std::wstring KnownFolder(int csidl)
{
    wchar_t szPath[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, szPath);
    return szPath;
}

bool Exists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool UninstallEntryExists()
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | KEY_WOW64_64KEY, &hKey) != ERROR_SUCCESS) {
        return false;
    }
    ::RegCloseKey(hKey);
    return true;
}

std::wstring UninstallValue(const wchar_t* pszName)
{
    wchar_t szValue[MAX_PATH] = {};
    DWORD cb = sizeof(szValue);
    ::RegGetValueW(HKEY_LOCAL_MACHINE, kUninstallKey, pszName, RRF_RT_REG_SZ | 0x00010000 /* RRF_SUBKEY_WOW6464KEY */, nullptr,
                   szValue, &cb);
    return szValue;
}

DWORD CompatValue()
{
    DWORD dwValue = 0;
    DWORD cb = sizeof(dwValue);
    if (::RegGetValueW(HKEY_CURRENT_USER, kCompatModeKey, L"Tarnwick.exe", RRF_RT_REG_DWORD, nullptr, &dwValue, &cb) !=
        ERROR_SUCCESS) {
        return 0xFFFFFFFF;
    }
    return dwValue;
}

// Runs a program to its end through the shell, which also starts those that ask for
// administrator rights; returns its exit code, or -1.
long RunToEnd(const std::wstring& program, const wchar_t* pszParameters, DWORD dwTimeoutMs = 60000)
{
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = program.c_str();
    info.lpParameters = pszParameters;
    info.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&info) || !info.hProcess) return -1;
    DWORD dwExit = static_cast<DWORD>(-1);
    if (::WaitForSingleObject(info.hProcess, dwTimeoutMs) == WAIT_OBJECT_0) ::GetExitCodeProcess(info.hProcess, &dwExit);
    ::CloseHandle(info.hProcess);
    return static_cast<long>(dwExit);
}

TEST(InstallerTest, SilentInstallStartsTheProgramAndSilentUninstallLeavesNothingBehind)
{
    std::wstring setup = FromEnvironment(L"TARNWICK_SETUP");
    ASSERT_TRUE(Exists(setup)) << "TARNWICK_SETUP";
    std::wstring installDir = KnownFolder(CSIDL_PROGRAM_FILES) + L"\\Tarnwick";
    std::wstring program = installDir + L"\\Tarnwick.exe";
    std::wstring shortcut = KnownFolder(CSIDL_COMMON_PROGRAMS) + L"\\Tarnwick.lnk";
    // The uninstaller runs from a copy of itself and returns at once; the copy does the work, the
    // uninstall entry last, so a failed uninstall can be run again.
    auto uninstalled = [&] { return !Exists(installDir) && !Exists(shortcut) && !UninstallEntryExists(); };
    if (Exists(installDir + L"\\Uninstall.exe")) {  // left over by an interrupted run
        RunToEnd(installDir + L"\\Uninstall.exe", L"/S");
        TarnwickProcess::WaitFor(uninstalled, 30000);
    }
    ASSERT_FALSE(Exists(installDir));

    // The user's compatibility setting is theirs: the installer neither writes nor removes it.
    DWORD dwCompat = kCompatModeOn;
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kCompatModeKey, L"Tarnwick.exe", REG_DWORD, &dwCompat,
                                sizeof(dwCompat)),
              ERROR_SUCCESS);

    ASSERT_EQ(RunToEnd(setup, L"/S"), 0);
    EXPECT_TRUE(Exists(program));
    EXPECT_TRUE(Exists(installDir + L"\\Uninstall.exe"));
    EXPECT_TRUE(Exists(shortcut));
    ASSERT_TRUE(UninstallEntryExists());
    EXPECT_EQ(UninstallValue(L"DisplayName"), L"Tarnwick");
    EXPECT_EQ(UninstallValue(L"DisplayVersion"), L"2.6.1.0");
    EXPECT_EQ(UninstallValue(L"UninstallString"), L"\"" + installDir + L"\\Uninstall.exe\"");
    EXPECT_EQ(CompatValue(), kCompatModeOn);

    {
        TarnwickProcess installed(L"about:blank /normal", program);
        ASSERT_TRUE(installed.WaitForBrowserWindows(1));
        ::PostMessageW(installed.BrowserWindows()[0], WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(installed.WaitForExit(), 0);
    }

    EXPECT_EQ(RunToEnd(installDir + L"\\Uninstall.exe", L"/S"), 0);
    TarnwickProcess::WaitFor(uninstalled, 30000);
    EXPECT_FALSE(Exists(installDir));
    EXPECT_FALSE(Exists(shortcut));
    EXPECT_FALSE(UninstallEntryExists());
    EXPECT_EQ(CompatValue(), kCompatModeOn);
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kCompatModeKey, L"Tarnwick.exe");
}

}  // namespace
