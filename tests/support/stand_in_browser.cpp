#include "stand_in_browser.h"
#include "stand_in_state.h"

#include <exdispid.h>

#include "framework/interface_ids.h"

#include <algorithm>
#include <cstring>

namespace {

// A VARIANT the event helpers own for the length of one event; the argument
// array refers to it and is never cleared itself.
class COwnedVariant {
public:
    COwnedVariant() { ::VariantInit(&m_var); }
    explicit COwnedVariant(const std::wstring& str) : COwnedVariant()
    {
        V_VT(&m_var) = VT_BSTR;
        V_BSTR(&m_var) = ::SysAllocStringLen(str.data(), static_cast<UINT>(str.size()));
    }
    // A null psz makes a null BSTR, as the real control passes an absent string.
    explicit COwnedVariant(const wchar_t* psz) : COwnedVariant()
    {
        V_VT(&m_var) = VT_BSTR;
        V_BSTR(&m_var) = psz ? ::SysAllocString(psz) : nullptr;
    }
    explicit COwnedVariant(long n) : COwnedVariant()
    {
        V_VT(&m_var) = VT_I4;
        V_I4(&m_var) = n;
    }
    ~COwnedVariant() { ::VariantClear(&m_var); }
    COwnedVariant(const COwnedVariant&) = delete;
    COwnedVariant& operator=(const COwnedVariant&) = delete;

    VARIANT* get() { return &m_var; }

private:
    VARIANT m_var;
};

VARIANT VariantRef(VARIANT* pTarget)
{
    VARIANT var;
    ::VariantInit(&var);
    V_VT(&var) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&var) = pTarget;
    return var;
}

VARIANT BoolRef(VARIANT_BOOL* pb)
{
    VARIANT var;
    ::VariantInit(&var);
    V_VT(&var) = VT_BOOL | VT_BYREF;
    V_BOOLREF(&var) = pb;
    return var;
}

VARIANT BoolArg(bool b)
{
    VARIANT var;
    ::VariantInit(&var);
    V_VT(&var) = VT_BOOL;
    V_BOOL(&var) = b ? VARIANT_TRUE : VARIANT_FALSE;
    return var;
}

VARIANT LongArg(long n)
{
    VARIANT var;
    ::VariantInit(&var);
    V_VT(&var) = VT_I4;
    V_I4(&var) = n;
    return var;
}

// Not referenced: the argument array never owns what it points to.
VARIANT DispatchArg(IDispatch* pDisp)
{
    VARIANT var;
    ::VariantInit(&var);
    V_VT(&var) = VT_DISPATCH;
    V_DISPATCH(&var) = pDisp;
    return var;
}

// The site's IDocHostUIHandler is asked for on each call, as the real control
// does, and released after.
HRESULT CallHandler(StandInState& state, const std::function<HRESULT(IDocHostUIHandler*)>& call)
{
    if (!state.spClientSite) return E_UNEXPECTED;
    CComPtr<IDocHostUIHandler> spHandler;
    HRESULT hr = state.spClientSite->QueryInterface(IID_IDocHostUIHandler, reinterpret_cast<void**>(&spHandler));
    return SUCCEEDED(hr) && spHandler ? call(spHandler) : E_NOINTERFACE;
}

std::string EventName(DISPID dispid)
{
    switch (dispid) {
    case DISPID_BEFORENAVIGATE2: return "BeforeNavigate2";
    case DISPID_NEWWINDOW2: return "NewWindow2";
    case DISPID_NAVIGATECOMPLETE2: return "NavigateComplete2";
    case DISPID_DOCUMENTCOMPLETE: return "DocumentComplete";
    case DISPID_NAVIGATEERROR: return "NavigateError";
    case DISPID_STATUSTEXTCHANGE: return "StatusTextChange";
    case DISPID_TITLECHANGE: return "TitleChange";
    case DISPID_COMMANDSTATECHANGE: return "CommandStateChange";
    case DISPID_DOWNLOADBEGIN: return "DownloadBegin";
    case DISPID_DOWNLOADCOMPLETE: return "DownloadComplete";
    case DISPID_PROGRESSCHANGE: return "ProgressChange";
    case DISPID_SETSECURELOCKICON: return "SetSecureLockIcon";
    case DISPID_WINDOWSETLEFT: return "WindowSetLeft";
    case DISPID_WINDOWSETTOP: return "WindowSetTop";
    case DISPID_WINDOWSETWIDTH: return "WindowSetWidth";
    case DISPID_WINDOWSETHEIGHT: return "WindowSetHeight";
    case DISPID_WINDOWCLOSING: return "WindowClosing";
    default: return std::to_string(dispid);
    }
}

}  // namespace

struct StandInBrowserFactory::Shared {
    StandInConfig defaults;
    std::vector<std::shared_ptr<StandInControl>> controls;
};

namespace {

// The registered class object: each instance gets a fresh record, kept by the factory.
class CStandInClassObject : public IClassFactory {
public:
    explicit CStandInClassObject(std::shared_ptr<StandInBrowserFactory::Shared> pShared)
        : m_pShared(std::move(pShared))
    {
    }
    CStandInClassObject(const CStandInClassObject&) = delete;
    CStandInClassObject& operator=(const CStandInClassObject&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&m_cRef); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG cRef = ::InterlockedDecrement(&m_cRef);
        if (cRef == 0) delete this;
        return cRef;
    }

    // IClassFactory
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (pUnkOuter) return CLASS_E_NOAGGREGATION;
        auto pState = std::make_shared<StandInState>();
        pState->config = m_pShared->defaults;
        m_pShared->controls.push_back(std::make_shared<StandInControl>(pState));
        IUnknown* pBrowser = NewStandInBrowser(pState);
        HRESULT hr = pBrowser->QueryInterface(riid, ppv);
        pBrowser->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    virtual ~CStandInClassObject() = default;

    LONG m_cRef = 1;
    std::shared_ptr<StandInBrowserFactory::Shared> m_pShared;
};

}  // namespace

// StandInState

void StandInState::Record(std::string strMethod, std::vector<std::string> args)
{
    calls.push_back({std::move(strMethod), std::move(args)});
}

HRESULT StandInState::QuerySite(IUnknown* pSite, REFIID riid, void** ppv)
{
    void* pv = nullptr;
    HRESULT hr = pSite ? pSite->QueryInterface(riid, &pv) : E_UNEXPECTED;
    Record("Site.QueryInterface", {"IID=" + StandInGuidText(&riid), "hr=" + StandInHrText(hr)});
    if (FAILED(hr)) pv = nullptr;
    if (ppv) {
        *ppv = pv;
    } else if (pv) {
        static_cast<IUnknown*>(pv)->Release();
    }
    return hr;
}

HRESULT StandInState::InvokeAmbient(IDispatch* pDispatch, DISPID dispid, VARIANT* pResult)
{
    ::VariantInit(pResult);
    DISPPARAMS params{};
    HRESULT hr = pDispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &params, pResult,
                                   nullptr, nullptr);
    Record("Site.Invoke", {"DISPID=" + std::to_string(dispid), "Result=" + StandInVariantText(pResult),
                           "hr=" + StandInHrText(hr)});
    return hr;
}

void StandInState::Born(const char* pszKind)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_mapLive[pszKind];
}

void StandInState::Died(const char* pszKind)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (--m_mapLive[pszKind] == 0) m_mapLive.erase(pszKind);
}

int StandInState::LiveCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    int cLive = 0;
    for (const auto& entry : m_mapLive) cLive += entry.second;
    return cLive;
}

std::vector<std::string> StandInState::LiveKinds() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> kinds;
    for (const auto& [strKind, cLive] : m_mapLive) kinds.insert(kinds.end(), cLive, strKind);
    return kinds;
}

// StandInSiteProbe

const StandInAmbientAnswer* StandInSiteProbe::Ambient(DISPID dispid) const
{
    for (const StandInAmbientAnswer& answer : ambients) {
        if (answer.dispid == dispid) return &answer;
    }
    return nullptr;
}

// StandInControl

StandInControl::StandInControl(std::shared_ptr<StandInState> pState) : m_pState(std::move(pState)) {}

StandInControl::~StandInControl() = default;

std::vector<StandInCall> StandInControl::Calls() const
{
    return m_pState->calls;
}

std::vector<std::string> StandInControl::CallNames() const
{
    std::vector<std::string> names;
    for (const StandInCall& call : m_pState->calls) names.push_back(call.method);
    return names;
}

std::vector<StandInCall> StandInControl::CallsNamed(std::string_view method) const
{
    std::vector<StandInCall> calls;
    for (const StandInCall& call : m_pState->calls) {
        if (call.method == method) calls.push_back(call);
    }
    return calls;
}

int StandInControl::CountCalls(std::string_view method) const
{
    return static_cast<int>(std::count_if(m_pState->calls.begin(), m_pState->calls.end(),
                                          [method](const StandInCall& call) { return call.method == method; }));
}

std::optional<StandInCall> StandInControl::LastCall(std::string_view method) const
{
    for (auto it = m_pState->calls.rbegin(); it != m_pState->calls.rend(); ++it) {
        if (it->method == method) return *it;
    }
    return std::nullopt;
}

void StandInControl::ClearCalls()
{
    m_pState->calls.clear();
}

StandInSiteProbe StandInControl::SiteProbe() const
{
    return m_pState->probe;
}

IOleClientSite* StandInControl::ClientSite() const
{
    return m_pState->spClientSite;
}

bool StandInControl::HoldsClientSite() const
{
    return m_pState->spClientSite.p() != nullptr;
}

bool StandInControl::IsInPlaceActive() const
{
    return m_pState->bInPlaceActive;
}

bool StandInControl::IsUIActive() const
{
    return m_pState->bUIActive;
}

HWND StandInControl::Window() const
{
    return m_pState->hwnd;
}

RECT StandInControl::ObjectRect() const
{
    return m_pState->rcPos;
}

std::vector<DISPID> StandInControl::AmbientChanges() const
{
    return m_pState->ambientChanges;
}

std::vector<MSG> StandInControl::AcceleratorMessages() const
{
    return m_pState->acceleratorMessages;
}

IDispatch* StandInControl::Dispatch() const
{
    return m_pState->pBrowserDispatch;
}

bool StandInControl::IsAlive() const
{
    return m_pState->pBrowserDispatch != nullptr;
}

StandInConfig& StandInControl::Config()
{
    return m_pState->config;
}

void StandInControl::SetDocument(bool bDocument)
{
    m_pState->config.bDocument = bDocument;
    if (!bDocument) m_pState->spDocument.Release();
}

void StandInControl::SetTitle(std::wstring strTitle)
{
    m_pState->config.document.strTitle = std::move(strTitle);
}

void StandInControl::SetDocumentURL(std::wstring strURL)
{
    m_pState->config.document.strURL = std::move(strURL);
}

void StandInControl::SetLocationURL(std::wstring strURL)
{
    m_pState->config.strLocationURL = std::move(strURL);
}

void StandInControl::SetZoom(long nZoom)
{
    m_pState->config.nZoom = nZoom;
}

long StandInControl::Zoom() const
{
    return m_pState->config.nZoom;
}

void StandInControl::SetTravelLog(std::vector<StandInTravelEntry> back, std::vector<StandInTravelEntry> forward)
{
    m_pState->config.back = std::move(back);
    m_pState->config.forward = std::move(forward);
}

void StandInControl::SetTravelLogOffered(bool bOffered)
{
    m_pState->config.bTravelLog = bOffered;
}

void StandInControl::SetAcceleratorResult(HRESULT hr)
{
    m_pState->config.hrTranslateAccelerator = hr;
}

void StandInControl::SetActiveElement(StandInElementKind kind, std::wstring strType)
{
    m_pState->config.document.activeElement = kind;
    m_pState->config.document.strActiveElementType = std::move(strType);
}

void StandInControl::SetFrameCount(int nFrames)
{
    m_pState->config.frames.resize(std::max(nFrames, 0));
}

void StandInControl::SetFrames(std::vector<StandInDocumentConfig> frames)
{
    m_pState->config.frames = std::move(frames);
}

void StandInControl::SetMenuBar(bool bVisible)
{
    m_pState->config.bMenuBar = bVisible ? VARIANT_TRUE : VARIANT_FALSE;
}

void StandInControl::SetToolBar(bool bVisible)
{
    m_pState->config.bToolBar = bVisible ? VARIANT_TRUE : VARIANT_FALSE;
}

// Events

int StandInControl::SinkCount() const
{
    return static_cast<int>(m_pState->sinks.size());
}

HRESULT StandInControl::Fire(DISPID dispid, const std::vector<VARIANT>& argsInNaturalOrder)
{
    StandInState& state = *m_pState;
    std::vector<VARIANT> rgvarg(argsInNaturalOrder.rbegin(), argsInNaturalOrder.rend());
    DISPPARAMS params{rgvarg.empty() ? nullptr : rgvarg.data(), nullptr, static_cast<UINT>(rgvarg.size()), 0};
    state.Record("Event." + EventName(dispid), {"Sinks=" + std::to_string(state.sinks.size())});
    // A sink may unadvise or release the control while handling the event.
    auto sinks = state.sinks;
    CComPtr<IDispatch> spKeepAlive(state.pBrowserDispatch);
    HRESULT hrResult = sinks.empty() ? S_FALSE : S_OK;
    for (auto& [dwCookie, spSink] : sinks) {
        VARIANT varResult;
        ::VariantInit(&varResult);
        HRESULT hr = spSink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &varResult,
                                    nullptr, nullptr);
        ::VariantClear(&varResult);
        if (FAILED(hr)) hrResult = hr;
    }
    return hrResult;
}

bool StandInControl::FireBeforeNavigate2(IDispatch* pDisp, const std::wstring& strURL, long nFlags,
                                         const wchar_t* pszTargetFrame, const std::optional<std::string>& postData,
                                         const wchar_t* pszHeaders, bool bCancel)
{
    COwnedVariant varURL(strURL), varFlags(nFlags), varTarget(pszTargetFrame), varHeaders(pszHeaders);
    COwnedVariant varPostBytes;
    // Post data comes as a reference to a reference to the bytes, or as nothing.
    VARIANT varPost;
    ::VariantInit(&varPost);
    if (postData) {
        SAFEARRAY* psa = ::SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(postData->size()));
        void* pvData = nullptr;
        if (psa && SUCCEEDED(::SafeArrayAccessData(psa, &pvData))) {
            std::memcpy(pvData, postData->data(), postData->size());
            ::SafeArrayUnaccessData(psa);
        }
        V_VT(varPostBytes.get()) = VT_ARRAY | VT_UI1;
        V_ARRAY(varPostBytes.get()) = psa;
        varPost = VariantRef(varPostBytes.get());
    }
    VARIANT_BOOL vbCancel = bCancel ? VARIANT_TRUE : VARIANT_FALSE;
    Fire(DISPID_BEFORENAVIGATE2,
         {DispatchArg(pDisp ? pDisp : Dispatch()), VariantRef(varURL.get()), VariantRef(varFlags.get()),
          VariantRef(varTarget.get()), VariantRef(&varPost), VariantRef(varHeaders.get()), BoolRef(&vbCancel)});
    return vbCancel != VARIANT_FALSE;
}

HRESULT StandInControl::FireNavigateComplete2(IDispatch* pDisp, const std::wstring& strURL)
{
    COwnedVariant varURL(strURL);
    return Fire(DISPID_NAVIGATECOMPLETE2, {DispatchArg(pDisp ? pDisp : Dispatch()), VariantRef(varURL.get())});
}

HRESULT StandInControl::FireDocumentComplete(IDispatch* pDisp, const std::wstring& strURL)
{
    COwnedVariant varURL(strURL);
    return Fire(DISPID_DOCUMENTCOMPLETE, {DispatchArg(pDisp ? pDisp : Dispatch()), VariantRef(varURL.get())});
}

bool StandInControl::FireNavigateError(IDispatch* pDisp, const std::wstring& strURL, const std::wstring& strFrame,
                                       long nStatusCode, bool bCancel)
{
    COwnedVariant varURL(strURL), varFrame(strFrame), varStatus(nStatusCode);
    VARIANT_BOOL vbCancel = bCancel ? VARIANT_TRUE : VARIANT_FALSE;
    Fire(DISPID_NAVIGATEERROR, {DispatchArg(pDisp ? pDisp : Dispatch()), VariantRef(varURL.get()),
                                VariantRef(varFrame.get()), VariantRef(varStatus.get()), BoolRef(&vbCancel)});
    return vbCancel != VARIANT_FALSE;
}

HRESULT StandInControl::FireStatusTextChange(const std::wstring& strText)
{
    COwnedVariant varText(strText);
    return Fire(DISPID_STATUSTEXTCHANGE, {*varText.get()});
}

HRESULT StandInControl::FireTitleChange(const std::wstring& strTitle)
{
    COwnedVariant varTitle(strTitle);
    return Fire(DISPID_TITLECHANGE, {*varTitle.get()});
}

HRESULT StandInControl::FireCommandStateChange(long nCommand, bool bEnable)
{
    return Fire(DISPID_COMMANDSTATECHANGE, {LongArg(nCommand), BoolArg(bEnable)});
}

HRESULT StandInControl::FireDownloadBegin()
{
    return Fire(DISPID_DOWNLOADBEGIN, {});
}

HRESULT StandInControl::FireDownloadComplete()
{
    return Fire(DISPID_DOWNLOADCOMPLETE, {});
}

HRESULT StandInControl::FireProgressChange(long nProgress, long nProgressMax)
{
    return Fire(DISPID_PROGRESSCHANGE, {LongArg(nProgress), LongArg(nProgressMax)});
}

bool StandInControl::FireNewWindow2(bool bCancel, bool bWithDispatchRef)
{
    IDispatch* pNewWindow = nullptr;
    VARIANT varNewWindow;
    ::VariantInit(&varNewWindow);
    V_VT(&varNewWindow) = VT_DISPATCH | VT_BYREF;
    V_DISPATCHREF(&varNewWindow) = bWithDispatchRef ? &pNewWindow : nullptr;
    VARIANT_BOOL vbCancel = bCancel ? VARIANT_TRUE : VARIANT_FALSE;
    Fire(DISPID_NEWWINDOW2, {varNewWindow, BoolRef(&vbCancel)});
    m_pState->spNewWindow.Attach(pNewWindow);
    return vbCancel != VARIANT_FALSE;
}

IDispatch* StandInControl::NewWindowDispatch() const
{
    return m_pState->spNewWindow;
}

void StandInControl::ResetNewWindow()
{
    m_pState->spNewWindow.Release();
}

HRESULT StandInControl::FireSetSecureLockIcon(long nSecureLockIcon)
{
    return Fire(DISPID_SETSECURELOCKICON, {LongArg(nSecureLockIcon)});
}

HRESULT StandInControl::FireWindowSetLeft(long nLeft)
{
    return Fire(DISPID_WINDOWSETLEFT, {LongArg(nLeft)});
}

HRESULT StandInControl::FireWindowSetTop(long nTop)
{
    return Fire(DISPID_WINDOWSETTOP, {LongArg(nTop)});
}

HRESULT StandInControl::FireWindowSetWidth(long nWidth)
{
    return Fire(DISPID_WINDOWSETWIDTH, {LongArg(nWidth)});
}

HRESULT StandInControl::FireWindowSetHeight(long nHeight)
{
    return Fire(DISPID_WINDOWSETHEIGHT, {LongArg(nHeight)});
}

bool StandInControl::FireWindowClosing(bool bIsChildWindow, bool bCancel)
{
    VARIANT_BOOL vbCancel = bCancel ? VARIANT_TRUE : VARIANT_FALSE;
    Fire(DISPID_WINDOWCLOSING, {BoolArg(bIsChildWindow), BoolRef(&vbCancel)});
    return vbCancel != VARIANT_FALSE;
}

CComPtr<IDispatch> StandInControl::FrameBrowser(std::wstring strURL)
{
    CComPtr<IDispatch> spFrame;
    spFrame.Attach(NewStandInFrameBrowser(m_pState, std::move(strURL)));
    return spFrame;
}

CComPtr<IDispatch> StandInControl::DispatchAlias()
{
    CComPtr<IDispatch> spAlias;
    if (m_pState->pBrowserDispatch) spAlias.Attach(NewStandInDispatchAlias(m_pState, m_pState->pBrowserDispatch));
    return spAlias;
}

// Calls into the host

HRESULT StandInControl::InvokeAmbient(DISPID dispid, VARIANT* pResult)
{
    StandInState& state = *m_pState;
    if (!state.spClientSite) return E_UNEXPECTED;
    CComPtr<IDispatch> spDispatch;
    if (FAILED(state.spClientSite->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&spDispatch))) ||
        !spDispatch)
        return E_NOINTERFACE;
    VARIANT varResult;
    HRESULT hr = state.InvokeAmbient(spDispatch, dispid, pResult ? pResult : &varResult);
    if (!pResult) ::VariantClear(&varResult);
    return hr;
}

HRESULT StandInControl::QuerySite(REFIID riid)
{
    if (!m_pState->spClientSite) return E_UNEXPECTED;
    return m_pState->QuerySite(m_pState->spClientSite, riid);
}

HRESULT StandInControl::GetHostInfo(DOCHOSTUIINFO* pInfo)
{
    if (!pInfo) return E_POINTER;
    *pInfo = {};
    pInfo->cbSize = sizeof(*pInfo);
    HRESULT hr = CallHandler(*m_pState, [pInfo](IDocHostUIHandler* pHandler) { return pHandler->GetHostInfo(pInfo); });
    m_pState->Record("Site.GetHostInfo", {"Flags=" + StandInHexText(pInfo->dwFlags),
                                          "DoubleClick=" + std::to_string(pInfo->dwDoubleClick),
                                          "hr=" + StandInHrText(hr)});
    return hr;
}

HRESULT StandInControl::GetExternal(IDispatch** ppDispatch)
{
    if (!ppDispatch) return E_POINTER;
    *ppDispatch = nullptr;
    HRESULT hr =
        CallHandler(*m_pState, [ppDispatch](IDocHostUIHandler* pHandler) { return pHandler->GetExternal(ppDispatch); });
    m_pState->Record("Site.GetExternal", {"External=" + StandInSetText(*ppDispatch), "hr=" + StandInHrText(hr)});
    return hr;
}

HRESULT StandInControl::ShowMessage(HWND hwnd, LPOLESTR lpstrText, LPOLESTR lpstrCaption, DWORD dwType,
                                    LRESULT* plResult)
{
    StandInState& state = *m_pState;
    if (!state.spClientSite) return E_UNEXPECTED;
    LRESULT lResult = 0;
    CComPtr<IDocHostShowUI> spShowUI;
    HRESULT hr = state.spClientSite->QueryInterface(IID_IDocHostShowUI, reinterpret_cast<void**>(&spShowUI));
    if (SUCCEEDED(hr) && spShowUI) {
        hr = spShowUI->ShowMessage(hwnd, lpstrText, lpstrCaption, dwType, nullptr, 0, &lResult);
    } else {
        hr = E_NOINTERFACE;
    }
    if (plResult) *plResult = lResult;
    state.Record("Site.ShowMessage", {"Text=" + StandInUtf8(lpstrText ? lpstrText : L""),
                                      "Caption=" + StandInUtf8(lpstrCaption ? lpstrCaption : L""),
                                      "Type=" + StandInHexText(dwType), "Result=" + std::to_string(lResult),
                                      "hr=" + StandInHrText(hr)});
    return hr;
}

HRESULT StandInControl::CallHostUIHandler(const std::string& strMethod,
                                          const std::function<HRESULT(IDocHostUIHandler*)>& call)
{
    HRESULT hr = CallHandler(*m_pState, call);
    m_pState->Record("Site." + strMethod, {"hr=" + StandInHrText(hr)});
    return hr;
}

bool StandInControl::RequestClose()
{
    return m_pState->hwnd && ::PostMessageW(m_pState->hwnd, WM_CLOSE, 0, 0);
}

// Reference accounting

int StandInControl::LiveObjects() const
{
    return m_pState->LiveCount();
}

std::vector<std::string> StandInControl::LiveObjectKinds() const
{
    return m_pState->LiveKinds();
}

bool StandInControl::HostReferencesHeld() const
{
    return m_pState->spClientSite.p() || m_pState->spInPlaceSite.p() || !m_pState->sinks.empty();
}

// StandInBrowserFactory

StandInBrowserFactory::StandInBrowserFactory()
    : m_pShared(std::make_shared<Shared>()), m_pClassObject(new CStandInClassObject(m_pShared))
{
    m_hrRegister = ::CoRegisterClassObject(CLSID_WebBrowser, m_pClassObject, CLSCTX_INPROC_SERVER,
                                           REGCLS_MULTIPLEUSE, &m_dwRegister);
}

StandInBrowserFactory::~StandInBrowserFactory()
{
    if (SUCCEEDED(m_hrRegister)) ::CoRevokeClassObject(m_dwRegister);
    m_pClassObject->Release();
}

StandInConfig& StandInBrowserFactory::Defaults()
{
    return m_pShared->defaults;
}

std::vector<std::shared_ptr<StandInControl>> StandInBrowserFactory::Controls() const
{
    return m_pShared->controls;
}

std::shared_ptr<StandInControl> StandInBrowserFactory::Last() const
{
    return m_pShared->controls.empty() ? nullptr : m_pShared->controls.back();
}
