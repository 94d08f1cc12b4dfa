#include "ole_control_site.h"
#include "ole_control_container.h"
#include "ole.h"
#include "wnd.h"
#include "se_translator.h"

BEGIN_INTERFACE_MAP(COleControlSite, CCmdTarget)
    INTERFACE_PART(COleControlSite, IID_IOleClientSite, OleClientSite)
    INTERFACE_PART(COleControlSite, IID_IOleWindow, OleIPSite)
    INTERFACE_PART(COleControlSite, IID_IOleInPlaceSite, OleIPSite)
    INTERFACE_PART(COleControlSite, IID_IOleControlSite, OleControlSite)
    INTERFACE_PART(COleControlSite, IID_IDispatch, AmbientProps)
END_INTERFACE_MAP()

COleControlSite::COleControlSite(COleControlContainer* pCtrlCont) : m_pCtrlCont(pCtrlCont)
{
}

COleControlSite::~COleControlSite()
{
    DestroyControl();
}

HRESULT COleControlSite::CreateControl(CWnd* pWndCtrl, REFCLSID clsid, LPCWSTR lpszWindowName, DWORD dwStyle,
                                       const RECT& rect, UINT nID)
{
    m_nID = nID;
    m_rect = rect;
    m_strName = lpszWindowName;
    HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                    reinterpret_cast<void**>(&m_pObject));
    if (FAILED(hr)) return hr;
    hr = m_pObject.QueryInterface(&m_pOleObject);
    if (FAILED(hr)) {
        m_pObject.Release();
        return hr;
    }
    m_pOleObject->SetClientSite(&m_xOleClientSite);
    CComPtr<IPersistStreamInit> pPersist;
    if (SUCCEEDED(m_pObject.QueryInterface(&pPersist))) pPersist->InitNew();
    ConnectEvents();

    HWND hWndParent = m_pCtrlCont->m_pWnd ? m_pCtrlCont->m_pWnd->m_hWnd : nullptr;
    hr = m_pOleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &m_xOleClientSite, 0, hWndParent, &m_rect);
    if (SUCCEEDED(hr)) hr = m_pObject.QueryInterface(&m_pInPlaceObject);
    if (SUCCEEDED(hr)) hr = m_pInPlaceObject->GetWindow(&m_hWnd);
    if (SUCCEEDED(hr) && !m_hWnd) hr = E_FAIL;
    if (FAILED(hr)) {
        DestroyControl();
        return hr;
    }
    ::SetWindowLongPtrW(m_hWnd, GWLP_ID, static_cast<LONG_PTR>(nID));
    ::ShowWindow(m_hWnd, (dwStyle & WS_VISIBLE) ? SW_SHOWNA : SW_HIDE);
    if (pWndCtrl && pWndCtrl->SubclassWindow(m_hWnd)) {
        m_pWndCtrl = pWndCtrl;
        pWndCtrl->m_pCtrlSite = this;
    }
    return S_OK;
}

void COleControlSite::DestroyControl()
{
    if (m_pWndCtrl) {
        m_pWndCtrl->m_pCtrlSite = nullptr;
        m_pWndCtrl = nullptr;
    }
    DisconnectEvents();
    if (m_pInPlaceObject) {
        m_pInPlaceObject->InPlaceDeactivate();
        m_pInPlaceObject.Release();
    }
    if (m_pOleObject) {
        m_pOleObject->Close(OLECLOSE_NOSAVE);
        m_pOleObject->SetClientSite(nullptr);
        m_pOleObject.Release();
    }
    m_pObject.Release();
    m_hWnd = nullptr;
}

void COleControlSite::SetObjectRects(const RECT& rect)
{
    m_rect = rect;
    if (m_pInPlaceObject) m_pInPlaceObject->SetObjectRects(&m_rect, &m_rect);
}

void COleControlSite::ConnectEvents()
{
    CComPtr<IProvideClassInfo2> pClassInfo;
    if (FAILED(m_pObject.QueryInterface(&pClassInfo)) ||
        FAILED(pClassInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &m_iidEvents))) {
        return;
    }
    CComPtr<IConnectionPointContainer> pContainer;
    CComPtr<IConnectionPoint> pPoint;
    if (SUCCEEDED(m_pObject.QueryInterface(&pContainer)) &&
        SUCCEEDED(pContainer->FindConnectionPoint(m_iidEvents, &pPoint))) {
        if (FAILED(pPoint->Advise(&m_xEventSink, &m_dwEventSink))) m_dwEventSink = 0;
    }
}

void COleControlSite::DisconnectEvents()
{
    if (!m_dwEventSink || !m_pObject) return;
    CComPtr<IConnectionPointContainer> pContainer;
    CComPtr<IConnectionPoint> pPoint;
    if (SUCCEEDED(m_pObject.QueryInterface(&pContainer)) &&
        SUCCEEDED(pContainer->FindConnectionPoint(m_iidEvents, &pPoint))) {
        pPoint->Unadvise(m_dwEventSink);
    }
    m_dwEventSink = 0;
}

// IOleClientSite
IMPLEMENT_NESTED_IUNKNOWN(COleControlSite, OleClientSite)

STDMETHODIMP COleControlSite::XOleClientSite::SaveObject() { return E_NOTIMPL; }
STDMETHODIMP COleControlSite::XOleClientSite::GetMoniker(DWORD, DWORD, IMoniker** ppmk)
{
    if (ppmk) *ppmk = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP COleControlSite::XOleClientSite::GetContainer(IOleContainer** ppContainer)
{
    METHOD_PROLOGUE_EX(COleControlSite, OleClientSite)
    if (!ppContainer) return E_POINTER;
    *ppContainer = nullptr;
    if (!pThis->m_pCtrlCont) return E_NOINTERFACE;
    return static_cast<HRESULT>(
        pThis->m_pCtrlCont->ExternalQueryInterface(&IID_IOleContainer, reinterpret_cast<void**>(ppContainer)));
}
STDMETHODIMP COleControlSite::XOleClientSite::ShowObject() { return S_OK; }
STDMETHODIMP COleControlSite::XOleClientSite::OnShowWindow(BOOL) { return S_OK; }
STDMETHODIMP COleControlSite::XOleClientSite::RequestNewObjectLayout() { return E_NOTIMPL; }

// IOleInPlaceSite
IMPLEMENT_NESTED_IUNKNOWN(COleControlSite, OleIPSite)

STDMETHODIMP COleControlSite::XOleIPSite::GetWindow(HWND* phwnd)
{
    METHOD_PROLOGUE_EX(COleControlSite, OleIPSite)
    if (!phwnd) return E_POINTER;
    *phwnd = pThis->m_pCtrlCont && pThis->m_pCtrlCont->m_pWnd ? pThis->m_pCtrlCont->m_pWnd->m_hWnd : nullptr;
    return *phwnd ? S_OK : E_FAIL;
}
STDMETHODIMP COleControlSite::XOleIPSite::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }
STDMETHODIMP COleControlSite::XOleIPSite::CanInPlaceActivate() { return S_OK; }
STDMETHODIMP COleControlSite::XOleIPSite::OnInPlaceActivate()
{
    METHOD_PROLOGUE_EX(COleControlSite, OleIPSite)
    pThis->m_bInPlaceActive = TRUE;
    return S_OK;
}
STDMETHODIMP COleControlSite::XOleIPSite::OnUIActivate() { return S_OK; }
STDMETHODIMP COleControlSite::XOleIPSite::GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                                           LPRECT lprcPosRect, LPRECT lprcClipRect,
                                                           LPOLEINPLACEFRAMEINFO lpFrameInfo)
{
    METHOD_PROLOGUE_EX(COleControlSite, OleIPSite)
    if (!ppFrame || !ppDoc || !lprcPosRect || !lprcClipRect || !lpFrameInfo) return E_POINTER;
    *ppFrame = nullptr;
    *ppDoc = nullptr;
    if (pThis->m_pCtrlCont) {
        pThis->m_pCtrlCont->ExternalQueryInterface(&IID_IOleInPlaceFrame, reinterpret_cast<void**>(ppFrame));
    }
    *lprcPosRect = pThis->m_rect;
    *lprcClipRect = pThis->m_rect;
    HWND hWndContainer = pThis->m_pCtrlCont && pThis->m_pCtrlCont->m_pWnd ? pThis->m_pCtrlCont->m_pWnd->m_hWnd : nullptr;
    lpFrameInfo->fMDIApp = FALSE;
    lpFrameInfo->hwndFrame = hWndContainer ? ::GetAncestor(hWndContainer, GA_ROOT) : nullptr;
    lpFrameInfo->haccel = nullptr;
    lpFrameInfo->cAccelEntries = 0;
    return S_OK;
}
STDMETHODIMP COleControlSite::XOleIPSite::Scroll(SIZE) { return E_NOTIMPL; }
STDMETHODIMP COleControlSite::XOleIPSite::OnUIDeactivate(BOOL) { return S_OK; }
STDMETHODIMP COleControlSite::XOleIPSite::OnInPlaceDeactivate()
{
    METHOD_PROLOGUE_EX(COleControlSite, OleIPSite)
    pThis->m_bInPlaceActive = FALSE;
    return S_OK;
}
STDMETHODIMP COleControlSite::XOleIPSite::DiscardUndoState() { return S_OK; }
STDMETHODIMP COleControlSite::XOleIPSite::DeactivateAndUndo() { return E_NOTIMPL; }
STDMETHODIMP COleControlSite::XOleIPSite::OnPosRectChange(LPCRECT lprcPosRect)
{
    METHOD_PROLOGUE_EX(COleControlSite, OleIPSite)
    if (!lprcPosRect) return E_POINTER;
    pThis->SetObjectRects(*lprcPosRect);
    return S_OK;
}

// IOleControlSite
IMPLEMENT_NESTED_IUNKNOWN(COleControlSite, OleControlSite)

STDMETHODIMP COleControlSite::XOleControlSite::OnControlInfoChanged() { return S_OK; }
STDMETHODIMP COleControlSite::XOleControlSite::LockInPlaceActive(BOOL) { return S_OK; }
STDMETHODIMP COleControlSite::XOleControlSite::GetExtendedControl(IDispatch** ppDisp)
{
    if (ppDisp) *ppDisp = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP COleControlSite::XOleControlSite::TransformCoords(POINTL*, POINTF*, DWORD) { return E_NOTIMPL; }
STDMETHODIMP COleControlSite::XOleControlSite::TranslateAccelerator(MSG*, DWORD) { return S_FALSE; }
STDMETHODIMP COleControlSite::XOleControlSite::OnFocus(BOOL) { return S_OK; }
STDMETHODIMP COleControlSite::XOleControlSite::ShowPropertyFrame() { return E_NOTIMPL; }

// Ambient properties
IMPLEMENT_NESTED_IUNKNOWN(COleControlSite, AmbientProps)

STDMETHODIMP COleControlSite::XAmbientProps::GetTypeInfoCount(UINT* pctinfo)
{
    if (pctinfo) *pctinfo = 0;
    return E_NOTIMPL;
}
STDMETHODIMP COleControlSite::XAmbientProps::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
STDMETHODIMP COleControlSite::XAmbientProps::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
STDMETHODIMP COleControlSite::XAmbientProps::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* pvarResult,
                                                    EXCEPINFO*, UINT*)
{
    METHOD_PROLOGUE_EX(COleControlSite, AmbientProps)
    if (!pvarResult) return E_POINTER;
    CWnd* pWnd = pThis->m_pCtrlCont ? pThis->m_pCtrlCont->m_pWnd : nullptr;
    return pWnd && pWnd->OnAmbientProperty(pThis, dispid, pvarResult) ? S_OK : DISP_E_MEMBERNOTFOUND;
}

// Event sink
STDMETHODIMP_(ULONG) COleControlSite::XEventSink::AddRef() { return m_pOwner->ExternalAddRef(); }
STDMETHODIMP_(ULONG) COleControlSite::XEventSink::Release() { return m_pOwner->ExternalRelease(); }
STDMETHODIMP COleControlSite::XEventSink::QueryInterface(REFIID iid, LPVOID* ppvObj)
{
    METHOD_PROLOGUE_EX(COleControlSite, EventSink)
    if (!ppvObj) return E_POINTER;
    *ppvObj = nullptr;
    if (::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, IID_IDispatch) || ::IsEqualIID(iid, pThis->m_iidEvents)) {
        *ppvObj = this;
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}
STDMETHODIMP COleControlSite::XEventSink::GetTypeInfoCount(UINT* pctinfo)
{
    if (pctinfo) *pctinfo = 0;
    return E_NOTIMPL;
}
STDMETHODIMP COleControlSite::XEventSink::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
STDMETHODIMP COleControlSite::XEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
STDMETHODIMP COleControlSite::XEventSink::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* pDispParams, VARIANT*,
                                                 EXCEPINFO* pExcepInfo, UINT* puArgError)
{
    METHOD_PROLOGUE_EX(COleControlSite, EventSink)
    CWnd* pWnd = pThis->m_pCtrlCont ? pThis->m_pCtrlCont->m_pWnd : nullptr;
    if (!pWnd) return S_OK;
    AFX_EVENT event{dispid, pDispParams, pExcepInfo, puArgError, S_OK};
    try {
        AfxFaultBoundary([&] {
            COccManager* pManager = AfxGetOccManager();
            if (pManager) pManager->OnEvent(pWnd, pThis->m_nID, &event, nullptr);
            else pWnd->OnEvent(pThis->m_nID, &event, nullptr);
        });
    } catch (...) {
        // The control's frames are on the stack: the message loop rethrows it once they are gone.
        AfxHoldPendingException();
    }
    return event.hResult;
}
