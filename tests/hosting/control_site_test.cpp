#include "support/hosted_view_fixture.h"
#include "support/message_pump.h"

#include <mshtmdid.h>

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
    EXPECT_EQ(pSite->m_pDocHostUIHandler, &pFrame->m_wndView.m_docHostUIHandler);
    EXPECT_EQ(pSite->m_pAmbientProps, &pFrame->m_wndView.m_ambientProps);
    EXPECT_EQ(pSite->m_pDocHostShowUI, &pFrame->m_wndView.m_docHostShowUI);
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

// A handler whose answers cannot be mistaken for the site's own.
class CDistinctHandler : public CDocHostUIHandler {
public:
    STDMETHOD(TranslateUrl)(DWORD, OLECHAR*, OLECHAR**) override { return E_ACCESSDENIED; }
    STDMETHOD(ShowContextMenu)(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_OK; }
};

TEST_F(ControlSiteTest, ForwardedCallsReturnTheHandlersOwnResults)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    COleControlSiteEx* pSite = SiteOf(pFrame);
    CDistinctHandler handler;
    pSite->m_pDocHostUIHandler = &handler;
    OLECHAR* pszOut = nullptr;
    EXPECT_EQ(control->CallHostUIHandler("TranslateUrl",
                                         [&](IDocHostUIHandler* p) { return p->TranslateUrl(0, nullptr, &pszOut); }),
              E_ACCESSDENIED);
    EXPECT_EQ(control->CallHostUIHandler("ShowContextMenu",
                                         [](IDocHostUIHandler* p) { return p->ShowContextMenu(0, nullptr, nullptr, nullptr); }),
              S_OK);
    EXPECT_EQ(control->CallHostUIHandler("GetHostInfo", [](IDocHostUIHandler* p) { return p->GetHostInfo(nullptr); }),
              E_POINTER);
    pSite->m_pDocHostUIHandler = &pFrame->m_wndView.m_docHostUIHandler;
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

}  // namespace
