#include <windows.h>

// Planted where a search for a system program could find it: when started it leaves "<its own path>.ran"
// beside itself, then waits to be ended, so a test can also find it among the running processes.
int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nShowCmd)
{
    (void)hInstance;
    (void)hPrevInstance;
    (void)lpCmdLine;
    (void)nShowCmd;
    wchar_t szPath[1024 + 8];
    DWORD cch = GetModuleFileNameW(NULL, szPath, 1024);
    if (cch > 0 && cch < 1024) {
        lstrcpyW(szPath + cch, L".ran");
        HANDLE hFile = CreateFileW(szPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (hFile != INVALID_HANDLE_VALUE) CloseHandle(hFile);
    }
    Sleep(60000);
    return 0;
}
