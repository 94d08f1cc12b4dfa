#pragma once
#include "wnd.h"

// The message loop of the user-interface thread.
class CWinThread : public CCmdTarget {
public:
    CWnd* m_pMainWnd = nullptr;  // when this window is destroyed the loop ends (WM_QUIT); not owned
    MSG m_msgCur{};              // the message being processed

    virtual BOOL InitInstance() { return TRUE; }
    // Runs the loop until WM_QUIT; returns ExitInstance's result.
    virtual int Run();
    // Takes one message off the queue and dispatches it; FALSE on WM_QUIT.
    virtual BOOL PumpMessage();
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Idle-time work: update-UI of the frames, then freeing temporary window objects. TRUE asks for more idle time.
    virtual BOOL OnIdle(LONG lCount);
    virtual BOOL IsIdleMessage(MSG* pMsg);
    virtual int ExitInstance();
};

// The application: one global object of a class derived from CWinApp.
class CWinApp : public CWinThread {
public:
    explicit CWinApp(LPCWSTR lpszAppName = nullptr);
    ~CWinApp() override;

    HINSTANCE m_hInstance = nullptr;
    LPWSTR m_lpCmdLine = nullptr;   // command-line text after the program name
    CString m_strAppName;           // the constructor's name, or string AFX_IDS_APP_TITLE
    LPCWSTR m_pszAppName = nullptr; // points into m_strAppName

    // Sets the handles and command line AfxWinMain was given, and the application name.
    void SetCurrentHandles(HINSTANCE hInstance, LPWSTR lpCmdLine);

    // Sends WM_CLOSE to the main window.
    afx_msg void OnAppExit();

    DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
CWinThread* AfxGetThread();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
// The module resources are loaded from: the application's instance, or this executable before WinMain ran.
HINSTANCE AfxGetResourceHandle();

int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);
