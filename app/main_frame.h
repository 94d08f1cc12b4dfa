#pragma once
#include "../framework/afx.h"
#include "child.h"

class CBrowserFrame;

// The window manager: the application's hidden main window. It opens every
// browser window, keeps the list of open ones and closes itself, ending the
// process, when the last one has closed.
class CMainFrame : public CFrameWndEx {
    DECLARE_DYNAMIC(CMainFrame)
public:
    CMainFrame() = default;
    ~CMainFrame() override = default;

    static constexpr UINT SWEEP_INTERVAL_MS = 15000;

    // A listed frame with the window handle it had when it opened: frames delete
    // themselves, so the list checks the handle and never reads a frame object.
    struct CListedFrame {
        CBrowserFrame* pFrame;
        HWND hWnd;
        bool operator==(const CListedFrame&) const = default;
    };

    // CFrameWndEx overrides
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;

    CChild m_wndView;                                  // hidden placeholder view
    CList<CListedFrame> m_listFrames{10};              // open browser frames in order of creation; not owned
    UINT_PTR m_nTimer = 0;                             // running sweep timer, 0 when none

protected:
    // Messages
    afx_msg int OnCreate(LPCREATESTRUCTW lpCreateStruct);
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg void OnClose();
    afx_msg void OnDestroy();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg LRESULT OnOpenBrowserWindow(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnBrowserWindowClosed(WPARAM wParam, LPARAM lParam);
    // Commands
    afx_msg void OnViewReady();
    DECLARE_MESSAGE_MAP()

private:
    // A frame inside LoadFrame: listed without a window handle and counted as being created for as long
    // as it lives, however the creation ends; the entry stays, with its handle, only once kept.
    class CFrameCreation {
    public:
        CFrameCreation(CMainFrame& manager, CBrowserFrame* pFrame);
        ~CFrameCreation();
        CFrameCreation(const CFrameCreation&) = delete;
        CFrameCreation& operator=(const CFrameCreation&) = delete;

        void Keep(HWND hWnd) { m_hWndKept = hWnd; }

    private:
        CMainFrame& m_manager;
        CBrowserFrame* m_pFrame;  // not owned; never read, it may have deleted itself
        HWND m_hWndKept = nullptr;
    };

    void SweepClosedFrames();
    void StartSweepTimer();
    void CloseIfDeferred();

    int m_nCreating = 0;            // frames inside LoadFrame now
    bool m_bCloseDeferred = false;  // a close arrived while a frame was being created
    bool m_bPaintAfterNavigate = false;  // the first window paints once its view has navigated
};
