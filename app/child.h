#pragma once
#include "../framework/afx.h"

// The window manager's hidden placeholder view. Its two-step start-up
// (initialise, then ready) lets the first browser window open from inside
// the running message loop.
class CChild : public CWnd {
public:
    CChild() = default;

    // CWnd overrides
    BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                UINT nID, CCreateContext* pContext = nullptr) override;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;

protected:
    // Messages
    afx_msg void OnPaint();
    // Commands
    afx_msg void OnViewInitialize();
    DECLARE_MESSAGE_MAP()
};
