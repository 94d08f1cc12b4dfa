#pragma once
#include "../framework/afx.h"
#include "combo_edit_xp.h"
#include "hover_tracker.h"

// A drop-down combo box painted entirely by the system that adds the stock
// GUI font, hover repainting over the combo and its edit as one area, a list
// with room for a fixed number of entries below a selection field as tall as
// the container asks, Enter and Escape keys, and the input-method rule of its
// edit (CComboEditXP).
class CComboBoxXP : public CComboBox {
public:
    CComboBoxXP();
    ~CComboBoxXP() override;

    // CComboBox overrides
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) override;
    // CWnd overrides
    void PreSubclassWindow() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    CComboEditXP m_edit;    // the combo's edit child, subclassed once the combo has one
    CHoverTracker m_hover;  // hover state of the combo and its edit; the edit updates it too

protected:
    // Gives the focus to the frame this combo sits in; nothing outside a frame.
    void FocusParentFrame();

    // Messages
    afx_msg UINT OnGetDlgCode();
    afx_msg void OnWindowPosChanging(WINDOWPOS* lpwndpos);
    afx_msg void OnWindowPosChanged(WINDOWPOS* lpwndpos);
    afx_msg void OnPaint();
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    afx_msg void OnMouseMove(UINT nFlags, POINT point);
    afx_msg void OnMouseLeave();
    DECLARE_MESSAGE_MAP()

    int m_nDropItems = 7;       // list entries the dropped list has room for
    int m_nEditHeight = -1;     // selection field height measured at the first sized resize; -1 until then
    int m_nPendingHeight = -1;  // height asked for by the resize under way; -1 when none is

private:
    void SubclassEdit();
};
