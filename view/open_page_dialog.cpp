#include "open_page_dialog.h"

#include <commdlg.h>
#include <shobjidl.h>

#include <memory>

namespace {

struct CoTaskMemFreer {
    void operator()(void* p) const { ::CoTaskMemFree(p); }
};
using CCoTaskString = std::unique_ptr<wchar_t, CoTaskMemFreer>;

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

}  // namespace

COpenPageDialog::COpenPageDialog(LPCWSTR lpszFilter, LPCWSTR lpszTitle)
    : m_filter(ParseFilter(lpszFilter)), m_strTitle(lpszTitle)
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
    bool bShown = false;
    INT_PTR nResult = ShowItemDialog(&bShown);
    return bShown ? nResult : ShowClassicDialog();
}

INT_PTR COpenPageDialog::ShowItemDialog(bool* pbShown)
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
    HRESULT hr = pDialog->Show(nullptr);
    *pbShown = SUCCEEDED(hr) || hr == HRESULT_FROM_WIN32(ERROR_CANCELLED);
    if (FAILED(hr)) return IDCANCEL;
    CComPtr<IShellItem> pItem;
    LPWSTR pszPath = nullptr;
    if (FAILED(pDialog->GetResult(&pItem)) || !pItem || FAILED(pItem->GetDisplayName(SIGDN_FILESYSPATH, &pszPath))) {
        return IDCANCEL;
    }
    CCoTaskString path(pszPath);
    m_strPathName = path.get();
    return m_strPathName.IsEmpty() ? IDCANCEL : IDOK;
}

INT_PTR COpenPageDialog::ShowClassicDialog()
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
