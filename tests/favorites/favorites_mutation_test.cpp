#include <gtest/gtest.h>

#include "favorites/favorite_item_manager.h"
#include "favorites/ie_fav_order.h"
#include "favorites/order_map_names.h"
#include "favorites/order_record.h"
#include "favorites/test_favorites_folder.h"

#include <shlobj.h>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

// Seeded mutations of valid records and shortcut files: flipped, cut and
// lengthened. The readers must not crash, hang or read outside their input;
// where the mutation keeps part of the input valid, that part must still be read.

namespace {

constexpr unsigned kSeed = 20240917;

// Two pages: the input ends where the second, inaccessible one begins (or
// starts where an inaccessible first one ends), so a read past either end faults.
class CGuardedBuffer {
public:
    CGuardedBuffer()
    {
        SYSTEM_INFO si;
        ::GetSystemInfo(&si);
        m_cbPage = si.dwPageSize;
        m_pBase = static_cast<BYTE*>(::VirtualAlloc(nullptr, 3 * m_cbPage, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD dwOld = 0;
        ::VirtualProtect(m_pBase, m_cbPage, PAGE_NOACCESS, &dwOld);
        ::VirtualProtect(m_pBase + 2 * m_cbPage, m_cbPage, PAGE_NOACCESS, &dwOld);
    }
    ~CGuardedBuffer() { ::VirtualFree(m_pBase, 0, MEM_RELEASE); }
    CGuardedBuffer(const CGuardedBuffer&) = delete;
    CGuardedBuffer& operator=(const CGuardedBuffer&) = delete;

    size_t Capacity() const { return m_cbPage; }
    const BYTE* AtEnd(const Bytes& input)
    {
        BYTE* p = m_pBase + 2 * m_cbPage - input.size();
        std::copy(input.begin(), input.end(), p);
        return p;
    }
    const BYTE* AtStart(const Bytes& input)
    {
        std::copy(input.begin(), input.end(), m_pBase + m_cbPage);
        return m_pBase + m_cbPage;
    }

private:
    BYTE* m_pBase = nullptr;
    size_t m_cbPage = 0;
};


struct SeedEntry {
    std::wstring name;
    DWORD dwPosition;
    size_t offset;  // in the record
    size_t cb;
};

struct SeedRecord {
    Bytes bytes;
    std::vector<SeedEntry> entries;
    Names names;  // what the whole record gives
};

// Four file-entry items with the given block version; with a whole-path file,
// also the platform's own ID list of that file, as other writers store it.
SeedRecord MakeSeed(WORD wVersion, const std::wstring& wholePathFile = L"")
{
    SeedRecord seed;
    std::vector<Bytes> entries = {
        OrderEntry(2, IdList({FileEntryItem(wVersion, "EXAMPL~1.URL", L"Example Site.url")})),
        OrderEntry(0, IdList({FileEntryItem(wVersion, "MYPROJ~1", L"My Projects", true)})),
        OrderEntry(1, IdList({FileEntryItem(wVersion, "4E3B~1.URL", L"Новости дня.url")})),
        OrderEntry(3, IdList({FileEntryItem(wVersion, "A.URL", L"a.url")})),
    };
    std::vector<std::pair<std::wstring, DWORD>> names = {
        {L"Example Site.url", 2}, {L"My Projects", 0}, {L"Новости дня.url", 1}, {L"a.url", 3}};
    if (!wholePathFile.empty()) {
        LPITEMIDLIST pidl = ::ILCreateFromPathW(wholePathFile.c_str());
        if (!pidl) throw std::runtime_error("no ID list for the file");
        const Bytes list(reinterpret_cast<BYTE*>(pidl), reinterpret_cast<BYTE*>(pidl) + ::ILGetSize(pidl));
        ::ILFree(pidl);
        entries.push_back(OrderEntry(4, list));
        names.emplace_back(wholePathFile.substr(wholePathFile.rfind(L'\\') + 1), 4);
    }
    seed.bytes = OrderRecord(entries);
    size_t offset = kFirstEntryOffset;
    for (size_t i = 0; i < entries.size(); ++i) {
        seed.entries.push_back({names[i].first, names[i].second, offset, entries[i].size()});
        seed.names[names[i].first] = names[i].second;
        offset += entries[i].size();
    }
    return seed;
}

enum class Mutation { kFlip, kField, kCut, kAppend, kInsert };

Bytes Mutate(const Bytes& seed, Mutation kind, std::mt19937& rng)
{
    Bytes bytes = seed;
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); };
    switch (kind) {
    case Mutation::kFlip:
        for (size_t n = 1 + pick(4); n > 0; --n) {
            const size_t at = pick(bytes.size());
            bytes[at] = pick(2) ? static_cast<BYTE>(bytes[at] ^ (1u << pick(8))) : static_cast<BYTE>(pick(256));
        }
        break;
    case Mutation::kField: {
        // A length-like value written over a WORD or DWORD: where lengths and offsets break.
        const DWORD values[] = {0, 1, 2, 7, 8, 9, 0x7fff, 0x8000, 0xffff, 0x7fffffff, 0xfffffff4, 0xffffffff,
                                static_cast<DWORD>(bytes.size()), static_cast<DWORD>(bytes.size() + 1),
                                static_cast<DWORD>(pick(bytes.size()))};
        const DWORD value = values[pick(std::size(values))];
        const size_t at = pick(bytes.size());
        if (pick(2) && at + 4 <= bytes.size()) {
            PutDword(bytes, at, value);
        } else if (at + 2 <= bytes.size()) {
            PutWord(bytes, at, static_cast<WORD>(value));
        }
        break;
    }
    case Mutation::kCut: bytes.resize(pick(bytes.size())); break;
    case Mutation::kAppend:
        for (size_t n = 1 + pick(64); n > 0; --n) bytes.push_back(static_cast<BYTE>(pick(256)));
        break;
    case Mutation::kInsert: {
        const size_t at = pick(bytes.size() + 1);
        const size_t from = pick(bytes.size());
        const size_t n = 1 + pick(std::min<size_t>(bytes.size() - from, 48));
        const Bytes piece(bytes.begin() + from, bytes.begin() + from + n);  // a duplicated stretch of the input
        bytes.insert(bytes.begin() + at, piece.begin(), piece.end());
        break;
    }
    }
    return bytes;
}

TEST(FavoritesMutationTest, RecordReaderStaysInsideMutatedRecords)
{
    const int kRounds = 5000;
    std::mt19937 rng(kSeed);
    CGuardedBuffer guarded;
    const CIEFavOrder order;
    CTestFavoritesFolder folder;
    folder.AddShortcut(L"Whole path.url", "http://example.com/");
    std::vector<SeedRecord> seeds;
    for (WORD wVersion : {3, 7, 8, 9}) seeds.push_back(MakeSeed(wVersion, wVersion == 8 ? folder.PathOf(L"Whole path.url") : L""));
    const Mutation kinds[] = {Mutation::kFlip, Mutation::kField, Mutation::kCut, Mutation::kAppend, Mutation::kInsert};

    int nInputs = 0;
    for (int round = 0; round < kRounds; ++round) {
        for (const SeedRecord& seed : seeds) {
            const Mutation kind = kinds[round % std::size(kinds)];
            const Bytes input = Mutate(seed.bytes, kind, rng);
            ASSERT_LE(input.size(), guarded.Capacity());
            ++nInputs;
            CFavOrderMap atEnd, atStart;
            order.ReadMenuOrderRecord(atEnd, guarded.AtEnd(input), input.size());
            order.ReadMenuOrderRecord(atStart, guarded.AtStart(input), input.size());
            ASSERT_EQ(NamesIn(atEnd, seed.names), NamesIn(atStart, seed.names)) << "round " << round;
            ASSERT_LE(atEnd.GetCount(), static_cast<INT_PTR>(input.size() / 10)) << "round " << round;

            if (kind == Mutation::kCut) {
                // Exactly the entries that the cut left whole.
                Names whole;
                for (const SeedEntry& entry : seed.entries) {
                    if (entry.offset + entry.cb > input.size()) break;
                    whole[entry.name] = entry.dwPosition;
                }
                ASSERT_EQ(NamesIn(atEnd, seed.names), whole) << "cut to " << input.size() << " bytes";
                ASSERT_EQ(atEnd.GetCount(), static_cast<INT_PTR>(whole.size()));
            } else if (kind == Mutation::kAppend) {
                // Everything valid is still read; what follows it may give more.
                ASSERT_EQ(NamesIn(atEnd, seed.names), seed.names) << "round " << round;
            }
        }
    }
    EXPECT_EQ(nInputs, kRounds * 4);
}

// The registry path reads what the in-memory reader reads for the same bytes.
TEST(FavoritesMutationTest, RegistryRecordsReadLikeTheirBytes)
{
    std::mt19937 rng(kSeed + 1);
    CTestFavoritesFolder folder;
    const CIEFavOrder order;
    const SeedRecord seed = MakeSeed(8);
    const Mutation kinds[] = {Mutation::kFlip, Mutation::kField, Mutation::kCut, Mutation::kAppend, Mutation::kInsert};
    for (int round = 0; round < 2000; ++round) {
        const Bytes input = Mutate(seed.bytes, kinds[round % std::size(kinds)], rng);
        folder.StoreOrder(L"", input);
        CFavOrderMap fromRegistry, fromBytes;
        order.ReadMenuOrder(fromRegistry, folder.Path().c_str());
        order.ReadMenuOrderRecord(fromBytes, input.data(), input.size());
        ASSERT_EQ(NamesIn(fromRegistry, seed.names), NamesIn(fromBytes, seed.names)) << "round " << round;
        ASSERT_EQ(fromRegistry.GetCount(), fromBytes.GetCount()) << "round " << round;
    }
}

// What a text reader gives: the first line (cut at its first zero byte, the
// CR before its LF dropped) that begins with "URL="; nothing from a file larger
// than a shortcut can be, or for a URL longer than a URL can be.
std::wstring ExpectedUrl(const std::string& content)
{
    if (content.size() > static_cast<size_t>(CFavoriteItemManager::kMaxShortcutBytes)) return std::wstring();
    size_t start = 0;
    while (start <= content.size()) {
        const size_t lf = content.find('\n', start);
        std::string line = content.substr(start, lf == std::string::npos ? std::string::npos : lf - start);
        if (lf != std::string::npos && !line.empty() && line.back() == '\r') line.pop_back();
        line = line.substr(0, line.find('\0'));
        if (line.rfind("URL=", 0) == 0) {
            std::wstring url;
            for (char ch : line.substr(4)) url += static_cast<wchar_t>(static_cast<unsigned char>(ch));
            return url.size() <= CFavoriteItemManager::kMaxUrlLength ? url : std::wstring();
        }
        if (lf == std::string::npos) break;
        start = lf + 1;
    }
    return std::wstring();
}

TEST(FavoritesMutationTest, ShortcutReaderReadsMutatedFilesAsText)
{
    const int kRounds = 4000;
    std::mt19937 rng(kSeed + 2);
    CTestFavoritesFolder folder;
    const CFavoriteItemManager manager;
    const std::string seeds[] = {
        "[InternetShortcut]\r\nURL=http://example.com/\r\n",
        "[DEFAULT]\r\nBASEURL=http://example.com/base\r\n[{000214A0-0000-0000-C000-000000000046}]\r\nProp3=19,11\r\n"
        "[InternetShortcut]\r\nIDList=\r\nURL=http://example.com/w?a=1&b=2\r\nIconIndex=1\r\nHotKey=0\r\n",
        "[InternetShortcut]\nURL=http://example.jp/\xe9\x80\xff\nIconIndex=0\n",
        std::string(4090, 'x') + "\r\nURL=http://example.com/straddle\r\n",
        "[InternetShortcut]\r\nIconFile=" + std::string(5000, 'i') + "\r\nURL=http://example.com/" + std::string(6000, 'u'),
    };
    const std::wstring path = folder.PathOf(L"mutated.url");
    int nInputs = 0;
    for (int round = 0; round < kRounds; ++round) {
        for (const std::string& seed : seeds) {
            std::string content = seed;
            auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); };
            switch (round % 4) {
            case 0:
                for (size_t n = 1 + pick(6); n > 0; --n) {
                    const char special[] = {'\n', '\r', '\0', 'U', 'R', 'L', '=', static_cast<char>(pick(256))};
                    content[pick(content.size())] = special[pick(std::size(special))];
                }
                break;
            case 1: content.resize(pick(content.size() + 1)); break;
            case 2: content.insert(pick(content.size() + 1), std::string(1 + pick(5000), "xURL=\r\n"[pick(7)])); break;
            default: {
                const size_t from = pick(content.size());
                content.insert(pick(content.size() + 1), content.substr(from, 1 + pick(200)));
                break;
            }
            }
            folder.AddFile(L"mutated.url", content);
            ++nInputs;
            const CString strUrl = manager.ReadShortcutUrl(path.c_str());
            ASSERT_EQ(std::wstring(strUrl.GetString(), strUrl.GetLength()), ExpectedUrl(content))
                << "round " << round << ", " << content.size() << " bytes";
        }
    }
    EXPECT_EQ(nInputs, kRounds * 5);
}

}  // namespace
