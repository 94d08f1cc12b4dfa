#include "doc_host_ui_handler.h"

STDMETHODIMP CDocHostUIHandler::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) { return E_NOTIMPL; }

STDMETHODIMP CDocHostUIHandler::GetHostInfo(DOCHOSTUIINFO* pInfo)
{
    if (!pInfo) return E_POINTER;
    // The style sheet and namespace pointers stay as the caller passed them.
    pInfo->cbSize = sizeof(DOCHOSTUIINFO);
    pInfo->dwFlags = m_dwFlags;
    pInfo->dwDoubleClick = m_dwDoubleClick;
    return S_OK;
}

STDMETHODIMP CDocHostUIHandler::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                       IOleInPlaceUIWindow*)
{
    return E_NOTIMPL;
}
STDMETHODIMP CDocHostUIHandler::HideUI() { return E_NOTIMPL; }
STDMETHODIMP CDocHostUIHandler::UpdateUI() { return E_NOTIMPL; }
STDMETHODIMP CDocHostUIHandler::EnableModeless(BOOL) { return E_NOTIMPL; }
STDMETHODIMP CDocHostUIHandler::OnDocWindowActivate(BOOL) { return E_NOTIMPL; }
STDMETHODIMP CDocHostUIHandler::OnFrameWindowActivate(BOOL) { return E_NOTIMPL; }
STDMETHODIMP CDocHostUIHandler::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return E_NOTIMPL; }
STDMETHODIMP CDocHostUIHandler::TranslateAccelerator(LPMSG, const GUID*, DWORD) { return E_NOTIMPL; }
STDMETHODIMP CDocHostUIHandler::GetOptionKeyPath(LPOLESTR*, DWORD) { return E_NOTIMPL; }

STDMETHODIMP CDocHostUIHandler::GetDropTarget(IDropTarget*, IDropTarget** ppDropTarget)
{
    // A caller that trusts S_OK must find no target rather than whatever its variable held.
    if (ppDropTarget) *ppDropTarget = nullptr;
    return S_OK;
}

STDMETHODIMP CDocHostUIHandler::GetExternal(IDispatch** ppDispatch)
{
    if (!ppDispatch) return E_POINTER;
    // Not handed one yet: declined, and a caller that ignores the answer finds no object.
    *ppDispatch = m_pExternal;
    if (!m_pExternal) return E_NOTIMPL;
    m_pExternal->AddRef();
    return S_OK;
}

STDMETHODIMP CDocHostUIHandler::TranslateUrl(DWORD, OLECHAR*, OLECHAR**) { return E_NOTIMPL; }
STDMETHODIMP CDocHostUIHandler::FilterDataObject(IDataObject*, IDataObject**) { return E_NOTIMPL; }
