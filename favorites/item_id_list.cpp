#include "item_id_list.h"

#include <cstring>

UINT GetIDListSize(LPCITEMIDLIST pidl)
{
    if (!pidl) return 0;
    UINT cbTotal = sizeof(USHORT);
    for (const BYTE* p = reinterpret_cast<const BYTE*>(pidl);;) {
        USHORT cb = 0;
        std::memcpy(&cb, p, sizeof(cb));
        if (cb == 0) return cbTotal;
        cbTotal += cb;
        p += cb;
    }
}

LPITEMIDLIST CopyIDList(LPCITEMIDLIST pidl)
{
    const UINT cb = GetIDListSize(pidl);
    if (cb == 0) return nullptr;
    auto* pCopy = static_cast<LPITEMIDLIST>(::CoTaskMemAlloc(cb));
    if (pCopy) std::memcpy(pCopy, pidl, cb);
    return pCopy;
}

CItemIDList::~CItemIDList()
{
    ::CoTaskMemFree(m_pidl);
}

CString CItemIDList::GetPath() const
{
    wchar_t szPath[MAX_PATH] = {};
    if (!m_pidl || !::SHGetPathFromIDListW(m_pidl, szPath)) return CString();
    return CString(szPath);
}
