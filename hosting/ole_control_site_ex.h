#pragma once
#include "../framework/afx.h"

#include <mshtmhst.h>

class AmbientProps1;

// The site of the browser control: the standard site plus the host UI
// handler, the page message boxes and the download-control ambient. It holds
// no policy: each interface forwards to an object the view attaches after
// the control exists, and answers E_NOTIMPL (or the container's defaults)
// until then. The three pointers are plain: the view keeps the objects alive
// for as long as the control lives.
class COleControlSiteEx : public COleControlSite {
public:
    explicit COleControlSiteEx(COleControlContainer* pCtrlCont);
    ~COleControlSiteEx() override;

    IDocHostUIHandler* m_pDocHostUIHandler = nullptr;
    AmbientProps1* m_pAmbientProps = nullptr;
    IDocHostShowUI* m_pDocHostShowUI = nullptr;

protected:
    BEGIN_INTERFACE_PART(DocHostUIHandler, IDocHostUIHandler)
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
        STDMETHOD(GetDropTarget)(IDropTarget* pDropTarget, IDropTarget** ppDropTarget) override;
        STDMETHOD(GetExternal)(IDispatch** ppDispatch) override;
        STDMETHOD(TranslateUrl)(DWORD dwTranslate, OLECHAR* pchURLIn, OLECHAR** ppchURLOut) override;
        STDMETHOD(FilterDataObject)(IDataObject* pDO, IDataObject** ppDORet) override;
    END_INTERFACE_PART(DocHostUIHandler)

    // Replaces the standard ambient dispatch; only the download-control value is answered differently.
    BEGIN_INTERFACE_PART(AmbientProps1, IDispatch)
        STDMETHOD(GetTypeInfoCount)(UINT* pctinfo) override;
        STDMETHOD(GetTypeInfo)(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
        STDMETHOD(GetIDsOfNames)(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override;
        STDMETHOD(Invoke)(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                          VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;
    END_INTERFACE_PART(AmbientProps1)

    BEGIN_INTERFACE_PART(DocHostShowUI, IDocHostShowUI)
        STDMETHOD(ShowMessage)(HWND hwnd, LPOLESTR lpstrText, LPOLESTR lpstrCaption, DWORD dwType,
                               LPOLESTR lpstrHelpFile, DWORD dwHelpContext, LRESULT* plResult) override;
        STDMETHOD(ShowHelp)(HWND hwnd, LPOLESTR pszHelpFile, UINT uCommand, DWORD dwData, POINT ptMouse,
                            IDispatch* pDispatchObjectHit) override;
    END_INTERFACE_PART(DocHostShowUI)

    DECLARE_INTERFACE_MAP()
};
