#pragma once
#include <windows.h>

#include <utility>
#include <vector>

// Keys typed through the window system into the foreground window, as a user
// types them: each pair is a virtual key and whether it goes down.
void PressKeys(const std::vector<std::pair<WORD, bool>>& keys);
