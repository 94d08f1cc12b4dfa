#include "mfc_rebar.h"

BOOL CMFCReBar::Create(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, UINT nID)
{
    m_dwStyle = dwStyle & (CBRS_ALIGN_ANY | CBRS_BORDER_ANY);
    DWORD dwWindowStyle = (dwStyle & (WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN)) | CCS_NODIVIDER |
                          CCS_NOPARENTALIGN | CCS_NORESIZE | RBS_VARHEIGHT | dwCtrlStyle;
    if (!CreateEx(WS_EX_TOOLWINDOW, REBARCLASSNAMEW, nullptr, dwWindowStyle, 0, 0, 0, 0,
                  pParentWnd ? pParentWnd->m_hWnd : nullptr, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)))) {
        return FALSE;
    }
    REBARINFO info{};
    info.cbSize = sizeof(info);
    return SendMessage(RB_SETBARINFO, 0, reinterpret_cast<LPARAM>(&info)) != 0;
}

BOOL CMFCReBar::AddBar(CWnd* pBar, LPCWSTR pszText, HBITMAP hbmp, DWORD dwStyle)
{
    if (!m_hWnd || !pBar || !pBar->m_hWnd) return FALSE;
    SIZE size;
    if (auto* pPane = dynamic_cast<CBasePane*>(pBar)) {
        size = pPane->CalcFixedLayout(FALSE, TRUE);
    } else {
        RECT rect;
        pBar->GetWindowRect(&rect);
        size = SIZE{rect.right - rect.left, rect.bottom - rect.top};
    }
    ::SetParent(pBar->m_hWnd, m_hWnd);
    ::ShowWindow(pBar->m_hWnd, SW_SHOW);

    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_IDEALSIZE | RBBIM_ID;
    band.fStyle = dwStyle;  // exactly the caller's: no edge of its own around the child
    band.hwndChild = pBar->m_hWnd;
    band.cxMinChild = 0;
    band.cyMinChild = static_cast<UINT>(size.cy);
    band.cx = static_cast<UINT>(size.cx);
    band.cxIdeal = static_cast<UINT>(size.cx);
    band.wID = static_cast<UINT>(pBar->GetDlgCtrlID());
    if (pszText && *pszText) {
        band.fMask |= RBBIM_TEXT;
        band.lpText = const_cast<LPWSTR>(pszText);
    }
    if (hbmp) {
        band.fMask |= RBBIM_BACKGROUND;
        band.hbmBack = hbmp;
    }
    return SendMessage(RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band)) != 0;
}

SIZE CMFCReBar::CalcFixedLayout(BOOL, BOOL)
{
    RECT rect{};
    if (m_hWnd) ::GetWindowRect(m_hWnd, &rect);
    return SIZE{rect.right - rect.left, static_cast<LONG>(::SendMessageW(m_hWnd, RB_GETBARHEIGHT, 0, 0))};
}
