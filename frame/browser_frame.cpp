#include "browser_frame.h"
#include "../app/frame_window_class.h"
#include "../app/tarnwick_app.h"
#include "../res/messages.h"
#include "../res/resource.h"

IMPLEMENT_DYNAMIC(CBrowserFrame, CFrameWndEx)

BEGIN_MESSAGE_MAP(CBrowserFrame, CFrameWndEx)
    ON_WM_CREATE()
    ON_WM_SETFOCUS()
    ON_WM_CLOSE()
    ON_WM_ACTIVATE()
    ON_COMMAND(ID_VIEW_READY, OnViewReady)
END_MESSAGE_MAP()

BOOL CBrowserFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (m_wndView.OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    return CFrameWndEx::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CBrowserFrame::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!CFrameWndEx::PreCreateWindow(cs)) return FALSE;
    UseFrameWindowClass(cs);
    return TRUE;
}

int CBrowserFrame::OnCreate(LPCREATESTRUCTW lpCreateStruct)
{
    if (CFrameWndEx::OnCreate(lpCreateStruct) == -1) return -1;
    RECT rectEmpty{};
    if (!m_wndView.Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, rectEmpty, this, AFX_IDW_PANE_FIRST, nullptr)) {
        return -1;
    }
    return 0;
}

void CBrowserFrame::OnSetFocus(CWnd* /*pOldWnd*/)
{
    if (::IsWindow(m_wndView.m_hWnd)) m_wndView.SetFocus();
}

void CBrowserFrame::OnClose()
{
    CWnd* pMainWnd = AfxGetApp()->m_pMainWnd;
    if (pMainWnd && ::IsWindow(pMainWnd->m_hWnd)) {
        pMainWnd->SendMessage(WM_BROWSER_WINDOW_CLOSED, 0, reinterpret_cast<LPARAM>(this));
    }
    CFrameWndEx::OnClose();
}

void CBrowserFrame::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized)
{
    CFrameWndEx::OnActivate(nState, pWndOther, bMinimized);
    ActivateView(&m_wndView);
}

void CBrowserFrame::ActivateView(CChildView* pView)
{
    if (!pView || pView == theApp.m_pActiveView || !::IsWindow(pView->m_hWnd)) return;
    theApp.m_pActiveView = pView;
    pView->RestoreFocus();
}

void CBrowserFrame::OnViewReady()
{
    // The view's ready report needs nothing from the frame.
}
