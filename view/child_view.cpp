#include "child_view.h"
#include "../app/dlg_setting.h"      // the Options command shows the application's options dialog
#include "../app/tarnwick_app.h"     // theApp: the active view, the window manager, the external object
#include "../frame/browser_frame.h"  // the frame's operations, the view's only way to its frame
#include "editable_focus.h"
#include "view_window_class.h"
#include "open_page_dialog.h"
#include "../hosting/ole_control_site_ex.h"
#include "../res/messages.h"
#include "../res/resource.h"

#include <exdispid.h>
#include <mshtml.h>
#include <shellapi.h>
#include <urlmon.h>
#include <cstring>

namespace {

constexpr DWORD kHostFlags = DOCHOSTUIFLAG_OPENNEWWIN | DOCHOSTUIFLAG_ENABLE_FORMS_AUTOCOMPLETE |
                             DOCHOSTUIFLAG_ENABLE_INPLACE_NAVIGATION | DOCHOSTUIFLAG_THEME;  // 0x54020

// Commands of the browser's own group of document commands.
constexpr DWORD kHtmlIdFind = 1;
constexpr DWORD kHtmlIdViewSource = 2;
constexpr DWORD kHtmlIdOptions = 3;

constexpr const wchar_t* kAppTitle = L"Tarnwick";
constexpr const wchar_t* kTitleSuffix = L" - Tarnwick";

// The text of an event's URL argument: a BSTR, possibly by reference.
CString UrlOf(const VARIANT* pvarURL)
{
    if (!pvarURL) return CString();
    if (pvarURL->vt == VT_BSTR) return CString(pvarURL->bstrVal);
    if (pvarURL->vt == (VT_BSTR | VT_BYREF) && pvarURL->pbstrVal) return CString(*pvarURL->pbstrVal);
    return CString();
}

void VariantSetLong(COleVariant& var, long nValue)
{
    var.Clear();
    var.vt = VT_I4;
    var.lVal = nValue;
}

// m_bResizingFrame set while it lives, however the frame's reshaping ends.
class CResizingFrame {
public:
    explicit CResizingFrame(BOOL& bResizing) : m_bResizing(bResizing) { m_bResizing = TRUE; }
    ~CResizingFrame() { m_bResizing = FALSE; }
    CResizingFrame(const CResizingFrame&) = delete;
    CResizingFrame& operator=(const CResizingFrame&) = delete;

private:
    BOOL& m_bResizing;
};

// A window opened for a page: closed again, later, unless claimed, so that a page refused its window
// (a failure or a fault on the way) leaves no blank frame behind.
class CUnclaimedFrame {
public:
    explicit CUnclaimedFrame(HWND hWndFrame) : m_hWndFrame(hWndFrame) {}
    ~CUnclaimedFrame()
    {
        if (m_hWndFrame && ::IsWindow(m_hWndFrame)) ::PostMessageW(m_hWndFrame, WM_CLOSE, 0, 0);
    }
    CUnclaimedFrame(const CUnclaimedFrame&) = delete;
    CUnclaimedFrame& operator=(const CUnclaimedFrame&) = delete;

    void Claim() { m_hWndFrame = nullptr; }

private:
    HWND m_hWndFrame;
};

// Zoom values of the text-size commands, largest first: ID_TEXTSIZE_LARGEST + i has value 4 - i.
constexpr long kZoomOfLargest = 4;

bool IsKeyDown(SHORT nState)
{
    return (nState & 0x8000) != 0;
}

}  // namespace

BEGIN_MESSAGE_MAP(CChildView, CWnd)
    ON_COMMAND_RANGE(ID_BACK_HISTORY_FIRST, ID_BACK_HISTORY_LAST, OnBackHistory)
    ON_COMMAND_RANGE(ID_FORWARD_HISTORY_FIRST, ID_FORWARD_HISTORY_LAST, OnForwardHistory)
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
    ON_COMMAND(ID_PAGE_COPY, OnPageCopy)
    ON_COMMAND(ID_PAGE_PASTE, OnPagePaste)
    ON_COMMAND(ID_PAGE_SELECT_ALL, OnPageSelectAll)
    ON_UPDATE_COMMAND_UI(ID_PAGE_CUT, OnUpdatePageCutPaste)
    ON_UPDATE_COMMAND_UI(ID_PAGE_PASTE, OnUpdatePageCutPaste)
    ON_COMMAND(ID_TOOLS_OPTIONS, OnToolsOptions)
    ON_COMMAND(ID_FILE_NEW_WINDOW, OnFileNewWindow)
    ON_COMMAND(ID_FILE_OPEN_PAGE, OnFileOpenPage)
    ON_COMMAND(ID_FILE_PRINT_PAGE, OnFilePrintPage)
    ON_COMMAND(ID_FILE_PRINT_PREVIEW_PAGE, OnFilePrintPreviewPage)
    ON_COMMAND(ID_PAGE_FIND, OnPageFind)
    ON_COMMAND(ID_VIEW_SOURCE, OnViewSource)
    ON_COMMAND(ID_TOOLS_INTERNET_OPTIONS, OnToolsInternetOptions)
END_MESSAGE_MAP()

BEGIN_EVENTSINK_MAP(CChildView, CWnd)
    ON_EVENT(CChildView, AFX_IDW_PANE_FIRST, DISPID_DOCUMENTCOMPLETE, DocumentComplete, VTS_DISPATCH VTS_PVARIANT)
    ON_EVENT(CChildView, AFX_IDW_PANE_FIRST, DISPID_NAVIGATECOMPLETE2, NavigateComplete2, VTS_DISPATCH VTS_PVARIANT)
    ON_EVENT(CChildView, AFX_IDW_PANE_FIRST, DISPID_BEFORENAVIGATE2, BeforeNavigate2,
             VTS_DISPATCH VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT VTS_PBOOL)
    ON_EVENT(CChildView, AFX_IDW_PANE_FIRST, DISPID_STATUSTEXTCHANGE, StatusTextChange, VTS_BSTR)
    ON_EVENT(CChildView, AFX_IDW_PANE_FIRST, DISPID_COMMANDSTATECHANGE, CommandStateChange, VTS_I4 VTS_BOOL)
    ON_EVENT(CChildView, AFX_IDW_PANE_FIRST, DISPID_DOWNLOADBEGIN, DownloadBegin, VTS_NONE)
    ON_EVENT(CChildView, AFX_IDW_PANE_FIRST, DISPID_DOWNLOADCOMPLETE, DownloadComplete, VTS_NONE)
    ON_EVENT(CChildView, AFX_IDW_PANE_FIRST, DISPID_TITLECHANGE, TitleChange, VTS_BSTR)
    ON_EVENT(CChildView, AFX_IDW_PANE_FIRST, DISPID_NEWWINDOW2, NewWindow2, VTS_PDISPATCH VTS_PBOOL)
    ON_EVENT(CChildView, AFX_IDW_PANE_FIRST, DISPID_PROGRESSCHANGE, ProgressChange, VTS_I4 VTS_I4)
    ON_EVENT(CChildView, AFX_IDW_PANE_FIRST, DISPID_SETSECURELOCKICON, SetSecureLockIcon, VTS_I4)
    ON_EVENT(CChildView, AFX_IDW_PANE_FIRST, DISPID_WINDOWSETLEFT, WindowSetLeft, VTS_I4)
    ON_EVENT(CChildView, AFX_IDW_PANE_FIRST, DISPID_WINDOWSETTOP, WindowSetTop, VTS_I4)
    ON_EVENT(CChildView, AFX_IDW_PANE_FIRST, DISPID_WINDOWSETWIDTH, WindowSetWidth, VTS_I4)
    ON_EVENT(CChildView, AFX_IDW_PANE_FIRST, DISPID_WINDOWSETHEIGHT, WindowSetHeight, VTS_I4)
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

    COleVariant vPostData;
    if (lpvPostData) {
        if (SAFEARRAY* psa = ::SafeArrayCreateVector(VT_UI1, 0, dwPostDataLen)) {
            vPostData.vt = VT_ARRAY | VT_UI1;
            vPostData.parray = psa;
            CSafeArrayAccess data(psa);
            if (data.Get() && dwPostDataLen) std::memcpy(data.Get(), lpvPostData, dwPostDataLen);
        }
    }
    // A null text is passed as a VT_BSTR holding a null BSTR.
    COleVariant vURL(lpszURL);
    COleVariant vFlags;
    VariantSetLong(vFlags, static_cast<LONG>(dwFlags));
    COleVariant vTarget(lpszTargetFrameName);
    COleVariant vHeaders(lpszHeaders);
    m_pBrowserApp->Navigate2(vURL.p(), vFlags.p(), vTarget.p(), vPostData.p(), vHeaders.p());
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

bool CChildView::IsScriptUrl(LPCWSTR lpszURL)
{
    CString strLower(lpszURL);
    strLower.MakeLower();
    for (const wchar_t* pszPrefix : {L"javascript", L"script", L"vbscript", L"jscript"}) {
        if (strLower.Find(pszPrefix) == 0) return true;
    }
    return false;
}

BOOL CChildView::DocumentComplete(IDispatch* pDisp, VARIANT* pvarURL)
{
    if (!IsTopLevelBrowser(pDisp)) return TRUE;
    m_strURL = UrlOf(pvarURL);
    UpdateFrameForURL();
    if (CBrowserFrame* pFrame = ParentFrame()) pFrame->SetProgress(0, -1);
    return TRUE;
}

BOOL CChildView::NavigateComplete2(IDispatch* pDisp, VARIANT* pvarURL)
{
    if (!m_pBrowserApp || !IsTopLevelBrowser(pDisp)) return TRUE;
    m_strURL = UrlOf(pvarURL);
    UpdateFrameForURL();
    return TRUE;
}

BOOL CChildView::BeforeNavigate2(IDispatch* pDisp, VARIANT* pvarURL, VARIANT* /*pvarFlags*/,
                                 VARIANT* /*pvarTargetFrameName*/, VARIANT* /*pvarPostData*/,
                                 VARIANT* /*pvarHeaders*/, BOOL* pbCancel)
{
    if (!m_pBrowserApp) return TRUE;
    CString strURL = UrlOf(pvarURL);
    if (IsScriptUrl(strURL)) {
        if (pbCancel) *pbCancel = FALSE;  // the script runs; nothing else changes
        return TRUE;
    }
    if (IsTopLevelBrowser(pDisp)) m_strURL = strURL;
    // Frames too: a script may have asked for a shape before any of the page's documents loaded.
    ApplyWindowFeatures();
    return TRUE;
}

BOOL CChildView::TitleChange(BSTR bstrText)
{
    CString strTitle(bstrText);
    if (strTitle.IsEmpty()) strTitle = kAppTitle;
    else strTitle += kTitleSuffix;
    if (CBrowserFrame* pFrame = ParentFrame()) pFrame->SetWindowText(strTitle);
    return TRUE;
}

BOOL CChildView::NewWindow2(IDispatch** ppDisp, BOOL* pbCancel)
{
    // Refused until a dispatch has been handed back: a failure or a fault anywhere below leaves it refused.
    if (pbCancel) *pbCancel = TRUE;
    if (!ppDisp) return TRUE;
    CChildView* pView = OpenBrowserWindow();
    if (!pView) return TRUE;
    // A frame that came without its control or dispatch is closed again rather than left blank.
    CUnclaimedFrame newFrame(::GetParent(pView->m_hWnd));
    CComPtr<IDispatch> pNewControl;
    if (pView->m_pBrowserApp) {
        pView->m_pBrowserApp->put_RegisterAsBrowser(VARIANT_TRUE);
        pNewControl.Attach(pView->GetApplication());
    }
    if (!pNewControl) return TRUE;
    // The new control's reference goes to the control that asked.
    *ppDisp = pNewControl.Detach();
    newFrame.Claim();
    if (pbCancel) *pbCancel = FALSE;
    return TRUE;
}

BOOL CChildView::StatusTextChange(BSTR bstrText)
{
    if (CBrowserFrame* pFrame = ParentFrame()) pFrame->SetStatusText(CString(bstrText));
    return TRUE;
}

BOOL CChildView::ProgressChange(long nProgress, long nProgressMax)
{
    if (CBrowserFrame* pFrame = ParentFrame()) pFrame->SetProgress(nProgress, nProgressMax);
    return TRUE;
}

BOOL CChildView::SetSecureLockIcon(long nSecureLockIcon)
{
    // Every level but "unsecure" (mixed content included) shows the padlock.
    if (CBrowserFrame* pFrame = ParentFrame()) pFrame->SetSecureIcon(nSecureLockIcon != secureLockIconUnsecure);
    return TRUE;
}

BOOL CChildView::WindowSetLeft(long nLeft)
{
    m_winRequest.left = nLeft;
    m_winRequest.hasLeft = 1;
    return TRUE;
}

BOOL CChildView::WindowSetTop(long nTop)
{
    m_winRequest.top = nTop;
    m_winRequest.hasTop = 1;
    return TRUE;
}

BOOL CChildView::WindowSetWidth(long nWidth)
{
    m_winRequest.width = nWidth;
    m_winRequest.hasWidth = 1;
    return TRUE;
}

BOOL CChildView::WindowSetHeight(long nHeight)
{
    m_winRequest.height = nHeight;
    m_winRequest.hasHeight = 1;
    return TRUE;
}

void CChildView::UpdateFrameForURL()
{
    CBrowserFrame* pFrame = ParentFrame();
    if (!pFrame) return;
    pFrame->UpdateZonePane(GetUrlZone());
    pFrame->SetAddressText(m_strURL);
}

int CChildView::GetUrlZone() const
{
    CComPtr<IInternetSecurityManager> pSecurityManager;
    if (FAILED(::CoCreateInstance(CLSID_InternetSecurityManager, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IInternetSecurityManager, reinterpret_cast<void**>(&pSecurityManager))) ||
        !pSecurityManager) {
        return -1;
    }
    DWORD dwZone = 0;
    if (FAILED(pSecurityManager->MapUrlToZone(m_strURL, &dwZone, 0))) return -1;
    return static_cast<int>(dwZone);
}

void CChildView::ApplyWindowFeatures()
{
    CBrowserFrame* pFrame = ParentFrame();
    if (!m_pBrowserApp || !pFrame) return;
    WindowRequest request = m_winRequest;
    bool bRequested = request.hasLeft || request.hasTop || request.hasWidth || request.hasHeight;
    VARIANT_BOOL vbMenuBar = VARIANT_FALSE;
    bool bMenuBar = SUCCEEDED(m_pBrowserApp->get_MenuBar(&vbMenuBar)) && vbMenuBar != VARIANT_FALSE;
    if (!bRequested && bMenuBar) return;

    int nToolBar = 0;
    bool bToolBar = SUCCEEDED(m_pBrowserApp->get_ToolBar(&nToolBar)) && nToolBar != 0;
    m_winRequest = WindowRequest{};
    {
        // The control follows once, below, rather than at every band the frame hides.
        CResizingFrame resizing(m_bResizingFrame);
        pFrame->ApplyWindowFeatures(request, bMenuBar, bToolBar);
    }
    RECT rectClient;
    GetClientRect(&rectClient);
    OnSize(SIZE_RESTORED, rectClient.right, rectClient.bottom);  // the control missed the bars going
}

CChildView* CChildView::OpenBrowserWindow()
{
    CWnd* pMainWnd = theApp.m_pMainWnd;
    if (!pMainWnd || !::IsWindow(pMainWnd->m_hWnd)) return nullptr;
    CChildView* pView = nullptr;
    int nFailed = 0;
    pMainWnd->SendMessage(WM_OPEN_BROWSER_WINDOW, reinterpret_cast<WPARAM>(&pView), reinterpret_cast<LPARAM>(&nFailed));
    return nFailed == 0 ? pView : nullptr;
}

void CChildView::OnBackHistory(UINT nID)
{
    int nSteps = static_cast<int>(nID) - static_cast<int>(ID_BACK_HISTORY_FIRST) + 1;
    // Back to back: the control moves one step through its travel log per call.
    for (int i = 0; m_pBrowserApp && i < nSteps; ++i) m_pBrowserApp->GoBack();
}

void CChildView::OnForwardHistory(UINT nID)
{
    int nSteps = static_cast<int>(nID) - static_cast<int>(ID_FORWARD_HISTORY_FIRST) + 1;
    for (int i = 0; m_pBrowserApp && i < nSteps; ++i) m_pBrowserApp->GoForward();
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
    // The site is counted and may outlive this view: a late call of the control is declined from now on
    // rather than reaching the host objects, which go with the view. The control itself goes after this.
    if (auto* pSite = dynamic_cast<COleControlSiteEx*>(m_wndBrowser.m_pCtrlSite)) {
        pSite->m_pDocHostUIHandler = nullptr;
        pSite->m_pAmbientProps = nullptr;
        pSite->m_pDocHostShowUI = nullptr;
    }
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
    m_docHostUIHandler.m_pExternal = &theApp.m_external;
    auto* pSite = dynamic_cast<COleControlSiteEx*>(m_wndBrowser.m_pCtrlSite);
    if (pSite) pSite->m_pDocHostUIHandler = &m_docHostUIHandler;
    ::RegisterDragDrop(m_hWnd, &m_docHostUIHandler.m_dropTarget);
    m_ambientProps.m_bDeferToContainer = 0;
    CComPtr<IDispatch> pApplication;
    pApplication.Attach(GetApplication());
    if (m_ambientProps.m_spControl.p() != pApplication.p()) m_ambientProps.m_spControl = pApplication.p();
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
        COleVariant vLevel;
        VariantSetLong(vLevel, REFRESH_COMPLETELY);
        m_pBrowserApp->Refresh2(vLevel.p());
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
    COleVariant vZoom;
    // A control that cannot tell its zoom gets no check mark rather than a wrong one.
    if (FAILED(m_pBrowserApp->ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, &vZoom))) return 0;
    long nZoom = vZoom.vt == VT_I4 ? vZoom.lVal : -1;
    if (nZoom < 0 || nZoom > kZoomOfLargest) return 0;
    return ID_TEXTSIZE_LARGEST + static_cast<UINT>(kZoomOfLargest - nZoom);
}

void CChildView::OnTextSize(UINT nID)
{
    if (!m_pBrowserApp) return;
    COleVariant vZoom;
    VariantSetLong(vZoom, nID >= ID_TEXTSIZE_LARGEST && nID <= ID_TEXTSIZE_SMALLEST
                              ? kZoomOfLargest - static_cast<long>(nID - ID_TEXTSIZE_LARGEST)
                              : 2);
    m_pBrowserApp->ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, vZoom.p(), nullptr);
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

CBrowserFrame* CChildView::ParentFrame() const
{
    return dynamic_cast<CBrowserFrame*>(GetParentFrame());
}

HWND CChildView::AddressEditWithFocus() const
{
    CBrowserFrame* pFrame = ParentFrame();
    return pFrame ? pFrame->AddressEditWithFocus() : nullptr;
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

void CChildView::OnFileNewWindow()
{
    if (!m_pBrowserApp) return;
    CComBSTR bstrURL;
    m_pBrowserApp->get_LocationURL(&bstrURL);
    if (bstrURL.Length() == 0) return;
    // The new window shows the same address; it starts a history of its own.
    if (CChildView* pView = OpenBrowserWindow()) pView->Navigate(bstrURL);
}

void CChildView::OnFileOpenPage()
{
    CString strFilter, strTitle;
    strFilter.LoadString(IDS_OPEN_FILTER);
    strTitle.LoadString(IDS_OPEN_TITLE);
    COpenPageDialog dialog(strFilter, strTitle, this);
    HWND hWnd = m_hWnd;
    INT_PTR nResult = dialog.DoModal();
    // The frame can still be closed from outside (Close All) while the dialog runs.
    if (!::IsWindow(hWnd) || FromHandlePermanent(hWnd) != this) return;
    if (nResult == IDOK) Navigate(dialog.GetPathName());
}

void CChildView::OnFilePrintPage()
{
    ExecDocumentCommand(OLECMDID_PRINT, FALSE);
}

void CChildView::OnFilePrintPreviewPage()
{
    ExecDocumentCommand(OLECMDID_PRINTPREVIEW, FALSE);
}

void CChildView::OnPageFind()
{
    ExecDocumentCommand(kHtmlIdFind, TRUE);
}

void CChildView::OnViewSource()
{
    ExecDocumentCommand(kHtmlIdViewSource, TRUE);
}

void CChildView::OnToolsInternetOptions()
{
    // Without a document the control cannot show its options: the control panel item can.
    if (ExecDocumentCommand(kHtmlIdOptions, TRUE)) return;
    // The system's control panel by its full path, never a control.exe found in the working directory.
    CString strProgram = AfxGetSystemFilePath(L"control.exe");
    if (!strProgram.IsEmpty()) ::ShellExecuteW(m_hWnd, L"open", strProgram, L"inetcpl.cpl", L".", SW_SHOW);
}
