#include "favorite_item_manager.h"
#include "ie_fav_order.h"

#include <algorithm>
#include <cwchar>
#include <string>

namespace {

// Internet shortcuts by extension, in any case; the whole name counts as the extension when it has no dot.
bool IsShortcutName(LPCWSTR pszName)
{
    const wchar_t* pszDot = std::wcsrchr(pszName, L'.');
    const wchar_t* pszExt = pszDot ? pszDot : pszName;
    return ::_wcsicmp(pszExt, L".url") == 0 || ::_wcsicmp(pszExt, L".html") == 0 || ::_wcsicmp(pszExt, L".htm") == 0;
}

}  // namespace

BOOL CFavoriteItemManager::Load(const CString& strFolder, BOOL bUseOrder)
{
    const CIEFavOrder order;
    CString strRoot(strFolder);
    order.EnsureTrailingChar(strRoot, L'\\');
    ResetRoot(strRoot);
    ++m_nGeneration;
    m_bAborted = 0;
    m_walkPath.clear();
    m_nDepth = 0;
    m_nListed = 0;
    // An empty path names no folder (made absolute it would be a drive's root).
    if (strFolder.IsEmpty()) return FALSE;
    ScanFolder(m_pRoot.get(), strRoot);
    if (m_bAborted) return FALSE;

    const size_t nFolders = m_folders.size();
    for (size_t i = 0; i < nFolders; ++i) {
        CFavoriteItem* pFolder = m_folders[i];
        if (!pFolder) continue;
        if (!bUseOrder) {
            pFolder->SortDefault();
            continue;
        }
        CFavOrderMap map;
        CString strPath = pFolder->m_strTarget;
        order.EnsureTrailingChar(strPath, L'\\');
        order.ReadMenuOrder(map, strPath);
        // A record that names more or fewer entries than the folder holds is out of date.
        if (pFolder->GetChildCount() == map.GetCount()) {
            pFolder->ApplyOrder(map);
        } else {
            pFolder->SortDefault();
        }
    }
    if (m_pRoot) {
        m_items.clear();
        m_pRoot->Flatten(m_items);
    }
    return TRUE;
}

CFavoriteItem* CFavoriteItemManager::GetItem(INT_PTR nIndex) const
{
    if (nIndex < 0 || nIndex >= static_cast<INT_PTR>(m_items.size())) return nullptr;
    return m_items[static_cast<size_t>(nIndex)];
}

void CFavoriteItemManager::ResetRoot(const CString& strFolder)
{
    m_pRoot = std::make_unique<CFavoriteItem>(L"FAVROOT", strFolder, FAV_ROOT);
    m_folders.clear();
    m_items.clear();
    m_folders.push_back(m_pRoot.get());
}

void CFavoriteItemManager::ScanFolder(CFavoriteItem* pParent, const CString& strFolder)
{
    // A folder reached again through a link to one of its ancestors keeps its
    // node but is not listed again: that walk would never end.
    FolderId id{};
    bool bIdentified = false;
    {
        const CFileHandle hFolder(::CreateFileW(strFolder, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (hFolder) {
            BY_HANDLE_FILE_INFORMATION info{};
            if (::GetFileInformationByHandle(hFolder, &info)) {
                id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
                bIdentified = true;
            }
        }
    }
    if (bIdentified && std::find(m_walkPath.begin(), m_walkPath.end(), id) != m_walkPath.end()) return;

    WIN32_FIND_DATAW fd{};
    const CFindHandle hFind(::FindFirstFileW(strFolder + L"*.*", &fd));
    if (!hFind) {
        m_bAborted = 1;
        return;
    }
    if (bIdentified) m_walkPath.push_back(id);
    const CIEFavOrder order;
    do {
        if (m_bAborted) break;
        const bool bDirectory = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (bDirectory && (::lstrcmpW(fd.cFileName, L".") == 0 || ::lstrcmpW(fd.cFileName, L"..") == 0)) continue;
        // A link to a drive's root, or a tree far larger than anyone's favorites, ends the walk here.
        if (m_nListed >= kMaxListedEntries) break;
        ++m_nListed;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) continue;
        const CString strName(fd.cFileName);
        if (bDirectory) {
            if (m_nDepth >= kMaxFolderDepth) continue;
            CString strPath = strFolder + strName;
            order.EnsureTrailingChar(strPath, L'\\');
            if (CFavoriteItem* pChild = AddFolder(pParent, strName, strPath)) {
                ++m_nDepth;
                ScanFolder(pChild, strPath);
                --m_nDepth;
            }
        } else if (IsShortcutName(fd.cFileName)) {
            const CString strUrl = ReadShortcutUrl(strFolder + strName);
            if (!strUrl.IsEmpty() && pParent) pParent->AddChild(strName, strUrl, FAV_LINK);
        } else if (pParent) {
            pParent->AddChild(strName, strFolder + strName, FAV_FILE);
        }
    } while (::FindNextFileW(hFind, &fd));
    if (bIdentified) m_walkPath.pop_back();
}

CFavoriteItem* CFavoriteItemManager::AddFolder(CFavoriteItem* pParent, const CString& strName, const CString& strPath)
{
    if (!pParent) return nullptr;
    CFavoriteItem* pChild = pParent->AddChild(strName, strPath, FAV_FOLDER);
    if (pChild) m_folders.push_back(pChild);
    return pChild;
}

CString CFavoriteItemManager::ReadShortcutUrl(const CString& strPath) const
{
    const CFileHandle hFile(::CreateFileW(strPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!hFile) return CString();
    // A pipe or a device may never end, and a huge file is no shortcut: the menu would wait for them.
    LARGE_INTEGER size{};
    if (::GetFileType(hFile) != FILE_TYPE_DISK || !::GetFileSizeEx(hFile, &size) || size.QuadPart > kMaxShortcutBytes) {
        return CString();
    }

    // One pass over the bytes, keeping only the line that may be the URL's;
    // reading stops at the end of that line, or at the size a shortcut can have
    // (the file may have grown since its size was taken).
    static constexpr char kKey[] = "URL=";
    constexpr size_t kKeyLength = sizeof(kKey) - 1;
    size_t nMatched = 0;  // characters of the key seen at the start of this line
    bool bSkipping = false;  // this line cannot be the URL's
    bool bInUrl = false;
    std::wstring url;
    char buffer[4096];
    auto result = [&url] { return url.size() <= kMaxUrlLength ? CString(url) : CString(); };
    for (LONGLONG cbTotal = 0; cbTotal <= kMaxShortcutBytes;) {
        DWORD cbRead = 0;
        const DWORD cbWanted = static_cast<DWORD>(std::min<LONGLONG>(sizeof(buffer), kMaxShortcutBytes + 1 - cbTotal));
        // A read error is not the end of the file: the shortcut is left out.
        if (!::ReadFile(hFile, buffer, cbWanted, &cbRead, nullptr)) return CString();
        if (cbRead == 0) return bInUrl ? result() : CString();
        cbTotal += cbRead;
        for (DWORD i = 0; i < cbRead; ++i) {
            const char ch = buffer[i];
            if (bInUrl) {
                if (ch == '\n') {
                    if (!url.empty() && url.back() == L'\r') url.pop_back();
                    return result();
                }
                // The line is a string up to its first zero byte, as text reading gives it.
                if (ch == '\0') return result();
                url += static_cast<wchar_t>(static_cast<unsigned char>(ch));
                // One character more than the longest URL, for the carriage return a line end may bring.
                if (url.size() > kMaxUrlLength + 1) return CString();
            } else if (ch == '\n') {
                nMatched = 0;
                bSkipping = false;
            } else if (!bSkipping) {
                if (ch == kKey[nMatched]) {
                    bInUrl = ++nMatched == kKeyLength;
                } else {
                    bSkipping = true;
                }
            }
        }
    }
    return CString();  // more than a shortcut can hold was read without reaching the URL's line end
}
