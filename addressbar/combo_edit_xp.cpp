#include "combo_edit_xp.h"
#include "combo_box_xp.h"

#include <imm.h>

namespace {

// The combo this edit belongs to, or null while none is around (a foreign parent, or during teardown).
CComboBoxXP* ParentCombo(HWND hWndEdit)
{
    return dynamic_cast<CComboBoxXP*>(CWnd::FromHandlePermanent(::GetParent(hWndEdit)));
}

// A window's input context, released when it goes out of scope.
class CImeContext {
public:
    explicit CImeContext(HWND hWnd) : m_hWnd(hWnd), m_hImc(::ImmGetContext(hWnd)) {}
    ~CImeContext()
    {
        if (m_hImc) ::ImmReleaseContext(m_hWnd, m_hImc);
    }
    CImeContext(const CImeContext&) = delete;
    CImeContext& operator=(const CImeContext&) = delete;

    operator HIMC() const { return m_hImc; }

private:
    HWND m_hWnd;
    HIMC m_hImc;
};

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
    CImeContext context(m_hWnd);
    m_bImeWasOpen = context ? ::ImmGetOpenStatus(context) : FALSE;
    if (m_bImeWasOpen) ::ImmSetOpenStatus(context, FALSE);
    CEdit::OnSetFocus(pOldWnd);
}

void CComboEditXP::OnKillFocus(CWnd* pNewWnd)
{
    // Only an input method this edit switched off is switched on again.
    if (m_bImeWasOpen) {
        CImeContext context(m_hWnd);
        if (context) ::ImmSetOpenStatus(context, m_bImeWasOpen);
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
