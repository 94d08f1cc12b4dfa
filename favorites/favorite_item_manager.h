#pragma once
#include "../framework/afx.h"
#include "favorite_item.h"

#include <memory>
#include <vector>

// Owner of the favorites tree: the favorites folder read into nodes, each
// folder in its stored menu order where that fits, numbered in pre-order.
class CFavoriteItemManager {
public:
    CFavoriteItemManager() = default;
    virtual ~CFavoriteItemManager() = default;
    CFavoriteItemManager(const CFavoriteItemManager&) = delete;
    CFavoriteItemManager& operator=(const CFavoriteItemManager&) = delete;

    // Replaces the tree with the one read from strFolder (a full path, with or
    // without a trailing backslash). FALSE when a folder could not be listed:
    // the nodes read so far stay, unordered and unnumbered, and GetItem finds none.
    // The walk goes at most kMaxFolderDepth folders down and lists at most
    // kMaxListedEntries entries; what lies beyond is left out of the tree.
    BOOL Load(const CString& strFolder, BOOL bUseOrder);
    // Which load the tree comes from: it changes at every Load, so a menu built
    // from an earlier tree can tell that its command numbers no longer hold.
    UINT GetGeneration() const { return m_nGeneration; }
    // The node numbered nIndex; null when there is none.
    CFavoriteItem* GetItem(INT_PTR nIndex) const;
    // The URL of a shortcut file: what follows "URL=" on its first line that
    // begins with it, bytes taken as characters one to one. Empty when the file
    // has no such line or cannot be read to it, when it is not a regular file
    // (a pipe or a device could keep the reader waiting for ever), when it is
    // larger than kMaxShortcutBytes, or when the URL is longer than a URL can be.
    CString ReadShortcutUrl(const CString& strPath) const;

    static constexpr int kMaxFolderDepth = 64;           // folders below the favorites folder
    static constexpr int kMaxListedEntries = 12000;      // files and folders, hidden ones included
    static constexpr LONGLONG kMaxShortcutBytes = 65536;  // real shortcut files stay under 4 KiB
    static constexpr size_t kMaxUrlLength = 2083;         // the longest URL the platform handles

    std::unique_ptr<CFavoriteItem> m_pRoot;  // null before the first load

private:
    // A folder's identity on its volume, to recognise it when a link leads back to it.
    struct FolderId {
        DWORD dwVolume;
        DWORD dwIndexHigh;
        DWORD dwIndexLow;
        bool operator==(const FolderId&) const = default;
    };

    void ResetRoot(const CString& strFolder);
    void ScanFolder(CFavoriteItem* pParent, const CString& strFolder);
    CFavoriteItem* AddFolder(CFavoriteItem* pParent, const CString& strName, const CString& strPath);

    std::vector<CFavoriteItem*> m_folders;  // the root, then every folder as the walk met it; not owned
    std::vector<CFavoriteItem*> m_items;    // every node in pre-order, index = m_nIndex; not owned
    int m_bAborted = 0;                     // a folder of the current load could not be listed
    std::vector<FolderId> m_walkPath;       // the folders being listed, outermost first
    int m_nDepth = 0;                       // folders below the root of the folder being listed
    int m_nListed = 0;                      // entries listed by the current load
    UINT m_nGeneration = 0;                 // loads so far
};
