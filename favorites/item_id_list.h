#pragma once
#include "../framework/afx.h"

#include <shlobj.h>

// The size in bytes of a shell item ID list: its items' counts plus the
// terminating zero count; 0 for a null list. The list must end within its memory.
UINT GetIDListSize(LPCITEMIDLIST pidl);
// A copy of the list from the COM task allocator, exactly GetIDListSize bytes;
// null for a null list or when the allocation fails. The caller frees it with CoTaskMemFree.
LPITEMIDLIST CopyIDList(LPCITEMIDLIST pidl);

// Owner of one ID list from the COM task allocator.
class CItemIDList {
public:
    explicit CItemIDList(LPITEMIDLIST pidl = nullptr) : m_pidl(pidl) {}
    virtual ~CItemIDList();
    CItemIDList(const CItemIDList&) = delete;
    CItemIDList& operator=(const CItemIDList&) = delete;

    // The platform's file-system path for the list; empty when it has none.
    CString GetPath() const;

    LPITEMIDLIST m_pidl;  // owned; freed with CoTaskMemFree
};
