#include "child_view.h"
#include "../app/dlg_setting.h"
#include "../app/tarnwick_app.h"
#include "../frame/browser_frame.h"
#include "editable_focus.h"
#include "view_window_class.h"
#include "../hosting/ole_control_site_ex.h"
#include "../res/resource.h"

#include <exdispid.h>
#include <mshtml.h>
#include <cstring>

namespace {

constexpr DWORD kHostFlags = DOCHOSTUIFLAG_OPENNEWWIN | DOCHOSTUIFLAG_ENABLE_FORMS_AUTOCOMPLETE |
                             DOCHOSTUIFLAG_ENABLE_INPLACE_NAVIGATION | DOCHOSTUIFLAG_THEME;  // 0x54020

// A VT_BSTR of the text; a null text gives a VT_BSTR holding a null BSTR.
VARIANT MakeBstrVariant(LPCWSTR lpsz)
{
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = lpsz ? ::SysAllocString(lpsz) : nullptr;
    return v;
}

// Zoom values of the text-size commands, largest first: ID_TEXTSIZE_LARGEST + i has value 4 - i.
constexpr long kZoomOfLargest = 4;

bool IsKeyDown(SHORT nState)
{
    return (nState & 0x8000) != 0;
}

}  // namespace

BEGIN_MESSAGE_MAP(CChildView, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_KILLFOCUS()
    ON_WM_DESTROY()
    ON_COMMAND(ID_VIEW_INITIALIZE, OnViewInitialize)
    ON_COMMAND(ID_GO_BACK, OnGoBack)
    ON_UPDATE_COMMAND_UI(ID_GO_BACK, OnUpdateGoBack)
    ON_COMMAND(ID_GO_FORWARD, OnGoForward)
    ON_UPDATE_COMMAND_UI(ID_GO_FORWARD, OnUpdateGoForward)
    ON_COMMAND(ID_GO_HOME, OnGoHome)
    ON_UPDATE_COMMAND_UI(ID_GO_HOME, OnUpdateGoHome)
    ON_COMMAND(ID_VIEW_REFRESH, OnViewRefresh)
    ON_UPDATE_COMMAND_UI(ID_VIEW_REFRESH, OnUpdateViewRefresh)
    ON_COMMAND(ID_VIEW_STOP, OnViewStop)
    ON_UPDATE_COMMAND_UI(ID_VIEW_STOP, OnUpdateViewStop)
    ON_COMMAND_RANGE(ID_TEXTSIZE_LARGEST, ID_TEXTSIZE_SMALLEST, OnTextSize)
    ON_COMMAND(ID_PAGE_CUT, OnPageCut)
    ON_UPDATE_COMMAND_UI(ID_PAGE_CUT, OnUpdatePageCutPaste)
    ON_COMMAND(ID_PAGE_COPY, OnPageCopy)
    ON_COMMAND(ID_PAGE_PASTE, OnPagePaste)
    ON_UPDATE_COMMAND_UI(ID_PAGE_PASTE, OnUpdatePageCutPaste)
    ON_COMMAND(ID_PAGE_SELECT_ALL, OnPageSelectAll)
    ON_COMMAND(ID_TOOLS_OPTIONS, OnToolsOptions)
END_MESSAGE_MAP()

BEGIN_EVENTSINK_MAP(CChildView, CWnd)
    ON_EVENT(CChildView, AFX_IDW_PANE_FIRST, DISPID_COMMANDSTATECHANGE, CommandStateChange, VTS_I4 VTS_BOOL)
    ON_EVENT(CChildView, AFX_IDW_PANE_FIRST, DISPID_DOWNLOADBEGIN, DownloadBegin, VTS_NONE)
    ON_EVENT(CChildView, AFX_IDW_PANE_FIRST, DISPID_DOWNLOADCOMPLETE, DownloadComplete, VTS_NONE)
END_EVENTSINK_MAP()

BOOL CChildView::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                        CWnd* pParentWnd, UINT nID, CCreateContext* pContext)
{
    if (!CWnd::Create(lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, nID, pContext)) return FALSE;
    RECT rectClient;
    GetClientRect(&rectClient);
    if (!m_wndBrowser.CreateControl(CLSID_WebBrowser, lpszWindowName, WS_CHILD | WS_VISIBLE, rectClient, this,
                                    AFX_IDW_PANE_FIRST)) {
        DestroyWindow();
        return FALSE;
    }
    IUnknown* pUnknown = m_wndBrowser.GetControlUnknown();
    if (!pUnknown || FAILED(pUnknown->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&m_pBrowserApp)))) {
        m_pBrowserApp.Release();
        m_wndBrowser.DestroyWindow();
        DestroyWindow();
        return FALSE;
    }
    // The host objects are attached once the frame's creation is over.
    PostMessage(WM_COMMAND, ID_VIEW_INITIALIZE, 0);
    return TRUE;
}

BOOL CChildView::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (!CWnd::PreCreateWindow(cs)) return FALSE;
    UseViewWindowClass(cs);
    return TRUE;
}

BOOL CChildView::PreTranslateMessage(MSG* pMsg)
{
    if (!pMsg) return FALSE;
    if (pMsg->message == WM_KEYDOWN) {
        switch (pMsg->wParam) {
        case VK_BROWSER_BACK: OnGoBack(); return TRUE;
        case VK_BROWSER_FORWARD: OnGoForward(); return TRUE;
        case VK_BROWSER_REFRESH: OnViewRefresh(); return TRUE;
        case VK_BROWSER_STOP: OnViewStop(); return TRUE;
        case VK_BROWSER_HOME: OnGoHome(); return TRUE;
        default: break;
        }
    }
    if (pMsg->message == WM_XBUTTONDOWN) {
        if (HIWORD(pMsg->wParam) == XBUTTON1) {
            OnGoBack();
            return TRUE;
        }
        if (HIWORD(pMsg->wParam) == XBUTTON2) {
            OnGoForward();
            return TRUE;
        }
    }
    if (CWnd::PreTranslateMessage(pMsg)) return TRUE;
    // The frames' accelerators win over the control's own keys. (This framework has no Shift+F1 help mode.)
    for (CFrameWndEx* pFrame = GetParentFrame(); pFrame; pFrame = pFrame->GetParentFrame()) {
        if (pFrame->PreTranslateMessage(pMsg)) return TRUE;
    }
    if (m_pBrowserApp) {
        CComPtr<IOleInPlaceActiveObject> pActiveObject;
        if (SUCCEEDED(m_pBrowserApp.QueryInterface(&pActiveObject))) {
            return pActiveObject->TranslateAccelerator(pMsg) == S_OK;
        }
    }
    return FALSE;
}

void CChildView::Navigate(LPCWSTR lpszURL, DWORD dwFlags, LPCWSTR lpszTargetFrameName, LPCWSTR lpszHeaders,
                          LPVOID lpvPostData, DWORD dwPostDataLen)
{
    if (!m_pBrowserApp) return;

    VARIANT vPostData;
    ::VariantInit(&vPostData);
    if (lpvPostData) {
        if (SAFEARRAY* psa = ::SafeArrayCreateVector(VT_UI1, 0, dwPostDataLen)) {
            void* pData = nullptr;
            if (SUCCEEDED(::SafeArrayAccessData(psa, &pData))) {
                if (dwPostDataLen) std::memcpy(pData, lpvPostData, dwPostDataLen);
                ::SafeArrayUnaccessData(psa);
            }
            vPostData.vt = VT_ARRAY | VT_UI1;
            vPostData.parray = psa;
        }
    }
    VARIANT vURL = MakeBstrVariant(lpszURL);
    VARIANT vFlags;
    ::VariantInit(&vFlags);
    vFlags.vt = VT_I4;
    vFlags.lVal = static_cast<LONG>(dwFlags);
    VARIANT vTarget = MakeBstrVariant(lpszTargetFrameName);
    VARIANT vHeaders = MakeBstrVariant(lpszHeaders);

    m_pBrowserApp->Navigate2(&vURL, &vFlags, &vTarget, &vPostData, &vHeaders);

    ::VariantClear(&vURL);
    ::VariantClear(&vTarget);
    ::VariantClear(&vHeaders);
    ::VariantClear(&vPostData);
}

void CChildView::GoHome()
{
    if (m_pBrowserApp) m_pBrowserApp->GoHome();
}

IDispatch* CChildView::GetApplication() const
{
    IDispatch* pDisp = nullptr;
    if (!m_pBrowserApp || FAILED(m_pBrowserApp->get_Application(&pDisp))) return nullptr;
    return pDisp;
}

IDispatch* CChildView::GetHtmlDocument() const
{
    IDispatch* pDisp = nullptr;
    if (!m_pBrowserApp || FAILED(m_pBrowserApp->get_Document(&pDisp))) return nullptr;
    return pDisp;
}

bool CChildView::IsTopLevelBrowser(IDispatch* pDisp) const
{
    if (!m_pBrowserApp || !pDisp) return false;
    CComPtr<IDispatch> pControl;
    if (FAILED(m_pBrowserApp->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&pControl))) || !pControl) {
        return false;
    }
    if (pControl == pDisp) return true;
    // The same object may hand out different interface pointers: compare identities.
    CComPtr<IUnknown> pUnkControl, pUnkEvent;
    return SUCCEEDED(pControl->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pUnkControl))) &&
           SUCCEEDED(pDisp->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pUnkEvent))) &&
           pUnkControl == pUnkEvent;
}

void CChildView::RestoreFocus()
{
    HWND hWndFocus = ::GetFocus();
    if (m_hwndLastFocus && ::IsChild(m_hWnd, m_hwndLastFocus) && m_hwndLastFocus != hWndFocus) {
        ::SetFocus(m_hwndLastFocus);
        return;
    }
    if (m_hwndLastFocus && hWndFocus && ::IsChild(m_hWnd, hWndFocus)) return;
    FocusPage();
}

void CChildView::RememberFocus()
{
    HWND hWndFocus = ::GetFocus();
    if (hWndFocus && ::IsChild(m_hWnd, hWndFocus)) m_hwndLastFocus = hWndFocus;
}

void CChildView::FocusPage()
{
    if (!::GetActiveWindow() || !m_pBrowserApp) return;
    CComPtr<IDispatch> pDocDisp;
    pDocDisp.Attach(GetHtmlDocument());
    CComPtr<IHTMLDocument2> pDocument;
    CComPtr<IHTMLWindow2> pWindow;
    if (pDocDisp && SUCCEEDED(pDocDisp.QueryInterface(&pDocument)) &&
        SUCCEEDED(pDocument->get_parentWindow(&pWindow)) && pWindow) {
        pWindow->focus();
    }
}

BOOL CChildView::CommandStateChange(long nCommand, BOOL bEnable)
{
    if (nCommand == CSC_NAVIGATEBACK) m_bCanGoBack = bEnable != FALSE;
    else if (nCommand == CSC_NAVIGATEFORWARD) m_bCanGoForward = bEnable != FALSE;
    return TRUE;
}

BOOL CChildView::DownloadBegin()
{
    return TRUE;
}

BOOL CChildView::DownloadComplete()
{
    return TRUE;
}

void CChildView::OnPaint()
{
    CPaintDC dc(this);
}

BOOL CChildView::OnEraseBkgnd(HDC /*hDC*/)
{
    return FALSE;
}

void CChildView::OnSize(UINT /*nType*/, int cx, int cy)
{
    if (m_wndBrowser.m_hWnd && !m_bResizingFrame) {
        m_wndBrowser.SetWindowPos(nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CChildView::OnKillFocus(CWnd* pNewWnd)
{
    if (theApp.m_pActiveView != this) return;
    RememberFocus();
    CWnd::OnKillFocus(pNewWnd);
}

void CChildView::OnDestroy()
{
    // The registration holds the drop target; it must not outlive the view that owns it.
    if (m_pBrowserApp) ::RevokeDragDrop(m_hWnd);
    // Nobody may reach this view through the application once its window is gone.
    if (theApp.m_pActiveView == this) theApp.m_pActiveView = nullptr;
    CWnd::OnDestroy();
}

void CChildView::OnViewInitialize()
{
    m_bCanGoBack = FALSE;
    m_bCanGoForward = FALSE;
    m_docHostUIHandler.m_dwFlags = kHostFlags;
    auto* pSite = dynamic_cast<COleControlSiteEx*>(m_wndBrowser.m_pCtrlSite);
    if (pSite) pSite->m_pDocHostUIHandler = &m_docHostUIHandler;
    ::RegisterDragDrop(m_hWnd, &m_docHostUIHandler.m_dropTarget);
    m_ambientProps.m_bDeferToContainer = 0;
    IDispatch* pApplication = GetApplication();
    if (m_ambientProps.m_spControl.p() != pApplication) m_ambientProps.m_spControl = pApplication;
    if (pApplication) pApplication->Release();
    if (pSite) {
        pSite->m_pAmbientProps = &m_ambientProps;
        pSite->m_pDocHostShowUI = &m_docHostShowUI;
    }
    if (m_pBrowserApp) m_pBrowserApp->put_RegisterAsBrowser(VARIANT_TRUE);
    ::PostMessageW(::GetParent(m_hWnd), WM_COMMAND, ID_VIEW_READY, 0);
}

void CChildView::OnGoBack()
{
    if (m_pBrowserApp) m_pBrowserApp->GoBack();
}

void CChildView::OnUpdateGoBack(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_bCanGoBack);
}

void CChildView::OnGoForward()
{
    if (m_pBrowserApp) m_pBrowserApp->GoForward();
}

void CChildView::OnUpdateGoForward(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_bCanGoForward);
}

void CChildView::OnGoHome()
{
    GoHome();
}

void CChildView::OnUpdateGoHome(CCmdUI*)
{
}

void CChildView::OnViewRefresh()
{
    if (!m_pBrowserApp) return;
    // Control alone forces a complete reload, skipping the cache.
    if (IsKeyDown(::GetAsyncKeyState(VK_CONTROL)) && !IsKeyDown(::GetKeyState(VK_SHIFT)) &&
        !IsKeyDown(::GetKeyState(VK_MENU))) {
        VARIANT vLevel;
        ::VariantInit(&vLevel);
        vLevel.vt = VT_I4;
        vLevel.lVal = REFRESH_COMPLETELY;
        m_pBrowserApp->Refresh2(&vLevel);
    } else {
        m_pBrowserApp->Refresh();
    }
}

void CChildView::OnUpdateViewRefresh(CCmdUI*)
{
}

void CChildView::OnViewStop()
{
    if (m_pBrowserApp) m_pBrowserApp->Stop();
}

void CChildView::OnUpdateViewStop(CCmdUI*)
{
}

UINT CChildView::GetTextSizeCommand() const
{
    if (!m_pBrowserApp) return ID_TEXTSIZE_MEDIUM;
    VARIANT vZoom;
    ::VariantInit(&vZoom);
    // A control that cannot tell its zoom gets no check mark rather than a wrong one.
    if (FAILED(m_pBrowserApp->ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, &vZoom))) return 0;
    long nZoom = vZoom.vt == VT_I4 ? vZoom.lVal : -1;
    ::VariantClear(&vZoom);
    if (nZoom < 0 || nZoom > kZoomOfLargest) return 0;
    return ID_TEXTSIZE_LARGEST + static_cast<UINT>(kZoomOfLargest - nZoom);
}

void CChildView::OnTextSize(UINT nID)
{
    if (!m_pBrowserApp) return;
    VARIANT vZoom;
    ::VariantInit(&vZoom);
    vZoom.vt = VT_I4;
    vZoom.lVal = nID >= ID_TEXTSIZE_LARGEST && nID <= ID_TEXTSIZE_SMALLEST
                     ? kZoomOfLargest - static_cast<long>(nID - ID_TEXTSIZE_LARGEST)
                     : 2;
    m_pBrowserApp->ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, &vZoom, nullptr);
}

BOOL CChildView::ExecDocumentCommand(DWORD nCmdID, BOOL bBrowserGroup)
{
    if (!m_pBrowserApp) return FALSE;
    CComPtr<IDispatch> pApplication;
    pApplication.Attach(GetApplication());
    if (!pApplication) return FALSE;
    CComPtr<IDispatch> pDocument;
    pDocument.Attach(GetHtmlDocument());
    CComPtr<IOleCommandTarget> pTarget;
    if (!pDocument || FAILED(pDocument.QueryInterface(&pTarget)) || !pTarget) return FALSE;
    pTarget->Exec(bBrowserGroup ? &CGID_IWebBrowser : nullptr, nCmdID, 0, nullptr, nullptr);
    return TRUE;
}

HWND CChildView::AddressEditWithFocus() const
{
    auto* pFrame = dynamic_cast<CBrowserFrame*>(GetParentFrame());
    return pFrame && pFrame->AddressBoxHasFocus() ? pFrame->m_wndAddress.m_edit.m_hWnd : nullptr;
}

BOOL CChildView::PageHasEditableFocus() const
{
    CComPtr<IDispatch> pDocument;
    pDocument.Attach(GetHtmlDocument());
    CComPtr<IHTMLDocument2> pHtml;
    return pDocument && SUCCEEDED(pDocument.QueryInterface(&pHtml)) && HasEditableFocus(pHtml);
}

void CChildView::OnPageCut()
{
    if (HWND hEdit = AddressEditWithFocus()) ::SendMessageW(hEdit, WM_CUT, 0, 0);
    else if (PageHasEditableFocus()) ExecDocumentCommand(OLECMDID_CUT, FALSE);
}

void CChildView::OnPageCopy()
{
    if (HWND hEdit = AddressEditWithFocus()) ::SendMessageW(hEdit, WM_COPY, 0, 0);
    else ExecDocumentCommand(OLECMDID_COPY, FALSE);
}

void CChildView::OnPagePaste()
{
    if (HWND hEdit = AddressEditWithFocus()) ::SendMessageW(hEdit, WM_PASTE, 0, 0);
    else if (PageHasEditableFocus()) ExecDocumentCommand(OLECMDID_PASTE, FALSE);
}

void CChildView::OnPageSelectAll()
{
    HWND hEdit = AddressEditWithFocus();
    if (!hEdit) {
        ExecDocumentCommand(OLECMDID_SELECTALL, FALSE);
        return;
    }
    int nLength = ::GetWindowTextLengthW(hEdit);
    ::SendMessageW(hEdit, EM_SETSEL, 0, nLength);
    ::SendMessageW(hEdit, EM_SCROLLCARET, 0, 0);
}

void CChildView::OnUpdatePageCutPaste(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(AddressEditWithFocus() || PageHasEditableFocus());
}

void CChildView::OnToolsOptions()
{
    DlgSetting dlgSetting(this);
    dlgSetting.DoModal();
}
