#include <gtest/gtest.h>

#include "favorites/ie_fav_order.h"
#include "favorites/order_map_names.h"
#include "favorites/order_record.h"
#include "favorites/test_favorites_folder.h"

#include <shlobj.h>
#include <map>
#include <string>

namespace {

// Reads the map back through the names the test expects; the count catches extra names.
Names Read(const CFavOrderMap& map, const Names& expected)
{
    const Names found = NamesIn(map, expected);
    EXPECT_EQ(map.GetCount(), static_cast<INT_PTR>(found.size())) << "names the test did not expect";
    return found;
}

Names ReadFolder(const CTestFavoritesFolder& folder, const Names& expected, const std::wstring& relative = L"")
{
    CFavOrderMap map;
    CIEFavOrder().ReadMenuOrder(map, folder.PathOf(relative).c_str());
    return Read(map, expected);
}

Bytes Entry(DWORD dwPosition, WORD wVersion, const char* pszShort, const std::wstring& longName, bool bFolder = false)
{
    return OrderEntry(dwPosition, IdList({FileEntryItem(wVersion, pszShort, longName, bFolder)}));
}

TEST(PathHelpersTest, TrailingCharacters)
{
    struct Case {
        const wchar_t* input;
        const wchar_t* ensured;  // EnsureTrailingChar with a backslash
        const wchar_t* removed;  // RemoveTrailingBackslash
    };
    const Case cases[] = {
        {L"", L"\\", L""},
        {L"C:\\Fav", L"C:\\Fav\\", L"C:\\Fav"},
        {L"C:\\Fav\\", L"C:\\Fav\\", L"C:\\Fav"},
        {L"C:\\Fav\\\\", L"C:\\Fav\\\\", L"C:\\Fav\\"},
        {L"\\", L"\\", L""},
    };
    const CIEFavOrder order;
    for (const Case& c : cases) {
        CString ensured(c.input), removed(c.input);
        order.EnsureTrailingChar(ensured, L'\\');
        order.RemoveTrailingBackslash(removed);
        EXPECT_STREQ(ensured, c.ensured) << "input " << testing::PrintToString(std::wstring(c.input));
        EXPECT_STREQ(removed, c.removed) << "input " << testing::PrintToString(std::wstring(c.input));
    }
}

TEST(PathHelpersTest, FileNameAndTitle)
{
    struct Case {
        const wchar_t* path;
        const wchar_t* fileName;
        const wchar_t* title;
    };
    const Case cases[] = {
        {L"C:\\Fav\\Example Site.url", L"Example Site.url", L"Example Site"},
        {L"C:\\Fav\\My.Folder\\", L"My.Folder", L"My.Folder"},
        {L"C:\\Fav\\a.b.c.txt", L"a.b.c.txt", L"a.b.c"},
        {L"C:\\Fav\\README", L"README", L"README"},
        {L"Notes.txt", L"Notes.txt", L"Notes"},
        {L"C:\\", L"C:", L"C:"},
        {L"\\", L"", L""},
        {L"", L"", L""},
        {L"C:\\Fav.d\\noext", L"noext", L"noext"},
    };
    const CIEFavOrder order;
    for (const Case& c : cases) {
        EXPECT_STREQ(order.GetFileName(c.path), c.fileName) << testing::PrintToString(std::wstring(c.path));
        EXPECT_STREQ(order.GetPathTitle(c.path), c.title) << testing::PrintToString(std::wstring(c.path));
    }
}

// Records as Windows XP, Vista, 7 and 8 leave them: the long names come out, not the 8.3 names.
TEST(ReadMenuOrderTest, LongNamesOfEveryBlockVersion)
{
    for (WORD wVersion : {3, 7, 8, 9}) {
        CTestFavoritesFolder folder;
        folder.AddShortcut(L"Example Site.url", "http://example.com/");
        folder.AddFolder(L"My Projects");
        folder.AddShortcut(L"Новости дня.url", "http://example.com/news");
        folder.StoreOrder(L"", OrderRecord({
                                   Entry(2, wVersion, "EXAMPL~1.URL", L"Example Site.url"),
                                   Entry(0, wVersion, "MYPROJ~1", L"My Projects", true),
                                   Entry(1, wVersion, "4E3B~1.URL", L"Новости дня.url"),
                               }));
        const Names expected{{L"Example Site.url", 2}, {L"My Projects", 0}, {L"Новости дня.url", 1}};
        EXPECT_EQ(ReadFolder(folder, expected), expected) << "block version " << wVersion;
    }
}

// Records as Windows wrote them before XP: items without an extension block, whose primary name is
// the long name in the ANSI code page. They keep their positions, beside an item of a later layout.
TEST(ReadMenuOrderTest, OlderLayoutNamesEntriesByTheirLongAnsiName)
{
    CTestFavoritesFolder folder;
    // An item whose name runs to its end without a terminator: that entry alone is left out.
    Bytes cut = OlderFileEntryItem(L"Cut short.url", "CUTSHO~1.URL");
    cut.resize(14 + 5);
    PutWord(cut, 0, static_cast<WORD>(cut.size()));
    folder.StoreOrder(L"", OrderRecord({
                               OrderEntry(2, IdList({OlderFileEntryItem(L"Example Site.url", "EXAMPL~1.URL")}), 5),
                               OrderEntry(0, IdList({OlderFileEntryItem(L"My Projects", "MYPROJ~1", true)}), 0xD),
                               OrderEntry(4, IdList({cut}), 5),
                               OrderEntry(3, IdList({OlderFileEntryItem(L"Caf\u00e9 menu.url", "CAFMEN~1.URL")}), 5),
                               Entry(1, 8, "NEWER~1.URL", L"Newer one.url"),
                           }));
    const Names expected{{L"Example Site.url", 2}, {L"My Projects", 0}, {L"Caf\u00e9 menu.url", 3}, {L"Newer one.url", 1}};
    EXPECT_EQ(ReadFolder(folder, expected), expected);
}

TEST(ReadMenuOrderTest, SubFolderRecordIsReadFromItsRelativeKey)
{
    CTestFavoritesFolder folder;
    folder.AddFolder(L"Links");
    folder.AddFolder(L"Links\\News");
    folder.StoreOrder(L"Links\\News", OrderRecord({Entry(4, 8, "A.URL", L"a.url")}));
    folder.StoreOrder(L"Links", OrderRecord({Entry(6, 8, "B.URL", L"b.url")}));
    EXPECT_EQ(ReadFolder(folder, {{L"a.url", 0}}, L"Links\\News\\"), (Names{{L"a.url", 4}}));
    EXPECT_EQ(ReadFolder(folder, {{L"b.url", 0}}, L"Links\\"), (Names{{L"b.url", 6}}));
}

// The favorites folder's own record sits in the key that ends in MenuOrder\Favorites.
TEST(ReadMenuOrderTest, FavoritesFolderRecordHasNoRelativePart)
{
    CRegKey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kFavoritesMenuOrderKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                &key, nullptr),
              ERROR_SUCCESS);
    // The value there, whatever its size and type, is put back as it was.
    DWORD dwSavedType = REG_NONE;
    DWORD cbSaved = 0;
    const bool bHadValue = ::RegQueryValueExW(key, L"Order", nullptr, &dwSavedType, nullptr, &cbSaved) == ERROR_SUCCESS;
    Bytes saved(cbSaved);
    if (bHadValue) {
        ASSERT_EQ(::RegQueryValueExW(key, L"Order", nullptr, &dwSavedType, saved.data(), &cbSaved), ERROR_SUCCESS);
        saved.resize(cbSaved);
    }
    const Bytes record = OrderRecord({Entry(3, 9, "LINKS", L"Links", true), Entry(1, 9, "TEST~1.URL", L"Test one.url")});
    ASSERT_EQ(::RegSetValueExW(key, L"Order", 0, REG_BINARY, record.data(), static_cast<DWORD>(record.size())),
              ERROR_SUCCESS);

    CFavOrderMap map;
    CIEFavOrder().ReadMenuOrder(map, (CTestFavoritesFolder::FavoritesPath() + L"\\").c_str());
    const Names found = Read(map, {{L"Links", 0}, {L"Test one.url", 0}});

    if (bHadValue) {
        ::RegSetValueExW(key, L"Order", 0, dwSavedType, saved.data(), static_cast<DWORD>(saved.size()));
    } else {
        ::RegDeleteValueW(key, L"Order");
    }
    EXPECT_EQ(found, (Names{{L"Links", 3}, {L"Test one.url", 1}}));
}

TEST(ReadMenuOrderTest, NoKeyNoValueOrShortValueGivesNothing)
{
    CTestFavoritesFolder folder;
    folder.AddFolder(L"NoKey");
    folder.AddFolder(L"NoValue");
    folder.AddFolder(L"Short");
    folder.AddFolder(L"EmptyHeader");
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, (folder.OrderKey() + L"\\NoValue").c_str(), L"Other", REG_BINARY,
                                "x", 1),
              ERROR_SUCCESS);
    Bytes shortRecord = OrderRecord({Entry(0, 8, "A.URL", L"a.url")});
    shortRecord.resize(11);
    folder.StoreOrder(L"Short", shortRecord);
    // Twelve bytes with a header length of 0: the first entry would start at the end.
    folder.StoreOrder(L"EmptyHeader", Bytes(12, 0));
    for (const wchar_t* sub : {L"NoKey\\", L"NoValue\\", L"Short\\", L"EmptyHeader\\"}) {
        EXPECT_EQ(ReadFolder(folder, {{L"a.url", 0}}, sub), Names{}) << testing::PrintToString(std::wstring(sub));
    }
}

TEST(ReadMenuOrderTest, FirstEntryStartsTwelveBytesAfterTheHeaderLength)
{
    CTestFavoritesFolder folder;
    Bytes record = OrderRecord({Entry(5, 8, "A.URL", L"a.url")});
    // A header four bytes longer: the entry moves four bytes on.
    record.insert(record.begin() + kFirstEntryOffset, 4, 0xcc);
    PutDword(record, 0, 12);
    folder.StoreOrder(L"", record);
    EXPECT_EQ(ReadFolder(folder, {{L"a.url", 0}}), (Names{{L"a.url", 5}}));
}

TEST(ReadMenuOrderTest, SameNameKeepsTheLaterPositionAndNamesAreCaseSensitive)
{
    CTestFavoritesFolder folder;
    folder.StoreOrder(L"", OrderRecord({
                               Entry(0, 8, "A.URL", L"a.url"),
                               Entry(1, 8, "A.URL", L"A.url"),
                               Entry(7, 8, "A.URL", L"a.url"),
                               Entry(90000, 8, "B.URL", L"b.url"),
                           }));
    EXPECT_EQ(ReadFolder(folder, {{L"a.url", 0}, {L"A.url", 0}, {L"b.url", 0}}),
              (Names{{L"a.url", 7}, {L"A.url", 1}, {L"b.url", 90000}}));
}

// Entries that name nothing are skipped; the walk goes on after them.
TEST(ReadMenuOrderTest, EntriesWithoutANameAreSkipped)
{
    CTestFavoritesFolder folder;
    Bytes clsidItem(20, 0);  // a lone item of a kind without a file-system path
    PutWord(clsidItem, 0, 20);
    clsidItem[2] = 0x1f;
    clsidItem[4] = 0x77;
    folder.StoreOrder(L"", OrderRecord({
                               Entry(0, 8, "A.URL", L"a.url"),
                               OrderEntry(1, IdList({})),
                               Entry(2, 9, "", L""),
                               OrderEntry(3, IdList({clsidItem})),
                               Entry(4, 8, "B.URL", L"b.url"),
                           }));
    EXPECT_EQ(ReadFolder(folder, {{L"a.url", 0}, {L"b.url", 0}}), (Names{{L"a.url", 0}, {L"b.url", 4}}));
}

// The platform's path of a whole ID list, as other writers may store it, gives its last component.
TEST(ReadMenuOrderTest, FullIdListNamesItsLastComponent)
{
    CTestFavoritesFolder folder;
    folder.AddShortcut(L"Whole path.url", "http://example.com/");
    LPITEMIDLIST pidl = ::ILCreateFromPathW(folder.PathOf(L"Whole path.url").c_str());
    ASSERT_NE(pidl, nullptr);
    const Bytes list(reinterpret_cast<BYTE*>(pidl), reinterpret_cast<BYTE*>(pidl) + ::ILGetSize(pidl));
    ::ILFree(pidl);
    folder.StoreOrder(L"", OrderRecord({OrderEntry(3, list)}));
    EXPECT_EQ(ReadFolder(folder, {{L"Whole path.url", 0}}), (Names{{L"Whole path.url", 3}}));
}

TEST(ReadMenuOrderTest, FolderOutsideTheFavoritesFolderHasNoRecord)
{
    CTestFavoritesFolder folder;
    folder.StoreOrder(L"", OrderRecord({Entry(0, 8, "A.URL", L"a.url"), Entry(1, 8, "B.URL", L"b.url")}));
    // The same length as the test folder's path, so that its last characters would name the same key.
    std::wstring outside = folder.Path();
    outside[0] = outside[0] == L'C' ? L'D' : L'C';
    CFavOrderMap map;
    CIEFavOrder().ReadMenuOrder(map, outside.c_str());
    EXPECT_EQ(map.GetCount(), 0);
}

// A length that runs outside its entry or the value ends the walk at the faulty entry: the entries
// before it stay. A fault inside an entry's one item leaves out that entry alone, or, where the item
// has no readable extension block, names it by its primary name (here the 8.3 name).
TEST(ReadMenuOrderTest, LengthsOutsideTheEntryEndTheWalkFaultsInsideAnItemOnlyThatEntry)
{
    const Bytes entryA = Entry(5, 8, "A.URL", L"a.url");
    const Bytes entryB = Entry(6, 8, "B.URL", L"b.url");
    const Bytes entryC = Entry(7, 8, "C.URL", L"c.url");
    const size_t offB = kFirstEntryOffset + entryA.size();
    const size_t offC = offB + entryB.size();
    const size_t offItemB = offB + 8;
    const size_t cbItemB = GetWord(entryB, 8);
    const size_t offBlockB =
        offItemB + ExtensionBlockOffset(Bytes(entryB.begin() + 8, entryB.begin() + 8 + cbItemB));
    const Names ab{{L"a.url", 5}, {L"b.url", 6}};
    const Names onlyA{{L"a.url", 5}};
    const Names withoutB{{L"a.url", 5}, {L"c.url", 7}};
    const Names shortB{{L"a.url", 5}, {L"B.URL", 6}, {L"c.url", 7}};
    enum Outcome { kEndsAtB, kEndsAfterB, kSkipsB, kNamesBShort };

    struct Case {
        const char* name;
        void (*damage)(Bytes& record, size_t offB, size_t offC, size_t offItemB, size_t cbItemB, size_t offBlockB);
        Outcome outcome;
    };

    const Case cases[] = {
        {"entry length 0", [](Bytes& r, size_t offB, size_t, size_t, size_t, size_t) { PutDword(r, offB, 0); }, kEndsAtB},
        {"entry length 1", [](Bytes& r, size_t offB, size_t, size_t, size_t, size_t) { PutDword(r, offB, 1); }, kEndsAtB},
        {"entry length past the end of the value",
         [](Bytes& r, size_t offB, size_t, size_t, size_t, size_t) {
             PutDword(r, offB, static_cast<DWORD>(r.size() - offB + 1));
         },
         kEndsAtB},
        {"entry length near 4 GB",
         [](Bytes& r, size_t offB, size_t, size_t, size_t, size_t) { PutDword(r, offB, 0xfffffffc); }, kEndsAtB},
        {"entry cut in its header",
         [](Bytes& r, size_t, size_t offC, size_t, size_t, size_t) { r.resize(offC + 6); }, kEndsAfterB},
        {"item runs past its entry",
         [](Bytes& r, size_t offB, size_t offC, size_t offItemB, size_t, size_t) {
             PutWord(r, offItemB, static_cast<WORD>(offC - offB));
         },
         kEndsAtB},
        {"item runs past the value",
         [](Bytes& r, size_t, size_t offC, size_t, size_t, size_t) {
             PutWord(r, offC + 8, static_cast<WORD>(r.size() - offC));
         },
         kEndsAfterB},
        {"item count 1, then what reads as a zero count",
         [](Bytes& r, size_t, size_t, size_t offItemB, size_t, size_t) {
             PutWord(r, offItemB, 1);
             r[offItemB + 2] = 0;
         },
         kEndsAtB},
        {"no zero count inside the entry",
         [](Bytes& r, size_t offB, size_t, size_t offItemB, size_t cbItemB, size_t) {
             // The list's terminator, padding and trailing DWORD cut off.
             PutDword(r, offB, static_cast<DWORD>(offItemB + cbItemB - offB));
         },
         kEndsAtB},
        {"extension-block offset past the item",
         [](Bytes& r, size_t, size_t, size_t offItemB, size_t cbItemB, size_t) {
             PutWord(r, offItemB + cbItemB - 2, static_cast<WORD>(cbItemB + 4));
         },
         kNamesBShort},
        {"extension-block offset into the item's fixed part",
         [](Bytes& r, size_t, size_t, size_t offItemB, size_t cbItemB, size_t) {
             PutWord(r, offItemB + cbItemB - 2, 4);
         },
         kNamesBShort},
        {"extension-block offset at the item's last WORD",
         [](Bytes& r, size_t, size_t, size_t offItemB, size_t cbItemB, size_t) {
             PutWord(r, offItemB + cbItemB - 2, static_cast<WORD>(cbItemB - 2));
         },
         kNamesBShort},
        {"extension-block signature damaged",
         [](Bytes& r, size_t, size_t, size_t, size_t, size_t offBlockB) { r[offBlockB + 4] ^= 0xff; }, kNamesBShort},
        {"extension-block size past the item",
         [](Bytes& r, size_t, size_t, size_t offItemB, size_t cbItemB, size_t offBlockB) {
             PutWord(r, offBlockB, static_cast<WORD>(offItemB + cbItemB - offBlockB + 2));
         },
         kSkipsB},
        {"extension-block size below its header",
         [](Bytes& r, size_t, size_t, size_t, size_t, size_t offBlockB) { PutWord(r, offBlockB, 6); }, kSkipsB},
        {"extension block too short for its version's name",
         [](Bytes& r, size_t, size_t, size_t, size_t, size_t offBlockB) { PutWord(r, offBlockB, 40); }, kSkipsB},
        {"long name without its terminator",
         [](Bytes& r, size_t, size_t, size_t offItemB, size_t cbItemB, size_t) {
             // The block's last WORD, its offset, follows the name's terminator.
             PutWord(r, offItemB + cbItemB - 4, L'x');
         },
         kSkipsB},
    };
    for (const Case& c : cases) {
        CTestFavoritesFolder folder;
        Bytes record = OrderRecord({entryA, entryB, entryC});
        c.damage(record, offB, offC, offItemB, cbItemB, offBlockB);
        folder.StoreOrder(L"", record);
        const Names expected = c.outcome == kEndsAtB      ? onlyA
                               : c.outcome == kEndsAfterB ? ab
                               : c.outcome == kSkipsB     ? withoutB
                                                          : shortB;
        EXPECT_EQ(ReadFolder(folder, {{L"a.url", 0}, {L"b.url", 0}, {L"B.URL", 0}, {L"c.url", 0}}), expected) << c.name;
    }
}

TEST(ReadMenuOrderTest, HeaderLengthBeyondTheValueGivesNothing)
{
    {
        // 0xfffffff8 + 12 wraps round to offset 4 in 32 bits, where a valid entry waits.
        CTestFavoritesFolder folder;
        const Bytes entry = Entry(3, 8, "W.URL", L"wrapped.url");
        Bytes record(4, 0);
        PutDword(record, 0, 0xfffffff8);
        record.insert(record.end(), entry.begin(), entry.end());
        folder.StoreOrder(L"", record);
        EXPECT_EQ(ReadFolder(folder, {{L"wrapped.url", 0}}), Names{});
    }
    Bytes record = OrderRecord({Entry(0, 8, "A.URL", L"a.url"), Entry(1, 8, "B.URL", L"b.url")});
    const DWORD cbRecord = static_cast<DWORD>(record.size());
    // cbRecord - 12: the first entry would start at the very end.
    for (DWORD dwHeader : {cbRecord - 12, cbRecord, DWORD{0x7fffffff}, DWORD{0xfffffff4}, DWORD{0xffffffff}}) {
        CTestFavoritesFolder folder;
        PutDword(record, 0, dwHeader);
        folder.StoreOrder(L"", record);
        EXPECT_EQ(ReadFolder(folder, {{L"a.url", 0}, {L"b.url", 0}}), Names{}) << "header length " << dwHeader;
    }
}

}  // namespace
