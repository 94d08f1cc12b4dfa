#include "main_frame.h"
#include "tarnwick_app.h"
#include "../frame/browser_frame.h"
#include "../frame/frame_window_class.h"
#include "../res/messages.h"
#include "../res/resource.h"

#include <new>
#include <utility>

IMPLEMENT_DYNAMIC(CMainFrame, CFrameWndEx)

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWndEx)
    ON_WM_CREATE()
    ON_WM_SETFOCUS()
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_WM_TIMER()
    ON_MESSAGE(WM_OPEN_BROWSER_WINDOW, OnOpenBrowserWindow)
    ON_MESSAGE(WM_BROWSER_WINDOW_CLOSED, OnBrowserWindowClosed)
    ON_COMMAND(ID_VIEW_READY, OnViewReady)
END_MESSAGE_MAP()

namespace {

int ShowCommandFor(const CString& strShowMode)
{
    if (strShowMode == L"/MIN") return SW_MINIMIZE;
    if (strShowMode == L"/HIDE") return SW_HIDE;
    if (strShowMode == L"/NORMAL") return SW_SHOWNORMAL;
    return SW_SHOWMAXIMIZED;  // "/MAX", empty and anything else
}

}  // namespace

BOOL CMainFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (m_wndView.OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    return CFrameWndEx::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!CFrameWndEx::PreCreateWindow(cs)) return FALSE;
    UseFrameWindowClass(cs);
    return TRUE;
}

int CMainFrame::OnCreate(LPCREATESTRUCTW lpCreateStruct)
{
    if (CFrameWndEx::OnCreate(lpCreateStruct) == -1) return -1;
    RECT rectEmpty{};
    return m_wndView.Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, rectEmpty, this, AFX_IDW_PANE_FIRST, nullptr) ? 0 : -1;
}

void CMainFrame::OnSetFocus(CWnd* /*pOldWnd*/)
{
    if (m_wndView.m_hWnd) m_wndView.SetFocus();
}

void CMainFrame::OnViewReady()
{
    ShowWindow(SW_HIDE);
    UpdateWindow();

    CChildView* pView = nullptr;
    int nFailed = 0;
    // The first page's request leaves before the new window paints: the page is what the user waits for,
    // and the connection proceeds on the control's own threads while the window paints.
    m_bPaintAfterNavigate = true;
    OnOpenBrowserWindow(reinterpret_cast<WPARAM>(&pView), reinterpret_cast<LPARAM>(&nFailed));
    m_bPaintAfterNavigate = false;
    if (pView) {
        HWND hFrame = ::GetParent(pView->m_hWnd);
        if (!theApp.m_strStartUrl.IsEmpty()) pView->Navigate(theApp.m_strStartUrl);
        else pView->GoHome();
        if (::IsWindow(hFrame)) ::UpdateWindow(hFrame);
    }
    if (m_nTimer == 0) StartSweepTimer();
}

LRESULT CMainFrame::OnOpenBrowserWindow(WPARAM wParam, LPARAM lParam)
{
    auto* ppView = reinterpret_cast<CChildView**>(wParam);
    auto* pnFailed = reinterpret_cast<int*>(lParam);

    auto* pFrame = new (std::nothrow) CBrowserFrame;
    if (!pFrame) {
        if (pnFailed) *pnFailed = 1;
        return 0;
    }

    // The new window takes the show state of the window the user was last in.
    bool bHasReference = false;
    WINDOWPLACEMENT wpReference{};
    wpReference.length = sizeof(wpReference);
    CChildView* pActiveView = theApp.m_pActiveView;
    if (pActiveView && ::IsWindow(pActiveView->m_hWnd)) {
        bHasReference = ::GetWindowPlacement(::GetParent(pActiveView->m_hWnd), &wpReference) != FALSE;
    }

    // A frame that is to be shown maximised is created so: its bars are laid out at that size while it is
    // still hidden, not again once it shows. Restoring it still gives the default position and size.
    const int nShow = ShowCommandFor(theApp.m_strShowMode);
    const bool bMaximised = nShow == SW_SHOWMAXIMIZED && (!bHasReference || wpReference.showCmd == SW_SHOWMAXIMIZED);
    // Until LoadFrame returns, the entry has no window handle: sweeps and close reports run from nested
    // message loops leave it alone, and a close of the manager waits, since both would free the entry.
    {
        CFrameCreation creation(*this, pFrame);
        if (!pFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE | (bMaximised ? WS_MAXIMIZE : 0),
                               nullptr, nullptr)) {
            // The frame has deleted itself: tell the sender as for a failed allocation.
            if (pnFailed) *pnFailed = 1;
            return 0;
        }
        creation.Keep(pFrame->m_hWnd);
    }

    pFrame->ShowWindow(nShow);
    if (bHasReference) pFrame->ShowWindow(static_cast<int>(wpReference.showCmd));
    theApp.m_strShowMode.Empty();
    if (!m_bPaintAfterNavigate) pFrame->UpdateWindow();

    if (ppView) *ppView = &pFrame->m_wndView;
    return 0;
}

LRESULT CMainFrame::OnBrowserWindowClosed(WPARAM /*wParam*/, LPARAM lParam)
{
    auto* pClosing = reinterpret_cast<CBrowserFrame*>(lParam);
    if (!pClosing) return 0;
    for (POSITION pos = m_listFrames.GetHeadPosition(); pos;) {
        POSITION posEntry = pos;
        const CListedFrame& entry = m_listFrames.GetNext(pos);
        if (entry.pFrame == pClosing && ::IsWindow(entry.hWnd)) {
            m_listFrames.RemoveAt(posEntry);
            break;
        }
    }
    if (m_listFrames.IsEmpty()) PostMessage(WM_CLOSE);
    return 0;
}

void CMainFrame::OnTimer(UINT_PTR /*nIDEvent*/)
{
    if (m_nTimer != 0) {
        KillTimer(m_nTimer);
        m_nTimer = 0;
    }
    SweepClosedFrames();
    Default();
}

void CMainFrame::SweepClosedFrames()
{
    // One run drops at most one vanished frame; the timer comes back for the next.
    for (POSITION pos = m_listFrames.GetHeadPosition(); pos;) {
        POSITION posEntry = pos;
        const CListedFrame& entry = m_listFrames.GetNext(pos);
        if (entry.pFrame && entry.hWnd && !::IsWindow(entry.hWnd)) {
            m_listFrames.RemoveAt(posEntry);
            break;
        }
    }
    if (m_listFrames.IsEmpty()) PostMessage(WM_CLOSE);
    else if (m_nTimer == 0) StartSweepTimer();
}

void CMainFrame::OnClose()
{
    if (m_nCreating > 0) {
        m_bCloseDeferred = true;
        return;
    }
    CFrameWndEx::OnClose();
}

CMainFrame::CFrameCreation::CFrameCreation(CMainFrame& manager, CBrowserFrame* pFrame)
    : m_manager(manager), m_pFrame(pFrame)
{
    m_manager.m_listFrames.AddTail(CListedFrame{pFrame, nullptr});
    ++m_manager.m_nCreating;
}

CMainFrame::CFrameCreation::~CFrameCreation()
{
    --m_manager.m_nCreating;
    POSITION pos = m_manager.m_listFrames.Find(CListedFrame{m_pFrame, nullptr});
    if (pos) {
        if (m_hWndKept) m_manager.m_listFrames.GetAt(pos).hWnd = m_hWndKept;
        else m_manager.m_listFrames.RemoveAt(pos);
    }
    m_manager.CloseIfDeferred();
}

void CMainFrame::CloseIfDeferred()
{
    if (m_nCreating == 0 && std::exchange(m_bCloseDeferred, false)) PostMessage(WM_CLOSE);
}

void CMainFrame::StartSweepTimer()
{
    m_nTimer = reinterpret_cast<UINT_PTR>(this);
    SetTimer(m_nTimer, SWEEP_INTERVAL_MS, nullptr);
}

void CMainFrame::OnDestroy()
{
    for (POSITION pos = m_listFrames.GetHeadPosition(); pos;) {
        const CListedFrame& entry = m_listFrames.GetNext(pos);
        if (entry.pFrame && ::IsWindow(entry.hWnd)) ::PostMessageW(entry.hWnd, WM_CLOSE, 0, 0);
    }
    m_listFrames.RemoveAll();
    if (m_nTimer != 0) {
        KillTimer(m_nTimer);
        m_nTimer = 0;
    }
    CFrameWndEx::OnDestroy();
}
