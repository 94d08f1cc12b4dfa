#pragma once
#include "../framework/afx.h"

// The wrapper of the browser control's own window. A page that closes its
// window makes the control send itself WM_CLOSE; that closes the whole frame.
class CBrowserSubWnd : public CWnd {
public:
    CBrowserSubWnd() = default;

    // CWnd overrides
    BOOL PreTranslateMessage(MSG* pMsg) override;
};
