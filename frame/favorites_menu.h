#pragma once
#include "../framework/afx.h"

class CChildView;
class CFavoriteItem;

// The Favorites menu of one browser window: rebuilt from the application's favorites tree each time it
// opens, its folders and entries drawn with their images, a chosen entry opened. Held by its window,
// whose window handle it reads at each call (the menu font is measured on it, its menu bar redrawn).
class CFavoritesMenu {
public:
    explicit CFavoritesMenu(const CWnd& owner) : m_owner(owner) {}
    CFavoritesMenu(const CFavoritesMenu&) = delete;
    CFavoritesMenu& operator=(const CFavoritesMenu&) = delete;

    // Loads the favorites tree unless it is loaded already in this process.
    static void LoadFavoritesOnce();
    // The next opening of a Favorites menu, in any window, loads the tree again.
    static void Refresh();
    // Replaces the Favorites popup's items with the favorites tree.
    void FillFavoritesPopup(CMFCPopupMenuBar* pBar);
    // Fills hMenu from the favorites tree, then redraws the owner's menu bar.
    void BuildFavoritesPopup(HMENU hMenu) const;
    // Appends pNode's entry, or for the root and folders its children, to hMenu, each level split into columns.
    void AppendFavoriteItems(HMENU hMenu, const CFavoriteItem* pNode) const;
    // Opens the entry of a favorites command in view (a link) or with its program (a file); nothing for a
    // command of a menu built from an earlier load of the tree.
    void OpenFavorite(UINT nID, CChildView& view) const;
    // Draws the web-page image of an entry or the folder image of a favorites folder; FALSE when it drew none.
    static BOOL DrawMenuImage(CDC* pDC, const CMFCToolBarMenuButton* pMenuButton, const RECT& rectImage);
    // Whether a menu button is a favorites folder (or, nested, anything a favorites folder holds).
    static BOOL IsFavoritesMenuButton(const CMFCToolBarMenuButton* pButton, BOOL bNested);

private:
    void AppendFavoriteLevel(HMENU hMenu, const CFavoriteItem* pNode, int nItemHeight) const;
    // Whether a menu, or one below it, holds a favorites entry or the item of an empty favorites folder.
    static bool MenuHoldsFavorites(HMENU hMenu, const CString& strEmpty, int nDepth);

    const CWnd& m_owner;    // the window whose Favorites menu this is; outlives it
    UINT m_nGeneration = 0;  // the favorites tree's load that this window's Favorites menu was last built from
};
