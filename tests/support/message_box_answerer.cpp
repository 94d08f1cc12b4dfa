#include "message_box_answerer.h"

namespace {
HHOOK g_hHook = nullptr;
int g_nButton = IDOK;
std::vector<ScopedMessageBoxAnswerer::Box> g_boxes;

std::wstring TextOf(HWND hWnd)
{
    wchar_t szText[1024] = {};
    ::GetWindowTextW(hWnd, szText, 1024);
    return szText;
}

LRESULT CALLBACK AnswerBoxes(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HCBT_ACTIVATE) {
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        wchar_t szClass[16] = {};
        ::GetClassNameW(hWnd, szClass, 16);
        if (::lstrcmpW(szClass, L"#32770") == 0) {
            g_boxes.push_back({TextOf(hWnd), TextOf(::GetDlgItem(hWnd, 0xFFFF))});
            ::PostMessageW(hWnd, WM_COMMAND, static_cast<WPARAM>(g_nButton), 0);
        }
    }
    return ::CallNextHookEx(g_hHook, nCode, wParam, lParam);
}
}  // namespace

ScopedMessageBoxAnswerer::ScopedMessageBoxAnswerer(int nButton)
    : m_hHook(::SetWindowsHookExW(WH_CBT, &AnswerBoxes, nullptr, ::GetCurrentThreadId()))
{
    g_hHook = m_hHook;
    g_nButton = nButton;
    g_boxes.clear();
}

ScopedMessageBoxAnswerer::~ScopedMessageBoxAnswerer()
{
    ::UnhookWindowsHookEx(m_hHook);
    g_hHook = nullptr;
}

const std::vector<ScopedMessageBoxAnswerer::Box>& ScopedMessageBoxAnswerer::boxes() const
{
    return g_boxes;
}
