#pragma once
#include "../framework/afx.h"
#include "fav_order_map.h"

// The key, under HKEY_CURRENT_USER, of the favorites folder's own menu-order
// record; a sub-folder's key adds its path relative to the favorites folder.
inline constexpr const wchar_t* kFavoritesMenuOrderKey =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Favorites";

// Reader of the menu order the shell keeps for each favorites folder, and the
// path helpers of the favorites walk. Holds no state.
class CIEFavOrder {
public:
    CIEFavOrder() = default;
    virtual ~CIEFavOrder() = default;

    // Adds name -> position for every entry of the "Order" record of a folder
    // under the favorites folder (a full path ending with a backslash) whose
    // name can be worked out. Any failure only leaves fewer or no entries.
    void ReadMenuOrder(CFavOrderMap& map, const CString& strFolderPath) const;
    // The same for a record already fetched. Reads nothing outside the cbRecord
    // bytes. A length that runs outside its entry or the record ends the walk
    // with the entries read before it; an entry whose item is damaged inside
    // is left out, and the walk goes on.
    void ReadMenuOrderRecord(CFavOrderMap& map, const BYTE* pRecord, size_t cbRecord) const;

    // Appends ch unless the string already ends with it.
    void EnsureTrailingChar(CString& str, wchar_t ch) const;
    void RemoveTrailingBackslash(CString& str) const;
    // The last component of a path; for a path ending with a backslash, the folder's own name.
    CString GetFileName(const CString& strPath) const;
    // A folder path's own name, or a file's name without its extension.
    CString GetPathTitle(const CString& strPath) const;
};
