#include "frame_window_class.h"
#include "../res/resource.h"

void UseFrameWindowClass(CREATESTRUCTW& cs)
{
    cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
    cs.lpszClass = AfxRegisterWndClass(0, nullptr, nullptr,
                                       ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME)));
}
