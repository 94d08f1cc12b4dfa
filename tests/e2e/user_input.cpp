#include "user_input.h"
#include "tarnwick_process.h"
#include "window_queries.h"

#include <cstring>

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

void ClickAt(POINT pt)
{
    const int cx = ::GetSystemMetrics(SM_CXSCREEN), cy = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT inputs[3] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = (pt.x * 65535 + cx / 2) / (cx - 1);
        input.mi.dy = (pt.y * 65535 + cy / 2) / (cy - 1);
        input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    }
    inputs[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    ::SendInput(1, &inputs[0], sizeof(INPUT));
    TarnwickProcess::WaitFor([pt] {
        POINT ptCursor{};
        return ::GetCursorPos(&ptCursor) && ptCursor.x == pt.x && ptCursor.y == pt.y;
    }, 1000);
    ::SendInput(2, &inputs[1], sizeof(INPUT));
}

bool BringToFront(HWND hWnd)
{
    ::SetForegroundWindow(hWnd);
    return TarnwickProcess::WaitFor([hWnd] { return ::GetForegroundWindow() == hWnd; }, 3000);
}

bool ChooseFromMenu(HWND hFrame, const char* pszMnemonics)
{
    const DWORD dwProcessId = ProcessOf(hFrame);
    BringToFront(hFrame);
    PressWith(VK_MENU, static_cast<WORD>(pszMnemonics[0]));
    for (size_t i = 1; i < std::strlen(pszMnemonics); ++i) {
        if (!TarnwickProcess::WaitFor([&] { return VisiblePopupMenus(dwProcessId).size() >= i; }, 5000)) return false;
        PressKey(static_cast<WORD>(pszMnemonics[i]));
    }
    return true;
}
