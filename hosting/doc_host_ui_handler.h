#pragma once
#include "../framework/afx.h"
#include "imp_idrop_target.h"

#include <mshtmhst.h>

// The view's answers to the control's host-UI questions: the host flags and
// the script external object the view hands it; everything else is declined
// (E_NOTIMPL, nothing written) so the control's own behaviour applies. Held
// by value in the view and reached only through its site.
class CDocHostUIHandler : public CByValueUnknown<IDocHostUIHandler> {
public:
    CDocHostUIHandler() = default;
    virtual ~CDocHostUIHandler() = default;

    // IDocHostUIHandler
    STDMETHOD(ShowContextMenu)(DWORD dwID, POINT* ppt, IUnknown* pcmdtReserved, IDispatch* pdispReserved) override;
    STDMETHOD(GetHostInfo)(DOCHOSTUIINFO* pInfo) override;
    STDMETHOD(ShowUI)(DWORD dwID, IOleInPlaceActiveObject* pActiveObject, IOleCommandTarget* pCommandTarget,
                      IOleInPlaceFrame* pFrame, IOleInPlaceUIWindow* pDoc) override;
    STDMETHOD(HideUI)() override;
    STDMETHOD(UpdateUI)() override;
    STDMETHOD(EnableModeless)(BOOL fEnable) override;
    STDMETHOD(OnDocWindowActivate)(BOOL fActivate) override;
    STDMETHOD(OnFrameWindowActivate)(BOOL fActivate) override;
    STDMETHOD(ResizeBorder)(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow, BOOL fRameWindow) override;
    STDMETHOD(TranslateAccelerator)(LPMSG lpMsg, const GUID* pguidCmdGroup, DWORD nCmdID) override;
    STDMETHOD(GetOptionKeyPath)(LPOLESTR* pchKey, DWORD dw) override;
    // No replacement: S_OK with null, so the control keeps its own drop handling.
    STDMETHOD(GetDropTarget)(IDropTarget* pDropTarget, IDropTarget** ppDropTarget) override;
    STDMETHOD(GetExternal)(IDispatch** ppDispatch) override;
    STDMETHOD(TranslateUrl)(DWORD dwTranslate, OLECHAR* pchURLIn, OLECHAR** ppchURLOut) override;
    STDMETHOD(FilterDataObject)(IDataObject* pDO, IDataObject** ppDORet) override;

    CImpIDropTarget m_dropTarget;      // the target the view registers for its own window
    DWORD m_dwFlags = 0;               // DOCHOSTUIFLAG_ bits for GetHostInfo
    IDispatch* m_pExternal = nullptr;  // what GetExternal hands out; its owner outlives the view

protected:
    DWORD m_dwDoubleClick = 0;     // DOCHOSTUIDBLCLK_DEFAULT
};
