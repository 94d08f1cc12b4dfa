#pragma once
#include "../framework/afx.h"
#include "combo_box_xp.h"

// The address box of a browser window: Enter sends WM_ADDRESS_ENTERED and a
// pick from the list WM_ADDRESS_SELECTED to the window given to Create,
// Escape restores the address of the page shown, URL auto-completion is
// attached at the first key press and the mouse wheel is ignored.
class CMyComboBoxEx : public CComboBoxXP {
public:
    CMyComboBoxEx() = default;
    ~CMyComboBoxEx() override = default;

    // CComboBoxXP overrides
    // pParentWnd also becomes the window told about entered and picked addresses.
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    // Control events
    afx_msg void OnSelEndOk();
    // Messages
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, POINT pt);
    DECLARE_MESSAGE_MAP()

    CWnd* m_pNotifyWnd = nullptr;  // receives the address messages; the frame, which outlives the combo; not owned
    bool m_bAutoCompletePending = true;  // auto-completion is not attached to the edit yet

private:
    void RestoreActiveViewAddress();
};
