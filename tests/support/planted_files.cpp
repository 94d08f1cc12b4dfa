#include "planted_files.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>

namespace {

std::wstring FolderOf(const std::wstring& path)
{
    return path.substr(0, path.find_last_of(L'\\'));
}

void RemoveTree(const std::wstring& path)
{
    std::wstring from = path + L'\0';  // the list ends with a second null
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    ::SHFileOperationW(&op);
}

}  // namespace

std::wstring TestFilePath(const std::wstring& relative)
{
    wchar_t szPath[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    return FolderOf(szPath) + L"\\" + relative;
}

bool PlantLibrary(const std::wstring& path)
{
    return ::CopyFileW(TestFilePath(L"planted\\planted_library.dll").c_str(), path.c_str(), FALSE) != FALSE;
}

bool PlantProgram(const std::wstring& path)
{
    return ::CopyFileW(TestFilePath(L"planted\\planted_program.exe").c_str(), path.c_str(), FALSE) != FALSE;
}

bool PlantedCopyRan(const std::wstring& path)
{
    return ::GetFileAttributesW((path + L".ran").c_str()) != INVALID_FILE_ATTRIBUTES;
}

CScratchFolder::CScratchFolder(const std::wstring& under)
{
    std::wstring parent = under;
    if (parent.empty()) {
        wchar_t szTemp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, szTemp);
        parent = FolderOf(szTemp);  // the temporary folder's path ends with a backslash
    }
    for (unsigned n = ::GetTickCount();; ++n) {
        m_path = parent + L"\\tw-planted-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(n);
        if (::CreateDirectoryW(m_path.c_str(), nullptr)) break;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
}

CScratchFolder::~CScratchFolder()
{
    RemoveTree(m_path);
}

CScopedWorkingDirectory::CScopedWorkingDirectory(const std::wstring& path)
{
    wchar_t szSaved[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, szSaved);
    m_saved = szSaved;
    ::SetCurrentDirectoryW(path.c_str());
}

CScopedWorkingDirectory::~CScopedWorkingDirectory()
{
    ::SetCurrentDirectoryW(m_saved.c_str());
}

CScopedPathEntry::CScopedPathEntry(const std::wstring& folder)
{
    DWORD cch = ::GetEnvironmentVariableW(L"PATH", nullptr, 0);
    std::wstring saved(cch, L'\0');
    if (cch) saved.resize(::GetEnvironmentVariableW(L"PATH", saved.data(), cch));
    m_saved = saved;
    ::SetEnvironmentVariableW(L"PATH", (folder + L";" + saved).c_str());
}

CScopedPathEntry::~CScopedPathEntry()
{
    ::SetEnvironmentVariableW(L"PATH", m_saved.c_str());
}

CScopedSystemFile::CScopedSystemFile(const std::wstring& path, const std::wstring& source) : m_path(path)
{
    if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        m_aside = path + L".tarnwick-aside";
        if (!::MoveFileExW(path.c_str(), m_aside.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            m_aside.clear();
            return;
        }
    }
    m_bOk = source.empty() || ::CopyFileW(source.c_str(), path.c_str(), FALSE);
}

CScopedSystemFile::~CScopedSystemFile()
{
    ::DeleteFileW(m_path.c_str());
    if (!m_aside.empty()) ::MoveFileExW(m_aside.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

CStartedProcesses::CStartedProcesses(const std::wstring& fileName) : m_fileName(fileName)
{
    m_before = NewIds();
}

CStartedProcesses::~CStartedProcesses()
{
    EndAll();
}

std::vector<DWORD> CStartedProcesses::NewIds() const
{
    std::vector<DWORD> ids;
    HANDLE hSnapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = ::Process32FirstW(hSnapshot, &entry); bMore; bMore = ::Process32NextW(hSnapshot, &entry)) {
        bool bKnown = std::find(m_before.begin(), m_before.end(), entry.th32ProcessID) != m_before.end();
        if (!bKnown && ::_wcsicmp(entry.szExeFile, m_fileName.c_str()) == 0) ids.push_back(entry.th32ProcessID);
    }
    ::CloseHandle(hSnapshot);
    return ids;
}

std::vector<std::wstring> CStartedProcesses::ImagePaths() const
{
    std::vector<std::wstring> paths;
    for (DWORD id : NewIds()) {
        HANDLE hProcess = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
        wchar_t szImage[1024] = {};
        DWORD cch = 1024;
        if (hProcess && ::QueryFullProcessImageNameW(hProcess, 0, szImage, &cch)) {
            paths.push_back(szImage);
        } else {
            paths.push_back(L"(unknown image of process " + std::to_wstring(id) + L")");
        }
        if (hProcess) ::CloseHandle(hProcess);
    }
    return paths;
}

void CStartedProcesses::EndAll()
{
    for (DWORD id : NewIds()) {
        if (HANDLE hProcess = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
            ::TerminateProcess(hProcess, 0);
            ::WaitForSingleObject(hProcess, 5000);
            ::CloseHandle(hProcess);
        }
        m_before.push_back(id);
    }
}

std::wstring SystemFolderFile(const std::wstring& name)
{
    wchar_t szDir[MAX_PATH] = {};
    ::GetSystemDirectoryW(szDir, MAX_PATH);
    return std::wstring(szDir) + L"\\" + name;
}

std::wstring WindowsFolderFile(const std::wstring& name)
{
    wchar_t szDir[MAX_PATH] = {};
    ::GetSystemWindowsDirectoryW(szDir, MAX_PATH);
    return std::wstring(szDir) + L"\\" + name;
}

bool SamePath(const std::wstring& a, const std::wstring& b)
{
    return ::_wcsicmp(a.c_str(), b.c_str()) == 0;
}
