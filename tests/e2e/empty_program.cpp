#include <windows.h>

// The baseline for start-up timing: whatever it costs is the platform's share.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return 0;
}
