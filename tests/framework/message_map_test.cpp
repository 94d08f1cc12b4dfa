#include <gtest/gtest.h>

#include "framework/afx.h"
#include "app/tarnwick_app.h"
#include "support/message_pump.h"

#include <vector>

namespace {

constexpr UINT kCmdPlain = 1001;
constexpr UINT kCmdRangeFirst = 1010;
constexpr UINT kCmdRangeLast = 1019;
constexpr UINT kCmdDisabled = 1020;
constexpr UINT kCmdBaseOnly = 1030;
constexpr UINT kCmdUnhandled = 1040;
constexpr UINT WM_TEST_PING = WM_APP + 1;
const UINT g_nRegisteredPing = ::RegisterWindowMessageW(L"TarnwickTestRegisteredPing");

class CBaseWnd : public CWnd {
public:
    std::vector<CString> calls;

protected:
    afx_msg void OnBaseOnly() { calls.push_back(L"base-only"); }
    afx_msg LRESULT OnPing(WPARAM, LPARAM) { calls.push_back(L"base-ping"); return 1; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
    ON_COMMAND(kCmdBaseOnly, OnBaseOnly)
    ON_MESSAGE(WM_TEST_PING, OnPing)
END_MESSAGE_MAP()

class CDerivedWnd : public CBaseWnd {
public:
    BOOL m_bCreateSeen = FALSE;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW lpcs)
    {
        m_bCreateSeen = TRUE;
        return CBaseWnd::OnCreate(lpcs);
    }
    afx_msg void OnPlain() { calls.push_back(L"plain"); }
    afx_msg void OnRange(UINT nID)
    {
        CString s;
        s.Format(L"range %u", nID);
        calls.push_back(s);
    }
    afx_msg void OnDisabled() { calls.push_back(L"disabled ran"); }
    afx_msg void OnUpdateDisabled(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
    afx_msg LRESULT OnPing(WPARAM wParam, LPARAM) { calls.push_back(L"derived-ping"); return static_cast<LRESULT>(wParam) * 2; }
    afx_msg LRESULT OnRegisteredPing(WPARAM, LPARAM lParam) { return lParam + 1; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
    ON_WM_CREATE()
    ON_COMMAND(kCmdPlain, OnPlain)
    ON_COMMAND_RANGE(kCmdRangeFirst, kCmdRangeLast, OnRange)
    ON_COMMAND(kCmdDisabled, OnDisabled)
    ON_UPDATE_COMMAND_UI(kCmdDisabled, OnUpdateDisabled)
    ON_MESSAGE(WM_TEST_PING, OnPing)
    ON_REGISTERED_MESSAGE(g_nRegisteredPing, OnRegisteredPing)
END_MESSAGE_MAP()

class MessageMapTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_wnd.CreateEx(0, nullptr, L"map test", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr));
    }
    void TearDown() override
    {
        if (::IsWindow(m_wnd.m_hWnd)) m_wnd.DestroyWindow();
    }
    CDerivedWnd m_wnd;
};

TEST_F(MessageMapTest, WindowIsBoundFromItsFirstMessages)
{
    EXPECT_TRUE(m_wnd.m_bCreateSeen);
    EXPECT_EQ(CWnd::FromHandlePermanent(m_wnd.m_hWnd), &m_wnd);
}

TEST_F(MessageMapTest, DerivedEntryWinsOverBaseEntry)
{
    EXPECT_EQ(m_wnd.SendMessage(WM_TEST_PING, 21), 42);
    ASSERT_EQ(m_wnd.calls.size(), 1u);
    EXPECT_EQ(m_wnd.calls[0], L"derived-ping");
}

TEST_F(MessageMapTest, RegisteredMessageReachesItsHandler)
{
    EXPECT_EQ(m_wnd.SendMessage(g_nRegisteredPing, 0, 41), 42);
}

TEST_F(MessageMapTest, CommandsReachTheirHandlers)
{
    struct Case {
        const char* name;
        UINT nID;
        const wchar_t* expected;  // null: nothing runs
    };
    const Case cases[] = {
        {"single command", kCmdPlain, L"plain"},
        {"first of range", kCmdRangeFirst, L"range 1010"},
        {"last of range", kCmdRangeLast, L"range 1019"},
        {"command of the base map", kCmdBaseOnly, L"base-only"},
        {"command disabled by its update handler", kCmdDisabled, nullptr},
        {"command without handler", kCmdUnhandled, nullptr},
    };
    for (const Case& c : cases) {
        m_wnd.calls.clear();
        m_wnd.SendMessage(WM_COMMAND, MAKEWPARAM(c.nID, 0), 0);
        if (c.expected) {
            ASSERT_EQ(m_wnd.calls.size(), 1u) << c.name;
            EXPECT_EQ(m_wnd.calls[0], c.expected) << c.name;
        } else {
            EXPECT_TRUE(m_wnd.calls.empty()) << c.name;
        }
    }
}

TEST_F(MessageMapTest, UnmappedMessagesGetDefaultProcessing)
{
    m_wnd.SetWindowText(L"new title");
    CString strTitle;
    m_wnd.GetWindowText(strTitle);
    EXPECT_EQ(strTitle, L"new title");
}

// PreTranslateMessage runs on the target first, then on each parent up to the top-level window.
class CTranslatingWnd : public CWnd {
public:
    CTranslatingWnd(std::vector<CString>& log, const wchar_t* name, bool bStop) : m_log(log), m_name(name), m_bStop(bStop) {}
    BOOL PreTranslateMessage(MSG*) override
    {
        m_log.push_back(m_name);
        return m_bStop;
    }

private:
    std::vector<CString>& m_log;
    CString m_name;
    bool m_bStop;
};

TEST(PreTranslateTest, WalksFromTargetToTopLevelAndStopsOnTrue)
{
    struct Case {
        const char* name;
        bool bParentStops;
        std::vector<CString> expected;
        BOOL bHandled;
    };
    const Case cases[] = {
        {"nobody handles", false, {L"child", L"parent", L"top"}, FALSE},
        {"parent handles", true, {L"child", L"parent"}, TRUE},
    };
    for (const Case& c : cases) {
        std::vector<CString> log;
        CTranslatingWnd top(log, L"top", false), parent(log, L"parent", c.bParentStops), child(log, L"child", false);
        ASSERT_TRUE(top.CreateEx(0, nullptr, L"top", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr));
        RECT rc{0, 0, 50, 50};
        ASSERT_TRUE(parent.Create(nullptr, nullptr, WS_CHILD, rc, &top, 1));
        ASSERT_TRUE(child.Create(nullptr, nullptr, WS_CHILD, rc, &parent, 2));
        MSG msg{child.m_hWnd, WM_KEYDOWN, VK_F5, 0, 0, {0, 0}};
        EXPECT_EQ(CWnd::WalkPreTranslateTree(nullptr, &msg), c.bHandled) << c.name;
        EXPECT_EQ(log, c.expected) << c.name;
        top.DestroyWindow();
    }
}

// A frame offers commands it does not handle to the application; menus are updated before they open.
class CTestFrame : public CFrameWndEx {
public:
    int m_nHandled = 0;

protected:
    afx_msg void OnHandled() { ++m_nHandled; }
    afx_msg void OnUpdateChecked(CCmdUI* pCmdUI) { pCmdUI->SetCheck(1); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestFrame, CFrameWndEx)
    ON_COMMAND(kCmdPlain, OnHandled)
    ON_UPDATE_COMMAND_UI(kCmdRangeFirst, OnUpdateChecked)
END_MESSAGE_MAP()

TEST(FrameTest, MenuItemsAreUpdatedBeforeThePopupOpens)
{
    auto* pFrame = new CTestFrame;
    ASSERT_TRUE(pFrame->CreateEx(0, nullptr, L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr));
    HMENU hPopup = ::CreatePopupMenu();
    ::AppendMenuW(hPopup, MF_STRING | MF_GRAYED, kCmdPlain, L"handled");
    ::AppendMenuW(hPopup, MF_STRING, kCmdUnhandled, L"no handler");
    ::AppendMenuW(hPopup, MF_STRING | MF_GRAYED, kCmdRangeFirst, L"update handler only");
    ::AppendMenuW(hPopup, MF_STRING, ID_APP_EXIT, L"handled by the application");

    pFrame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hPopup), 0);

    EXPECT_FALSE(::GetMenuState(hPopup, kCmdPlain, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(::GetMenuState(hPopup, kCmdUnhandled, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(::GetMenuState(hPopup, kCmdRangeFirst, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(::GetMenuState(hPopup, ID_APP_EXIT, MF_BYCOMMAND) & MF_GRAYED);
    ::DestroyMenu(hPopup);
    pFrame->DestroyWindow();  // deletes the frame
}

TEST(FrameTest, AppExitFromAnyFrameClosesTheMainWindowAndEndsTheLoop)
{
    auto* pMain = new CTestFrame;
    auto* pOther = new CTestFrame;
    ASSERT_TRUE(pMain->CreateEx(0, nullptr, L"main", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr));
    ASSERT_TRUE(pOther->CreateEx(0, nullptr, L"other", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr));
    HWND hMain = pMain->m_hWnd;
    theApp.m_pMainWnd = pMain;

    pOther->SendMessage(WM_COMMAND, MAKEWPARAM(kCmdPlain, 0), 0);
    EXPECT_EQ(pOther->m_nHandled, 1);
    pOther->PostMessage(WM_COMMAND, MAKEWPARAM(ID_APP_EXIT, 0), 0);

    bool bQuit = false;
    PumpUntil([] { return false; }, 3000, &bQuit);
    EXPECT_TRUE(bQuit);
    EXPECT_FALSE(::IsWindow(hMain));
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
    EXPECT_EQ(theApp.m_msgCur.wParam, 0u);  // exit code
    pOther->DestroyWindow();
}

int g_nFailingFramesDeleted = 0;

class CFailingFrame : public CFrameWndEx {
public:
    ~CFailingFrame() override { ++g_nFailingFramesDeleted; }

protected:
    afx_msg int OnCreate(LPCREATESTRUCTW) { return -1; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFailingFrame, CFrameWndEx)
    ON_WM_CREATE()
END_MESSAGE_MAP()

TEST(FrameTest, FrameWhoseCreationFailsDeletesItself)
{
    auto* pFrame = new CFailingFrame;
    EXPECT_FALSE(pFrame->LoadFrame(128));
    EXPECT_EQ(g_nFailingFramesDeleted, 1);
}

}  // namespace
