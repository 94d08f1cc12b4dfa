#include "dialog.h"
#include "frame_wnd_ex.h"
#include "win_app.h"

#include <utility>

namespace {

bool IsDialogWindow(HWND hWnd)
{
    wchar_t szClass[16] = {};
    ::GetClassNameW(hWnd, szClass, 16);
    return ::wcscmp(szClass, L"#32770") == 0;
}

// Binds the next dialog window this thread creates to its object while the
// window is being created, so that its first message already reaches the maps.
class CDialogCreation {
public:
    explicit CDialogCreation(CWnd* pDialog)
        : m_pDialog(pDialog), m_pOuter(std::exchange(t_pInnermost, this)),
          m_hHook(::SetWindowsHookExW(WH_CBT, &CbtHook, nullptr, ::GetCurrentThreadId()))
    {
    }
    ~CDialogCreation()
    {
        if (m_hHook) ::UnhookWindowsHookEx(m_hHook);
        t_pInnermost = m_pOuter;
    }
    CDialogCreation(const CDialogCreation&) = delete;
    CDialogCreation& operator=(const CDialogCreation&) = delete;

private:
    static LRESULT CALLBACK CbtHook(int nCode, WPARAM wParam, LPARAM lParam)
    {
        CDialogCreation* pThis = t_pInnermost;
        if (!pThis) return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        if (nCode == HCBT_CREATEWND && pThis->m_pDialog && IsDialogWindow(hWnd)) {
            std::exchange(pThis->m_pDialog, nullptr)->SubclassWindow(hWnd);
        }
        return ::CallNextHookEx(pThis->m_hHook, nCode, wParam, lParam);
    }

    CWnd* m_pDialog;  // waiting for its window; null once bound
    CDialogCreation* m_pOuter;
    HHOOK m_hHook;
    static thread_local CDialogCreation* t_pInnermost;
};

thread_local CDialogCreation* CDialogCreation::t_pInnermost = nullptr;

// What DoModal changed around the dialog, put back however it ends: a fault in a handler
// can unwind through DoModal, and the owner must never stay disabled.
class CModalScope {
public:
    CModalScope(CWnd* pDialog, HWND hWndOwner, HWND hWndTop) : m_pDialog(pDialog), m_hWndOwner(hWndOwner)
    {
        if (hWndTop && ::IsWindowEnabled(hWndTop)) {
            m_hWndTop = hWndTop;
            ::EnableWindow(hWndTop, FALSE);
        }
        if (hWndOwner && hWndOwner != ::GetDesktopWindow() && ::IsWindowEnabled(hWndOwner)) {
            m_bEnableOwner = true;
            ::EnableWindow(hWndOwner, FALSE);
        }
    }
    ~CModalScope()
    {
        HWND hWnd = m_pDialog->GetSafeHwnd();
        if (hWnd) {
            ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                           SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        }
        if (m_bEnableOwner) ::EnableWindow(m_hWndOwner, TRUE);
        // Activate the owner before the dialog goes, or the system activates some other window.
        if (m_hWndOwner && hWnd && ::GetActiveWindow() == hWnd) ::SetActiveWindow(m_hWndOwner);
        if (hWnd) m_pDialog->DestroyWindow();
        if (m_hWndTop) ::EnableWindow(m_hWndTop, TRUE);
    }
    CModalScope(const CModalScope&) = delete;
    CModalScope& operator=(const CModalScope&) = delete;

private:
    CWnd* m_pDialog;
    HWND m_hWndOwner;
    HWND m_hWndTop = nullptr;
    bool m_bEnableOwner = false;
};

}  // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal()
{
    HINSTANCE hInstance = AfxGetResourceHandle();
    HRSRC hResource = ::FindResourceW(hInstance, MAKEINTRESOURCEW(m_nIDTemplate), RT_DIALOG);
    HGLOBAL hTemplate = hResource ? ::LoadResource(hInstance, hResource) : nullptr;
    auto* pTemplate = static_cast<LPCDLGTEMPLATEW>(::LockResource(hTemplate));
    if (!pTemplate || m_hWnd) return -1;

    HWND hWndTop = nullptr;
    HWND hWndOwner = FindOwner(&hWndTop);
    CModalScope scope(this, hWndOwner, hWndTop);
    m_nModalResult = -1;
    m_bContinueModal = TRUE;
    HWND hWnd;
    {
        CDialogCreation creation(this);
        hWnd = ::CreateDialogIndirectParamW(hInstance, pTemplate, hWndOwner, &DialogProc, 0);
    }
    if (!hWnd) return -1;
    // A fault while the dialog initialised abandons the message that opened it, like any other handler's.
    AfxRethrowPendingException();

    if (m_bContinueModal) {
        if (!(GetStyle() & WS_VISIBLE)) ShowWindow(SW_SHOWNORMAL);
        UpdateWindow();
        RunModalLoop();
    }
    return m_nModalResult;
}

void CDialog::RunModalLoop()
{
    CWinThread* pThread = AfxGetThread();
    while (m_bContinueModal && m_hWnd) {
        if (pThread) {
            // The thread's own pump: message filters, and the application's rule for faults.
            if (!pThread->PumpMessage()) {
                // WM_QUIT ends the outer loop too.
                ::PostQuitMessage(static_cast<int>(pThread->m_msgCur.wParam));
                m_nModalResult = -1;
                return;
            }
            continue;
        }
        MSG msg;
        if (::GetMessageW(&msg, nullptr, 0, 0) <= 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            m_nModalResult = -1;
            return;
        }
        if (!WalkPreTranslateTree(nullptr, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    // Destroyed from outside before it was ended.
    if (!m_hWnd && m_bContinueModal) m_nModalResult = -1;
}

void CDialog::EndDialog(int nResult)
{
    m_nModalResult = nResult;
    m_bContinueModal = FALSE;
    // Wakes the loop when the call did not come from a message it dispatched.
    if (m_hWnd) ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

BOOL CDialog::OnInitDialog()
{
    return TRUE;
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    if ((pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST) &&
        (pMsg->message < WM_MOUSEFIRST || pMsg->message > WM_MOUSELAST)) {
        return FALSE;
    }
    return ::IsDialogMessageW(m_hWnd, pMsg);
}

void CDialog::OnOK()
{
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

HWND CDialog::FindOwner(HWND* phWndTop) const
{
    HWND hWnd = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : nullptr;
    if (!hWnd) {
        CWnd* pWnd = AfxGetRoutingFrame();
        if (!pWnd) pWnd = AfxGetMainWnd();
        hWnd = pWnd && ::IsWindow(pWnd->m_hWnd) ? pWnd->m_hWnd : nullptr;
    }
    // A popup cannot be owned by a child window.
    while (hWnd && (::GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD)) hWnd = ::GetParent(hWnd);
    // The last of the owner chain is disabled as well.
    HWND hWndTop = hWnd;
    for (HWND hWndNext = hWnd; hWndNext; hWndNext = ::GetParent(hWndNext)) hWndTop = hWndNext;
    // Without a parent of its own, the dialog goes in front of whatever that window shows now.
    if (!m_pParentWnd && hWnd) hWnd = ::GetLastActivePopup(hWnd);
    *phWndTop = hWndTop != hWnd ? hWndTop : nullptr;
    return hWnd;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    // Every other message has been through the maps already: the window is subclassed to them.
    if (message != WM_INITDIALOG) return FALSE;
    auto* pDialog = dynamic_cast<CDialog*>(FromHandlePermanent(hWnd));
    return pDialog ? pDialog->OnInitDialog() : TRUE;
}
