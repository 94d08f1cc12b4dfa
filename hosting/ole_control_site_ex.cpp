#include "ole_control_site_ex.h"
#include "ambient_props1.h"

#include <mshtmdid.h>

BEGIN_INTERFACE_MAP(COleControlSiteEx, COleControlSite)
    INTERFACE_PART(COleControlSiteEx, IID_IDocHostUIHandler, DocHostUIHandler)
    INTERFACE_PART(COleControlSiteEx, IID_IDispatch, AmbientProps1)
    INTERFACE_PART(COleControlSiteEx, IID_IDocHostShowUI, DocHostShowUI)
END_INTERFACE_MAP()

COleControlSiteEx::COleControlSiteEx(COleControlContainer* pCtrlCont) : COleControlSite(pCtrlCont)
{
}

COleControlSiteEx::~COleControlSiteEx() = default;

// Each host-UI method forwards to the view's handler once it is attached. The control's frames are on
// the stack: a fault or exception below is held for the message loop and the control gets E_UNEXPECTED.
#define FORWARD_TO_HANDLER(call) \
    METHOD_PROLOGUE_EX(COleControlSiteEx, DocHostUIHandler) \
    AFX_MANAGE_STATE(pThis->m_pModuleState); /* no effect: the framework has one module */ \
    return AfxComBoundary( \
        [&] { return pThis->m_pDocHostUIHandler ? pThis->m_pDocHostUIHandler->call : E_NOTIMPL; });

IMPLEMENT_NESTED_IUNKNOWN(COleControlSiteEx, DocHostUIHandler)

STDMETHODIMP COleControlSiteEx::XDocHostUIHandler::ShowContextMenu(DWORD dwID, POINT* ppt, IUnknown* pcmdtReserved,
                                                                   IDispatch* pdispReserved)
{
    FORWARD_TO_HANDLER(ShowContextMenu(dwID, ppt, pcmdtReserved, pdispReserved))
}
STDMETHODIMP COleControlSiteEx::XDocHostUIHandler::GetHostInfo(DOCHOSTUIINFO* pInfo)
{
    FORWARD_TO_HANDLER(GetHostInfo(pInfo))
}
STDMETHODIMP COleControlSiteEx::XDocHostUIHandler::ShowUI(DWORD dwID, IOleInPlaceActiveObject* pActiveObject,
                                                          IOleCommandTarget* pCommandTarget, IOleInPlaceFrame* pFrame,
                                                          IOleInPlaceUIWindow* pDoc)
{
    FORWARD_TO_HANDLER(ShowUI(dwID, pActiveObject, pCommandTarget, pFrame, pDoc))
}
STDMETHODIMP COleControlSiteEx::XDocHostUIHandler::HideUI() { FORWARD_TO_HANDLER(HideUI()) }
STDMETHODIMP COleControlSiteEx::XDocHostUIHandler::UpdateUI() { FORWARD_TO_HANDLER(UpdateUI()) }
STDMETHODIMP COleControlSiteEx::XDocHostUIHandler::EnableModeless(BOOL fEnable)
{
    FORWARD_TO_HANDLER(EnableModeless(fEnable))
}
STDMETHODIMP COleControlSiteEx::XDocHostUIHandler::OnDocWindowActivate(BOOL fActivate)
{
    FORWARD_TO_HANDLER(OnDocWindowActivate(fActivate))
}
STDMETHODIMP COleControlSiteEx::XDocHostUIHandler::OnFrameWindowActivate(BOOL fActivate)
{
    FORWARD_TO_HANDLER(OnFrameWindowActivate(fActivate))
}
STDMETHODIMP COleControlSiteEx::XDocHostUIHandler::ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow,
                                                                BOOL fRameWindow)
{
    FORWARD_TO_HANDLER(ResizeBorder(prcBorder, pUIWindow, fRameWindow))
}
STDMETHODIMP COleControlSiteEx::XDocHostUIHandler::TranslateAccelerator(LPMSG lpMsg, const GUID* pguidCmdGroup,
                                                                        DWORD nCmdID)
{
    FORWARD_TO_HANDLER(TranslateAccelerator(lpMsg, pguidCmdGroup, nCmdID))
}
STDMETHODIMP COleControlSiteEx::XDocHostUIHandler::GetOptionKeyPath(LPOLESTR* pchKey, DWORD dw)
{
    FORWARD_TO_HANDLER(GetOptionKeyPath(pchKey, dw))
}
STDMETHODIMP COleControlSiteEx::XDocHostUIHandler::GetDropTarget(IDropTarget* pDropTarget, IDropTarget** ppDropTarget)
{
    FORWARD_TO_HANDLER(GetDropTarget(pDropTarget, ppDropTarget))
}
STDMETHODIMP COleControlSiteEx::XDocHostUIHandler::GetExternal(IDispatch** ppDispatch)
{
    FORWARD_TO_HANDLER(GetExternal(ppDispatch))
}
STDMETHODIMP COleControlSiteEx::XDocHostUIHandler::TranslateUrl(DWORD dwTranslate, OLECHAR* pchURLIn,
                                                                OLECHAR** ppchURLOut)
{
    FORWARD_TO_HANDLER(TranslateUrl(dwTranslate, pchURLIn, ppchURLOut))
}
STDMETHODIMP COleControlSiteEx::XDocHostUIHandler::FilterDataObject(IDataObject* pDO, IDataObject** ppDORet)
{
    FORWARD_TO_HANDLER(FilterDataObject(pDO, ppDORet))
}

// The ambient dispatch counts on the site itself (sites are never aggregated here).
STDMETHODIMP_(ULONG) COleControlSiteEx::XAmbientProps1::AddRef() { return m_pOwner->InternalAddRef(); }
STDMETHODIMP_(ULONG) COleControlSiteEx::XAmbientProps1::Release() { return m_pOwner->InternalRelease(); }
STDMETHODIMP COleControlSiteEx::XAmbientProps1::QueryInterface(REFIID iid, LPVOID* ppvObj)
{
    return static_cast<HRESULT>(m_pOwner->InternalQueryInterface(&iid, ppvObj));
}
STDMETHODIMP COleControlSiteEx::XAmbientProps1::GetTypeInfoCount(UINT*) { return E_NOTIMPL; }
STDMETHODIMP COleControlSiteEx::XAmbientProps1::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
STDMETHODIMP COleControlSiteEx::XAmbientProps1::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}
STDMETHODIMP COleControlSiteEx::XAmbientProps1::Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS*,
                                                       VARIANT* pVarResult, EXCEPINFO*, UINT*)
{
    METHOD_PROLOGUE_EX(COleControlSiteEx, AmbientProps1)
    return AfxComBoundary([&]() -> HRESULT {
        // Without a place for the value nothing is answered: a success would claim a value nobody got.
        if (!pVarResult) return DISP_E_MEMBERNOTFOUND;
        if (pThis->m_pAmbientProps && dispIdMember == DISPID_AMBIENT_DLCONTROL &&
            pThis->m_pAmbientProps->GetAmbientDLControl(pVarResult) != S_FALSE) {
            return S_OK;
        }
        CWnd* pWnd = pThis->m_pCtrlCont ? pThis->m_pCtrlCont->m_pWnd : nullptr;
        if (!pWnd) return DISP_E_MEMBERNOTFOUND;
        return pWnd->OnAmbientProperty(pThis, dispIdMember, pVarResult) ? S_OK : DISP_E_MEMBERNOTFOUND;
    });
}

IMPLEMENT_NESTED_IUNKNOWN(COleControlSiteEx, DocHostShowUI)

STDMETHODIMP COleControlSiteEx::XDocHostShowUI::ShowMessage(HWND hwnd, LPOLESTR lpstrText, LPOLESTR lpstrCaption,
                                                            DWORD dwType, LPOLESTR lpstrHelpFile, DWORD dwHelpContext,
                                                            LRESULT* plResult)
{
    METHOD_PROLOGUE_EX(COleControlSiteEx, DocHostShowUI)
    AFX_MANAGE_STATE(pThis->m_pModuleState);  // no effect: the framework has one module
    return AfxComBoundary([&] {
        return pThis->m_pDocHostShowUI ? pThis->m_pDocHostShowUI->ShowMessage(hwnd, lpstrText, lpstrCaption, dwType,
                                                                              lpstrHelpFile, dwHelpContext, plResult)
                                       : E_NOTIMPL;
    });
}
STDMETHODIMP COleControlSiteEx::XDocHostShowUI::ShowHelp(HWND hwnd, LPOLESTR pszHelpFile, UINT uCommand, DWORD dwData,
                                                         POINT ptMouse, IDispatch* pDispatchObjectHit)
{
    METHOD_PROLOGUE_EX(COleControlSiteEx, DocHostShowUI)
    AFX_MANAGE_STATE(pThis->m_pModuleState);  // no effect: the framework has one module
    return AfxComBoundary([&] {
        return pThis->m_pDocHostShowUI
                   ? pThis->m_pDocHostShowUI->ShowHelp(hwnd, pszHelpFile, uCommand, dwData, ptMouse, pDispatchObjectHit)
                   : E_NOTIMPL;
    });
}
