#include "menu_columns.h"

#include <iterator>

namespace {

constexpr int kMinMenuItemHeight = 20;

}  // namespace

void BreakMenuColumns(HWND hWnd, HMENU hMenu, int nCountAdjust)
{
    int nItemHeight = MenuItemHeight(hWnd);
    if (nItemHeight > 0) BreakMenuColumnsAt(hMenu, ::GetMenuItemCount(hMenu), nCountAdjust, nItemHeight);
}

int MenuItemHeight(HWND hWnd)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return 0;
    SIZE sizeText{};
    {
        CFontHandle hFont(::CreateFontIndirectW(&metrics.lfMenuFont));
        CClientDC dc(hWnd);
        CSelectObject select(dc, hFont);
        ::GetTextExtentPoint32W(dc, L"Texthgp", 7, &sizeText);
    }
    int nItemHeight = sizeText.cy + 4;
    return nItemHeight < kMinMenuItemHeight ? kMinMenuItemHeight : nItemHeight;
}

void BreakMenuColumnsAt(HMENU hMenu, int nCount, int nCountAdjust, int nItemHeight)
{
    int nTotal = nCount + nCountAdjust;
    int nUsable = ::GetSystemMetrics(SM_CYSCREEN) - 4 * ::GetSystemMetrics(SM_CYCAPTION);
    if (nCount <= 0 || nItemHeight <= 0 || nUsable <= 0 || nTotal * nItemHeight <= nUsable) return;
    int nRows = nUsable / nItemHeight;
    bool bFirst = true;
    for (int nNext = 1;;) {
        int i = nNext + nRows;
        if (bFirst) i -= nCountAdjust;
        bFirst = false;
        // The last column may end before a break would fall.
        if (i >= nCount) break;
        wchar_t szText[512] = {};
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_TYPE | MIIM_DATA | MIIM_STATE;
        item.dwTypeData = szText;
        item.cch = static_cast<UINT>(std::size(szText) - 1);
        if (!::GetMenuItemInfoW(hMenu, static_cast<UINT>(i), TRUE, &item)) break;
        ::GetMenuStringW(hMenu, static_cast<UINT>(i), szText, static_cast<int>(std::size(szText)), MF_BYPOSITION);
        // A disabled item stays disabled: its command may be one nobody must reach.
        UINT nState = item.fState & (MFS_DISABLED | MFS_GRAYED);
        if (item.hSubMenu && ::IsMenu(item.hSubMenu)) {
            ::ModifyMenuW(hMenu, static_cast<UINT>(i), MF_BYPOSITION | MF_POPUP | MF_MENUBARBREAK | nState,
                          reinterpret_cast<UINT_PTR>(item.hSubMenu), szText);
        } else {
            ::ModifyMenuW(hMenu, static_cast<UINT>(i), MF_BYPOSITION | MF_MENUBARBREAK | nState, item.wID, szText);
        }
        nNext = i + 1;
        if ((nTotal - i) * nItemHeight <= nUsable) break;
    }
}
