#include "combo_box_xp.h"

namespace {

constexpr int kBorderFactor = 7;    // border widths added to the list's height, whatever the number of entries
constexpr int kFieldMargin = 6;     // what the combo adds around its selection field
constexpr int kAttachHeight = 100;  // window height given to a combo attached to this object

}  // namespace

BEGIN_MESSAGE_MAP(CComboBoxXP, CComboBox)
    ON_WM_GETDLGCODE()
    ON_WM_WINDOWPOSCHANGING()
    ON_WM_WINDOWPOSCHANGED()
    ON_WM_PAINT()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSELEAVE()
END_MESSAGE_MAP()

CComboBoxXP::CComboBoxXP()
{
    m_hover.Reset();
}

CComboBoxXP::~CComboBoxXP()
{
    // The window goes while this object is whole, so the edit's last messages still find their combo.
    if (m_hWnd && CWnd::FromHandlePermanent(m_hWnd) == this) DestroyWindow();
}

BOOL CComboBoxXP::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    if (!CComboBox::Create(dwStyle, rect, pParentWnd, nID)) return FALSE;
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    m_hover.Init(m_hWnd, CHoverTracker::HOVER_REPAINT);
    // PreSubclassWindow ran before the system made the edit; it exists now.
    SubclassEdit();
    return TRUE;
}

void CComboBoxXP::PreSubclassWindow()
{
    CComboBox::PreSubclassWindow();
    m_hover.Init(m_hWnd, CHoverTracker::HOVER_REPAINT);
    SubclassEdit();
    RECT rect;
    GetWindowRect(&rect);
    SetWindowPos(nullptr, 0, 0, rect.right - rect.left, kAttachHeight, SWP_NOMOVE | SWP_NOZORDER);
}

BOOL CComboBoxXP::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN) {
        if (pMsg->wParam == VK_RETURN) {
            if (CWnd* pParent = GetParent()) {
                pParent->SendMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), 0), 0);
            }
        } else if (pMsg->wParam == VK_ESCAPE) {
            if (GetDroppedState()) {
                ShowDropDown(FALSE);
            } else {
                FocusParentFrame();
            }
        }
    }
    // The key still reaches the edit.
    return CComboBox::PreTranslateMessage(pMsg);
}

void CComboBoxXP::FocusParentFrame()
{
    if (CFrameWndEx* pFrame = GetParentFrame()) pFrame->GetActiveFrame()->SetFocus();
}

UINT CComboBoxXP::OnGetDlgCode()
{
    UINT nCode = CComboBox::OnGetDlgCode();
    // A dialog must not take Enter away from the combo.
    if (::GetKeyState(VK_RETURN) & 0x8000) nCode |= DLGC_WANTALLKEYS;
    return nCode;
}

void CComboBoxXP::OnWindowPosChanging(WINDOWPOS* lpwndpos)
{
    if (!(lpwndpos->flags & SWP_NOSIZE) && m_nPendingHeight == -1) {
        if (m_nEditHeight == -1) m_nEditHeight = GetItemHeight(-1);
        m_nPendingHeight = lpwndpos->cy;
        // The window of a drop-down combo spans the selection field and the dropped list.
        lpwndpos->cy = kBorderFactor * ::GetSystemMetrics(SM_CYBORDER) + m_nDropItems * GetItemHeight(0) + m_nEditHeight;
    }
    CComboBox::OnWindowPosChanging(lpwndpos);
}

void CComboBoxXP::OnWindowPosChanged(WINDOWPOS* lpwndpos)
{
    CComboBox::OnWindowPosChanged(lpwndpos);
    if (!(lpwndpos->flags & SWP_NOSIZE) && m_nPendingHeight != -1) {
        // A container asking for less than the margin gets no field height: it would wrap to a huge one.
        int nFieldHeight = m_nPendingHeight - kFieldMargin;
        // Still pending while the combo handles this, so the resizes it makes of itself pass unchanged.
        if (nFieldHeight > 0) SetItemHeight(-1, LOWORD(nFieldHeight));
        m_nPendingHeight = -1;
    }
    if (m_edit.m_hWnd && ::GetFocus() != m_edit.m_hWnd) m_edit.SetSel(-1, 0, TRUE);
}

void CComboBoxXP::OnPaint()
{
    CComboBox::OnPaint();
}

void CComboBoxXP::OnSetFocus(CWnd* pOldWnd)
{
    CComboBox::OnSetFocus(pOldWnd);
    if (m_edit.m_hWnd) m_edit.SetFocus();
}

void CComboBoxXP::OnKillFocus(CWnd* pNewWnd)
{
    CComboBox::OnKillFocus(pNewWnd);
}

void CComboBoxXP::OnMouseMove(UINT nFlags, POINT point)
{
    CComboBox::OnMouseMove(nFlags, point);
    m_hover.OnMouseMove(nullptr);
}

void CComboBoxXP::OnMouseLeave()
{
    m_hover.OnMouseLeave(nullptr);
}

void CComboBoxXP::SubclassEdit()
{
    if (m_edit.m_hWnd) return;
    if (HWND hWndEdit = ::GetWindow(m_hWnd, GW_CHILD)) m_edit.SubclassWindow(hWndEdit);
}
