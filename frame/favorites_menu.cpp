#include "favorites_menu.h"
#include "menu_columns.h"
#include "menu_item_text.h"
#include "../app/tarnwick_app.h"  // theApp: the favorites tree, its loaded flag and the image list
#include "../favorites/favorite_item.h"
#include "../res/resource.h"
#include "../view/child_view.h"

#include <shellapi.h>
#include <shlobj.h>

namespace {

constexpr int kMaxFavoriteCaption = 60;
constexpr int kMenuImageSize = 16;

bool IsFavoriteCommand(UINT nID)
{
    return nID >= ID_FAVORITE_FIRST && nID <= ID_FAVORITE_LAST;
}

// The first characters of a name as a menu shows them: ampersands doubled after the cut.
CString MenuCaption(const CString& strName)
{
    return MenuItemText(strName, kMaxFavoriteCaption);
}

// The wait cursor while the menu is built; the previous cursor comes back afterwards.
class WaitCursorScope {
public:
    WaitCursorScope() : m_hPrevious(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursorScope() { ::SetCursor(m_hPrevious); }
    WaitCursorScope(const WaitCursorScope&) = delete;
    WaitCursorScope& operator=(const WaitCursorScope&) = delete;

private:
    HCURSOR m_hPrevious;
};

}  // namespace

void CFavoritesMenu::LoadFavoritesOnce()
{
    if (theApp.m_bFavoritesLoaded) return;
    // Set first: a load that fails or is cut short is not retried at every opening.
    theApp.m_bFavoritesLoaded = TRUE;
    wchar_t szPath[MAX_PATH] = {};
    // Without the folder's path there is nothing to list: an empty path loads an empty tree.
    if (!::SHGetSpecialFolderPathW(nullptr, szPath, CSIDL_FAVORITES, FALSE)) szPath[0] = L'\0';
    theApp.m_favorites.Load(szPath, TRUE);
}

void CFavoritesMenu::Refresh()
{
    // The next opening of a Favorites menu, in any window, reads the folder and its order again.
    theApp.m_bFavoritesLoaded = FALSE;
}

void CFavoritesMenu::FillFavoritesPopup(CMFCPopupMenuBar* pBar)
{
    WaitCursorScope wait;
    LoadFavoritesOnce();
    CMenuHandle hMenu(::CreatePopupMenu());
    if (!hMenu) return;
    CString strRefresh;
    strRefresh.LoadString(ID_FAVORITES_REFRESH);
    ::AppendMenuW(hMenu, MF_STRING, ID_FAVORITES_REFRESH, strRefresh);
    ::AppendMenuW(hMenu, MF_SEPARATOR, 0, nullptr);
    BuildFavoritesPopup(hMenu);
    pBar->ImportFromMenu(hMenu);
    // The commands of this menu are numbers into this tree; a later load gives them to other entries.
    m_nGeneration = theApp.m_favorites.GetGeneration();
}

void CFavoritesMenu::BuildFavoritesPopup(HMENU hMenu) const
{
    AppendFavoriteItems(hMenu, theApp.m_favorites.m_pRoot.get());
    if (m_owner.m_hWnd) ::DrawMenuBar(m_owner.m_hWnd);
}

void CFavoritesMenu::AppendFavoriteItems(HMENU hMenu, const CFavoriteItem* pNode) const
{
    if (!hMenu || !pNode) return;
    // The font is measured once for the whole tree, not at every entry.
    int nItemHeight = pNode->IsContainer() ? MenuItemHeight(m_owner.m_hWnd) : 0;
    AppendFavoriteLevel(hMenu, pNode, nItemHeight);
}

void CFavoritesMenu::AppendFavoriteLevel(HMENU hMenu, const CFavoriteItem* pNode, int nItemHeight) const
{
    if (!pNode->IsContainer()) {
        CString strName = pNode->m_strName;
        int nDot = strName.ReverseFind(L'.');
        if (nDot >= 0) strName = strName.Left(nDot);
        UINT nCommand = ID_FAVORITE_FIRST + static_cast<UINT>(pNode->m_nIndex);
        // Past the handled range a command would reach nothing, or, cut to 16 bits, another command.
        if (pNode->m_nIndex < 0 || nCommand > ID_FAVORITE_LAST) {
            ::AppendMenuW(hMenu, MF_BYPOSITION | MF_GRAYED, ID_FAVORITES_EMPTY, MenuCaption(strName));
        } else {
            ::AppendMenuW(hMenu, MF_BYPOSITION, nCommand, MenuCaption(strName));
        }
        return;
    }
    // The columns are those a split after every entry would leave: the split at the level's last entry.
    int nCountAtLastEntry = -1;
    const INT_PTR nChildren = pNode->GetChildCount();
    for (INT_PTR i = 0; i < nChildren; ++i) {
        const CFavoriteItem* pChild = pNode->GetChild(i);
        if (!pChild) continue;
        if (pChild->m_nKind != FAV_FOLDER) {
            AppendFavoriteLevel(hMenu, pChild, nItemHeight);
            nCountAtLastEntry = ::GetMenuItemCount(hMenu);
            continue;
        }
        CMenuHandle hSubMenu(::CreatePopupMenu());
        if (!hSubMenu) continue;
        AppendFavoriteLevel(hSubMenu, pChild, nItemHeight);
        if (::GetMenuItemCount(hSubMenu) == 0) {
            CString strEmpty;
            strEmpty.LoadString(IDS_FAVORITES_EMPTY);
            ::AppendMenuW(hSubMenu, MF_BYPOSITION | MF_DISABLED, ID_FAVORITES_EMPTY, strEmpty);
        }
        if (::AppendMenuW(hMenu, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(static_cast<HMENU>(hSubMenu)),
                          MenuCaption(pChild->m_strName))) {
            hSubMenu.Detach();  // the menu owns it now
        }
    }
    if (nCountAtLastEntry >= 0) BreakMenuColumnsAt(hMenu, nCountAtLastEntry, -1, nItemHeight);
}

void CFavoritesMenu::OpenFavorite(UINT nID, CChildView& view) const
{
    // A command from a menu built before another window reloaded the tree would open another entry.
    if (m_nGeneration != theApp.m_favorites.GetGeneration()) return;
    INT_PTR nIndex = static_cast<INT_PTR>(nID) - ID_FAVORITE_FIRST;
    if (nIndex < 0) nIndex = 0;
    const CFavoriteItem* pItem = theApp.m_favorites.GetItem(nIndex);
    if (!pItem || pItem->m_strTarget.IsEmpty()) return;
    // Copied first: ShellExecute may run a message loop in which another window reloads the tree.
    const CString strTarget = pItem->m_strTarget;
    const BYTE nKind = pItem->m_nKind;
    if (nKind == FAV_LINK) {
        view.Navigate(strTarget);
    } else if (nKind == FAV_FILE) {
        ::ShellExecuteW(nullptr, nullptr, strTarget, nullptr, nullptr, SW_SHOW);
    }
}

BOOL CFavoritesMenu::DrawMenuImage(CDC* pDC, const CMFCToolBarMenuButton* pMenuButton, const RECT& rectImage)
{
    if (!pMenuButton) return FALSE;
    UINT nID = pMenuButton->m_nID;
    if (nID == ID_FAVORITES_REFRESH) return FALSE;
    int nImage = kImageWebPage;
    if (!IsFavoriteCommand(nID)) {
        if (!IsFavoritesMenuButton(pMenuButton, FALSE)) return FALSE;
        nImage = kImageFolder;
    }
    int x = rectImage.left + (rectImage.right - rectImage.left - kMenuImageSize) / 2;
    int y = rectImage.top + (rectImage.bottom - rectImage.top - kMenuImageSize) / 2;
    ImageList_Draw(theApp.m_imageList.GetSafeHandle(), nImage, pDC ? pDC->m_hDC : nullptr, x, y, ILD_TRANSPARENT);
    return TRUE;
}

BOOL CFavoritesMenu::IsFavoritesMenuButton(const CMFCToolBarMenuButton* pButton, BOOL bNested)
{
    if (!pButton) return FALSE;
    CString strEmpty;
    strEmpty.LoadString(IDS_FAVORITES_EMPTY);
    if (pButton->m_nID != static_cast<UINT>(-1)) return bNested && pButton->m_strText == strEmpty;
    return MenuHoldsFavorites(pButton->GetSubMenu(), strEmpty, 0);
}

bool CFavoritesMenu::MenuHoldsFavorites(HMENU hMenu, const CString& strEmpty, int nDepth)
{
    // Read where the menu is, level by level: drawn at every hover, it is never copied.
    constexpr int kMaxDepth = 64;
    const int nCount = hMenu && nDepth < kMaxDepth ? ::GetMenuItemCount(hMenu) : 0;
    for (int i = 0; i < nCount; ++i) {
        if (HMENU hSubMenu = ::GetSubMenu(hMenu, i)) {
            if (MenuHoldsFavorites(hSubMenu, strEmpty, nDepth + 1)) return true;
            continue;
        }
        const UINT nID = ::GetMenuItemID(hMenu, i);
        if (IsFavoriteCommand(nID)) return true;
        wchar_t szText[512] = {};
        ::GetMenuStringW(hMenu, static_cast<UINT>(i), szText, 511, MF_BYPOSITION);
        if (CString(szText) == strEmpty) return true;
    }
    return false;
}
