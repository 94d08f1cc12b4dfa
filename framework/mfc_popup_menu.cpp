#include "mfc_popup_menu.h"
#include "handles.h"

#include <string>

int CMFCPopupMenuBar::CommandToIndex(UINT nIDFind) const
{
    int nCount = m_hMenu ? ::GetMenuItemCount(m_hMenu) : 0;
    for (int i = 0; i < nCount; ++i) {
        if (::GetMenuItemID(m_hMenu, i) == nIDFind) return i;
    }
    return -1;
}

BOOL CMFCPopupMenuBar::ImportFromMenu(HMENU hMenu)
{
    if (!m_hMenu || !hMenu) return FALSE;
    while (::GetMenuItemCount(m_hMenu) > 0) ::DeleteMenu(m_hMenu, 0, MF_BYPOSITION);
    return AppendCopies(m_hMenu, hMenu);
}

bool CMFCPopupMenuBar::AppendCopies(HMENU hTarget, HMENU hSource)
{
    int nCount = ::GetMenuItemCount(hSource);
    for (int i = 0; i < nCount; ++i) {
        wchar_t szText[512] = {};
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_BITMAP | MIIM_DATA;
        mii.dwTypeData = szText;
        mii.cch = 511;
        if (!::GetMenuItemInfoW(hSource, static_cast<UINT>(i), TRUE, &mii)) return false;
        CMenuHandle sub;  // the copied submenu, until the target holds it
        if (mii.hSubMenu) {
            sub.Reset(::CreatePopupMenu());
            if (!sub || !AppendCopies(sub, mii.hSubMenu)) return false;
            mii.hSubMenu = sub;
            // A sub-menu item's id is its sub-menu's handle, as AppendMenu gives it: the copy's, not the source's.
            mii.wID = static_cast<UINT>(reinterpret_cast<UINT_PTR>(sub.Get()));
        }
        mii.dwTypeData = szText;
        if (!::InsertMenuItemW(hTarget, static_cast<UINT>(::GetMenuItemCount(hTarget)), TRUE, &mii)) return false;
        sub.Detach();
    }
    return true;
}
