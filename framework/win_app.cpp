#include "win_app.h"
#include "frame_wnd_ex.h"
#include "ole.h"
#include "se_translator.h"

namespace {
CWinApp* g_pApp = nullptr;

BOOL CALLBACK SendIdleUpdate(HWND hWnd, LPARAM)
{
    if (::IsWindowVisible(hWnd) && dynamic_cast<CFrameWndEx*>(CWnd::FromHandlePermanent(hWnd))) {
        ::SendMessageW(hWnd, WM_IDLEUPDATECMDUI, TRUE, 0);
    }
    return TRUE;
}
}  // namespace

int CWinThread::Run()
{
    BOOL bIdle = TRUE;
    LONG lIdleCount = 0;
    for (;;) {
        MSG msgPeek;
        while (bIdle && !::PeekMessageW(&msgPeek, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(lIdleCount++)) bIdle = FALSE;
        }
        do {
            if (!PumpMessage()) return ExitInstance();
            if (IsIdleMessage(&m_msgCur)) {
                bIdle = TRUE;
                lIdleCount = 0;
            }
        } while (::PeekMessageW(&msgPeek, nullptr, 0, 0, PM_NOREMOVE));
    }
}

BOOL CWinThread::PumpMessage()
{
    BOOL bResult = TRUE;
    // Faults of windows that are not the framework's (a hosted control's) are caught here.
    bool bDispatching = false;  // past GetMessage: m_msgCur is the message being handled
    try {
        AfxFaultBoundary([&] {
            if (!::GetMessageW(&m_msgCur, nullptr, 0, 0)) {
                bResult = FALSE;
                return;
            }
            bDispatching = true;
            if (!PreTranslateMessage(&m_msgCur)) {
                ::TranslateMessage(&m_msgCur);
                ::DispatchMessageW(&m_msgCur);
            }
        });
    } catch (...) {
        // A paint abandoned before BeginPaint would come back at once, and fault again, for ever.
        if (bDispatching && m_msgCur.message == WM_PAINT && m_msgCur.hwnd) ::ValidateRect(m_msgCur.hwnd, nullptr);
        throw;
    }
    // A handler's exception was held while the window system was on the stack; it surfaces here,
    // after the message that GetMessage returned has been dispatched. A WM_QUIT taken in the same
    // call is posted again, or a caller that absorbs the exception would wait for it forever.
    try {
        AfxRethrowPendingException();
    } catch (...) {
        if (!bResult) ::PostQuitMessage(static_cast<int>(m_msgCur.wParam));
        throw;
    }
    return bResult;
}

BOOL CWinThread::PreTranslateMessage(MSG* pMsg)
{
    return CWnd::WalkPreTranslateTree(nullptr, pMsg);
}

BOOL CWinThread::OnIdle(LONG lCount)
{
    if (lCount <= 0) {
        ::EnumThreadWindows(::GetCurrentThreadId(), &SendIdleUpdate, 0);
        return TRUE;
    }
    CWnd::DeleteTempMap();
    return FALSE;
}

BOOL CWinThread::IsIdleMessage(MSG* pMsg)
{
    // Frequent messages that change nothing on screen do not restart idle processing.
    return pMsg->message != WM_PAINT && pMsg->message != 0x0118 /* WM_SYSTIMER */ && pMsg->message != WM_TIMER &&
           pMsg->message != WM_MOUSEMOVE && pMsg->message != WM_NCMOUSEMOVE;
}

int CWinThread::ExitInstance()
{
    return static_cast<int>(m_msgCur.wParam);
}

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCWSTR lpszAppName) : m_strAppName(lpszAppName)
{
    g_pApp = this;
    m_pszAppName = lpszAppName ? m_strAppName.GetString() : nullptr;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this) g_pApp = nullptr;
}

void CWinApp::SetCurrentHandles(HINSTANCE hInstance, LPWSTR lpCmdLine)
{
    m_hInstance = hInstance;
    m_lpCmdLine = lpCmdLine;
    if (!m_pszAppName) {
        m_strAppName.LoadString(AFX_IDS_APP_TITLE);
        m_pszAppName = m_strAppName.GetString();
    }
}

void CWinApp::OnAppExit()
{
    if (m_pMainWnd && ::IsWindow(m_pMainWnd->m_hWnd)) m_pMainWnd->SendMessage(WM_CLOSE);
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

CWinThread* AfxGetThread()
{
    return g_pApp;
}

CWnd* AfxGetMainWnd()
{
    return g_pApp ? g_pApp->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetInstanceHandle()
{
    if (g_pApp && g_pApp->m_hInstance) return g_pApp->m_hInstance;
    return ::GetModuleHandleW(nullptr);
}

HINSTANCE AfxGetResourceHandle()
{
    return AfxGetInstanceHandle();
}

// The show mode is the program's own command line's ("/MIN" and the like), not the one given here.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPWSTR lpCmdLine, int /*nCmdShow*/)
{
    CWinApp* pApp = AfxGetApp();
    if (!pApp) return -1;
    pApp->SetCurrentHandles(hInstance, lpCmdLine);
    int nReturnCode;
    if (!pApp->InitInstance()) {
        if (pApp->m_pMainWnd) pApp->m_pMainWnd->DestroyWindow();
        nReturnCode = pApp->ExitInstance();
        if (nReturnCode == 0) nReturnCode = 1;  // a failed start is never reported as success
    } else {
        nReturnCode = pApp->Run();
    }
    AfxOleTerm();
    return nReturnCode;
}
