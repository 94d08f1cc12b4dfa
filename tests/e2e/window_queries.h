#pragma once
#include <windows.h>

#include <string>
#include <vector>

// What a test reads of another process's windows through the window system.

// The window's text by WM_GETTEXT, which the window system carries across processes (GetWindowText does
// not ask another process's child windows).
std::wstring TextOf(HWND hWnd);
// The process that owns the window.
DWORD ProcessOf(HWND hWnd);
// The visible popup menu windows, one per open menu or sub-menu, of one process or, for 0, of every
// process; in the window system's z-order, the most recently opened first.
std::vector<HWND> VisiblePopupMenus(DWORD dwProcessId = 0);
// The most recently opened of those, or null when none is open.
HWND FrontPopupMenu(DWORD dwProcessId = 0);
