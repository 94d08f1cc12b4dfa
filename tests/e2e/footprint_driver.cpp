// footprint_driver <program.exe> [args...]
// Starts the program and drives its windows for scripts/bench/footprint.sh, one
// command a line from standard input:
//   open <n>    until the program has n visible top-level windows, each new one
//               opened with the New Window command (Ctrl+N) of its first window
//   close <n>   closes windows other than the first until n remain
//   count       closes and opens nothing
//   quit        closes every window and waits for the program to end
// Each command is answered with one line, "ok windows=<n> handles=<n>" (the
// handle count the system reports for the process, 0 where it reports none),
// or "error <reason>"; the first line, once the first window shows, answers the start.
#include <windows.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr UINT kNewWindowCommand = 32772;  // the program's New Window (Ctrl+N)
constexpr DWORD kStepTimeoutMs = 20000;

const wchar_t* SkipArgument(const wchar_t* p)
{
    while (*p == L' ' || *p == L'\t') ++p;
    bool bQuoted = false;
    for (; *p && (bQuoted || (*p != L' ' && *p != L'\t')); ++p) {
        if (*p == L'"') bQuoted = !bQuoted;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return p;
}

struct Search {
    DWORD dwProcessId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectVisibleWindow(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<Search*>(lParam);
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (dwProcessId == pSearch->dwProcessId && ::IsWindowVisible(hWnd)) pSearch->windows.push_back(hWnd);
    return TRUE;
}

class CDriver {
public:
    explicit CDriver(const PROCESS_INFORMATION& pi) : m_pi(pi) {}

    std::vector<HWND> Windows() const
    {
        Search search{m_pi.dwProcessId, {}};
        ::EnumWindows(&CollectVisibleWindow, reinterpret_cast<LPARAM>(&search));
        return search.windows;
    }

    bool WaitForCount(size_t nWanted) const
    {
        for (DWORD dwStart = ::GetTickCount(); ::GetTickCount() - dwStart < kStepTimeoutMs;) {
            if (Windows().size() == nWanted) return true;
            if (::WaitForSingleObject(m_pi.hProcess, 10) == WAIT_OBJECT_0) return false;
        }
        return false;
    }

    bool Start()
    {
        if (!WaitForCount(1)) return false;
        m_hFirst = Windows().front();
        return true;
    }

    bool Open(size_t nWanted)
    {
        for (size_t nHave = Windows().size(); nHave < nWanted; ++nHave) {
            ::PostMessageW(m_hFirst, WM_COMMAND, kNewWindowCommand, 0);
            if (!WaitForCount(nHave + 1)) return false;
        }
        return true;
    }

    // The first window stays, so every round starts from the same one.
    bool Close(size_t nWanted)
    {
        std::vector<HWND> windows = Windows();
        size_t nToClose = windows.size() > nWanted ? windows.size() - nWanted : 0;
        for (HWND hWnd : windows) {
            if (nToClose == 0) break;
            if (hWnd == m_hFirst) continue;
            ::PostMessageW(hWnd, WM_CLOSE, 0, 0);
            --nToClose;
        }
        return WaitForCount(nWanted);
    }

    bool Quit()
    {
        for (HWND hWnd : Windows()) ::PostMessageW(hWnd, WM_CLOSE, 0, 0);
        return ::WaitForSingleObject(m_pi.hProcess, kStepTimeoutMs) == WAIT_OBJECT_0;
    }

    ULONG HandleCount() const
    {
        using QueryFn = NTSTATUS(NTAPI*)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);
        auto pfnQuery = reinterpret_cast<QueryFn>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
        if (!pfnQuery) return 0;
        std::vector<BYTE> buffer(1 << 20);
        ULONG cbNeeded = 0;
        if (pfnQuery(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &cbNeeded) < 0) {
            return 0;
        }
        for (size_t offset = 0;;) {
            auto* pInfo = reinterpret_cast<SYSTEM_PROCESS_INFORMATION*>(buffer.data() + offset);
            if (reinterpret_cast<ULONG_PTR>(pInfo->UniqueProcessId) == m_pi.dwProcessId) return pInfo->HandleCount;
            if (!pInfo->NextEntryOffset) return 0;
            offset += pInfo->NextEntryOffset;
        }
    }

    void Answer(bool bOk, const char* pszReason) const
    {
        if (bOk) {
            std::printf("ok windows=%u handles=%lu\n", static_cast<unsigned>(Windows().size()), HandleCount());
        } else {
            std::printf("error %s\n", pszReason);
        }
        std::fflush(stdout);
    }

private:
    PROCESS_INFORMATION m_pi;
    HWND m_hFirst = nullptr;
};

}  // namespace

int main()
{
    std::wstring commandLine = SkipArgument(::GetCommandLineW());
    if (commandLine.empty()) {
        std::fprintf(stderr, "usage: footprint_driver <program.exe> [args...]\n");
        return 2;
    }
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::printf("error CreateProcess failed (%lu)\n", ::GetLastError());
        return 1;
    }
    ::CloseHandle(pi.hThread);
    CDriver driver(pi);
    driver.Answer(driver.Start(), "no first window");

    char szLine[256];
    int nExit = 0;
    while (std::fgets(szLine, sizeof(szLine), stdin)) {
        char szCommand[32] = {};
        unsigned nCount = 0;
        int nFields = std::sscanf(szLine, "%31s %u", szCommand, &nCount);
        if (nFields >= 1 && std::strcmp(szCommand, "quit") == 0) {
            driver.Answer(driver.Quit(), "the program did not end");
            break;
        }
        if (nFields >= 1 && std::strcmp(szCommand, "count") == 0) {
            driver.Answer(true, "");
        } else if (nFields == 2 && std::strcmp(szCommand, "open") == 0) {
            driver.Answer(driver.Open(nCount), "a window did not open");
        } else if (nFields == 2 && std::strcmp(szCommand, "close") == 0) {
            driver.Answer(driver.Close(nCount), "the windows did not close");
        } else {
            driver.Answer(false, "unknown command");
            nExit = 2;
        }
    }
    if (::WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) ::TerminateProcess(pi.hProcess, 1);
    ::CloseHandle(pi.hProcess);
    return nExit;
}
