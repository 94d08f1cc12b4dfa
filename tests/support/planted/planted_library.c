#include <windows.h>

// Planted where a search for a system library could find it: when its start-up code runs it leaves
// "<its own path>.ran" beside itself, which is how a test tells that it was loaded as code.
BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved)
{
    (void)lpReserved;
    if (dwReason == DLL_PROCESS_ATTACH) {
        wchar_t szPath[1024 + 8];
        DWORD cch = GetModuleFileNameW(hInstance, szPath, 1024);
        if (cch > 0 && cch < 1024) {
            lstrcpyW(szPath + cch, L".ran");
            HANDLE hFile = CreateFileW(szPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
            if (hFile != INVALID_HANDLE_VALUE) CloseHandle(hFile);
        }
    }
    return TRUE;
}
