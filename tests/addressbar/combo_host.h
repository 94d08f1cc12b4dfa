#pragma once
#include <gtest/gtest.h>

#include "framework/afx.h"

#include <commctrl.h>
#include <vector>

// The control id and style the browser frame creates its address combo with.
inline constexpr UINT kComboId = 0xE803;
inline constexpr DWORD kComboStyle = WS_CHILD | CBS_DROPDOWN | CBS_AUTOHSCROLL;  // 0x40000042
inline constexpr RECT kComboRect{0, 0, 200, 120};

// What reached the host window, with the combo's state at that moment.
struct HostEvent {
    UINT nMessage;
    WPARAM wParam;
    LPARAM lParam;
    CString strComboText;  // the combo's window text
    int nCurSel;           // the combo's list selection
    int nCount;            // entries in the combo's list
};

// A top-level frame standing in for the browser frame: it records the
// address messages, the WM_COMMANDs it receives, the commands and
// notifications left to its own routing, and wheel messages.
class CComboHost : public CFrameWndEx {
public:
    CComboBox* m_pCombo = nullptr;    // the combo whose state each event records; not owned
    std::vector<HostEvent> m_events;  // WM_ADDRESS_ENTERED, WM_ADDRESS_SELECTED and WM_COMMAND, in order
    std::vector<UINT> m_routedCodes;  // notification codes of commands that reached this frame's routing
    int m_nComboCommands = 0;         // ON_COMMAND of the combo's id ran
    int m_nWheel = 0;                 // WM_MOUSEWHEEL reached this frame

    // Events of one message.
    std::vector<HostEvent> EventsOf(UINT nMessage) const;

    // CFrameWndEx overrides
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

protected:
    afx_msg LRESULT OnAddressEntered(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnAddressSelected(WPARAM wParam, LPARAM lParam);
    afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, POINT pt);
    afx_msg void OnComboCommand();
    DECLARE_MESSAGE_MAP()

private:
    void Record(UINT nMessage, WPARAM wParam, LPARAM lParam);
};

// A shown host frame holding a shown combo of type TCombo, created the way the frame creates its address combo.
template <class TCombo>
class ComboTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_pHost = new CComboHost;  // a frame deletes itself with its window
        ASSERT_TRUE(m_pHost->CreateEx(0, nullptr, L"combo host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 400, 300,
                                      nullptr, nullptr));
        m_hWndHost = m_pHost->m_hWnd;
        m_pHost->ShowWindow(SW_SHOW);
        ::SetForegroundWindow(m_hWndHost);
        ASSERT_TRUE(m_combo.Create(kComboStyle, kComboRect, m_pHost, kComboId));
        m_pHost->m_pCombo = &m_combo;
        m_combo.ShowWindow(SW_SHOW);
        ASSERT_NE(m_combo.m_edit.m_hWnd, nullptr);
        m_hWndEdit = m_combo.m_edit.m_hWnd;
    }
    void TearDown() override
    {
        if (::IsWindow(m_hWndHost)) ::DestroyWindow(m_hWndHost);
    }

    CComboHost* m_pHost = nullptr;
    HWND m_hWndHost = nullptr;
    TCombo m_combo;
    HWND m_hWndEdit = nullptr;
};

// Posts a key press (WM_KEYDOWN) to hWnd and lets the application's pump take it, PreTranslateMessage walk included.
void PressKey(HWND hWnd, UINT nVirtKey);

// The keys that reached a window's procedure, watched from a subclass above the framework's.
class KeySpy {
public:
    explicit KeySpy(HWND hWnd);
    ~KeySpy();
    KeySpy(const KeySpy&) = delete;
    KeySpy& operator=(const KeySpy&) = delete;

    std::vector<WPARAM> m_keys;         // wParam of each WM_KEYDOWN, in order
    std::vector<bool> m_droppedAtKey;   // whether the parent combo's list was dropped at each of them

private:
    static LRESULT CALLBACK SpyProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR uIdSubclass,
                                    DWORD_PTR dwRefData);
    HWND m_hWnd;
};

// The parts of a combo as the system reports them.
COMBOBOXINFO ComboInfo(HWND hWndCombo);

// The edit's selection as (start, end).
std::pair<DWORD, DWORD> EditSelection(HWND hWndEdit);
CString WindowText(HWND hWnd);
