#pragma once
#include <windows.h>

#include <string>
#include <vector>

// A folder of this test process inside the private prefix's real favorites
// folder, with its menu-order records under the real HKCU. Everything it made
// (files, links, keys) is removed when it goes out of scope.
class CTestFavoritesFolder {
public:
    CTestFavoritesFolder();
    ~CTestFavoritesFolder();
    CTestFavoritesFolder(const CTestFavoritesFolder&) = delete;
    CTestFavoritesFolder& operator=(const CTestFavoritesFolder&) = delete;

    // The favorites folder of the prefix, without a trailing backslash.
    static std::wstring FavoritesPath();
    // This folder's full path with a trailing backslash; sub-paths are relative to it.
    const std::wstring& Path() const { return m_path; }
    std::wstring PathOf(const std::wstring& relative) const { return m_path + relative; }

    void AddFolder(const std::wstring& relative) const;
    void AddFile(const std::wstring& relative, const std::string& content) const;
    void AddShortcut(const std::wstring& relative, const std::string& url) const;
    void SetHidden(const std::wstring& relative) const;
    // The record of a folder given relative to this one ("" for this one itself).
    void StoreOrder(const std::wstring& relativeFolder, const std::vector<BYTE>& record) const;
    // A symbolic link made on the host side (the platform's own call is a stub under Wine).
    void AddSymbolicLink(const std::wstring& relative, const std::string& unixTarget) const;
    std::string UnixPath(const std::wstring& relative) const;
    // The key of this folder's own record under HKCU.
    const std::wstring& OrderKey() const { return m_orderKey; }

private:
    void RemoveAll() const;

    std::wstring m_path;
    std::wstring m_orderKey;  // this folder's record key under HKCU
};

// Whether the folder listing names the path: a pipe is listed, though its attributes cannot be asked for.
bool IsListed(const std::wstring& path);

// Runs a host program (under Wine it starts without a handle to wait on) and
// waits until done() holds, at most a few seconds.
bool RunHostProgram(const std::wstring& commandLine, bool (*done)(const std::wstring&), const std::wstring& path);
