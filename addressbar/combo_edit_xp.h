#pragma once
#include "../framework/afx.h"

// The edit child of a CComboBoxXP, subclassed by it: switches the input
// method off while it has the focus and feeds its mouse moves into the
// combo's hover state. Only ever used inside a CComboBoxXP.
class CComboEditXP : public CEdit {
    DECLARE_DYNCREATE(CComboEditXP)
public:
    CComboEditXP() = default;
    ~CComboEditXP() override = default;

    // CWnd overrides
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    // Messages
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    afx_msg void OnMouseMove(UINT nFlags, POINT point);
    afx_msg void OnMouseLeave();
    DECLARE_MESSAGE_MAP()

private:
    BOOL m_bImeWasOpen = FALSE;  // the input method's open status when the edit last received the focus
};
