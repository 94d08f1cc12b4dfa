#include "system_paths.h"

#include <vector>

namespace {

// A folder from one of the platform's "fill this buffer" calls, which answer the size they need when the
// buffer is too small, with the file name appended.
template <class GetFolder>
CString FileInFolder(GetFolder getFolder, LPCWSTR lpszFileName)
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        UINT cch = getFolder(buffer.data(), static_cast<UINT>(buffer.size()));
        if (cch == 0) return CString();
        if (cch < buffer.size()) break;
        buffer.resize(cch + 1);
    }
    CString strPath(buffer.data());
    if (strPath.IsEmpty()) return strPath;
    if (strPath[strPath.GetLength() - 1] != L'\\') strPath += L'\\';
    return strPath + lpszFileName;
}

}  // namespace

CString AfxGetSystemFilePath(LPCWSTR lpszFileName)
{
    return FileInFolder([](LPWSTR p, UINT n) { return ::GetSystemDirectoryW(p, n); }, lpszFileName);
}

CString AfxGetSystemWindowsFilePath(LPCWSTR lpszFileName)
{
    return FileInFolder([](LPWSTR p, UINT n) { return ::GetSystemWindowsDirectoryW(p, n); }, lpszFileName);
}

CString AfxGetModuleFileName(HMODULE hModule)
{
    // A path that fills the whole buffer was cut short: try again with more room.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD cch = ::GetModuleFileNameW(hModule, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (cch == 0) return CString();
        if (cch < buffer.size()) return CString(buffer.data(), static_cast<int>(cch));
        if (buffer.size() >= 32768) return CString();  // longer than any path the platform allows
        buffer.resize(buffer.size() * 2);
    }
}
