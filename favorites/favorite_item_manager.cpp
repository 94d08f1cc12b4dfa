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
    m_bAborted = 0;
    m_walkPath.clear();
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
        const HANDLE hFolder = ::CreateFileW(strFolder, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (hFolder != INVALID_HANDLE_VALUE) {
            const CKernelHandle owner(hFolder);
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
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) continue;
        const CString strName(fd.cFileName);
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (::lstrcmpW(fd.cFileName, L".") == 0 || ::lstrcmpW(fd.cFileName, L"..") == 0) continue;
            CString strPath = strFolder + strName;
            order.EnsureTrailingChar(strPath, L'\\');
            if (CFavoriteItem* pChild = AddFolder(pParent, strName, strPath)) ScanFolder(pChild, strPath);
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
    const HANDLE hOpened = ::CreateFileW(strPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (hOpened == INVALID_HANDLE_VALUE) return CString();
    const CKernelHandle hFile(hOpened);

    // One pass over the bytes, keeping only the line that may be the URL's:
    // lines have no length limit, and reading stops at the end of that line.
    static constexpr char kKey[] = "URL=";
    constexpr size_t kKeyLength = sizeof(kKey) - 1;
    size_t nMatched = 0;  // characters of the key seen at the start of this line
    bool bSkipping = false;  // this line cannot be the URL's
    bool bInUrl = false;
    std::wstring url;
    char buffer[4096];
    for (;;) {
        DWORD cbRead = 0;
        // A read error is not the end of the file: the shortcut is left out.
        if (!::ReadFile(hFile, buffer, sizeof(buffer), &cbRead, nullptr)) return CString();
        if (cbRead == 0) break;
        for (DWORD i = 0; i < cbRead; ++i) {
            const char ch = buffer[i];
            if (bInUrl) {
                if (ch == '\n') {
                    if (!url.empty() && url.back() == L'\r') url.pop_back();
                    return CString(url);
                }
                // The line is a string up to its first zero byte, as text reading gives it.
                if (ch == '\0') return CString(url);
                url += static_cast<wchar_t>(static_cast<unsigned char>(ch));
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
    return bInUrl ? CString(url) : CString();
}
