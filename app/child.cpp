#include "child.h"
#include "../res/resource.h"
#include "../view/view_window_class.h"

BEGIN_MESSAGE_MAP(CChild, CWnd)
    ON_WM_PAINT()
    ON_COMMAND(ID_VIEW_INITIALIZE, OnViewInitialize)
END_MESSAGE_MAP()

BOOL CChild::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                    CWnd* pParentWnd, UINT nID, CCreateContext* pContext)
{
    BOOL bResult = CWnd::Create(lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, nID, pContext);
    PostMessage(WM_COMMAND, ID_VIEW_INITIALIZE, 0);
    return bResult;
}

BOOL CChild::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!CWnd::PreCreateWindow(cs)) return FALSE;
    UseViewWindowClass(cs);
    return TRUE;
}

void CChild::OnPaint()
{
    CPaintDC dc(this);
}

void CChild::OnViewInitialize()
{
    ::PostMessageW(::GetParent(m_hWnd), WM_COMMAND, ID_VIEW_READY, 0);
}
