#pragma once
#include "../framework/afx.h"

#include <string>
#include <unordered_map>

// Stored menu positions of one favorites folder, by entry name. Names compare
// exactly (case-sensitive); storing a name again replaces its position.
class CFavOrderMap {
public:
    CFavOrderMap() = default;
    virtual ~CFavOrderMap() = default;
    CFavOrderMap(const CFavOrderMap&) = delete;
    CFavOrderMap& operator=(const CFavOrderMap&) = delete;

    void SetAt(LPCWSTR pszName, DWORD dwPosition);
    // FALSE when the name is not in the map; dwPosition is then unchanged.
    BOOL Lookup(LPCWSTR pszName, DWORD& dwPosition) const;
    // The number of distinct names.
    INT_PTR GetCount() const { return static_cast<INT_PTR>(m_positions.size()); }
    void RemoveAll() { m_positions.clear(); }

private:
    std::unordered_map<std::wstring, DWORD> m_positions;
};
