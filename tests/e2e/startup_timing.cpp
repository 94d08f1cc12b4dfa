// startup_timing [--exit] <runs> <program.exe> [args...]
// startup_timing --compare <runs> <program-a.exe> <program-b.exe>
// Times process start to the first visible top-level window (or, with --exit,
// to the process's end), after one untimed warm-up run; prints each run and the median.
// --compare starts two programs alternately (one warm-up each, then a, b, a, b...),
// so both meet the same machine load, and prints both medians and their ratio a / b.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr DWORD kWindowTimeoutMs = 30000;
constexpr DWORD kCloseTimeoutMs = 10000;

// Skips one argument by the usual quoting rules, so the child's part of our
// command line can be passed on exactly as it was given.
const wchar_t* SkipArgument(const wchar_t* p, std::wstring* pArgument)
{
    while (*p == L' ' || *p == L'\t') ++p;
    bool bQuoted = false;
    for (; *p && (bQuoted || (*p != L' ' && *p != L'\t')); ++p) {
        if (*p == L'"')
            bQuoted = !bQuoted;
        else if (pArgument)
            pArgument->push_back(*p);
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return p;
}

struct Search {
    DWORD dwProcessId;
    HWND hWnd;
};

BOOL CALLBACK CountChild(HWND, LPARAM lParam)
{
    ++*reinterpret_cast<int*>(lParam);
    return TRUE;
}

BOOL CALLBACK FindVisibleWindow(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<Search*>(lParam);
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (dwProcessId != pSearch->dwProcessId || !::IsWindowVisible(hWnd)) return TRUE;
    pSearch->hWnd = hWnd;
    return FALSE;
}

double Milliseconds(LARGE_INTEGER start, LARGE_INTEGER end, LARGE_INTEGER frequency)
{
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// One start; returns the elapsed ms, or a negative value on failure. *pnChildren gets
// how many windows the first visible window held when it was seen: a window shown
// before its contents exist would count few.
double RunOnce(const std::wstring& commandLine, bool bUntilExit, int* pnChildren = nullptr)
{
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    std::wstring buffer = commandLine;  // CreateProcessW may write to it
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    ::QueryPerformanceCounter(&start);
    if (!::CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::fprintf(stderr, "CreateProcess failed: error %lu\n", ::GetLastError());
        return -1;
    }
    ::CloseHandle(pi.hThread);

    double ms = -1;
    HWND hWnd = nullptr;
    if (bUntilExit) {
        if (::WaitForSingleObject(pi.hProcess, kWindowTimeoutMs) == WAIT_OBJECT_0) {
            ::QueryPerformanceCounter(&end);
            ms = Milliseconds(start, end, frequency);
        } else {
            std::fprintf(stderr, "no exit within %lu ms\n", kWindowTimeoutMs);
        }
    } else {
        // The 1 ms wait is the polling interval and notices an early exit too.
        while (::WaitForSingleObject(pi.hProcess, 1) == WAIT_TIMEOUT) {
            Search search{pi.dwProcessId, nullptr};
            ::EnumWindows(&FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
            ::QueryPerformanceCounter(&end);
            if (search.hWnd) {
                hWnd = search.hWnd;
                ms = Milliseconds(start, end, frequency);
                if (pnChildren) {
                    *pnChildren = 0;
                    ::EnumChildWindows(hWnd, &CountChild, reinterpret_cast<LPARAM>(pnChildren));
                }
                break;
            }
            if (Milliseconds(start, end, frequency) > kWindowTimeoutMs) {
                std::fprintf(stderr, "no visible window within %lu ms\n", kWindowTimeoutMs);
                break;
            }
        }
        if (!hWnd && ::WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0)
            std::fprintf(stderr, "the program exited before showing a window\n");
    }

    if (hWnd) ::PostMessageW(hWnd, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(pi.hProcess, hWnd ? kCloseTimeoutMs : 0) != WAIT_OBJECT_0) {
        if (hWnd) std::fprintf(stderr, "the program did not close; terminating it\n");
        ::TerminateProcess(pi.hProcess, 1);
        ::WaitForSingleObject(pi.hProcess, 5000);
    }
    ::CloseHandle(pi.hProcess);
    return ms;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: startup_timing [--exit] <runs> <program.exe> [args...]\n"
                 "       startup_timing --compare <runs> <program-a.exe> <program-b.exe>\n");
    return 2;
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    const size_t n = times.size();
    return n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
}

std::wstring Quoted(const std::wstring& path)
{
    return L"\"" + path + L"\"";
}

int Compare(int nRuns, const std::wstring& programA, const std::wstring& programB)
{
    const std::wstring commands[2] = {Quoted(programA), Quoted(programB)};
    for (const auto& command : commands) {
        if (RunOnce(command, false) < 0) {
            std::fprintf(stderr, "warm-up run of %ls failed\n", command.c_str());
            return 1;
        }
    }
    std::vector<double> times[2];
    for (int i = 1; i <= nRuns; ++i) {
        for (int k = 0; k < 2; ++k) {
            int nChildren = 0;
            const double ms = RunOnce(commands[k], false, &nChildren);
            if (ms < 0) {
                std::fprintf(stderr, "run %d of %ls failed\n", i, commands[k].c_str());
                return 1;
            }
            std::printf("%c run %d: %.1f ms (%d child windows)\n", k ? 'b' : 'a', i, ms, nChildren);
            std::fflush(stdout);
            times[k].push_back(ms);
        }
    }
    const double medianA = Median(times[0]);
    const double medianB = Median(times[1]);
    std::printf("a_median_ms=%.1f\nb_median_ms=%.1f\nratio=%.2f\n", medianA, medianB, medianA / medianB);
    return 0;
}

}  // namespace

int main()
{
    std::wstring argument;
    const wchar_t* p = SkipArgument(::GetCommandLineW(), nullptr);
    p = SkipArgument(p, &argument);
    if (argument == L"--compare") {
        argument.clear();
        p = SkipArgument(p, &argument);
        const int nRuns = static_cast<int>(std::wcstol(argument.c_str(), nullptr, 10));
        std::wstring programA, programB;
        p = SkipArgument(p, &programA);
        p = SkipArgument(p, &programB);
        if (nRuns < 1 || programA.empty() || programB.empty() || *p) return Usage();
        return Compare(nRuns, programA, programB);
    }
    bool bUntilExit = false;
    if (argument == L"--exit") {
        bUntilExit = true;
        argument.clear();
        p = SkipArgument(p, &argument);
    }
    const int nRuns = static_cast<int>(std::wcstol(argument.c_str(), nullptr, 10));
    if (nRuns < 1 || !*p) return Usage();
    const std::wstring commandLine = p;

    if (RunOnce(commandLine, bUntilExit) < 0) {
        std::fprintf(stderr, "warm-up run failed\n");
        return 1;
    }
    std::vector<double> times;
    for (int i = 1; i <= nRuns; ++i) {
        const double ms = RunOnce(commandLine, bUntilExit);
        if (ms < 0) {
            std::fprintf(stderr, "run %d failed\n", i);
            return 1;
        }
        std::printf("run %d: %.1f ms\n", i, ms);
        std::fflush(stdout);
        times.push_back(ms);
    }
    std::printf("median_ms=%.1f\n", Median(times));
    return 0;
}
