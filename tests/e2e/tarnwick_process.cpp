#include "tarnwick_process.h"

#include <cstdlib>

namespace {

constexpr int kViewId = 0xE900;

struct EnumState {
    DWORD dwProcessId;
    bool bVisible;
    std::vector<HWND>* pWindows;
};

BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam)
{
    auto* pState = reinterpret_cast<EnumState*>(lParam);
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (dwProcessId == pState->dwProcessId && (::IsWindowVisible(hWnd) != FALSE) == pState->bVisible &&
        ::GetDlgItem(hWnd, kViewId)) {
        pState->pWindows->push_back(hWnd);
    }
    return TRUE;
}

}  // namespace

std::wstring TarnwickProcess::ProgramPath()
{
    const wchar_t* pszPath = ::_wgetenv(L"TARNWICK_EXE");
    std::wstring path = pszPath ? pszPath : L"Tarnwick.exe";
    for (wchar_t& ch : path) {
        if (ch == L'/') ch = L'\\';
    }
    return path;
}

TarnwickProcess::TarnwickProcess(const std::wstring& arguments)
{
    std::wstring commandLine = L"\"" + ProgramPath() + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi)) {
        m_pi = {};
    }
}

TarnwickProcess::~TarnwickProcess()
{
    if (!m_pi.hProcess) return;
    if (IsRunning()) {
        ::TerminateProcess(m_pi.hProcess, 99);
        ::WaitForSingleObject(m_pi.hProcess, 5000);
    }
    ::CloseHandle(m_pi.hThread);
    ::CloseHandle(m_pi.hProcess);
}

std::vector<HWND> TarnwickProcess::TopLevelWindows(bool bVisible) const
{
    std::vector<HWND> windows;
    EnumState state{m_pi.dwProcessId, bVisible, &windows};
    ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&state));
    return windows;
}

std::vector<HWND> TarnwickProcess::BrowserWindows() const
{
    return TopLevelWindows(true);
}

HWND TarnwickProcess::WindowManager() const
{
    std::vector<HWND> hidden = TopLevelWindows(false);
    return hidden.size() == 1 ? hidden[0] : nullptr;
}

bool TarnwickProcess::WaitFor(const std::function<bool()>& pred, DWORD dwTimeoutMs)
{
    DWORD dwStart = ::GetTickCount();
    while (!pred()) {
        if (::GetTickCount() - dwStart > dwTimeoutMs) return false;
        ::Sleep(20);
    }
    return true;
}

bool TarnwickProcess::WaitForBrowserWindows(size_t nCount, DWORD dwTimeoutMs) const
{
    return WaitFor([&] { return BrowserWindows().size() == nCount; }, dwTimeoutMs);
}

long TarnwickProcess::WaitForExit(DWORD dwTimeoutMs) const
{
    if (::WaitForSingleObject(m_pi.hProcess, dwTimeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD dwCode = 0;
    ::GetExitCodeProcess(m_pi.hProcess, &dwCode);
    return static_cast<long>(dwCode);
}
