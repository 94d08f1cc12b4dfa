#include "open_page_dialog.h"

#include <commdlg.h>
#include <shobjidl.h>


namespace {

using GetOpenFileNameFn = BOOL(WINAPI*)(LPOPENFILENAMEW);

// The common dialogs load at the first Open dialog, not at every start: importing them
// makes every start pay for the printing system they bring in (some 45 ms under Wine).
GetOpenFileNameFn OpenFileNameFunction()
{
    static const GetOpenFileNameFn pfn = [] {
        HMODULE hModule = ::LoadLibraryW(L"comdlg32.dll");  // kept for the rest of the process
        FARPROC pProc = hModule ? ::GetProcAddress(hModule, "GetOpenFileNameW") : nullptr;
        return reinterpret_cast<GetOpenFileNameFn>(reinterpret_cast<void*>(pProc));
    }();
    return pfn;
}

// While the dialog is up its owner is disabled, so that the window cannot be closed or given a
// second dialog under it; afterwards the owner is enabled and active again, and the current
// directory, which the classic dialog moves to the chosen folder, is back where it was. Put back
// however the dialog ends, a fault unwinding through it included.
class COwnerScope {
public:
    explicit COwnerScope(HWND hWndOwner) : m_hWndOwner(hWndOwner)
    {
        DWORD dwLength = ::GetCurrentDirectoryW(0, nullptr);
        if (dwLength) {
            m_directory.resize(dwLength);
            if (::GetCurrentDirectoryW(dwLength, m_directory.data()) >= dwLength) m_directory.clear();
        }
        if (m_hWndOwner && ::IsWindowEnabled(m_hWndOwner)) {
            m_bEnableOwner = true;
            ::EnableWindow(m_hWndOwner, FALSE);
        }
    }
    ~COwnerScope()
    {
        if (!m_directory.empty()) ::SetCurrentDirectoryW(m_directory.data());
        if (!m_hWndOwner || !::IsWindow(m_hWndOwner)) return;
        if (m_bEnableOwner) ::EnableWindow(m_hWndOwner, TRUE);
        ::SetActiveWindow(m_hWndOwner);
    }
    COwnerScope(const COwnerScope&) = delete;
    COwnerScope& operator=(const COwnerScope&) = delete;

private:
    HWND m_hWndOwner;
    bool m_bEnableOwner = false;
    std::vector<wchar_t> m_directory;  // empty when it could not be read
};

}  // namespace

COpenPageDialog::COpenPageDialog(LPCWSTR lpszFilter, LPCWSTR lpszTitle, CWnd* pParentWnd)
    : m_filter(ParseFilter(lpszFilter)), m_strTitle(lpszTitle), m_pParentWnd(pParentWnd)
{
}

std::vector<COpenPageDialog::CFilterEntry> COpenPageDialog::ParseFilter(LPCWSTR lpszFilter)
{
    std::vector<CFilterEntry> entries;
    CString strFilter(lpszFilter);
    int nStart = 0;
    while (nStart < strFilter.GetLength()) {
        int nBar = strFilter.Find(L'|', nStart);
        if (nBar <= nStart) break;  // "||" ends the filter
        int nEnd = strFilter.Find(L'|', nBar + 1);
        if (nEnd < 0) nEnd = strFilter.GetLength();
        if (nEnd == nBar + 1) break;
        entries.push_back(CFilterEntry{strFilter.Mid(nStart, nBar - nStart), strFilter.Mid(nBar + 1, nEnd - nBar - 1)});
        nStart = nEnd + 1;
    }
    return entries;
}

INT_PTR COpenPageDialog::DoModal()
{
    m_strPathName.Empty();
    HWND hWndOwner = FindOwner();
    COwnerScope scope(hWndOwner);
    bool bShown = false;
    INT_PTR nResult = ShowItemDialog(hWndOwner, &bShown);
    return bShown ? nResult : ShowClassicDialog(hWndOwner);
}

HWND COpenPageDialog::FindOwner() const
{
    CWnd* pWnd = m_pParentWnd;
    if (!pWnd) pWnd = AfxGetRoutingFrame();
    if (!pWnd) pWnd = AfxGetMainWnd();
    HWND hWnd = pWnd && ::IsWindow(pWnd->m_hWnd) ? pWnd->m_hWnd : nullptr;
    // A popup cannot be owned by a child window.
    while (hWnd && (::GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD)) hWnd = ::GetParent(hWnd);
    return hWnd;
}

INT_PTR COpenPageDialog::ShowItemDialog(HWND hWndOwner, bool* pbShown)
{
    CComPtr<IFileOpenDialog> pDialog;
    if (FAILED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                  reinterpret_cast<void**>(&pDialog))) ||
        !pDialog) {
        return IDCANCEL;
    }
    std::vector<COMDLG_FILTERSPEC> specs;
    for (const CFilterEntry& entry : m_filter) specs.push_back(COMDLG_FILTERSPEC{entry.strLabel, entry.strPatterns});
    if (!specs.empty()) pDialog->SetFileTypes(static_cast<UINT>(specs.size()), specs.data());
    pDialog->SetTitle(m_strTitle);
    FILEOPENDIALOGOPTIONS options = 0;
    pDialog->GetOptions(&options);
    // Only a file system path can be navigated to.
    pDialog->SetOptions(options | FOS_FORCEFILESYSTEM | FOS_FILEMUSTEXIST);
    HRESULT hr = pDialog->Show(hWndOwner);
    *pbShown = SUCCEEDED(hr) || hr == HRESULT_FROM_WIN32(ERROR_CANCELLED);
    if (FAILED(hr)) return IDCANCEL;
    CComPtr<IShellItem> pItem;
    LPWSTR pszPath = nullptr;
    if (FAILED(pDialog->GetResult(&pItem)) || !pItem || FAILED(pItem->GetDisplayName(SIGDN_FILESYSPATH, &pszPath))) {
        return IDCANCEL;
    }
    CCoTaskMemPtr<wchar_t> path(pszPath);
    m_strPathName = path.get();
    return m_strPathName.IsEmpty() ? IDCANCEL : IDOK;
}

INT_PTR COpenPageDialog::ShowClassicDialog(HWND hWndOwner)
{
    // The classic dialog reads its filter as strings separated by null characters.
    std::vector<wchar_t> filter;
    for (const CFilterEntry& entry : m_filter) {
        for (const CString* pPart : {&entry.strLabel, &entry.strPatterns}) {
            filter.insert(filter.end(), pPart->GetString(), pPart->GetString() + pPart->GetLength());
            filter.push_back(L'\0');
        }
    }
    filter.push_back(L'\0');
    wchar_t szFile[MAX_PATH] = {};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = hWndOwner;
    ofn.lpstrFilter = filter.data();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = szFile;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = m_strTitle;
    ofn.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    GetOpenFileNameFn pfnGetOpenFileName = OpenFileNameFunction();
    if (!pfnGetOpenFileName || !pfnGetOpenFileName(&ofn)) return IDCANCEL;
    m_strPathName = szFile;
    return IDOK;
}
