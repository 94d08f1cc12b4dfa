#pragma once
#include <windows.h>

#include <string>
#include <vector>

// A menu's items as a test compares them: read back from the menu handle, sub-menus included.
struct MenuItem {
    UINT nID;  // 0 for a sub-menu, whose id is its handle, which no two menus share
    std::wstring text;
    bool bDisabled;
    bool bBreak;                        // starts a new column
    std::vector<MenuItem> children{};  // a sub-menu's items
    bool bPopup = false;
    bool operator==(const MenuItem&) const = default;
};

inline std::vector<MenuItem> ItemsOf(HMENU hMenu)
{
    std::vector<MenuItem> items;
    for (int i = 0; i < ::GetMenuItemCount(hMenu); ++i) {
        wchar_t szText[512] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_STRING | MIIM_SUBMENU;
        info.dwTypeData = szText;
        info.cch = 511;
        ::GetMenuItemInfoW(hMenu, static_cast<UINT>(i), TRUE, &info);
        MenuItem item{info.hSubMenu ? 0u : info.wID, szText, (info.fState & MFS_DISABLED) != 0,
                      (info.fType & MFT_MENUBARBREAK) != 0, {}, info.hSubMenu != nullptr};
        if (info.hSubMenu) item.children = ItemsOf(info.hSubMenu);
        items.push_back(item);
    }
    return items;
}
