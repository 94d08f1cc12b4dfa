#include "view_window_class.h"

void UseViewWindowClass(CREATESTRUCTW& cs)
{
    cs.style &= ~WS_BORDER;
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, ::LoadCursorW(nullptr, IDC_ARROW),
                                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr);
}
