#include "base_pane.h"

SIZE CBasePane::CalcFixedLayout(BOOL /*bStretch*/, BOOL /*bHorz*/)
{
    RECT rect{};
    if (m_hWnd) ::GetWindowRect(m_hWnd, &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}
