#include "gdi.h"
#include "wnd.h"
#include "win_app.h"

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd)
{
    m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC()
{
    ::EndPaint(m_hWnd, &m_ps);
}

CClientDC::CClientDC(CWnd* pWnd) : CClientDC(pWnd ? pWnd->m_hWnd : nullptr) {}

CClientDC::CClientDC(HWND hWnd) : m_hWnd(hWnd)
{
    m_hDC = ::GetDC(m_hWnd);
}

CClientDC::~CClientDC()
{
    if (m_hDC) ::ReleaseDC(m_hWnd, m_hDC);
}

BOOL CGdiObject::DeleteObject()
{
    if (!m_hObject) return FALSE;
    BOOL bResult = ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return bResult;
}

BOOL CBitmap::LoadBitmap(UINT nIDResource)
{
    DeleteObject();
    m_hObject = ::LoadBitmapW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDResource));
    return m_hObject != nullptr;
}
