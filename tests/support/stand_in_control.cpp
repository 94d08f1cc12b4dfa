#include "stand_in_state.h"
#include "stand_in_browser_stubs.h"

#include <ocidl.h>
#include <servprov.h>
#include <idispids.h>
#include <shlguid.h>
#include <olectl.h>

#include "framework/interface_ids.h"

#include <map>

namespace {

const wchar_t kWindowClass[] = L"StandInBrowser";

// A property put records its value alone, as a VARIANT of that type would read.
std::string BoolText(VARIANT_BOOL b)
{
    VARIANT var;  // a view, nothing to clear
    V_VT(&var) = VT_BOOL;
    V_BOOL(&var) = b;
    return StandInVariantText(&var);
}

std::string BstrText(BSTR bstr)
{
    VARIANT var;  // a view of the caller's string, never cleared
    V_VT(&var) = VT_BSTR;
    V_BSTR(&var) = bstr;
    return StandInVariantText(&var);
}

LRESULT CALLBACK StandInWindowProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    // The window proc only reports: WM_CLOSE goes on to DefWindowProc's
    // DestroyWindow, which the host sees as WM_PARENTNOTIFY.
    if (auto* pState = reinterpret_cast<StandInState*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA))) {
        if (uMsg == WM_CLOSE) {
            pState->Record("ControlWindow.WM_CLOSE");
        } else if (uMsg == WM_DESTROY) {
            pState->Record("ControlWindow.WM_DESTROY");
            if (pState->hwnd == hwnd) pState->hwnd = nullptr;
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        }
    }
    return ::DefWindowProcW(hwnd, uMsg, wParam, lParam);
}

bool RegisterWindowClass()
{
    HINSTANCE hInstance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (::GetClassInfoExW(hInstance, kWindowClass, &wc)) return true;
    wc.lpfnWndProc = &StandInWindowProc;
    wc.hInstance = hInstance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kWindowClass;
    return ::RegisterClassExW(&wc) != 0;
}

class CStandInConnectionPoint;

// The control. Its IDispatch is IWebBrowser2; its identity IOleObject's IUnknown.
class CStandInBrowser
    : public CStandInObject<CStubWebBrowser2, IOleObject, IOleInPlaceObject, IOleInPlaceActiveObject, IOleControl,
                            IPersistStreamInit, IProvideClassInfo2, IConnectionPointContainer, IServiceProvider> {
public:
    explicit CStandInBrowser(std::shared_ptr<StandInState> pState);
    ~CStandInBrowser() override;

    void ForgetConnectionPoint() { m_pConnectionPoint = nullptr; }

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* pClientSite) override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** ppClientSite) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR szContainerApp, LPCOLESTR szContainerObj) override;
    HRESULT STDMETHODCALLTYPE Close(DWORD dwSaveOption) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DoVerb(LONG iVerb, LPMSG lpmsg, IOleClientSite* pActiveSite, LONG lindex,
                                     HWND hwndParent, LPCRECT lprcPosRect) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* pClsid) override;
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD dwDrawAspect, SIZEL* psizel) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD dwDrawAspect, SIZEL* psizel) override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD dwAspect, DWORD* pdwStatus) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow, through IOleInPlaceObject and IOleInPlaceActiveObject
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceObject
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() override;
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT lprcPosRect, LPCRECT lprcClipRect) override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }

    // IOleInPlaceActiveObject
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG lpmsg) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL fActivate) override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL fActivate) override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL fEnable) override;

    // IOleControl
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnMnemonic(MSG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID dispID) override;
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL bFreeze) override;

    // IPersistStreamInit
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) override { return GetUserClassID(pClassID); }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(IStream*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Save(IStream*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitNew() override;

    // IProvideClassInfo2
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** ppTI) override;
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD dwGuidKind, GUID* pGUID) override;

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

    // IServiceProvider
    HRESULT STDMETHODCALLTYPE QueryService(REFGUID guidService, REFIID riid, void** ppv) override;

    // IWebBrowser2
    HRESULT STDMETHODCALLTYPE GoBack() override;
    HRESULT STDMETHODCALLTYPE GoForward() override;
    HRESULT STDMETHODCALLTYPE GoHome() override { return Recorded("GoHome"); }
    HRESULT STDMETHODCALLTYPE GoSearch() override { return Recorded("GoSearch"); }
    HRESULT STDMETHODCALLTYPE Navigate(BSTR URL, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* PostData,
                                       VARIANT* Headers) override;
    HRESULT STDMETHODCALLTYPE Refresh() override { return Recorded("Refresh"); }
    HRESULT STDMETHODCALLTYPE Refresh2(VARIANT* Level) override;
    HRESULT STDMETHODCALLTYPE Stop() override { return Recorded("Stop"); }
    HRESULT STDMETHODCALLTYPE get_Application(IDispatch** ppDisp) override;
    HRESULT STDMETHODCALLTYPE get_Document(IDispatch** ppDisp) override;
    HRESULT STDMETHODCALLTYPE get_TopLevelContainer(VARIANT_BOOL* pBool) override;
    HRESULT STDMETHODCALLTYPE get_LocationName(BSTR* LocationName) override;
    HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR* LocationURL) override;
    HRESULT STDMETHODCALLTYPE get_Busy(VARIANT_BOOL* pBool) override;
    HRESULT STDMETHODCALLTYPE get_Visible(VARIANT_BOOL* pBool) override { return GetFlag("Visible", pBool); }
    HRESULT STDMETHODCALLTYPE put_Visible(VARIANT_BOOL Value) override { return PutFlag("Visible", Value); }
    HRESULT STDMETHODCALLTYPE get_StatusBar(VARIANT_BOOL* pBool) override { return GetFlag("StatusBar", pBool); }
    HRESULT STDMETHODCALLTYPE put_StatusBar(VARIANT_BOOL Value) override { return PutFlag("StatusBar", Value); }
    HRESULT STDMETHODCALLTYPE get_ToolBar(int* Value) override;
    HRESULT STDMETHODCALLTYPE put_ToolBar(int Value) override;
    HRESULT STDMETHODCALLTYPE get_MenuBar(VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE put_MenuBar(VARIANT_BOOL Value) override;
    HRESULT STDMETHODCALLTYPE get_FullScreen(VARIANT_BOOL* pBool) override { return GetFlag("FullScreen", pBool); }
    HRESULT STDMETHODCALLTYPE put_FullScreen(VARIANT_BOOL Value) override { return PutFlag("FullScreen", Value); }
    HRESULT STDMETHODCALLTYPE Navigate2(VARIANT* URL, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* PostData,
                                        VARIANT* Headers) override;
    HRESULT STDMETHODCALLTYPE ExecWB(OLECMDID cmdID, OLECMDEXECOPT cmdexecopt, VARIANT* pvaIn,
                                     VARIANT* pvaOut) override;
    HRESULT STDMETHODCALLTYPE get_ReadyState(READYSTATE* plReadyState) override;
    HRESULT STDMETHODCALLTYPE get_Offline(VARIANT_BOOL* pBool) override { return GetFlag("Offline", pBool); }
    HRESULT STDMETHODCALLTYPE put_Offline(VARIANT_BOOL Value) override { return PutFlag("Offline", Value); }
    HRESULT STDMETHODCALLTYPE get_Silent(VARIANT_BOOL* pBool) override { return GetFlag("Silent", pBool); }
    HRESULT STDMETHODCALLTYPE put_Silent(VARIANT_BOOL Value) override { return PutFlag("Silent", Value); }
    HRESULT STDMETHODCALLTYPE get_RegisterAsBrowser(VARIANT_BOOL* pBool) override
    {
        return GetFlag("RegisterAsBrowser", pBool);
    }
    HRESULT STDMETHODCALLTYPE put_RegisterAsBrowser(VARIANT_BOOL Value) override
    {
        return PutFlag("RegisterAsBrowser", Value);
    }
    HRESULT STDMETHODCALLTYPE get_RegisterAsDropTarget(VARIANT_BOOL* pBool) override
    {
        return GetFlag("RegisterAsDropTarget", pBool);
    }
    HRESULT STDMETHODCALLTYPE put_RegisterAsDropTarget(VARIANT_BOOL Value) override
    {
        return PutFlag("RegisterAsDropTarget", Value);
    }
    HRESULT STDMETHODCALLTYPE get_TheaterMode(VARIANT_BOOL* pBool) override { return GetFlag("TheaterMode", pBool); }
    HRESULT STDMETHODCALLTYPE put_TheaterMode(VARIANT_BOOL Value) override { return PutFlag("TheaterMode", Value); }
    HRESULT STDMETHODCALLTYPE get_AddressBar(VARIANT_BOOL* Value) override { return GetFlag("AddressBar", Value); }
    HRESULT STDMETHODCALLTYPE put_AddressBar(VARIANT_BOOL Value) override { return PutFlag("AddressBar", Value); }
    HRESULT STDMETHODCALLTYPE get_Resizable(VARIANT_BOOL* Value) override { return GetFlag("Resizable", Value); }
    HRESULT STDMETHODCALLTYPE put_Resizable(VARIANT_BOOL Value) override { return PutFlag("Resizable", Value); }

protected:
    IUnknown* Find(REFIID riid) override;

private:
    void Record(std::string strMethod, std::vector<std::string> args = {})
    {
        m_pState->Record(std::move(strMethod), std::move(args));
    }
    HRESULT Recorded(const char* pszMethod)
    {
        Record(pszMethod);
        return S_OK;
    }
    HRESULT GetFlag(const char* pszName, VARIANT_BOOL* pBool);
    HRESULT PutFlag(const char* pszName, VARIANT_BOOL b);
    void ProbeSite(IOleClientSite* pClientSite);
    HRESULT ActivateInPlace(IOleClientSite* pActiveSite, HWND hwndParent, LPCRECT lprcPosRect);
    HRESULT ActivateUI();
    void DeactivateUI();
    void DeactivateInPlace();

    CStandInConnectionPoint* m_pConnectionPoint = nullptr;  // while it lives; not owned (it holds this)
    SIZEL m_sizeExtent{};
    std::map<std::string, VARIANT_BOOL> m_mapFlags;  // the boolean properties put so far
};

// The DWebBrowserEvents2 connection point. It holds the control, which only
// remembers it; the sinks live in the shared state so that the record can fire events.
class CStandInConnectionPoint : public CStandInObject<IConnectionPoint> {
public:
    CStandInConnectionPoint(std::shared_ptr<StandInState> pState, CStandInBrowser* pBrowser)
        : CStandInObject(std::move(pState), "ConnectionPoint"), m_pBrowser(pBrowser)
    {
        m_pBrowser->AddRef();
    }
    ~CStandInConnectionPoint() override
    {
        m_pBrowser->ForgetConnectionPoint();
        m_pBrowser->Release();
    }

    // IConnectionPoint
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* pIID) override
    {
        if (!pIID) return E_POINTER;
        *pIID = DIID_DWebBrowserEvents2;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override
    {
        return m_pBrowser->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(ppCPC));
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwCookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

protected:
    IUnknown* Find(REFIID riid) override
    {
        if (riid == IID_IUnknown || riid == IID_IConnectionPoint) return static_cast<IConnectionPoint*>(this);
        return nullptr;
    }

private:
    CStandInBrowser* m_pBrowser;  // owns one reference
};

// A frame's browser object: only its identity matters, as the pDisp of frame events. Its
// IUnknown is another pointer than its IDispatch, as the real control's frames' are.
class CStandInFrameBrowser : public CStandInObject<CStubWebBrowser2, IServiceProvider> {
public:
    CStandInFrameBrowser(std::shared_ptr<StandInState> pState, std::wstring strURL)
        : CStandInObject(std::move(pState), "FrameBrowser"), m_strURL(std::move(strURL))
    {
    }

    // IWebBrowser2
    HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR* LocationURL) override
    {
        if (!LocationURL) return E_POINTER;
        *LocationURL = ::SysAllocString(m_strURL.c_str());
        return S_OK;
    }

    // IServiceProvider
    HRESULT STDMETHODCALLTYPE QueryService(REFGUID, REFIID, void** ppv) override
    {
        if (ppv) *ppv = nullptr;
        return E_NOINTERFACE;
    }

protected:
    IUnknown* Find(REFIID riid) override
    {
        if (riid == IID_IUnknown || riid == IID_IServiceProvider) return static_cast<IServiceProvider*>(this);
        if (riid == IID_IDispatch || riid == IID_IWebBrowser || riid == IID_IWebBrowserApp || riid == IID_IWebBrowser2)
            return static_cast<IWebBrowser2*>(this);
        return nullptr;
    }

private:
    std::wstring m_strURL;
};

// Another IDispatch of the control itself (a tear-off): a pointer that differs from the
// control's IDispatch but has the control's identity.
class CStandInDispatchAlias : public CStandInObject<IDispatch> {
public:
    CStandInDispatchAlias(std::shared_ptr<StandInState> pState, IUnknown* pControl)
        : CStandInObject(std::move(pState), "DispatchAlias"), m_spControl(pControl)
    {
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

protected:
    IUnknown* Find(REFIID riid) override
    {
        if (riid == IID_IDispatch) return this;
        // Everything else, IUnknown first, is the control's own.
        IUnknown* pUnk = nullptr;
        if (FAILED(m_spControl->QueryInterface(riid, reinterpret_cast<void**>(&pUnk))) || !pUnk) return nullptr;
        pUnk->Release();  // the caller adds the reference it hands out
        return pUnk;
    }

private:
    CComPtr<IUnknown> m_spControl;
};

CStandInBrowser::CStandInBrowser(std::shared_ptr<StandInState> pState)
    : CStandInObject(std::move(pState), "Control")
{
    m_pState->pBrowserDispatch = static_cast<IWebBrowser2*>(this);
}

// A real control releases whatever it still holds when it goes; the record
// notes what that was, since a careful host has released it all before.
CStandInBrowser::~CStandInBrowser()
{
    StandInState& state = *m_pState;
    std::vector<std::string> held;
    if (state.spClientSite) held.push_back("ClientSite");
    if (state.spInPlaceSite) held.push_back("InPlaceSite");
    if (!state.sinks.empty()) held.push_back("Sinks=" + std::to_string(state.sinks.size()));
    Record("FinalRelease", held);
    state.pBrowserDispatch = nullptr;
    if (state.hwnd) ::DestroyWindow(state.hwnd);
    state.bInPlaceActive = state.bUIActive = false;
    // Moved out first: releasing a host object may call back into the state.
    CComPtr<IOleInPlaceSite> spInPlaceSite = std::move(state.spInPlaceSite);
    CComPtr<IOleClientSite> spClientSite = std::move(state.spClientSite);
    auto sinks = std::move(state.sinks);
    state.sinks.clear();
    CComPtr<IDispatch> spDocument = std::move(state.spDocument);
}

IUnknown* CStandInBrowser::Find(REFIID riid)
{
    if (riid == IID_IUnknown || riid == IID_IOleObject) return static_cast<IOleObject*>(this);
    if (riid == IID_IDispatch || riid == IID_IWebBrowser || riid == IID_IWebBrowserApp || riid == IID_IWebBrowser2)
        return static_cast<IWebBrowser2*>(this);
    if (riid == IID_IOleWindow || riid == IID_IOleInPlaceObject) return static_cast<IOleInPlaceObject*>(this);
    if (riid == IID_IOleInPlaceActiveObject) return static_cast<IOleInPlaceActiveObject*>(this);
    if (riid == IID_IOleControl) return static_cast<IOleControl*>(this);
    if (riid == IID_IPersist || riid == IID_IPersistStreamInit) return static_cast<IPersistStreamInit*>(this);
    if (riid == IID_IProvideClassInfo || riid == IID_IProvideClassInfo2) return static_cast<IProvideClassInfo2*>(this);
    if (riid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
    if (riid == IID_IServiceProvider) return static_cast<IServiceProvider*>(this);
    return nullptr;
}

HRESULT CStandInBrowser::SetClientSite(IOleClientSite* pClientSite)
{
    Record("SetClientSite", {"Site=" + StandInSetText(pClientSite)});
    if (pClientSite && pClientSite == m_pState->spClientSite.p()) return S_OK;
    DeactivateInPlace();
    m_pState->spClientSite = pClientSite;
    if (pClientSite) ProbeSite(pClientSite);
    return S_OK;
}

// What the real control asks of a new site; it keeps none of it.
void CStandInBrowser::ProbeSite(IOleClientSite* pClientSite)
{
    StandInState& state = *m_pState;
    StandInSiteProbe probe;
    CComPtr<IDispatch> spDispatch;
    probe.bDispatch = state.QuerySite(pClientSite, IID_IDispatch, reinterpret_cast<void**>(&spDispatch)) == S_OK;
    if (probe.bDispatch) {
        for (DISPID dispid : {DISPID_AMBIENT_OFFLINEIFNOTCONNECTED, DISPID_AMBIENT_SILENT}) {
            VARIANT varResult;
            ::VariantInit(&varResult);
            StandInAmbientAnswer answer;
            answer.dispid = dispid;
            answer.hr = state.InvokeAmbient(spDispatch, dispid, &varResult);
            answer.vt = V_VT(&varResult);
            answer.strValue = StandInVariantText(&varResult);
            ::VariantClear(&varResult);
            probe.ambients.push_back(answer);
        }
    }
    probe.bDocHostUIHandler = state.QuerySite(pClientSite, IID_IDocHostUIHandler) == S_OK;
    probe.bCommandTarget = state.QuerySite(pClientSite, IID_IOleCommandTarget) == S_OK;
    probe.bInPlaceSite = state.QuerySite(pClientSite, IID_IOleInPlaceSite) == S_OK;
    state.probe = probe;
}

HRESULT CStandInBrowser::GetClientSite(IOleClientSite** ppClientSite)
{
    if (!ppClientSite) return E_POINTER;
    *ppClientSite = m_pState->spClientSite;
    if (*ppClientSite) (*ppClientSite)->AddRef();
    return S_OK;
}

HRESULT CStandInBrowser::SetHostNames(LPCOLESTR szContainerApp, LPCOLESTR szContainerObj)
{
    Record("SetHostNames", {"App=" + StandInUtf8(szContainerApp ? szContainerApp : L""),
                            "Object=" + StandInUtf8(szContainerObj ? szContainerObj : L"")});
    return S_OK;
}

HRESULT CStandInBrowser::Close(DWORD dwSaveOption)
{
    Record("Close", {"SaveOption=" + std::to_string(dwSaveOption)});
    DeactivateInPlace();
    m_pState->spClientSite.Release();
    return S_OK;
}

HRESULT CStandInBrowser::DoVerb(LONG iVerb, LPMSG, IOleClientSite* pActiveSite, LONG, HWND hwndParent,
                                LPCRECT lprcPosRect)
{
    Record("DoVerb", {"Verb=" + std::to_string(iVerb), "ActiveSite=" + StandInSetText(pActiveSite),
                      "Parent=" + StandInHexText(reinterpret_cast<ULONG_PTR>(hwndParent)),
                      "PosRect=" + StandInRectText(lprcPosRect)});
    switch (iVerb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
        return ActivateInPlace(pActiveSite, hwndParent, lprcPosRect);
    case OLEIVERB_UIACTIVATE: {
        HRESULT hr = ActivateInPlace(pActiveSite, hwndParent, lprcPosRect);
        return FAILED(hr) ? hr : ActivateUI();
    }
    case OLEIVERB_HIDE:
        if (m_pState->hwnd) ::ShowWindow(m_pState->hwnd, SW_HIDE);
        return S_OK;
    default:
        return E_NOTIMPL;
    }
}

HRESULT CStandInBrowser::ActivateInPlace(IOleClientSite* pActiveSite, HWND hwndParent, LPCRECT lprcPosRect)
{
    StandInState& state = *m_pState;
    if (state.bInPlaceActive) {
        if (state.hwnd) ::ShowWindow(state.hwnd, SW_SHOW);
        return S_OK;
    }
    IOleClientSite* pSite = pActiveSite ? pActiveSite : state.spClientSite.p();
    if (!pSite) return E_UNEXPECTED;
    CComPtr<IOleInPlaceSite> spInPlaceSite;
    HRESULT hr = state.QuerySite(pSite, IID_IOleInPlaceSite, reinterpret_cast<void**>(&spInPlaceSite));
    if (hr != S_OK || !spInPlaceSite) return E_NOINTERFACE;

    hr = spInPlaceSite->CanInPlaceActivate();
    Record("Site.CanInPlaceActivate", {"hr=" + StandInHrText(hr)});
    if (hr != S_OK) return E_FAIL;
    hr = spInPlaceSite->OnInPlaceActivate();
    Record("Site.OnInPlaceActivate", {"hr=" + StandInHrText(hr)});

    HWND hwndSite = nullptr;
    hr = spInPlaceSite->GetWindow(&hwndSite);
    Record("Site.GetWindow", {"Window=" + StandInHexText(reinterpret_cast<ULONG_PTR>(hwndSite)), "hr=" + StandInHrText(hr)});

    CComPtr<IOleInPlaceFrame> spFrame;
    CComPtr<IOleInPlaceUIWindow> spDoc;
    RECT rcPos = lprcPosRect ? *lprcPosRect : RECT{};
    RECT rcClip = rcPos;
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof(frameInfo);
    hr = spInPlaceSite->GetWindowContext(&spFrame, &spDoc, &rcPos, &rcClip, &frameInfo);
    Record("Site.GetWindowContext", {"Frame=" + StandInSetText(spFrame), "Doc=" + StandInSetText(spDoc),
                                     "Pos=" + StandInRectText(&rcPos), "Clip=" + StandInRectText(&rcClip),
                                     "hr=" + StandInHrText(hr)});

    HWND hwndOwner = hwndSite ? hwndSite : hwndParent;
    HWND hwnd = nullptr;
    if (RegisterWindowClass()) {
        hwnd = ::CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rcPos.left,
                                 rcPos.top, rcPos.right - rcPos.left, rcPos.bottom - rcPos.top, hwndOwner, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    }
    if (!hwnd) {
        hr = spInPlaceSite->OnInPlaceDeactivate();
        Record("Site.OnInPlaceDeactivate", {"hr=" + StandInHrText(hr)});
        return E_FAIL;
    }
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
    state.hwnd = hwnd;
    state.rcPos = rcPos;
    state.bInPlaceActive = true;
    state.spInPlaceSite.Attach(spInPlaceSite.Detach());
    return S_OK;
}

HRESULT CStandInBrowser::ActivateUI()
{
    StandInState& state = *m_pState;
    if (state.bUIActive || !state.spInPlaceSite) return S_OK;
    HRESULT hr = state.spInPlaceSite->OnUIActivate();
    Record("Site.OnUIActivate", {"hr=" + StandInHrText(hr)});
    state.bUIActive = true;
    return S_OK;
}

void CStandInBrowser::DeactivateUI()
{
    StandInState& state = *m_pState;
    if (!state.bUIActive) return;
    state.bUIActive = false;
    if (!state.spInPlaceSite) return;
    HRESULT hr = state.spInPlaceSite->OnUIDeactivate(FALSE);
    Record("Site.OnUIDeactivate", {"hr=" + StandInHrText(hr)});
}

void CStandInBrowser::DeactivateInPlace()
{
    StandInState& state = *m_pState;
    if (!state.bInPlaceActive) return;
    DeactivateUI();
    if (state.hwnd) ::DestroyWindow(state.hwnd);
    state.hwnd = nullptr;
    state.bInPlaceActive = false;
    CComPtr<IOleInPlaceSite> spInPlaceSite = std::move(state.spInPlaceSite);
    if (!spInPlaceSite) return;
    HRESULT hr = spInPlaceSite->OnInPlaceDeactivate();
    Record("Site.OnInPlaceDeactivate", {"hr=" + StandInHrText(hr)});
}

HRESULT CStandInBrowser::GetUserClassID(CLSID* pClsid)
{
    if (!pClsid) return E_POINTER;
    *pClsid = CLSID_WebBrowser;
    return S_OK;
}

HRESULT CStandInBrowser::SetExtent(DWORD dwDrawAspect, SIZEL* psizel)
{
    if (!psizel) return E_POINTER;
    Record("SetExtent", {"Aspect=" + std::to_string(dwDrawAspect),
                         "Size=" + std::to_string(psizel->cx) + "," + std::to_string(psizel->cy)});
    m_sizeExtent = *psizel;
    return S_OK;
}

HRESULT CStandInBrowser::GetExtent(DWORD, SIZEL* psizel)
{
    if (!psizel) return E_POINTER;
    *psizel = m_sizeExtent;
    return S_OK;
}

HRESULT CStandInBrowser::GetMiscStatus(DWORD, DWORD* pdwStatus)
{
    if (!pdwStatus) return E_POINTER;
    *pdwStatus = OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE |
                 OLEMISC_RECOMPOSEONRESIZE | OLEMISC_SETCLIENTSITEFIRST;
    return S_OK;
}

HRESULT CStandInBrowser::GetWindow(HWND* phwnd)
{
    if (!phwnd) return E_POINTER;
    *phwnd = m_pState->hwnd;
    return *phwnd ? S_OK : E_FAIL;
}

HRESULT CStandInBrowser::InPlaceDeactivate()
{
    Record("InPlaceDeactivate");
    DeactivateInPlace();
    return S_OK;
}

HRESULT CStandInBrowser::UIDeactivate()
{
    Record("UIDeactivate");
    DeactivateUI();
    return S_OK;
}

HRESULT CStandInBrowser::SetObjectRects(LPCRECT lprcPosRect, LPCRECT lprcClipRect)
{
    Record("SetObjectRects", {"Pos=" + StandInRectText(lprcPosRect), "Clip=" + StandInRectText(lprcClipRect)});
    if (!lprcPosRect) return E_INVALIDARG;
    m_pState->rcPos = *lprcPosRect;
    if (m_pState->hwnd) {
        ::MoveWindow(m_pState->hwnd, lprcPosRect->left, lprcPosRect->top, lprcPosRect->right - lprcPosRect->left,
                     lprcPosRect->bottom - lprcPosRect->top, TRUE);
    }
    return S_OK;
}

HRESULT CStandInBrowser::TranslateAccelerator(LPMSG lpmsg)
{
    if (!lpmsg) {
        Record("TranslateAccelerator", {"Msg=null"});
        return E_INVALIDARG;
    }
    Record("TranslateAccelerator", {"hwnd=" + StandInHexText(reinterpret_cast<ULONG_PTR>(lpmsg->hwnd)),
                                    "message=" + StandInHexText(lpmsg->message),
                                    "wParam=" + StandInHexText(lpmsg->wParam)});
    m_pState->acceleratorMessages.push_back(*lpmsg);
    return m_pState->config.hrTranslateAccelerator;
}

HRESULT CStandInBrowser::OnFrameWindowActivate(BOOL fActivate)
{
    Record("OnFrameWindowActivate", {"Activate=" + std::to_string(fActivate)});
    return S_OK;
}

HRESULT CStandInBrowser::OnDocWindowActivate(BOOL fActivate)
{
    Record("OnDocWindowActivate", {"Activate=" + std::to_string(fActivate)});
    return S_OK;
}

HRESULT CStandInBrowser::ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow*, BOOL fFrameWindow)
{
    Record("ResizeBorder", {"Border=" + StandInRectText(prcBorder), "FrameWindow=" + std::to_string(fFrameWindow)});
    return S_OK;
}

HRESULT CStandInBrowser::EnableModeless(BOOL fEnable)
{
    Record("EnableModeless", {"Enable=" + std::to_string(fEnable)});
    return S_OK;
}

HRESULT CStandInBrowser::OnAmbientPropertyChange(DISPID dispID)
{
    Record("OnAmbientPropertyChange", {"DISPID=" + std::to_string(dispID)});
    m_pState->ambientChanges.push_back(dispID);
    return S_OK;
}

HRESULT CStandInBrowser::FreezeEvents(BOOL bFreeze)
{
    Record("FreezeEvents", {"Freeze=" + std::to_string(bFreeze)});
    return S_OK;
}

HRESULT CStandInBrowser::InitNew()
{
    return Recorded("InitNew");
}

HRESULT CStandInBrowser::GetClassInfo(ITypeInfo** ppTI)
{
    if (ppTI) *ppTI = nullptr;
    return E_NOTIMPL;
}

HRESULT CStandInBrowser::GetGUID(DWORD dwGuidKind, GUID* pGUID)
{
    Record("GetGUID", {"Kind=" + std::to_string(dwGuidKind)});
    if (!pGUID) return E_POINTER;
    if (dwGuidKind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    *pGUID = DIID_DWebBrowserEvents2;
    return S_OK;
}

HRESULT CStandInBrowser::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP)
{
    Record("FindConnectionPoint", {"IID=" + StandInGuidText(&riid)});
    if (!ppCP) return E_POINTER;
    *ppCP = nullptr;
    if (riid != DIID_DWebBrowserEvents2) return CONNECT_E_NOCONNECTION;
    if (m_pConnectionPoint) {
        m_pConnectionPoint->AddRef();
    } else {
        m_pConnectionPoint = new CStandInConnectionPoint(m_pState, this);
    }
    *ppCP = m_pConnectionPoint;
    return S_OK;
}

HRESULT CStandInBrowser::QueryService(REFGUID guidService, REFIID riid, void** ppv)
{
    Record("QueryService", {"Service=" + StandInGuidText(&guidService), "IID=" + StandInGuidText(&riid)});
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (guidService == SID_STravelLogCursor) {
        if (!m_pState->config.bTravelLog) return E_NOINTERFACE;
        CComPtr<ITravelLogStg> spTravelLog;
        spTravelLog.Attach(NewStandInTravelLog(m_pState));
        return spTravelLog->QueryInterface(riid, ppv);
    }
    if (guidService == SID_SWebBrowserApp) return QueryInterface(riid, ppv);
    return E_NOINTERFACE;
}

namespace {

// One step through the travel log: the page at the front of one list becomes the current
// one, and the current page goes to the front of the other list.
HRESULT StepThroughTravelLog(StandInConfig& config, std::vector<StandInTravelEntry>& from,
                             std::vector<StandInTravelEntry>& to)
{
    if (from.empty()) return E_FAIL;
    to.insert(to.begin(), StandInTravelEntry{config.document.strTitle, config.strLocationURL});
    config.document.strTitle = from.front().strTitle;
    config.strLocationURL = from.front().strURL;
    from.erase(from.begin());
    return S_OK;
}

}  // namespace

HRESULT CStandInBrowser::GoBack()
{
    Record("GoBack");
    return StepThroughTravelLog(m_pState->config, m_pState->config.back, m_pState->config.forward);
}

HRESULT CStandInBrowser::GoForward()
{
    Record("GoForward");
    return StepThroughTravelLog(m_pState->config, m_pState->config.forward, m_pState->config.back);
}

HRESULT CStandInBrowser::Navigate(BSTR URL, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* PostData,
                                  VARIANT* Headers)
{
    Record("Navigate", {"URL=" + BstrText(URL), "Flags=" + StandInVariantText(Flags),
                        "TargetFrameName=" + StandInVariantText(TargetFrameName),
                        "PostData=" + StandInVariantText(PostData), "Headers=" + StandInVariantText(Headers)});
    return URL ? S_OK : E_INVALIDARG;
}

HRESULT CStandInBrowser::Navigate2(VARIANT* URL, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* PostData,
                                   VARIANT* Headers)
{
    Record("Navigate2", {"URL=" + StandInVariantText(URL), "Flags=" + StandInVariantText(Flags),
                         "TargetFrameName=" + StandInVariantText(TargetFrameName),
                         "PostData=" + StandInVariantText(PostData), "Headers=" + StandInVariantText(Headers)});
    return URL ? S_OK : E_INVALIDARG;
}

HRESULT CStandInBrowser::Refresh2(VARIANT* Level)
{
    Record("Refresh2", {"Level=" + StandInVariantText(Level)});
    return S_OK;
}

HRESULT CStandInBrowser::get_Application(IDispatch** ppDisp)
{
    Record("get_Application");
    if (!ppDisp) return E_POINTER;
    StandInConfig& config = m_pState->config;
    if (config.bFaultInGetApplication) {
        config.bFaultInGetApplication = false;
        volatile int* volatile pNull = nullptr;
        *pNull = 1;
    }
    if (FAILED(config.hrGetApplication)) {
        *ppDisp = nullptr;
        return config.hrGetApplication;
    }
    *ppDisp = static_cast<IWebBrowser2*>(this);
    AddRef();
    return S_OK;
}

HRESULT CStandInBrowser::get_Document(IDispatch** ppDisp)
{
    Record("get_Document");
    if (!ppDisp) return E_POINTER;
    *ppDisp = nullptr;
    if (!m_pState->config.bDocument) return S_FALSE;
    if (!m_pState->spDocument) m_pState->spDocument.Attach(NewStandInDocument(m_pState));
    *ppDisp = m_pState->spDocument;
    (*ppDisp)->AddRef();
    return S_OK;
}

HRESULT CStandInBrowser::get_TopLevelContainer(VARIANT_BOOL* pBool)
{
    if (!pBool) return E_POINTER;
    *pBool = VARIANT_FALSE;
    return S_OK;
}

HRESULT CStandInBrowser::get_LocationName(BSTR* LocationName)
{
    Record("get_LocationName");
    if (!LocationName) return E_POINTER;
    const StandInConfig& config = m_pState->config;
    bool bTitle = config.bDocument && !config.document.strTitle.empty();
    *LocationName = ::SysAllocString(bTitle ? config.document.strTitle.c_str() : config.strLocationURL.c_str());
    return S_OK;
}

HRESULT CStandInBrowser::get_LocationURL(BSTR* LocationURL)
{
    Record("get_LocationURL");
    if (!LocationURL) return E_POINTER;
    *LocationURL = ::SysAllocString(m_pState->config.strLocationURL.c_str());
    return S_OK;
}

HRESULT CStandInBrowser::get_Busy(VARIANT_BOOL* pBool)
{
    if (!pBool) return E_POINTER;
    *pBool = VARIANT_FALSE;
    return S_OK;
}

HRESULT CStandInBrowser::get_ToolBar(int* Value)
{
    Record("get_ToolBar");
    if (!Value) return E_POINTER;
    *Value = m_pState->config.bToolBar;
    return S_OK;
}

HRESULT CStandInBrowser::put_ToolBar(int Value)
{
    Record("put_ToolBar", {"INT:" + std::to_string(Value)});
    m_pState->config.bToolBar = Value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT CStandInBrowser::get_MenuBar(VARIANT_BOOL* Value)
{
    Record("get_MenuBar");
    if (!Value) return E_POINTER;
    *Value = m_pState->config.bMenuBar;
    return S_OK;
}

HRESULT CStandInBrowser::put_MenuBar(VARIANT_BOOL Value)
{
    Record("put_MenuBar", {BoolText(Value)});
    m_pState->config.bMenuBar = Value;
    return S_OK;
}

HRESULT CStandInBrowser::GetFlag(const char* pszName, VARIANT_BOOL* pBool)
{
    Record(std::string("get_") + pszName);
    if (!pBool) return E_POINTER;
    auto it = m_mapFlags.find(pszName);
    *pBool = it != m_mapFlags.end() ? it->second : VARIANT_FALSE;
    return S_OK;
}

HRESULT CStandInBrowser::PutFlag(const char* pszName, VARIANT_BOOL b)
{
    Record(std::string("put_") + pszName, {BoolText(b)});
    m_mapFlags[pszName] = b;
    return S_OK;
}

// Zoom: a size from 0 to 4 sets it; no input reads it back, whatever the option.
HRESULT CStandInBrowser::ExecWB(OLECMDID cmdID, OLECMDEXECOPT cmdexecopt, VARIANT* pvaIn, VARIANT* pvaOut)
{
    Record("ExecWB", {"CmdID=" + std::to_string(cmdID), "Option=" + std::to_string(cmdexecopt),
                      "In=" + StandInVariantText(pvaIn), "Out=" + StandInSetText(pvaOut)});
    StandInConfig& config = m_pState->config;
    if (cmdID == OLECMDID_GETZOOMRANGE) {
        if (!pvaOut) return E_INVALIDARG;
        ::VariantClear(pvaOut);
        V_VT(pvaOut) = VT_I4;
        V_I4(pvaOut) = MAKELONG(0, 4);
        return S_OK;
    }
    if (cmdID != OLECMDID_ZOOM) return config.hrExecWB;
    bool bSet = pvaIn && V_VT(pvaIn) != VT_EMPTY;
    if (bSet) {
        if (V_VT(pvaIn) != VT_I4 || V_I4(pvaIn) < 0 || V_I4(pvaIn) > 4) return E_INVALIDARG;
        config.nZoom = V_I4(pvaIn);
    } else if (!pvaOut) {
        return E_INVALIDARG;
    }
    if (pvaOut) {
        ::VariantClear(pvaOut);
        V_VT(pvaOut) = VT_I4;
        V_I4(pvaOut) = config.nZoom;
    }
    return config.hrZoom;
}

HRESULT CStandInBrowser::get_ReadyState(READYSTATE* plReadyState)
{
    if (!plReadyState) return E_POINTER;
    *plReadyState = m_pState->config.bDocument ? READYSTATE_COMPLETE : READYSTATE_UNINITIALIZED;
    return S_OK;
}

// Sinks are taken as DWebBrowserEvents2 when they say so, else as a plain IDispatch.
HRESULT CStandInConnectionPoint::Advise(IUnknown* pUnkSink, DWORD* pdwCookie)
{
    if (!pUnkSink || !pdwCookie) return E_POINTER;
    *pdwCookie = 0;
    CComPtr<IDispatch> spSink;
    const char* pszAs = "DWebBrowserEvents2";
    if (FAILED(pUnkSink->QueryInterface(DIID_DWebBrowserEvents2, reinterpret_cast<void**>(&spSink))) || !spSink) {
        pszAs = "IDispatch";
        if (FAILED(pUnkSink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&spSink))) || !spSink) {
            m_pState->Record("Advise", {"Sink=refused"});
            return CONNECT_E_CANNOTCONNECT;
        }
    }
    DWORD dwCookie = m_pState->dwNextCookie++;
    m_pState->sinks[dwCookie].Attach(spSink.Detach());
    m_pState->Record("Advise", {"Sink=" + std::string(pszAs), "Cookie=" + std::to_string(dwCookie)});
    *pdwCookie = dwCookie;
    return S_OK;
}

HRESULT CStandInConnectionPoint::Unadvise(DWORD dwCookie)
{
    m_pState->Record("Unadvise", {"Cookie=" + std::to_string(dwCookie)});
    auto it = m_pState->sinks.find(dwCookie);
    if (it == m_pState->sinks.end()) return CONNECT_E_NOCONNECTION;
    CComPtr<IDispatch> spSink = std::move(it->second);  // released once the list is consistent again
    m_pState->sinks.erase(it);
    return S_OK;
}

}  // namespace

IUnknown* NewStandInBrowser(std::shared_ptr<StandInState> pState)
{
    return static_cast<IOleObject*>(new CStandInBrowser(std::move(pState)));
}

IDispatch* NewStandInDispatchAlias(std::shared_ptr<StandInState> pState, IUnknown* pControl)
{
    return new CStandInDispatchAlias(std::move(pState), pControl);
}

IDispatch* NewStandInFrameBrowser(std::shared_ptr<StandInState> pState, std::wstring strURL)
{
    return static_cast<IWebBrowser2*>(new CStandInFrameBrowser(std::move(pState), std::move(strURL)));
}
