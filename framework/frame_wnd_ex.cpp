#include "frame_wnd_ex.h"
#include "win_app.h"

IMPLEMENT_DYNAMIC(CFrameWndEx, CObject)

BEGIN_MESSAGE_MAP(CFrameWndEx, CWnd)
    ON_WM_CREATE()
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_SETFOCUS()
    ON_WM_ACTIVATE()
    ON_WM_INITMENUPOPUP()
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
END_MESSAGE_MAP()

CFrameWndEx::~CFrameWndEx()
{
    if (m_hAccelTable) ::DestroyAcceleratorTable(m_hAccelTable);
}

BOOL CFrameWndEx::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* /*pContext*/)
{
    HINSTANCE hInst = AfxGetResourceHandle();
    CString strFullTitle;
    strFullTitle.LoadString(nIDResource);
    int nNewLine = strFullTitle.Find(L'\n');
    CString strTitle = nNewLine < 0 ? strFullTitle : strFullTitle.Left(nNewLine);

    // A resource id without a menu or accelerators still makes a frame, just without them.
    HMENU hMenu = nullptr;
    if (::FindResourceW(hInst, MAKEINTRESOURCEW(nIDResource), MAKEINTRESOURCEW(4) /* RT_MENU */)) {
        hMenu = ::LoadMenuW(hInst, MAKEINTRESOURCEW(nIDResource));
    }
    if (!m_hAccelTable && ::FindResourceW(hInst, MAKEINTRESOURCEW(nIDResource), MAKEINTRESOURCEW(9) /* RT_ACCELERATOR */)) {
        m_hAccelTable = ::LoadAcceleratorsW(hInst, MAKEINTRESOURCEW(nIDResource));
    }

    m_dwFrameStyle = dwDefaultStyle & FWS_ADDTOTITLE;
    BOOL bCreated = CreateEx(0, nullptr, strTitle, dwDefaultStyle & ~FWS_ADDTOTITLE, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, pParentWnd ? pParentWnd->m_hWnd : nullptr, hMenu);
    if (!bCreated && hMenu) ::DestroyMenu(hMenu);  // a window that never existed did not take the menu
    return bCreated;
}

BOOL CFrameWndEx::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!cs.lpszClass) {
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, ::LoadCursorW(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    }
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
    return TRUE;
}

BOOL CFrameWndEx::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && m_hAccelTable) {
        return ::TranslateAcceleratorW(m_hWnd, m_hAccelTable, pMsg) != 0;
    }
    return FALSE;
}

BOOL CFrameWndEx::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp && pApp->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CFrameWndEx::RecalcLayout()
{
    if (!m_hWnd) return;
    RECT rect;
    GetClientRect(&rect);
    if (HWND hView = ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST)) {
        ::SetWindowPos(hView, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CFrameWndEx::PostNcDestroy()
{
    delete this;
}

int CFrameWndEx::OnCreate(LPCREATESTRUCTW lpCreateStruct)
{
    return CWnd::OnCreate(lpCreateStruct);
}

void CFrameWndEx::OnClose()
{
    DestroyWindow();
}

void CFrameWndEx::OnDestroy()
{
    CWnd::OnDestroy();
}

void CFrameWndEx::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    if (nType != SIZE_MINIMIZED) RecalcLayout();
}

void CFrameWndEx::OnSetFocus(CWnd* pOldWnd)
{
    CWnd::OnSetFocus(pOldWnd);
}

void CFrameWndEx::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized)
{
    CWnd::OnActivate(nState, pWndOther, bMinimized);
}

void CFrameWndEx::OnInitMenuPopup(HMENU hPopupMenu, UINT /*nIndex*/, BOOL bSysMenu)
{
    if (bSysMenu) return;
    int nCount = ::GetMenuItemCount(hPopupMenu);
    for (int i = 0; i < nCount; ++i) {
        CCmdUI state;
        state.m_nID = ::GetMenuItemID(hPopupMenu, i);
        state.m_nIndex = static_cast<UINT>(i);
        state.m_hMenu = hPopupMenu;
        state.DoUpdate(this, TRUE);
    }
}

LRESULT CFrameWndEx::OnIdleUpdateCmdUI(WPARAM, LPARAM)
{
    return 0;
}
