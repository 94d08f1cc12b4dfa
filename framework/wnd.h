#pragma once
#include <windows.h>
#include "cmd_target.h"
#include "cstring.h"

struct CCreateContext {};  // documents and views are not part of this framework; kept for the Create signatures
class CFrameWndEx;
class COleControlSite;
class COleControlContainer;

#define afx_msg

// A window object bound to one HWND. Windows created through Create/CreateEx
// are subclassed from their first message on and dispatch through message
// maps; FromHandle wraps any other window in a temporary object that lives
// until the next idle time.
class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    // Permanent object of hWnd, or a temporary wrapper; null for a null handle.
    static CWnd* FromHandle(HWND hWnd);
    // The object that owns hWnd's dispatch, or null.
    static CWnd* FromHandlePermanent(HWND hWnd);

    virtual BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                        CWnd* pParentWnd, UINT nID, CCreateContext* pContext = nullptr);
    BOOL CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, int x, int y,
                  int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam = nullptr);
    // A control's wrapper window tears the control down through its site.
    virtual BOOL DestroyWindow();

    // Hosts an ActiveX control in pParentWnd and binds this object to the control's window.
    // The persistence, storage and licence arguments are accepted and must be null.
    BOOL CreateControl(REFCLSID clsid, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                       UINT nID, void* pPersist = nullptr, BOOL bStorage = FALSE, BSTR bstrLicKey = nullptr);
    // Answers a hosted control's ambient property; the default gives the container's standard answers.
    virtual BOOL OnAmbientProperty(COleControlSite* pSite, DISPID dispid, VARIANT* pvar);
    IUnknown* GetControlUnknown() const;

    COleControlSite* m_pCtrlSite = nullptr;      // for a control's wrapper: the control's site
    COleControlContainer* m_pCtrlCont = nullptr; // for a window hosting controls: their container; owned

    // Binds an existing window to this object and routes its messages through the maps.
    BOOL SubclassWindow(HWND hWnd);

    virtual BOOL PreCreateWindow(CREATESTRUCTW& cs);
    // Called once the object is bound to its window, before the window's own messages reach the maps.
    virtual void PreSubclassWindow() {}
    // Offers a parent's notification back to the control that sent it; TRUE when a reflection entry took it.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Called for each message before dispatch, target window first, then each parent; TRUE stops it.
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    // Runs the message maps for one message; unhandled messages reach DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // WM_NOTIFY: by default handed back to the control that sent it.
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Default processing of the message being dispatched.
    LRESULT Default();
    // Called after the window is gone (WM_NCDESTROY); frames delete themselves here.
    virtual void PostNcDestroy() {}

    // Offers pMsg to PreTranslateMessage of the target and each parent up to (and including) hWndStop or the top-level window.
    static BOOL WalkPreTranslateTree(HWND hWndStop, MSG* pMsg);

    // Thin wrappers over the Win32 calls of the same names.
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    CWnd* GetTopLevelParent() const;
    // The nearest frame among the ancestors, stopping at the top-level window; null outside a frame.
    CFrameWndEx* GetParentFrame() const;
    CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
    static CWnd* GetFocus() { return FromHandle(::GetFocus()); }
    void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    void GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
    BOOL GetWindowPlacement(WINDOWPLACEMENT* lpwndpl) const { return ::GetWindowPlacement(m_hWnd, lpwndpl); }
    void SetWindowText(LPCWSTR lpszString) { ::SetWindowTextW(m_hWnd, lpszString); }
    void GetWindowText(CString& rString) const;
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { return ::SendMessageW(m_hWnd, message, wParam, lParam); }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { return ::PostMessageW(m_hWnd, message, wParam, lParam); }
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer) { return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer); }
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }
    CWnd* GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    BOOL IsChild(const CWnd* pWnd) const { return pWnd && ::IsChild(m_hWnd, pWnd->m_hWnd); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL IsZoomed() const { return ::IsZoomed(m_hWnd); }
    HMENU GetMenu() const { return ::GetMenu(m_hWnd); }

    // Deletes the temporary wrappers FromHandle made; the message loop calls it at idle time.
    static void DeleteTempMap();

protected:
    // Default message handlers: each passes the message to Default().
    afx_msg int OnCreate(LPCREATESTRUCTW lpCreateStruct);
    afx_msg void OnDestroy();
    afx_msg void OnClose();
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(HDC hDC);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    afx_msg void OnMouseMove(UINT nFlags, POINT point);
    afx_msg void OnMouseLeave();
    afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, POINT pt);
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg UINT OnGetDlgCode();
    afx_msg void OnWindowPosChanging(WINDOWPOS* lpwndpos);
    afx_msg void OnWindowPosChanged(WINDOWPOS* lpwndpos);

    WNDPROC m_pfnSuper = nullptr;  // the window procedure the window had before it was subclassed

private:
    void Attach(HWND hWnd);
    void OnNcDestroy();

    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK AfxCbtFilterHook(int, WPARAM, LPARAM);
};

// Registers (once) and returns a window class with these attributes; the name stays valid for the process.
LPCWSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr, HBRUSH hbrBackground = nullptr,
                            HICON hIcon = nullptr);

// An exception thrown by a message handler is held here instead of crossing the
// window system; the message loop rethrows it once the dispatch has returned,
// even when the handler ran inside GetMessage (a message sent by another thread).
void AfxRethrowPendingException();
// Holds the exception being handled (call it from a catch block), for window
// procedures and COM entry points that must not let it cross into their caller.
// The first one held stays, unless it is a translated fault and this one is not.
void AfxHoldPendingException();
