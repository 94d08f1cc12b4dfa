#include "support/hosted_view_fixture.h"
#include "frame/menu_columns.h"
#include "res/resource.h"
#include "support/menu_items.h"
#include "support/message_pump.h"

#include <string>
#include <vector>

namespace {

std::vector<StandInTravelEntry> Pages(const wchar_t* pszPrefix, int nCount)
{
    std::vector<StandInTravelEntry> pages;
    for (int i = 1; i <= nCount; ++i) {
        std::wstring n = std::to_wstring(i);
        pages.push_back({pszPrefix + n, L"http://example.test/" + std::wstring(pszPrefix) + n});
    }
    return pages;
}

using HistoryMenuTest = HostedViewTest;

// A drop-down as its toolbar button opens it: a fresh copy of the button's items, through the frame's hook.
HMENU OpenDropDown(CBrowserFrame* pFrame, UINT nButton)
{
    const CMFCToolBarMenuButton* pButton = pFrame->m_wndToolBar.GetMenuButton(pFrame->m_wndToolBar.CommandToIndex(nButton));
    if (!pButton) return nullptr;
    HMENU hPopup = ::CreatePopupMenu();
    CMFCPopupMenuBar::AppendCopies(hPopup, pButton->m_hMenu);
    CMFCPopupMenu popup(hPopup);
    EXPECT_TRUE(pFrame->OnShowPopupMenu(&popup));
    pFrame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hPopup), 0);  // update-UI as when it opens
    return hPopup;
}

TEST_F(HistoryMenuTest, DropDownsListTheTravelLogNearestFirstWithinTheirLimits)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    std::vector<StandInTravelEntry> back = Pages(L"Back ", 20);
    back[1].strTitle = std::wstring(100, L'x');
    back[2].strTitle = L"Q&A";
    back[3].strTitle = L"";
    // A character outside the basic plane across the cut goes whole: 79 letters and no half pair.
    back[4].strTitle = std::wstring(79, L'y') + L"\xD83D\xDE00 and more";
    back[5].hrTitle = E_FAIL;  // unreadable: an empty item, and the list goes on
    control->SetTravelLog(back, Pages(L"Forward ", 30));

    struct Case {
        const char* name;
        UINT nButton;
        UINT nFirst;
        size_t nItems;
    };
    const Case cases[] = {{"Back", ID_GO_BACK, ID_BACK_HISTORY_FIRST, 15}, {"Forward", ID_GO_FORWARD, ID_FORWARD_HISTORY_FIRST, 25}};
    for (const Case& c : cases) {
        HMENU hPopup = OpenDropDown(pFrame, c.nButton);
        ASSERT_NE(hPopup, nullptr) << c.name;
        std::vector<MenuItem> items = ItemsOf(hPopup);
        ASSERT_EQ(items.size(), c.nItems) << c.name;
        for (size_t i = 0; i < items.size(); ++i) {
            EXPECT_EQ(items[i].nID, c.nFirst + i) << c.name << i;
            EXPECT_FALSE(items[i].bDisabled) << c.name << i;
            EXPECT_FALSE(items[i].bBreak) << c.name << i;  // a short list stays one column
        }
        if (c.nButton == ID_GO_BACK) {
            EXPECT_EQ(items[0].text, L"Back 1");
            EXPECT_EQ(items[1].text, std::wstring(80, L'x'));
            EXPECT_EQ(items[2].text, L"Q&&A");  // shows as Q&A, no mnemonic
            EXPECT_EQ(items[3].text, L"");
            EXPECT_EQ(items[4].text, std::wstring(79, L'y'));
            EXPECT_EQ(items[5].text, L"");
            EXPECT_EQ(items[6].text, L"Back 7");
            EXPECT_EQ(items[14].text, L"Back 15");
        } else {
            EXPECT_EQ(items[0].text, L"Forward 1");
            EXPECT_EQ(items[24].text, L"Forward 25");
        }
        ::DestroyMenu(hPopup);
    }
    EXPECT_EQ(control->CountCalls("GoBack") + control->CountCalls("GoForward"), 0);
}

TEST_F(HistoryMenuTest, ChoosingAnEntryTravelsThatManyPages)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    struct Case {
        const char* name;
        UINT nID;
        const char* method;
        int nCalls;
        const wchar_t* landing;
    };
    const Case cases[] = {
        {"third Back entry", ID_BACK_HISTORY_FIRST + 2, "GoBack", 3, L"http://example.test/Back 3"},
        {"last Back entry", ID_BACK_HISTORY_LAST, "GoBack", 15, L"http://example.test/Back 15"},
        {"first Forward entry", ID_FORWARD_HISTORY_FIRST, "GoForward", 1, L"http://example.test/Forward 1"},
        {"last Forward entry", ID_FORWARD_HISTORY_LAST, "GoForward", 25, L"http://example.test/Forward 25"},
    };
    for (const Case& c : cases) {
        control->SetLocationURL(L"http://example.test/here");
        control->SetTravelLog(Pages(L"Back ", 20), Pages(L"Forward ", 30));
        control->ClearCalls();
        pFrame->SendMessage(WM_COMMAND, MAKEWPARAM(c.nID, 0), 0);
        EXPECT_EQ(control->CountCalls(c.method), c.nCalls) << c.name;
        EXPECT_EQ(control->CountCalls("GoBack") + control->CountCalls("GoForward"), c.nCalls) << c.name;
        EXPECT_EQ(control->Config().strLocationURL, c.landing) << c.name;
    }
}

TEST_F(HistoryMenuTest, WithoutATravelLogThePlaceholdersStayAndWork)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    control->SetTravelLogOffered(false);  // as Wine's control
    HMENU hPopup = OpenDropDown(pFrame, ID_GO_BACK);
    ASSERT_NE(hPopup, nullptr);
    std::vector<MenuItem> expected;
    for (UINT i = 0; i < 5; ++i) expected.push_back({ID_BACK_HISTORY_FIRST + i, L"BACK" + std::to_wstring(i + 1), false, false});
    EXPECT_EQ(ItemsOf(hPopup), expected);
    ::DestroyMenu(hPopup);
    hPopup = OpenDropDown(pFrame, ID_GO_FORWARD);
    ASSERT_NE(hPopup, nullptr);
    std::vector<MenuItem> items = ItemsOf(hPopup);
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[4], (MenuItem{ID_FORWARD_HISTORY_FIRST + 4, L"FORWARD5", false, false}));
    ::DestroyMenu(hPopup);

    control->ClearCalls();
    pFrame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_BACK_HISTORY_FIRST + 2, 0), 0);  // "BACK3"
    EXPECT_EQ(control->CountCalls("GoBack"), 3);

    // A travel log with nothing in that direction leaves the drop-down empty.
    control->SetTravelLogOffered(true);
    control->SetTravelLog({}, {});
    hPopup = OpenDropDown(pFrame, ID_GO_BACK);
    EXPECT_EQ(::GetMenuItemCount(hPopup), 0);
    ::DestroyMenu(hPopup);
}

// What the column split of an over-tall popup measures: the menu font's line and the screen less four captions.
struct MenuGeometry {
    int nItemHeight;
    int nRows;
};

MenuGeometry MeasureMenu()
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    HFONT hFont = ::CreateFontIndirectW(&metrics.lfMenuFont);
    HDC hDC = ::GetDC(nullptr);
    HGDIOBJ hOld = ::SelectObject(hDC, hFont);
    SIZE size{};
    ::GetTextExtentPoint32W(hDC, L"Texthgp", 7, &size);
    ::SelectObject(hDC, hOld);
    ::ReleaseDC(nullptr, hDC);
    ::DeleteObject(hFont);
    int nItemHeight = std::max<int>(size.cy + 4, 20);
    int nUsable = ::GetSystemMetrics(SM_CYSCREEN) - 4 * ::GetSystemMetrics(SM_CYCAPTION);
    return {nItemHeight, nUsable / nItemHeight};
}

std::vector<int> BreakPositions(HMENU hMenu)
{
    std::vector<int> positions;
    std::vector<MenuItem> items = ItemsOf(hMenu);
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].bBreak) positions.push_back(static_cast<int>(i));
    }
    return positions;
}

// While it lives, menus use a font this many pixels high (not saved for later sessions).
class ScopedMenuFontHeight {
public:
    explicit ScopedMenuFontHeight(LONG nHeight)
    {
        m_saved.cbSize = sizeof(m_saved);
        m_bSaved = ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(m_saved), &m_saved, 0) != FALSE;
        NONCLIENTMETRICSW metrics = m_saved;
        metrics.lfMenuFont.lfHeight = -nHeight;
        if (m_bSaved) ::SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    }
    ~ScopedMenuFontHeight()
    {
        if (m_bSaved) ::SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof(m_saved), &m_saved, 0);
    }
    ScopedMenuFontHeight(const ScopedMenuFontHeight&) = delete;
    ScopedMenuFontHeight& operator=(const ScopedMenuFontHeight&) = delete;

private:
    NONCLIENTMETRICSW m_saved{};
    bool m_bSaved = false;
};

TEST_F(HistoryMenuTest, ADropDownTallerThanTheScreenBreaksIntoColumns)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    control->SetTravelLog(Pages(L"Back ", 20), Pages(L"Forward ", 30));
    // Items a tenth of the screen high: the 25 of the Forward list cannot stand in one column.
    ScopedMenuFontHeight font(::GetSystemMetrics(SM_CYSCREEN) / 10);
    const MenuGeometry geometry = MeasureMenu();
    const int r = geometry.nRows;
    ASSERT_LT(r + 2, 25) << "item height " << geometry.nItemHeight;
    HMENU hPopup = OpenDropDown(pFrame, ID_GO_FORWARD);
    ASSERT_NE(hPopup, nullptr);
    EXPECT_EQ(::GetMenuItemCount(hPopup), 25);
    std::vector<int> breaks = BreakPositions(hPopup);
    ASSERT_FALSE(breaks.empty()) << "rows " << r;
    EXPECT_EQ(breaks[0], r + 2);
    for (size_t i = 1; i < breaks.size(); ++i) EXPECT_EQ(breaks[i] - breaks[i - 1], r + 1) << i;
    ::DestroyMenu(hPopup);
}

TEST_F(HistoryMenuTest, OverTallPopupsBreakIntoColumnsAtFixedPositions)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    const MenuGeometry geometry = MeasureMenu();
    const int r = geometry.nRows;
    ASSERT_GT(r, 5);
    struct Case {
        const char* name;
        int nItems;
        std::vector<int> breaks;
    };
    const Case cases[] = {
        {"fits the screen", r + 1, {}},
        {"one more than fits, all in the first column", r + 2, {}},
        {"two columns", r + 3, {r + 2}},
        {"three columns", 2 * r + 4, {r + 2, 2 * r + 3}},
        {"four columns, the last one short", 3 * r + 5, {r + 2, 2 * r + 3, 3 * r + 4}},
    };
    for (const Case& c : cases) {
        HMENU hMenu = ::CreatePopupMenu();
        HMENU hSub = ::CreatePopupMenu();
        ::AppendMenuW(hSub, MF_STRING, 1, L"inner");
        for (int i = 0; i < c.nItems; ++i) {
            std::wstring text = L"item " + std::to_wstring(i);
            if (i == r + 2) ::AppendMenuW(hMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(hSub), L"folder");
            else ::AppendMenuW(hMenu, MF_STRING, static_cast<UINT_PTR>(100 + i), text.c_str());
        }
        if (c.nItems <= r + 2) ::DestroyMenu(hSub);
        BreakMenuColumns(pFrame->m_hWnd, hMenu, -1);
        EXPECT_EQ(BreakPositions(hMenu), c.breaks) << c.name << " (rows " << r << ")";
        BreakMenuColumns(pFrame->m_hWnd, hMenu, -1);  // again: the same positions
        EXPECT_EQ(BreakPositions(hMenu), c.breaks) << c.name;
        if (!c.breaks.empty()) {
            // The break keeps the item what it was: here the folder with its sub-menu.
            EXPECT_EQ(::GetSubMenu(hMenu, r + 2), hSub) << c.name;
            EXPECT_TRUE(::IsMenu(hSub)) << c.name;
            wchar_t szText[32] = {};
            ::GetMenuStringW(hMenu, static_cast<UINT>(c.breaks.back()), szText, 32, MF_BYPOSITION);
            EXPECT_EQ(std::wstring(szText), c.breaks.back() == r + 2 ? L"folder" : L"item " + std::to_wstring(c.breaks.back()));
            EXPECT_EQ(::GetMenuItemID(hMenu, c.breaks.back()),
                      c.breaks.back() == r + 2 ? static_cast<UINT>(-1) : static_cast<UINT>(100 + c.breaks.back()));
        }
        ::DestroyMenu(hMenu);
    }
}

}  // namespace
