#include "mfc_status_bar.h"
#include "gdi.h"

#include <algorithm>
#include <cwchar>
#include <utility>

namespace {

// Frame-bar bits that share the window style's words: CBRS_ bits in the low word, and the gripper.
constexpr DWORD kPaneStyleBits = 0x0000FFFF | CBRS_GRIPPER;
constexpr int kPaneBorder = 3;     // each side of a part: the control's edge and padding
constexpr int kIconGap = 2;        // between a pane's icon and its text
constexpr int kTextMargin = 4;     // keeps an indicator's text clear of the part's edge
constexpr int kProgressInset = 2;  // the bar stays inside the part's edge

int GetIconWidth(HICON hIcon)
{
    ICONINFO info{};
    if (!::GetIconInfo(hIcon, &info)) return 0;
    CBitmapHandle color(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    ::GetObjectW(color ? color : mask, sizeof(bm), &bm);
    return bm.bmWidth;
}

COLORREF ResolveColor(COLORREF clr, int nSysColor)
{
    return clr == CLR_NONE ? ::GetSysColor(nSysColor) : clr;
}

// An opaque ExtTextOut fills without creating a brush.
void FillSolid(HDC hDC, const RECT& rect, COLORREF clr)
{
    COLORREF clrOld = ::SetBkColor(hDC, clr);
    ::ExtTextOutW(hDC, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(hDC, clrOld);
}

}  // namespace

BEGIN_MESSAGE_MAP(CMFCStatusBar, CBasePane)
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_MESSAGE(WM_SETTEXT, OnSetText)
    ON_MESSAGE(WM_GETTEXT, OnGetText)
    ON_MESSAGE(WM_GETTEXTLENGTH, OnGetTextLength)
END_MESSAGE_MAP()

CMFCStatusBar::~CMFCStatusBar()
{
    // The control draws the icons by handle: it goes before the panes that own them.
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) DestroyWindow();
}

BOOL CMFCStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    if (!pParentWnd || !pParentWnd->m_hWnd || m_hWnd) return FALSE;
    m_dwStyle = dwStyle & kPaneStyleBits;
    return CreateEx(0, STATUSCLASSNAMEW, nullptr, (dwStyle & ~kPaneStyleBits) | WS_CHILD, 0, 0, 0, 0,
                    pParentWnd->m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)));
}

BOOL CMFCStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount)
{
    if (nIDCount < 0 || (nIDCount > 0 && !lpIDArray)) return FALSE;
    std::vector<Pane> panes(static_cast<size_t>(nIDCount));
    for (int i = 0; i < nIDCount; ++i) {
        Pane& pane = panes[i];
        pane.nID = lpIDArray[i];
        if (pane.nID == ID_SEPARATOR) continue;
        if (!pane.strText.LoadString(pane.nID)) return FALSE;
        pane.cxText = GetTextWidth(pane.strText) + kTextMargin;
    }
    std::swap(m_panes, panes);
    // The old panes' icons go with them at the end of this scope, once the control no longer shows them.
    RecalcLayout();
    return TRUE;
}

UINT CMFCStatusBar::GetItemID(int nIndex) const
{
    return IsValidIndex(nIndex) ? m_panes[nIndex].nID : ID_SEPARATOR;
}

int CMFCStatusBar::CommandToIndex(UINT nIDFind) const
{
    auto it = std::find_if(m_panes.begin(), m_panes.end(), [nIDFind](const Pane& pane) { return pane.nID == nIDFind; });
    return it == m_panes.end() ? -1 : static_cast<int>(it - m_panes.begin());
}

UINT CMFCStatusBar::GetPaneStyle(int nIndex) const
{
    return IsValidIndex(nIndex) ? m_panes[nIndex].nStyle : SBPS_NORMAL;
}

void CMFCStatusBar::SetPaneStyle(int nIndex, UINT nStyle)
{
    if (!IsValidIndex(nIndex)) return;
    m_panes[nIndex].nStyle = nStyle;
    RecalcLayout();
}

int CMFCStatusBar::GetPaneWidth(int nIndex) const
{
    return IsValidIndex(nIndex) ? m_panes[nIndex].cxText : 0;
}

void CMFCStatusBar::SetPaneWidth(int nIndex, int cx)
{
    if (!IsValidIndex(nIndex)) return;
    m_panes[nIndex].cxText = std::max(cx, 0);
    RecalcLayout();
}

void CMFCStatusBar::SetPaneIcon(int nIndex, HICON hIcon, BOOL bUpdate)
{
    if (!IsValidIndex(nIndex)) return;
    SetPaneIcon(nIndex, CIconHandle(hIcon ? ::CopyIcon(hIcon) : nullptr), bUpdate);
}

void CMFCStatusBar::SetPaneIcon(int nIndex, CIconHandle&& icon, BOOL bUpdate)
{
    if (!IsValidIndex(nIndex)) return;
    Pane& pane = m_panes[nIndex];
    // The old icon lives until the control shows the new one.
    CIconHandle oldIcon(pane.hIcon.Detach());
    pane.hIcon = std::move(icon);
    pane.cxIcon = pane.hIcon ? GetIconWidth(pane.hIcon) : 0;
    RecalcLayout();
    if (bUpdate && m_hWnd) UpdateWindow();
}

void CMFCStatusBar::SetPaneText(int nIndex, LPCWSTR lpszNewText, BOOL bUpdate)
{
    if (!IsValidIndex(nIndex)) return;
    m_panes[nIndex].strText = lpszNewText;
    if (!m_hWnd) return;
    ApplyPaneText(nIndex);
    if (bUpdate) UpdateWindow();
}

CString CMFCStatusBar::GetPaneText(int nIndex) const
{
    return IsValidIndex(nIndex) ? m_panes[nIndex].strText : CString();
}

void CMFCStatusBar::SetWindowText(LPCWSTR lpszString)
{
    // A status text is repainted with the next WM_PAINT, as any window's text is.
    SetPaneText(CommandToIndex(ID_SEPARATOR), lpszString, FALSE);
}

void CMFCStatusBar::EnablePaneProgressBar(int nIndex, long nTotal, BOOL /*bDisplayText*/, COLORREF clrBar,
                                          COLORREF /*clrBarDest*/, COLORREF /*clrProgressText*/)
{
    if (!IsValidIndex(nIndex)) return;
    Pane& pane = m_panes[nIndex];
    pane.nTotal = std::max(nTotal, 0L);
    pane.nCurr = 0;
    pane.clrBar = clrBar;
    if (!m_hWnd) return;
    ApplyPaneText(nIndex);
    InvalidatePane(nIndex, FALSE);
}

void CMFCStatusBar::SetPaneProgress(int nIndex, long nCurr, BOOL bUpdate)
{
    if (!IsValidIndex(nIndex) || m_panes[nIndex].nTotal <= 0) return;
    Pane& pane = m_panes[nIndex];
    pane.nCurr = std::clamp(nCurr, 0L, pane.nTotal);
    InvalidatePane(nIndex, bUpdate);
}

long CMFCStatusBar::GetPaneProgress(int nIndex) const
{
    if (!IsValidIndex(nIndex) || m_panes[nIndex].nTotal <= 0) return -1;
    return m_panes[nIndex].nCurr;
}

SIZE CMFCStatusBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    // The control has already chosen its height from its font.
    SIZE size = CBasePane::CalcFixedLayout(bStretch, bHorz);
    if (bStretch) size.cx = 32767;
    return size;
}

void CMFCStatusBar::OnSize(UINT nType, int cx, int cy)
{
    CBasePane::OnSize(nType, cx, cy);
    RecalcLayout();
}

void CMFCStatusBar::OnPaint()
{
    CPaintDC dc(this);
    // The control paints into this DC, so the progress bars go over its parts without flicker.
    DefWindowProc(WM_PAINT, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    for (int i = 0; i < GetCount(); ++i) {
        if (m_panes[i].nTotal > 0) DrawProgress(dc, i);
    }
}

LRESULT CMFCStatusBar::OnSetText(WPARAM, LPARAM lParam)
{
    if (CommandToIndex(ID_SEPARATOR) < 0) return FALSE;
    SetWindowText(reinterpret_cast<LPCWSTR>(lParam));
    return TRUE;
}

LRESULT CMFCStatusBar::OnGetText(WPARAM wParam, LPARAM lParam)
{
    auto* pszBuffer = reinterpret_cast<LPWSTR>(lParam);
    const int cchBuffer = static_cast<int>(wParam);
    if (!pszBuffer || cchBuffer <= 0) return 0;
    const CString strText = GetPaneText(CommandToIndex(ID_SEPARATOR));
    const int cchCopy = std::min(strText.GetLength(), cchBuffer - 1);
    std::wmemcpy(pszBuffer, strText.GetString(), static_cast<size_t>(cchCopy));
    pszBuffer[cchCopy] = L'\0';
    return cchCopy;
}

LRESULT CMFCStatusBar::OnGetTextLength(WPARAM, LPARAM)
{
    return GetPaneText(CommandToIndex(ID_SEPARATOR)).GetLength();
}

HFONT CMFCStatusBar::GetBarFont() const
{
    HFONT hFont = m_hWnd ? reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)) : nullptr;
    return hFont ? hFont : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

int CMFCStatusBar::GetTextWidth(LPCWSTR lpszText) const
{
    CClientDC dc(m_hWnd);
    CSelectObject font(dc, GetBarFont());
    SIZE size{};
    ::GetTextExtentPoint32W(dc, lpszText, static_cast<int>(std::wcslen(lpszText)), &size);
    return size.cx;
}

int CMFCStatusBar::GetPartWidth(const Pane& pane)
{
    int cx = pane.cxText + 2 * kPaneBorder;
    if (pane.hIcon) cx += pane.cxIcon + (pane.cxText > 0 ? kIconGap : 0);
    return cx;
}

void CMFCStatusBar::RecalcLayout()
{
    if (!m_hWnd || m_panes.empty()) return;
    RECT rcClient{};
    GetClientRect(&rcClient);
    const int cxBar = rcClient.right - rcClient.left;

    std::vector<int> widths;
    std::vector<size_t> stretch;
    int cxLeft = cxBar;
    for (size_t i = 0; i < m_panes.size(); ++i) {
        widths.push_back(GetPartWidth(m_panes[i]));
        if (m_panes[i].nStyle & SBPS_STRETCH) {
            stretch.push_back(i);
        } else {
            cxLeft -= widths[i];
        }
    }
    // Stretch panes split the rest evenly; one that needs more than its share keeps its own width, which
    // only shrinks the others' share, so one pass per change settles it.
    for (bool bChanged = true; bChanged && !stretch.empty();) {
        bChanged = false;
        const int cxShare = cxLeft / static_cast<int>(stretch.size());
        for (auto it = stretch.begin(); it != stretch.end();) {
            if (widths[*it] > cxShare) {
                cxLeft -= widths[*it];
                it = stretch.erase(it);
                bChanged = true;
            } else {
                ++it;
            }
        }
    }
    const int nStretch = static_cast<int>(stretch.size());
    for (int k = 0; k < nStretch; ++k) widths[stretch[k]] = cxLeft / nStretch + (k < cxLeft % nStretch ? 1 : 0);

    std::vector<int> edges;
    int x = 0;
    for (int cx : widths) edges.push_back(x += cx);
    // The last part reaches the bar's right end rather than leaving an unpainted strip.
    edges.back() = std::max(edges.back(), cxBar);
    SendMessage(SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    for (int i = 0; i < GetCount(); ++i) {
        SendMessage(SB_SETICON, i, reinterpret_cast<LPARAM>(m_panes[i].hIcon.Get()));
        ApplyPaneText(i);
    }
}

void CMFCStatusBar::ApplyPaneText(int nIndex)
{
    const Pane& pane = m_panes[nIndex];
    // A progress bar is painted over an empty part; a disabled pane shows no text.
    const bool bHidden = pane.nTotal > 0 || (pane.nStyle & SBPS_DISABLED);
    SendMessage(SB_SETTEXTW, static_cast<WPARAM>(nIndex) | (pane.nStyle & (SBT_NOBORDERS | SBT_POPOUT)),
                reinterpret_cast<LPARAM>(bHidden ? L"" : pane.strText.GetString()));
}

void CMFCStatusBar::InvalidatePane(int nIndex, BOOL bUpdate)
{
    RECT rect{};
    if (!SendMessage(SB_GETRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&rect))) return;
    ::InvalidateRect(m_hWnd, &rect, TRUE);
    if (bUpdate) UpdateWindow();
}

void CMFCStatusBar::DrawProgress(HDC hDC, int nIndex)
{
    const Pane& pane = m_panes[nIndex];
    RECT rect{};
    if (!SendMessage(SB_GETRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&rect))) return;
    ::InflateRect(&rect, -kProgressInset, -kProgressInset);
    if (pane.hIcon) rect.left += pane.cxIcon + kIconGap;
    const int cxBar = rect.right - rect.left;
    if (cxBar <= 0) return;

    const int cxFill = static_cast<int>(static_cast<long long>(cxBar) * pane.nCurr / pane.nTotal);
    FillSolid(hDC, RECT{rect.left, rect.top, rect.left + cxFill, rect.bottom}, ResolveColor(pane.clrBar, COLOR_HIGHLIGHT));
}
