#include <gtest/gtest.h>

#include "framework/afx.h"
#include "app/tarnwick_app.h"
#include "support/fault_module/fault_module.h"
#include "support/message_pump.h"

#include <exdisp.h>
#include <exdispid.h>

#include <cwchar>
#include <functional>
#include <stdexcept>
#include <thread>

namespace {

constexpr UINT WM_TEST_FAULT = WM_APP + 10;
constexpr UINT WM_TEST_NEXT = WM_APP + 11;
constexpr UINT WM_TEST_THROW = WM_APP + 12;
constexpr UINT WM_TEST_NESTED = WM_APP + 13;
constexpr UINT WM_MODULE_FAULT = WM_APP + 14;

int g_nLocalsDestroyed = 0;

struct CountOnExit {
    ~CountOnExit() { ++g_nLocalsDestroyed; }
};

void NullWriteHere()
{
    volatile int* volatile pNull = nullptr;
    *pNull = 42;
}

void BadPointerToTheRunTime()
{
    const wchar_t* volatile pBad = reinterpret_cast<const wchar_t*>(16);
    volatile size_t n = ::wcslen(pBad);
    (void)n;
}

// A window whose handlers run what the test gives them.
class CFaultingWnd : public CWnd {
public:
    std::function<void()> m_fnFault;   // run by WM_TEST_FAULT
    std::function<void()> m_fnNested;  // run by WM_TEST_NESTED
    int m_nNextSeen = 0;
    int m_nAfterFault = 0;

protected:
    afx_msg LRESULT OnFault(WPARAM, LPARAM)
    {
        CountOnExit guard;
        m_fnFault();
        ++m_nAfterFault;
        return 0;
    }
    afx_msg LRESULT OnNext(WPARAM, LPARAM)
    {
        ++m_nNextSeen;
        return 0;
    }
    afx_msg LRESULT OnThrow(WPARAM, LPARAM) { throw std::runtime_error("handler"); }
    afx_msg LRESULT OnNested(WPARAM, LPARAM)
    {
        m_fnNested();
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFaultingWnd, CWnd)
    ON_MESSAGE(WM_TEST_FAULT, OnFault)
    ON_MESSAGE(WM_TEST_NEXT, OnNext)
    ON_MESSAGE(WM_TEST_THROW, OnThrow)
    ON_MESSAGE(WM_TEST_NESTED, OnNested)
END_MESSAGE_MAP()

// A window whose creation faults.
class CFaultOnCreateWnd : public CWnd {
protected:
    afx_msg int OnCreate(LPCREATESTRUCTW)
    {
        NullWriteHere();
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFaultOnCreateWnd, CWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

// A window that faults in its paint handler before it begins painting.
class CFaultOnPaintWnd : public CWnd {
public:
    int m_nPaints = 0;

protected:
    afx_msg void OnPaint()
    {
        ++m_nPaints;
        NullWriteHere();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFaultOnPaintWnd, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

// A window class of this module whose procedure fails on one message, as a control's window may.
enum class SuperclassFailure { Fault, Throw };
UINT g_nSuperclassFailsOn = 0;
SuperclassFailure g_superclassFailure = SuperclassFailure::Fault;

LRESULT CALLBACK FailingSuperclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == g_nSuperclassFailsOn) {
        if (g_superclassFailure == SuperclassFailure::Throw) throw std::runtime_error("superclass");
        NullWriteHere();
    }
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

// Counts the framework's last call on a window object.
class CCountingNcDestroyWnd : public CWnd {
public:
    int m_nPostNcDestroy = 0;

protected:
    void PostNcDestroy() override { ++m_nPostNcDestroy; }
};

class FaultRecoveryTest : public testing::Test {
protected:
    void SetUp() override
    {
        g_nLocalsDestroyed = 0;
        ASSERT_TRUE(m_wnd.CreateEx(0, nullptr, L"fault", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr));
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
    void TearDown() override { m_wnd.DestroyWindow(); }

    // Posts the faulting message and the next one, and runs the application's loop over both.
    void FaultThenNext(const std::function<void()>& fnFault)
    {
        m_wnd.m_fnFault = fnFault;
        int nNextBefore = m_wnd.m_nNextSeen;
        int nLocalsBefore = g_nLocalsDestroyed;
        m_wnd.PostMessage(WM_TEST_FAULT);
        m_wnd.PostMessage(WM_TEST_NEXT);
        EXPECT_TRUE(theApp.PumpMessage());
        EXPECT_EQ(g_nLocalsDestroyed, nLocalsBefore + 1);  // the handler's frame was unwound
        EXPECT_TRUE(theApp.PumpMessage());
        EXPECT_EQ(m_wnd.m_nNextSeen, nNextBefore + 1);
    }

    CFaultingWnd m_wnd;
};

struct FaultCase {
    const char* pszName;
    void (*pfnFault)();
};

class FaultAnywhereTest : public FaultRecoveryTest, public testing::WithParamInterface<FaultCase> {};

TEST_P(FaultAnywhereTest, FaultingMessageIsAbandonedAndTheNextOneIsProcessed)
{
    for (int nRound = 0; nRound < 2; ++nRound) {
        FaultThenNext(GetParam().pfnFault);
        EXPECT_EQ(m_wnd.m_nAfterFault, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Modules, FaultAnywhereTest,
                         testing::Values(FaultCase{"InTheExecutable", &NullWriteHere},
                                         FaultCase{"InAnotherModule", &FaultModuleNullWrite},
                                         FaultCase{"InTheRunTime", &BadPointerToTheRunTime}),
                         [](const auto& info) { return std::string(info.param.pszName); });

TEST_F(FaultRecoveryTest, ModuleHandlingItsOwnFaultKeepsItAndTheOthersAreStillRecovered)
{
    for (int nRound = 1; nRound <= 2; ++nRound) {
        FaultThenNext([] { FaultModuleNullWrite(); });
        EXPECT_EQ(m_wnd.m_nAfterFault, nRound - 1);

        FaultThenNext([] { EXPECT_EQ(FaultModuleCatchOwnFault(), 1); });
        EXPECT_EQ(m_wnd.m_nAfterFault, nRound);  // the handler went on to its end
        EXPECT_EQ(FaultModuleOwnFaultsTaken(), nRound);
    }
}

TEST_F(FaultRecoveryTest, FaultInAWindowProcedureOfAnotherModuleIsAbandoned)
{
    HWND hForeign = FaultModuleCreateWindow(WM_MODULE_FAULT);
    ASSERT_TRUE(hForeign);
    for (int nRound = 1; nRound <= 2; ++nRound) {
        ::PostMessageW(hForeign, WM_MODULE_FAULT, 0, 0);
        m_wnd.PostMessage(WM_TEST_NEXT);
        EXPECT_TRUE(theApp.PumpMessage());
        EXPECT_TRUE(theApp.PumpMessage());
        EXPECT_EQ(m_wnd.m_nNextSeen, nRound);
    }
    EXPECT_TRUE(::IsWindow(hForeign));
    ::DestroyWindow(hForeign);
}

TEST_F(FaultRecoveryTest, FaultDuringCreationFailsTheCreation)
{
    AFX_SE_TRANSLATOR pfnOld = AfxSetSeTranslator([](unsigned int nCode, EXCEPTION_POINTERS*) { throw nCode; });
    CFaultOnCreateWnd wnd;
    EXPECT_FALSE(wnd.CreateEx(0, nullptr, L"fault on create", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr));
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_FALSE(::FindWindowW(nullptr, L"fault on create"));
    // The fault was held for the message loop, not swallowed on the way.
    unsigned int nHeld = 0;
    try {
        AfxRethrowPendingException();
    } catch (unsigned int nCode) {
        nHeld = nCode;
    }
    EXPECT_EQ(nHeld, static_cast<unsigned int>(EXCEPTION_ACCESS_VIOLATION));
    AfxSetSeTranslator(pfnOld);
}

TEST_F(FaultRecoveryTest, PaintAbandonedBeforeBeginPaintIsNotAskedForAgain)
{
    CFaultOnPaintWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"paint fault", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr));
    // Whatever showing the window brings comes first, then it starts valid.
    PumpUntil([] { return false; }, 500);
    ::ValidateRect(wnd.m_hWnd, nullptr);
    wnd.m_nPaints = 0;
    ::InvalidateRect(wnd.m_hWnd, nullptr, TRUE);
    // The paint goes through the loop; a window still invalid afterwards would be asked again, and fault
    // again, at once.
    ::PostMessageW(wnd.m_hWnd, WM_PAINT, 0, 0);
    for (int i = 0; i < 100 && wnd.m_nPaints == 0; ++i) EXPECT_TRUE(theApp.PumpMessage());
    EXPECT_EQ(wnd.m_nPaints, 1);
    EXPECT_FALSE(::GetUpdateRect(wnd.m_hWnd, nullptr, FALSE));
    wnd.DestroyWindow();
}

TEST_F(FaultRecoveryTest, SuperclassFailingInNcDestroyStillUnmapsAndFinishesTheObject)
{
    AFX_SE_TRANSLATOR pfnOld = AfxSetSeTranslator([](unsigned int nCode, EXCEPTION_POINTERS*) { throw nCode; });
    WNDCLASSW wc{};
    wc.lpfnWndProc = &FailingSuperclassProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TarnwickTestFailingSuperclass";
    ASSERT_TRUE(::RegisterClassW(&wc));
    for (SuperclassFailure failure : {SuperclassFailure::Fault, SuperclassFailure::Throw}) {
        const bool bFault = failure == SuperclassFailure::Fault;
        SCOPED_TRACE(bFault ? "fault" : "exception");
        CCountingNcDestroyWnd wnd;
        HWND hWnd = ::CreateWindowExW(0, wc.lpszClassName, L"superclass", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                                      wc.hInstance, nullptr);
        ASSERT_TRUE(hWnd);
        ASSERT_TRUE(wnd.SubclassWindow(hWnd));
        g_superclassFailure = failure;
        g_nSuperclassFailsOn = WM_NCDESTROY;
        ::DestroyWindow(hWnd);
        g_nSuperclassFailsOn = 0;
        EXPECT_FALSE(::IsWindow(hWnd));
        EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
        EXPECT_EQ(wnd.m_hWnd, nullptr);
        EXPECT_EQ(wnd.m_nPostNcDestroy, 1);
        // The failure itself is held for the message loop as any handler's.
        bool bHeld = false;
        try {
            AfxRethrowPendingException();
        } catch (unsigned int) {
            bHeld = bFault;
        } catch (const std::runtime_error&) {
            bHeld = !bFault;
        }
        EXPECT_TRUE(bHeld);
    }
    ::UnregisterClassW(wc.lpszClassName, wc.hInstance);
    AfxSetSeTranslator(pfnOld);
}

TEST_F(FaultRecoveryTest, ExceptionOfAHandlerRunInsideGetMessageSurfacesAfterTheDispatch)
{
    HWND hWnd = m_wnd.m_hWnd;
    // Sent from another thread, so the handler runs while this thread waits in GetMessage.
    std::thread sender([hWnd] {
        ::SendMessageW(hWnd, WM_TEST_THROW, 0, 0);
        ::PostMessageW(hWnd, WM_TEST_NEXT, 0, 0);
    });
    EXPECT_THROW(theApp.PumpMessage(), std::runtime_error);
    sender.join();
    EXPECT_EQ(m_wnd.m_nNextSeen, 1);  // the message GetMessage returned was not lost either
}

TEST_F(FaultRecoveryTest, QuitTakenWithAHeldExceptionIsNotLost)
{
    HWND hWnd = m_wnd.m_hWnd;
    DWORD dwMainThread = ::GetCurrentThreadId();
    // The sent handler throws inside GetMessage, which then takes the quit.
    std::thread sender([hWnd, dwMainThread] {
        ::SendMessageW(hWnd, WM_TEST_THROW, 0, 0);
        ::PostThreadMessageW(dwMainThread, WM_QUIT, 7, 0);
    });
    EXPECT_THROW(theApp.PumpMessage(), std::runtime_error);
    sender.join();
    EXPECT_FALSE(theApp.PumpMessage());  // the quit is still there for the loop
    EXPECT_EQ(theApp.m_msgCur.wParam, 7u);
}

struct HoldCase {
    const char* pszName;
    UINT nFirst;   // sent from inside the handler
    bool bFaultAfter;
};

class PendingExceptionTest : public FaultRecoveryTest, public testing::WithParamInterface<HoldCase> {};

TEST_P(PendingExceptionTest, AnotherKindOfExceptionIsNeverAbsorbedAsAFault)
{
    m_wnd.m_fnFault = [] {};
    m_wnd.m_fnNested = [this] {
        m_wnd.SendMessage(GetParam().nFirst);
        if (GetParam().bFaultAfter) NullWriteHere();
        else throw std::runtime_error("after");
    };
    m_wnd.PostMessage(WM_TEST_NESTED);
    EXPECT_THROW(theApp.PumpMessage(), std::runtime_error);
    // Nothing is left over for the next message.
    m_wnd.PostMessage(WM_TEST_NEXT);
    EXPECT_TRUE(theApp.PumpMessage());
    EXPECT_EQ(m_wnd.m_nNextSeen, 1);
}

INSTANTIATE_TEST_SUITE_P(Orders, PendingExceptionTest,
                         testing::Values(HoldCase{"ThrowThenFault", WM_TEST_THROW, true},
                                         HoldCase{"FaultThenThrow", WM_TEST_FAULT, false}),
                         [](const auto& info) { return std::string(info.param.pszName); });

}  // namespace

namespace {

// Hosts the real browser control; the handler of the navigation's first event faults.
class CFaultingEventHost : public CWnd {
public:
    CWnd m_wndControl;
    int m_nBefore = 0;
    int m_nAfterFault = 0;
    int m_nCompletes = 0;

protected:
    BOOL OnBeforeNavigate2(IDispatch*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, BOOL*)
    {
        ++m_nBefore;
        CountOnExit guard;
        NullWriteHere();
        ++m_nAfterFault;
        return TRUE;
    }
    BOOL OnDownloadComplete()
    {
        ++m_nCompletes;
        return TRUE;
    }
    DECLARE_EVENTSINK_MAP()
};

BEGIN_EVENTSINK_MAP(CFaultingEventHost, CWnd)
    ON_EVENT(CFaultingEventHost, AFX_IDW_PANE_FIRST, DISPID_BEFORENAVIGATE2, OnBeforeNavigate2,
             VTS_DISPATCH VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT VTS_PBOOL)
    ON_EVENT(CFaultingEventHost, AFX_IDW_PANE_FIRST, DISPID_DOWNLOADCOMPLETE, OnDownloadComplete, VTS_NONE)
END_EVENTSINK_MAP()

TEST(ControlEventFaultTest, FaultInAnEventHandlerIsTakenAtTheEventAndTheNavigationGoesOn)
{
    ASSERT_TRUE(AfxOleInit());
    AfxEnableControlContainer();
    // The control may fire from inside Navigate, before the loop has installed its translator.
    AfxSetSeTranslator([](unsigned int nCode, EXCEPTION_POINTERS*) { throw nCode; });
    g_nLocalsDestroyed = 0;
    CFaultingEventHost host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, L"host", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr));
    RECT rect{0, 0, 300, 200};
    ASSERT_TRUE(host.m_wndControl.CreateControl(CLSID_WebBrowser, nullptr, WS_CHILD | WS_VISIBLE, rect, &host,
                                                AFX_IDW_PANE_FIRST));
    CComPtr<IWebBrowser2> pBrowser;
    ASSERT_EQ(host.m_wndControl.GetControlUnknown()->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&pBrowser)),
              S_OK);
    CComBSTR bstrURL(L"about:blank");
    // Called from outside any message: the event's own boundary is the only one.
    EXPECT_EQ(pBrowser->Navigate(bstrURL, nullptr, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(host.m_nBefore, 1);
    unsigned int nHeld = 0;
    try {
        AfxRethrowPendingException();
    } catch (unsigned int nCode) {
        nHeld = nCode;
    }
    EXPECT_EQ(nHeld, static_cast<unsigned int>(EXCEPTION_ACCESS_VIOLATION));
    // The navigation goes on: the abandoned handler cancelled nothing.
    PumpUntil([&] { return host.m_nCompletes > 0; }, 10000);
    EXPECT_GT(host.m_nCompletes, 0);
    EXPECT_EQ(host.m_nAfterFault, 0);
    EXPECT_EQ(g_nLocalsDestroyed, 1);
    pBrowser.Release();
    host.DestroyWindow();
}

}  // namespace
