// startup_timing [--exit] <runs> <program.exe> [args...]
// startup_timing --compare <runs> <program-a.exe> <program-b.exe>
// startup_timing --requests <runs> <program-a.exe> <program-b.exe>
// Times process start to the first visible top-level window (or, with --exit,
// to the process's end), after one untimed warm-up run; prints each run and the median.
// --compare starts two programs alternately (one warm-up each, then a, b, a, b...),
// so both meet the same machine load, and prints both medians and their ratio a / b.
// --requests does the same with a loopback URL on both command lines and times, in
// each run, the first visible window and the first request line reaching a listener
// of its own on 127.0.0.1, which answers every request with a small page.
#include <winsock2.h>
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
                 "       startup_timing --compare <runs> <program-a.exe> <program-b.exe>\n"
                 "       startup_timing --requests <runs> <program-a.exe> <program-b.exe>\n");
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

// A listener on 127.0.0.1 that remembers when the first request line of a run arrived.
class CRequestListener {
public:
    ~CRequestListener()
    {
        DropClients();
        if (m_listener != INVALID_SOCKET) ::closesocket(m_listener);
        if (m_bStarted) ::WSACleanup();
    }

    bool Start()
    {
        WSADATA data;
        if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
        m_bStarted = true;
        m_listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (m_listener == INVALID_SOCKET) return false;
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int nLength = sizeof(address);
        if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(m_listener, SOMAXCONN) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &nLength) != 0) {
            return false;
        }
        m_nPort = ntohs(address.sin_port);
        return true;
    }

    unsigned short Port() const { return m_nPort; }

    // Waits up to nWaitMs for traffic; true once a complete request line has arrived
    // in this run. What a connection sends after its request line is answered as a page.
    bool Poll(DWORD nWaitMs)
    {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(m_listener, &readable);
        for (const auto& client : m_clients) FD_SET(client.socket, &readable);
        timeval timeout{0, static_cast<long>(nWaitMs) * 1000};
        if (::select(0, &readable, nullptr, nullptr, &timeout) > 0) {
            if (FD_ISSET(m_listener, &readable)) {
                SOCKET client = ::accept(m_listener, nullptr, nullptr);
                if (client != INVALID_SOCKET) m_clients.push_back(Client{client, std::string(), false});
            }
            for (auto& client : m_clients) {
                if (client.bAnswered || !FD_ISSET(client.socket, &readable)) continue;
                char buffer[4096];
                const int nRead = ::recv(client.socket, buffer, sizeof(buffer), 0);
                if (nRead <= 0) {
                    client.bAnswered = true;
                    continue;
                }
                client.received.append(buffer, static_cast<size_t>(nRead));
                if (client.received.find('\n') != std::string::npos) m_bRequestSeen = true;
                if (client.received.find("\r\n\r\n") != std::string::npos) Answer(client);
            }
        }
        return m_bRequestSeen;
    }

    // Forgets the run: closes its connections and any a finished process left queued.
    void EndRun()
    {
        DropClients();
        for (;;) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(m_listener, &readable);
            timeval none{0, 0};
            if (::select(0, &readable, nullptr, nullptr, &none) <= 0) break;
            SOCKET client = ::accept(m_listener, nullptr, nullptr);
            if (client == INVALID_SOCKET) break;
            ::closesocket(client);
        }
        m_bRequestSeen = false;
    }

private:
    struct Client {
        SOCKET socket;
        std::string received;
        bool bAnswered;
    };

    static void Answer(Client& client)
    {
        static const char kPage[] = "<html><head><title>start</title></head><body>start</body></html>";
        const std::string response = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                                     std::to_string(sizeof(kPage) - 1) + "\r\nConnection: close\r\n\r\n" + kPage;
        ::send(client.socket, response.data(), static_cast<int>(response.size()), 0);
        ::shutdown(client.socket, SD_SEND);
        client.bAnswered = true;
    }

    void DropClients()
    {
        for (const auto& client : m_clients) ::closesocket(client.socket);
        m_clients.clear();
    }

    bool m_bStarted = false;
    SOCKET m_listener = INVALID_SOCKET;
    unsigned short m_nPort = 0;
    std::vector<Client> m_clients;
    bool m_bRequestSeen = false;
};

struct RequestRun {
    double windowMs = -1;
    double requestMs = -1;
    int nChildren = 0;
};

// One start with the URL on the command line: times the first visible window and the
// first request line, whichever comes first, then closes the program.
bool RunUntilRequest(const std::wstring& commandLine, CRequestListener& listener, RequestRun* pRun)
{
    LARGE_INTEGER frequency, start, now;
    ::QueryPerformanceFrequency(&frequency);
    std::wstring buffer = commandLine;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    ::QueryPerformanceCounter(&start);
    if (!::CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::fprintf(stderr, "CreateProcess failed: error %lu\n", ::GetLastError());
        return false;
    }
    ::CloseHandle(pi.hThread);

    HWND hWnd = nullptr;
    bool bExited = false;
    for (;;) {
        // The 1 ms wait on the listener is the polling interval of both figures.
        const bool bRequest = listener.Poll(1);
        ::QueryPerformanceCounter(&now);
        const double ms = Milliseconds(start, now, frequency);
        if (bRequest && pRun->requestMs < 0) pRun->requestMs = ms;
        if (!hWnd) {
            Search search{pi.dwProcessId, nullptr};
            ::EnumWindows(&FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
            if (search.hWnd) {
                hWnd = search.hWnd;
                pRun->windowMs = ms;
                ::EnumChildWindows(hWnd, &CountChild, reinterpret_cast<LPARAM>(&pRun->nChildren));
            }
        }
        if (hWnd && pRun->requestMs >= 0) break;
        if (::WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) {
            bExited = true;
            std::fprintf(stderr, "the program exited before %s\n", hWnd ? "its first request" : "showing a window");
            break;
        }
        if (ms > kWindowTimeoutMs) {
            std::fprintf(stderr, "no %s within %lu ms\n", hWnd ? "request" : "visible window", kWindowTimeoutMs);
            break;
        }
    }

    // Let the page be answered before closing, as a user's first page would be.
    for (int i = 0; i < 50 && !bExited; ++i) listener.Poll(1);
    if (hWnd) ::PostMessageW(hWnd, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(pi.hProcess, hWnd ? kCloseTimeoutMs : 0) != WAIT_OBJECT_0) {
        if (hWnd) std::fprintf(stderr, "the program did not close; terminating it\n");
        ::TerminateProcess(pi.hProcess, 1);
        ::WaitForSingleObject(pi.hProcess, 5000);
    }
    ::CloseHandle(pi.hProcess);
    listener.EndRun();
    return pRun->windowMs >= 0 && pRun->requestMs >= 0;
}

int CompareRequests(int nRuns, const std::wstring& programA, const std::wstring& programB)
{
    CRequestListener listener;
    if (!listener.Start()) {
        std::fprintf(stderr, "no listener on 127.0.0.1: error %d\n", ::WSAGetLastError());
        return 1;
    }
    const std::wstring url = L"http://127.0.0.1:" + std::to_wstring(listener.Port()) + L"/start.html";
    std::printf("url=%ls\n", url.c_str());
    const std::wstring commands[2] = {Quoted(programA) + L" " + url, Quoted(programB) + L" " + url};
    for (const auto& command : commands) {
        RequestRun run;
        if (!RunUntilRequest(command, listener, &run)) {
            std::fprintf(stderr, "warm-up run of %ls failed\n", command.c_str());
            return 1;
        }
    }
    std::vector<double> windows[2], requests[2], gaps[2];
    for (int i = 1; i <= nRuns; ++i) {
        for (int k = 0; k < 2; ++k) {
            RequestRun run;
            if (!RunUntilRequest(commands[k], listener, &run)) {
                std::fprintf(stderr, "run %d of %ls failed\n", i, commands[k].c_str());
                return 1;
            }
            std::printf("%c run %d: window %.1f ms (%d child windows), request %.1f ms\n", k ? 'b' : 'a', i,
                        run.windowMs, run.nChildren, run.requestMs);
            std::fflush(stdout);
            windows[k].push_back(run.windowMs);
            requests[k].push_back(run.requestMs);
            gaps[k].push_back(run.requestMs - run.windowMs);
        }
    }
    const double windowA = Median(windows[0]), windowB = Median(windows[1]);
    const double requestA = Median(requests[0]), requestB = Median(requests[1]);
    std::printf("a_window_median_ms=%.1f\nb_window_median_ms=%.1f\nwindow_ratio=%.2f\n", windowA, windowB,
                windowA / windowB);
    std::printf("a_request_median_ms=%.1f\nb_request_median_ms=%.1f\nrequest_ratio=%.2f\n", requestA, requestB,
                requestA / requestB);
    // Within one run both figures meet the same load: the gap is steadier than either.
    std::printf("a_gap_median_ms=%.1f\nb_gap_median_ms=%.1f\n", Median(gaps[0]), Median(gaps[1]));
    return 0;
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
    if (argument == L"--compare" || argument == L"--requests") {
        const bool bRequests = argument == L"--requests";
        argument.clear();
        p = SkipArgument(p, &argument);
        const int nRuns = static_cast<int>(std::wcstol(argument.c_str(), nullptr, 10));
        std::wstring programA, programB;
        p = SkipArgument(p, &programA);
        p = SkipArgument(p, &programB);
        if (nRuns < 1 || programA.empty() || programB.empty() || *p) return Usage();
        return bRequests ? CompareRequests(nRuns, programA, programB) : Compare(nRuns, programA, programB);
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
