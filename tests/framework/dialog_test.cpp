#include <gtest/gtest.h>

#include "framework/afx.h"
#include "app/tarnwick_app.h"
#include "res/resource.h"
#include "support/dialog_script.h"

namespace {

using Script = DialogScript;

int g_nLocalsDestroyed = 0;

struct CountOnExit {
    ~CountOnExit() { ++g_nLocalsDestroyed; }
};

// A dialog on a template of the program's resources (linked into every test) with a probe in its map.
class CProbeDialog : public CDialog {
public:
    explicit CProbeDialog(CWnd* pParentWnd = nullptr) : CDialog(IDD_OPTIONS, pParentWnd) {}

    BOOL OnInitDialog() override
    {
        ++m_nInits;
        m_bBoundAtInit = CWnd::FromHandlePermanent(m_hWnd) == this;
        return CDialog::OnInitDialog();
    }

    int m_nInits = 0;
    bool m_bBoundAtInit = false;
    int m_nClicks = 0;
    bool m_bFaultOnNextClick = false;

protected:
    afx_msg void OnBoxClicked()
    {
        if (std::exchange(m_bFaultOnNextClick, false)) {
            CountOnExit guard;
            volatile int* volatile pNull = nullptr;
            *pNull = 1;  // access violation; volatile, or the compiler drops the store
        }
        ++m_nClicks;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeDialog, CDialog)
    ON_BN_CLICKED(IDC_FORCE_COMPAT_MODE, OnBoxClicked)
END_MESSAGE_MAP()

// A shown top-level window with a child, as a frame and its view.
class CTestFrame : public CWnd {
public:
    CTestFrame()
    {
        CreateEx(0, nullptr, L"frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 400, 300, nullptr, nullptr);
        m_wndChild.CreateEx(0, nullptr, L"view", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, m_hWnd, nullptr);
        ::SetActiveWindow(m_hWnd);
    }
    CWnd m_wndChild;
};

TEST(DialogTest, EndsWithTheButtonOrKeyThatClosedIt)
{
    struct Case {
        const char* name;
        Script::Step close;
        INT_PTR nResult;
    };
    const Case cases[] = {
        {"OK button", Script::Click(IDOK), IDOK},
        {"Cancel button", Script::Click(IDCANCEL), IDCANCEL},
        {"Enter", Script::Key(VK_RETURN), IDOK},
        {"Esc", Script::Key(VK_ESCAPE), IDCANCEL},
        {"close box", Script::Post(WM_SYSCOMMAND, SC_CLOSE), IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTestFrame frame;
        CProbeDialog dlg(&frame.m_wndChild);
        HWND hDlgSeen = nullptr;
        Script script({Script::Check([&](HWND hDlg) { hDlgSeen = hDlg; }), c.close});
        EXPECT_EQ(dlg.DoModal(), c.nResult);
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(dlg.m_nInits, 1);
        EXPECT_TRUE(dlg.m_bBoundAtInit) << "the window reaches the maps before WM_INITDIALOG";
        EXPECT_EQ(dlg.m_hWnd, nullptr);
        EXPECT_FALSE(::IsWindow(hDlgSeen)) << "destroyed when DoModal returns";
        frame.DestroyWindow();
    }
}

TEST(DialogTest, OwnerIsDisabledWhileItRunsThenEnabledAndActive)
{
    // Another window the system could activate when the dialog goes.
    CWnd bystander;
    bystander.CreateEx(0, nullptr, L"bystander", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 200, 200, nullptr, nullptr);
    CTestFrame frame;
    CProbeDialog dlg(&frame.m_wndChild);
    Script script({
        Script::Check([&](HWND hDlg) {
            EXPECT_EQ(::GetWindow(hDlg, GW_OWNER), frame.m_hWnd) << "a child's top-level window owns the dialog";
            EXPECT_FALSE(::IsWindowEnabled(frame.m_hWnd));
            EXPECT_EQ(::GetActiveWindow(), hDlg);
            EXPECT_EQ(::GetFocus(), ::GetDlgItem(hDlg, IDOK)) << "the first tab stop";
        }),
        Script::Click(IDOK),
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(script.Finished());
    EXPECT_TRUE(::IsWindowEnabled(frame.m_hWnd));
    EXPECT_EQ(::GetActiveWindow(), frame.m_hWnd);
    frame.DestroyWindow();
    bystander.DestroyWindow();
}

TEST(DialogTest, WithoutParentTheMainWindowOwnsIt)
{
    CTestFrame frame;
    CWnd* pSavedMain = std::exchange(theApp.m_pMainWnd, &frame);
    CProbeDialog dlg;
    HWND hOwner = nullptr;
    Script script({Script::Check([&](HWND hDlg) { hOwner = ::GetWindow(hDlg, GW_OWNER); }), Script::Click(IDOK)});
    dlg.DoModal();
    theApp.m_pMainWnd = pSavedMain;
    EXPECT_EQ(hOwner, frame.m_hWnd);
    EXPECT_TRUE(::IsWindowEnabled(frame.m_hWnd));
    frame.DestroyWindow();
}

// The modal loop keeps the message loop's rule: the faulting command is abandoned, the dialog goes on.
TEST(DialogTest, FaultInACommandHandlerLeavesTheDialogWorking)
{
    CTestFrame frame;
    CProbeDialog dlg(&frame.m_wndChild);
    dlg.m_bFaultOnNextClick = true;
    Script script({
        Script::Click(IDC_FORCE_COMPAT_MODE),
        [&](HWND) { return g_nLocalsDestroyed == 1; },  // the handler's frame was unwound
        Script::Click(IDC_FORCE_COMPAT_MODE),
        [&](HWND) { return dlg.m_nClicks == 1; },
        Script::Click(IDOK),
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(dlg.m_nClicks, 1) << "only the click after the fault";
    EXPECT_TRUE(::IsWindowEnabled(frame.m_hWnd));
    frame.DestroyWindow();
}

TEST(DialogTest, QuitEndsTheDialogAndReachesTheOuterLoop)
{
    CTestFrame frame;
    CProbeDialog dlg(&frame.m_wndChild);
    Script script({[](HWND) {
        ::PostQuitMessage(7);
        return true;
    }});
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_TRUE(::IsWindowEnabled(frame.m_hWnd));
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "posted again for the outer loop";
    EXPECT_EQ(msg.wParam, 7u);
    frame.DestroyWindow();
}

TEST(DialogTest, MissingTemplateGivesMinusOneAndLeavesTheOwnerEnabled)
{
    CTestFrame frame;
    CDialog dlg(9999, &frame.m_wndChild);
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_TRUE(::IsWindowEnabled(frame.m_hWnd));
    frame.DestroyWindow();
}

}  // namespace
