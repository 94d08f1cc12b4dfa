#include "user_input.h"

#include <cstring>

namespace {

// Polls until pred holds; false after the timeout.
template <class Pred>
bool WaitUntil(Pred pred, DWORD dwTimeoutMs)
{
    for (DWORD dwStart = ::GetTickCount(); !pred(); ::Sleep(20)) {
        if (::GetTickCount() - dwStart > dwTimeoutMs) return false;
    }
    return true;
}

// Visible popup menu windows of a process: the menu bar's popup, then its open sub-menus.
size_t VisiblePopupMenus(DWORD dwProcessId)
{
    size_t nCount = 0;
    for (HWND hWnd = ::FindWindowExW(nullptr, nullptr, L"#32768", nullptr); hWnd;
         hWnd = ::FindWindowExW(nullptr, hWnd, L"#32768", nullptr)) {
        DWORD dwOwner = 0;
        ::GetWindowThreadProcessId(hWnd, &dwOwner);
        if (dwOwner == dwProcessId && ::IsWindowVisible(hWnd)) ++nCount;
    }
    return nCount;
}

}  // namespace

void PressKeys(const std::vector<std::pair<WORD, bool>>& keys)
{
    std::vector<INPUT> inputs;
    for (auto [vk, bDown] : keys) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = bDown ? 0 : KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void PressKey(WORD vk)
{
    PressKeys({{vk, true}, {vk, false}});
}

void PressWith(WORD vkModifier, WORD vk)
{
    PressKeys({{vkModifier, true}, {vk, true}, {vk, false}, {vkModifier, false}});
}

void TypeText(const std::wstring& text)
{
    std::vector<INPUT> inputs;
    for (wchar_t ch : text) {
        for (DWORD dwFlags : {DWORD{KEYEVENTF_UNICODE}, DWORD{KEYEVENTF_UNICODE | KEYEVENTF_KEYUP}}) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = ch;
            input.ki.dwFlags = dwFlags;
            inputs.push_back(input);
        }
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

bool BringToFront(HWND hWnd)
{
    ::SetForegroundWindow(hWnd);
    return WaitUntil([hWnd] { return ::GetForegroundWindow() == hWnd; }, 3000);
}

bool ChooseFromMenu(HWND hFrame, const char* pszMnemonics)
{
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hFrame, &dwProcessId);
    BringToFront(hFrame);
    PressWith(VK_MENU, static_cast<WORD>(pszMnemonics[0]));
    for (size_t i = 1; i < std::strlen(pszMnemonics); ++i) {
        if (!WaitUntil([&] { return VisiblePopupMenus(dwProcessId) >= i; }, 5000)) return false;
        PressKey(static_cast<WORD>(pszMnemonics[i]));
    }
    return true;
}
