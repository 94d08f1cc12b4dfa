#pragma once
#include <windows.h>

#include <string>

// What a test reads of another process's windows through the window system.

// The window's text by WM_GETTEXT, which the window system carries across processes (GetWindowText does
// not ask another process's child windows).
std::wstring TextOf(HWND hWnd);
// The process that owns the window.
DWORD ProcessOf(HWND hWnd);
