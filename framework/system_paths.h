#pragma once
#include "cstring.h"

#include <windows.h>

// Full paths of the system's own files, so that nothing is found by a search that a
// working directory, PATH or a per-user registration could divert. Each is empty
// when the platform gives no folder.
CString AfxGetSystemFilePath(LPCWSTR lpszFileName);         // in the system folder (System32)
CString AfxGetSystemWindowsFilePath(LPCWSTR lpszFileName);  // in the shared Windows folder

// The whole path of a loaded module (the program's own for null), however long; empty on failure.
CString AfxGetModuleFileName(HMODULE hModule);
