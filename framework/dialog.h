#pragma once
#include "wnd.h"

// A control's notification in a parent's message map, e.g. a button's BN_CLICKED.
#define ON_CONTROL(wNotifyCode, id, memberFxn) \
    {WM_COMMAND, static_cast<UINT>(wNotifyCode), (id), (id), nullptr, \
     [](CCmdTarget* p, AFX_MSGCALL&) { AFX_THIS(p)->memberFxn(); }},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)

// A dialog box from a template resource, run modally by the platform's dialog
// manager. Its window is bound to this object from its first message on, so
// its messages and its controls' commands go through the message maps like any
// other window's. The modal loop is the thread's own message pump: a fault in
// a handler abandons that message and the dialog goes on.
class CDialog : public CWnd {
public:
    // pParentWnd null: the owner is the frame routing the current command, else the main window.
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Shows the dialog with its owner disabled until EndDialog; returns EndDialog's value,
    // or -1 when the template is missing or the window cannot be created (also when WM_QUIT ended it).
    virtual INT_PTR DoModal();
    // Ends the modal loop once the current message has been handled; DoModal returns nResult.
    void EndDialog(int nResult);

    // Called for WM_INITDIALOG, once the controls exist; TRUE sets the focus to the first tab stop.
    virtual BOOL OnInitDialog();

    // CWnd overrides
    // Keyboard and mouse input goes through the dialog manager: Tab, Enter, Esc, mnemonics.
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    // Commands
    afx_msg virtual void OnOK();
    afx_msg virtual void OnCancel();
    DECLARE_MESSAGE_MAP()

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;  // as given to the constructor; not owned

private:
    // The window that goes in front of, and the top-level window to disable while the dialog runs.
    HWND FindOwner(HWND* phWndTop) const;
    void RunModalLoop();

    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    BOOL m_bContinueModal = FALSE;
    int m_nModalResult = -1;
};
