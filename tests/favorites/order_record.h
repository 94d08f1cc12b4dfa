#pragma once
#include <windows.h>

#include <string>
#include <vector>

using Bytes = std::vector<BYTE>;

// Shell items and menu-order records laid out byte by byte as Windows writes them.

// A file-entry item (0x32, or 0x31 for a folder) whose primary name is the 8.3
// name and whose 0xbeef0004 extension block of the given version (3, 7, 8 or
// 9) holds the long name; the item's last WORD is the block's offset.
Bytes FileEntryItem(WORD wVersion, const char* pszShortName, const std::wstring& longName, bool bFolder = false);
// Offsets inside FileEntryItem's result, for tests that damage one field.
size_t ExtensionBlockOffset(const Bytes& item);

// A file-entry item as Windows wrote it before XP: no extension block; the
// primary name is the long name in the ANSI code page, then the 8.3 name.
Bytes OlderFileEntryItem(const std::wstring& longName, const char* pszShortName, bool bFolder = false);

// An ID list: the items, then the zero count.
Bytes IdList(const std::vector<Bytes>& items);

// One record entry: {length, position, ID list, padding to a DWORD, a trailing DWORD of flags}.
Bytes OrderEntry(DWORD dwPosition, const Bytes& idList, DWORD dwFlags = 0);

// The record: header {8, 2, size - 8, 1, count} at offsets 0 to 16, entries from offset 20.
Bytes OrderRecord(const std::vector<Bytes>& entries);
inline constexpr size_t kFirstEntryOffset = 20;

void PutWord(Bytes& bytes, size_t offset, WORD w);
void PutDword(Bytes& bytes, size_t offset, DWORD dw);
WORD GetWord(const Bytes& bytes, size_t offset);
