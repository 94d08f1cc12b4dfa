#include "ie_fav_order.h"
#include "item_id_list.h"

#include <shlobj.h>
#include <cwctype>
#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The record's integers are little-endian and may sit at any offset.
DWORD ReadDword(const BYTE* p)
{
    DWORD dw = 0;
    std::memcpy(&dw, p, sizeof(dw));
    return dw;
}

WORD ReadWord(const BYTE* p)
{
    WORD w = 0;
    std::memcpy(&w, p, sizeof(w));
    return w;
}

// A drive or network path. Wine's conversion also answers for items that have
// no file-system path ("::{clsid}"); those name nothing.
bool IsFileSystemPath(LPCWSTR psz)
{
    const bool bDrive = std::iswalpha(psz[0]) && psz[1] == L':' && psz[2] == L'\\';
    return bDrive || (psz[0] == L'\\' && psz[1] == L'\\');
}

// An "Order" record opens with 12 fixed bytes; its first DWORD counts the further header
// bytes between them and the first entry.
constexpr size_t kRecordFixedHeader = 12;
// Zeroed bytes the read buffer keeps past the value; nothing reads them, as the record is
// walked only up to the length the registry gives.
constexpr size_t kRecordBufferSpare = 10;

constexpr size_t kFileEntryFixedPart = 14;  // count, type, unused byte, size, date, time, attributes

enum class ItemName { kFound, kNoBlock, kNotReadable, kMalformed };

// The long name of a lone file-entry item (0x31 folder, 0x32 file) from its
// 0xbeef0004 extension block, which the item's last WORD points to; the name's
// offset is set by the block's version. Items written before Windows XP have
// no block: their last WORD is part of a name and points to no signature.
// The platform's conversion of such a lone child item cannot be relied on for
// the long name (Wine gives it only for version 3).
ItemName ReadExtensionBlockName(const BYTE* pItem, size_t cbItem, CString& strName)
{
    constexpr size_t kBlockHeader = 8;  // size, version, signature
    if (cbItem < kFileEntryFixedPart + kBlockHeader + sizeof(WORD)) return ItemName::kNoBlock;
    const size_t offBlock = ReadWord(pItem + cbItem - sizeof(WORD));
    if (offBlock < kFileEntryFixedPart || offBlock > cbItem - kBlockHeader) return ItemName::kNoBlock;
    if (ReadDword(pItem + offBlock + 4) != 0xbeef0004) return ItemName::kNoBlock;
    const size_t cbBlock = ReadWord(pItem + offBlock);
    if (cbBlock < kBlockHeader || cbBlock > cbItem - offBlock) return ItemName::kMalformed;

    size_t offName = 0;
    switch (ReadWord(pItem + offBlock + 2)) {
    case 3: offName = 20; break;  // Windows XP
    case 7: offName = 38; break;
    case 8: offName = 42; break;  // Windows 7
    case 9: offName = 46; break;  // Windows 8 and later
    default: return ItemName::kNotReadable;
    }
    if (offName >= cbBlock) return ItemName::kMalformed;
    const BYTE* pBlockEnd = pItem + offBlock + cbBlock;
    std::wstring name;
    for (const BYTE* p = pItem + offBlock + offName; pBlockEnd - p >= 2; p += 2) {
        const wchar_t ch = ReadWord(p);
        if (ch == L'\0') {
            strName = CString(name.c_str());
            return ItemName::kFound;
        }
        name += ch;
    }
    return ItemName::kMalformed;  // no terminator inside the block
}

// The primary name of a file-entry item, in the ANSI code page: the long name
// in items written before Windows XP, the 8.3 name after. False when it does
// not end inside the item.
bool ReadPrimaryName(const BYTE* pItem, size_t cbItem, CString& strName)
{
    if (cbItem <= kFileEntryFixedPart) return false;
    const auto* pName = reinterpret_cast<const char*>(pItem + kFileEntryFixedPart);
    const auto* pEnd = static_cast<const char*>(std::memchr(pName, 0, cbItem - kFileEntryFixedPart));
    if (!pEnd) return false;
    const int cbName = static_cast<int>(pEnd - pName);
    if (cbName == 0) return true;
    const int cchName = ::MultiByteToWideChar(CP_ACP, 0, pName, cbName, nullptr, 0);
    if (cchName <= 0) return false;
    std::wstring name(static_cast<size_t>(cchName), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, pName, cbName, name.data(), cchName);
    strName = CString(name.c_str());
    return true;
}

// The platform's name for an ID list: the last component of its file-system path.
CString PlatformName(const CIEFavOrder& order, const BYTE* pList)
{
    const CItemIDList list(CopyIDList(reinterpret_cast<LPCITEMIDLIST>(pList)));
    const CString strPath = list.GetPath();
    return IsFileSystemPath(strPath) ? order.GetFileName(strPath) : CString();
}

}  // namespace

void CIEFavOrder::ReadMenuOrder(CFavOrderMap& map, const CString& strFolderPath) const
{
    wchar_t szFavorites[MAX_PATH] = {};
    // Without the favorites folder the relative key has no meaning: read nothing.
    if (!::SHGetSpecialFolderPathW(nullptr, szFavorites, CSIDL_FAVORITES, FALSE) || !szFavorites[0]) return;
    CString strRoot(szFavorites);
    EnsureTrailingChar(strRoot, L'\\');
    // A folder outside the favorites folder has no record; its relative part would name another folder's.
    if (strFolderPath.Left(strRoot.GetLength()).CompareNoCase(strRoot) != 0) return;

    CString strKey(kFavoritesMenuOrderKey);
    const CString strRelative = strFolderPath.Mid(strRoot.GetLength());
    if (!strRelative.IsEmpty()) strKey += L"\\" + strRelative;
    RemoveTrailingBackslash(strKey);

    CRegKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, strKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    DWORD dwType = REG_BINARY;
    DWORD cbValue = 0;
    if (::RegQueryValueExW(key, L"Order", nullptr, &dwType, nullptr, &cbValue) != ERROR_SUCCESS ||
        cbValue < kRecordFixedHeader) {
        return;
    }
    std::vector<BYTE> record(static_cast<size_t>(cbValue) + kRecordBufferSpare);
    DWORD cbRead = cbValue;
    if (::RegQueryValueExW(key, L"Order", nullptr, &dwType, record.data(), &cbRead) != ERROR_SUCCESS) return;
    ReadMenuOrderRecord(map, record.data(), std::min(cbRead, cbValue));
}

void CIEFavOrder::ReadMenuOrderRecord(CFavOrderMap& map, const BYTE* pRecord, size_t cbRecord) const
{
    constexpr size_t kEntryHeader = 8;  // length, position
    if (!pRecord || cbRecord < kRecordFixedHeader) return;
    // Offsets are kept in 64 bits so that no length near 4 GB can wrap round.
    ULONGLONG pos = ULONGLONG(ReadDword(pRecord)) + kRecordFixedHeader;
    while (pos < cbRecord) {
        if (cbRecord - pos < kEntryHeader) return;
        const BYTE* pEntry = pRecord + pos;
        const ULONGLONG cbEntry = ReadDword(pEntry);
        if (cbEntry < kEntryHeader + sizeof(USHORT) || cbEntry > cbRecord - pos) return;

        // The ID list with its zero count must lie inside the entry.
        const BYTE* pList = pEntry + kEntryHeader;
        const BYTE* pEntryEnd = pEntry + cbEntry;
        const BYTE* pItem = pList;
        int nItems = 0;
        for (;;) {
            if (pEntryEnd - pItem < 2) return;
            const USHORT cbItem = ReadWord(pItem);
            if (cbItem == 0) break;
            if (cbItem < sizeof(USHORT) || cbItem > pEntryEnd - pItem) return;
            pItem += cbItem;
            ++nItems;
        }

        // Faults inside the one item name nothing; the walk goes on with the next entry.
        CString strName;
        const BYTE nType = nItems == 1 && ReadWord(pList) > 2 ? pList[2] : 0;
        if (nType == 0x31 || nType == 0x32) {
            const size_t cbItem = ReadWord(pList);
            switch (ReadExtensionBlockName(pList, cbItem, strName)) {
            case ItemName::kFound:
            case ItemName::kMalformed:
                break;
            case ItemName::kNoBlock:
                ReadPrimaryName(pList, cbItem, strName);
                break;
            case ItemName::kNotReadable:
                // A block of a later layout: the platform may know it; the 8.3 name still keeps the entry's place.
                strName = PlatformName(*this, pList);
                if (strName.IsEmpty()) ReadPrimaryName(pList, cbItem, strName);
                break;
            }
        } else if (nItems > 0) {
            strName = PlatformName(*this, pList);
        }
        if (!strName.IsEmpty()) map.SetAt(strName, ReadDword(pEntry + 4));
        pos += cbEntry;
    }
}

void CIEFavOrder::EnsureTrailingChar(CString& str, wchar_t ch) const
{
    if (str.IsEmpty() || str[str.GetLength() - 1] != ch) str += ch;
}

void CIEFavOrder::RemoveTrailingBackslash(CString& str) const
{
    if (!str.IsEmpty() && str[str.GetLength() - 1] == L'\\') str = str.Left(str.GetLength() - 1);
}

CString CIEFavOrder::GetFileName(const CString& strPath) const
{
    const int p = strPath.ReverseFind(L'\\');
    const int n = strPath.GetLength();
    if (p == n - 1) return GetPathTitle(strPath);
    return strPath.Mid(p + 1);
}

CString CIEFavOrder::GetPathTitle(const CString& strPath) const
{
    CString strTitle(strPath);
    if (!strTitle.IsEmpty() && strTitle[strTitle.GetLength() - 1] == L'\\') {
        strTitle = strTitle.Left(strTitle.GetLength() - 1);
        return strTitle.Mid(strTitle.ReverseFind(L'\\') + 1);
    }
    strTitle = strTitle.Mid(strTitle.ReverseFind(L'\\') + 1);
    const int nDot = strTitle.ReverseFind(L'.');
    if (nDot >= 0) strTitle = strTitle.Left(nDot);
    return strTitle;
}
