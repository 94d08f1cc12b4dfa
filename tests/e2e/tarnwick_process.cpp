#include "tarnwick_process.h"

#include <commctrl.h>
#include <cstdlib>

namespace {

constexpr int kViewId = 0xE900;
constexpr int kReBarId = 0xE804;

struct EnumState {
    DWORD dwProcessId;
    bool bVisible;
    std::vector<HWND>* pWindows;
};

bool IsOfProcess(HWND hWnd, const EnumState& state)
{
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcessId);
    return dwProcessId == state.dwProcessId && (::IsWindowVisible(hWnd) != FALSE) == state.bVisible;
}

BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam)
{
    auto* pState = reinterpret_cast<EnumState*>(lParam);
    if (IsOfProcess(hWnd, *pState) && ::GetDlgItem(hWnd, kViewId)) pState->pWindows->push_back(hWnd);
    return TRUE;
}

BOOL CALLBACK CollectDialog(HWND hWnd, LPARAM lParam)
{
    auto* pState = reinterpret_cast<EnumState*>(lParam);
    wchar_t szClass[16] = {};
    ::GetClassNameW(hWnd, szClass, 16);
    if (IsOfProcess(hWnd, *pState) && std::wstring(szClass) == L"#32770") pState->pWindows->push_back(hWnd);
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

TarnwickProcess::TarnwickProcess(const std::wstring& arguments, const std::wstring& programPath)
{
    std::wstring commandLine = L"\"" + programPath + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    wchar_t szTempDir[MAX_PATH] = {};
    wchar_t szTempFile[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, szTempDir);
    ::GetTempFileNameW(szTempDir, L"twe", 0, szTempFile);
    m_strErrorFile = szTempFile;
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    HANDLE hError = ::CreateFileW(szTempFile, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = hError;
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &m_pi)) {
        m_pi = {};
    }
    ::CloseHandle(hError);
}

TarnwickProcess::~TarnwickProcess()
{
    if (m_pi.hProcess && IsRunning()) {
        ::TerminateProcess(m_pi.hProcess, 99);
        ::WaitForSingleObject(m_pi.hProcess, 5000);
    }
    if (m_pi.hProcess) {
        ::CloseHandle(m_pi.hThread);
        ::CloseHandle(m_pi.hProcess);
    }
    ::DeleteFileW(m_strErrorFile.c_str());
}

std::string TarnwickProcess::ErrorOutput() const
{
    std::string text;
    HANDLE hFile = ::CreateFileW(m_strErrorFile.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) return text;
    char buffer[4096];
    DWORD dwRead = 0;
    while (::ReadFile(hFile, buffer, sizeof(buffer), &dwRead, nullptr) && dwRead) text.append(buffer, dwRead);
    ::CloseHandle(hFile);
    return text;
}

std::vector<HWND> TarnwickProcess::TopLevelWindows(bool bVisible) const
{
    std::vector<HWND> windows;
    EnumState state{m_pi.dwProcessId, bVisible, &windows};
    ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&state));
    return windows;
}

std::vector<HWND> TarnwickProcess::HiddenBrowserWindows() const
{
    std::vector<HWND> frames;
    for (HWND hWnd : TopLevelWindows(false)) {
        if (::GetDlgItem(hWnd, kReBarId)) frames.push_back(hWnd);
    }
    return frames;
}

std::vector<HWND> TarnwickProcess::Dialogs() const
{
    std::vector<HWND> dialogs;
    EnumState state{m_pi.dwProcessId, true, &dialogs};
    ::EnumWindows(&CollectDialog, reinterpret_cast<LPARAM>(&state));
    return dialogs;
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

bool TarnwickProcess::WaitForLoop(HWND hWnd, DWORD dwTimeoutMs)
{
    // A sent message is taken whenever the loop looks at its queue, before posted ones.
    for (int i = 0; i < 2; ++i) {
        DWORD_PTR dwResult = 0;
        if (!::SendMessageTimeoutW(hWnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, dwTimeoutMs, &dwResult)) return false;
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

LRESULT TarnwickProcess::SendWithBuffer(HWND hWnd, UINT message, WPARAM wParam, void* pInOut, size_t cb) const
{
    void* pRemote = ::VirtualAllocEx(m_pi.hProcess, nullptr, cb, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!pRemote) return 0;
    ::WriteProcessMemory(m_pi.hProcess, pRemote, pInOut, cb, nullptr);
    LRESULT lResult = ::SendMessageW(hWnd, message, wParam, reinterpret_cast<LPARAM>(pRemote));
    ::ReadProcessMemory(m_pi.hProcess, pRemote, pInOut, cb, nullptr);
    ::VirtualFreeEx(m_pi.hProcess, pRemote, 0, MEM_RELEASE);
    return lResult;
}

std::wstring TarnwickProcess::ButtonText(HWND hBar, UINT nCommand) const
{
    struct {
        wchar_t sz[64];
    } buffer{};
    SendWithBuffer(hBar, TB_GETBUTTONTEXTW, nCommand, &buffer);
    return buffer.sz;
}
