#include "doc_host_show_ui.h"

namespace {

constexpr const wchar_t* kControlResourceLibrary = L"SHDOCLC.DLL";
constexpr UINT kSuppressedMessageIds[] = {8033, 8032};
constexpr int kTextBufferLength = 1024;

// The system folder's copy of the library, mapped for its resources only: a library of that name planted in
// the working directory or on PATH is never chosen, and no copy's start-up code runs. The full path rather
// than LOAD_LIBRARY_SEARCH_SYSTEM32: Wine's loader ignores that flag for data-file loads, and Windows 7
// without its loader update rejects it.
HMODULE LoadSystemResourceLibrary()
{
    CString strPath = AfxGetSystemFilePath(kControlResourceLibrary);
    if (strPath.IsEmpty()) return nullptr;
    return ::LoadLibraryExW(strPath, nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE);
}

// True when the library's string nID is exactly the text.
bool IsLibraryString(HMODULE hLibrary, UINT nID, LPCWSTR lpszText)
{
    wchar_t szBuffer[kTextBufferLength] = {};
    return ::LoadStringW(hLibrary, nID, szBuffer, kTextBufferLength) > 0 && ::lstrcmpW(szBuffer, lpszText) == 0;
}

}  // namespace

STDMETHODIMP CDocHostShowUI::ShowMessage(HWND hwnd, LPOLESTR lpstrText, LPOLESTR lpstrCaption, DWORD dwType,
                                         LPOLESTR, DWORD, LRESULT* plResult)
{
    HMODULE hLibrary = ::GetModuleHandleW(kControlResourceLibrary);
    CLibraryHandle loadedHere;  // only a library this call loaded is let go again
    if (!hLibrary) {
        loadedHere.Reset(LoadSystemResourceLibrary());
        hLibrary = loadedHere;
    }
    bool bSuppressed = false;
    if (hLibrary && lpstrText) {
        for (UINT nID : kSuppressedMessageIds) {
            if (IsLibraryString(hLibrary, nID, lpstrText)) {
                bSuppressed = true;
                break;
            }
        }
    }
    if (!bSuppressed) {
        int nResult = ::MessageBoxW(hwnd, lpstrText, lpstrCaption, dwType);
        if (plResult) *plResult = nResult;
    }
    // Offered here, so the control never shows a box of its own.
    return S_OK;
}

STDMETHODIMP CDocHostShowUI::ShowHelp(HWND, LPOLESTR, UINT, DWORD, POINT, IDispatch*) { return E_NOTIMPL; }
