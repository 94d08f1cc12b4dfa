#include "creation_refusal.h"

namespace {
HHOOK g_hHook = nullptr;
int g_nRefused = 0;

LRESULT CALLBACK RefuseTopLevel(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HCBT_CREATEWND) {
        auto* pCbt = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
        if (!pCbt->lpcs->hwndParent && !(pCbt->lpcs->style & WS_CHILD)) {
            wchar_t szClass[16] = {};
            ::GetClassNameW(reinterpret_cast<HWND>(wParam), szClass, 16);
            if (::_wcsicmp(szClass, L"IME") != 0) {
                ++g_nRefused;
                return 1;
            }
        }
    }
    return ::CallNextHookEx(g_hHook, nCode, wParam, lParam);
}
}  // namespace

ScopedCreationRefusal::ScopedCreationRefusal()
    : m_hHook(::SetWindowsHookExW(WH_CBT, &RefuseTopLevel, nullptr, ::GetCurrentThreadId()))
{
    g_hHook = m_hHook;
    g_nRefused = 0;
}

ScopedCreationRefusal::~ScopedCreationRefusal()
{
    ::UnhookWindowsHookEx(m_hHook);
    g_hHook = nullptr;
}

int ScopedCreationRefusal::refused() const
{
    return g_nRefused;
}
