#include "wnd.h"
#include "win_app.h"
#include "frame_wnd_ex.h"
#include "ole.h"
#include "ole_control_container.h"
#include "ole_control_site.h"
#include "se_translator.h"
#include "handles.h"

#include <exception>
#include <memory>
#include <new>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>

namespace {

// Per-thread window state: windows belong to the thread that created them.
struct WndThreadState {
    std::unordered_map<HWND, CWnd*> permanent;
    std::unordered_map<HWND, std::unique_ptr<CWnd>> temporary;
    struct Creation {
        CWnd* pWnd;          // object waiting for the window CreateWindowEx is making; null once bound
        HWND hWndParent;     // that window's parent, to tell it from windows the system makes meanwhile
        HWND hWndAttached;   // the window it was bound to
    };
    Creation* pCreation = nullptr;  // innermost CreateEx under way on this thread
    CHookHandle hHookCbt;          // set at the thread's first CreateEx, unhooked when the thread ends
    MSG msgCur{};                  // message being dispatched, for Default()
    std::exception_ptr pendingException;
};

thread_local WndThreadState t_state;

bool IsImeWindow(HWND hWnd)
{
    wchar_t szClass[32] = {};
    ::GetClassNameW(hWnd, szClass, 32);
    return ::_wcsicmp(szClass, L"IME") == 0 || ::_wcsicmp(szClass, L"MSCTFIME UI") == 0;
}

}  // namespace

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (!pWnd) return ::DefWindowProcW(hWnd, message, wParam, lParam);

    MSG msgSaved = t_state.msgCur;
    t_state.msgCur = MSG{hWnd, message, wParam, lParam, 0, {0, 0}};
    LRESULT lResult = 0;
    try {
        AfxFaultBoundary([&] {
            if (message == WM_NCDESTROY) {
                // The map entry goes and PostNcDestroy runs however the superclass ends, or the map would keep
                // a dead handle to an object freed later. The object may delete itself in PostNcDestroy:
                // nothing touches pWnd afterwards.
                try {
                    lResult = pWnd->DefWindowProc(message, wParam, lParam);
                } catch (...) {
                    pWnd->OnNcDestroy();
                    throw;
                }
                pWnd->OnNcDestroy();
            } else {
                lResult = pWnd->WindowProc(message, wParam, lParam);
                // Hosted controls go before their container window does, while their windows still exist.
                if (message == WM_DESTROY && pWnd->m_pCtrlCont) pWnd->m_pCtrlCont->DestroyAll();
            }
        });
    } catch (...) {
        // Exceptions never cross the window system; the message loop rethrows it after the dispatch.
        AfxHoldPendingException();
        // A window whose creation was cut short must not exist half-built.
        if (message == WM_CREATE) lResult = -1;
        else if (message == WM_NCCREATE) lResult = FALSE;
        // A paint abandoned before BeginPaint would come back at once, and fault again, for ever.
        else if (message == WM_PAINT) ::ValidateRect(hWnd, nullptr);
    }
    t_state.msgCur = msgSaved;
    return lResult;
}

LRESULT CALLBACK AfxCbtFilterHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    auto* pCreation = t_state.pCreation;
    if (nCode == HCBT_CREATEWND && pCreation && pCreation->pWnd) {
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        auto* pCbt = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
        if (pCbt->lpcs->hwndParent == pCreation->hWndParent && !IsImeWindow(hWnd)) {
            CWnd* pWnd = std::exchange(pCreation->pWnd, nullptr);
            pCreation->hWndAttached = hWnd;
            pWnd->Attach(hWnd);
            pWnd->PreSubclassWindow();
            pWnd->m_pfnSuper = reinterpret_cast<WNDPROC>(
                ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
        }
    }
    return ::CallNextHookEx(t_state.hHookCbt, nCode, wParam, lParam);
}

CWnd::~CWnd()
{
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) DestroyWindow();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    auto it = t_state.permanent.find(hWnd);
    return it == t_state.permanent.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (!hWnd) return nullptr;
    if (CWnd* pWnd = FromHandlePermanent(hWnd)) return pWnd;
    auto& pTemp = t_state.temporary[hWnd];
    if (!pTemp) {
        pTemp = std::make_unique<CWnd>();
        pTemp->m_hWnd = hWnd;
    }
    return pTemp.get();
}

void CWnd::DeleteTempMap()
{
    // Temporary wrappers must not destroy the windows they wrap.
    for (auto& entry : t_state.temporary) entry.second->m_hWnd = nullptr;
    t_state.temporary.clear();
}

void CWnd::Attach(HWND hWnd)
{
    m_hWnd = hWnd;
    t_state.permanent[hWnd] = this;
    auto it = t_state.temporary.find(hWnd);
    if (it != t_state.temporary.end()) {
        it->second->m_hWnd = nullptr;
        t_state.temporary.erase(it);
    }
}

void CWnd::OnNcDestroy()
{
    CWinThread* pThread = AfxGetThread();
    if (pThread && pThread->m_pMainWnd == this) {
        // The main window is gone: the message loop ends.
        ::PostQuitMessage(0);
        pThread->m_pMainWnd = nullptr;
    }
    if (m_pCtrlSite) {
        // The control's window went first; the site tears the control down later.
        m_pCtrlSite->m_pWndCtrl = nullptr;
        m_pCtrlSite = nullptr;
    }
    if (m_pCtrlCont) {
        m_pCtrlCont->DestroyAll();
        m_pCtrlCont->m_pWnd = nullptr;
        m_pCtrlCont->InternalRelease();
        m_pCtrlCont = nullptr;
    }
    if (m_pfnSuper) ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    t_state.permanent.erase(m_hWnd);
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
    PostNcDestroy();
}

BOOL CWnd::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                  UINT nID, CCreateContext* /*pContext*/)
{
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, pParentWnd ? pParentWnd->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)));
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam)
{
    CREATESTRUCTW cs{};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.style = static_cast<LONG>(dwStyle);
    cs.x = x;
    cs.y = y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.hwndParent = hWndParent;
    cs.hMenu = nIDorHMenu;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = lpParam;
    if (!PreCreateWindow(cs)) {
        PostNcDestroy();
        return FALSE;
    }

    if (!t_state.hHookCbt) {
        t_state.hHookCbt.Reset(::SetWindowsHookExW(WH_CBT, &AfxCbtFilterHook, nullptr, ::GetCurrentThreadId()));
    }
    WndThreadState::Creation creation{this, cs.hwndParent, nullptr};
    WndThreadState::Creation* pOuter = std::exchange(t_state.pCreation, &creation);
    HWND hWnd = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y,
                                  cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    t_state.pCreation = pOuter;
    if (hWnd) return TRUE;

    if (creation.pWnd) {
        // The window never came into being, so WM_NCDESTROY will not clean up for us.
        PostNcDestroy();
    } else if (FromHandlePermanent(creation.hWndAttached) == this) {
        // Bound, then refused (a creation hook said no) without WM_NCDESTROY.
        t_state.permanent.erase(creation.hWndAttached);
        m_hWnd = nullptr;
        m_pfnSuper = nullptr;
        PostNcDestroy();
    }
    // Otherwise WM_NCDESTROY has run PostNcDestroy, which may have deleted this object.
    return FALSE;
}

BOOL CWnd::DestroyWindow()
{
    if (m_pCtrlSite && m_pCtrlSite->m_pCtrlCont) {
        HWND hWnd = m_hWnd;
        m_pCtrlSite->m_pCtrlCont->DestroyControlSite(m_pCtrlSite);
        // A control that left its window behind still loses it.
        if (hWnd && ::IsWindow(hWnd)) ::DestroyWindow(hWnd);
        return TRUE;
    }
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

BOOL CWnd::CreateControl(REFCLSID clsid, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                         UINT nID, void* pPersist, BOOL bStorage, BSTR bstrLicKey)
{
    if (!pParentWnd || !pParentWnd->m_hWnd || pPersist || bStorage || bstrLicKey || m_hWnd || !AfxGetOccManager()) {
        return FALSE;
    }
    if (!pParentWnd->m_pCtrlCont) pParentWnd->m_pCtrlCont = new (std::nothrow) COleControlContainer(pParentWnd);
    if (!pParentWnd->m_pCtrlCont) return FALSE;
    return pParentWnd->m_pCtrlCont->CreateControl(this, clsid, lpszWindowName, dwStyle, rect, nID);
}

BOOL CWnd::OnAmbientProperty(COleControlSite* pSite, DISPID dispid, VARIANT* pvar)
{
    return m_pCtrlCont && m_pCtrlCont->GetAmbientProp(pSite, dispid, pvar);
}

IUnknown* CWnd::GetControlUnknown() const
{
    return m_pCtrlSite ? m_pCtrlSite->m_pObject.p() : nullptr;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!hWnd || m_hWnd || FromHandlePermanent(hWnd)) return FALSE;
    Attach(hWnd);
    PreSubclassWindow();
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    return TRUE;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!cs.lpszClass) cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW));
    return TRUE;
}

BOOL CWnd::PreTranslateMessage(MSG* /*pMsg*/)
{
    return FALSE;
}

BOOL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg)
{
    for (HWND hWnd = pMsg->hwnd; hWnd; hWnd = ::GetParent(hWnd)) {
        CWnd* pWnd = FromHandlePermanent(hWnd);
        if (pWnd && pWnd->PreTranslateMessage(pMsg)) return TRUE;
        if (hWnd == hWndStop || !(::GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD)) break;
    }
    return FALSE;
}

CWnd* CWnd::GetTopLevelParent() const
{
    HWND hWnd = m_hWnd;
    while (hWnd && (::GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD)) hWnd = ::GetParent(hWnd);
    return FromHandle(hWnd);
}

CFrameWndEx* CWnd::GetParentFrame() const
{
    for (HWND hWnd = m_hWnd; hWnd && (::GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD);) {
        hWnd = ::GetParent(hWnd);
        if (auto* pFrame = dynamic_cast<CFrameWndEx*>(FromHandlePermanent(hWnd))) return pFrame;
    }
    return nullptr;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT lResult = 0;
    if (!OnWndMsg(message, wParam, lParam, &lResult)) lResult = DefWindowProc(message, wParam, lParam);
    return lResult;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam)) return FALSE;
        *pResult = 0;
        return TRUE;
    }
    if (message == WM_NOTIFY) return OnNotify(wParam, lParam, pResult);
    const AFX_MSGMAP_ENTRY* pEntry = FindMessageEntry(message, 0, 0);
    if (!pEntry) return FALSE;
    AFX_MSGCALL call{message, 0, wParam, lParam, nullptr, 0};
    pEntry->pfn(this, call);
    *pResult = call.lResult;
    return TRUE;
}

namespace {
// Records whether an update handler disabled a command, without touching any menu.
class CTestCmdUI : public CCmdUI {
public:
    BOOL m_bEnabled = TRUE;
    void Enable(BOOL bOn) override { m_bEnabled = bOn; m_bEnableChanged = TRUE; }
    void SetCheck(int) override {}
};
}  // namespace

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT nID = LOWORD(wParam);
    UINT nCode = HIWORD(wParam);
    if (lParam == 0) {
        // Menus (code 0) and accelerators (code 1): a command disabled at this moment is not carried out.
        if (nID == 0) return FALSE;
        CTestCmdUI state;
        state.m_nID = nID;
        OnCmdMsg(nID, static_cast<int>(CN_UPDATE_COMMAND_UI), &state, nullptr);
        if (!state.m_bEnabled) return TRUE;
        nCode = CN_COMMAND;
    } else {
        // A control's notification goes back to the control first.
        CWnd* pChild = FromHandlePermanent(reinterpret_cast<HWND>(lParam));
        if (pChild && pChild->OnChildNotify(WM_COMMAND, wParam, lParam, nullptr)) return TRUE;
        if (nID == 0) return FALSE;
    }
    return OnCmdMsg(nID, static_cast<int>(nCode), nullptr, nullptr);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper) return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    const MSG& msg = t_state.msgCur;
    return DefWindowProc(msg.message, msg.wParam, msg.lParam);
}

void CWnd::GetWindowText(CString& rString) const
{
    int nLength = ::GetWindowTextLengthW(m_hWnd);
    ::GetWindowTextW(m_hWnd, rString.GetBuffer(nLength + 1), nLength + 1);
    rString.ReleaseBuffer();
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    if (m_pCtrlSite && (nFlags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE)) {
        // A hosted control places its own window: tell it through its site.
        RECT rect = m_pCtrlSite->m_rect;
        if (!(nFlags & SWP_NOMOVE)) ::OffsetRect(&rect, x - rect.left, y - rect.top);
        if (!(nFlags & SWP_NOSIZE)) {
            rect.right = rect.left + cx;
            rect.bottom = rect.top + cy;
        }
        m_pCtrlSite->SetObjectRects(rect);
    }
    return ::SetWindowPos(m_hWnd, pWndInsertAfter ? pWndInsertAfter->m_hWnd : nullptr, x, y, cx, cy, nFlags);
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint)
{
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

int CWnd::OnCreate(LPCREATESTRUCTW) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(HDC) { return static_cast<BOOL>(Default()); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnActivate(UINT, CWnd*, BOOL) { Default(); }
void CWnd::OnMouseMove(UINT, POINT) { Default(); }
void CWnd::OnMouseLeave() { Default(); }
BOOL CWnd::OnMouseWheel(UINT, short, POINT) { return static_cast<BOOL>(Default()); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
UINT CWnd::OnGetDlgCode() { return static_cast<UINT>(Default()); }
void CWnd::OnWindowPosChanging(WINDOWPOS*) { Default(); }
void CWnd::OnWindowPosChanged(WINDOWPOS*) { Default(); }

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    auto* pHeader = reinterpret_cast<NMHDR*>(lParam);
    CWnd* pChild = pHeader ? FromHandlePermanent(pHeader->hwndFrom) : nullptr;
    return pChild && pChild != this && pChild->OnChildNotify(WM_NOTIFY, wParam, lParam, pResult);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM /*lParam*/, LRESULT* pResult)
{
    if (message != WM_COMMAND) return FALSE;
    const AFX_MSGMAP_ENTRY* pEntry = FindMessageEntry(WM_REFLECT_BASE + WM_COMMAND, HIWORD(wParam), 0);
    if (!pEntry) return FALSE;
    AFX_MSGCALL call{WM_REFLECT_BASE + WM_COMMAND, LOWORD(wParam), wParam, 0, nullptr, 0};
    pEntry->pfn(this, call);
    if (pResult) *pResult = 0;
    return TRUE;
}

LPCWSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon)
{
    static std::set<std::wstring> s_registered;
    wchar_t szName[96];
    ::_snwprintf(szName, 96, L"Afx:%p:%x:%p:%p:%p", static_cast<void*>(AfxGetInstanceHandle()), nClassStyle,
                 static_cast<void*>(hCursor), static_cast<void*>(hbrBackground), static_cast<void*>(hIcon));
    szName[95] = L'\0';
    auto [it, bInserted] = s_registered.insert(szName);
    if (bInserted) {
        // The class's own procedure is the default one: every window is subclassed to the maps when created.
        WNDCLASSW wc{};
        wc.style = nClassStyle;
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = AfxGetInstanceHandle();
        wc.hIcon = hIcon;
        wc.hCursor = hCursor;
        wc.hbrBackground = hbrBackground;
        wc.lpszClassName = it->c_str();
        if (!::RegisterClassW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
            s_registered.erase(it);
            return nullptr;
        }
    }
    return it->c_str();
}

void AfxRethrowPendingException()
{
    if (std::exception_ptr p = std::exchange(t_state.pendingException, nullptr)) std::rethrow_exception(p);
}

void AfxHoldPendingException()
{
    std::exception_ptr p = std::current_exception();
    std::exception_ptr& held = t_state.pendingException;
    // The first exception of a dispatch is the cause of any later one, so it is kept; only a translated
    // fault gives way to another kind of exception, which must not be absorbed as a fault would be.
    if (!held || (AfxIsTranslatedFault(held) && !AfxIsTranslatedFault(p))) held = p;
}
