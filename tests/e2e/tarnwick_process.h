#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

// A Tarnwick.exe started with a command line, observed from outside through
// the window system only. The process is killed if a test leaves it running.
class TarnwickProcess {
public:
    explicit TarnwickProcess(const std::wstring& arguments) : TarnwickProcess(arguments, ProgramPath()) {}
    // The program at another path, e.g. a copy under another file name.
    TarnwickProcess(const std::wstring& arguments, const std::wstring& programPath);
    ~TarnwickProcess();
    TarnwickProcess(const TarnwickProcess&) = delete;
    TarnwickProcess& operator=(const TarnwickProcess&) = delete;

    bool started() const { return m_pi.hProcess != nullptr; }
    // Visible browser windows: top-level windows of the process with a client view (child 0xE900).
    std::vector<HWND> BrowserWindows() const;
    // The hidden window manager, found the same way among the invisible windows.
    HWND WindowManager() const;
    // Browser windows that exist but are not shown: invisible top-level windows with a view and bars.
    std::vector<HWND> HiddenBrowserWindows() const;
    // Visible dialog boxes of the process, such as the Open dialog or the about box.
    std::vector<HWND> Dialogs() const;
    // Polls until pred holds; false after the timeout.
    static bool WaitFor(const std::function<bool()>& pred, DWORD dwTimeoutMs = 15000);
    bool WaitForBrowserWindows(size_t nCount, DWORD dwTimeoutMs = 15000) const;
    // Waits until the window's thread has come back to its message loop twice: the dispatch under way
    // is done, and the loop has taken the next queued message or, with none, run its idle update.
    // False if the thread does not answer in time.
    static bool WaitForLoop(HWND hWnd, DWORD dwTimeoutMs = 10000);
    // Waits for the process to end; returns its exit code, or -1 if it is still running.
    long WaitForExit(DWORD dwTimeoutMs = 10000) const;
    bool IsRunning() const { return ::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT; }
    // Full path of the program under test, from the TARNWICK_EXE environment variable.
    static std::wstring ProgramPath();
    // What the process wrote to its standard error so far (the platform's own fault reports land there).
    std::string ErrorOutput() const;
    // Sends a message whose lParam points to a T, through a copy in the program's own memory: the
    // window system does not carry control messages' pointers across processes.
    template <class T>
    LRESULT SendWithBuffer(HWND hWnd, UINT message, WPARAM wParam, T* pInOut) const
    {
        return SendWithBuffer(hWnd, message, wParam, pInOut, sizeof(T));
    }
    LRESULT SendWithBuffer(HWND hWnd, UINT message, WPARAM wParam, void* pInOut, size_t cb) const;
    // The text of a toolbar's (or the menu bar's) button, by its command.
    std::wstring ButtonText(HWND hBar, UINT nCommand) const;
    DWORD ThreadId() const { return m_pi.dwThreadId; }
    HANDLE ProcessHandle() const { return m_pi.hProcess; }

private:
    std::vector<HWND> TopLevelWindows(bool bVisible) const;
    PROCESS_INFORMATION m_pi{};
    std::wstring m_strErrorFile;  // the process's standard error, removed with this object
};
