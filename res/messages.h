#pragma once
// The program's private window messages. Those that carry pointers into the
// sender are always sent (SendMessage on the UI thread), never posted.

// Address combo to its frame: the user picked an entry from the drop-down list.
// wParam 0; lParam the combo (CMyComboBoxEx*). Sent. Result 0.
#define WM_ADDRESS_SELECTED             33800

// Address combo to its frame: the user pressed Enter in the edit.
// wParam 0; lParam the combo (CMyComboBoxEx*). Sent. Result 0.
#define WM_ADDRESS_ENTERED              33801

// To the window manager: open a new browser window.
// wParam: CChildView** that receives the new frame's view, or 0;
// lParam: int* set to 1 when no frame could be made, or 0. Sent. Result 0.
#define WM_OPEN_BROWSER_WINDOW          36003

// Browser frame to the window manager from its WM_CLOSE handler: forget this frame.
// wParam 0, not read; lParam the closing CBrowserFrame*. Sent. Result 0.
#define WM_BROWSER_WINDOW_CLOSED        36004
