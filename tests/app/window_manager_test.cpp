#include <gtest/gtest.h>

#include "app/main_frame.h"
#include "app/tarnwick_app.h"
#include "frame/browser_frame.h"
#include "res/messages.h"
#include "res/resource.h"
#include "support/creation_refusal.h"
#include "support/message_pump.h"
#include "support/stack_class_factory.h"

#include <exdisp.h>
#include <functional>
#include <new>
#include <vector>

namespace {

// Stands in for the browser control's class and faults when asked for an instance.
class CFaultingFactory : public StackClassFactory {
public:
    STDMETHODIMP CreateInstance(IUnknown*, REFIID, void**) override
    {
        ++m_nCalls;
        volatile int* volatile pNull = nullptr;
        *pNull = 1;
        return E_FAIL;
    }
    int m_nCalls = 0;
};

// Runs a step once, from inside the creation of the next browser frame: when its first child window is made.
class ScopedInsideFrameCreation {
public:
    explicit ScopedInsideFrameCreation(std::function<void(CBrowserFrame*)> fnStep) : m_fnStep(std::move(fnStep))
    {
        s_pThis = this;
        m_hHook = ::SetWindowsHookExW(WH_CBT, &Hook, nullptr, ::GetCurrentThreadId());
    }
    ~ScopedInsideFrameCreation()
    {
        ::UnhookWindowsHookEx(m_hHook);
        s_pThis = nullptr;
    }
    ScopedInsideFrameCreation(const ScopedInsideFrameCreation&) = delete;
    ScopedInsideFrameCreation& operator=(const ScopedInsideFrameCreation&) = delete;
    bool m_bRan = false;

private:
    static LRESULT CALLBACK Hook(int nCode, WPARAM wParam, LPARAM lParam)
    {
        if (nCode == HCBT_CREATEWND && s_pThis && !s_pThis->m_bRan) {
            HWND hParent = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs->hwndParent;
            if (auto* pFrame = dynamic_cast<CBrowserFrame*>(CWnd::FromHandlePermanent(hParent))) {
                s_pThis->m_bRan = true;
                s_pThis->m_fnStep(pFrame);
            }
        }
        return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
    }
    static inline ScopedInsideFrameCreation* s_pThis = nullptr;
    std::function<void(CBrowserFrame*)> m_fnStep;
    HHOOK m_hHook;
};

// While armed, the first allocation made by a frame's LoadFrame before its window exists (the manager lists
// the frame without a handle, and the frame has none yet) throws std::bad_alloc: an exception out of the middle
// of a creation, outside any window procedure.
CMainFrame* g_pFailLoadingFrameOf = nullptr;
bool g_bFailedLoadingFrame = false;

bool LoadingFrameBeforeItsWindow()
{
    if (!g_pFailLoadingFrameOf) return false;
    for (POSITION pos = g_pFailLoadingFrameOf->m_listFrames.GetHeadPosition(); pos;) {
        const CMainFrame::CListedFrame& entry = g_pFailLoadingFrameOf->m_listFrames.GetNext(pos);
        if (entry.pFrame && !entry.hWnd && !entry.pFrame->m_hWnd) return true;
    }
    return false;
}

}  // namespace

void* operator new(std::size_t nSize)
{
    if (LoadingFrameBeforeItsWindow()) {
        g_pFailLoadingFrameOf = nullptr;
        g_bFailedLoadingFrame = true;
        throw std::bad_alloc();
    }
    if (void* p = ::HeapAlloc(::GetProcessHeap(), 0, nSize ? nSize : 1)) return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    if (p) ::HeapFree(::GetProcessHeap(), 0, p);
}

void operator delete(void* p, std::size_t) noexcept
{
    if (p) ::HeapFree(::GetProcessHeap(), 0, p);
}

namespace {

// A real window manager as start-up makes it, with its first browser window open.
class WindowManagerTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AfxOleInit());
        AfxEnableControlContainer(&theApp.m_occManager);
    }
    void StartWithShowMode(const wchar_t* pszShowMode)
    {
        theApp.m_strShowMode = pszShowMode;
        theApp.m_pActiveView = nullptr;
        m_pManager = new CMainFrame;
        theApp.m_pMainWnd = m_pManager;
        ASSERT_TRUE(m_pManager->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE));
        m_hManager = m_pManager->m_hWnd;
        ASSERT_TRUE(PumpUntil([this] { return m_pManager->m_listFrames.GetCount() == 1; }));
    }
    void TearDown() override
    {
        if (::IsWindow(m_hManager)) {
            theApp.OnAppExit();
            EXPECT_TRUE(WaitForQuit());
        }
    }
    bool WaitForQuit(DWORD dwTimeoutMs = 3000)
    {
        bool bQuit = false;
        PumpUntil([] { return false; }, dwTimeoutMs, &bQuit);
        return bQuit;
    }
    std::vector<HWND> ListedWindows() const
    {
        std::vector<HWND> windows;
        for (POSITION pos = m_pManager->m_listFrames.GetHeadPosition(); pos;) {
            windows.push_back(m_pManager->m_listFrames.GetNext(pos).hWnd);
        }
        return windows;
    }
    CChildView* OpenWindow(int* pnFailed = nullptr)
    {
        CChildView* pView = nullptr;
        int nFailed = 0;
        ::SendMessageW(m_hManager, WM_OPEN_BROWSER_WINDOW, reinterpret_cast<WPARAM>(&pView),
                       reinterpret_cast<LPARAM>(&nFailed));
        if (pnFailed) *pnFailed = nFailed;
        PumpPending();
        return pView;
    }
    static HWND FrameOf(CChildView* pView) { return ::GetParent(pView->m_hWnd); }

    CMainFrame* m_pManager = nullptr;
    HWND m_hManager = nullptr;
};

TEST_F(WindowManagerTest, ShowModeOfTheCommandLineAppliesToTheFirstWindowOnly)
{
    struct Case {
        const char* name;
        const wchar_t* showMode;
        bool bVisible, bMinimised, bMaximised;
    };
    const Case cases[] = {
        {"none", L"", true, false, true},
        {"/MAX", L"/MAX", true, false, true},
        {"/MIN", L"/MIN", true, true, false},
        {"/NORMAL", L"/NORMAL", true, false, false},
        {"/HIDE", L"/HIDE", false, false, false},
        {"not a show-mode word", L"WEB\\A.HTM", true, false, true},
    };
    for (const Case& c : cases) {
        StartWithShowMode(c.showMode);
        HWND hFrame = ListedWindows().at(0);
        EXPECT_EQ(::IsWindowVisible(hFrame) != FALSE, c.bVisible) << c.name;
        EXPECT_EQ(::IsIconic(hFrame) != FALSE, c.bMinimised) << c.name;
        EXPECT_EQ(::IsZoomed(hFrame) != FALSE, c.bMaximised) << c.name;
        EXPECT_TRUE(theApp.m_strShowMode.IsEmpty()) << c.name;
        EXPECT_FALSE(::IsWindowVisible(m_hManager)) << c.name;
        theApp.OnAppExit();
        ASSERT_TRUE(WaitForQuit()) << c.name;
    }
}

TEST_F(WindowManagerTest, NewWindowTakesTheShowStateOfTheActiveWindow)
{
    StartWithShowMode(L"/NORMAL");
    auto* pFirst = dynamic_cast<CBrowserFrame*>(CWnd::FromHandlePermanent(ListedWindows().at(0)));
    ASSERT_NE(pFirst, nullptr);
    pFirst->ActivateView(&pFirst->m_wndView);
    ASSERT_EQ(theApp.m_pActiveView, &pFirst->m_wndView);

    int nFailed = -1;
    CChildView* pView = OpenWindow(&nFailed);
    ASSERT_NE(pView, nullptr);
    EXPECT_EQ(nFailed, 0);
    HWND hSecond = FrameOf(pView);
    EXPECT_EQ(ListedWindows(), (std::vector<HWND>{pFirst->m_hWnd, hSecond}));
    EXPECT_TRUE(::IsWindowVisible(hSecond));
    EXPECT_FALSE(::IsZoomed(hSecond));  // without a reference window it would be maximised
    EXPECT_FALSE(::IsIconic(hSecond));

    // Minimised reference: the new window is minimised as well.
    ::ShowWindow(pFirst->m_hWnd, SW_MINIMIZE);
    theApp.m_pActiveView = &pFirst->m_wndView;
    EXPECT_TRUE(::IsIconic(FrameOf(OpenWindow())));
}

TEST_F(WindowManagerTest, WithoutActiveViewNewWindowsOpenMaximised)
{
    StartWithShowMode(L"/NORMAL");
    theApp.m_pActiveView = nullptr;
    EXPECT_TRUE(::IsZoomed(FrameOf(OpenWindow())));
}

TEST_F(WindowManagerTest, ClosingWindowsReportsAndTheLastCloseEndsTheLoop)
{
    StartWithShowMode(L"");
    HWND hFirst = ListedWindows().at(0);
    HWND hSecond = FrameOf(OpenWindow());
    HWND hThird = FrameOf(OpenWindow());

    ::SendMessageW(hSecond, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(hSecond));
    EXPECT_EQ(ListedWindows(), (std::vector<HWND>{hFirst, hThird}));
    ::SendMessageW(hFirst, WM_CLOSE, 0, 0);
    PumpPending();
    EXPECT_TRUE(::IsWindow(m_hManager));
    EXPECT_EQ(ListedWindows(), (std::vector<HWND>{hThird}));

    ::PostMessageW(hThird, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitForQuit());
    EXPECT_FALSE(::IsWindow(hThird));
    EXPECT_FALSE(::IsWindow(m_hManager));
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
}

TEST_F(WindowManagerTest, AppExitClosesEveryWindow)
{
    StartWithShowMode(L"");
    HWND hFirst = ListedWindows().at(0);
    HWND hSecond = FrameOf(OpenWindow());

    ::PostMessageW(hSecond, WM_COMMAND, MAKEWPARAM(ID_APP_EXIT, 0), 0);  // as the File menu sends it
    EXPECT_TRUE(WaitForQuit());
    PumpPending();  // the frames' own WM_CLOSE messages were queued before the quit
    EXPECT_FALSE(::IsWindow(m_hManager));
    EXPECT_FALSE(::IsWindow(hFirst));
    EXPECT_FALSE(::IsWindow(hSecond));
}

TEST_F(WindowManagerTest, CloseReportOfUnknownFrameRemovesNothing)
{
    StartWithShowMode(L"");
    std::vector<HWND> before = ListedWindows();
    int nNotAFrame = 0;
    ::SendMessageW(m_hManager, WM_BROWSER_WINDOW_CLOSED, 0, reinterpret_cast<LPARAM>(&nNotAFrame));
    PumpPending();
    EXPECT_EQ(ListedWindows(), before);
    EXPECT_TRUE(::IsWindow(m_hManager));
}

TEST_F(WindowManagerTest, CloseReportOfNoFrameBeforeTheFirstWindowClosesNothing)
{
    theApp.m_strShowMode = L"";
    m_pManager = new CMainFrame;
    theApp.m_pMainWnd = m_pManager;
    ASSERT_TRUE(m_pManager->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE));
    m_hManager = m_pManager->m_hWnd;
    ASSERT_TRUE(m_pManager->m_listFrames.IsEmpty());  // the first window opens from the queue
    ::SendMessageW(m_hManager, WM_BROWSER_WINDOW_CLOSED, 0, 0);
    ASSERT_TRUE(PumpUntil([this] { return m_pManager->m_listFrames.GetCount() == 1; }));
    PumpPending();
    EXPECT_TRUE(::IsWindow(m_hManager));
    EXPECT_EQ(ListedWindows().size(), 1u);
}

TEST_F(WindowManagerTest, SweepDropsOneVanishedWindowPerTick)
{
    StartWithShowMode(L"");
    HWND hFirst = ListedWindows().at(0);
    HWND hSecond = FrameOf(OpenWindow());
    // Gone without WM_CLOSE, so without a report.
    ::DestroyWindow(hFirst);
    ::DestroyWindow(hSecond);
    EXPECT_EQ(ListedWindows().size(), 2u);

    ::SendMessageW(m_hManager, WM_TIMER, m_pManager->m_nTimer, 0);
    EXPECT_EQ(ListedWindows(), (std::vector<HWND>{hSecond}));
    EXPECT_EQ(m_pManager->m_nTimer, reinterpret_cast<UINT_PTR>(m_pManager));  // re-armed
    EXPECT_TRUE(::IsWindow(m_hManager));

    ::SendMessageW(m_hManager, WM_TIMER, m_pManager->m_nTimer, 0);
    EXPECT_TRUE(WaitForQuit());
    EXPECT_FALSE(::IsWindow(m_hManager));
}

TEST_F(WindowManagerTest, FrameThatCannotBeCreatedIsNeitherListedNorHandedOut)
{
    StartWithShowMode(L"");
    std::vector<HWND> before = ListedWindows();
    CChildView* pView = nullptr;
    int nFailed = 0;
    {
        ScopedCreationRefusal refusal;
        pView = OpenWindow(&nFailed);
        EXPECT_EQ(refusal.refused(), 1);
    }
    EXPECT_EQ(pView, nullptr);
    EXPECT_EQ(nFailed, 1);
    EXPECT_EQ(ListedWindows(), before);
    // The manager still works afterwards.
    EXPECT_NE(OpenWindow(), nullptr);
}

TEST_F(WindowManagerTest, FrameWhoseCreationFaultsIsNeitherListedNorHandedOut)
{
    StartWithShowMode(L"");
    std::vector<HWND> before = ListedWindows();
    AFX_SE_TRANSLATOR pfnOld = AfxSetSeTranslator([](unsigned int nCode, EXCEPTION_POINTERS*) { throw nCode; });
    CFaultingFactory factory;
    DWORD dwCookie = 0;
    ASSERT_EQ(::CoRegisterClassObject(CLSID_WebBrowser, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &dwCookie),
              S_OK);
    int nFailed = 0;
    CChildView* pView = OpenWindow(&nFailed);
    ::CoRevokeClassObject(dwCookie);

    EXPECT_EQ(factory.m_nCalls, 1);
    EXPECT_EQ(pView, nullptr);
    EXPECT_EQ(nFailed, 1);
    EXPECT_EQ(ListedWindows(), before);
    // Nothing half-built is left on screen either.
    DWORD dwThread = ::GetCurrentThreadId();
    int nTopLevel = 0;
    ::EnumThreadWindows(dwThread, [](HWND hWnd, LPARAM lParam) {
        if (dynamic_cast<CBrowserFrame*>(CWnd::FromHandlePermanent(hWnd))) ++*reinterpret_cast<int*>(lParam);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&nTopLevel));
    EXPECT_EQ(nTopLevel, 1);
    AfxSetSeTranslator(pfnOld);
    EXPECT_NE(OpenWindow(), nullptr);
}

TEST_F(WindowManagerTest, AnExceptionOutOfACreationLeavesNeitherTheEntryNorACloseWaitingForever)
{
    StartWithShowMode(L"");
    std::vector<HWND> before = ListedWindows();
    CChildView* pView = nullptr;
    g_bFailedLoadingFrame = false;
    g_pFailLoadingFrameOf = m_pManager;
    ::SendMessageW(m_hManager, WM_OPEN_BROWSER_WINDOW, reinterpret_cast<WPARAM>(&pView), 0);
    g_pFailLoadingFrameOf = nullptr;
    ASSERT_TRUE(g_bFailedLoadingFrame);
    EXPECT_THROW(AfxRethrowPendingException(), std::bad_alloc);  // held for the message loop
    EXPECT_EQ(pView, nullptr);
    EXPECT_EQ(ListedWindows(), before);
    // The manager creates again, and a close is not put off for a creation that is over.
    CChildView* pAfter = OpenWindow();
    ASSERT_NE(pAfter, nullptr);
    EXPECT_EQ(ListedWindows().size(), before.size() + 1);
    ::SendMessageW(m_hManager, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(m_hManager));
    EXPECT_TRUE(WaitForQuit());
}

TEST_F(WindowManagerTest, SweepCloseReportAndCloseDuringACreationLeaveTheNewFrameListed)
{
    StartWithShowMode(L"");
    HWND hFirst = ListedWindows().at(0);
    CChildView* pView = nullptr;
    {
        ScopedInsideFrameCreation inside([this](CBrowserFrame* pFrame) {
            ::SendMessageW(m_hManager, WM_TIMER, m_pManager->m_nTimer, 0);
            ::SendMessageW(m_hManager, WM_BROWSER_WINDOW_CLOSED, 0, reinterpret_cast<LPARAM>(pFrame));
            ::SendMessageW(m_hManager, WM_CLOSE, 0, 0);
        });
        ::SendMessageW(m_hManager, WM_OPEN_BROWSER_WINDOW, reinterpret_cast<WPARAM>(&pView), 0);
        ASSERT_TRUE(inside.m_bRan);
    }
    ASSERT_NE(pView, nullptr);
    EXPECT_EQ(ListedWindows(), (std::vector<HWND>{hFirst, FrameOf(pView)}));
    // The close waited for the creation; it happens now and closes both windows.
    EXPECT_TRUE(::IsWindow(m_hManager));
    EXPECT_TRUE(WaitForQuit());
    EXPECT_FALSE(::IsWindow(hFirst));
}

TEST_F(WindowManagerTest, ActiveViewIsForgottenWhenItsWindowCloses)
{
    StartWithShowMode(L"/NORMAL");
    auto* pFrame = dynamic_cast<CBrowserFrame*>(CWnd::FromHandlePermanent(ListedWindows().at(0)));
    ASSERT_NE(pFrame, nullptr);
    pFrame->ActivateView(&pFrame->m_wndView);
    ASSERT_EQ(theApp.m_pActiveView, &pFrame->m_wndView);

    // The only window: no other one can take the activation over.
    ::SendMessageW(pFrame->m_hWnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(theApp.m_pActiveView, nullptr);
    EXPECT_TRUE(WaitForQuit());
}

}  // namespace
