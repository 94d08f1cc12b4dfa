#pragma once
#include "../framework/afx.h"
#include "../favorites/favorite_item_manager.h"
#include "../hosting/imp_idispatch.h"
#include "../hosting/occ_manager_ex.h"

class CChildView;

// Indexes of m_imageList's images, which are res/images/app_images.bmp's 16-pixel cells from the left
// (drawn by res/tools/make_images.py, whose APP_PICTURES lists them in this order).
enum AppImage : int {
    kImageFolder = 0,
    kImageOpenFolder = 1,
    kImageDocument = 2,
    kImageWebPage = 3,
    kImagePadlock = 4,
    kImageEmpty = 5,
};

// The application object: prepares the process, creates the hidden window
// manager and keeps the process-wide state the windows share.
class CTarnwickApp : public CWinApp {
public:
    CTarnwickApp();

    // Reads the compatibility value of this executable under HKCU; TRUE exactly when it is 50000.
    BOOL ReadCompatMode();
    // Writes the compatibility value (REG_DWORD), creating the key when missing.
    void WriteCompatMode(DWORD dwValue);
    // Start URL and show mode from the command-line tail and its parsed arguments (argv[0] is the program).
    void ReadCommandLine(LPCWSTR lpszCmdLine, int argc, const wchar_t* const* argv);

    // CWinApp overrides
    BOOL InitInstance() override;
    BOOL PumpMessage() override;
    int ExitInstance() override;

    // Creates m_imageList from the application's bitmap; start-up calls it once.
    void LoadImageList();

    // Commands
    afx_msg void OnAppAbout();

    COccManagerEx m_occManager;
    CChildView* m_pActiveView = nullptr;  // view of the most recently activated browser frame; not owned, null once destroyed
    CString m_strExeName;                 // file name and extension of the running executable
    CString m_strStartUrl;
    CImageList m_imageList;               // 16x16 images shared by all windows
    CFavoriteItemManager m_favorites;     // the favorites tree, loaded at the first opening of a Favorites menu
    BOOL m_bFavoritesLoaded = FALSE;
    CString m_strShowMode;                // upper case; the window manager clears it after the first window
    CImpIDispatch m_external;             // window.external of every page

    DECLARE_MESSAGE_MAP()

private:
    void LoadExeName();
    void SetCompatUserAgent();
};

extern CTarnwickApp theApp;

// The compatibility value's key under HKEY_CURRENT_USER.
inline constexpr const wchar_t* kCompatModeKey =
    L"SOFTWARE\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_DOCUMENT_COMPATIBLE_MODE";
inline constexpr DWORD kCompatModeOn = 50000;
// Sent by every control of the process while the compatibility mode is on.
inline constexpr const char* kCompatUserAgent =
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; .NET CLR 2.0.50727; .NET CLR 3.5.30729; "
    ".NET CLR 3.0.30729; Tarnwick)";
