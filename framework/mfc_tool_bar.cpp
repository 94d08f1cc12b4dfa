#include "mfc_tool_bar.h"
#include "frame_wnd_ex.h"
#include "mfc_popup_menu.h"
#include "win_app.h"

#include <algorithm>

const UINT AFX_WM_RESETTOOLBAR = ::RegisterWindowMessageW(L"TOOLBAR_RESETTOOLBAR");

SIZE CMFCToolBar::s_sizeButton{23, 22};
SIZE CMFCToolBar::s_sizeImage{16, 15};
SIZE CMFCToolBar::s_sizeMenuButton{22, 22};
SIZE CMFCToolBar::s_sizeMenuImage{16, 16};
std::map<UINT, int> CMFCToolBar::s_cmdImages;
HIMAGELIST CMFCToolBar::s_hMenuImages = nullptr;

namespace {

constexpr COLORREF kImageBackground = RGB(192, 192, 192);

struct ToolBarData {
    WORD wVersion;
    WORD wWidth;
    WORD wHeight;
    WORD wItemCount;
    // WORD items[wItemCount] follow
};

// A masked image list of cx-wide images from a bitmap strip; empty when the bitmap is missing.
CImageListHandle LoadImageStrip(UINT nBitmapID, int cx, int cy)
{
    CBitmapHandle bitmap(::LoadBitmapW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nBitmapID)));
    if (!bitmap) return {};
    CImageListHandle list(ImageList_Create(cx, cy, ILC_COLOR24 | ILC_MASK, 0, 4));
    if (list && ImageList_AddMasked(list, bitmap, kImageBackground) < 0) list.Reset();
    return list;
}

// A new popup holding copies of hMenu's items; the caller owns it.
HMENU CopyPopup(HMENU hMenu)
{
    CMenuHandle copy(::CreatePopupMenu());
    if (copy) CMFCPopupMenuBar::AppendCopies(copy, hMenu);
    return copy.Detach();
}

}  // namespace

CMFCToolBarMenuButton::CMFCToolBarMenuButton(UINT uiID, HMENU hMenu, int iImage, LPCWSTR lpszText, BOOL)
    : m_nID(uiID), m_iImage(iImage), m_strText(lpszText)
{
    if (hMenu) m_hMenu.Reset(CopyPopup(hMenu));
}

CMFCToolBarMenuButton::CMFCToolBarMenuButton(const CMFCToolBarMenuButton& other)
    : CMFCToolBarMenuButton(other.m_nID, other.m_hMenu, other.m_iImage, other.m_strText)
{
    m_hItemSubMenu = other.m_hItemSubMenu;
}

CMFCToolBarMenuButton CMFCToolBarMenuButton::ForMenuItem(UINT uiID, HMENU hSubMenu, int iImage, LPCWSTR lpszText)
{
    CMFCToolBarMenuButton button(uiID, nullptr, iImage, lpszText);
    button.m_hItemSubMenu = hSubMenu;
    return button;
}

CMFCToolBarMenuButton::~CMFCToolBarMenuButton() = default;

CMFCToolBar::~CMFCToolBar() = default;

void CMFCToolBar::SetSizes(SIZE sizeButton, SIZE sizeImage)
{
    s_sizeButton = sizeButton;
    s_sizeImage = sizeImage;
}

void CMFCToolBar::SetMenuSizes(SIZE sizeButton, SIZE sizeImage)
{
    s_sizeMenuButton = sizeButton;
    s_sizeMenuImage = sizeImage;
}

int CMFCToolBar::GetCmdImage(UINT uiCmd, BOOL /*bUserImage*/)
{
    auto it = s_cmdImages.find(uiCmd);
    return it == s_cmdImages.end() ? -1 : it->second;
}

BOOL CMFCToolBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, RECT rcBorders, UINT nID)
{
    m_dwStyle = dwStyle & (CBRS_ALIGN_ANY | CBRS_BORDER_ANY | CBRS_GRIPPER | CBRS_SIZE_DYNAMIC | CBRS_HIDE_INPLACE |
                           CBRS_TOOLTIPS | CBRS_FLYBY);
    m_rectBorders = rcBorders;
    DWORD dwWindowStyle = (dwStyle & (WS_CHILD | WS_VISIBLE)) | WS_CLIPSIBLINGS | CCS_NODIVIDER | CCS_NORESIZE |
                          CCS_NOPARENTALIGN | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | dwCtrlStyle;
    if (!CWnd::CreateEx(0, TOOLBARCLASSNAMEW, nullptr, dwWindowStyle, 0, 0, 0, 0, pParentWnd ? pParentWnd->m_hWnd : nullptr,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)))) {
        return FALSE;
    }
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    SendMessage(TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS | TBSTYLE_EX_HIDECLIPPEDBUTTONS);
    return TRUE;
}

BOOL CMFCToolBar::LoadToolBar(UINT uiResID, UINT uiColdResID, UINT uiMenuResID, BOOL, UINT, UINT, UINT uiHotResID)
{
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hRes = ::FindResourceW(hInst, MAKEINTRESOURCEW(uiResID), AFX_RT_TOOLBAR);
    HGLOBAL hGlobal = hRes ? ::LoadResource(hInst, hRes) : nullptr;
    auto* pData = hGlobal ? static_cast<const ToolBarData*>(::LockResource(hGlobal)) : nullptr;
    if (!pData || pData->wVersion != 1 || ::SizeofResource(hInst, hRes) < sizeof(ToolBarData) + pData->wItemCount * sizeof(WORD)) {
        return FALSE;
    }
    const WORD* pItems = reinterpret_cast<const WORD*>(pData + 1);
    int cx = pData->wWidth;
    int cy = pData->wHeight;

    m_hImages = LoadImageStrip(uiColdResID ? uiColdResID : uiResID, cx, cy);
    m_hHotImages = uiHotResID ? LoadImageStrip(uiHotResID, cx, cy) : CImageListHandle();
    if (!m_hImages) return FALSE;
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(s_sizeImage.cx, s_sizeImage.cy));
    SendMessage(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_hImages.Get()));
    if (m_hHotImages) SendMessage(TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(m_hHotImages.Get()));

    if (uiMenuResID) AddMenuImages(uiMenuResID, pItems, pData->wItemCount);

    while (SendMessage(TB_BUTTONCOUNT) > 0) SendMessage(TB_DELETEBUTTON, 0);
    m_menuButtons.clear();
    std::vector<TBBUTTON> buttons;
    for (int i = 0, iImage = 0; i < pData->wItemCount; ++i) {
        TBBUTTON button{};
        button.idCommand = pItems[i];
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = pItems[i] ? BTNS_BUTTON : BTNS_SEP;
        button.iBitmap = pItems[i] ? iImage++ : 0;
        buttons.push_back(button);
    }
    SendMessage(TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(s_sizeButton.cx, s_sizeButton.cy));

    // The frame may turn buttons into drop-down buttons now, before anybody sees them.
    if (CWnd* pFrame = GetTopLevelParent()) pFrame->SendMessage(AFX_WM_RESETTOOLBAR, uiResID);
    AdjustLayout();
    return TRUE;
}

// Menus show the same pictures: the n-th menu image belongs to the n-th button's command. The strip goes
// into the process's list whole, in one masked copy, and only while some command still lacks its image.
void CMFCToolBar::AddMenuImages(UINT uiMenuResID, const WORD* pItems, int nItems)
{
    bool bAllKnown = true;
    for (int i = 0; i < nItems && bAllKnown; ++i) bAllKnown = pItems[i] == 0 || s_cmdImages.count(pItems[i]) != 0;
    if (bAllKnown) return;
    CBitmapHandle bitmap(::LoadBitmapW(AfxGetResourceHandle(), MAKEINTRESOURCEW(uiMenuResID)));
    if (!bitmap) return;
    if (!s_hMenuImages) {
        s_hMenuImages = ImageList_Create(s_sizeMenuImage.cx, s_sizeMenuImage.cy, ILC_COLOR24 | ILC_MASK, 0, 8);
        if (!s_hMenuImages) return;
    }
    const int iFirst = ImageList_GetImageCount(s_hMenuImages);
    if (ImageList_AddMasked(s_hMenuImages, bitmap, kImageBackground) < 0) return;
    const int nImages = ImageList_GetImageCount(s_hMenuImages) - iFirst;
    for (int i = 0, iImage = 0; i < nItems && iImage < nImages; ++i) {
        if (pItems[i] == 0) continue;
        s_cmdImages.emplace(pItems[i], iFirst + iImage);  // a command seen before keeps its image
        ++iImage;
    }
}

int CMFCToolBar::ReplaceButton(UINT uiCmd, const CMFCToolBarMenuButton& button, BOOL bAll)
{
    int nReplaced = 0;
    for (int i = 0; i < GetCount(); ++i) {
        if (GetItemID(i) != uiCmd) continue;
        TBBUTTONINFOW info{};
        info.cbSize = sizeof(info);
        info.dwMask = TBIF_BYINDEX | TBIF_STYLE;
        SendMessage(TB_GETBUTTONINFOW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info));
        info.fsStyle = static_cast<BYTE>((info.fsStyle & ~BTNS_WHOLEDROPDOWN) | BTNS_DROPDOWN);
        info.idCommand = static_cast<int>(button.m_nID);
        info.dwMask |= TBIF_COMMAND;
        SendMessage(TB_SETBUTTONINFOW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info));
        m_menuButtons.erase(button.m_nID);
        m_menuButtons.emplace(button.m_nID, button);
        ++nReplaced;
        if (!bAll) break;
    }
    if (nReplaced) AdjustLayout();
    return nReplaced;
}

int CMFCToolBar::CommandToIndex(UINT nIDFind) const
{
    return static_cast<int>(::SendMessageW(m_hWnd, TB_COMMANDTOINDEX, nIDFind, 0));
}

UINT CMFCToolBar::GetItemID(int nIndex) const
{
    TBBUTTON button{};
    if (!::SendMessageW(m_hWnd, TB_GETBUTTON, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&button))) return 0;
    return static_cast<UINT>(button.idCommand);
}

int CMFCToolBar::GetCount() const
{
    return static_cast<int>(::SendMessageW(m_hWnd, TB_BUTTONCOUNT, 0, 0));
}

void CMFCToolBar::GetItemRect(int nIndex, LPRECT lpRect) const
{
    ::SetRectEmpty(lpRect);
    ::SendMessageW(m_hWnd, TB_GETITEMRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpRect));
}

const CMFCToolBarMenuButton* CMFCToolBar::GetMenuButton(int nIndex) const
{
    auto it = m_menuButtons.find(GetItemID(nIndex));
    return it == m_menuButtons.end() ? nullptr : &it->second;
}

void CMFCToolBar::SetBorders(int cxLeft, int cyTop, int cxRight, int cyBottom)
{
    m_rectBorders = RECT{cxLeft, cyTop, cxRight, cyBottom};
}

void CMFCToolBar::AdjustLayout()
{
    if (!m_hWnd) return;
    // The sizes are the process's: whatever SetSizes set last holds from this layout on.
    if (m_hImages) {
        SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(s_sizeImage.cx, s_sizeImage.cy));
        SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(s_sizeButton.cx, s_sizeButton.cy));
    }
    SIZE size = CalcFixedLayout(FALSE, TRUE);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE CMFCToolBar::CalcFixedLayout(BOOL, BOOL)
{
    SIZE size{0, 0};
    int nCount = GetCount();
    for (int i = 0; i < nCount; ++i) {
        RECT rect;
        GetItemRect(i, &rect);
        size.cx = std::max<LONG>(size.cx, rect.right);
        size.cy = std::max<LONG>(size.cy, rect.bottom);
    }
    size.cx += m_rectBorders.left + m_rectBorders.right;
    size.cy += m_rectBorders.top + m_rectBorders.bottom;
    return size;
}

namespace {
// Enables and disables a toolbar button for update handlers.
class CToolCmdUI : public CCmdUI {
public:
    void Enable(BOOL bOn) override
    {
        ::SendMessageW(m_pOther->m_hWnd, TB_ENABLEBUTTON, m_nID, MAKELPARAM(bOn ? TRUE : FALSE, 0));
        m_bEnableChanged = TRUE;
    }
    void SetCheck(int nCheck) override { ::SendMessageW(m_pOther->m_hWnd, TB_CHECKBUTTON, m_nID, MAKELPARAM(nCheck != 0, 0)); }
};
}  // namespace

void CMFCToolBar::OnUpdateCmdUI(CCmdTarget* pTarget, BOOL bDisableIfNoHndler)
{
    int nCount = GetCount();
    for (int i = 0; i < nCount; ++i) {
        UINT nID = GetItemID(i);
        if (nID == 0) continue;
        CToolCmdUI state;
        state.m_nID = nID;
        state.m_nIndex = static_cast<UINT>(i);
        state.m_pOther = this;
        state.DoUpdate(pTarget, bDisableIfNoHndler);
    }
}

BOOL CMFCToolBar::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == TBN_DROPDOWN) {
        auto* pNotify = reinterpret_cast<NMTOOLBARW*>(lParam);
        DropDown(CommandToIndex(static_cast<UINT>(pNotify->iItem)));
        if (pResult) *pResult = TBDDRET_DEFAULT;
        return TRUE;
    }
    return CBasePane::OnChildNotify(message, wParam, lParam, pResult);
}

LRESULT CMFCToolBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_LBUTTONDOWN) {
        POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        int nIndex = static_cast<int>(SendMessage(TB_HITTEST, 0, reinterpret_cast<LPARAM>(&pt)));
        // The common control ignores a disabled button altogether; its list has commands of its own.
        if (nIndex >= 0 && GetMenuButton(nIndex) && !SendMessage(TB_ISBUTTONENABLED, GetItemID(nIndex))) {
            RECT rect;
            GetItemRect(nIndex, &rect);
            int cxButton = LOWORD(SendMessage(TB_GETBUTTONSIZE));
            if (pt.x >= rect.left + cxButton) {
                DropDown(nIndex);
                return 0;
            }
        }
    }
    return CBasePane::WindowProc(message, wParam, lParam);
}

void CMFCToolBar::DropDown(int nIndex)
{
    const CMFCToolBarMenuButton* pButton = nIndex >= 0 ? GetMenuButton(nIndex) : nullptr;
    auto* pFrame = dynamic_cast<CFrameWndEx*>(GetTopLevelParent());
    if (!pButton || !pButton->m_hMenu || !pFrame) return;
    RECT rect;
    GetItemRect(nIndex, &rect);
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    // The popup is a fresh copy each time: the frame's hook may rebuild it.
    CMenuHandle hPopup(CopyMenu(pButton->m_hMenu));
    CMFCPopupMenu popup(hPopup);
    UINT nCmd = 0;
    SendMessage(TB_PRESSBUTTON, pButton->m_nID, MAKELPARAM(TRUE, 0));
    if (pFrame->OnShowPopupMenu(&popup)) {
        nCmd = static_cast<UINT>(::TrackPopupMenuEx(hPopup, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, rect.left,
                                                    rect.bottom, pFrame->m_hWnd, nullptr));
    }
    SendMessage(TB_PRESSBUTTON, pButton->m_nID, MAKELPARAM(FALSE, 0));
    if (nCmd) pFrame->PostMessage(WM_COMMAND, MAKEWPARAM(nCmd, 0), 0);
}

HMENU CMFCToolBar::CopyMenu(HMENU hMenu)
{
    return CopyPopup(hMenu);
}
