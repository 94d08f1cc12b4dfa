#pragma once
// Identifiers the framework itself defines; resource scripts include this file.

#define AFX_IDS_APP_TITLE        0xE000  // application name string
#define AFX_IDW_PANE_FIRST       0xE900  // child id of a frame's client view
#define AFX_IDW_TOOLBAR          0xE800
#define AFX_IDW_STATUS_BAR       0xE801
#define AFX_IDW_REBAR            0xE804
#define AFX_IDW_MENUBAR          0xE806

#define ID_APP_ABOUT             0xE140
#define ID_APP_EXIT              0xE141
#define ID_SEPARATOR             0

#ifndef RC_INVOKED
// Frame styles the framework keeps to itself; stripped before the window is created.
#define FWS_ADDTOTITLE           0x00008000L
#define AFX_WS_DEFAULT_VIEW      (WS_CHILD | WS_VISIBLE | WS_BORDER)
#endif
