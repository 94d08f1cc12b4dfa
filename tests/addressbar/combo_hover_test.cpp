#include <gtest/gtest.h>

#include "addressbar/combo_box_xp.h"
#include "addressbar/hover_tracker.h"
#include "support/message_pump.h"
#include "combo_host.h"

#include <vector>

namespace {

using ComboHoverTest = ComboTest<CComboBoxXP>;

enum class Where { Combo, Edit };

struct Step {
    Where where;
    UINT nMessage;      // WM_MOUSEMOVE or WM_MOUSELEAVE
    bool bRepainted;    // the combo was invalidated by this step
    bool bHover;        // hover state afterwards
    Where track;        // window tracked afterwards
};

// The middle of the combo's drop-down button, which the edit does not cover.
LPARAM ButtonPoint(HWND hWndCombo)
{
    RECT rect = ComboInfo(hWndCombo).rcButton;
    return MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

bool HasUpdateRegion(HWND hWnd)
{
    return ::GetUpdateRect(hWnd, nullptr, FALSE) != FALSE;
}

// Frame recalculations (WM_NCCALCSIZE asking for client areas) seen on this thread.
int g_nFrameChanges = 0;
LRESULT CALLBACK CountFrameChanges(int nCode, WPARAM wParam, LPARAM lParam)
{
    auto* pCall = reinterpret_cast<CWPSTRUCT*>(lParam);
    if (nCode == HC_ACTION && pCall->message == WM_NCCALCSIZE && pCall->wParam) ++g_nFrameChanges;
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

}  // namespace

TEST_F(ComboHoverTest, ComboAndEditHoverAsOneArea)
{
    struct Case {
        const char* name;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"from outside onto the button",
         {{Where::Combo, WM_MOUSEMOVE, true, true, Where::Combo}}},
        {"from the button onto the edit, then the combo's late leave",
         {{Where::Combo, WM_MOUSEMOVE, true, true, Where::Combo},
          {Where::Edit, WM_MOUSEMOVE, false, true, Where::Edit},
          {Where::Combo, WM_MOUSELEAVE, false, true, Where::Edit}}},
        {"from the edit straight out",
         {{Where::Combo, WM_MOUSEMOVE, true, true, Where::Combo},
          {Where::Edit, WM_MOUSEMOVE, false, true, Where::Edit},
          {Where::Edit, WM_MOUSELEAVE, true, false, Where::Edit}}},
        {"from the edit back onto the button",
         {{Where::Combo, WM_MOUSEMOVE, true, true, Where::Combo},
          {Where::Edit, WM_MOUSEMOVE, false, true, Where::Edit},
          {Where::Edit, WM_MOUSELEAVE, true, false, Where::Edit},
          {Where::Combo, WM_MOUSEMOVE, true, true, Where::Combo}}},
        {"moving on over the combo, then out, then a second leave",
         {{Where::Combo, WM_MOUSEMOVE, true, true, Where::Combo},
          {Where::Combo, WM_MOUSEMOVE, false, true, Where::Combo},
          {Where::Combo, WM_MOUSELEAVE, true, false, Where::Combo},
          {Where::Combo, WM_MOUSELEAVE, true, false, Where::Combo}}},
    };
    HWND hWndCombo = m_combo.m_hWnd;
    auto hwndOf = [&](Where where) { return where == Where::Combo ? hWndCombo : m_hWndEdit; };
    for (const Case& c : cases) {
        // Each case starts outside the area.
        if (m_combo.m_hover.m_bHover) ::SendMessageW(m_combo.m_hover.m_hWndTrack, WM_MOUSELEAVE, 0, 0);
        ASSERT_FALSE(m_combo.m_hover.m_bHover) << c.name;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const Step& step = c.steps[i];
            ::ValidateRect(hWndCombo, nullptr);
            LPARAM lPoint = step.where == Where::Combo ? ButtonPoint(hWndCombo) : MAKELPARAM(5, 5);
            ::SendMessageW(hwndOf(step.where), step.nMessage, 0, step.nMessage == WM_MOUSEMOVE ? lPoint : 0);
            EXPECT_EQ(HasUpdateRegion(hWndCombo), step.bRepainted) << c.name << ", step " << i;
            EXPECT_EQ(m_combo.m_hover.m_bHover, step.bHover) << c.name << ", step " << i;
            EXPECT_EQ(m_combo.m_hover.m_hWndTrack, hwndOf(step.track)) << c.name << ", step " << i;
        }
    }
}

TEST_F(ComboHoverTest, TrackerReportsEnteringAndLeavingWithItsFlags)
{
    struct Case {
        const char* name;
        WORD wFlags;
        bool bRepainted;
        bool bFrameChanged;
    };
    const Case cases[] = {
        {"no flags", 0, false, false},
        {"repaint", CHoverTracker::HOVER_REPAINT, true, false},
        {"frame change", CHoverTracker::HOVER_FRAMECHANGE, false, true},
    };
    // A window of its own, so only the tracker touches it.
    CWnd owner;
    RECT rect{0, 130, 100, 160};
    ASSERT_TRUE(owner.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, rect, m_pHost, 1));
    HHOOK hHook = ::SetWindowsHookExW(WH_CALLWNDPROC, &CountFrameChanges, nullptr, ::GetCurrentThreadId());
    for (const Case& c : cases) {
        CHoverTracker tracker;
        tracker.Init(owner.m_hWnd, c.wFlags);
        for (bool bEnter : {true, false}) {
            ::ValidateRect(owner.m_hWnd, nullptr);
            g_nFrameChanges = 0;
            bool bChanged = bEnter ? tracker.OnMouseMove(nullptr) : tracker.OnMouseLeave(nullptr);
            EXPECT_TRUE(bChanged) << c.name << (bEnter ? ", enter" : ", leave");
            EXPECT_EQ(tracker.m_bHover, bEnter) << c.name;
            EXPECT_EQ(HasUpdateRegion(owner.m_hWnd), c.bRepainted) << c.name << (bEnter ? ", enter" : ", leave");
            EXPECT_EQ(g_nFrameChanges > 0, c.bFrameChanged) << c.name << (bEnter ? ", enter" : ", leave");
        }
    }
    ::UnhookWindowsHookEx(hHook);
    owner.DestroyWindow();
}

TEST(ComboHoverTrackerTest, WithoutOwnerNothingHappens)
{
    // Whatever state and flags a tracker without owner holds, neither notification changes or reports anything.
    struct Case {
        const char* name;
        WORD wFlags;
        bool bHover;
    };
    const Case cases[] = {
        {"not hovering", 0, false},
        {"not hovering, repaint", CHoverTracker::HOVER_REPAINT, false},
        {"hovering", 0, true},
        {"hovering, repaint and frame change", CHoverTracker::HOVER_REPAINT | CHoverTracker::HOVER_FRAMECHANGE, true},
    };
    for (const Case& c : cases) {
        for (bool bMove : {true, false}) {
            CHoverTracker tracker;
            tracker.Reset();
            tracker.Init(nullptr, c.wFlags);
            tracker.m_bHover = c.bHover;
            bool bChanged = bMove ? tracker.OnMouseMove(nullptr) : tracker.OnMouseLeave(nullptr);
            const char* pszWhat = bMove ? ", move" : ", leave";
            EXPECT_FALSE(bChanged) << c.name << pszWhat;
            EXPECT_EQ(tracker.m_bHover, c.bHover) << c.name << pszWhat;
            EXPECT_EQ(tracker.m_hWndTrack, nullptr) << c.name << pszWhat;
        }
    }
}

// The real pointer, moved by the system: the leave notifications arrive from TrackMouseEvent.
TEST_F(ComboHoverTest, RealPointerCrossingComboAndEdit)
{
    auto screenPoint = [](HWND hWnd, POINT pt) {
        ::ClientToScreen(hWnd, &pt);
        return pt;
    };
    RECT rectButton = ComboInfo(m_combo.m_hWnd).rcButton;
    const POINT ptButton = screenPoint(m_combo.m_hWnd, {(rectButton.left + rectButton.right) / 2,
                                                        (rectButton.top + rectButton.bottom) / 2});
    const POINT ptEdit = screenPoint(m_hWndEdit, {5, 5});
    const POINT ptOutside = screenPoint(m_hWndHost, {300, 250});
    auto moveTo = [](POINT pt) {
        ::SetCursorPos(pt.x, pt.y);
        PumpPending();
    };
    const HWND hWndCombo = m_combo.m_hWnd;
    const CHoverTracker& hover = m_combo.m_hover;

    moveTo(ptOutside);
    ASSERT_EQ(::WindowFromPoint(ptButton), hWndCombo);
    ASSERT_EQ(::WindowFromPoint(ptEdit), m_hWndEdit);

    moveTo(ptButton);
    EXPECT_TRUE(PumpUntil([&] { return hover.m_bHover; }, 2000)) << "onto the button";
    EXPECT_EQ(hover.m_hWndTrack, hWndCombo);

    moveTo(ptEdit);
    EXPECT_TRUE(PumpUntil([&] { return hover.m_hWndTrack == m_hWndEdit; }, 2000)) << "onto the edit";
    // Whatever leave the combo still gets is stale: the area was not left.
    PumpUntil([] { return false; }, 300);
    EXPECT_TRUE(hover.m_bHover);
    EXPECT_EQ(hover.m_hWndTrack, m_hWndEdit);

    moveTo(ptOutside);
    EXPECT_TRUE(PumpUntil([&] { return !hover.m_bHover; }, 2000)) << "out of the combo";
}
