#include <windows.h>

// A resource library: nothing to do when loaded.
BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved)
{
    (void)hInstance;
    (void)dwReason;
    (void)lpReserved;
    return TRUE;
}
