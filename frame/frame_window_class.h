#pragma once
#include "../framework/afx.h"

// The window class of the window manager and of every browser frame: no
// client edge, no class cursor or background, the program's icon.
void UseFrameWindowClass(CREATESTRUCTW& cs);
