#include "browser_sub_wnd.h"

BOOL CBrowserSubWnd::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_CLOSE && pMsg->hwnd == m_hWnd) {
        HWND hView = ::GetParent(m_hWnd);
        ::PostMessageW(::GetParent(hView), WM_CLOSE, 0, 0);
        return TRUE;
    }
    return CWnd::PreTranslateMessage(pMsg);
}
