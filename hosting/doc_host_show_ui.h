#pragma once
#include "../framework/afx.h"

#include <mshtmhst.h>

// The control's message boxes: shown as ordinary system boxes, except two
// notices of the control's resource library, which are dropped. Owned by
// the view; stateless.
class CDocHostShowUI : public IDocHostShowUI {
public:
    CDocHostShowUI() = default;
    virtual ~CDocHostShowUI() = default;
    CDocHostShowUI(const CDocHostShowUI&) = delete;
    CDocHostShowUI& operator=(const CDocHostShowUI&) = delete;

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID riid, void** ppvObject) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    // IDocHostShowUI
    STDMETHOD(ShowMessage)(HWND hwnd, LPOLESTR lpstrText, LPOLESTR lpstrCaption, DWORD dwType, LPOLESTR lpstrHelpFile,
                           DWORD dwHelpContext, LRESULT* plResult) override;
    STDMETHOD(ShowHelp)(HWND hwnd, LPOLESTR pszHelpFile, UINT uCommand, DWORD dwData, POINT ptMouse,
                        IDispatch* pDispatchObjectHit) override;
};
