#include "combo_host.h"
#include "res/messages.h"
#include "support/message_pump.h"

BEGIN_MESSAGE_MAP(CComboHost, CFrameWndEx)
    ON_MESSAGE(WM_ADDRESS_ENTERED, OnAddressEntered)
    ON_MESSAGE(WM_ADDRESS_SELECTED, OnAddressSelected)
    ON_WM_MOUSEWHEEL()
    ON_COMMAND(kComboId, OnComboCommand)
END_MESSAGE_MAP()

std::vector<HostEvent> CComboHost::EventsOf(UINT nMessage) const
{
    std::vector<HostEvent> events;
    for (const HostEvent& e : m_events) {
        if (e.nMessage == nMessage) events.push_back(e);
    }
    return events;
}

BOOL CComboHost::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (nCode != static_cast<int>(CN_UPDATE_COMMAND_UI) && nID == kComboId) m_routedCodes.push_back(static_cast<UINT>(nCode));
    return CFrameWndEx::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CComboHost::OnCommand(WPARAM wParam, LPARAM lParam)
{
    Record(WM_COMMAND, wParam, lParam);
    return CFrameWndEx::OnCommand(wParam, lParam);
}

LRESULT CComboHost::OnAddressEntered(WPARAM wParam, LPARAM lParam)
{
    Record(WM_ADDRESS_ENTERED, wParam, lParam);
    return 0;
}

LRESULT CComboHost::OnAddressSelected(WPARAM wParam, LPARAM lParam)
{
    Record(WM_ADDRESS_SELECTED, wParam, lParam);
    return 0;
}

BOOL CComboHost::OnMouseWheel(UINT, short, POINT)
{
    ++m_nWheel;
    return TRUE;
}

void CComboHost::OnComboCommand()
{
    ++m_nComboCommands;
}

void CComboHost::Record(UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    HostEvent e{nMessage, wParam, lParam, CString(), -1, -1};
    if (m_pCombo && m_pCombo->m_hWnd) {
        m_pCombo->GetWindowText(e.strComboText);
        e.nCurSel = m_pCombo->GetCurSel();
        e.nCount = m_pCombo->GetCount();
    }
    m_events.push_back(e);
}

void PressKey(HWND hWnd, UINT nVirtKey)
{
    UINT nScan = ::MapVirtualKeyW(nVirtKey, MAPVK_VK_TO_VSC);
    ::PostMessageW(hWnd, WM_KEYDOWN, nVirtKey, static_cast<LPARAM>(1 | (nScan << 16)));
    PumpPending();
}

KeySpy::KeySpy(HWND hWnd) : m_hWnd(hWnd)
{
    ::SetWindowSubclass(m_hWnd, &SpyProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

KeySpy::~KeySpy()
{
    if (::IsWindow(m_hWnd)) ::RemoveWindowSubclass(m_hWnd, &SpyProc, 1);
}

LRESULT CALLBACK KeySpy::SpyProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR dwRefData)
{
    if (message == WM_KEYDOWN) {
        auto* pSpy = reinterpret_cast<KeySpy*>(dwRefData);
        pSpy->m_keys.push_back(wParam);
        pSpy->m_droppedAtKey.push_back(::SendMessageW(::GetParent(hWnd), CB_GETDROPPEDSTATE, 0, 0) != 0);
    }
    return ::DefSubclassProc(hWnd, message, wParam, lParam);
}

COMBOBOXINFO ComboInfo(HWND hWndCombo)
{
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    ::GetComboBoxInfo(hWndCombo, &info);
    return info;
}

std::pair<DWORD, DWORD> EditSelection(HWND hWndEdit)
{
    DWORD dwStart = 0, dwEnd = 0;
    ::SendMessageW(hWndEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&dwStart), reinterpret_cast<LPARAM>(&dwEnd));
    return {dwStart, dwEnd};
}

CString WindowText(HWND hWnd)
{
    CString str;
    CWnd::FromHandle(hWnd)->GetWindowText(str);
    return str;
}
