#pragma once
#include <windows.h>

#include <vector>

// The visible popup menu windows, one per open menu or sub-menu, in the window system's z-order (the
// most recently opened first): of one thread, of one process, or, with both 0, of every process.
inline std::vector<HWND> VisiblePopupMenuWindows(DWORD dwProcessId, DWORD dwThreadId = 0)
{
    std::vector<HWND> menus;
    for (HWND hWnd = ::FindWindowExW(nullptr, nullptr, L"#32768", nullptr); hWnd;
         hWnd = ::FindWindowExW(nullptr, hWnd, L"#32768", nullptr)) {
        if (!::IsWindowVisible(hWnd)) continue;
        DWORD dwOwnerProcess = 0;
        const DWORD dwOwnerThread = ::GetWindowThreadProcessId(hWnd, &dwOwnerProcess);
        if (dwThreadId != 0 && dwOwnerThread != dwThreadId) continue;
        if (dwProcessId != 0 && dwOwnerProcess != dwProcessId) continue;
        menus.push_back(hWnd);
    }
    return menus;
}

// The menus open in this thread now, the most recently opened (the deepest) first.
inline std::vector<HMENU> OpenMenusOfThisThread()
{
    std::vector<HMENU> menus;
    for (HWND hWnd : VisiblePopupMenuWindows(0, ::GetCurrentThreadId())) {
        menus.push_back(reinterpret_cast<HMENU>(::SendMessageW(hWnd, MN_GETHMENU, 0, 0)));
    }
    return menus;
}
