#include "tarnwick_app.h"
#include "about_dlg.h"
#include "main_frame.h"
#include "../res/resource.h"

#include <shlwapi.h>
#include <urlmon.h>
#include <cstring>
#include <new>

CTarnwickApp theApp;

namespace {

// Structured exceptions become C++ exceptions carrying their code.
void TranslateFault(unsigned int nCode, EXCEPTION_POINTERS*)
{
    throw nCode;
}

// Nothing that the program or the hosted control loads by name later may come from the working directory
// (which the Open dialog moves to wherever the user browsed) or from PATH.
void RestrictLibrarySearch()
{
    ::SetDllDirectoryW(L"");
    // Not on every system: where it is missing, the line above at least takes the working directory out.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE hKernel = ::GetModuleHandleW(L"kernel32.dll");
    FARPROC pProc = hKernel ? ::GetProcAddress(hKernel, "SetDefaultDllDirectories") : nullptr;
    if (pProc) {
        reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(pProc))(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    }
}

}  // namespace

BEGIN_MESSAGE_MAP(CTarnwickApp, CWinApp)
    ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
    ON_COMMAND(ID_APP_EXIT, OnAppExit)
END_MESSAGE_MAP()

CTarnwickApp::CTarnwickApp() : CWinApp(nullptr)
{
}

BOOL CTarnwickApp::InitInstance()
{
    RestrictLibrarySearch();
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    CWinApp::InitInstance();
    if (!AfxOleInit()) return FALSE;
    // Recorded only: the framework's message filter never shows a busy or not-responding box.
    AfxOleGetMessageFilter()->EnableNotRespondingDialog(FALSE);
    AfxOleGetMessageFilter()->EnableBusyDialog(FALSE);
    AfxEnableControlContainer(&m_occManager);

    LoadExeName();
    // Must precede every browser control of the process, which reads the agent when it starts.
    if (ReadCompatMode()) SetCompatUserAgent();
    m_bFavoritesLoaded = FALSE;
    LoadImageList();

    auto* pMainFrame = new (std::nothrow) CMainFrame;
    if (!pMainFrame) return FALSE;
    m_pMainWnd = pMainFrame;
    // Never shown: the window manager only owns the browser windows' list. On failure the frame has deleted itself.
    if (!pMainFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, nullptr)) {
        m_pMainWnd = nullptr;
        return FALSE;
    }

    ReadCommandLine(m_lpCmdLine, __argc, __wargv);
    return TRUE;
}

BOOL CTarnwickApp::PumpMessage()
{
    AfxSetSeTranslator(&TranslateFault);
    try {
        return CWinApp::PumpMessage();
    } catch (unsigned int) {
        // The faulting message is abandoned; the loop goes on with the next one.
        return TRUE;
    }
}

int CTarnwickApp::ExitInstance()
{
    return CWinApp::ExitInstance();
}

void CTarnwickApp::OnAppAbout()
{
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
}

void CTarnwickApp::ReadCommandLine(LPCWSTR lpszCmdLine, int argc, const wchar_t* const* argv)
{
    if (!lpszCmdLine || !*lpszCmdLine || !argv) return;
    if (argc > 2) {
        m_strStartUrl = argv[1];
        m_strShowMode = argv[2];
        m_strShowMode.MakeUpper();
    } else {
        // One argument: the whole tail, so an unquoted path with spaces still arrives whole.
        m_strStartUrl = lpszCmdLine;
    }
    m_strStartUrl.Remove(L'"');
}

BOOL CTarnwickApp::ReadCompatMode()
{
    CRegKey hKey;
    // Reading asks for no more than reading: a key the user may only read still gives its setting.
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kCompatModeKey, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS) return FALSE;
    DWORD dwType = REG_NONE;
    DWORD dwValue = 0;
    DWORD cbData = sizeof(dwValue);
    if (::RegQueryValueExW(hKey, m_strExeName, nullptr, &dwType, reinterpret_cast<BYTE*>(&dwValue), &cbData) !=
        ERROR_SUCCESS) {
        return FALSE;  // missing, or data larger than four bytes
    }
    // A number of four bytes, as some tools store it in binary; text or shorter data is no setting at all.
    bool bNumber = (dwType == REG_DWORD || dwType == REG_BINARY) && cbData == sizeof(dwValue);
    return bNumber && dwValue == kCompatModeOn;
}

void CTarnwickApp::WriteCompatMode(DWORD dwValue)
{
    CRegKey hKey;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kCompatModeKey, 0, const_cast<LPWSTR>(L""), REG_OPTION_NON_VOLATILE,
                          KEY_SET_VALUE, nullptr, &hKey, nullptr) != ERROR_SUCCESS) {
        return;
    }
    ::RegSetValueExW(hKey, m_strExeName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue), sizeof(dwValue));
}

void CTarnwickApp::LoadExeName()
{
    // From the whole path, however deep the folder: a path cut short would name another value.
    CString strPath = AfxGetModuleFileName(nullptr);
    m_strExeName = strPath.IsEmpty() ? CString() : CString(::PathFindFileNameW(strPath));
    if (m_strExeName.IsEmpty()) m_strExeName = L"Tarnwick.exe";
}

void CTarnwickApp::SetCompatUserAgent()
{
    ::UrlMkSetSessionOption(URLMON_OPTION_USERAGENT, const_cast<char*>(kCompatUserAgent),
                            static_cast<DWORD>(std::strlen(kCompatUserAgent) + 1), 0);
}

void CTarnwickApp::LoadImageList()
{
    CBitmap bitmap;
    bitmap.LoadBitmap(IDB_APP_IMAGES);
    m_imageList.Create(16, 16, ILC_COLOR8 | ILC_MASK, 5, 1);
    m_imageList.Add(&bitmap, RGB(255, 0, 255));
}
