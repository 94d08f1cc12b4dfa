#include "window_queries.h"

std::wstring TextOf(HWND hWnd)
{
    wchar_t szText[512] = {};
    ::SendMessageW(hWnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(szText));
    return szText;
}

DWORD ProcessOf(HWND hWnd)
{
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcessId);
    return dwProcessId;
}

std::vector<HWND> VisiblePopupMenus(DWORD dwProcessId)
{
    std::vector<HWND> menus;
    for (HWND hWnd = ::FindWindowExW(nullptr, nullptr, L"#32768", nullptr); hWnd;
         hWnd = ::FindWindowExW(nullptr, hWnd, L"#32768", nullptr)) {
        if (::IsWindowVisible(hWnd) && (dwProcessId == 0 || ProcessOf(hWnd) == dwProcessId)) menus.push_back(hWnd);
    }
    return menus;
}
