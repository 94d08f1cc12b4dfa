#pragma once
#include "base_pane.h"
#include "collections.h"
#include "cstring.h"
#include "handles.h"

#include <commctrl.h>
#include <map>
#include <vector>

class CMFCPopupMenu;

namespace afx_handles {
struct ImageListTraits {
    using Handle = HIMAGELIST;
    static Handle Empty() { return nullptr; }
    static void Release(Handle h) { ImageList_Destroy(h); }
};
}  // namespace afx_handles
using CImageListHandle = CHandleT<afx_handles::ImageListTraits>;

// Registered message a toolbar sends its frame while it loads its buttons,
// wParam the toolbar resource id; the frame may replace buttons then.
extern const UINT AFX_WM_RESETTOOLBAR;

// Resource type of the framework's toolbar resources: WORD version (1),
// image width, image height, button count, then one command id per button.
#define AFX_RT_TOOLBAR MAKEINTRESOURCEW(241)

// A toolbar button that carries out its command and also drops down a menu.
// It keeps its own copy of the menu's items.
class CMFCToolBarMenuButton {
public:
    CMFCToolBarMenuButton(UINT uiID, HMENU hMenu, int iImage, LPCWSTR lpszText = nullptr, BOOL bUserButton = FALSE);
    ~CMFCToolBarMenuButton();
    CMFCToolBarMenuButton(const CMFCToolBarMenuButton& other);
    CMFCToolBarMenuButton& operator=(const CMFCToolBarMenuButton&) = delete;

    // A button standing for a menu item while it is drawn: it reads the item's
    // sub-menu where it is, without a copy, and lives no longer than the drawing.
    static CMFCToolBarMenuButton ForMenuItem(UINT uiID, HMENU hSubMenu, int iImage, LPCWSTR lpszText);
    // The drop-down's items: the button's own copy, or the drawn item's sub-menu; null for a plain item.
    HMENU GetSubMenu() const { return m_hMenu ? m_hMenu.Get() : m_hItemSubMenu; }

    UINT m_nID;
    int m_iImage;
    CString m_strText;
    CMenuHandle m_hMenu;  // own copy of the drop-down's items; empty for a plain item

private:
    HMENU m_hItemSubMenu = nullptr;  // the drawn item's sub-menu; not owned
};

// A toolbar on the common toolbar control, with images from bitmap
// resources, update-UI of its buttons and drop-down menu buttons.
class CMFCToolBar : public CBasePane {
public:
    CMFCToolBar() = default;
    ~CMFCToolBar() override;

    // Button and image sizes of every toolbar of the process, and of the images in menus.
    static void SetSizes(SIZE sizeButton, SIZE sizeImage);
    static void SetMenuSizes(SIZE sizeButton, SIZE sizeImage);
    static SIZE GetMenuImageSize() { return s_sizeMenuImage; }
    // The menu image of a command from any loaded toolbar, or -1; images live in GetMenuImages.
    static int GetCmdImage(UINT uiCmd, BOOL bUserImage = FALSE);
    static HIMAGELIST GetMenuImages() { return s_hMenuImages; }

    virtual BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_FLAT,
                          DWORD dwStyle = AFX_DEFAULT_TOOLBAR_STYLE, RECT rcBorders = RECT{1, 1, 1, 1},
                          UINT nID = AFX_IDW_TOOLBAR);
    // Buttons from the toolbar resource; images from the cold, hot and menu bitmaps (grey is transparent),
    // or from the resource id's own bitmap when the cold one is 0.
    virtual BOOL LoadToolBar(UINT uiResID, UINT uiColdResID = 0, UINT uiMenuResID = 0, BOOL bLocked = FALSE,
                             UINT uiDisabledResID = 0, UINT uiMenuDisabledResID = 0, UINT uiHotResID = 0);
    // Turns the first (or every) button with the command into the given drop-down button; returns how many.
    int ReplaceButton(UINT uiCmd, const CMFCToolBarMenuButton& button, BOOL bAll = FALSE);
    int CommandToIndex(UINT nIDFind) const;
    UINT GetItemID(int nIndex) const;
    int GetCount() const;
    void GetItemRect(int nIndex, LPRECT lpRect) const;
    // The drop-down button at nIndex, or null for a plain button.
    const CMFCToolBarMenuButton* GetMenuButton(int nIndex) const;
    void SetBorders(int cxLeft = 0, int cyTop = 0, int cxRight = 0, int cyBottom = 0);
    // Sizes the window to its buttons; a toolbar with images first takes the process's button and image sizes.
    virtual void AdjustLayout();
    // Update-UI of every button, with the frame's command routing.
    virtual void OnUpdateCmdUI(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);

    // CBasePane overrides
    SIZE CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    // The arrow of a drop-down button opens its list even while the button's own command is disabled.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // Shows the drop-down of button nIndex under it and carries out the chosen command.
    virtual void DropDown(int nIndex);
    static HMENU CopyMenu(HMENU hMenu);
    static void AddMenuImages(UINT uiMenuResID, const WORD* pItems, int nItems);

    std::map<UINT, CMFCToolBarMenuButton> m_menuButtons;  // drop-down buttons by command
    CImageListHandle m_hImages;                           // the buttons' images; empty for a bar without images
    CImageListHandle m_hHotImages;
    RECT m_rectBorders{};

    static SIZE s_sizeButton;
    static SIZE s_sizeImage;
    static SIZE s_sizeMenuButton;
    static SIZE s_sizeMenuImage;
    static std::map<UINT, int> s_cmdImages;  // command -> index in s_hMenuImages
    static HIMAGELIST s_hMenuImages;         // the menu images of every loaded toolbar; lives with the process
};
