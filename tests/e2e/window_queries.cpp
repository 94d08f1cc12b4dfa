#include "window_queries.h"
#include "support/popup_menus.h"

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
    return VisiblePopupMenuWindows(dwProcessId);
}

HWND FrontPopupMenu(DWORD dwProcessId)
{
    std::vector<HWND> menus = VisiblePopupMenus(dwProcessId);
    return menus.empty() ? nullptr : menus.front();
}
