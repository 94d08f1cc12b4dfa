#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Copies of the system's libraries and programs planted where a search could find them, and what a test
// changes around them; every object puts back what it changed when it goes out of scope.

// A folder of the test program's build folder, e.g. "planted\\planted_library.dll", as a full path.
std::wstring TestFilePath(const std::wstring& relative);

// Puts a copy of the library (it leaves a mark when loaded as code) or of the program (when started) at path.
bool PlantLibrary(const std::wstring& path);
bool PlantProgram(const std::wstring& path);
// Whether the copy planted at path ran: its start-up code left "<path>.ran".
bool PlantedCopyRan(const std::wstring& path);

// A new empty folder in the temporary folder, removed with what it holds.
class CScratchFolder {
public:
    explicit CScratchFolder(const std::wstring& under = std::wstring());
    ~CScratchFolder();
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;

    const std::wstring& Path() const { return m_path; }  // without a trailing backslash
    std::wstring PathOf(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

// The process's working directory, and the first folder on its PATH, for the scope.
class CScopedWorkingDirectory {
public:
    explicit CScopedWorkingDirectory(const std::wstring& path);
    ~CScopedWorkingDirectory();
    CScopedWorkingDirectory(const CScopedWorkingDirectory&) = delete;
    CScopedWorkingDirectory& operator=(const CScopedWorkingDirectory&) = delete;

private:
    std::wstring m_saved;
};
class CScopedPathEntry {
public:
    explicit CScopedPathEntry(const std::wstring& folder);
    ~CScopedPathEntry();
    CScopedPathEntry(const CScopedPathEntry&) = delete;
    CScopedPathEntry& operator=(const CScopedPathEntry&) = delete;

private:
    std::wstring m_saved;
};

// For the scope, the file at path (in the prefix's system folders, which are the tests' own) is a copy of
// source, or is missing when source is empty, as on a system that does not ship it.
class CScopedSystemFile {
public:
    CScopedSystemFile(const std::wstring& path, const std::wstring& source);
    ~CScopedSystemFile();
    CScopedSystemFile(const CScopedSystemFile&) = delete;
    CScopedSystemFile& operator=(const CScopedSystemFile&) = delete;

    bool ok() const { return m_bOk; }

private:
    std::wstring m_path;
    std::wstring m_aside;  // where the original waits, or empty when there was none
    bool m_bOk = false;
};

// Processes with this file name that start during the scope; those still running are ended with it.
class CStartedProcesses {
public:
    explicit CStartedProcesses(const std::wstring& fileName);
    ~CStartedProcesses();
    CStartedProcesses(const CStartedProcesses&) = delete;
    CStartedProcesses& operator=(const CStartedProcesses&) = delete;

    // The full image paths of the processes started since construction (or the last EndAll).
    std::vector<std::wstring> ImagePaths() const;
    void EndAll();

private:
    std::vector<DWORD> NewIds() const;
    std::wstring m_fileName;
    std::vector<DWORD> m_before;
};

// Full path of a file in the system folder or the Windows folder, as the platform reports them.
std::wstring SystemFolderFile(const std::wstring& name);
std::wstring WindowsFolderFile(const std::wstring& name);
// Paths compare without regard to case.
bool SamePath(const std::wstring& a, const std::wstring& b);
