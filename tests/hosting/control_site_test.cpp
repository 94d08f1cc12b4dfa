#include "support/hosted_view_fixture.h"
#include "support/message_pump.h"
#include "support/view_probe.h"

#include <mshtmdid.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

namespace {

// The count of a counted object, read through its own AddRef and Release.
LONG CountOf(IUnknown* pUnknown)
{
    pUnknown->AddRef();
    return static_cast<LONG>(pUnknown->Release());
}

using ControlSiteTest = HostedViewTest;

VARIANT AmbientOf(StandInControl& control, DISPID dispid, HRESULT* phr)
{
    VARIANT v;
    ::VariantInit(&v);
    *phr = control.InvokeAmbient(dispid, &v);
    return v;
}

TEST_F(ControlSiteTest, HostObjectsTakeOverOnlyOnceTheViewHasInitialised)
{
    CBrowserFrame* pFrame = OpenFrame(false);
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    ASSERT_TRUE(control);
    COleControlSiteEx* pSite = SiteOf(pFrame);
    ASSERT_NE(pSite, nullptr);
    EXPECT_EQ(static_cast<void*>(control->ClientSite()), static_cast<void*>(pSite->GetInterface(&IID_IOleClientSite)));

    // Before: the site answers as a plain site would.
    EXPECT_EQ(control->QuerySite(IID_IDocHostUIHandler), S_OK);
    EXPECT_EQ(control->QuerySite(IID_IDocHostShowUI), S_OK);
    DOCHOSTUIINFO info{};
    EXPECT_EQ(control->GetHostInfo(&info), E_NOTIMPL);
    LRESULT lResult = 0;
    EXPECT_EQ(control->ShowMessage(nullptr, const_cast<LPOLESTR>(L"x"), const_cast<LPOLESTR>(L"y"), MB_OK, &lResult),
              E_NOTIMPL);
    HRESULT hr = E_FAIL;
    VARIANT v = AmbientOf(*control, DISPID_AMBIENT_DLCONTROL, &hr);
    EXPECT_EQ(hr, DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(control->CountCalls("put_RegisterAsBrowser"), 0);

    PumpPending();  // ID_VIEW_INITIALIZE

    EXPECT_EQ(control->GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.dwFlags, 0x54020u);
    EXPECT_EQ(info.dwDoubleClick, 0u);
    v = AmbientOf(*control, DISPID_AMBIENT_DLCONTROL, &hr);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(v.vt, VT_I4);
    EXPECT_EQ(v.lVal, 0x71);
    ASSERT_EQ(control->CountCalls("put_RegisterAsBrowser"), 1);
    EXPECT_EQ(control->LastCall("put_RegisterAsBrowser")->args, std::vector<std::string>{"BOOL:true"});
    EXPECT_EQ(pSite->m_pDocHostUIHandler, &CViewProbe::DocHostUIHandler(pFrame->m_wndView));
    EXPECT_EQ(pSite->m_pAmbientProps, &CViewProbe::AmbientProps(pFrame->m_wndView));
    EXPECT_EQ(pSite->m_pDocHostShowUI, &CViewProbe::DocHostShowUI(pFrame->m_wndView));
}

TEST_F(ControlSiteTest, AmbientsOtherThanDownloadControlAreTheContainersAtAllTimes)
{
    CBrowserFrame* pFrame = OpenFrame(false);
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    for (int nPass = 0; nPass < 2; ++nPass) {
        HRESULT hr = E_FAIL;
        VARIANT v = AmbientOf(*control, DISPID_AMBIENT_USERAGENT, &hr);
        EXPECT_EQ(hr, DISP_E_MEMBERNOTFOUND) << nPass;
        v = AmbientOf(*control, DISPID_AMBIENT_USERMODE, &hr);
        EXPECT_EQ(hr, S_OK) << nPass;
        EXPECT_EQ(v.vt, VT_BOOL) << nPass;
        EXPECT_EQ(v.boolVal, VARIANT_TRUE) << nPass;
        v = AmbientOf(*control, DISPID_AMBIENT_DISPLAYASDEFAULT, &hr);
        EXPECT_EQ(hr, S_OK) << nPass;
        EXPECT_EQ(v.boolVal, VARIANT_FALSE) << nPass;
        PumpPending();  // second pass after the view attached its objects
    }
}

TEST_F(ControlSiteTest, DispatchOfTheSiteIsTheReplacementAmbientDispatch)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    COleControlSiteEx* pSite = SiteOf(pFrame);
    IDispatch* pDispatch = nullptr;
    ASSERT_EQ(pSite->GetInterface(&IID_IOleClientSite)->QueryInterface(IID_IDispatch,
                                                                       reinterpret_cast<void**>(&pDispatch)),
              S_OK);
    VARIANT v;
    ::VariantInit(&v);
    EXPECT_EQ(pDispatch->Invoke(DISPID_AMBIENT_DLCONTROL, IID_NULL, 0, DISPATCH_PROPERTYGET, nullptr, &v, nullptr,
                                nullptr),
              S_OK);
    EXPECT_EQ(v.lVal, 0x71);
    // It shares the site's identity.
    IUnknown* pUnk1 = nullptr;
    IUnknown* pUnk2 = nullptr;
    pDispatch->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pUnk1));
    pSite->GetInterface(&IID_IOleInPlaceSite)->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pUnk2));
    EXPECT_EQ(pUnk1, pUnk2);
    pUnk1->Release();
    pUnk2->Release();
    pDispatch->Release();
}

TEST_F(ControlSiteTest, EveryViewHandsOutTheOneExternalObject)
{
    ASSERT_NE(OpenFrame(), nullptr);
    std::shared_ptr<StandInControl> first = m_pFactory->Last();
    ASSERT_NE(OpenFrame(), nullptr);
    std::shared_ptr<StandInControl> second = m_pFactory->Last();
    ASSERT_NE(first, second);
    LONG nBefore = CountOf(&theApp.m_external);
    IDispatch* pFirst = nullptr;
    IDispatch* pSecond = nullptr;
    EXPECT_EQ(first->GetExternal(&pFirst), S_OK);
    EXPECT_EQ(CountOf(&theApp.m_external), nBefore + 1);
    EXPECT_EQ(second->GetExternal(&pSecond), S_OK);
    EXPECT_EQ(CountOf(&theApp.m_external), nBefore + 2);
    EXPECT_EQ(pFirst, pSecond);
    EXPECT_EQ(pFirst, static_cast<IDispatch*>(&theApp.m_external));
    pFirst->Release();
    pSecond->Release();
}

TEST_F(ControlSiteTest, ClosingTheWindowReleasesEverythingOnBothSides)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    control->SetDocument(true);
    pFrame->m_wndView.RestoreFocus();  // reaches the document and its window
    IDispatch* pDocument = pFrame->m_wndView.GetHtmlDocument();
    ASSERT_NE(pDocument, nullptr);
    pDocument->Release();
    EXPECT_GT(control->LiveObjects(), 1);

    ::SendMessageW(pFrame->m_hWnd, WM_CLOSE, 0, 0);
    PumpPending();
    EXPECT_FALSE(control->IsAlive());
    EXPECT_EQ(control->LiveObjects(), 0) << ::testing::PrintToString(control->LiveObjectKinds());
    EXPECT_FALSE(control->HostReferencesHeld());
    ASSERT_TRUE(control->LastCall("FinalRelease"));
    EXPECT_TRUE(control->LastCall("FinalRelease")->args.empty());
}

TEST_F(ControlSiteTest, ChangingTheDownloadControlValueTellsTheControlOnceInitialised)
{
    CBrowserFrame* pFrame = OpenFrame(false);
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    AmbientProps1& props = CViewProbe::AmbientProps(pFrame->m_wndView);
    const std::vector<DISPID> before = control->AmbientChanges();

    // Before initialisation the object knows no control: the value is stored, nobody is told.
    EXPECT_EQ(props.SetDLControl(0x71), S_OK);
    EXPECT_EQ(control->AmbientChanges(), before);

    PumpPending();  // ID_VIEW_INITIALIZE
    ASSERT_EQ(control->AmbientChanges(), before);
    const DWORD dwNoScripts = 0x71 | DLCTL_NO_SCRIPTS;
    EXPECT_EQ(props.SetDLControl(dwNoScripts), S_OK);
    std::vector<DISPID> expected = before;
    expected.push_back(DISPID_AMBIENT_DLCONTROL);
    EXPECT_EQ(control->AmbientChanges(), expected);
    // Told, the control asks again and gets the new value.
    HRESULT hr = E_FAIL;
    VARIANT v = AmbientOf(*control, DISPID_AMBIENT_DLCONTROL, &hr);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(v.vt, VT_I4);
    EXPECT_EQ(v.lVal, static_cast<LONG>(dwNoScripts));
}

// One call that reached a recording target: the method and its arguments as numbers.
struct ForwardedCall {
    std::string method;
    std::vector<std::uintptr_t> args;
    bool operator==(const ForwardedCall&) const = default;
};
void PrintTo(const ForwardedCall& call, std::ostream* os)
{
    *os << call.method << ::testing::PrintToString(call.args);
}

template <class T>
std::uintptr_t ArgValue(T value)
{
    if constexpr (std::is_pointer_v<T>) return reinterpret_cast<std::uintptr_t>(value);
    else if constexpr (std::is_same_v<T, POINT>) return (static_cast<std::uintptr_t>(value.x) << 32) | static_cast<std::uint32_t>(value.y);
    else return static_cast<std::uintptr_t>(value);
}
template <class... T>
ForwardedCall Call(std::string method, T... args)
{
    return {std::move(method), {ArgValue(args)...}};
}

// Host objects that record every call and answer with whatever the test set.
enum class Failure { None, Throw, Fault };

void FailAs(Failure failure)
{
    if (failure == Failure::Throw) throw std::runtime_error("host object");
    if (failure == Failure::Fault) {
        volatile int* volatile pNull = nullptr;
        *pNull = 1;
    }
}

// What the message loop will find held, as a word; nothing is held afterwards.
std::string HeldFailure()
{
    try {
        AfxRethrowPendingException();
    } catch (const std::runtime_error&) {
        return "exception";
    } catch (unsigned int) {
        return "fault";
    }
    return "none";
}

const char* WordFor(Failure failure)
{
    return failure == Failure::Throw ? "exception" : failure == Failure::Fault ? "fault" : "none";
}

// Faults are turned into exceptions for as long as it lives, as inside the application's message loop.
class ScopedFaultTranslation {
public:
    ScopedFaultTranslation() : m_pfnOld(AfxSetSeTranslator([](unsigned int nCode, EXCEPTION_POINTERS*) { throw nCode; })) {}
    ~ScopedFaultTranslation() { AfxSetSeTranslator(m_pfnOld); }
    ScopedFaultTranslation(const ScopedFaultTranslation&) = delete;
    ScopedFaultTranslation& operator=(const ScopedFaultTranslation&) = delete;

private:
    AFX_SE_TRANSLATOR m_pfnOld;
};

class CRecordingTargets : public IDocHostUIHandler, public IDocHostShowUI {
public:
    std::vector<ForwardedCall> calls;
    HRESULT hrAnswer = S_OK;
    Failure failure = Failure::None;  // how the next calls end instead of answering

    HRESULT Record(ForwardedCall call)
    {
        calls.push_back(std::move(call));
        FailAs(failure);
        return hrAnswer;
    }

    // IUnknown: reached only through the site
    STDMETHOD(QueryInterface)(REFIID, void**) override { return E_NOTIMPL; }
    STDMETHOD_(ULONG, AddRef)() override { return 1; }
    STDMETHOD_(ULONG, Release)() override { return 0; }
    // IDocHostUIHandler
    STDMETHOD(ShowContextMenu)(DWORD dwID, POINT* ppt, IUnknown* pcmdt, IDispatch* pdisp) override
    {
        return Record(Call("ShowContextMenu", dwID, ppt, pcmdt, pdisp));
    }
    STDMETHOD(GetHostInfo)(DOCHOSTUIINFO* pInfo) override { return Record(Call("GetHostInfo", pInfo)); }
    STDMETHOD(ShowUI)(DWORD dwID, IOleInPlaceActiveObject* pActiveObject, IOleCommandTarget* pCommandTarget,
                      IOleInPlaceFrame* pFrame, IOleInPlaceUIWindow* pDoc) override
    {
        return Record(Call("ShowUI", dwID, pActiveObject, pCommandTarget, pFrame, pDoc));
    }
    STDMETHOD(HideUI)() override { return Record(Call("HideUI")); }
    STDMETHOD(UpdateUI)() override { return Record(Call("UpdateUI")); }
    STDMETHOD(EnableModeless)(BOOL fEnable) override { return Record(Call("EnableModeless", fEnable)); }
    STDMETHOD(OnDocWindowActivate)(BOOL fActivate) override { return Record(Call("OnDocWindowActivate", fActivate)); }
    STDMETHOD(OnFrameWindowActivate)(BOOL fActivate) override
    {
        return Record(Call("OnFrameWindowActivate", fActivate));
    }
    STDMETHOD(ResizeBorder)(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow, BOOL fFrameWindow) override
    {
        return Record(Call("ResizeBorder", prcBorder, pUIWindow, fFrameWindow));
    }
    STDMETHOD(TranslateAccelerator)(LPMSG lpMsg, const GUID* pguidCmdGroup, DWORD nCmdID) override
    {
        return Record(Call("TranslateAccelerator", lpMsg, pguidCmdGroup, nCmdID));
    }
    STDMETHOD(GetOptionKeyPath)(LPOLESTR* pchKey, DWORD dw) override { return Record(Call("GetOptionKeyPath", pchKey, dw)); }
    STDMETHOD(GetDropTarget)(IDropTarget* pDropTarget, IDropTarget** ppDropTarget) override
    {
        return Record(Call("GetDropTarget", pDropTarget, ppDropTarget));
    }
    STDMETHOD(GetExternal)(IDispatch** ppDispatch) override { return Record(Call("GetExternal", ppDispatch)); }
    STDMETHOD(TranslateUrl)(DWORD dwTranslate, OLECHAR* pchURLIn, OLECHAR** ppchURLOut) override
    {
        return Record(Call("TranslateUrl", dwTranslate, pchURLIn, ppchURLOut));
    }
    STDMETHOD(FilterDataObject)(IDataObject* pDO, IDataObject** ppDORet) override
    {
        return Record(Call("FilterDataObject", pDO, ppDORet));
    }
    // IDocHostShowUI
    STDMETHOD(ShowMessage)(HWND hwnd, LPOLESTR lpstrText, LPOLESTR lpstrCaption, DWORD dwType, LPOLESTR lpstrHelpFile,
                           DWORD dwHelpContext, LRESULT* plResult) override
    {
        return Record(Call("ShowMessage", hwnd, lpstrText, lpstrCaption, dwType, lpstrHelpFile, dwHelpContext, plResult));
    }
    STDMETHOD(ShowHelp)(HWND hwnd, LPOLESTR pszHelpFile, UINT uCommand, DWORD dwData, POINT ptMouse,
                        IDispatch* pDispatchObjectHit) override
    {
        return Record(Call("ShowHelp", hwnd, pszHelpFile, uCommand, dwData, ptMouse, pDispatchObjectHit));
    }
};

// Puts the view's own objects back on the site however the test ends.
class CSiteTargetsRestorer {
public:
    explicit CSiteTargetsRestorer(COleControlSiteEx* pSite)
        : m_pSite(pSite), m_pHandler(pSite->m_pDocHostUIHandler), m_pShowUI(pSite->m_pDocHostShowUI)
    {
    }
    ~CSiteTargetsRestorer()
    {
        m_pSite->m_pDocHostUIHandler = m_pHandler;
        m_pSite->m_pDocHostShowUI = m_pShowUI;
    }
    CSiteTargetsRestorer(const CSiteTargetsRestorer&) = delete;
    CSiteTargetsRestorer& operator=(const CSiteTargetsRestorer&) = delete;

private:
    COleControlSiteEx* m_pSite;
    IDocHostUIHandler* m_pHandler;
    IDocHostShowUI* m_pShowUI;
};

// Stand-ins for the arguments: distinct addresses the site must pass on untouched, never called.
template <class T>
T* Fake(int& anchor)
{
    return reinterpret_cast<T*>(&anchor);
}

TEST_F(ControlSiteTest, EveryForwarderPassesItsArgumentsAndResultUnchanged)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    COleControlSiteEx* pSite = SiteOf(pFrame);
    ASSERT_NE(pSite, nullptr);
    CSiteTargetsRestorer restorer(pSite);
    // Reached as the control reaches them: through the client site it holds.
    CComPtr<IDocHostUIHandler> pHandler;
    CComPtr<IDocHostShowUI> pShowUI;
    ASSERT_EQ(control->ClientSite()->QueryInterface(IID_IDocHostUIHandler, reinterpret_cast<void**>(&pHandler)), S_OK);
    ASSERT_EQ(control->ClientSite()->QueryInterface(IID_IDocHostShowUI, reinterpret_cast<void**>(&pShowUI)), S_OK);

    int anchors[16] = {};
    POINT pt{3, 4};
    DOCHOSTUIINFO info{};
    RECT rc{1, 2, 3, 4};
    MSG msg{};
    GUID group = IID_IDispatch;
    OLECHAR szText[] = L"text";
    OLECHAR szCaption[] = L"caption";
    OLECHAR szHelp[] = L"help.chm";
    LPOLESTR pszKey = nullptr;
    OLECHAR* pszURLOut = nullptr;
    IDropTarget* pDropOut = nullptr;
    IDispatch* pExternalOut = nullptr;
    IDataObject* pDataOut = nullptr;
    LRESULT lResult = 0;
    auto* pUnk = Fake<IUnknown>(anchors[0]);
    auto* pDisp = Fake<IDispatch>(anchors[1]);
    auto* pActive = Fake<IOleInPlaceActiveObject>(anchors[2]);
    auto* pTarget = Fake<IOleCommandTarget>(anchors[3]);
    auto* pInPlaceFrame = Fake<IOleInPlaceFrame>(anchors[4]);
    auto* pUIWindow = Fake<IOleInPlaceUIWindow>(anchors[5]);
    auto* pDropIn = Fake<IDropTarget>(anchors[6]);
    auto* pDataIn = Fake<IDataObject>(anchors[7]);
    auto hwnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1234));
    // Flags that are neither TRUE nor FALSE, so a forwarder passing a constant shows.
    const BOOL kFlag = 5;

    struct Case {
        ForwardedCall expected;
        std::function<HRESULT()> call;
    };
    const Case cases[] = {
        {Call("ShowContextMenu", DWORD{7}, &pt, pUnk, pDisp), [&] { return pHandler->ShowContextMenu(7, &pt, pUnk, pDisp); }},
        {Call("GetHostInfo", &info), [&] { return pHandler->GetHostInfo(&info); }},
        {Call("ShowUI", DWORD{9}, pActive, pTarget, pInPlaceFrame, pUIWindow),
         [&] { return pHandler->ShowUI(9, pActive, pTarget, pInPlaceFrame, pUIWindow); }},
        {Call("HideUI"), [&] { return pHandler->HideUI(); }},
        {Call("UpdateUI"), [&] { return pHandler->UpdateUI(); }},
        {Call("EnableModeless", kFlag), [&] { return pHandler->EnableModeless(kFlag); }},
        {Call("OnDocWindowActivate", kFlag), [&] { return pHandler->OnDocWindowActivate(kFlag); }},
        {Call("OnFrameWindowActivate", kFlag), [&] { return pHandler->OnFrameWindowActivate(kFlag); }},
        {Call("ResizeBorder", &rc, pUIWindow, kFlag), [&] { return pHandler->ResizeBorder(&rc, pUIWindow, kFlag); }},
        {Call("TranslateAccelerator", &msg, &group, DWORD{11}),
         [&] { return pHandler->TranslateAccelerator(&msg, &group, 11); }},
        {Call("GetOptionKeyPath", &pszKey, DWORD{13}), [&] { return pHandler->GetOptionKeyPath(&pszKey, 13); }},
        {Call("GetDropTarget", pDropIn, &pDropOut), [&] { return pHandler->GetDropTarget(pDropIn, &pDropOut); }},
        {Call("GetExternal", &pExternalOut), [&] { return pHandler->GetExternal(&pExternalOut); }},
        {Call("TranslateUrl", DWORD{17}, szText, &pszURLOut), [&] { return pHandler->TranslateUrl(17, szText, &pszURLOut); }},
        {Call("FilterDataObject", pDataIn, &pDataOut), [&] { return pHandler->FilterDataObject(pDataIn, &pDataOut); }},
        {Call("ShowMessage", hwnd, szText, szCaption, DWORD{MB_YESNO}, szHelp, DWORD{19}, &lResult),
         [&] { return pShowUI->ShowMessage(hwnd, szText, szCaption, MB_YESNO, szHelp, 19, &lResult); }},
        {Call("ShowHelp", hwnd, szHelp, UINT{21}, DWORD{23}, pt, pDisp),
         [&] { return pShowUI->ShowHelp(hwnd, szHelp, 21, 23, pt, pDisp); }},
    };

    CRecordingTargets targets;
    ScopedFaultTranslation translation;
    HRESULT hrDistinct = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x200);
    for (const Case& c : cases) {
        const std::string& name = c.expected.method;
        // Nothing attached: declined, and nobody is reached.
        pSite->m_pDocHostUIHandler = nullptr;
        pSite->m_pDocHostShowUI = nullptr;
        EXPECT_EQ(c.call(), E_NOTIMPL) << name;
        // Attached: exactly this call reaches the target, and its own answer comes back.
        pSite->m_pDocHostUIHandler = &targets;
        pSite->m_pDocHostShowUI = &targets;
        targets.calls.clear();
        targets.hrAnswer = ++hrDistinct;
        EXPECT_EQ(c.call(), targets.hrAnswer) << name;
        EXPECT_EQ(targets.calls, std::vector<ForwardedCall>{c.expected}) << name;
        // A target that fails inside: the control's frames are not unwound; it gets E_UNEXPECTED, and the
        // failure waits for the message loop.
        for (Failure failure : {Failure::Throw, Failure::Fault}) {
            targets.failure = failure;
            EXPECT_EQ(c.call(), E_UNEXPECTED) << name << " " << WordFor(failure);
            targets.failure = Failure::None;
            EXPECT_EQ(HeldFailure(), WordFor(failure)) << name;
        }
    }
}

// An ambient object that records what the site asks of it.
class CRecordingAmbient : public AmbientProps1 {
public:
    HRESULT GetAmbientDLControl(VARIANT* pvarResult) override
    {
        results.push_back(pvarResult);
        FailAs(failure);
        return hrAnswer;
    }

    std::vector<VARIANT*> results;
    HRESULT hrAnswer = S_OK;
    Failure failure = Failure::None;
};

TEST_F(ControlSiteTest, DownloadControlIsAskedOfTheAttachedObjectWithTheCallersResult)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    COleControlSiteEx* pSite = SiteOf(pFrame);
    ASSERT_NE(pSite, nullptr);
    CComPtr<IDispatch> pAmbient;
    ASSERT_EQ(control->ClientSite()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&pAmbient)), S_OK);
    CRecordingAmbient ambient;
    AmbientProps1* pViewsOwn = pSite->m_pAmbientProps;
    pSite->m_pAmbientProps = &ambient;

    struct Case {
        const char* name;
        DISPID dispid;
        HRESULT hrAnswer;
        size_t nAsked;
        HRESULT hrExpected;
    };
    const Case cases[] = {
        {"an answer of any kind but S_FALSE is the site's S_OK", DISPID_AMBIENT_DLCONTROL, E_ACCESSDENIED, 1, S_OK},
        {"S_FALSE leaves it to the container, which has no such value", DISPID_AMBIENT_DLCONTROL, S_FALSE, 1,
         DISP_E_MEMBERNOTFOUND},
        {"another ambient is never asked of it", DISPID_AMBIENT_USERMODE, E_ACCESSDENIED, 0, S_OK},
    };
    for (const Case& c : cases) {
        ambient.results.clear();
        ambient.hrAnswer = c.hrAnswer;
        VARIANT v;
        ::VariantInit(&v);
        EXPECT_EQ(pAmbient->Invoke(c.dispid, IID_NULL, 0, DISPATCH_PROPERTYGET, nullptr, &v, nullptr, nullptr),
                  c.hrExpected)
            << c.name;
        EXPECT_EQ(ambient.results, std::vector<VARIANT*>(c.nAsked, &v)) << c.name;
    }
    // An object failing inside: E_UNEXPECTED, the failure held for the message loop.
    ScopedFaultTranslation translation;
    for (Failure failure : {Failure::Throw, Failure::Fault}) {
        ambient.failure = failure;
        VARIANT v;
        ::VariantInit(&v);
        EXPECT_EQ(pAmbient->Invoke(DISPID_AMBIENT_DLCONTROL, IID_NULL, 0, DISPATCH_PROPERTYGET, nullptr, &v, nullptr,
                                   nullptr),
                  E_UNEXPECTED)
            << WordFor(failure);
        EXPECT_EQ(HeldFailure(), WordFor(failure));
    }
    pSite->m_pAmbientProps = pViewsOwn;
}

TEST_F(ControlSiteTest, AmbientAskedWithoutAPlaceForTheResultIsNotFound)
{
    CBrowserFrame* pFrame = OpenFrame(false);
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    CComPtr<IDispatch> pAmbient;
    ASSERT_EQ(control->ClientSite()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&pAmbient)), S_OK);
    for (int nPass = 0; nPass < 2; ++nPass) {
        for (DISPID dispid : {DISPID_AMBIENT_DLCONTROL, DISPID_AMBIENT_USERMODE, DISPID_AMBIENT_USERAGENT}) {
            EXPECT_EQ(pAmbient->Invoke(dispid, IID_NULL, 0, DISPATCH_PROPERTYGET, nullptr, nullptr, nullptr, nullptr),
                      DISP_E_MEMBERNOTFOUND)
                << nPass << " " << dispid;
        }
        PumpPending();  // second pass after the view attached its objects
    }
}

TEST_F(ControlSiteTest, ALateCallOfTheControlAfterTheViewHasGoneIsDeclined)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    // References to the site, as a control that lets go late keeps them.
    CComPtr<IDocHostUIHandler> pHandler;
    CComPtr<IDocHostShowUI> pShowUI;
    CComPtr<IDispatch> pAmbient;
    ASSERT_EQ(control->ClientSite()->QueryInterface(IID_IDocHostUIHandler, reinterpret_cast<void**>(&pHandler)), S_OK);
    ASSERT_EQ(control->ClientSite()->QueryInterface(IID_IDocHostShowUI, reinterpret_cast<void**>(&pShowUI)), S_OK);
    ASSERT_EQ(control->ClientSite()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&pAmbient)), S_OK);
    DOCHOSTUIINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_EQ(pHandler->GetHostInfo(&info), S_OK);

    ::SendMessageW(pFrame->m_hWnd, WM_CLOSE, 0, 0);
    PumpPending();
    ASSERT_FALSE(control->IsAlive());

    info = DOCHOSTUIINFO{};
    EXPECT_EQ(pHandler->GetHostInfo(&info), E_NOTIMPL);
    EXPECT_EQ(info.dwFlags, 0u);
    IDispatch* pExternal = nullptr;
    EXPECT_EQ(pHandler->GetExternal(&pExternal), E_NOTIMPL);
    EXPECT_EQ(pExternal, nullptr);
    LRESULT lResult = 0;
    OLECHAR szText[] = L"late";
    EXPECT_EQ(pShowUI->ShowMessage(nullptr, szText, szText, MB_OK, nullptr, 0, &lResult), E_NOTIMPL);
    VARIANT v;
    ::VariantInit(&v);
    EXPECT_EQ(pAmbient->Invoke(DISPID_AMBIENT_DLCONTROL, IID_NULL, 0, DISPATCH_PROPERTYGET, nullptr, &v, nullptr,
                               nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(v.vt, VT_EMPTY);
}

}  // namespace
