#include <gtest/gtest.h>

#include "addressbar/my_combo_box_ex.h"
#include "app/tarnwick_app.h"
#include "res/messages.h"
#include "support/message_pump.h"
#include "view/child_view.h"
#include "combo_host.h"

#include <shlwapi.h>
#include <cstring>
#include <vector>

namespace {

// The address combo with its members readable.
class CAddressProbe : public CMyComboBoxEx {
public:
    CWnd* NotifyWnd() const { return m_pNotifyWnd; }
    bool AutoCompletePending() const { return m_bAutoCompletePending; }
};

using MyComboBoxExTest = ComboTest<CAddressProbe>;

// One SHAutoComplete call as the program made it.
struct AutoCompleteCall {
    HWND hWnd;
    DWORD dwFlags;
    CString strEditText;  // the edit's text when the call was made
};
std::vector<AutoCompleteCall> g_autoCompleteCalls;
decltype(&::SHAutoComplete) g_pfnRealAutoComplete = nullptr;

HRESULT WINAPI RecordAutoComplete(HWND hWnd, DWORD dwFlags)
{
    g_autoCompleteCalls.push_back({hWnd, dwFlags, WindowText(hWnd)});
    return g_pfnRealAutoComplete(hWnd, dwFlags);
}

// Points this program's import of one function at a replacement while it lives.
class ImportPatch {
public:
    ImportPatch(const char* pszDll, const char* pszFunction, void* pfnReplacement)
    {
        auto* pBase = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
        auto* pNt = reinterpret_cast<IMAGE_NT_HEADERS*>(pBase + reinterpret_cast<IMAGE_DOS_HEADER*>(pBase)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        auto* pDesc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(pBase + imports.VirtualAddress);
        for (; pDesc->Name; ++pDesc) {
            if (::_stricmp(reinterpret_cast<const char*>(pBase + pDesc->Name), pszDll) != 0) continue;
            auto* pName = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pDesc->OriginalFirstThunk);
            auto* pSlot = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pDesc->FirstThunk);
            for (; pName->u1.AddressOfData; ++pName, ++pSlot) {
                if (IMAGE_SNAP_BY_ORDINAL(pName->u1.Ordinal)) continue;
                auto* pByName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(pBase + pName->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(pByName->Name), pszFunction) != 0) continue;
                m_pSlot = reinterpret_cast<ULONG_PTR*>(&pSlot->u1.Function);
                m_original = Swap(reinterpret_cast<ULONG_PTR>(pfnReplacement));
                return;
            }
        }
    }
    ~ImportPatch()
    {
        if (m_pSlot) Swap(m_original);
    }
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    bool IsApplied() const { return m_pSlot != nullptr; }
    void* Original() const { return reinterpret_cast<void*>(m_original); }

private:
    ULONG_PTR Swap(ULONG_PTR value)
    {
        DWORD dwOldProtect = 0;
        ::VirtualProtect(m_pSlot, sizeof(*m_pSlot), PAGE_READWRITE, &dwOldProtect);
        ULONG_PTR previous = *m_pSlot;
        *m_pSlot = value;
        ::VirtualProtect(m_pSlot, sizeof(*m_pSlot), dwOldProtect, &dwOldProtect);
        return previous;
    }

    ULONG_PTR* m_pSlot = nullptr;
    ULONG_PTR m_original = 0;
};

constexpr wchar_t kPageUrl[] = L"http://example.org/shown/page.html";

}  // namespace

TEST_F(MyComboBoxExTest, CreateRemembersTheParentAsNotifyWindow)
{
    EXPECT_EQ(m_combo.NotifyWnd(), m_pHost);
    EXPECT_TRUE(m_combo.AutoCompletePending());
    EXPECT_EQ(reinterpret_cast<HFONT>(m_combo.SendMessage(WM_GETFONT)), ::GetStockObject(DEFAULT_GUI_FONT));
}

TEST_F(MyComboBoxExTest, AutoCompletionIsAttachedOnceAtTheFirstKey)
{
    struct Case {
        const char* name;
        std::vector<UINT> keys;
        const wchar_t* expectedText;
        size_t nEntered;
    };
    const Case cases[] = {
        {"a letter first", {'A', 'B'}, L"ab", 0},
        {"Enter first", {VK_RETURN, 'C'}, L"c", 1},
    };
    ImportPatch patch("shlwapi.dll", "SHAutoComplete", reinterpret_cast<void*>(&RecordAutoComplete));
    ASSERT_TRUE(patch.IsApplied());
    g_pfnRealAutoComplete = reinterpret_cast<decltype(&::SHAutoComplete)>(patch.Original());
    for (const Case& c : cases) {
        CAddressProbe combo;
        ASSERT_TRUE(combo.Create(kComboStyle, RECT{0, 150, 200, 270}, m_pHost, kComboId + 1)) << c.name;
        combo.ShowWindow(SW_SHOW);
        ::SetFocus(combo.m_edit.m_hWnd);
        g_autoCompleteCalls.clear();
        m_pHost->m_events.clear();

        PressKey(combo.m_edit.m_hWnd, c.keys[0]);
        ASSERT_EQ(g_autoCompleteCalls.size(), 1u) << c.name;
        EXPECT_EQ(g_autoCompleteCalls[0].hWnd, combo.m_edit.m_hWnd) << c.name;
        EXPECT_EQ(g_autoCompleteCalls[0].dwFlags, static_cast<DWORD>(SHACF_URLHISTORY | SHACF_URLMRU | SHACF_USETAB))
            << c.name;
        EXPECT_EQ(g_autoCompleteCalls[0].dwFlags, 0xEu) << c.name;
        EXPECT_EQ(g_autoCompleteCalls[0].strEditText, L"") << c.name << ": attached before the key is handled";
        EXPECT_FALSE(combo.AutoCompletePending()) << c.name;
        EXPECT_EQ(m_pHost->EventsOf(WM_ADDRESS_ENTERED).size(), c.nEntered) << c.name;

        for (size_t i = 1; i < c.keys.size(); ++i) PressKey(combo.m_edit.m_hWnd, c.keys[i]);
        EXPECT_EQ(g_autoCompleteCalls.size(), 1u) << c.name << ": never attached twice";
        EXPECT_EQ(WindowText(combo.m_edit.m_hWnd), c.expectedText) << c.name;
        combo.DestroyWindow();
    }
}

TEST_F(MyComboBoxExTest, EnterSendsTheAddressToTheNotifyWindow)
{
    struct Case {
        const char* name;
        bool bDropped;
    };
    const Case cases[] = {
        {"list closed", false},
        {"list dropped", true},
    };
    m_combo.AddString(L"http://example.org/listed");
    for (const Case& c : cases) {
        ::SetFocus(m_hWndEdit);
        ::SetWindowTextW(m_hWndEdit, L"example.org/typed");
        if (c.bDropped) m_combo.ShowDropDown(TRUE);
        m_pHost->m_events.clear();
        KeySpy spy(m_hWndEdit);

        PressKey(m_hWndEdit, VK_RETURN);

        auto entered = m_pHost->EventsOf(WM_ADDRESS_ENTERED);
        ASSERT_EQ(entered.size(), 1u) << c.name;
        EXPECT_EQ(entered[0].wParam, 0u) << c.name;
        EXPECT_EQ(entered[0].lParam, reinterpret_cast<LPARAM>(static_cast<CMyComboBoxEx*>(&m_combo))) << c.name;
        EXPECT_EQ(entered[0].strComboText, L"example.org/typed") << c.name;
        EXPECT_EQ(entered[0].nCount, 1) << c.name << ": nothing added by the combo";
        for (const HostEvent& e : m_pHost->EventsOf(WM_COMMAND)) {
            EXPECT_NE(e.wParam, MAKEWPARAM(kComboId, 0)) << c.name << ": the base class's command is not sent";
        }
        EXPECT_TRUE(spy.m_keys.empty()) << c.name << ": the edit never sees Enter";
        if (c.bDropped) m_combo.ShowDropDown(FALSE);
    }
}

TEST_F(MyComboBoxExTest, EscapeRestoresTheShownAddress)
{
    enum class View { Shown, None, WithoutWindow };
    struct Case {
        const char* name;
        View view;
        bool bDropped;
        const wchar_t* expectedText;
        bool bFocusOnHost;
    };
    const Case cases[] = {
        {"page shown, text edited", View::Shown, false, kPageUrl, false},
        {"page shown, list dropped", View::Shown, true, kPageUrl, false},
        {"no active view", View::None, false, L"edited", true},
        {"active view without its window", View::WithoutWindow, false, L"edited", true},
    };
    CChildView viewShown;
    ASSERT_TRUE(viewShown.CreateEx(0, nullptr, L"", WS_CHILD, 0, 200, 50, 50, m_hWndHost, nullptr));
    viewShown.m_strURL = kPageUrl;
    CChildView viewWithoutWindow;
    viewWithoutWindow.m_strURL = kPageUrl;
    m_combo.AddString(L"http://example.org/listed");

    for (const Case& c : cases) {
        theApp.m_pActiveView = c.view == View::Shown ? &viewShown
                               : c.view == View::WithoutWindow ? &viewWithoutWindow
                                                                : nullptr;
        ::SetFocus(m_hWndEdit);
        ::SetWindowTextW(m_hWndEdit, L"edited");
        if (c.bDropped) m_combo.ShowDropDown(TRUE);
        ASSERT_EQ(m_combo.GetDroppedState(), c.bDropped) << c.name;
        m_pHost->m_events.clear();
        KeySpy spy(m_hWndEdit);

        PressKey(m_hWndEdit, VK_ESCAPE);

        EXPECT_FALSE(m_combo.GetDroppedState()) << c.name;
        EXPECT_EQ(WindowText(m_hWndEdit), c.expectedText) << c.name;
        if (!c.bFocusOnHost) {
            DWORD nLength = static_cast<DWORD>(std::wcslen(c.expectedText));
            EXPECT_EQ(EditSelection(m_hWndEdit), std::make_pair(nLength, nLength)) << c.name << ": caret at the end";
        }
        EXPECT_EQ(::GetFocus(), c.bFocusOnHost ? m_hWndHost : m_hWndEdit) << c.name;
        EXPECT_TRUE(spy.m_keys.empty()) << c.name << ": the edit never sees Escape";
        EXPECT_TRUE(m_pHost->EventsOf(WM_ADDRESS_ENTERED).empty()) << c.name << ": nothing is navigated";
    }
    theApp.m_pActiveView = nullptr;
    viewShown.DestroyWindow();
}

TEST_F(MyComboBoxExTest, PickingFromTheListSendsOneAddressSelected)
{
    const wchar_t* entries[] = {L"http://example.org/one", L"http://example.org/two", L"http://example.org/three"};
    for (const wchar_t* pszEntry : entries) m_combo.AddString(pszEntry);
    ::SetFocus(m_hWndEdit);
    m_pHost->m_events.clear();
    m_pHost->m_routedCodes.clear();

    m_combo.ShowDropDown(TRUE);
    HWND hWndList = ComboInfo(m_combo.m_hWnd).hwndList;
    ASSERT_NE(hWndList, nullptr);
    RECT rectItem;
    ASSERT_NE(::SendMessageW(hWndList, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&rectItem)), LB_ERR);
    LPARAM lPoint = MAKELPARAM((rectItem.left + rectItem.right) / 2, (rectItem.top + rectItem.bottom) / 2);
    ::SendMessageW(hWndList, WM_LBUTTONDOWN, MK_LBUTTON, lPoint);
    ::SendMessageW(hWndList, WM_LBUTTONUP, 0, lPoint);
    PumpPending();

    auto selected = m_pHost->EventsOf(WM_ADDRESS_SELECTED);
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(selected[0].wParam, 0u);
    EXPECT_EQ(selected[0].lParam, reinterpret_cast<LPARAM>(static_cast<CMyComboBoxEx*>(&m_combo)));
    EXPECT_EQ(selected[0].nCurSel, 1);
    EXPECT_FALSE(m_combo.GetDroppedState());
    for (UINT nCode : m_pHost->m_routedCodes) EXPECT_NE(nCode, static_cast<UINT>(CBN_SELENDOK));
}

TEST_F(MyComboBoxExTest, TheMouseWheelIsIgnored)
{
    struct Case {
        const char* name;
        bool bAtEdit;  // posted to the edit, which has the focus, as the system delivers the wheel; else sent to the combo
        short zDelta;
        WORD wKeys;    // MK_ flags: with Control or Shift the edit hands the wheel on to its combo
    };
    const Case cases[] = {
        {"down over the combo", false, -WHEEL_DELTA, 0},
        {"up over the combo", false, WHEEL_DELTA, 0},
        {"down at the focused edit with Control", true, -WHEEL_DELTA, MK_CONTROL},
        {"up at the focused edit with Shift", true, WHEEL_DELTA, MK_SHIFT},
    };
    for (const wchar_t* pszEntry : {L"http://example.org/one", L"http://example.org/two", L"http://example.org/three"}) {
        m_combo.AddString(pszEntry);
    }
    for (const Case& c : cases) {
        ::SetFocus(m_hWndEdit);
        ::SendMessageW(m_combo.m_hWnd, CB_SETCURSEL, 1, 0);
        m_pHost->m_nWheel = 0;
        const WPARAM wParam = MAKEWPARAM(c.wKeys, c.zDelta);
        if (c.bAtEdit) {
            ::PostMessageW(m_hWndEdit, WM_MOUSEWHEEL, wParam, MAKELPARAM(10, 10));
            PumpPending();
        } else {
            EXPECT_EQ(::SendMessageW(m_combo.m_hWnd, WM_MOUSEWHEEL, wParam, MAKELPARAM(10, 10)), TRUE) << c.name;
        }
        EXPECT_EQ(m_combo.GetCurSel(), 1) << c.name;
        EXPECT_EQ(m_pHost->m_nWheel, 0) << c.name << ": the wheel does not travel on to the parent";
    }
}
