#include "support/hosted_view_fixture.h"
#include "favorites/test_favorites_folder.h"
#include "frame/menu_columns.h"
#include "res/resource.h"
#include "support/icon_pixels.h"
#include "support/menu_items.h"
#include "support/message_pump.h"
#include "support/popup_menus.h"
#include "support/scoped_registry_value.h"

#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

const MenuItem* FindItem(const std::vector<MenuItem>& items, const std::wstring& text)
{
    for (const MenuItem& item : items) {
        if (item.text == text) return &item;
    }
    return nullptr;
}

// The last component of a folder path with a trailing backslash.
std::wstring FolderName(const std::wstring& path)
{
    std::wstring trimmed = path.substr(0, path.size() - 1);
    return trimmed.substr(trimmed.rfind(L'\\') + 1);
}

size_t CountBreaks(const std::vector<MenuItem>& items);

// The menus of this thread that are open now, the deepest first.
std::vector<HMENU> OpenMenus()
{
    return OpenMenusOfThisThread();
}

// Drives the menus the menu bar opens, from a thread timer that the menu's own loop dispatches, as
// a user would: each step sees the open menus (the deepest first) and returns true once it is done;
// false tries it again at the next tick. After the last step the menu is closed; so it is after the
// time-out, and Finished() then stays false.
class MenuScript {
public:
    using Step = std::function<bool(const std::vector<HMENU>& open)>;
    explicit MenuScript(std::vector<Step> steps)
        : m_steps(std::move(steps)), m_dwStart(::GetTickCount()), m_nTimer(::SetTimer(nullptr, 0, 20, &OnTimer))
    {
        s_pActive = this;
    }
    ~MenuScript()
    {
        ::KillTimer(nullptr, m_nTimer);
        s_pActive = nullptr;
    }
    MenuScript(const MenuScript&) = delete;
    MenuScript& operator=(const MenuScript&) = delete;

    bool Finished() const { return m_nNext == m_steps.size(); }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD)
    {
        if (s_pActive) s_pActive->Tick();
    }
    void Tick()
    {
        const std::vector<HMENU> open = OpenMenus();
        if (open.empty()) return;
        if (Finished() || ::GetTickCount() - m_dwStart > 10000) {
            ::EndMenu();
            return;
        }
        if (m_steps[m_nNext](open)) ++m_nNext;
        if (Finished()) ::EndMenu();
    }

    static inline MenuScript* s_pActive = nullptr;
    std::vector<Step> m_steps;
    size_t m_nNext = 0;
    DWORD m_dwStart;
    UINT_PTR m_nTimer;
};

// Clicks the middle of a menu bar's button, as the user opens its popup.
void ClickMenuButton(CMFCMenuBar& bar, int nIndex)
{
    RECT rect;
    bar.GetItemRect(nIndex, &rect);
    bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2));
}

bool IsButtonPressed(CMFCMenuBar& bar, int nIndex)
{
    return bar.SendMessage(TB_ISBUTTONPRESSED, static_cast<WPARAM>(nIndex + 1)) != 0;
}

constexpr int kFavoritesMenu = 3;  // F&avorites, the fourth menu of the bar

// A browser frame that notes, for every popup handed to its hook, whether the Favorites placeholder was in it.
class CPlaceholderRecordingFrame : public CBrowserFrame {
public:
    std::vector<bool> placeholderSeen;
    BOOL OnShowPopupMenu(CMFCPopupMenu* pMenuPopup) override
    {
        if (pMenuPopup) placeholderSeen.push_back(pMenuPopup->GetMenuBar()->CommandToIndex(ID_FAVORITES_PLACEHOLDER) >= 0);
        return CBrowserFrame::OnShowPopupMenu(pMenuPopup);
    }
};

class FavoritesMenuTest : public HostedViewTest {
protected:
    void SetUp() override
    {
        HostedViewTest::SetUp();
        theApp.m_bFavoritesLoaded = FALSE;
    }
    void TearDown() override
    {
        theApp.m_bFavoritesLoaded = FALSE;
        theApp.m_favorites.Load(L"", TRUE);
        HostedViewTest::TearDown();
    }

    // The Favorites popup as the menu bar opens it, through the frame's hook: its items afterwards.
    static std::vector<MenuItem> OpenFavorites(CBrowserFrame* pFrame)
    {
        CMenuHandle hPopup(::CreatePopupMenu());
        ::AppendMenuW(hPopup, MF_STRING, ID_FAVORITES_REFRESH, L"&Refresh Favorites");
        ::AppendMenuW(hPopup, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(hPopup, MF_STRING | MF_GRAYED, ID_FAVORITES_PLACEHOLDER, L"DUMMY");
        CMFCPopupMenu popup(hPopup);
        EXPECT_TRUE(pFrame->OnShowPopupMenu(&popup));
        return ItemsOf(hPopup);
    }

    // The items of this test's own folder in the Favorites popup.
    static std::vector<MenuItem> OpenTestFolder(CBrowserFrame* pFrame, const CTestFavoritesFolder& folder)
    {
        return TestFolderIn(OpenFavorites(pFrame), folder);
    }
    static std::vector<MenuItem> TestFolderIn(const std::vector<MenuItem>& items, const CTestFavoritesFolder& folder)
    {
        EXPECT_GE(items.size(), 2u);
        if (items.size() >= 2) {
            EXPECT_EQ(items[0].nID, static_cast<UINT>(ID_FAVORITES_REFRESH));
            EXPECT_EQ(items[0].text, L"&Refresh Favorites");
        }
        const MenuItem* pFolder = FindItem(items, FolderName(folder.Path()));
        EXPECT_NE(pFolder, nullptr);
        return pFolder ? pFolder->children : std::vector<MenuItem>{};
    }
};

TEST_F(FavoritesMenuTest, CaptionsCutNamesToSixtyCharactersDoubleAmpersandsAndDropExtensionsOfEntriesOnly)
{
    CTestFavoritesFolder folder;
    const struct {
        const wchar_t* pszFile;
        std::wstring caption;
    } cases[] = {
        {L"Example.url", L"Example"},
        {L"Notes.txt", L"Notes"},
        {L"NoDot", L"NoDot"},
        {L"Q&A.url", L"Q&&A"},
        {L"Two.dots.htm", L"Two.dots"},
        {L"日本語のページ.url", L"日本語のページ"},
    };
    for (const auto& c : cases) folder.AddShortcut(c.pszFile, "http://example.test/" + std::to_string(c.caption.size()));
    const std::wstring longName(100, L'L');
    folder.AddShortcut(longName + L".url", "http://example.test/long");
    // The cut comes first: the sixtieth character is the ampersand, and it is still doubled.
    const std::wstring ampAtCut = std::wstring(59, L'a') + L"&tail";
    folder.AddShortcut(ampAtCut + L".url", "http://example.test/amp");
    // A character outside the basic plane across the cut is left out whole, not halved.
    const std::wstring wideAtCut = std::wstring(59, L'w') + L"\U0001F600" + L"end";
    folder.AddShortcut(wideAtCut + L".url", "http://example.test/wide");
    folder.AddFolder(L"My.Folder");
    const std::wstring longFolder(70, L'F');
    folder.AddFolder(longFolder);
    folder.AddShortcut(longFolder + L"\\Inside.url", "http://example.test/inside");

    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::vector<MenuItem> items = OpenTestFolder(pFrame, folder);

    for (const auto& c : cases) {
        const MenuItem* pItem = FindItem(items, c.caption);
        ASSERT_NE(pItem, nullptr) << c.pszFile;
        EXPECT_FALSE(pItem->bDisabled) << c.pszFile;
        ASSERT_GE(pItem->nID, static_cast<UINT>(ID_FAVORITE_FIRST + 1)) << c.pszFile;
        const CFavoriteItem* pNode = theApp.m_favorites.GetItem(pItem->nID - ID_FAVORITE_FIRST);
        ASSERT_NE(pNode, nullptr) << c.pszFile;
        EXPECT_EQ(std::wstring(pNode->m_strName), c.pszFile);
    }
    EXPECT_NE(FindItem(items, std::wstring(60, L'L')), nullptr);
    EXPECT_NE(FindItem(items, std::wstring(59, L'a') + L"&&"), nullptr);
    EXPECT_NE(FindItem(items, std::wstring(59, L'w')), nullptr);

    const MenuItem* pEmpty = FindItem(items, L"My.Folder");
    ASSERT_NE(pEmpty, nullptr);
    ASSERT_TRUE(pEmpty->bPopup);
    ASSERT_EQ(pEmpty->children.size(), 1u);
    EXPECT_EQ(pEmpty->children[0].nID, static_cast<UINT>(ID_FAVORITES_EMPTY));
    EXPECT_EQ(pEmpty->children[0].text, L"none");
    EXPECT_TRUE(pEmpty->children[0].bDisabled);

    const MenuItem* pLongFolder = FindItem(items, std::wstring(60, L'F'));
    ASSERT_NE(pLongFolder, nullptr);
    ASSERT_EQ(pLongFolder->children.size(), 1u);
    EXPECT_EQ(pLongFolder->children[0].text, L"Inside");
    EXPECT_EQ(items.size(), std::size(cases) + 5);
}

TEST_F(FavoritesMenuTest, AnEntryWhoseCommandWouldPassTheLastFavoriteCommandIsDisabled)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    CFavoriteItem root(L"FAVROOT", L"C:\\", FAV_ROOT);
    const struct {
        int nIndex;
        UINT nExpectedID;
        bool bDisabled;
    } cases[] = {
        {1, ID_FAVORITE_FIRST + 1, false},
        {5000, ID_FAVORITE_LAST, false},
        {5001, ID_FAVORITES_EMPTY, true},
        {25536 + 1, ID_FAVORITES_EMPTY, true},  // cut to 16 bits this would be 40001, the first entry's command
    };
    for (const auto& c : cases) {
        CFavoriteItem* pLink = root.AddChild((L"Link " + std::to_wstring(c.nIndex) + L".url").c_str(),
                                             L"http://example.test/", FAV_LINK);
        pLink->m_nIndex = c.nIndex;
    }
    CMenuHandle hMenu(::CreatePopupMenu());
    CFavoritesMenu(*pFrame).AppendFavoriteItems(hMenu, &root);
    std::vector<MenuItem> items = ItemsOf(hMenu);
    ASSERT_EQ(items.size(), std::size(cases));
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].text, L"Link " + std::to_wstring(cases[i].nIndex)) << i;
        EXPECT_EQ(items[i].nID, cases[i].nExpectedID) << i;
        EXPECT_EQ(items[i].bDisabled, cases[i].bDisabled) << i;
    }
}

TEST_F(FavoritesMenuTest, ADisabledEntryThatStartsAColumnStaysDisabled)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    CFavoriteItem root(L"FAVROOT", L"C:\\", FAV_ROOT);
    for (int i = 0; i < 150; ++i) {
        root.AddChild((L"Link " + std::to_wstring(i) + L".url").c_str(), L"http://example.test/", FAV_LINK)->m_nIndex =
            6000 + i;
    }
    CMenuHandle hMenu(::CreatePopupMenu());
    CFavoritesMenu(*pFrame).AppendFavoriteItems(hMenu, &root);
    std::vector<MenuItem> items = ItemsOf(hMenu);
    ASSERT_EQ(items.size(), 150u);
    ASSERT_GT(CountBreaks(items), 0u);
    for (const MenuItem& item : items) {
        EXPECT_TRUE(item.bDisabled) << std::string(item.text.begin(), item.text.end());
        EXPECT_EQ(item.nID, static_cast<UINT>(ID_FAVORITES_EMPTY));
    }
}

TEST_F(FavoritesMenuTest, ALinkNavigatesTheSameWindowWithItsUrlOnly)
{
    CTestFavoritesFolder folder;
    folder.AddShortcut(L"Chosen.url", "http://example.test/chosen?a=1");
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    const MenuItem* pItem = nullptr;
    std::vector<MenuItem> items = OpenTestFolder(pFrame, folder);
    pItem = FindItem(items, L"Chosen");
    ASSERT_NE(pItem, nullptr);
    int nBefore = control->CountCalls("Navigate2");
    pFrame->SendMessage(WM_COMMAND, pItem->nID, 0);
    ASSERT_EQ(control->CountCalls("Navigate2"), nBefore + 1);
    std::optional<StandInCall> call = control->LastCall("Navigate2");
    ASSERT_TRUE(call);
    EXPECT_EQ(call->Arg("URL"), "BSTR:http://example.test/chosen?a=1");
    EXPECT_EQ(call->Arg("Flags"), "I4:0");
    EXPECT_EQ(call->Arg("TargetFrameName"), "BSTR:null");
    EXPECT_EQ(call->Arg("PostData"), "EMPTY");
    EXPECT_EQ(call->Arg("Headers"), "BSTR:null");
    // A command without a node does nothing.
    pFrame->SendMessage(WM_COMMAND, ID_FAVORITE_LAST, 0);
    EXPECT_EQ(control->CountCalls("Navigate2"), nBefore + 1);
}

// The enabled favorites commands of a menu and its sub-menus, in menu order.
void CollectCommands(const std::vector<MenuItem>& items, std::vector<UINT>& commands)
{
    for (const MenuItem& item : items) {
        if (item.bPopup) {
            CollectCommands(item.children, commands);
        } else if (!item.bDisabled && item.nID >= ID_FAVORITE_FIRST && item.nID <= ID_FAVORITE_LAST) {
            commands.push_back(item.nID);
        }
    }
}

TEST_F(FavoritesMenuTest, EveryLinkOfATreeAsUsersHaveItIsReachableFromTheMenu)
{
    CTestFavoritesFolder folder;
    const std::wstring longFolder = L"Projects " + std::wstring(190, L'y');
    const std::string propertyStore = "[{000214A0-0000-0000-C000-000000000046}]\r\nProp3=19,11\r\n";
    const struct {
        std::wstring relative;
        std::string content;
        std::string url;  // empty: no link
    } shortcuts[] = {
        {L"Новости.url", "[InternetShortcut]\r\nURL=http://example.com/ru\r\n", "http://example.com/ru"},
        {L"ニュース.url", "[InternetShortcut]\nURL=http://example.jp/news\n", "http://example.jp/news"},
        {L"Tom & Jerry.url", "[DEFAULT]\r\nBASEURL=http://example.com/b\r\n[InternetShortcut]\r\nURL=http://example.com/tj\r\n",
         "http://example.com/tj"},
        {L"Wait.. what.url", propertyStore + "[InternetShortcut]\r\nURL=http://example.com/w?a=1&b=2\r\n",
         "http://example.com/w?a=1&b=2"},
        {L"The " + std::wstring(160, L'x') + L" guide.url", "[InternetShortcut]\r\nURL=http://example.com/long\r\n",
         "http://example.com/long"},
        {L"Caf\u00e9.url", "[InternetShortcut]\r\nURL=http://example.com/caf\xe9\r\n", "http://example.com/caf\xc3\xa9"},
        {L"empty.url", "", ""},
        {L"旅行\\京都.url", "[InternetShortcut]\r\nURL=http://example.jp/kyoto\r\n", "http://example.jp/kyoto"},
        {L"旅行\\Москва.URL", "[InternetShortcut]\nURL=http://example.com/moscow", "http://example.com/moscow"},
        {longFolder + L"\\deep & down.url", "[InternetShortcut]\r\nURL=http://example.com/deep\r\n",
         "http://example.com/deep"},
    };
    folder.AddFolder(L"旅行");
    folder.AddFolder(longFolder);
    std::multiset<std::string> expected;
    for (const auto& shortcut : shortcuts) {
        folder.AddFile(shortcut.relative, shortcut.content);
        if (!shortcut.url.empty()) expected.insert("BSTR:" + shortcut.url);
    }
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    std::vector<MenuItem> items = OpenTestFolder(pFrame, folder);
    EXPECT_NE(FindItem(items, std::wstring(L"Projects ") + std::wstring(51, L'y')), nullptr);
    EXPECT_NE(FindItem(items, L"Tom && Jerry"), nullptr);
    std::vector<UINT> commands;
    CollectCommands(items, commands);

    std::multiset<std::string> reached;
    for (UINT nID : commands) {
        const int nBefore = control->CountCalls("Navigate2");
        pFrame->SendMessage(WM_COMMAND, nID, 0);
        if (control->CountCalls("Navigate2") == nBefore + 1) reached.insert(control->LastCall("Navigate2")->Arg("URL").value_or(""));
    }
    EXPECT_EQ(reached, expected);
}

TEST_F(FavoritesMenuTest, AFileOpensWithItsProgram)
{
    CTestFavoritesFolder folder;
    const std::wstring marker = folder.PathOf(L"opened.out");
    std::string markerA(marker.begin(), marker.end());
    folder.AddFile(L"Make marker.cmd", "@echo opened> \"" + markerA + "\"\r\n");
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::vector<MenuItem> items = OpenTestFolder(pFrame, folder);
    const MenuItem* pItem = FindItem(items, L"Make marker");
    ASSERT_NE(pItem, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    int nBefore = control->CountCalls("Navigate2");
    pFrame->SendMessage(WM_COMMAND, pItem->nID, 0);
    EXPECT_TRUE(PumpUntil([&] { return ::GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES; }, 15000));
    EXPECT_EQ(control->CountCalls("Navigate2"), nBefore);
}

TEST_F(FavoritesMenuTest, RefreshMakesTheNextOpeningInAnyWindowShowTheFolderAsItIsNow)
{
    CTestFavoritesFolder folder;
    folder.AddShortcut(L"First.url", "http://example.test/1");
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    ASSERT_EQ(OpenTestFolder(pFrame, folder).size(), 1u);
    folder.AddShortcut(L"Second.url", "http://example.test/2");
    // Loaded once: later openings show the same tree.
    ASSERT_EQ(OpenTestFolder(pFrame, folder).size(), 1u);
    pFrame->SendMessage(WM_COMMAND, ID_FAVORITES_REFRESH, 0);
    CBrowserFrame* pOther = OpenFrame();
    ASSERT_NE(pOther, nullptr);
    std::vector<MenuItem> items = OpenTestFolder(pOther, folder);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_NE(FindItem(items, L"Second"), nullptr);
    EXPECT_EQ(OpenTestFolder(pFrame, folder).size(), 2u);
}

// The menu as a split after every appended entry leaves it.
void AppendPerEntry(CBrowserFrame* pFrame, HMENU hMenu, const CFavoriteItem* pNode)
{
    for (INT_PTR i = 0; i < pNode->GetChildCount(); ++i) {
        const CFavoriteItem* pChild = pNode->GetChild(i);
        if (pChild->m_nKind == FAV_FOLDER) {
            HMENU hSub = ::CreatePopupMenu();
            AppendPerEntry(pFrame, hSub, pChild);
            if (::GetMenuItemCount(hSub) == 0) ::AppendMenuW(hSub, MF_DISABLED, ID_FAVORITES_EMPTY, L"none");
            ::AppendMenuW(hMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(hSub), pChild->m_strName);
        } else {
            CString strName = pChild->m_strName;
            ::AppendMenuW(hMenu, MF_STRING, ID_FAVORITE_FIRST + pChild->m_nIndex, strName.Left(strName.ReverseFind(L'.')));
            BreakMenuColumns(pFrame->m_hWnd, hMenu, -1);
        }
    }
}

std::string Dump(const std::vector<MenuItem>& items, int nDepth = 0)
{
    std::string out;
    for (const MenuItem& item : items) {
        out += std::string(static_cast<size_t>(nDepth) * 2, ' ') + std::to_string(item.nID) + " " +
               std::string(item.text.begin(), item.text.end()) + (item.bDisabled ? " disabled" : "") +
               (item.bBreak ? " break" : "") + (item.bPopup ? " popup" : "") + "\n";
        out += Dump(item.children, nDepth + 1);
    }
    return out;
}

size_t CountBreaks(const std::vector<MenuItem>& items)
{
    size_t n = 0;
    for (const MenuItem& item : items) n += (item.bBreak ? 1 : 0) + CountBreaks(item.children);
    return n;
}

TEST_F(FavoritesMenuTest, ColumnsAreThoseOfASplitAfterEveryEntry)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    struct Level {
        int nLinksBefore;
        int nFolders;
        int nLinksAfter;
    };
    // Tall levels, a level whose last entries are folders, folders only, a nested tall level.
    const struct {
        const char* name;
        std::vector<Level> levels;  // the root, then a folder inside the root's first folder, and so on
    } cases[] = {
        {"flat", {{150, 0, 0}}},
        {"folders last", {{90, 60, 0}}},
        {"folders only", {{0, 120, 0}}},
        {"nested", {{10, 5, 100}, {0, 2, 130}, {75, 0, 0}}},
    };
    for (const auto& c : cases) {
        CFavoriteItem root(L"FAVROOT", L"C:\\", FAV_ROOT);
        CFavoriteItem* pLevel = &root;
        for (const Level& level : c.levels) {
            CFavoriteItem* pFirstFolder = nullptr;
            for (int i = 0; i < level.nLinksBefore; ++i) pLevel->AddChild((L"Before " + std::to_wstring(i) + L".url").c_str(), L"u", FAV_LINK);
            for (int i = 0; i < level.nFolders; ++i) {
                CFavoriteItem* pFolder = pLevel->AddChild((L"Folder " + std::to_wstring(i)).c_str(), L"C:\\f\\", FAV_FOLDER);
                if (!pFirstFolder) pFirstFolder = pFolder;
            }
            for (int i = 0; i < level.nLinksAfter; ++i) pLevel->AddChild((L"After " + std::to_wstring(i) + L".url").c_str(), L"u", FAV_LINK);
            pLevel = pFirstFolder;
            if (!pLevel) break;
        }
        std::vector<CFavoriteItem*> flat;
        root.Flatten(flat);

        CMenuHandle hActual(::CreatePopupMenu());
        CFavoritesMenu(*pFrame).AppendFavoriteItems(hActual, &root);
        CMenuHandle hExpected(::CreatePopupMenu());
        AppendPerEntry(pFrame, hExpected, &root);
        std::vector<MenuItem> actual = ItemsOf(hActual);
        std::vector<MenuItem> expected = ItemsOf(hExpected);
        EXPECT_TRUE(actual == expected) << c.name << "\n" << Dump(actual) << "----\n" << Dump(expected);
        if (std::string(c.name) == "folders only") {
            EXPECT_EQ(CountBreaks(actual), 0u) << c.name;
        } else {
            EXPECT_GT(CountBreaks(actual), 0u) << c.name;
        }
    }
}

// The positions of the items that start a column.
std::vector<size_t> BreakPositions(const std::vector<MenuItem>& items)
{
    std::vector<size_t> positions;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].bBreak) positions.push_back(i);
    }
    return positions;
}

// One tall menu on the test session's screen (1280 x 1024, captions 19 high, menu items 20 high):
// rows = (1024 - 4 x 19) / 20 = 47 a column; the item at rows + 2 starts the second column, and
// every rows + 1 after it another, while what is left is taller than the screen allows.
TEST_F(FavoritesMenuTest, ATallMenuBreaksIntoColumnsAtPinnedPositions)
{
    ASSERT_EQ(::GetSystemMetrics(SM_CYSCREEN), 1024) << "the positions below are those of the test session's screen";
    ASSERT_EQ(::GetSystemMetrics(SM_CYCAPTION), 19);
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    CFavoriteItem root(L"FAVROOT", L"C:\\", FAV_ROOT);
    for (int i = 0; i < 150; ++i) root.AddChild((L"Link " + std::to_wstring(i) + L".url").c_str(), L"u", FAV_LINK);
    CMenuHandle hMenu(::CreatePopupMenu());
    CFavoritesMenu(*pFrame).AppendFavoriteItems(hMenu, &root);
    EXPECT_EQ(BreakPositions(ItemsOf(hMenu)), (std::vector<size_t>{49, 97, 145}));
}

// What the frame draws for a menu item's image area, as the menu asks for it, in a 16 x 16 picture over magenta.
std::vector<COLORREF> DrawnImage(CBrowserFrame* pFrame, HMENU hMenu, UINT nItemID)
{
    CMemDCHandle dc(::CreateCompatibleDC(nullptr));
    CBitmapHandle bitmap(::CreateCompatibleBitmap(CClientDC(pFrame->m_hWnd), 16, 16));
    if (!dc || !bitmap) return {};
    CSelectObject select(dc, bitmap);
    RECT rect{0, 0, 16, 16};
    CHandleT<afx_handles::GdiTraits<HBRUSH>> brush(::CreateSolidBrush(RGB(255, 0, 255)));
    ::FillRect(dc, &rect, brush);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemID = nItemID;
    draw.hwndItem = reinterpret_cast<HWND>(hMenu);
    draw.hDC = dc;
    draw.rcItem = RECT{-4, -4, 20, 20};  // a 16 x 16 image centred in it starts at 0, 0
    pFrame->SendMessage(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) pixels.push_back(::GetPixel(dc, x, y));
    }
    return pixels;
}

// Points the user's favorites folder at a folder that does not exist, for the test's length.
class MissingFavoritesFolder {
public:
    MissingFavoritesFolder()
    {
        m_value.SetString(L"C:\\no-such-favorites-" + std::to_wstring(::GetCurrentProcessId()));
    }

private:
    CScopedRegistryValue m_value{HKEY_CURRENT_USER,
                                 L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                                 L"Favorites"};
};

TEST_F(FavoritesMenuTest, WithoutAFavoritesFolderThePopupHoldsOnlyItsFirstTwoItems)
{
    CTestFavoritesFolder folder;
    folder.AddShortcut(L"Before.url", "http://example.test/before");
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    ASSERT_EQ(OpenTestFolder(pFrame, folder).size(), 1u);
    // Refreshed after the folder went away, the menu shows nothing of what was loaded before.
    pFrame->SendMessage(WM_COMMAND, ID_FAVORITES_REFRESH, 0);
    std::vector<MenuItem> items;
    {
        MissingFavoritesFolder missing;
        wchar_t szPath[MAX_PATH] = {};
        ASSERT_FALSE(::SHGetSpecialFolderPathW(nullptr, szPath, CSIDL_FAVORITES, FALSE)) << szPath;
        items = OpenFavorites(pFrame);
    }
    ASSERT_EQ(items.size(), 2u) << Dump(items);
    EXPECT_EQ(items[0].nID, static_cast<UINT>(ID_FAVORITES_REFRESH));
    EXPECT_EQ(items[1].nID, 0u);
    EXPECT_EQ(theApp.m_favorites.GetItem(1), nullptr);
}

// An empty folder's item speaks the language the resources are looked up in.
TEST_F(FavoritesMenuTest, AnEmptyFolderSaysNoneInTheUsersLanguage)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    CFavoriteItem root(L"FAVROOT", L"C:\\", FAV_ROOT);
    root.AddChild(L"Empty", L"C:\\Empty", FAV_FOLDER);
    const LCID lcidSaved = ::GetThreadLocale();
    const struct {
        LANGID language;
        const wchar_t* pszNone;
    } cases[] = {
        {MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), L"なし"},
        {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), L"none"},
    };
    for (const auto& c : cases) {
        ::SetThreadLocale(MAKELCID(c.language, SORT_DEFAULT));
        CMenuHandle hMenu(::CreatePopupMenu());
        CFavoritesMenu(*pFrame).AppendFavoriteItems(hMenu, &root);
        std::vector<MenuItem> items = ItemsOf(hMenu);
        ::SetThreadLocale(lcidSaved);
        ASSERT_EQ(items.size(), 1u) << c.language;
        ASSERT_EQ(items[0].children.size(), 1u) << c.language;
        EXPECT_EQ(items[0].children[0].text, c.pszNone) << c.language;
        EXPECT_EQ(items[0].children[0].nID, static_cast<UINT>(ID_FAVORITES_EMPTY)) << c.language;
        EXPECT_TRUE(items[0].children[0].bDisabled) << c.language;
    }
}

TEST_F(FavoritesMenuTest, EntriesGetTheWebPageImageAndFavoritesFoldersTheFolderImage)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    // Built as the frame builds it, then imported into the popup that opens, as the menu bar does.
    CMenuHandle hBuilt(::CreatePopupMenu());
    HMENU hPopup = hBuilt;
    ::AppendMenuW(hPopup, MF_STRING, ID_FAVORITES_REFRESH, L"&Refresh Favorites");
    ::AppendMenuW(hPopup, MF_STRING, ID_FAVORITE_FIRST + 3, L"Entry");
    ::AppendMenuW(hPopup, MF_STRING, ID_FAVORITE_LAST, L"Last entry");
    ::AppendMenuW(hPopup, MF_STRING, ID_FAVORITE_LAST + 1, L"Past the last");
    HMENU hFolder = ::CreatePopupMenu();
    ::AppendMenuW(hFolder, MF_STRING, ID_FAVORITE_FIRST + 4, L"Inside");
    ::AppendMenuW(hPopup, MF_POPUP, reinterpret_cast<UINT_PTR>(hFolder), L"Folder");
    HMENU hEmpty = ::CreatePopupMenu();
    ::AppendMenuW(hEmpty, MF_DISABLED, ID_FAVORITES_EMPTY, L"none");
    ::AppendMenuW(hPopup, MF_POPUP, reinterpret_cast<UINT_PTR>(hEmpty), L"Empty folder");
    HMENU hOuter = ::CreatePopupMenu();
    HMENU hInner = ::CreatePopupMenu();
    ::AppendMenuW(hInner, MF_DISABLED, ID_FAVORITES_EMPTY, L"none");
    ::AppendMenuW(hOuter, MF_POPUP, reinterpret_cast<UINT_PTR>(hInner), L"Inner");
    ::AppendMenuW(hPopup, MF_POPUP, reinterpret_cast<UINT_PTR>(hOuter), L"Outer");
    HMENU hTextSize = ::CreatePopupMenu();
    ::AppendMenuW(hTextSize, MF_STRING, ID_TEXTSIZE_LARGEST, L"Largest");
    ::AppendMenuW(hPopup, MF_POPUP, reinterpret_cast<UINT_PTR>(hTextSize), L"Te&xt Size");
    ::AppendMenuW(hPopup, MF_DISABLED, ID_FAVORITES_EMPTY, L"none");
    CMenuHandle hOpened(::CreatePopupMenu());
    ASSERT_TRUE(CMFCPopupMenuBar(hOpened).ImportFromMenu(hBuilt));
    hBuilt.Reset();

    const std::vector<COLORREF> nothing(256, RGB(255, 0, 255));
    const std::vector<COLORREF> webPage = ImagePixels(theApp.m_imageList.GetSafeHandle(), 3);
    const std::vector<COLORREF> folder = ImagePixels(theApp.m_imageList.GetSafeHandle(), 0);
    ASSERT_NE(webPage, nothing);
    ASSERT_NE(folder, nothing);
    ASSERT_NE(folder, webPage);
    // The id the menu hands to WM_DRAWITEM is the item's own.
    auto idAt = [&](int nPosition) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID;
        ::GetMenuItemInfoW(hOpened, static_cast<UINT>(nPosition), TRUE, &info);
        return info.wID;
    };
    const struct {
        const char* name;
        int nPosition;
        const std::vector<COLORREF>& expected;
    } cases[] = {
        {"refresh", 0, nothing},
        {"entry", 1, webPage},
        {"last entry", 2, webPage},
        {"past the last", 3, nothing},
        {"folder", 4, folder},
        {"empty folder", 5, folder},
        {"folder holding an empty folder", 6, folder},
        {"text size", 7, nothing},
        {"none", 8, nothing},
    };
    ASSERT_EQ(::GetMenuItemCount(hOpened), static_cast<int>(std::size(cases)));
    for (const auto& c : cases) EXPECT_TRUE(DrawnImage(pFrame, hOpened, idAt(c.nPosition)) == c.expected) << c.name;
}


// Where a command sent to the frame takes its view: the URL of its one navigation, "" for none.
std::string NavigationOf(CBrowserFrame* pFrame, StandInControl& control, UINT nID)
{
    control.ClearCalls();
    pFrame->SendMessage(WM_COMMAND, nID, 0);
    const int nCalls = control.CountCalls("Navigate2");
    if (nCalls != 1) return nCalls == 0 ? "" : std::to_string(nCalls) + " navigations";
    return control.LastCall("Navigate2")->Arg("URL").value_or("no URL");
}

// The captions of a menu's items, in order.
std::vector<std::wstring> Captions(const std::vector<MenuItem>& items)
{
    std::vector<std::wstring> captions;
    for (const MenuItem& item : items) captions.push_back(item.text);
    return captions;
}

// Opened from the real menu bar by click, by Alt and its letter, and again by moving sideways to the
// next menu and back: every opening reaches the hook with the placeholder and shows the tree as it is.
TEST_F(FavoritesMenuTest, EveryOpeningFromTheMenuBarIsBuiltFromTheTreeAsItIsThen)
{
    CTestFavoritesFolder folder;
    folder.AddShortcut(L"A Site.url", "http://example.test/a");
    folder.AddShortcut(L"B Site.url", "http://example.test/b");
    auto* pFrame = OpenFrame<CPlaceholderRecordingFrame>();
    ASSERT_NE(pFrame, nullptr);
    CMFCMenuBar& bar = pFrame->m_wndMenuBar;
    std::vector<std::vector<MenuItem>> seen;  // the test folder's items at each opening
    auto readFavorites = [&](const std::vector<HMENU>& open) {
        if (!IsButtonPressed(bar, kFavoritesMenu)) return false;
        seen.push_back(TestFolderIn(ItemsOf(open.back()), folder));
        return true;
    };

    {
        MenuScript script({readFavorites});
        ClickMenuButton(bar, kFavoritesMenu);
        EXPECT_TRUE(script.Finished());
    }
    folder.AddShortcut(L"C New.url", "http://example.test/c");
    pFrame->SendMessage(WM_COMMAND, ID_FAVORITES_REFRESH, 0);
    {
        MenuScript script({readFavorites,
                           [&](const std::vector<HMENU>&) {
                               pFrame->PostMessage(WM_KEYDOWN, VK_RIGHT, 0);
                               return true;
                           },
                           [&](const std::vector<HMENU>&) {
                               if (!IsButtonPressed(bar, kFavoritesMenu + 1)) return false;
                               pFrame->PostMessage(WM_KEYDOWN, VK_LEFT, 0);
                               return true;
                           },
                           readFavorites});
        bar.OnMenuKey(L'a');
        EXPECT_TRUE(script.Finished());
    }
    const std::vector<std::wstring> before{L"A Site", L"B Site"}, after{L"A Site", L"B Site", L"C New"};
    ASSERT_EQ(seen.size(), 3u);
    auto sorted = [](std::vector<std::wstring> captions) {
        std::sort(captions.begin(), captions.end());
        return captions;
    };
    EXPECT_EQ(sorted(Captions(seen[0])), before);
    EXPECT_EQ(sorted(Captions(seen[1])), after) << "the second opening, after Refresh Favorites";
    EXPECT_EQ(sorted(Captions(seen[2])), after) << "the third opening, back from the next menu";
    // Every opening of Favorites came to the hook with its placeholder; the Tools menu without.
    EXPECT_EQ(pFrame->placeholderSeen, (std::vector<bool>{true, true, false, true}));
    // The template the openings start from keeps its placeholder.
    CMFCPopupMenuBar templateBar(::GetSubMenu(bar.GetHMenu(), kFavoritesMenu));
    EXPECT_EQ(templateBar.CommandToIndex(ID_FAVORITES_PLACEHOLDER), 2);

    // What the third opening shows is what its commands open.
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    const MenuItem* pNew = FindItem(seen[2], L"C New");
    ASSERT_NE(pNew, nullptr);
    EXPECT_EQ(NavigationOf(pFrame, *control, pNew->nID), "BSTR:http://example.test/c");
}

// A window whose menu was built before another window reloaded the tree sends numbers that the new
// tree may give to other entries: such a command does nothing, until the window's menu opens again.
TEST_F(FavoritesMenuTest, ACommandFromAMenuBuiltBeforeTheTreeWasReloadedDoesNothing)
{
    CTestFavoritesFolder folder;
    folder.AddShortcut(L"A Site.url", "http://example.test/a");
    folder.AddShortcut(L"B Site.url", "http://example.test/b");
    CBrowserFrame* pFirst = OpenFrame();
    ASSERT_NE(pFirst, nullptr);
    std::shared_ptr<StandInControl> firstControl = m_pFactory->Last();
    CBrowserFrame* pSecond = OpenFrame();
    ASSERT_NE(pSecond, nullptr);
    std::shared_ptr<StandInControl> secondControl = m_pFactory->Last();

    const MenuItem* pB = nullptr;
    std::vector<MenuItem> firstItems = OpenTestFolder(pFirst, folder);
    pB = FindItem(firstItems, L"B Site");
    ASSERT_NE(pB, nullptr);
    const UINT nStale = pB->nID;

    folder.AddShortcut(L"0 Ahead.url", "http://example.test/ahead");
    folder.AddShortcut(L"A2 Ahead.url", "http://example.test/ahead2");
    pSecond->SendMessage(WM_COMMAND, ID_FAVORITES_REFRESH, 0);
    std::vector<MenuItem> secondItems = OpenTestFolder(pSecond, folder);
    ASSERT_EQ(secondItems.size(), 4u);

    EXPECT_EQ(NavigationOf(pFirst, *firstControl, nStale), "") << "the number now names another entry";

    // The second window's menu is of the new tree: its commands open what it shows.
    const MenuItem* pNewB = FindItem(secondItems, L"B Site");
    ASSERT_NE(pNewB, nullptr);
    EXPECT_EQ(NavigationOf(pSecond, *secondControl, pNewB->nID), "BSTR:http://example.test/b");

    // Opened again, the first window's menu is of the new tree too.
    firstItems = OpenTestFolder(pFirst, folder);
    pB = FindItem(firstItems, L"B Site");
    ASSERT_NE(pB, nullptr);
    EXPECT_EQ(NavigationOf(pFirst, *firstControl, pB->nID), "BSTR:http://example.test/b");
}

// In a window too narrow for every menu, the hidden ones open from the chevron: Favorites is built
// there at every opening, and the Edit items are brought up to date as from the bar.
TEST_F(FavoritesMenuTest, MenusOpenedFromTheChevronAreBuiltAndUpdatedAsFromTheBar)
{
    CTestFavoritesFolder folder;
    folder.AddShortcut(L"A Site.url", "http://example.test/a");
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    CMFCMenuBar& bar = pFrame->m_wndMenuBar;
    // Narrower than any window can be made: the bar keeps only its chevron.
    RECT rectBar{};
    bar.GetClientRect(&rectBar);
    bar.SetWindowPos(nullptr, 0, 0, 30, rectBar.bottom, SWP_NOMOVE | SWP_NOZORDER);
    for (int i = 1; i < 6; ++i) {
        ASSERT_TRUE(bar.SendMessage(TB_ISBUTTONHIDDEN, static_cast<WPARAM>(i + 1))) << "menu " << i << " on the bar";
    }
    bar.GetClientRect(&rectBar);

    std::vector<std::vector<MenuItem>> favorites;
    std::vector<MenuItem> edit;
    auto openSubMenu = [&](wchar_t chMnemonic) {
        return [&, chMnemonic](const std::vector<HMENU>& open) {
            if (open.size() != 1) return false;  // the chevron's popup alone
            pFrame->PostMessage(WM_CHAR, chMnemonic, 0);
            return true;
        };
    };
    auto readFavorites = [&](const std::vector<HMENU>& open) {
        if (open.size() != 2) return false;
        favorites.push_back(TestFolderIn(ItemsOf(open.front()), folder));
        pFrame->PostMessage(WM_KEYDOWN, VK_LEFT, 0);  // back to the chevron's popup
        return true;
    };
    MenuScript script({openSubMenu(L'a'), readFavorites, openSubMenu(L'a'), readFavorites, openSubMenu(L'e'),
                       [&](const std::vector<HMENU>& open) {
                           if (open.size() != 2) return false;
                           edit = ItemsOf(open.front());
                           return true;
                       }});
    bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rectBar.right - 8, (rectBar.top + rectBar.bottom) / 2));
    EXPECT_TRUE(script.Finished());
    ASSERT_EQ(favorites.size(), 2u);
    for (const auto& items : favorites) EXPECT_EQ(Captions(items), std::vector<std::wstring>{L"A Site"});
    ASSERT_FALSE(edit.empty());
    EXPECT_EQ(edit[0].nID, static_cast<UINT>(ID_PAGE_CUT));
    // The focus is in no edit box: Cut is disabled, as the view's update handler says.
    EXPECT_TRUE(edit[0].bDisabled);
}

// A frame that keeps the sub-menu each drawn menu image's button stands for.
class CDrawRecordingFrame : public CBrowserFrame {
public:
    std::vector<HMENU> drawnSubMenus;
    BOOL OnDrawMenuImage(CDC* pDC, const CMFCToolBarMenuButton* pMenuButton, const RECT& rectImage) override
    {
        drawnSubMenus.push_back(pMenuButton ? pMenuButton->GetSubMenu() : nullptr);
        return CBrowserFrame::OnDrawMenuImage(pDC, pMenuButton, rectImage);
    }
};

// Drawn at every hover, a folder item's image is worked out from its sub-menu where it is, not from a copy.
TEST_F(FavoritesMenuTest, AFolderImageIsDrawnFromTheFoldersOwnMenu)
{
    auto* pFrame = OpenFrame<CDrawRecordingFrame>();
    ASSERT_NE(pFrame, nullptr);
    CMenuHandle hMenu(::CreatePopupMenu());
    HMENU hFolder = ::CreatePopupMenu();
    ::AppendMenuW(hFolder, MF_STRING, ID_FAVORITE_FIRST + 2, L"Inside");
    ::AppendMenuW(hMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(hFolder), L"Folder");
    const std::vector<COLORREF> folderImage = ImagePixels(theApp.m_imageList.GetSafeHandle(), 0);
    EXPECT_TRUE(DrawnImage(pFrame, hMenu, static_cast<UINT>(reinterpret_cast<UINT_PTR>(hFolder))) == folderImage);
    EXPECT_EQ(pFrame->drawnSubMenus, std::vector<HMENU>{hFolder});
}

}  // namespace
