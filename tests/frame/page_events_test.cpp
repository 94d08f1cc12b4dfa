#include "support/hosted_view_fixture.h"
#include "app/main_frame.h"
#include "res/messages.h"
#include "res/resource.h"
#include "support/creation_refusal.h"
#include "support/message_pump.h"
#include "support/stack_class_factory.h"
#include "support/view_probe.h"

#include <exdispid.h>
#include <urlmon.h>
#include <climits>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

// What the frame shows of the page, read back from its windows.
struct FrameState {
    std::wstring title;
    std::wstring status;   // pane 1
    std::wstring zone;     // pane 4 text
    long progress = -1;    // pane 2; -1 without a bar
    std::wstring address;
    std::wstring url;      // the view's m_strURL
};

std::wstring WindowText(HWND hWnd)
{
    wchar_t szText[512] = {};
    ::GetWindowTextW(hWnd, szText, 512);
    return szText;
}

FrameState StateOf(CBrowserFrame* pFrame)
{
    FrameState state;
    state.title = WindowText(pFrame->m_hWnd);
    state.status = pFrame->m_wndStatusBar.GetPaneText(1).GetString();
    state.zone = pFrame->m_wndStatusBar.GetPaneText(4).GetString();
    state.progress = pFrame->m_wndStatusBar.GetPaneProgress(2);
    state.address = WindowText(pFrame->m_wndAddress.m_hWnd);
    state.url = pFrame->m_wndView.m_strURL.GetString();
    return state;
}

// The colour pixels of an icon, to tell which image a pane shows.
std::vector<DWORD> IconPixels(HICON hIcon)
{
    std::vector<DWORD> pixels;
    ICONINFO info{};
    if (!hIcon || !::GetIconInfo(hIcon, &info)) return pixels;
    BITMAP bitmap{};
    ::GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = bitmap.bmWidth;
    bmi.bmiHeader.biHeight = bitmap.bmHeight;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    pixels.resize(static_cast<size_t>(bitmap.bmWidth) * static_cast<size_t>(bitmap.bmHeight));
    HDC hDC = ::GetDC(nullptr);
    ::GetDIBits(hDC, info.hbmColor, 0, static_cast<UINT>(bitmap.bmHeight), pixels.data(), &bmi, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, hDC);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return pixels;
}

std::vector<DWORD> ImagePixels(int nImage)
{
    HICON hIcon = ImageList_GetIcon(theApp.m_imageList.GetSafeHandle(), nImage, ILD_NORMAL);
    std::vector<DWORD> pixels = IconPixels(hIcon);
    ::DestroyIcon(hIcon);
    return pixels;
}

std::vector<DWORD> PanePixels(CBrowserFrame* pFrame, int nPane)
{
    return IconPixels(reinterpret_cast<HICON>(
        ::SendMessageW(pFrame->m_wndStatusBar.m_hWnd, SB_GETICON, static_cast<WPARAM>(nPane), 0)));
}

RECT NormalRect(CBrowserFrame* pFrame)
{
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    ::GetWindowPlacement(pFrame->m_hWnd, &placement);
    return placement.rcNormalPosition;
}

bool BandHidden(CBrowserFrame* pFrame, int nBand)
{
    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_STYLE;
    ::SendMessageW(pFrame->m_wndReBar.m_hWnd, RB_GETBANDINFOW, static_cast<WPARAM>(nBand), reinterpret_cast<LPARAM>(&band));
    return (band.fStyle & RBBS_HIDDEN) != 0;
}

ULONG RefsOf(IUnknown* p)
{
    p->AddRef();
    return p->Release();
}

RECT WorkAreaOf(CBrowserFrame* pFrame)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(pFrame->m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

int HeightOf(HWND hWnd)
{
    RECT rect;
    ::GetWindowRect(hWnd, &rect);
    return rect.bottom - rect.top;
}

// A security manager whose zone lookup fails after writing a zone, as a broken one may: the Internet zone, whose
// name and icon the zone pane would show.
class CFailingSecurityManager : public IInternetSecurityManager {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = (riid == IID_IUnknown || riid == IID_IInternetSecurityManager) ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP SetSecuritySite(IInternetSecurityMgrSite*) override { return E_NOTIMPL; }
    STDMETHODIMP GetSecuritySite(IInternetSecurityMgrSite**) override { return E_NOTIMPL; }
    STDMETHODIMP MapUrlToZone(LPCWSTR, DWORD* pdwZone, DWORD) override
    {
        ++m_nLookups;
        if (pdwZone) *pdwZone = URLZONE_INTERNET;
        return E_FAIL;
    }
    STDMETHODIMP GetSecurityId(LPCWSTR, BYTE*, DWORD*, DWORD_PTR) override { return E_NOTIMPL; }
    STDMETHODIMP ProcessUrlAction(LPCWSTR, DWORD, BYTE*, DWORD, BYTE*, DWORD, DWORD, DWORD) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP QueryCustomPolicy(LPCWSTR, REFGUID, BYTE**, DWORD*, BYTE*, DWORD, DWORD) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP SetZoneMapping(DWORD, LPCWSTR, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetZoneMappings(DWORD, IEnumString**, DWORD) override { return E_NOTIMPL; }
    int m_nLookups = 0;
};

// Makes the failing security manager, or refuses to make any.
class CSecurityManagerFactory : public StackClassFactory {
public:
    explicit CSecurityManagerFactory(bool bRefuse) : m_bRefuse(bRefuse) {}
    STDMETHODIMP CreateInstance(IUnknown*, REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        return m_bRefuse ? E_OUTOFMEMORY : m_manager.QueryInterface(riid, ppv);
    }
    CFailingSecurityManager m_manager;

private:
    bool m_bRefuse;
};

class PageEventsTest : public HostedViewTest {
protected:
    void TearDown() override
    {
        HostedViewTest::TearDown();
        theApp.m_pMainWnd = nullptr;
    }

    // The application's window manager, once it has opened its first window; null when it has not.
    CMainFrame* StartManagerWithOneWindow()
    {
        auto* pManager = new CMainFrame;
        theApp.m_pMainWnd = pManager;
        if (!pManager->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE)) return nullptr;
        // The manager opens its first window once its placeholder view is ready.
        if (!PumpUntil([&] { return pManager->m_listFrames.GetCount() == 1 && m_pFactory->Last(); })) return nullptr;
        PumpPending();
        return pManager;
    }

    // A frame of known normal rectangle, restored, whose control the test drives.
    CBrowserFrame* OpenPlacedFrame()
    {
        CBrowserFrame* pFrame = OpenFrame();
        if (!pFrame) return nullptr;
        pFrame->SetWindowPos(nullptr, 50, 60, 600, 500, SWP_NOZORDER | SWP_NOACTIVATE);
        return pFrame;
    }
};

TEST_F(PageEventsTest, EachEventShowsThePageInTheFrame)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    CComPtr<IDispatch> spFrameDocument = control->FrameBrowser(L"http://example.test/frame.htm");
    CComPtr<IDispatch> spAlias = control->DispatchAlias();
    struct Case {
        const char* name;
        std::function<void()> fire;
        FrameState expected;
    };
    // Every case starts from this state.
    const FrameState before{L"Before", L"", L"", -1, L"http://before.test/", L"http://before.test/"};
    auto with = [&](auto change) {
        FrameState state = before;
        change(state);
        return state;
    };
    const std::wstring page = L"http://example.test/page.htm";
    const Case cases[] = {
        {"a title", [&] { control->FireTitleChange(L"News"); }, with([](FrameState& s) { s.title = L"News - Tarnwick"; })},
        {"an empty title", [&] { control->FireTitleChange(L""); }, with([](FrameState& s) { s.title = L"Tarnwick"; })},
        {"status text", [&] { control->FireStatusTextChange(L"Downloading"); },
         with([](FrameState& s) { s.status = L"Downloading"; })},
        {"progress below zero", [&] { control->FireProgressChange(-1, 1000); }, with([](FrameState& s) { s.progress = 0; })},
        {"progress past its maximum", [&] { control->FireProgressChange(1500, 1000); },
         with([](FrameState& s) { s.progress = 1000; })},
        {"top-level navigation completes", [&] { control->FireNavigateComplete2(nullptr, page); },
         with([&](FrameState& s) { s.address = s.url = page; s.zone = L"Internet"; })},
        {"the top level through another of its pointers", [&] { control->FireNavigateComplete2(spAlias, page); },
         with([&](FrameState& s) { s.address = s.url = page; s.zone = L"Internet"; })},
        {"a frame's navigation completes", [&] { control->FireNavigateComplete2(spFrameDocument, page); }, before},
        {"top-level document completes",
         [&] {
             control->FireProgressChange(10, 100);
             control->FireDocumentComplete(nullptr, page);
         },
         with([&](FrameState& s) { s.address = s.url = page; s.zone = L"Internet"; })},
        {"a frame's document completes",
         [&] {
             control->FireProgressChange(10, 100);
             control->FireDocumentComplete(spFrameDocument, page);
         },
         with([](FrameState& s) { s.progress = 10; })},
        {"a top-level navigation begins", [&] { control->FireBeforeNavigate2(nullptr, page); },
         with([&](FrameState& s) { s.url = page; })},
        {"a frame's navigation begins", [&] { control->FireBeforeNavigate2(spFrameDocument, page); }, before},
        {"a top-level script", [&] { control->FireBeforeNavigate2(nullptr, L"JavaScript:go()"); }, before},
        {"a path holding the word script", [&] { control->FireBeforeNavigate2(nullptr, L"http://example.test/script.htm"); },
         with([](FrameState& s) { s.url = L"http://example.test/script.htm"; })},
    };
    for (const Case& c : cases) {
        pFrame->SetWindowText(before.title.c_str());
        pFrame->m_wndStatusBar.SetWindowText(before.status.c_str());
        pFrame->m_wndStatusBar.SetPaneText(4, before.zone.c_str());
        pFrame->SetProgress(0, -1);
        pFrame->m_wndAddress.SetWindowText(before.address.c_str());
        pFrame->m_wndView.m_strURL = before.url.c_str();
        c.fire();
        FrameState state = StateOf(pFrame);
        EXPECT_EQ(state.title, c.expected.title) << c.name;
        EXPECT_EQ(state.status, c.expected.status) << c.name;
        EXPECT_EQ(state.zone, c.expected.zone) << c.name;
        EXPECT_EQ(state.progress, c.expected.progress) << c.name;
        EXPECT_EQ(state.address, c.expected.address) << c.name;
        EXPECT_EQ(state.url, c.expected.url) << c.name;
        EXPECT_EQ(pFrame->m_wndStatusBar.GetPaneText(0), L"") << c.name;
    }
}

TEST_F(PageEventsTest, TheSecureLockIconShowsThePadlockForEveryLevelButUnsecure)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    const std::vector<DWORD> padlock = ImagePixels(4);
    const std::vector<DWORD> empty = ImagePixels(5);
    ASSERT_NE(padlock, empty);
    const struct {
        long level;
        bool bSecure;
    } cases[] = {{secureLockIconUnsecure, false}, {secureLockIconMixed, true}, {secureLockIconSecure40Bit, true},
                 {secureLockIconSecure128Bit, true},    {secureLockIconSecureFortezza, true}, {secureLockIconUnsecure, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(control->FireSetSecureLockIcon(c.level), S_OK);
        EXPECT_EQ(PanePixels(pFrame, 3), c.bSecure ? padlock : empty) << "level " << c.level;
    }
}

TEST_F(PageEventsTest, TheZonePaneTakesTheZonesIconOnceAPageIsShown)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    const std::vector<DWORD> empty = ImagePixels(5);
    EXPECT_EQ(PanePixels(pFrame, 4), empty) << "no zone before the first page";
    control->FireNavigateComplete2(nullptr, L"http://example.test/");
    EXPECT_EQ(pFrame->m_wndStatusBar.GetPaneText(4), L"Internet");
    const std::vector<DWORD> zone = PanePixels(pFrame, 4);
    EXPECT_FALSE(zone.empty());
    EXPECT_NE(zone, empty);
}

TEST_F(PageEventsTest, ScriptUrlsInAnyCaseLeaveStateAndGeometryAlone)
{
    CBrowserFrame* pFrame = OpenPlacedFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    control->SetMenuBar(false);
    control->FireWindowSetWidth(400);
    pFrame->m_wndView.m_strURL = L"http://before.test/";
    pFrame->m_wndAddress.SetWindowText(L"http://before.test/");
    const RECT rectBefore = NormalRect(pFrame);
    for (const wchar_t* pszURL : {L"javascript:void(0)", L"JAVASCRIPT:x()", L"JavaScript:y", L"vbscript:msgbox",
                                  L"VBScript:z", L"jscript:a", L"JScript:b", L"script:c", L"SCRIPT:d"}) {
        EXPECT_FALSE(control->FireBeforeNavigate2(nullptr, pszURL, 0, nullptr, std::nullopt, nullptr, true))
            << "the script must run: " << testing::PrintToString(std::wstring(pszURL));
        EXPECT_EQ(pFrame->m_wndView.m_strURL, L"http://before.test/");
        EXPECT_EQ(WindowText(pFrame->m_wndAddress.m_hWnd), L"http://before.test/");
        RECT rect = NormalRect(pFrame);
        EXPECT_TRUE(::EqualRect(&rect, &rectBefore)) << testing::PrintToString(std::wstring(pszURL));
        EXPECT_FALSE(BandHidden(pFrame, 0));
        EXPECT_EQ(CViewProbe::Request(pFrame->m_wndView).hasWidth, 1);  // still waiting for the page
    }
}

TEST_F(PageEventsTest, FrameDocumentsKeepTheUrlButStillShapeTheWindow)
{
    CBrowserFrame* pFrame = OpenPlacedFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    control->SetMenuBar(false);
    control->SetToolBar(false);
    control->FireWindowSetWidth(400);
    control->FireWindowSetHeight(300);
    pFrame->m_wndView.m_strURL = L"http://top.test/";
    CComPtr<IDispatch> spFrameDocument = control->FrameBrowser(L"http://frame.test/");
    EXPECT_FALSE(control->FireBeforeNavigate2(spFrameDocument, L"http://frame.test/"));
    EXPECT_EQ(pFrame->m_wndView.m_strURL, L"http://top.test/");
    RECT rect = NormalRect(pFrame);
    EXPECT_EQ(rect.right - rect.left, 425);
    EXPECT_TRUE(BandHidden(pFrame, 0) && BandHidden(pFrame, 1) && BandHidden(pFrame, 2));
    EXPECT_EQ(CViewProbe::Request(pFrame->m_wndView).hasWidth, 0);
}

TEST_F(PageEventsTest, ScriptOpenedWindowsTakeTheShapeTheyAskedForAndKeepIt)
{
    struct Case {
        const char* name;
        bool bMenuBar, bToolBar;
        std::optional<long> left, top, width, height;
        bool bBandsHidden[3];
        int nAllowance;
        bool bCentred;
    };
    const Case cases[] = {
        {"an ordinary window", true, true, {}, {}, {}, {}, {false, false, false}, 0, false},
        {"400 by 300, no bars, no position", false, false, {}, {}, 400, 300, {true, true, true}, 0, true},
        {"400 by 300 at left 10", false, false, 10, {}, 400, 300, {true, true, true}, 0, false},
        {"only a height, both bars wanted", true, true, {}, {}, {}, 300, {false, false, true}, 10, true},
        {"only a width and a top, the toolbar wanted", false, true, {}, 40, 400, {}, {true, false, true}, 5, false},
        {"only a left, no bars", false, false, 10, {}, {}, {}, {true, true, true}, 0, false},
        {"no request, no menu bar", false, true, {}, {}, {}, {}, {true, false, true}, 0, false},
    };
    for (const Case& c : cases) {
        CBrowserFrame* pFrame = OpenPlacedFrame();
        ASSERT_NE(pFrame, nullptr) << c.name;
        std::shared_ptr<StandInControl> control = m_pFactory->Last();
        control->SetMenuBar(c.bMenuBar);
        control->SetToolBar(c.bToolBar);
        if (c.left) control->FireWindowSetLeft(*c.left);
        if (c.top) control->FireWindowSetTop(*c.top);
        if (c.width) control->FireWindowSetWidth(*c.width);
        if (c.height) control->FireWindowSetHeight(*c.height);
        const RECT rectOld = NormalRect(pFrame);
        control->FireBeforeNavigate2(nullptr, L"http://example.test/popup.htm");

        for (int nBand = 0; nBand < 3; ++nBand) EXPECT_EQ(BandHidden(pFrame, nBand), c.bBandsHidden[nBand]) << c.name << nBand;
        const int nBars = HeightOf(pFrame->m_wndReBar.m_hWnd) + HeightOf(pFrame->m_wndStatusBar.m_hWnd);
        RECT rect = NormalRect(pFrame);
        EXPECT_EQ(rect.right - rect.left, c.width ? *c.width + 25 : rectOld.right - rectOld.left) << c.name;
        EXPECT_EQ(rect.bottom - rect.top, c.height ? *c.height + nBars + c.nAllowance + 48 : rectOld.bottom - rectOld.top)
            << c.name;
        if (c.bCentred) {
            // Screen coordinates on both sides: the normal rectangle is in workspace coordinates.
            const RECT work = WorkAreaOf(pFrame);
            RECT rectScreen;
            pFrame->GetWindowRect(&rectScreen);
            EXPECT_NEAR((rectScreen.left + rectScreen.right) / 2, (work.left + work.right) / 2, 1) << c.name;
            EXPECT_NEAR((rectScreen.top + rectScreen.bottom) / 2, (work.top + work.bottom) / 2, 1) << c.name;
        } else {
            EXPECT_EQ(rect.left, c.left ? *c.left : rectOld.left) << c.name;
            EXPECT_EQ(rect.top, c.top ? *c.top : rectOld.top) << c.name;
        }
        EXPECT_EQ(CViewProbe::Request(pFrame->m_wndView).hasWidth + CViewProbe::Request(pFrame->m_wndView).hasHeight, 0) << c.name;

        // Later navigations of the same window ask for nothing: it stays as it is.
        const RECT rectShaped = NormalRect(pFrame);
        for (int i = 0; i < 3; ++i) control->FireBeforeNavigate2(nullptr, L"http://example.test/next.htm");
        rect = NormalRect(pFrame);
        EXPECT_TRUE(::EqualRect(&rect, &rectShaped)) << c.name << ": " << rect.right - rect.left << "x"
                                                     << rect.bottom - rect.top;
        // The control fills the view the hidden bars left.
        RECT rectView, rectControl;
        pFrame->m_wndView.GetClientRect(&rectView);
        ::GetClientRect(control->Window(), &rectControl);
        EXPECT_EQ(rectControl.right, rectView.right) << c.name;
        EXPECT_EQ(rectControl.bottom, rectView.bottom) << c.name;
    }
}

TEST_F(PageEventsTest, AScriptOpenedWindowOfAnySizeOrPlaceKeepsItsCaptionOnTheWorkArea)
{
    struct Case {
        const char* name;
        std::optional<long> left, top, width, height;
    };
    const Case cases[] = {
        {"taller and wider than the screen, centred", {}, {}, 5000, 5000},
        {"the largest numbers a script can give", {}, {}, LONG_MAX, LONG_MAX},
        {"negative sizes", {}, {}, LONG_MIN, -300},
        {"placed far up and left", -5000, -5000, 400, 300},
        {"placed at the most negative numbers, of the largest size", LONG_MIN, LONG_MIN, LONG_MAX, LONG_MAX},
        {"placed far down and right", 100000, 100000, 400, 300},
        {"only a top below the screen", {}, LONG_MAX, {}, {}},
    };
    for (const Case& c : cases) {
        CBrowserFrame* pFrame = OpenPlacedFrame();
        ASSERT_NE(pFrame, nullptr) << c.name;
        std::shared_ptr<StandInControl> control = m_pFactory->Last();
        control->SetMenuBar(false);
        control->SetToolBar(false);
        if (c.left) control->FireWindowSetLeft(*c.left);
        if (c.top) control->FireWindowSetTop(*c.top);
        if (c.width) control->FireWindowSetWidth(*c.width);
        if (c.height) control->FireWindowSetHeight(*c.height);
        control->FireBeforeNavigate2(nullptr, L"http://example.test/popup.htm");

        const RECT work = WorkAreaOf(pFrame);
        RECT rect;
        pFrame->GetWindowRect(&rect);
        const int nCaption = ::GetSystemMetrics(SM_CYCAPTION);
        // The caption's top edge lies on the work area, and some of its length with it.
        EXPECT_GE(rect.top, work.top) << c.name;
        EXPECT_LE(rect.top + nCaption, work.bottom) << c.name;
        EXPECT_LT(rect.left, work.right - 32) << c.name;
        EXPECT_GT(rect.right, work.left + 32) << c.name;
        EXPECT_GE(rect.right - rect.left, 0) << c.name;
        EXPECT_GE(rect.bottom - rect.top, 0) << c.name;
    }
}

TEST_F(PageEventsTest, AZoneThatCannotBeHadLeavesTheZonePaneAsItWas)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    for (bool bRefuse : {false, true}) {
        SCOPED_TRACE(bRefuse ? "no security manager" : "the lookup fails");
        CSecurityManagerFactory factory(bRefuse);
        DWORD dwCookie = 0;
        ASSERT_EQ(::CoRegisterClassObject(CLSID_InternetSecurityManager, &factory, CLSCTX_INPROC_SERVER,
                                          REGCLS_MULTIPLEUSE, &dwCookie),
                  S_OK);
        pFrame->m_wndStatusBar.SetPaneText(4, L"Before");
        control->FireNavigateComplete2(nullptr, L"http://example.test/page.htm");
        control->FireDocumentComplete(nullptr, L"http://example.test/page.htm");
        ::CoRevokeClassObject(dwCookie);
        EXPECT_EQ(factory.m_manager.m_nLookups, bRefuse ? 0 : 2);
        EXPECT_EQ(pFrame->m_wndStatusBar.GetPaneText(4), L"Before");
        EXPECT_EQ(pFrame->m_wndView.m_strURL, L"http://example.test/page.htm");  // the rest goes on
    }
}

// A window manager that answers without a usable view.
class CAnsweringManager : public CWnd {
public:
    CChildView* m_pAnswer = nullptr;
    int nAsked = 0;

protected:
    afx_msg LRESULT OnOpenBrowserWindow(WPARAM wParam, LPARAM)
    {
        ++nAsked;
        *reinterpret_cast<CChildView**>(wParam) = m_pAnswer;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CAnsweringManager, CWnd)
    ON_MESSAGE(WM_OPEN_BROWSER_WINDOW, OnOpenBrowserWindow)
END_MESSAGE_MAP()

TEST_F(PageEventsTest, NewWindowIsRefusedOnEveryFailure)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    CChildView viewWithoutControl;
    CAnsweringManager answering;
    ASSERT_TRUE(answering.CreateEx(0, AfxRegisterWndClass(0), L"answering", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr));
    auto* pManager = new CMainFrame;
    ASSERT_TRUE(pManager->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE));
    HWND hManager = pManager->m_hWnd;

    struct Case {
        const char* name;
        CWnd* pMainWnd;
        CChildView* pAnswer;
        bool bRefuseCreation;
    };
    const Case cases[] = {
        {"no window manager", nullptr, nullptr, false},
        {"the window manager cannot create the frame", pManager, nullptr, true},
        {"no view comes back", &answering, nullptr, false},
        {"a view without a control comes back", &answering, &viewWithoutControl, false},
    };
    for (const Case& c : cases) {
        theApp.m_pMainWnd = c.pMainWnd;
        answering.m_pAnswer = c.pAnswer;
        size_t nControls = m_pFactory->Controls().size();
        bool bCancel = false;
        {
            std::optional<ScopedCreationRefusal> refusal;
            if (c.bRefuseCreation) refusal.emplace();
            bCancel = control->FireNewWindow2();
            if (c.bRefuseCreation) {
                EXPECT_GE(refusal->refused(), 1) << c.name;
            }
        }
        EXPECT_TRUE(bCancel) << c.name;
        EXPECT_EQ(control->NewWindowDispatch(), nullptr) << c.name;
        EXPECT_EQ(m_pFactory->Controls().size(), nControls) << c.name;
    }
    EXPECT_EQ(answering.nAsked, 2);
    theApp.m_pMainWnd = nullptr;
    ::DestroyWindow(hManager);
    answering.DestroyWindow();
    PumpPending();
}

TEST_F(PageEventsTest, NewWindowFailsClosedAndLeavesNoBlankWindowBehind)
{
    CMainFrame* pManager = StartManagerWithOneWindow();
    ASSERT_NE(pManager, nullptr);
    std::shared_ptr<StandInControl> opener = m_pFactory->Last();
    AFX_SE_TRANSLATOR pfnOld = AfxSetSeTranslator([](unsigned int nCode, EXCEPTION_POINTERS*) { throw nCode; });

    struct Case {
        const char* name;
        bool bWithDispatchRef;
        std::function<void(StandInConfig&)> configureNewControl;
        size_t nControlsMade;
        bool bFaultHeld;
    };
    const Case cases[] = {
        {"the control gives no place for the dispatch", false, [](StandInConfig&) {}, 0, false},
        {"the new control gives no dispatch", true, [](StandInConfig& c) { c.hrGetApplication = E_FAIL; }, 1, false},
        {"the new control faults when asked for it", true, [](StandInConfig& c) { c.bFaultInGetApplication = true; }, 1,
         true},
    };
    for (const Case& c : cases) {
        const StandInConfig defaults = m_pFactory->Defaults();
        c.configureNewControl(m_pFactory->Defaults());
        const size_t nControls = m_pFactory->Controls().size();
        // The control proposes to open the window (Cancel false); only a dispatch handed back keeps it so.
        EXPECT_TRUE(opener->FireNewWindow2(false, c.bWithDispatchRef)) << c.name;
        m_pFactory->Defaults() = defaults;
        EXPECT_EQ(opener->NewWindowDispatch(), nullptr) << c.name;
        EXPECT_EQ(m_pFactory->Controls().size(), nControls + c.nControlsMade) << c.name;
        bool bHeld = false;
        try {
            AfxRethrowPendingException();
        } catch (unsigned int) {
            bHeld = true;
        }
        EXPECT_EQ(bHeld, c.bFaultHeld) << c.name;
        // The window made for the page closes again.
        PumpPending();
        EXPECT_EQ(pManager->m_listFrames.GetCount(), 1) << c.name;
        if (c.nControlsMade) {
            EXPECT_FALSE(m_pFactory->Last()->IsAlive()) << c.name;
        }
    }
    AfxSetSeTranslator(pfnOld);
    ::PostMessageW(pManager->m_listFrames.GetHead().hWnd, WM_CLOSE, 0, 0);
    bool bQuit = false;
    PumpUntil([&] { return theApp.m_pMainWnd == nullptr; }, 5000, &bQuit);
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
}

TEST_F(PageEventsTest, NewWindowHandsTheNewControlBackAndEveryReferenceIsReturned)
{
    CMainFrame* pManager = StartManagerWithOneWindow();
    ASSERT_NE(pManager, nullptr);
    std::shared_ptr<StandInControl> opener = m_pFactory->Last();

    EXPECT_FALSE(opener->FireNewWindow2());
    ASSERT_EQ(m_pFactory->Controls().size(), 2u);
    std::shared_ptr<StandInControl> opened = m_pFactory->Last();
    ASSERT_NE(opened, opener);
    EXPECT_EQ(opener->NewWindowDispatch(), opened->Dispatch());  // the new control itself
    ASSERT_EQ(pManager->m_listFrames.GetCount(), 2);
    std::optional<StandInCall> registered = opened->LastCall("put_RegisterAsBrowser");
    ASSERT_TRUE(registered.has_value());
    EXPECT_EQ(registered->args, std::vector<std::string>{"BOOL:true"});

    // The opener's control owns the one reference it was handed: the new control has one more than the
    // opener's own, which is hosted alike.
    PumpPending();
    EXPECT_EQ(RefsOf(opened->Dispatch()), RefsOf(opener->Dispatch()) + 1);
    opener->ResetNewWindow();
    EXPECT_EQ(RefsOf(opened->Dispatch()), RefsOf(opener->Dispatch()));
    EXPECT_TRUE(opened->IsAlive());
    std::vector<HWND> frames;
    for (POSITION pos = pManager->m_listFrames.GetHeadPosition(); pos;) frames.push_back(pManager->m_listFrames.GetNext(pos).hWnd);
    for (HWND hFrame : frames) ::PostMessageW(hFrame, WM_CLOSE, 0, 0);
    bool bQuit = false;
    PumpUntil([&] { return !opener->IsAlive() && !opened->IsAlive() && theApp.m_pMainWnd == nullptr; }, 5000, &bQuit);
    EXPECT_EQ(opener->LiveObjects(), 0) << testing::PrintToString(opener->LiveObjectKinds());
    EXPECT_EQ(opened->LiveObjects(), 0) << testing::PrintToString(opened->LiveObjectKinds());
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
}

}  // namespace
