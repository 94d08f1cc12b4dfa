#pragma once
#include "../framework/afx.h"
#include "../hosting/ambient_props1.h"
#include "../hosting/doc_host_show_ui.h"
#include "../hosting/doc_host_ui_handler.h"
#include "browser_sub_wnd.h"

#include <exdisp.h>

class CBrowserFrame;

// Position and size a script asked for; a value counts only while its flag is nonzero.
struct WindowRequest {
    int32_t left;
    int32_t hasLeft;
    int32_t top;
    int32_t hasTop;
    int32_t width;
    int32_t hasWidth;
    int32_t height;
    int32_t hasHeight;
};

// The client window of a browser frame, where pages appear: it hosts one
// browser control, attaches the host objects to its site and offers the rest
// of the program its navigation operations. It reaches its frame only through
// the frame's operations.
class CChildView : public CWnd {
public:
    CChildView() = default;
    ~CChildView() override = default;

    // Navigates the control; without a control nothing happens. Every caller passes the URL only.
    void Navigate(LPCWSTR lpszURL, DWORD dwFlags = 0, LPCWSTR lpszTargetFrameName = nullptr,
                  LPCWSTR lpszHeaders = nullptr, LPVOID lpvPostData = nullptr, DWORD dwPostDataLen = 0);
    void GoHome();
    // The control's automation object with a reference for the caller, or null.
    IDispatch* GetApplication() const;
    // The current document with a reference for the caller, or null.
    IDispatch* GetHtmlDocument() const;
    // Whether an event's pDisp is the control itself (the top-level document) rather than a frame.
    bool IsTopLevelBrowser(IDispatch* pDisp) const;
    // Puts the keyboard focus back where it last was inside the view, or on the page.
    void RestoreFocus();
    // The text-size command matching the page's zoom: Medium without a control, 0 when none matches.
    UINT GetTextSizeCommand() const;
    // Runs a command of the document (in the browser's own group when bBrowserGroup); TRUE when it was reached.
    BOOL ExecDocumentCommand(DWORD nCmdID, BOOL bBrowserGroup);
    // Whether a URL is a script of the page (a plain prefix test in any letter case, no colon needed).
    static bool IsScriptUrl(LPCWSTR lpszURL);

    // CWnd overrides
    BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                UINT nID, CCreateContext* pContext = nullptr) override;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    CString m_strURL;                        // URL of the top-level document
    CComPtr<IWebBrowser2> m_pBrowserApp;     // the control; null until created

protected:
    // History ranges: back or forward by as many pages as the item's place in its list
    virtual void OnBackHistory(UINT nID);
    virtual void OnForwardHistory(UINT nID);

    // Control events
    virtual BOOL DocumentComplete(IDispatch* pDisp, VARIANT* pvarURL);
    virtual BOOL NavigateComplete2(IDispatch* pDisp, VARIANT* pvarURL);
    virtual BOOL BeforeNavigate2(IDispatch* pDisp, VARIANT* pvarURL, VARIANT* pvarFlags, VARIANT* pvarTargetFrameName,
                                 VARIANT* pvarPostData, VARIANT* pvarHeaders, BOOL* pbCancel);
    virtual BOOL TitleChange(BSTR bstrText);
    virtual BOOL NewWindow2(IDispatch** ppDisp, BOOL* pbCancel);
    virtual BOOL CommandStateChange(long nCommand, BOOL bEnable);
    virtual BOOL DownloadBegin();
    virtual BOOL DownloadComplete();
    virtual BOOL StatusTextChange(BSTR bstrText);
    virtual BOOL ProgressChange(long nProgress, long nProgressMax);
    virtual BOOL WindowSetLeft(long nLeft);
    virtual BOOL WindowSetTop(long nTop);
    virtual BOOL WindowSetWidth(long nWidth);
    virtual BOOL WindowSetHeight(long nHeight);
    BOOL SetSecureLockIcon(long nSecureLockIcon);

    // Messages
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(HDC hDC);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    afx_msg void OnDestroy();
    // Commands
    afx_msg void OnViewInitialize();
    afx_msg void OnGoBack();
    afx_msg void OnUpdateGoBack(CCmdUI* pCmdUI);
    afx_msg void OnGoForward();
    afx_msg void OnUpdateGoForward(CCmdUI* pCmdUI);
    afx_msg void OnGoHome();
    afx_msg void OnUpdateGoHome(CCmdUI* pCmdUI);
    afx_msg void OnViewRefresh();
    afx_msg void OnUpdateViewRefresh(CCmdUI* pCmdUI);
    afx_msg void OnViewStop();
    afx_msg void OnUpdateViewStop(CCmdUI* pCmdUI);
    afx_msg void OnTextSize(UINT nID);
    afx_msg void OnPageCut();
    afx_msg void OnPageCopy();
    afx_msg void OnPagePaste();
    afx_msg void OnPageSelectAll();
    afx_msg void OnUpdatePageCutPaste(CCmdUI* pCmdUI);
    afx_msg void OnToolsOptions();
    afx_msg void OnFileNewWindow();
    afx_msg void OnFileOpenPage();
    afx_msg void OnFilePrintPage();
    afx_msg void OnFilePrintPreviewPage();
    afx_msg void OnPageFind();
    afx_msg void OnViewSource();
    afx_msg void OnToolsInternetOptions();
    DECLARE_MESSAGE_MAP()
    DECLARE_EVENTSINK_MAP()

    CBrowserSubWnd m_wndBrowser;             // wrapper of the control's window
    WindowRequest m_winRequest{};            // geometry a script asked for
    // The host objects the control's site points to.
    CDocHostUIHandler m_docHostUIHandler;
    AmbientProps1 m_ambientProps;
    CDocHostShowUI m_docHostShowUI;
    BOOL m_bResizingFrame = FALSE;           // TRUE while the frame reshapes itself for a script window

private:
    // The browser frame this view is the client of, or null.
    CBrowserFrame* ParentFrame() const;
    // Zone, address box of the frame after the top-level document changed.
    void UpdateFrameForURL();
    // The security zone of m_strURL, or -1 when the security manager cannot say.
    int GetUrlZone() const;
    // Has the frame shaped as the page's script asked (its bars, position and size), then fits the control.
    void ApplyWindowFeatures();
    // Asks the window manager for a new browser window; its view, or null.
    static CChildView* OpenBrowserWindow();
    // The edit of the frame's address box when the focus is in that box, else null.
    HWND AddressEditWithFocus() const;
    BOOL PageHasEditableFocus() const;
    void RememberFocus();
    void FocusPage();

    HWND m_hwndLastFocus = nullptr;          // last descendant seen with the focus
    BOOL m_bCanGoBack = FALSE;
    BOOL m_bCanGoForward = FALSE;
};
