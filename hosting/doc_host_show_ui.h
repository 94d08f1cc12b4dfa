#pragma once
#include "../framework/afx.h"

#include <mshtmhst.h>

// The control's message boxes: shown as ordinary system boxes, except two
// notices of the control's resource library, which are dropped. Held by
// value in the view and reached only through its site; stateless.
class CDocHostShowUI : public CByValueUnknown<IDocHostShowUI> {
public:
    CDocHostShowUI() = default;
    virtual ~CDocHostShowUI() = default;

    // IDocHostShowUI
    STDMETHOD(ShowMessage)(HWND hwnd, LPOLESTR lpstrText, LPOLESTR lpstrCaption, DWORD dwType, LPOLESTR lpstrHelpFile,
                           DWORD dwHelpContext, LRESULT* plResult) override;
    STDMETHOD(ShowHelp)(HWND hwnd, LPOLESTR pszHelpFile, UINT uCommand, DWORD dwData, POINT ptMouse,
                        IDispatch* pDispatchObjectHit) override;
};
