#include <gtest/gtest.h>

#include "framework/afx.h"
#include "support/icon_pixels.h"
#include "support/message_pump.h"

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

constexpr UINT kIdIcon = 1250;
constexpr UINT kIdProgress = 1251;
constexpr UINT kIdZone = 1252;
constexpr UINT kIdLast = 1253;
constexpr UINT kIdWithoutString = 7777;
constexpr UINT kBrowserIndicators[] = {kIdIcon, ID_SEPARATOR, kIdProgress, ID_SEPARATOR, kIdZone, kIdLast};
constexpr int kIconSize = 16;
constexpr int kProgressWidth = 80;
constexpr int kZoneWidth = 170;

std::vector<int> GetParts(HWND hBar)
{
    std::vector<int> edges(static_cast<size_t>(::SendMessageW(hBar, SB_GETPARTS, 0, 0)));
    ::SendMessageW(hBar, SB_GETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    return edges;
}

std::vector<int> GetPartWidths(HWND hBar)
{
    std::vector<int> edges = GetParts(hBar);
    std::vector<int> widths;
    for (size_t i = 0; i < edges.size(); ++i) widths.push_back(edges[i] - (i ? edges[i - 1] : 0));
    return widths;
}

std::wstring GetPartText(HWND hBar, int nPart)
{
    std::wstring text(LOWORD(::SendMessageW(hBar, SB_GETTEXTLENGTHW, nPart, 0)), L'\0');
    ::SendMessageW(hBar, SB_GETTEXTW, nPart, reinterpret_cast<LPARAM>(text.data()));
    return text;
}

UINT GetPartType(HWND hBar, int nPart)
{
    return HIWORD(::SendMessageW(hBar, SB_GETTEXTLENGTHW, nPart, 0));
}

HICON GetPartIcon(HWND hBar, int nPart)
{
    return reinterpret_cast<HICON>(::SendMessageW(hBar, SB_GETICON, nPart, 0));
}

bool IsLiveIcon(HICON hIcon)
{
    ICONINFO info{};
    if (!::GetIconInfo(hIcon, &info)) return false;
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    if (info.hbmMask) ::DeleteObject(info.hbmMask);
    return true;
}

int GetClientWidth(HWND hWnd)
{
    RECT rect{};
    ::GetClientRect(hWnd, &rect);
    return rect.right;
}

// A browser-like frame with the status bar along its bottom, panes set up as the browser frame sets them.
class StatusBarTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_hIcon = static_cast<HICON>(
            ::CopyImage(::LoadIconW(nullptr, IDI_APPLICATION), IMAGE_ICON, kIconSize, kIconSize, 0));
        ASSERT_NE(m_hIcon, nullptr);
        m_pFrame = new CFrameWndEx;
        ASSERT_TRUE(m_pFrame->CreateEx(0, nullptr, L"status bar test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800,
                                       300, nullptr, nullptr));
        ASSERT_TRUE(m_bar.Create(m_pFrame));
        ASSERT_TRUE(m_bar.SetIndicators(kBrowserIndicators, 6));
        m_bar.SetPaneStyle(0, SBPS_NOBORDERS);
        m_bar.SetPaneIcon(0, m_hIcon);
        m_bar.SetPaneText(0, nullptr);
        m_bar.SetPaneWidth(0, 0);
        m_bar.SetPaneStyle(1, SBPS_STRETCH | SBPS_NOBORDERS);
        m_bar.SetPaneIcon(3, m_hIcon);
        m_bar.SetPaneText(3, nullptr);
        m_bar.SetPaneWidth(3, 0);
        m_bar.SetPaneIcon(4, m_hIcon);
        m_bar.SetPaneText(4, nullptr);
        m_bar.SetPaneWidth(4, kZoneWidth);
        m_bar.SetPaneStyle(4, SBPS_STRETCH | SBPS_NOBORDERS);
        m_bar.SetPaneWidth(2, kProgressWidth);
    }
    void TearDown() override
    {
        if (m_pFrame && ::IsWindow(m_pFrame->m_hWnd)) m_pFrame->DestroyWindow();
        if (m_hIcon) ::DestroyIcon(m_hIcon);
    }

    // Sizes the frame's client area and lays the bar along its bottom, as a frame's layout does.
    void ResizeFrame(int cxClient)
    {
        RECT rect{0, 0, cxClient, 200};
        ::AdjustWindowRectEx(&rect, static_cast<DWORD>(m_pFrame->GetStyle()), FALSE, m_pFrame->GetExStyle());
        m_pFrame->MoveWindow(0, 0, rect.right - rect.left, rect.bottom - rect.top);
        RECT rcClient{};
        m_pFrame->GetClientRect(&rcClient);
        const int cyBar = m_bar.CalcFixedLayout(TRUE, TRUE).cy;
        m_bar.MoveWindow(0, rcClient.bottom - cyBar, rcClient.right, cyBar);
    }

    HICON m_hIcon = nullptr;
    CFrameWndEx* m_pFrame = nullptr;  // deletes itself with its window
    CMFCStatusBar m_bar;
};

TEST_F(StatusBarTest, IsTheCommonControlWithBarStylesKeptOutOfTheWindow)
{
    wchar_t szClass[64] = {};
    ::GetClassNameW(m_bar.m_hWnd, szClass, 64);
    EXPECT_STREQ(szClass, STATUSCLASSNAMEW);
    EXPECT_EQ(m_bar.GetDlgCtrlID(), AFX_IDW_STATUS_BAR);
    EXPECT_EQ(m_bar.GetParent(), m_pFrame);
    EXPECT_EQ(m_bar.GetStyle() & (WS_CHILD | WS_VISIBLE), static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(m_bar.GetStyle() & CBRS_BOTTOM, 0u);
    EXPECT_EQ(m_bar.GetPaneStyle(), static_cast<DWORD>(CBRS_BOTTOM));
    EXPECT_EQ(m_bar.GetCurrentAlignment(), static_cast<DWORD>(CBRS_ALIGN_BOTTOM));

    RECT rect{};
    m_bar.GetWindowRect(&rect);
    EXPECT_GT(rect.bottom - rect.top, 0);
    EXPECT_EQ(m_bar.CalcFixedLayout(TRUE, TRUE).cy, rect.bottom - rect.top);
}

TEST_F(StatusBarTest, BrowserPanesReachTheControl)
{
    struct Row {
        const char* name;
        UINT nID;
        UINT nStyle;
        bool bIcon;
        const wchar_t* pszText;
    };
    const Row rows[] = {
        {"security icon", kIdIcon, SBPS_NOBORDERS, true, L""},
        {"page status", ID_SEPARATOR, SBPS_STRETCH | SBPS_NOBORDERS, false, L""},
        {"progress", kIdProgress, SBPS_NORMAL, false, L" "},
        {"padlock", ID_SEPARATOR, SBPS_NORMAL, true, L""},
        {"zone", kIdZone, SBPS_STRETCH | SBPS_NOBORDERS, true, L""},
        {"last", kIdLast, SBPS_NORMAL, false, L" "},
    };
    ASSERT_EQ(m_bar.GetCount(), 6);
    ASSERT_EQ(GetParts(m_bar).size(), 6u);
    for (int i = 0; i < 6; ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(m_bar.GetItemID(i), row.nID);
        EXPECT_EQ(m_bar.GetPaneStyle(i), row.nStyle);
        EXPECT_EQ(std::wstring(m_bar.GetPaneText(i)), row.pszText);
        EXPECT_EQ(GetPartText(m_bar, i), row.pszText);
        EXPECT_EQ(GetPartType(m_bar, i) & SBT_NOBORDERS, row.nStyle & SBPS_NOBORDERS);
        HICON hShown = GetPartIcon(m_bar, i);
        EXPECT_EQ(hShown != nullptr, row.bIcon);
        // The bar shows a copy of its own: another handle, the same picture.
        if (row.bIcon) {
            EXPECT_NE(hShown, m_hIcon);
            EXPECT_EQ(IconPixels(hShown), IconPixels(m_hIcon));
        }
    }
    EXPECT_EQ(m_bar.CommandToIndex(ID_SEPARATOR), 1);
    EXPECT_EQ(m_bar.CommandToIndex(kIdZone), 4);
    EXPECT_EQ(m_bar.CommandToIndex(kIdWithoutString), -1);
}

TEST_F(StatusBarTest, StretchPanesShareWhatTheOthersLeave)
{
    // A bar so narrow that every pane is at its own width gives the minimum of each.
    ResizeFrame(100);
    const std::vector<int> minimum = GetPartWidths(m_bar);
    ASSERT_EQ(minimum.size(), 6u);
    const int cxBorders = minimum[2] - kProgressWidth;
    EXPECT_GT(cxBorders, 0);
    EXPECT_EQ(minimum[0], kIconSize + cxBorders);
    EXPECT_EQ(minimum[1], cxBorders);
    EXPECT_EQ(minimum[3], kIconSize + cxBorders);
    EXPECT_GE(minimum[4], kIconSize + kZoneWidth + cxBorders);
    EXPECT_GT(m_bar.GetPaneWidth(5), 0);
    EXPECT_EQ(minimum[5], m_bar.GetPaneWidth(5) + cxBorders);
    const int cxFixed = minimum[0] + minimum[2] + minimum[3] + minimum[5];

    struct Row {
        const char* name;
        int cxClient;
        bool bEvenSplit;  // otherwise the zone pane keeps its own width and the status pane takes the rest
    };
    const Row rows[] = {
        {"wide", 900, true},
        {"odd remainder", 901, true},
        {"zone pane just fits its share", cxFixed + 2 * minimum[4], true},
        {"zone pane wider than its share", cxFixed + 2 * minimum[4] - 40, false},
        {"wide again after narrowing", 700, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ResizeFrame(row.cxClient);
        const int cxBar = GetClientWidth(m_bar);
        ASSERT_EQ(cxBar, GetClientWidth(*m_pFrame));
        const std::vector<int> edges = GetParts(m_bar);
        const std::vector<int> widths = GetPartWidths(m_bar);
        ASSERT_EQ(edges.size(), 6u);
        EXPECT_EQ(edges.back(), cxBar);
        for (int i : {0, 2, 3, 5}) EXPECT_EQ(widths[i], minimum[i]) << "pane " << i;
        EXPECT_EQ(widths[1] + widths[4], cxBar - cxFixed);
        if (row.bEvenSplit) {
            EXPECT_LE(std::abs(widths[1] - widths[4]), 1);
        } else {
            EXPECT_EQ(widths[4], minimum[4]);
        }
        RECT rect{};
        EXPECT_TRUE(::SendMessageW(m_bar, SB_GETRECT, 4, reinterpret_cast<LPARAM>(&rect)));
        EXPECT_LE(rect.right, edges[4]);
        EXPECT_GE(rect.left, edges[3]);
    }
}

TEST_F(StatusBarTest, WindowTextGoesToTheFirstSeparatorPane)
{
    struct Row {
        const char* name;
        void (*pfnSet)(CMFCStatusBar& bar, LPCWSTR pszText);
        const wchar_t* pszText;
    };
    const Row rows[] = {
        {"the bar's SetWindowText", [](CMFCStatusBar& bar, LPCWSTR psz) { bar.SetWindowText(psz); }, L"Done"},
        {"CWnd's SetWindowText",
         [](CMFCStatusBar& bar, LPCWSTR psz) { static_cast<CWnd&>(bar).SetWindowText(psz); }, L"Opening page"},
        {"SetWindowTextW", [](CMFCStatusBar& bar, LPCWSTR psz) { ::SetWindowTextW(bar, psz); }, L"Downloading"},
        {"WM_SETTEXT from another thread",
         [](CMFCStatusBar& bar, LPCWSTR psz) {
             std::atomic<bool> bDone{false};
             HWND hBar = bar;
             std::thread sender([&] {
                 ::SendMessageW(hBar, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(psz));
                 bDone = true;
             });
             PumpUntil([&] { return bDone.load(); });
             sender.join();
         },
         L"Waiting for example.com"},
        {"empty text", [](CMFCStatusBar& bar, LPCWSTR psz) { bar.SetWindowText(psz); }, L""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.pfnSet(m_bar, row.pszText);
        EXPECT_EQ(std::wstring(m_bar.GetPaneText(1)), row.pszText);
        EXPECT_EQ(GetPartText(m_bar, 1), row.pszText);
        EXPECT_EQ(GetPartText(m_bar, 0), L"");
        EXPECT_EQ(GetPartText(m_bar, 3), L"");

        wchar_t szText[64] = {};
        EXPECT_EQ(::SendMessageW(m_bar, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(szText)),
                  static_cast<LRESULT>(std::wcslen(row.pszText)));
        EXPECT_STREQ(szText, row.pszText);
        EXPECT_EQ(::GetWindowTextLengthW(m_bar), static_cast<int>(std::wcslen(row.pszText)));
    }
}

TEST_F(StatusBarTest, ProgressFillsItsShareOfThePane)
{
    const COLORREF kRed = RGB(255, 0, 0);
    struct Row {
        const char* name;
        long nTotal;
        long nCurr;
        COLORREF clrBar;
        long nExpected;      // GetPaneProgress: -1 without a bar
        int nPercentFilled;  // of the bar's width
    };
    const Row rows[] = {
        {"half", 200, 100, kRed, 100, 50},
        {"a quarter of a large total", 2000000000, 500000000, kRed, 500000000, 25},
        {"above the total is clamped", 50, 80, kRed, 50, 100},
        {"below zero is clamped", 100, -5, kRed, 0, 0},
        {"system colour", 100, 75, CLR_NONE, 75, 75},
        {"zero total shows no bar", 0, 10, kRed, -1, 0},
        {"negative total shows no bar", -1, 10, kRed, -1, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        m_bar.EnablePaneProgressBar(2, row.nTotal, FALSE, row.clrBar);
        m_bar.SetPaneProgress(2, row.nCurr);
        EXPECT_EQ(m_bar.GetPaneProgress(2), row.nExpected);
        // The indicator's text makes way for the bar and comes back without one.
        EXPECT_EQ(GetPartText(m_bar, 2), row.nExpected < 0 ? L" " : L"");
        EXPECT_EQ(std::wstring(m_bar.GetPaneText(2)), L" ");

        ::RedrawWindow(m_bar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        RECT rect{};
        ASSERT_TRUE(::SendMessageW(m_bar, SB_GETRECT, 2, reinterpret_cast<LPARAM>(&rect)));
        const COLORREF clrExpected = row.clrBar == CLR_NONE ? ::GetSysColor(COLOR_HIGHLIGHT) : row.clrBar;
        HDC hDC = ::GetDC(m_bar);
        int nFilled = 0;
        for (int x = rect.left; x < rect.right; ++x) {
            if (::GetPixel(hDC, x, (rect.top + rect.bottom) / 2) == clrExpected) ++nFilled;
        }
        ::ReleaseDC(m_bar, hDC);
        const int cxPart = rect.right - rect.left;
        // The bar sits a few pixels inside the part's edges.
        EXPECT_NEAR(nFilled, cxPart * row.nPercentFilled / 100, 6) << "of " << cxPart;
    }
}

TEST_F(StatusBarTest, KeepsItsOwnIconCopies)
{
    const int cxWithIcon = GetPartWidths(m_bar)[3];
    HICON hFirstCopy = GetPartIcon(m_bar, 3);
    const std::vector<COLORREF> firstPicture = IconPixels(m_hIcon);
    ::DestroyIcon(m_hIcon);
    m_hIcon = static_cast<HICON>(::CopyImage(::LoadIconW(nullptr, IDI_WARNING), IMAGE_ICON, kIconSize, kIconSize, 0));
    EXPECT_TRUE(IsLiveIcon(hFirstCopy)) << "the caller's icon is gone, the bar's copy is not";
    EXPECT_EQ(IconPixels(hFirstCopy), firstPicture);
    ASSERT_NE(IconPixels(m_hIcon), firstPicture);

    m_bar.SetPaneIcon(3, m_hIcon);
    HICON hSecondCopy = GetPartIcon(m_bar, 3);
    EXPECT_NE(hSecondCopy, hFirstCopy);
    EXPECT_NE(hSecondCopy, m_hIcon);
    EXPECT_TRUE(IsLiveIcon(hSecondCopy));
    EXPECT_EQ(IconPixels(hSecondCopy), IconPixels(m_hIcon)) << "the pane shows the new picture";
    EXPECT_EQ(IconPixels(GetPartIcon(m_bar, 4)), firstPicture) << "the other panes keep theirs";
    EXPECT_FALSE(IsLiveIcon(hFirstCopy)) << "a replaced copy is destroyed";

    m_bar.SetPaneIcon(3, nullptr);
    EXPECT_EQ(GetPartIcon(m_bar, 3), nullptr);
    EXPECT_FALSE(IsLiveIcon(hSecondCopy));
    EXPECT_EQ(GetPartWidths(m_bar)[3], cxWithIcon - kIconSize);
}

TEST_F(StatusBarTest, TakesAnIconHandedOverWithoutACopy)
{
    const int cxWithIcon = GetPartWidths(m_bar)[3];
    HICON hOld = GetPartIcon(m_bar, 3);
    CIconHandle icon(
        static_cast<HICON>(::CopyImage(::LoadIconW(nullptr, IDI_WARNING), IMAGE_ICON, kIconSize, kIconSize, 0)));
    HICON hGiven = icon.Get();
    ASSERT_NE(hGiven, nullptr);
    const std::vector<COLORREF> picture = IconPixels(hGiven);

    m_bar.SetPaneIcon(3, std::move(icon));
    EXPECT_EQ(icon.Get(), nullptr) << "handed over";
    EXPECT_EQ(GetPartIcon(m_bar, 3), hGiven) << "the pane shows the very icon it was given";
    EXPECT_TRUE(IsLiveIcon(hGiven));
    EXPECT_EQ(IconPixels(GetPartIcon(m_bar, 3)), picture);
    EXPECT_FALSE(IsLiveIcon(hOld)) << "the replaced icon is destroyed";
    EXPECT_EQ(GetPartWidths(m_bar)[3], cxWithIcon);

    CIconHandle kept(::CopyIcon(hGiven));
    HICON hKept = kept.Get();
    m_bar.SetPaneIcon(6, std::move(kept));
    EXPECT_EQ(kept.Get(), hKept) << "no pane 6: the icon stays with the caller";
    EXPECT_EQ(GetPartIcon(m_bar, 3), hGiven);

    m_bar.SetPaneIcon(3, CIconHandle());
    EXPECT_EQ(GetPartIcon(m_bar, 3), nullptr);
    EXPECT_FALSE(IsLiveIcon(hGiven)) << "the bar destroys what it took";
    EXPECT_EQ(GetPartWidths(m_bar)[3], cxWithIcon - kIconSize);
}

TEST(StatusBar, SetIndicatorsFailsForAnIdWithoutAString)
{
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, L"status bar parent", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr,
                                nullptr));
    CMFCStatusBar bar;
    ASSERT_TRUE(bar.Create(&parent));
    const UINT kValid[] = {ID_SEPARATOR, AFX_IDS_APP_TITLE};
    ASSERT_TRUE(bar.SetIndicators(kValid, 2));
    EXPECT_EQ(std::wstring(bar.GetPaneText(1)), L"Tarnwick");
    EXPECT_EQ(GetPartText(bar, 1), L"Tarnwick");

    const UINT kMissing[] = {kIdIcon, kIdWithoutString, kIdLast};
    EXPECT_FALSE(bar.SetIndicators(kMissing, 3));
    EXPECT_EQ(bar.GetCount(), 2);
    EXPECT_EQ(GetParts(bar).size(), 2u);
    EXPECT_EQ(bar.GetItemID(1), static_cast<UINT>(AFX_IDS_APP_TITLE));
    parent.DestroyWindow();
}

}  // namespace
