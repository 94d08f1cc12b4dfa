#include <gtest/gtest.h>

#include "framework/afx.h"
#include "res/resource.h"
#include "support/icon_pixels.h"

#include <iterator>
#include <vector>

namespace {

std::vector<UINT> IdsOf(HMENU hMenu)
{
    std::vector<UINT> ids;
    for (int i = 0; i < ::GetMenuItemCount(hMenu); ++i) ids.push_back(::GetMenuItemID(hMenu, i));
    return ids;
}

TEST(PopupMenuBarTest, ImportReplacesTheItemsWithCopies)
{
    HMENU hPopup = ::CreatePopupMenu();
    ::AppendMenuW(hPopup, MF_STRING, 100, L"placeholder");
    HMENU hSource = ::CreatePopupMenu();
    HMENU hSub = ::CreatePopupMenu();
    ::AppendMenuW(hSub, MF_STRING, 300, L"inner");
    ::AppendMenuW(hSource, MF_STRING, 200, L"first");
    ::AppendMenuW(hSource, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(hSource, MF_POPUP, reinterpret_cast<UINT_PTR>(hSub), L"folder");

    CMFCPopupMenu popup(hPopup);
    CMFCPopupMenuBar* pBar = popup.GetMenuBar();
    EXPECT_EQ(pBar->CommandToIndex(100), 0);
    EXPECT_EQ(pBar->CommandToIndex(200), -1);
    ASSERT_TRUE(pBar->ImportFromMenu(hSource));
    EXPECT_EQ(IdsOf(hPopup), (std::vector<UINT>{200, 0, static_cast<UINT>(-1)}));
    HMENU hCopiedSub = ::GetSubMenu(hPopup, 2);
    ASSERT_NE(hCopiedSub, nullptr);
    EXPECT_NE(hCopiedSub, hSub);  // a copy: the source can go
    ::DestroyMenu(hSource);
    EXPECT_EQ(IdsOf(hCopiedSub), std::vector<UINT>{300});
    wchar_t szText[32] = {};
    ::GetMenuStringW(hPopup, 2, szText, 32, MF_BYPOSITION);
    EXPECT_STREQ(szText, L"folder");
    ::DestroyMenu(hPopup);
}

// A frame that records what the toolbar and the menus ask of it.
class CRecordingFrame : public CFrameWndEx {
public:
    std::vector<WPARAM> resets;
    int nButtonsAtReset = -1;
    std::vector<UINT> drawnImages;
    CMFCToolBar m_wndToolBar;

    BOOL OnDrawMenuImage(CDC* pDC, const CMFCToolBarMenuButton* pMenuButton, const RECT&) override
    {
        EXPECT_NE(pDC->m_hDC, nullptr);
        drawnImages.push_back(pMenuButton->m_nID);
        return pMenuButton->m_nID == ID_GO_HOME;  // the frame draws this one itself
    }

protected:
    afx_msg LRESULT OnResetToolbar(WPARAM wParam, LPARAM)
    {
        resets.push_back(wParam);
        nButtonsAtReset = m_wndToolBar.GetCount();
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRecordingFrame, CFrameWndEx)
    ON_REGISTERED_MESSAGE(AFX_WM_RESETTOOLBAR, OnResetToolbar)
END_MESSAGE_MAP()

TEST(ToolBarTest, LoadingAsksTheFrameToResetWithTheButtonsInPlace)
{
    auto* pFrame = new CRecordingFrame;
    ASSERT_TRUE(pFrame->CreateEx(0, nullptr, L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr));
    ASSERT_TRUE(pFrame->m_wndToolBar.CreateEx(pFrame));
    ASSERT_TRUE(pFrame->m_wndToolBar.LoadToolBar(IDR_MAINFRAME, IDB_TOOLBAR_COLD, IDB_MENU_IMAGES, FALSE, 0, 0,
                                                 IDB_TOOLBAR_HOT));
    EXPECT_EQ(pFrame->resets, std::vector<WPARAM>{IDR_MAINFRAME});
    EXPECT_EQ(pFrame->nButtonsAtReset, 5);
    EXPECT_EQ(pFrame->m_wndToolBar.CommandToIndex(ID_VIEW_REFRESH), 3);
    EXPECT_EQ(CMFCToolBar::GetCmdImage(ID_VIEW_REFRESH), CMFCToolBar::GetCmdImage(ID_GO_BACK) + 3);
    EXPECT_FALSE(pFrame->m_wndToolBar.LoadToolBar(IDB_APP_IMAGES));  // no toolbar resource of that id
    pFrame->DestroyWindow();
}

// The n-th image of the menu bitmap, as a list of its own with the same grey made transparent.
std::vector<COLORREF> MenuBitmapImage(int nImage)
{
    CBitmapHandle bitmap(::LoadBitmapW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDB_MENU_IMAGES)));
    CImageListHandle images(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 0, 9));
    if (!bitmap || !images || ImageList_AddMasked(images, bitmap, RGB(192, 192, 192)) < 0) return {};
    return ImagePixels(images, nImage);
}

TEST(ToolBarTest, EachButtonCommandGetsItsMenuImageOnceForTheProcess)
{
    const UINT kButtons[] = {ID_GO_BACK, ID_GO_FORWARD, ID_VIEW_STOP, ID_VIEW_REFRESH, ID_GO_HOME};
    auto* pFrame = new CRecordingFrame;
    ASSERT_TRUE(pFrame->CreateEx(0, nullptr, L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr));
    ASSERT_TRUE(pFrame->m_wndToolBar.CreateEx(pFrame));
    ASSERT_TRUE(pFrame->m_wndToolBar.LoadToolBar(IDR_MAINFRAME, IDB_TOOLBAR_COLD, IDB_MENU_IMAGES));
    ASSERT_NE(CMFCToolBar::GetMenuImages(), nullptr);
    std::vector<int> images;
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        int iImage = CMFCToolBar::GetCmdImage(kButtons[i]);
        ASSERT_GE(iImage, 0) << kButtons[i];
        std::vector<COLORREF> expected = MenuBitmapImage(static_cast<int>(i));
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(ImagePixels(CMFCToolBar::GetMenuImages(), iImage), expected) << kButtons[i];
        images.push_back(iImage);
    }
    const int nImages = ImageList_GetImageCount(CMFCToolBar::GetMenuImages());

    // Another window's toolbar from the same resource adds nothing: its commands have their images.
    CMFCToolBar secondBar;
    ASSERT_TRUE(secondBar.CreateEx(pFrame));
    ASSERT_TRUE(secondBar.LoadToolBar(IDR_MAINFRAME, IDB_TOOLBAR_COLD, IDB_MENU_IMAGES_16));
    EXPECT_EQ(ImageList_GetImageCount(CMFCToolBar::GetMenuImages()), nImages);
    for (size_t i = 0; i < std::size(kButtons); ++i) EXPECT_EQ(CMFCToolBar::GetCmdImage(kButtons[i]), images[i]);
    secondBar.DestroyWindow();
    pFrame->DestroyWindow();
}

TEST(ToolBarTest, MenuItemImagesAreTheFramesToDraw)
{
    auto* pFrame = new CRecordingFrame;
    ASSERT_TRUE(pFrame->CreateEx(0, nullptr, L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr));
    ASSERT_TRUE(pFrame->m_wndToolBar.CreateEx(pFrame));
    ASSERT_TRUE(pFrame->m_wndToolBar.LoadToolBar(IDR_MAINFRAME, IDB_TOOLBAR_COLD, IDB_MENU_IMAGES));
    HMENU hPopup = ::CreatePopupMenu();
    ::AppendMenuW(hPopup, MF_STRING, ID_GO_HOME, L"Home");
    ::AppendMenuW(hPopup, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(hPopup, MF_STRING, 4242, L"no image");
    pFrame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hPopup), 0);
    for (UINT nPos : {0u, 2u}) {
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_BITMAP;
        ::GetMenuItemInfoW(hPopup, nPos, TRUE, &mii);
        EXPECT_EQ(mii.hbmpItem, HBMMENU_CALLBACK) << nPos;
    }

    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemID = ID_GO_HOME;
    pFrame->SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    EXPECT_EQ(measure.itemWidth, 16u);
    EXPECT_EQ(measure.itemHeight, 16u);

    CClientDC dc(pFrame);
    for (UINT nID : {static_cast<UINT>(ID_GO_HOME), 4242u}) {
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_MENU;
        draw.itemID = nID;
        draw.hwndItem = reinterpret_cast<HWND>(hPopup);
        draw.hDC = dc;
        draw.rcItem = RECT{0, 0, 16, 16};
        EXPECT_TRUE(pFrame->SendMessage(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw)));
    }
    EXPECT_EQ(pFrame->drawnImages, (std::vector<UINT>{ID_GO_HOME, 4242u}));
    ::DestroyMenu(hPopup);
    pFrame->DestroyWindow();
}

}  // namespace
