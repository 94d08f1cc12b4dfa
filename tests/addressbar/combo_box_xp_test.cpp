#include <gtest/gtest.h>

#include "addressbar/combo_box_xp.h"
#include "app/tarnwick_app.h"
#include "support/message_pump.h"
#include "combo_host.h"

#include <vector>

namespace {

// A CComboBoxXP that records the heights it asks of the system and what its resizes became.
class CHeightProbe : public CComboBoxXP {
public:
    std::vector<int> m_fieldHeights;   // every CB_SETITEMHEIGHT of the selection field, in order
    std::vector<int> m_windowHeights;  // every sized WM_WINDOWPOSCHANGING's height after this class handled it
    std::vector<int> m_fieldAnswers;   // every answer the combo gave to CB_GETITEMHEIGHT for the selection field

    int EditHeight() const { return m_nEditHeight; }
    int PendingHeight() const { return m_nPendingHeight; }
    int DropItems() const { return m_nDropItems; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == CB_SETITEMHEIGHT && static_cast<int>(wParam) == -1) {
            m_fieldHeights.push_back(static_cast<int>(lParam));
        }
        LRESULT lResult = CComboBoxXP::WindowProc(message, wParam, lParam);
        if (message == CB_GETITEMHEIGHT && static_cast<int>(wParam) == -1) {
            m_fieldAnswers.push_back(static_cast<int>(lResult));
        }
        if (message == WM_WINDOWPOSCHANGING) {
            auto* pPos = reinterpret_cast<WINDOWPOS*>(lParam);
            if (!(pPos->flags & SWP_NOSIZE)) m_windowHeights.push_back(pPos->cy);
        }
        return lResult;
    }
};

using ComboBoxXPTest = ComboTest<CComboBoxXP>;
using ComboBoxXPHeightTest = ComboTest<CHeightProbe>;

HFONT GetFont(HWND hWnd)
{
    return reinterpret_cast<HFONT>(::SendMessageW(hWnd, WM_GETFONT, 0, 0));
}

// Sized WM_WINDOWPOSCHANGING heights each window received, seen before the window's own procedure.
std::vector<std::pair<HWND, int>> g_sizings;
LRESULT CALLBACK RecordSizing(int nCode, WPARAM wParam, LPARAM lParam)
{
    auto* pCall = reinterpret_cast<CWPSTRUCT*>(lParam);
    if (nCode == HC_ACTION && pCall->message == WM_WINDOWPOSCHANGING) {
        auto* pPos = reinterpret_cast<WINDOWPOS*>(pCall->lParam);
        if (!(pPos->flags & SWP_NOSIZE)) g_sizings.emplace_back(pCall->hwnd, pPos->cy);
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

}  // namespace

TEST_F(ComboBoxXPTest, CreateSetsTheGuiFontAndSubclassesTheEdit)
{
    HFONT hGuiFont = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_EQ(GetFont(m_combo.m_hWnd), hGuiFont);
    EXPECT_EQ(GetFont(m_hWndEdit), hGuiFont);

    wchar_t szClass[32] = {};
    ::GetClassNameW(m_hWndEdit, szClass, 32);
    EXPECT_STREQ(szClass, L"Edit");
    EXPECT_EQ(m_hWndEdit, ::GetWindow(m_combo.m_hWnd, GW_CHILD));
    EXPECT_EQ(CWnd::FromHandlePermanent(m_hWndEdit), &m_combo.m_edit);

    EXPECT_EQ(m_combo.m_hover.m_hWndOwner, m_combo.m_hWnd);
    EXPECT_EQ(m_combo.m_hover.m_wFlags, CHoverTracker::HOVER_REPAINT);
    EXPECT_FALSE(m_combo.m_hover.m_bHover);
}

TEST_F(ComboBoxXPTest, AnAttachedComboGetsItsEditSubclassedAndRoomForTheList)
{
    HWND hWndCombo = ::CreateWindowExW(0, L"COMBOBOX", nullptr, kComboStyle | WS_VISIBLE, 0, 150, 180, 24,
                                       m_hWndHost, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kComboId + 1)),
                                       ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(hWndCombo, nullptr);
    HWND hWndEdit = ::GetWindow(hWndCombo, GW_CHILD);
    ASSERT_NE(hWndEdit, nullptr);
    HFONT hFontBefore = GetFont(hWndCombo);

    g_sizings.clear();
    HHOOK hHook = ::SetWindowsHookExW(WH_CALLWNDPROC, &RecordSizing, nullptr, ::GetCurrentThreadId());
    CComboBoxXP combo;
    BOOL bAttached = combo.SubclassWindow(hWndCombo);
    ::UnhookWindowsHookEx(hHook);
    ASSERT_TRUE(bAttached);

    EXPECT_EQ(combo.m_edit.m_hWnd, hWndEdit);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWndEdit), &combo.m_edit);
    EXPECT_EQ(combo.m_hover.m_hWndOwner, hWndCombo);
    EXPECT_EQ(combo.m_hover.m_wFlags, CHoverTracker::HOVER_REPAINT);
    EXPECT_EQ(GetFont(hWndCombo), hFontBefore) << "the font is set only by Create";
    ASSERT_FALSE(g_sizings.empty());
    EXPECT_EQ(g_sizings.front().first, hWndCombo);
    EXPECT_EQ(g_sizings.front().second, 100);
    combo.DestroyWindow();
}

TEST_F(ComboBoxXPHeightTest, TheAskedHeightSetsTheSelectionField)
{
    struct Case {
        const char* name;
        int nAskedHeight;
        int nFontHeight;  // 0: keep the font
        int nFieldHeight;  // 0: the selection field is left alone
    };
    const Case cases[] = {
        {"asked 22", 22, 0, 16},
        {"asked 30", 30, 0, 24},
        {"asked 22 again", 22, 0, 16},
        {"asked 22 with a much larger font", 22, 40, 16},
        {"asked less than the field's margin", 4, 0, 0},
    };
    const int nEditHeight = m_combo.EditHeight();
    ASSERT_NE(nEditHeight, -1) << "measured at the first sized resize, during creation";
    ASSERT_FALSE(m_combo.m_fieldAnswers.empty());
    EXPECT_EQ(nEditHeight, m_combo.m_fieldAnswers.front()) << "the field height the combo gave first";
    HFONT hLargeFont = nullptr;
    std::vector<int> firstRowWindowHeights;
    for (const Case& c : cases) {
        if (c.nFontHeight) {
            hLargeFont = ::CreateFontW(-c.nFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0,
                                       0, L"Tahoma");
            m_combo.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(hLargeFont), TRUE);
        }
        m_combo.m_fieldHeights.clear();
        m_combo.m_windowHeights.clear();
        m_combo.SetWindowPos(nullptr, 0, 0, 200, c.nAskedHeight, SWP_NOMOVE | SWP_NOZORDER);

        if (c.nFieldHeight) {
            ASSERT_FALSE(m_combo.m_fieldHeights.empty()) << c.name;
            for (int nHeight : m_combo.m_fieldHeights) EXPECT_EQ(nHeight, c.nFieldHeight) << c.name;
        } else {
            EXPECT_TRUE(m_combo.m_fieldHeights.empty()) << c.name;
        }
        ASSERT_FALSE(m_combo.m_windowHeights.empty()) << c.name;
        int nExpectedWindow = 7 * ::GetSystemMetrics(SM_CYBORDER) + m_combo.DropItems() * m_combo.GetItemHeight(0) +
                              nEditHeight;
        if (!c.nFontHeight) {
            EXPECT_EQ(m_combo.m_windowHeights.front(), nExpectedWindow) << c.name;
        }
        EXPECT_EQ(m_combo.EditHeight(), nEditHeight) << c.name << ": kept from the first measurement";
        EXPECT_EQ(m_combo.PendingHeight(), -1) << c.name;
    }
    m_combo.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    if (hLargeFont) ::DeleteObject(hLargeFont);
}

// The window height asked of the system sets the dropped list's rectangle; under the common controls 6 the
// list that opens may show more entries than that rectangle holds (the control's own minimum), never fewer.
TEST_F(ComboBoxXPHeightTest, TheDroppedListHasRoomForSevenEntries)
{
    EXPECT_EQ(m_combo.DropItems(), 7);
    m_combo.SetWindowPos(nullptr, 0, 0, 200, 22, SWP_NOMOVE | SWP_NOZORDER);
    const int nItemHeight = m_combo.GetItemHeight(0);
    ASSERT_GT(nItemHeight, 0);
    RECT rectDropped;
    m_combo.SendMessage(CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&rectDropped));
    const int nDroppedHeight = rectDropped.bottom - rectDropped.top;
    const int nBorders = 7 * ::GetSystemMetrics(SM_CYBORDER);
    EXPECT_GE(nDroppedHeight, 7 * nItemHeight) << "room for 7 entries";
    EXPECT_LT(nDroppedHeight, 8 * nItemHeight + nBorders) << "no room for an 8th";

    for (int i = 0; i < 12; ++i) {
        CString strEntry;
        strEntry.Format(L"http://example.org/%d", i);
        m_combo.AddString(strEntry);
    }
    HWND hWndList = ComboInfo(m_combo.m_hWnd).hwndList;
    ASSERT_NE(hWndList, nullptr);
    m_combo.ShowDropDown(TRUE);
    ASSERT_TRUE(m_combo.GetDroppedState());
    RECT rectList;
    ::GetClientRect(hWndList, &rectList);
    EXPECT_GE((rectList.bottom - rectList.top) / nItemHeight, 7);
    m_combo.ShowDropDown(FALSE);
}

TEST_F(ComboBoxXPHeightTest, AMoveOnlyChangesNoHeightAndClearsAnUnfocusedSelection)
{
    struct Case {
        const char* name;
        bool bEditFocused;
        bool bSelectionKept;
    };
    const Case cases[] = {
        {"edit without focus", false, false},
        {"edit with focus", true, true},
    };
    for (const Case& c : cases) {
        ::SetWindowTextW(m_hWndEdit, L"hello");
        ::SetFocus(c.bEditFocused ? m_hWndEdit : m_hWndHost);
        ::SendMessageW(m_hWndEdit, EM_SETSEL, 0, 5);
        m_combo.m_fieldHeights.clear();
        m_combo.m_windowHeights.clear();

        m_combo.SetWindowPos(nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

        EXPECT_TRUE(m_combo.m_fieldHeights.empty()) << c.name;
        EXPECT_TRUE(m_combo.m_windowHeights.empty()) << c.name;
        auto selection = EditSelection(m_hWndEdit);
        if (c.bSelectionKept) {
            EXPECT_EQ(selection, std::make_pair(DWORD{0}, DWORD{5})) << c.name;
        } else {
            EXPECT_EQ(selection.first, selection.second) << c.name << ": nothing selected";
        }
    }
}

TEST_F(ComboBoxXPTest, EnterAndEscapeKeys)
{
    struct Case {
        const char* name;
        UINT nKey;
        bool bDropped;
        int nCommands;         // WM_COMMAND with the combo's id and lParam 0
        bool bFocusOnHost;     // else the focus stays in the edit
    };
    const Case cases[] = {
        {"Enter", VK_RETURN, false, 1, false},
        {"Escape with the list dropped", VK_ESCAPE, true, 0, false},
        {"Escape with the list closed", VK_ESCAPE, false, 0, true},
    };
    m_combo.AddString(L"http://example.org/");
    for (const Case& c : cases) {
        ::SetFocus(m_hWndEdit);
        if (c.bDropped) m_combo.ShowDropDown(TRUE);
        ASSERT_EQ(m_combo.GetDroppedState(), c.bDropped) << c.name;
        m_pHost->m_events.clear();
        m_pHost->m_nComboCommands = 0;
        KeySpy spy(m_hWndEdit);

        PressKey(m_hWndEdit, c.nKey);

        int nCommands = 0;
        for (const HostEvent& e : m_pHost->EventsOf(WM_COMMAND)) {
            if (e.wParam == MAKEWPARAM(kComboId, 0) && e.lParam == 0) ++nCommands;
        }
        EXPECT_EQ(nCommands, c.nCommands) << c.name;
        EXPECT_EQ(m_pHost->m_nComboCommands, c.nCommands) << c.name;
        EXPECT_FALSE(m_combo.GetDroppedState()) << c.name;
        EXPECT_EQ(::GetFocus(), c.bFocusOnHost ? m_hWndHost : m_hWndEdit) << c.name;
        EXPECT_EQ(spy.m_keys, std::vector<WPARAM>{c.nKey}) << c.name << ": the edit still receives the key";
        // The combo closes a dropped list itself, before the key goes on to the edit.
        EXPECT_EQ(spy.m_droppedAtKey, std::vector<bool>{false}) << c.name;
    }
}

TEST_F(ComboBoxXPTest, DialogCodeAsksForAllKeysWhileEnterIsDown)
{
    struct Case {
        const char* name;
        bool bEnterDown;
        bool bWantAllKeys;
    };
    const Case cases[] = {
        {"Enter down", true, true},
        {"Enter up", false, false},
    };
    BYTE saved[256];
    ASSERT_TRUE(::GetKeyboardState(saved));
    for (const Case& c : cases) {
        BYTE keys[256];
        std::copy(std::begin(saved), std::end(saved), keys);
        keys[VK_RETURN] = c.bEnterDown ? 0x80 : 0;
        ::SetKeyboardState(keys);
        UINT nCode = static_cast<UINT>(m_combo.SendMessage(WM_GETDLGCODE));
        EXPECT_EQ((nCode & DLGC_WANTALLKEYS) != 0, c.bWantAllKeys) << c.name;
        EXPECT_TRUE(nCode & DLGC_WANTCHARS) << c.name << ": the combo's own code is kept";
    }
    ::SetKeyboardState(saved);
}

// A combo whose system procedure never sees WM_SETFOCUS, so only the class itself can pass the focus on.
class CFocusProbe : public CComboBoxXP {
public:
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_SETFOCUS) return 0;
        return CComboBoxXP::DefWindowProc(message, wParam, lParam);
    }
};

TEST_F(ComboBoxXPTest, FocusOnTheComboGoesToItsEdit)
{
    struct Case {
        const char* name;
        bool bSystemSetFocus;  // the system's combo procedure handles WM_SETFOCUS as well
    };
    const Case cases[] = {
        {"with the system's handling", true},
        {"the class alone", false},
    };
    for (const Case& c : cases) {
        CFocusProbe probe;
        CComboBoxXP& combo = c.bSystemSetFocus ? m_combo : probe;
        if (!c.bSystemSetFocus) {
            ASSERT_TRUE(probe.Create(kComboStyle | WS_VISIBLE, RECT{0, 150, 200, 270}, m_pHost, kComboId + 1));
        }
        ::SetFocus(m_hWndHost);
        ::SetFocus(combo.m_hWnd);
        EXPECT_EQ(::GetFocus(), combo.m_edit.m_hWnd) << c.name;
        if (probe.m_hWnd) probe.DestroyWindow();
    }
}
