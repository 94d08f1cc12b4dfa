#include "dialog_script.h"

#include <gtest/gtest.h>

namespace {

DialogScript* g_pScript = nullptr;  // one script at a time: the timer has no other way to find it

BOOL CALLBACK FindVisibleDialog(HWND hWnd, LPARAM lParam)
{
    wchar_t szClass[16] = {};
    ::GetClassNameW(hWnd, szClass, 16);
    if (::wcscmp(szClass, L"#32770") != 0 || !::IsWindowVisible(hWnd)) return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hWnd;
    return FALSE;
}

}  // namespace

DialogScript::DialogScript(std::vector<Step> steps, DWORD dwTimeoutMs)
    : m_steps(std::move(steps)), m_dwStart(::GetTickCount()), m_dwTimeoutMs(dwTimeoutMs),
      m_nTimer(::SetTimer(nullptr, 0, 20, &OnTimer))
{
    g_pScript = this;
}

DialogScript::~DialogScript()
{
    ::KillTimer(nullptr, m_nTimer);
    g_pScript = nullptr;
}

HWND DialogScript::FindDialog()
{
    HWND hDlg = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindVisibleDialog, reinterpret_cast<LPARAM>(&hDlg));
    return hDlg;
}

void CALLBACK DialogScript::OnTimer(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_pScript) g_pScript->Tick();
}

void DialogScript::Tick()
{
    HWND hDlg = FindDialog();
    if (m_bCancelled || !hDlg) return;
    if (::GetTickCount() - m_dwStart > m_dwTimeoutMs) {
        if (Finished()) ADD_FAILURE() << "the dialog stayed open after the script";
        else ADD_FAILURE() << "the dialog script stopped at step " << m_nNext;
        m_bCancelled = true;
        ::PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    if (!Finished() && m_steps[m_nNext](hDlg)) ++m_nNext;
}

DialogScript::Step DialogScript::Click(int nID)
{
    return [nID](HWND hDlg) {
        HWND hControl = ::GetDlgItem(hDlg, nID);
        EXPECT_NE(hControl, nullptr) << "control " << nID;
        ::PostMessageW(hControl, BM_CLICK, 0, 0);
        return true;
    };
}

DialogScript::Step DialogScript::Key(WORD vk)
{
    return [vk](HWND hDlg) {
        HWND hTarget = ::GetFocus() ? ::GetFocus() : hDlg;
        ::PostMessageW(hTarget, WM_KEYDOWN, vk, 1);
        ::PostMessageW(hTarget, WM_KEYUP, vk, 0xC0000001);
        return true;
    };
}

DialogScript::Step DialogScript::Post(UINT message, WPARAM wParam, LPARAM lParam)
{
    return [=](HWND hDlg) {
        ::PostMessageW(hDlg, message, wParam, lParam);
        return true;
    };
}

DialogScript::Step DialogScript::Check(const std::function<void(HWND hDlg)>& check)
{
    return [check](HWND hDlg) {
        check(hDlg);
        return true;
    };
}

std::wstring WindowText(HWND hWnd)
{
    wchar_t szText[1024] = {};
    ::GetWindowTextW(hWnd, szText, 1024);
    return szText;
}
