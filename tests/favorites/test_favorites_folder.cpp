#include "test_favorites_folder.h"

#include <favorites/ie_fav_order.h>
#include <shlobj.h>

#include <stdexcept>

namespace {

std::string UnixFileName(const std::wstring& path)
{
    using UnixFileNameFn = char*(CDECL*)(LPCWSTR);
    const auto pfn = reinterpret_cast<UnixFileNameFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!pfn) throw std::runtime_error("not running under Wine");
    char* pszUnix = pfn(path.c_str());
    if (!pszUnix) throw std::runtime_error("no host path");
    std::string unix(pszUnix);
    ::HeapFree(::GetProcessHeap(), 0, pszUnix);
    return unix;
}

// Host paths are UTF-8.
std::wstring Widen(const std::string& s)
{
    std::wstring wide(s.size(), L'\0');
    wide.resize(::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), wide.data(),
                                      static_cast<int>(wide.size())));
    return wide;
}

bool Exists(const std::wstring& path)
{
    WIN32_FIND_DATAW fd;
    const HANDLE h = ::FindFirstFileW(path.c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return false;
    ::FindClose(h);
    return true;
}

bool Gone(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace

bool IsListed(const std::wstring& path)
{
    return Exists(path);
}

bool RunHostProgram(const std::wstring& commandLine, bool (*done)(const std::wstring&), const std::wstring& path)
{
    std::wstring command(commandLine);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        return false;
    }
    if (pi.hThread) ::CloseHandle(pi.hThread);
    if (pi.hProcess) ::CloseHandle(pi.hProcess);
    for (int i = 0; i < 500; ++i) {
        if (done(path)) return true;
        ::Sleep(10);
    }
    return false;
}

std::wstring CTestFavoritesFolder::FavoritesPath()
{
    wchar_t szPath[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, szPath, CSIDL_FAVORITES, FALSE)) throw std::runtime_error("no favorites");
    return szPath;
}

CTestFavoritesFolder::CTestFavoritesFolder()
{
    static int s_nFolders = 0;
    const std::wstring name = L"tw-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++s_nFolders);
    m_path = FavoritesPath() + L"\\" + name + L"\\";
    m_orderKey = std::wstring(kFavoritesMenuOrderKey) + L"\\" + name;
    // A test process that crashed left its folder behind; a later one may get the same id.
    if (::GetFileAttributesW(m_path.c_str()) != INVALID_FILE_ATTRIBUTES) RemoveAll();
    if (!::CreateDirectoryW(m_path.c_str(), nullptr)) throw std::runtime_error("cannot make the test folder");
}

CTestFavoritesFolder::~CTestFavoritesFolder()
{
    RemoveAll();
}

void CTestFavoritesFolder::RemoveAll() const
{
    ::RegDeleteTreeW(HKEY_CURRENT_USER, m_orderKey.c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, m_orderKey.c_str());
    // rm does not follow the links that some tests make.
    RunHostProgram(L"Z:\\bin\\rm -rf \"" + Widen(UnixFileName(m_path)) + L"\"", &Gone, m_path);
}

void CTestFavoritesFolder::AddFolder(const std::wstring& relative) const
{
    if (!::CreateDirectoryW(PathOf(relative).c_str(), nullptr)) throw std::runtime_error("cannot make a folder");
}

void CTestFavoritesFolder::AddFile(const std::wstring& relative, const std::string& content) const
{
    const HANDLE h = ::CreateFileW(PathOf(relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot make a file");
    DWORD cbWritten = 0;
    const BOOL bWritten = ::WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &cbWritten, nullptr);
    ::CloseHandle(h);
    if (!bWritten || cbWritten != content.size()) throw std::runtime_error("cannot write a file");
}

void CTestFavoritesFolder::AddShortcut(const std::wstring& relative, const std::string& url) const
{
    AddFile(relative, "[InternetShortcut]\r\nURL=" + url + "\r\n");
}

void CTestFavoritesFolder::SetHidden(const std::wstring& relative) const
{
    const std::wstring path = PathOf(relative);
    const DWORD dwAttributes = ::GetFileAttributesW(path.c_str());
    if (dwAttributes == INVALID_FILE_ATTRIBUTES ||
        !::SetFileAttributesW(path.c_str(), (dwAttributes & FILE_ATTRIBUTE_DIRECTORY ? 0 : dwAttributes) |
                                                FILE_ATTRIBUTE_HIDDEN) ||
        !(::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN)) {
        throw std::runtime_error("cannot hide an entry");
    }
}

void CTestFavoritesFolder::StoreOrder(const std::wstring& relativeFolder, const std::vector<BYTE>& record) const
{
    std::wstring key = m_orderKey;
    if (!relativeFolder.empty()) key += L"\\" + relativeFolder;
    if (::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Order", REG_BINARY, record.data(),
                          static_cast<DWORD>(record.size())) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot store a record");
    }
}

void CTestFavoritesFolder::AddSymbolicLink(const std::wstring& relative, const std::string& unixTarget) const
{
    const std::wstring link = PathOf(relative);
    const std::wstring command = L"Z:\\bin\\ln -s \"" + Widen(unixTarget) + L"\" \"" + Widen(UnixFileName(link)) + L"\"";
    if (!RunHostProgram(command, &Exists, link)) throw std::runtime_error("cannot make a link");
}

std::string CTestFavoritesFolder::UnixPath(const std::wstring& relative) const
{
    return UnixFileName(PathOf(relative));
}
