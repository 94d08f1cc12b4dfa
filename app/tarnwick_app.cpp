#include "tarnwick_app.h"
#include "about_dlg.h"
#include "main_frame.h"
#include "../res/resource.h"

#include <urlmon.h>
#include <cstring>

CTarnwickApp theApp;

namespace {

// Structured exceptions become C++ exceptions carrying their code.
void TranslateFault(unsigned int nCode, EXCEPTION_POINTERS*)
{
    throw nCode;
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
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    CWinApp::InitInstance();
    if (!AfxOleInit()) return FALSE;
    // A held-up outgoing call must never put a dialog in front of the user.
    AfxOleGetMessageFilter()->EnableNotRespondingDialog(FALSE);
    AfxOleGetMessageFilter()->EnableBusyDialog(FALSE);
    AfxEnableControlContainer(&m_occManager);

    LoadExeName();
    // Must precede every browser control of the process, which reads the agent when it starts.
    if (ReadCompatMode()) SetCompatUserAgent();
    m_bFavoritesLoaded = FALSE;
    LoadImageList();

    auto* pMainFrame = new CMainFrame;
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
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kCompatModeKey, 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS) return FALSE;
    DWORD dwValue = 0;
    DWORD cbData = sizeof(dwValue);
    if (::RegQueryValueExW(hKey, m_strExeName, nullptr, nullptr, reinterpret_cast<BYTE*>(&dwValue), &cbData) !=
        ERROR_SUCCESS) {
        dwValue = 0;  // missing, or data larger than four bytes
    }
    return dwValue == kCompatModeOn;
}

void CTarnwickApp::WriteCompatMode(DWORD dwValue)
{
    CRegKey hKey;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kCompatModeKey, 0, const_cast<LPWSTR>(L""), REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS, nullptr, &hKey, nullptr) != ERROR_SUCCESS) {
        return;
    }
    ::RegSetValueExW(hKey, m_strExeName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue), sizeof(dwValue));
}

void CTarnwickApp::LoadExeName()
{
    wchar_t szPath[MAX_PATH + 1] = {};
    ::GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    // Drive and directory are not asked for: a deep folder must not make the split fail.
    wchar_t szName[256] = {}, szExt[256] = {};
    if (::_wsplitpath_s(szPath, nullptr, 0, nullptr, 0, szName, 256, szExt, 256) != 0) szName[0] = szExt[0] = L'\0';
    m_strExeName = CString(szName) + szExt;
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
