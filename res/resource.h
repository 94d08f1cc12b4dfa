#pragma once
// Resource and command identifiers shared by every part of the program.

#include "../framework/afxres.h"

// Resources
#define IDR_MAINFRAME                   128
#define IDD_OPTIONS                     140
#define IDR_BACK_MENU                   141
#define IDR_FORWARD_MENU                142
#define IDB_TOOLBAR_COLD                146
#define IDB_TOOLBAR_HOT                 147
#define IDB_MENU_IMAGES                 148
#define IDB_MENU_IMAGES_16              149
#define IDB_APP_IMAGES                  151
#define IDD_ABOUTBOX                    32771

// Resource types
#define RT_TOOLBAR_ID                   241     // AFX_RT_TOOLBAR as a number, which the resource script needs

// Strings
#define IDS_COMPAT_CHECK                130
#define IDS_COMPAT_NOTE                 132
#define IDS_COMPAT_DETAIL               133
#define IDS_ADDRESS_LABEL               134
#define IDS_OPEN_FILTER                 135
#define IDS_OPEN_TITLE                  137
#define IDS_FAVORITES_EMPTY             139

// Child windows
#define IDC_ADDRESS_BOX                 0xE803  // the frame's address combo, beside the framework's bar ids

// Dialog controls
#define IDC_RUN_CMD                     1001
#define IDC_COMPAT_NOTE                 1003
#define IDC_RUN_REGEDIT                 1004
#define IDC_COMPAT_DETAIL               1005
#define IDC_FORCE_COMPAT_MODE           1006

// Status-bar indicators
#define ID_INDICATOR_ICON               1250
#define ID_INDICATOR_PROGRESS           1251
#define ID_INDICATOR_ZONE               1252
#define ID_INDICATOR_LAST               1253

// Commands
#define ID_TOOLS_OPTIONS                32609
#define ID_FILE_NEW_WINDOW              32772
#define ID_FILE_PRINT_PAGE              32773
#define ID_GO_BACK                      32776
#define ID_GO_FORWARD                   32777
#define ID_VIEW_STOP                    32778
#define ID_VIEW_REFRESH                 32779
#define ID_GO_HOME                      32780
#define ID_FILE_OPEN_PAGE               32781
#define ID_FILE_PRINT_PREVIEW_PAGE      32783
#define ID_PAGE_CUT                     32784
#define ID_PAGE_COPY                    32785
#define ID_PAGE_PASTE                   32786
#define ID_PAGE_SELECT_ALL              32787
#define ID_PAGE_FIND                    32788
#define ID_TEXTSIZE_LARGEST             32790
#define ID_TEXTSIZE_LARGER              32791
#define ID_TEXTSIZE_MEDIUM              32792
#define ID_TEXTSIZE_SMALLER             32793
#define ID_TEXTSIZE_SMALLEST            32794
#define ID_VIEW_SOURCE                  32795
#define ID_TOOLS_INTERNET_OPTIONS       32796
#define ID_FOCUS_ADDRESS                32797
#define ID_FAVORITES_PLACEHOLDER        32804
#define ID_FAVORITES_REFRESH            32805
#define ID_BACK_HISTORY_FIRST           32807
#define ID_BACK_HISTORY_LAST            32821
#define ID_FORWARD_HISTORY_FIRST        32822
#define ID_FORWARD_HISTORY_LAST         32846
#define ID_VIEW_INITIALIZE              36001
#define ID_VIEW_READY                   36002
#define ID_FAVORITES_EMPTY              39999
#define ID_FAVORITE_FIRST               40000
#define ID_FAVORITE_LAST                45000
