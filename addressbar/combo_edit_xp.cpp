#include "combo_edit_xp.h"
#include "combo_box_xp.h"

#include <imm.h>

namespace {

// The combo this edit belongs to, or null while none is around (a foreign parent, or during teardown).
CComboBoxXP* ParentCombo(HWND hWndEdit)
{
    return dynamic_cast<CComboBoxXP*>(CWnd::FromHandlePermanent(::GetParent(hWndEdit)));
}

}  // namespace

IMPLEMENT_DYNCREATE(CComboEditXP, CEdit)

BEGIN_MESSAGE_MAP(CComboEditXP, CEdit)
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSELEAVE()
END_MESSAGE_MAP()

BOOL CComboEditXP::PreTranslateMessage(MSG* pMsg)
{
    return CEdit::PreTranslateMessage(pMsg);
}

void CComboEditXP::OnSetFocus(CWnd* pOldWnd)
{
    // Addresses are typed in plain characters: an input method left on would compose them.
    if (HIMC hImc = ::ImmGetContext(m_hWnd)) {
        m_bImeWasOpen = ::ImmGetOpenStatus(hImc);
        if (m_bImeWasOpen) ::ImmSetOpenStatus(hImc, FALSE);
        ::ImmReleaseContext(m_hWnd, hImc);
    } else {
        m_bImeWasOpen = FALSE;
    }
    CEdit::OnSetFocus(pOldWnd);
}

void CComboEditXP::OnKillFocus(CWnd* pNewWnd)
{
    // Only an input method this edit switched off is switched on again.
    if (m_bImeWasOpen) {
        if (HIMC hImc = ::ImmGetContext(m_hWnd)) {
            ::ImmSetOpenStatus(hImc, m_bImeWasOpen);
            ::ImmReleaseContext(m_hWnd, hImc);
        }
    }
    CEdit::OnKillFocus(pNewWnd);
}

void CComboEditXP::OnMouseMove(UINT nFlags, POINT point)
{
    CEdit::OnMouseMove(nFlags, point);
    if (CComboBoxXP* pCombo = ParentCombo(m_hWnd)) pCombo->m_hover.OnMouseMove(m_hWnd);
}

void CComboEditXP::OnMouseLeave()
{
    if (CComboBoxXP* pCombo = ParentCombo(m_hWnd)) pCombo->m_hover.OnMouseLeave(m_hWnd);
}
