#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// Keys typed through the window system into the foreground window, as a user
// types them: each pair is a virtual key and whether it goes down.
void PressKeys(const std::vector<std::pair<WORD, bool>>& keys);
void PressKey(WORD vk);
// A key with a modifier held down, e.g. Ctrl+N.
void PressWith(WORD vkModifier, WORD vk);
// Characters typed as they are, whatever the keyboard layout.
void TypeText(const std::wstring& text);
// A left click at a screen point: the pointer moves there, and once the window system has it there
// the button goes down and up, as under a user's hand.
void ClickAt(POINT pt);
// Makes the window the foreground window; false if it did not become it in time.
bool BringToFront(HWND hWnd);
// A menu command through the menu bar's keyboard interface: Alt with the first mnemonic, then
// each further mnemonic once the popup it is meant for shows (a sub-menu's, then its item's).
// False if a popup did not show.
bool ChooseFromMenu(HWND hFrame, const char* pszMnemonics);
