#include "my_combo_box_ex.h"
#include "../app/tarnwick_app.h"  // the address box navigates the active view, which only the application knows
#include "../res/messages.h"
#include "../view/child_view.h"    // the active view, to navigate it

#include <shlwapi.h>

BEGIN_MESSAGE_MAP(CMyComboBoxEx, CComboBoxXP)
    ON_CONTROL_REFLECT(CBN_SELENDOK, OnSelEndOk)
    ON_WM_KEYDOWN()
    ON_WM_MOUSEWHEEL()
END_MESSAGE_MAP()

BOOL CMyComboBoxEx::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    m_pNotifyWnd = pParentWnd;
    return CComboBoxXP::Create(dwStyle, rect, pParentWnd, nID);
}

BOOL CMyComboBoxEx::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message != WM_KEYDOWN) return CComboBoxXP::PreTranslateMessage(pMsg);

    // Attached before the first key is handled, so completion already works on it; a failure is not retried.
    if (m_bAutoCompletePending) {
        ::SHAutoComplete(m_edit.m_hWnd, SHACF_URLHISTORY | SHACF_URLMRU | SHACF_USETAB);
        m_bAutoCompletePending = false;
    }

    switch (pMsg->wParam) {
    case VK_RETURN:
        // Sent, so the frame has navigated before the combo goes on.
        if (m_pNotifyWnd) m_pNotifyWnd->SendMessage(WM_ADDRESS_ENTERED, 0, reinterpret_cast<LPARAM>(this));
        return TRUE;
    case VK_ESCAPE:
        if (GetDroppedState()) ShowDropDown(FALSE);
        RestoreActiveViewAddress();
        return TRUE;
    default:
        return CComboBoxXP::PreTranslateMessage(pMsg);
    }
}

void CMyComboBoxEx::OnSelEndOk()
{
    if (m_pNotifyWnd) m_pNotifyWnd->SendMessage(WM_ADDRESS_SELECTED, 0, reinterpret_cast<LPARAM>(this));
}

void CMyComboBoxEx::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    CComboBoxXP::OnKeyDown(nChar, nRepCnt, nFlags);
}

BOOL CMyComboBoxEx::OnMouseWheel(UINT /*nFlags*/, short /*zDelta*/, POINT /*pt*/)
{
    // Taken here: the wheel would otherwise change the entry, and the parent must not scroll either.
    return TRUE;
}

void CMyComboBoxEx::RestoreActiveViewAddress()
{
    CChildView* pView = theApp.m_pActiveView;
    if (!pView || !::IsWindow(pView->m_hWnd)) {
        FocusParentFrame();
        return;
    }
    // The focus stays in the edit, with the caret after the address.
    m_edit.SetWindowText(pView->m_strURL);
    int nLength = pView->m_strURL.GetLength();
    m_edit.SetSel(nLength, nLength);
}
