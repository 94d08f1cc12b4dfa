#include "fav_order_map.h"

void CFavOrderMap::SetAt(LPCWSTR pszName, DWORD dwPosition)
{
    m_positions[pszName ? pszName : L""] = dwPosition;
}

BOOL CFavOrderMap::Lookup(LPCWSTR pszName, DWORD& dwPosition) const
{
    const auto it = m_positions.find(pszName ? pszName : L"");
    if (it == m_positions.end()) return FALSE;
    dwPosition = it->second;
    return TRUE;
}
