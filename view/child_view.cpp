#include "child_view.h"
#include "../app/tarnwick_app.h"

#include <cstring>

BEGIN_MESSAGE_MAP(CChildView, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_KILLFOCUS()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

BOOL CChildView::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                        CWnd* pParentWnd, UINT nID, CCreateContext* pContext)
{
    return CWnd::Create(lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, nID, pContext);
}

BOOL CChildView::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!CWnd::PreCreateWindow(cs)) return FALSE;
    cs.style &= ~WS_BORDER;
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, ::LoadCursorW(nullptr, IDC_ARROW),
                                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr);
    return TRUE;
}

namespace {

// A VT_BSTR of the text; a null text gives a VT_BSTR holding a null BSTR.
VARIANT MakeBstrVariant(LPCWSTR lpsz)
{
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = lpsz ? ::SysAllocString(lpsz) : nullptr;
    return v;
}

}  // namespace

void CChildView::Navigate(LPCWSTR lpszURL, DWORD dwFlags, LPCWSTR lpszTargetFrameName, LPCWSTR lpszHeaders,
                          LPVOID lpvPostData, DWORD dwPostDataLen)
{
    if (!m_pBrowserApp) return;

    VARIANT vPostData;
    ::VariantInit(&vPostData);
    if (lpvPostData) {
        if (SAFEARRAY* psa = ::SafeArrayCreateVector(VT_UI1, 0, dwPostDataLen)) {
            void* pData = nullptr;
            if (SUCCEEDED(::SafeArrayAccessData(psa, &pData))) {
                if (dwPostDataLen) ::memcpy(pData, lpvPostData, dwPostDataLen);
                ::SafeArrayUnaccessData(psa);
            }
            vPostData.vt = VT_ARRAY | VT_UI1;
            vPostData.parray = psa;
        }
    }
    VARIANT vURL = MakeBstrVariant(lpszURL);
    VARIANT vFlags;
    ::VariantInit(&vFlags);
    vFlags.vt = VT_I4;
    vFlags.lVal = static_cast<LONG>(dwFlags);
    VARIANT vTarget = MakeBstrVariant(lpszTargetFrameName);
    VARIANT vHeaders = MakeBstrVariant(lpszHeaders);

    m_pBrowserApp->Navigate2(&vURL, &vFlags, &vTarget, &vPostData, &vHeaders);

    ::VariantClear(&vURL);
    ::VariantClear(&vTarget);
    ::VariantClear(&vHeaders);
    ::VariantClear(&vPostData);
}

void CChildView::GoHome()
{
    if (m_pBrowserApp) m_pBrowserApp->GoHome();
}

void CChildView::RestoreFocus()
{
    HWND hWndFocus = ::GetFocus();
    if (m_hwndLastFocus && ::IsChild(m_hWnd, m_hwndLastFocus) && m_hwndLastFocus != hWndFocus) {
        ::SetFocus(m_hwndLastFocus);
        return;
    }
    if (m_hwndLastFocus && hWndFocus && ::IsChild(m_hWnd, hWndFocus)) return;
    FocusPage();
}

void CChildView::RememberFocus()
{
    HWND hWndFocus = ::GetFocus();
    if (hWndFocus && ::IsChild(m_hWnd, hWndFocus)) m_hwndLastFocus = hWndFocus;
}

void CChildView::FocusPage()
{
    if (!::GetActiveWindow() || !m_pBrowserApp) return;
}

void CChildView::OnPaint()
{
    CPaintDC dc(this);
}

BOOL CChildView::OnEraseBkgnd(HDC /*hDC*/)
{
    return FALSE;
}

void CChildView::OnKillFocus(CWnd* pNewWnd)
{
    if (theApp.m_pActiveView != this) return;
    RememberFocus();
    CWnd::OnKillFocus(pNewWnd);
}

void CChildView::OnDestroy()
{
    // Nobody may reach this view through the application once its window is gone.
    if (theApp.m_pActiveView == this) theApp.m_pActiveView = nullptr;
    CWnd::OnDestroy();
}
