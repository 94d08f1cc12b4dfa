#include <gtest/gtest.h>

#include "app/tarnwick_app.h"
#include "hosting/doc_host_ui_handler.h"

namespace {

// The count of a counted object, read through its own AddRef and Release.
LONG CountOf(IUnknown* pUnknown)
{
    pUnknown->AddRef();
    return static_cast<LONG>(pUnknown->Release());
}

TEST(DocHostUIHandlerTest, HostInfoCarriesTheFlagsAndLeavesTheStringsAlone)
{
    CDocHostUIHandler handler;
    handler.m_dwFlags = 0x54020;
    OLECHAR szCss[] = L"css";
    DOCHOSTUIINFO info{};
    info.pchHostCss = szCss;
    info.dwDoubleClick = 7;
    EXPECT_EQ(handler.GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.cbSize, sizeof(DOCHOSTUIINFO));
    EXPECT_EQ(info.dwFlags, 0x54020u);
    EXPECT_EQ(info.dwDoubleClick, 0u);
    EXPECT_EQ(info.pchHostCss, szCss);
    EXPECT_EQ(info.pchHostNS, nullptr);
    EXPECT_EQ(handler.GetHostInfo(nullptr), E_POINTER);
}

TEST(DocHostUIHandlerTest, EveryViewGetsTheOneExternalObjectWithAReferenceEach)
{
    CDocHostUIHandler first, second;
    first.m_pExternal = &theApp.m_external;  // as each view hands it
    second.m_pExternal = &theApp.m_external;
    LONG nBefore = CountOf(&theApp.m_external);
    IDispatch* pFirst = nullptr;
    IDispatch* pSecond = nullptr;
    EXPECT_EQ(first.GetExternal(&pFirst), S_OK);
    EXPECT_EQ(CountOf(&theApp.m_external), nBefore + 1);
    EXPECT_EQ(second.GetExternal(&pSecond), S_OK);
    EXPECT_EQ(CountOf(&theApp.m_external), nBefore + 2);
    EXPECT_EQ(pFirst, static_cast<IDispatch*>(&theApp.m_external));
    EXPECT_EQ(pSecond, pFirst);
    EXPECT_EQ(first.GetExternal(nullptr), E_POINTER);
    pFirst->Release();
    pSecond->Release();
}

TEST(DocHostUIHandlerTest, WithoutAnExternalObjectTheRequestIsDeclinedWithNoObject)
{
    CDocHostUIHandler handler;
    LONG nBefore = CountOf(&theApp.m_external);
    IDispatch* pExternal = &theApp.m_external;  // whatever the caller's variable held
    EXPECT_EQ(handler.GetExternal(&pExternal), E_NOTIMPL);
    EXPECT_EQ(pExternal, nullptr);
    EXPECT_EQ(CountOf(&theApp.m_external), nBefore);
}

TEST(DocHostUIHandlerTest, EverythingElseIsDeclinedWithoutWriting)
{
    CDocHostUIHandler handler;
    MSG msg{};
    LPOLESTR pszKey = reinterpret_cast<LPOLESTR>(0x1);
    OLECHAR* pszUrlOut = reinterpret_cast<OLECHAR*>(0x1);
    IDataObject* pDataOut = reinterpret_cast<IDataObject*>(0x1);
    IDropTarget* pTargetOut = reinterpret_cast<IDropTarget*>(0x1);
    RECT rc{};
    EXPECT_EQ(handler.ShowContextMenu(0, nullptr, nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(handler.ShowUI(0, nullptr, nullptr, nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(handler.HideUI(), E_NOTIMPL);
    EXPECT_EQ(handler.UpdateUI(), E_NOTIMPL);
    EXPECT_EQ(handler.EnableModeless(TRUE), E_NOTIMPL);
    EXPECT_EQ(handler.OnDocWindowActivate(TRUE), E_NOTIMPL);
    EXPECT_EQ(handler.OnFrameWindowActivate(TRUE), E_NOTIMPL);
    EXPECT_EQ(handler.ResizeBorder(&rc, nullptr, TRUE), E_NOTIMPL);
    EXPECT_EQ(handler.TranslateAccelerator(&msg, nullptr, 0), E_NOTIMPL);
    EXPECT_EQ(handler.GetOptionKeyPath(&pszKey, 0), E_NOTIMPL);
    EXPECT_EQ(handler.TranslateUrl(0, nullptr, &pszUrlOut), E_NOTIMPL);
    EXPECT_EQ(handler.FilterDataObject(nullptr, &pDataOut), E_NOTIMPL);
    EXPECT_EQ(handler.GetDropTarget(nullptr, &pTargetOut), S_OK);
    EXPECT_EQ(pszKey, reinterpret_cast<LPOLESTR>(0x1));
    EXPECT_EQ(pszUrlOut, reinterpret_cast<OLECHAR*>(0x1));
    EXPECT_EQ(pDataOut, reinterpret_cast<IDataObject*>(0x1));
}

TEST(DocHostUIHandlerTest, NoReplacementDropTargetAndTheOutParameterSaysSo)
{
    CDocHostUIHandler handler;
    CImpIDropTarget controlsOwn;
    IDropTarget* pTargetOut = &controlsOwn;  // whatever the caller's variable held
    EXPECT_EQ(handler.GetDropTarget(&controlsOwn, &pTargetOut), S_OK);
    EXPECT_EQ(pTargetOut, nullptr);
    EXPECT_EQ(handler.GetDropTarget(&controlsOwn, nullptr), S_OK);
    EXPECT_EQ(CountOf(&controlsOwn), 0);  // the control's own target is not kept
}

}  // namespace
