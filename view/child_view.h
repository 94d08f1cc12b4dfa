#pragma once
#include "../framework/afx.h"

#include <exdisp.h>

// The client window of a browser frame, where pages appear: it hosts the
// browser control and offers the rest of the program its navigation
// operations.
class CChildView : public CWnd {
public:
    CChildView() = default;
    ~CChildView() override = default;

    // Navigates the control; without a control nothing happens. Every caller passes the URL only.
    void Navigate(LPCWSTR lpszURL, DWORD dwFlags = 0, LPCWSTR lpszTargetFrameName = nullptr,
                  LPCWSTR lpszHeaders = nullptr, LPVOID lpvPostData = nullptr, DWORD dwPostDataLen = 0);
    void GoHome();
    // Puts the keyboard focus back where it last was inside the view, or on the page.
    void RestoreFocus();

    // CWnd overrides
    BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                UINT nID, CCreateContext* pContext = nullptr) override;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;

    CString m_strURL;                      // URL of the top-level document
    HWND m_hwndLastFocus = nullptr;        // last descendant seen with the focus
    CComPtr<IWebBrowser2> m_pBrowserApp;   // the control; null until created
    BOOL m_bCanGoBack = FALSE;
    BOOL m_bCanGoForward = FALSE;
    BOOL m_bResizingFrame = FALSE;

protected:
    // Messages
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(HDC hDC);
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void RememberFocus();
    void FocusPage();
};
