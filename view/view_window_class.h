#pragma once
#include "../framework/afx.h"

// The window class of a frame's client view (the browser view and the window
// manager's placeholder): no border, double clicks, redrawn whole when
// resized, the arrow cursor and the window background.
void UseViewWindowClass(CREATESTRUCTW& cs);
