#pragma once
// The in-house application framework: a small set of classes with the
// familiar framework names, built directly on Win32 and COM. Program code
// includes this header, never the single headers it gathers.

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "afxres.h"
#include "cstring.h"
#include "collections.h"
#include "runtime_class.h"
#include "cmd_target.h"
#include "wnd.h"
#include "combo_box.h"
#include "edit.h"
#include "base_pane.h"
#include "frame_wnd_ex.h"
#include "dialog.h"
#include "mfc_status_bar.h"
#include "mfc_menu_bar.h"
#include "mfc_popup_menu.h"
#include "mfc_rebar.h"
#include "mfc_tool_bar.h"
#include "mfc_visual_manager.h"
#include "gdi.h"
#include "image_list.h"
#include "win_app.h"
#include "ole.h"
#include "se_translator.h"
#include "com_boundary.h"
#include "com_ptr.h"
#include "by_value_unknown.h"
#include "handles.h"
#include "system_paths.h"
#include "event_sink_map.h"
#include "ole_control_container.h"
#include "ole_control_site.h"
#include "ole_data_object.h"
#include "interface_ids.h"
