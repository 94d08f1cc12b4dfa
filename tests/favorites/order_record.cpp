#include "order_record.h"

#include <stdexcept>
#include <string>

namespace {

void AppendWord(Bytes& bytes, WORD w)
{
    bytes.push_back(static_cast<BYTE>(w & 0xff));
    bytes.push_back(static_cast<BYTE>(w >> 8));
}

void AppendDword(Bytes& bytes, DWORD dw)
{
    AppendWord(bytes, static_cast<WORD>(dw & 0xffff));
    AppendWord(bytes, static_cast<WORD>(dw >> 16));
}

// Where the long name starts in the block, by version.
size_t LongNameOffset(WORD wVersion)
{
    switch (wVersion) {
    case 3: return 20;
    case 7: return 38;
    case 8: return 42;
    default: return 46;
    }
}

}  // namespace

void PutWord(Bytes& bytes, size_t offset, WORD w)
{
    bytes.at(offset) = static_cast<BYTE>(w & 0xff);
    bytes.at(offset + 1) = static_cast<BYTE>(w >> 8);
}

void PutDword(Bytes& bytes, size_t offset, DWORD dw)
{
    PutWord(bytes, offset, static_cast<WORD>(dw & 0xffff));
    PutWord(bytes, offset + 2, static_cast<WORD>(dw >> 16));
}

WORD GetWord(const Bytes& bytes, size_t offset)
{
    return static_cast<WORD>(bytes.at(offset) | (bytes.at(offset + 1) << 8));
}

Bytes FileEntryItem(WORD wVersion, const char* pszShortName, const std::wstring& longName, bool bFolder)
{
    Bytes item;
    AppendWord(item, 0);  // count, set below
    item.push_back(bFolder ? 0x31 : 0x32);
    item.push_back(0);
    AppendDword(item, bFolder ? 0 : 213);         // file size
    AppendWord(item, 0x5a8a);                     // FAT date
    AppendWord(item, 0x4c98);                     // FAT time
    AppendWord(item, bFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE);
    for (const char* p = pszShortName; *p; ++p) item.push_back(static_cast<BYTE>(*p));
    item.push_back(0);
    if (item.size() % 2) item.push_back(0);  // the block starts on a WORD

    const WORD offBlock = static_cast<WORD>(item.size());
    const size_t offName = LongNameOffset(wVersion);
    Bytes block;
    AppendWord(block, 0);  // size, set below
    AppendWord(block, wVersion);
    AppendDword(block, 0xbeef0004);
    AppendDword(block, 0x4c985a8a);  // created
    AppendDword(block, 0x4c985a8a);  // accessed
    AppendWord(block, static_cast<WORD>(offName));
    if (wVersion >= 7) {
        AppendWord(block, 0);
        AppendDword(block, 0x00012345);  // NTFS file reference: MFT entry and sequence number
        AppendDword(block, 0x00030000);
        AppendDword(block, 0);
        AppendDword(block, 0);
    }
    AppendWord(block, 0);  // size of a localised name: none
    if (wVersion >= 9) AppendDword(block, 0);
    if (wVersion >= 8) AppendDword(block, 0);
    if (block.size() != offName) throw std::logic_error("long name offset does not match the block's version");
    for (wchar_t ch : longName) AppendWord(block, ch);
    AppendWord(block, 0);
    AppendWord(block, offBlock);
    PutWord(block, 0, static_cast<WORD>(block.size()));

    item.insert(item.end(), block.begin(), block.end());
    PutWord(item, 0, static_cast<WORD>(item.size()));
    return item;
}

Bytes OlderFileEntryItem(const std::wstring& longName, const char* pszShortName, bool bFolder)
{
    Bytes item;
    AppendWord(item, 0);  // count, set below
    item.push_back(bFolder ? 0x31 : 0x32);
    item.push_back(0);
    AppendDword(item, bFolder ? 0 : 213);
    AppendWord(item, 0x5a8a);
    AppendWord(item, 0x4c98);
    AppendWord(item, bFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE);
    const int cb = ::WideCharToMultiByte(CP_ACP, 0, longName.c_str(), static_cast<int>(longName.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string ansi(static_cast<size_t>(cb), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, longName.c_str(), static_cast<int>(longName.size()), ansi.data(), cb, nullptr,
                          nullptr);
    for (char ch : ansi) item.push_back(static_cast<BYTE>(ch));
    item.push_back(0);
    for (const char* p = pszShortName; *p; ++p) item.push_back(static_cast<BYTE>(*p));
    item.push_back(0);
    PutWord(item, 0, static_cast<WORD>(item.size()));
    return item;
}

size_t ExtensionBlockOffset(const Bytes& item)
{
    return GetWord(item, item.size() - 2);
}

Bytes IdList(const std::vector<Bytes>& items)
{
    Bytes list;
    for (const Bytes& item : items) list.insert(list.end(), item.begin(), item.end());
    AppendWord(list, 0);
    return list;
}

Bytes OrderEntry(DWORD dwPosition, const Bytes& idList, DWORD dwFlags)
{
    Bytes entry;
    AppendDword(entry, 0);  // length, set below
    AppendDword(entry, dwPosition);
    entry.insert(entry.end(), idList.begin(), idList.end());
    while (entry.size() % 4) entry.push_back(0);
    AppendDword(entry, dwFlags);
    PutDword(entry, 0, static_cast<DWORD>(entry.size()));
    return entry;
}

Bytes OrderRecord(const std::vector<Bytes>& entries)
{
    Bytes record(kFirstEntryOffset, 0);
    for (const Bytes& entry : entries) record.insert(record.end(), entry.begin(), entry.end());
    PutDword(record, 0, 8);
    PutDword(record, 4, 2);
    PutDword(record, 8, static_cast<DWORD>(record.size() - 8));
    PutDword(record, 12, 1);
    PutDword(record, 16, static_cast<DWORD>(entries.size()));
    return record;
}
