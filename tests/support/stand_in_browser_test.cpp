#include <gtest/gtest.h>

#include "support/stand_in_browser.h"

#include <exdispid.h>
#include <idispids.h>
#include <mshtml.h>
#include <olectl.h>
#include <servprov.h>
#include <tlogstg.h>

#include "framework/handles.h"
#include "framework/interface_ids.h"

#include <algorithm>
#include <cstring>

namespace {

// The IUnknown of the test's own host objects; Refs() lets a test see what the stand-in still holds.
template <class... Interfaces>
class CTestObject : public Interfaces... {
public:
    CTestObject() = default;
    virtual ~CTestObject() = default;
    CTestObject(const CTestObject&) = delete;
    CTestObject& operator=(const CTestObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        IUnknown* pUnk = Find(riid);
        *ppv = pUnk;
        if (!pUnk) return E_NOINTERFACE;
        pUnk->AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&m_cRef); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG cRef = ::InterlockedDecrement(&m_cRef);
        if (cRef == 0) delete this;
        return cRef;
    }
    LONG Refs() const { return m_cRef; }

protected:
    virtual IUnknown* Find(REFIID riid) = 0;

private:
    LONG m_cRef = 1;
};

// A minimal control site in a real window: ambient properties through IDispatch and in-place activation.
class CTestSite : public CTestObject<IOleClientSite, IOleInPlaceSite, IDispatch> {
public:
    explicit CTestSite(HWND hwnd) : m_hwnd(hwnd) {}

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** pp) override
    {
        *pp = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override
    {
        *phwnd = m_hwnd;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc, LPRECT lprcPosRect,
                                               LPRECT lprcClipRect, LPOLEINPLACEFRAMEINFO lpFrameInfo) override
    {
        *ppFrame = nullptr;
        *ppDoc = nullptr;
        *lprcPosRect = *lprcClipRect = kPos;
        m_cbFrameInfo = lpFrameInfo->cb;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

    // IDispatch: offline when not connected, not silent
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* pResult, EXCEPINFO*,
                                     UINT*) override
    {
        if (dispid != DISPID_AMBIENT_OFFLINEIFNOTCONNECTED && dispid != DISPID_AMBIENT_SILENT)
            return DISP_E_MEMBERNOTFOUND;
        V_VT(pResult) = VT_BOOL;
        V_BOOL(pResult) = dispid == DISPID_AMBIENT_OFFLINEIFNOTCONNECTED ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

    static constexpr RECT kPos{10, 20, 310, 220};
    UINT m_cbFrameInfo = 0;

protected:
    IUnknown* Find(REFIID riid) override
    {
        if (riid == IID_IUnknown || riid == IID_IOleClientSite) return static_cast<IOleClientSite*>(this);
        if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite) return static_cast<IOleInPlaceSite*>(this);
        if (riid == IID_IDispatch) return static_cast<IDispatch*>(this);
        return nullptr;
    }

private:
    HWND m_hwnd;
};

// An event sink that decodes what it is given and answers Cancel and NewWindow2's ppDisp.
class CTestSink : public CTestObject<IDispatch> {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID, LCID, WORD wFlags, DISPPARAMS* pParams, VARIANT*,
                                     EXCEPINFO*, UINT*) override
    {
        m_events.push_back(dispid);
        EXPECT_EQ(wFlags, DISPATCH_METHOD);
        VARIANT* rgvarg = pParams->rgvarg;
        if (dispid == DISPID_BEFORENAVIGATE2 && pParams->cArgs == 7) {
            EXPECT_EQ(V_VT(&rgvarg[6]), VT_DISPATCH);
            m_pDispIdentity = Identity(V_DISPATCH(&rgvarg[6]));
            m_strURL = Text(V_BSTR(V_VARIANTREF(&rgvarg[5])));
            m_nFlags = V_I4(V_VARIANTREF(&rgvarg[4]));
            m_strTarget = Text(V_BSTR(V_VARIANTREF(&rgvarg[3])));
            VARIANT* pPost = V_VARIANTREF(&rgvarg[2]);
            m_strPost = "EMPTY";
            if (V_VT(pPost) == (VT_VARIANT | VT_BYREF) && V_VT(V_VARIANTREF(pPost)) == (VT_ARRAY | VT_UI1)) {
                SAFEARRAY* psa = V_ARRAY(V_VARIANTREF(pPost));
                m_strPost.assign(static_cast<const char*>(psa->pvData), psa->rgsabound[0].cElements);
            }
            m_strHeaders = Text(V_BSTR(V_VARIANTREF(&rgvarg[1])));
            EXPECT_EQ(V_VT(&rgvarg[0]), VT_BOOL | VT_BYREF);
            *V_BOOLREF(&rgvarg[0]) = m_bCancel ? VARIANT_TRUE : VARIANT_FALSE;
        } else if (dispid == DISPID_NEWWINDOW2 && pParams->cArgs == 2) {
            EXPECT_EQ(V_VT(&rgvarg[1]), VT_DISPATCH | VT_BYREF);
            EXPECT_EQ(*V_DISPATCHREF(&rgvarg[1]), nullptr);
            *V_DISPATCHREF(&rgvarg[1]) = this;
            AddRef();
        }
        return S_OK;
    }

    static std::wstring Text(BSTR bstr) { return bstr ? bstr : L"(null)"; }
    static IUnknown* Identity(IUnknown* p)
    {
        IUnknown* pUnk = nullptr;
        if (p) p->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pUnk));
        if (pUnk) pUnk->Release();  // compared only, never used
        return pUnk;
    }

    bool m_bCancel = false;
    std::vector<DISPID> m_events;
    IUnknown* m_pDispIdentity = nullptr;
    std::wstring m_strURL, m_strTarget, m_strHeaders;
    long m_nFlags = -1;
    std::string m_strPost;

protected:
    IUnknown* Find(REFIID riid) override
    {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID_DWebBrowserEvents2)
            return static_cast<IDispatch*>(this);
        return nullptr;
    }
};

class StandInBrowserTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &HostProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"StandInTestHost";
        ::RegisterClassExW(&wc);
        m_hwndHost = ::CreateWindowExW(0, wc.lpszClassName, L"Host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE,
                                       0, 0, 640, 480, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(m_hwndHost, nullptr);
        s_nChildDestroyed = 0;
    }
    void TearDown() override
    {
        ::DestroyWindow(m_hwndHost);
        ::OleUninitialize();
    }

    static LRESULT CALLBACK HostProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        if (uMsg == WM_PARENTNOTIFY && LOWORD(wParam) == WM_DESTROY) ++s_nChildDestroyed;
        return ::DefWindowProcW(hwnd, uMsg, wParam, lParam);
    }
    static void Pump()
    {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
    template <class T>
    static CComPtr<T> As(IUnknown* p)
    {
        CComPtr<T> sp;
        if (p) p->QueryInterface(__uuidof(T), reinterpret_cast<void**>(&sp));
        return sp;
    }
    static std::wstring Take(LPWSTR psz)
    {
        std::wstring str = psz ? psz : L"";
        ::CoTaskMemFree(psz);
        return str;
    }
    static std::vector<std::wstring> Titles(ITravelLogStg* pTravelLog, TLENUMF flags)
    {
        std::vector<std::wstring> titles;
        CComPtr<IEnumTravelLogEntry> spEnum;
        EXPECT_EQ(pTravelLog->EnumEntries(flags, &spEnum), S_OK);
        ITravelLogEntry* pEntry = nullptr;
        ULONG cFetched = 0;
        while (spEnum->Next(1, &pEntry, &cFetched) == S_OK) {
            LPWSTR pszTitle = nullptr, pszURL = nullptr;
            pEntry->GetTitle(&pszTitle);
            pEntry->GetURL(&pszURL);
            titles.push_back(Take(pszTitle) + L"=" + Take(pszURL));
            pEntry->Release();
        }
        EXPECT_EQ(cFetched, 0u);
        return titles;
    }

    HWND m_hwndHost = nullptr;
    static inline int s_nChildDestroyed = 0;
};

TEST_F(StandInBrowserTest, HostedLikeTheRealControlItRecordsTheHostAndLeavesNothingBehind)
{
    StandInBrowserFactory factory;
    ASSERT_EQ(factory.RegistrationResult(), S_OK);
    factory.Defaults().back = {{L"Two", L"http://b/"}, {L"One", L"http://a/"}};
    factory.Defaults().forward = {{L"Three", L"http://c/"}};
    auto* pSite = new CTestSite(m_hwndHost);
    auto* pSink = new CTestSink;
    {
        CComPtr<IUnknown> spControl;
        ASSERT_EQ(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                     reinterpret_cast<void**>(&spControl)),
                  S_OK);
        ASSERT_EQ(factory.Controls().size(), 1u);
        std::shared_ptr<StandInControl> pControl = factory.Last();

        auto spOleObject = As<IOleObject>(spControl);
        ASSERT_EQ(spOleObject->SetClientSite(pSite), S_OK);
        StandInSiteProbe probe = pControl->SiteProbe();
        EXPECT_TRUE(probe.bDispatch);
        EXPECT_TRUE(probe.bInPlaceSite);
        EXPECT_FALSE(probe.bDocHostUIHandler);
        EXPECT_FALSE(probe.bCommandTarget);
        ASSERT_NE(probe.Ambient(DISPID_AMBIENT_OFFLINEIFNOTCONNECTED), nullptr);
        EXPECT_EQ(probe.Ambient(DISPID_AMBIENT_OFFLINEIFNOTCONNECTED)->strValue, "BOOL:true");
        EXPECT_EQ(probe.Ambient(DISPID_AMBIENT_SILENT)->vt, VT_BOOL);
        EXPECT_EQ(probe.Ambient(DISPID_AMBIENT_SILENT)->strValue, "BOOL:false");
        EXPECT_EQ(pControl->ClientSite(), pSite);
        EXPECT_EQ(pSite->Refs(), 2);
        EXPECT_EQ(As<IPersistStreamInit>(spControl)->InitNew(), S_OK);

        GUID iidEvents{};
        ASSERT_EQ(As<IProvideClassInfo2>(spControl)->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &iidEvents), S_OK);
        EXPECT_EQ(iidEvents, DIID_DWebBrowserEvents2);
        auto spContainer = As<IConnectionPointContainer>(spControl);
        CComPtr<IConnectionPoint> spPoint;
        EXPECT_EQ(spContainer->FindConnectionPoint(DIID_DWebBrowserEvents, &spPoint), CONNECT_E_NOCONNECTION);
        ASSERT_EQ(spContainer->FindConnectionPoint(DIID_DWebBrowserEvents2, &spPoint), S_OK);
        DWORD dwCookie = 0;
        ASSERT_EQ(spPoint->Advise(static_cast<IDispatch*>(pSink), &dwCookie), S_OK);
        EXPECT_EQ(pControl->SinkCount(), 1);

        RECT rcPos = CTestSite::kPos;
        ASSERT_EQ(spOleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, pSite, 0, m_hwndHost, &rcPos), S_OK);
        HWND hwnd = nullptr;
        ASSERT_EQ(As<IOleInPlaceObject>(spControl)->GetWindow(&hwnd), S_OK);
        EXPECT_EQ(hwnd, pControl->Window());
        EXPECT_EQ(::GetParent(hwnd), m_hwndHost);
        EXPECT_TRUE(::IsWindowVisible(hwnd));
        RECT rcWindow{};
        ::GetWindowRect(hwnd, &rcWindow);
        ::MapWindowPoints(nullptr, m_hwndHost, reinterpret_cast<POINT*>(&rcWindow), 2);
        EXPECT_TRUE(::EqualRect(&rcWindow, &CTestSite::kPos));
        EXPECT_EQ(pSite->m_cbFrameInfo, sizeof(OLEINPLACEFRAMEINFO));
        std::vector<std::string> names = pControl->CallNames();
        auto itVerb = std::find(names.begin(), names.end(), "DoVerb");
        EXPECT_EQ(std::vector<std::string>(itVerb, names.end()),
                  (std::vector<std::string>{"DoVerb", "Site.QueryInterface", "Site.CanInPlaceActivate",
                                            "Site.OnInPlaceActivate", "Site.GetWindow", "Site.GetWindowContext"}));

        auto spBrowser = As<IWebBrowser2>(spControl);
        VARIANT varURL, varFlags, varTarget, varPost, varHeaders;
        V_VT(&varURL) = VT_BSTR;
        V_BSTR(&varURL) = ::SysAllocString(L"http://a/");
        V_VT(&varFlags) = VT_I4;
        V_I4(&varFlags) = 2;
        V_VT(&varTarget) = VT_BSTR;
        V_BSTR(&varTarget) = nullptr;
        V_VT(&varPost) = VT_ARRAY | VT_UI1;
        V_ARRAY(&varPost) = ::SafeArrayCreateVector(VT_UI1, 0, 3);
        std::memcpy(V_ARRAY(&varPost)->pvData, "x=1", 3);
        ::VariantInit(&varHeaders);
        EXPECT_EQ(spBrowser->Navigate2(&varURL, &varFlags, &varTarget, &varPost, &varHeaders), S_OK);
        EXPECT_EQ(pControl->LastCall("Navigate2"),
                  (StandInCall{"Navigate2",
                               {"URL=BSTR:http://a/", "Flags=I4:2", "TargetFrameName=BSTR:null",
                                "PostData=ARRAY|UI1:dims=1,lbound=0,bytes=" + StandInHex("x=1"), "Headers=EMPTY"}}));
        ::VariantClear(&varURL);
        ::VariantClear(&varPost);

        pSink->m_bCancel = true;
        EXPECT_TRUE(pControl->FireBeforeNavigate2(nullptr, L"http://b/", 4, L"_top", std::string("q=2"), L"X: y\r\n"));
        EXPECT_EQ(pSink->m_pDispIdentity, CTestSink::Identity(spControl));
        EXPECT_EQ(pSink->m_strURL, L"http://b/");
        EXPECT_EQ(pSink->m_nFlags, 4);
        EXPECT_EQ(pSink->m_strTarget, L"_top");
        EXPECT_EQ(pSink->m_strPost, "q=2");
        EXPECT_EQ(pSink->m_strHeaders, L"X: y\r\n");
        pSink->m_bCancel = false;
        CComPtr<IDispatch> spFrame = pControl->FrameBrowser(L"http://frame/");
        EXPECT_FALSE(pControl->FireBeforeNavigate2(spFrame, L"http://f/"));
        EXPECT_EQ(pSink->m_pDispIdentity, CTestSink::Identity(spFrame));
        EXPECT_EQ(pSink->m_strTarget, L"(null)");
        EXPECT_EQ(pSink->m_strPost, "EMPTY");
        spFrame.Release();

        CComPtr<IDispatch> spApplication;
        ASSERT_EQ(spBrowser->get_Application(&spApplication), S_OK);
        EXPECT_EQ(CTestSink::Identity(spApplication), CTestSink::Identity(spControl));
        CComPtr<ITravelLogStg> spTravelLog;
        ASSERT_EQ(As<IServiceProvider>(spApplication)
                      ->QueryService(SID_STravelLogCursor, IID_ITravelLogStg, reinterpret_cast<void**>(&spTravelLog)),
                  S_OK);
        EXPECT_EQ(Titles(spTravelLog, TLEF_RELATIVE_BACK),
                  (std::vector<std::wstring>{L"Two=http://b/", L"One=http://a/"}));
        EXPECT_EQ(Titles(spTravelLog, TLEF_RELATIVE_FORE), (std::vector<std::wstring>{L"Three=http://c/"}));
        EXPECT_GT(pControl->LiveObjects(), 1);

        // Torn down as a host does it.
        spTravelLog.Release();
        spApplication.Release();
        EXPECT_EQ(spPoint->Unadvise(dwCookie), S_OK);
        spPoint.Release();
        EXPECT_EQ(As<IOleInPlaceObject>(spControl)->InPlaceDeactivate(), S_OK);
        EXPECT_FALSE(::IsWindow(hwnd));
        EXPECT_EQ(s_nChildDestroyed, 1);
        EXPECT_EQ(spOleObject->Close(OLECLOSE_NOSAVE), S_OK);
        EXPECT_EQ(spOleObject->SetClientSite(nullptr), S_OK);
        EXPECT_FALSE(pControl->HostReferencesHeld());
        EXPECT_TRUE(pControl->IsAlive());
    }
    std::shared_ptr<StandInControl> pControl = factory.Last();
    EXPECT_FALSE(pControl->IsAlive());
    EXPECT_EQ(pControl->LiveObjects(), 0) << testing::PrintToString(pControl->LiveObjectKinds());
    EXPECT_EQ(pControl->LastCall("FinalRelease"), (StandInCall{"FinalRelease", {}}));
    EXPECT_EQ(pSite->Refs(), 1);
    EXPECT_EQ(pSink->Refs(), 1);
    pSite->Release();
    pSink->Release();
}

TEST_F(StandInBrowserTest, DocumentsFramesElementsAndZoomAnswerAsConfiguredAndAreReleased)
{
    StandInBrowserFactory factory;
    CComPtr<IWebBrowser2> spBrowser;
    ASSERT_EQ(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IWebBrowser2,
                                 reinterpret_cast<void**>(&spBrowser)),
              S_OK);
    std::shared_ptr<StandInControl> pControl = factory.Last();
    CComPtr<IDispatch> spDispatch;
    EXPECT_EQ(spBrowser->get_Document(&spDispatch), S_FALSE);
    EXPECT_EQ(spDispatch.p(), nullptr);

    pControl->SetDocument(true);
    pControl->SetTitle(L"Page");
    pControl->SetActiveElement(StandInElementKind::TextArea, L"textarea");
    pControl->SetFrames({{L"F0", L"http://f0/", StandInElementKind::InputText, L"password"}, {L"F1", L"http://f1/", StandInElementKind::None, L""}});
    ASSERT_EQ(spBrowser->get_Document(&spDispatch), S_OK);
    auto spDocument = As<IHTMLDocument2>(spDispatch);
    ASSERT_TRUE(spDocument);
    BSTR bstr = nullptr;
    ASSERT_EQ(spDocument->get_title(&bstr), S_OK);
    EXPECT_STREQ(bstr, L"Page");
    ::SysFreeString(bstr);

    CComPtr<IHTMLElement> spElement;
    ASSERT_EQ(spDocument->get_activeElement(&spElement), S_OK);
    EXPECT_FALSE(As<IHTMLInputTextElement>(spElement));
    auto spTextArea = As<IHTMLTextAreaElement>(spElement);
    ASSERT_TRUE(spTextArea);
    ASSERT_EQ(spTextArea->get_type(&bstr), S_OK);
    EXPECT_STREQ(bstr, L"textarea");
    ::SysFreeString(bstr);

    CComPtr<IHTMLWindow2> spWindow;
    ASSERT_EQ(spDocument->get_parentWindow(&spWindow), S_OK);
    CComPtr<IHTMLDocument2> spWindowDocument;
    ASSERT_EQ(spWindow->get_document(&spWindowDocument), S_OK);
    EXPECT_EQ(CTestSink::Identity(spWindowDocument), CTestSink::Identity(spDocument));
    EXPECT_EQ(spWindow->focus(), S_OK);

    CComPtr<IHTMLFramesCollection2> spFrames;
    ASSERT_EQ(spDocument->get_frames(&spFrames), S_OK);
    LONG cFrames = 0;
    EXPECT_EQ(spFrames->get_length(&cFrames), S_OK);
    EXPECT_EQ(cFrames, 2);
    VARIANT varIndex, varFrame, varAgain;
    V_VT(&varIndex) = VT_I4;
    V_I4(&varIndex) = 0;
    ASSERT_EQ(spFrames->item(&varIndex, &varFrame), S_OK);
    ASSERT_EQ(V_VT(&varFrame), VT_DISPATCH);
    ASSERT_EQ(spFrames->item(&varIndex, &varAgain), S_OK);
    EXPECT_EQ(V_DISPATCH(&varAgain), V_DISPATCH(&varFrame));
    ::VariantClear(&varAgain);
    auto spFrameWindow = As<IHTMLWindow2>(V_DISPATCH(&varFrame));
    ::VariantClear(&varFrame);
    CComPtr<IHTMLDocument2> spFrameDocument;
    ASSERT_EQ(spFrameWindow->get_document(&spFrameDocument), S_OK);
    ASSERT_EQ(spFrameDocument->get_URL(&bstr), S_OK);
    EXPECT_STREQ(bstr, L"http://f0/");
    ::SysFreeString(bstr);
    CComPtr<IHTMLElement> spFrameElement;
    ASSERT_EQ(spFrameDocument->get_activeElement(&spFrameElement), S_OK);
    EXPECT_TRUE(As<IHTMLInputTextElement>(spFrameElement));
    EXPECT_EQ(spFrameWindow->focus(), S_OK);
    V_I4(&varIndex) = 2;
    EXPECT_EQ(spFrames->item(&varIndex, &varFrame), E_INVALIDARG);

    VARIANT varIn;
    V_VT(&varIn) = VT_I4;
    V_I4(&varIn) = 3;
    EXPECT_EQ(As<IOleCommandTarget>(spDocument)->Exec(&CGID_IWebBrowser, 1, 0, &varIn, nullptr), S_OK);
    EXPECT_EQ(As<IOleCommandTarget>(spFrameDocument)->Exec(nullptr, OLECMDID_FIND, 0, nullptr, nullptr), S_OK);
    EXPECT_EQ(pControl->LastCall("Document.Exec"),
              (StandInCall{"Document.Exec", {"Group=CGID_IWebBrowser", "CmdID=1", "Option=0", "In=I4:3", "Out=null"}}));
    EXPECT_EQ(pControl->LastCall("Frame[0].Document.Exec")->Arg("Group"), "null");
    EXPECT_EQ(pControl->CountCalls("Window.focus"), 1);
    EXPECT_EQ(pControl->CountCalls("Frame[0].Window.focus"), 1);

    V_I4(&varIn) = 4;
    EXPECT_EQ(spBrowser->ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, &varIn, nullptr), S_OK);
    EXPECT_EQ(pControl->Zoom(), 4);
    VARIANT varOut;
    ::VariantInit(&varOut);
    EXPECT_EQ(spBrowser->ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, &varOut), S_OK);
    EXPECT_EQ(StandInVariantText(&varOut), "I4:4");

    spBrowser.Release();  // the host may let go of the control before the document
    EXPECT_FALSE(pControl->IsAlive());
    EXPECT_GT(pControl->LiveObjects(), 0);
    spFrameElement.Release();
    spFrameDocument.Release();
    spFrameWindow.Release();
    spFrames.Release();
    spWindowDocument.Release();
    spWindow.Release();
    spTextArea.Release();
    spElement.Release();
    spDocument.Release();
    spDispatch.Release();
    EXPECT_EQ(pControl->LiveObjects(), 0) << testing::PrintToString(pControl->LiveObjectKinds());
}

TEST_F(StandInBrowserTest, CallsIntoTheHostNewWindowAndCloseRequestReachTheHost)
{
    StandInBrowserFactory factory;
    auto* pSite = new CTestSite(m_hwndHost);
    auto* pSink = new CTestSink;
    {
        CComPtr<IOleObject> spOleObject;
        ASSERT_EQ(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                     reinterpret_cast<void**>(&spOleObject)),
                  S_OK);
        std::shared_ptr<StandInControl> pControl = factory.Last();
        ASSERT_EQ(spOleObject->SetClientSite(pSite), S_OK);
        CComPtr<IConnectionPoint> spPoint;
        ASSERT_EQ(As<IConnectionPointContainer>(spOleObject)->FindConnectionPoint(DIID_DWebBrowserEvents2, &spPoint),
                  S_OK);
        DWORD dwCookie = 0;
        ASSERT_EQ(spPoint->Advise(static_cast<IDispatch*>(pSink), &dwCookie), S_OK);

        EXPECT_FALSE(pControl->FireNewWindow2());
        EXPECT_EQ(pControl->NewWindowDispatch(), static_cast<IDispatch*>(pSink));
        EXPECT_EQ(pSink->Refs(), 3);  // the test's, the advise's, the record's
        pControl->ResetNewWindow();
        EXPECT_EQ(pSink->Refs(), 2);
        EXPECT_EQ(pControl->FireTitleChange(L"T"), S_OK);
        EXPECT_EQ(pSink->m_events, (std::vector<DISPID>{DISPID_NEWWINDOW2, DISPID_TITLECHANGE}));

        VARIANT varResult;
        EXPECT_EQ(pControl->InvokeAmbient(DISPID_AMBIENT_SILENT, &varResult), S_OK);
        EXPECT_EQ(StandInVariantText(&varResult), "BOOL:false");
        EXPECT_EQ(pControl->QuerySite(IID_IOleInPlaceSite), S_OK);
        EXPECT_EQ(pControl->QuerySite(IID_IDocHostUIHandler), E_NOINTERFACE);
        DOCHOSTUIINFO info;
        EXPECT_EQ(pControl->GetHostInfo(&info), E_NOINTERFACE);
        LRESULT lResult = -1;
        wchar_t szText[] = L"Hello";
        EXPECT_EQ(pControl->ShowMessage(m_hwndHost, szText, szText, MB_OK, &lResult), E_NOINTERFACE);
        EXPECT_EQ(pControl->LastCall("Site.QueryInterface"),
                  (StandInCall{"Site.QueryInterface", {"IID=IDocHostUIHandler", "hr=E_NOINTERFACE"}}));

        RECT rcPos = CTestSite::kPos;
        ASSERT_EQ(spOleObject->DoVerb(OLEIVERB_UIACTIVATE, nullptr, pSite, 0, m_hwndHost, &rcPos), S_OK);
        EXPECT_TRUE(pControl->IsUIActive());
        HWND hwnd = pControl->Window();
        ASSERT_TRUE(pControl->RequestClose());
        Pump();
        EXPECT_FALSE(::IsWindow(hwnd));
        EXPECT_EQ(pControl->Window(), nullptr);
        EXPECT_EQ(s_nChildDestroyed, 1);
        EXPECT_EQ(pControl->CountCalls("ControlWindow.WM_CLOSE"), 1);

        // A host that forgets to unadvise and close: the control lets go when released.
        spPoint.Release();
        EXPECT_TRUE(pControl->HostReferencesHeld());
    }
    std::shared_ptr<StandInControl> pControl = factory.Last();
    EXPECT_EQ(pControl->LastCall("FinalRelease"),
              (StandInCall{"FinalRelease", {"ClientSite", "InPlaceSite", "Sinks=1"}}));
    EXPECT_FALSE(pControl->HostReferencesHeld());
    EXPECT_EQ(pControl->LiveObjects(), 0);
    EXPECT_EQ(pSite->Refs(), 1);
    EXPECT_EQ(pSink->Refs(), 1);
    pSite->Release();
    pSink->Release();
}

TEST_F(StandInBrowserTest, TravelMovesThroughTheLogAndIdentitiesAreThoseOfTheRealControl)
{
    StandInBrowserFactory factory;
    CComPtr<IWebBrowser2> spBrowser;
    ASSERT_EQ(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IWebBrowser2,
                                 reinterpret_cast<void**>(&spBrowser)),
              S_OK);
    std::shared_ptr<StandInControl> pControl = factory.Last();
    pControl->SetTitle(L"Here");
    pControl->SetLocationURL(L"http://here/");
    pControl->SetTravelLog({{L"B1", L"http://b1/"}, {L"B2", L"http://b2/"}}, {{L"F1", L"http://f1/"}});
    CComPtr<IServiceProvider> spServices = As<IServiceProvider>(spBrowser);
    CComPtr<ITravelLogStg> spTravelLog;
    ASSERT_EQ(spServices->QueryService(SID_STravelLogCursor, IID_ITravelLogStg, reinterpret_cast<void**>(&spTravelLog)),
              S_OK);

    EXPECT_EQ(spBrowser->GoBack(), S_OK);
    EXPECT_EQ(spBrowser->GoBack(), S_OK);
    EXPECT_EQ(spBrowser->GoBack(), E_FAIL);  // nothing further back
    EXPECT_EQ(Titles(spTravelLog, TLEF_RELATIVE_BACK), std::vector<std::wstring>{});
    EXPECT_EQ(Titles(spTravelLog, TLEF_RELATIVE_FORE),
              (std::vector<std::wstring>{L"B1=http://b1/", L"Here=http://here/", L"F1=http://f1/"}));
    CComBSTR bstrURL;
    spBrowser->get_LocationURL(&bstrURL);
    EXPECT_STREQ(bstrURL, L"http://b2/");
    EXPECT_EQ(spBrowser->GoForward(), S_OK);
    EXPECT_EQ(Titles(spTravelLog, TLEF_RELATIVE_BACK), std::vector<std::wstring>{L"B2=http://b2/"});
    spTravelLog.Release();

    pControl->SetTravelLogOffered(false);  // as Wine's control
    EXPECT_EQ(spServices->QueryService(SID_STravelLogCursor, IID_ITravelLogStg, reinterpret_cast<void**>(&spTravelLog)),
              E_NOINTERFACE);

    // A frame's IDispatch is not its IUnknown; the alias is another IDispatch of the control itself.
    CComPtr<IDispatch> spFrame = pControl->FrameBrowser(L"http://frame/");
    CComPtr<IUnknown> spFrameUnknown = As<IUnknown>(spFrame);
    EXPECT_NE(static_cast<void*>(spFrameUnknown.p()), static_cast<void*>(spFrame.p()));
    CComPtr<IDispatch> spAlias = pControl->DispatchAlias();
    ASSERT_NE(spAlias.p(), nullptr);
    EXPECT_NE(spAlias.p(), pControl->Dispatch());
    EXPECT_EQ(As<IUnknown>(spAlias).p(), As<IUnknown>(spBrowser).p());
    spAlias.Release();
    spFrameUnknown.Release();
    spFrame.Release();
    spServices.Release();
    spBrowser.Release();
    EXPECT_EQ(pControl->LiveObjects(), 0);
}

}  // namespace
