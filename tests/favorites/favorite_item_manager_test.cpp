#include <gtest/gtest.h>

#include "favorites/favorite_item_manager.h"
#include "favorites/order_record.h"
#include "favorites/test_favorites_folder.h"

#include <string>

namespace {

// "name" for links and files, "name/" for folders with their children in
// brackets: the tree in menu order, one string to compare.
std::wstring Outline(const CFavoriteItem* pNode)
{
    std::wstring text;
    for (INT_PTR i = 0; i < pNode->GetChildCount(); ++i) {
        const CFavoriteItem* pChild = pNode->GetChild(i);
        if (!text.empty()) text += L' ';
        text += pChild->m_strName;
        if (pChild->m_nKind == FAV_FOLDER) text += L"/[" + Outline(pChild) + L"]";
    }
    return text;
}

const CFavoriteItem* Child(const CFavoriteItem* pNode, const wchar_t* pszName)
{
    for (INT_PTR i = 0; pNode && i < pNode->GetChildCount(); ++i) {
        if (pNode->GetChild(i)->m_strName == pszName) return pNode->GetChild(i);
    }
    return nullptr;
}

Bytes Entry(DWORD dwPosition, const char* pszShort, const std::wstring& longName, bool bFolder = false)
{
    return OrderEntry(dwPosition, IdList({FileEntryItem(8, pszShort, longName, bFolder)}));
}

class FavoriteItemManagerTest : public testing::Test {
protected:
    CTestFavoritesFolder m_folder;
    CFavoriteItemManager m_manager;
};

TEST_F(FavoriteItemManagerTest, KindsTargetsAndNumbering)
{
    m_folder.AddShortcut(L"Example.url", "http://example.com/");
    m_folder.AddShortcut(L"CAPS.URL", "http://example.com/caps");
    m_folder.AddFile(L"Page.Htm", "<html>\r\nURL=http://example.com/page\r\n");
    m_folder.AddFile(L"Notes.txt", "notes");
    m_folder.AddFile(L"README", "no dot");
    m_folder.AddFolder(L"Sub");
    m_folder.AddShortcut(L"Sub\\Inner.url", "http://example.com/inner");

    ASSERT_TRUE(m_manager.Load(m_folder.Path().c_str(), TRUE));
    const CFavoriteItem* pRoot = m_manager.m_pRoot.get();
    ASSERT_NE(pRoot, nullptr);
    EXPECT_EQ(pRoot->m_nKind, FAV_ROOT);
    EXPECT_STREQ(pRoot->m_strName, L"FAVROOT");
    EXPECT_STREQ(pRoot->m_strTarget, m_folder.Path().c_str());

    struct Expected {
        const wchar_t* name;
        BYTE nKind;
        std::wstring target;
    };
    const Expected expected[] = {
        {L"Example.url", FAV_LINK, L"http://example.com/"},
        {L"CAPS.URL", FAV_LINK, L"http://example.com/caps"},
        {L"Page.Htm", FAV_LINK, L"http://example.com/page"},
        {L"Notes.txt", FAV_FILE, m_folder.PathOf(L"Notes.txt")},
        {L"README", FAV_FILE, m_folder.PathOf(L"README")},
        {L"Sub", FAV_FOLDER, m_folder.PathOf(L"Sub\\")},
    };
    EXPECT_EQ(pRoot->GetChildCount(), static_cast<INT_PTR>(std::size(expected)));
    for (const Expected& e : expected) {
        const CFavoriteItem* pChild = Child(pRoot, e.name);
        ASSERT_NE(pChild, nullptr) << testing::PrintToString(std::wstring(e.name));
        EXPECT_EQ(pChild->m_nKind, e.nKind) << testing::PrintToString(std::wstring(e.name));
        EXPECT_STREQ(pChild->m_strTarget, e.target.c_str());
    }
    // Folders first without a record; every node reachable by its number, the root at 0.
    EXPECT_STREQ(pRoot->GetChild(0)->m_strName, L"Sub");
    EXPECT_EQ(m_manager.GetItem(0), pRoot);
    EXPECT_STREQ(m_manager.GetItem(1)->m_strName, L"Sub");
    EXPECT_STREQ(m_manager.GetItem(2)->m_strName, L"Inner.url");
    for (int i = 0; i < 8; ++i) {
        const CFavoriteItem* pItem = m_manager.GetItem(i);
        ASSERT_NE(pItem, nullptr) << i;
        EXPECT_EQ(pItem->m_nIndex, i);
    }
    EXPECT_EQ(m_manager.GetItem(8), nullptr);
    EXPECT_EQ(m_manager.GetItem(-1), nullptr);
}

TEST_F(FavoriteItemManagerTest, HiddenEntriesAndShortcutsWithoutUrlAreLeftOut)
{
    m_folder.AddShortcut(L"Shown.url", "http://example.com/");
    m_folder.AddShortcut(L"Hidden.url", "http://example.com/hidden");
    m_folder.SetHidden(L"Hidden.url");
    m_folder.AddFile(L"Hidden.txt", "x");
    m_folder.SetHidden(L"Hidden.txt");
    m_folder.AddFolder(L"HiddenFolder");
    m_folder.AddShortcut(L"HiddenFolder\\In.url", "http://example.com/in");
    m_folder.SetHidden(L"HiddenFolder");
    m_folder.AddShortcut(L".dotted.url", "http://example.com/dot");  // hidden the host's way
    m_folder.AddFile(L"NoUrl.url", "[InternetShortcut]\r\nIconIndex=0\r\n");
    m_folder.AddFile(L"Empty.url", "");
    m_folder.AddFile(L"EmptyUrl.url", "[InternetShortcut]\r\nURL=\r\n");
    m_folder.AddFile(L"Plain.htm", "<html><body>URL=not at the start</body></html>\r\n");
    m_folder.AddFile(L"Lower.html", "url=http://example.com/lower\r\n URL=http://example.com/space\r\n");

    ASSERT_TRUE(m_manager.Load(m_folder.Path().c_str(), TRUE));
    EXPECT_EQ(Outline(m_manager.m_pRoot.get()), L"Shown.url");
}

TEST_F(FavoriteItemManagerTest, EmptyFolderIsAFolderWithoutChildren)
{
    m_folder.AddFolder(L"Empty");
    ASSERT_TRUE(m_manager.Load(m_folder.Path().c_str(), TRUE));
    EXPECT_EQ(Outline(m_manager.m_pRoot.get()), L"Empty/[]");
}

TEST_F(FavoriteItemManagerTest, RecordThatFitsGivesTheStoredOrder)
{
    m_folder.AddShortcut(L"Alpha site.url", "http://example.com/a");
    m_folder.AddShortcut(L"Beta site.url", "http://example.com/b");
    m_folder.AddFolder(L"Gamma folder");
    m_folder.AddShortcut(L"Gamma folder\\one.url", "http://example.com/1");
    m_folder.AddShortcut(L"Gamma folder\\two.url", "http://example.com/2");
    m_folder.AddFile(L"Delta.txt", "d");
    // The folder mixed in among the links.
    m_folder.StoreOrder(L"", OrderRecord({
                                 Entry(3, "ALPHAS~1.URL", L"Alpha site.url"),
                                 Entry(1, "BETASI~1.URL", L"Beta site.url"),
                                 Entry(2, "GAMMAF~1", L"Gamma folder", true),
                                 Entry(0, "DELTA.TXT", L"Delta.txt"),
                             }));
    m_folder.StoreOrder(L"Gamma folder", OrderRecord({Entry(1, "ONE.URL", L"one.url"), Entry(0, "TWO.URL", L"two.url")}));

    ASSERT_TRUE(m_manager.Load(m_folder.Path().c_str(), TRUE));
    EXPECT_EQ(Outline(m_manager.m_pRoot.get()),
              L"Delta.txt Beta site.url Gamma folder/[two.url one.url] Alpha site.url");
    // Pre-order numbers follow the menu order: a folder's children come before its next sibling.
    EXPECT_STREQ(m_manager.GetItem(3)->m_strName, L"Gamma folder");
    EXPECT_STREQ(m_manager.GetItem(4)->m_strName, L"two.url");
    EXPECT_STREQ(m_manager.GetItem(6)->m_strName, L"Alpha site.url");

    ASSERT_TRUE(m_manager.Load(m_folder.Path().c_str(), FALSE));
    const CFavoriteItem* pRoot = m_manager.m_pRoot.get();
    EXPECT_STREQ(pRoot->GetChild(0)->m_strName, L"Gamma folder") << "without the record: folders first";
}

// A record naming one entry more or fewer than the folder shows is out of date: folders first.
TEST_F(FavoriteItemManagerTest, RecordWithOneEntryTooManyOrTooFewIsNotApplied)
{
    m_folder.AddFolder(L"TooMany");
    m_folder.AddShortcut(L"TooMany\\a.url", "http://example.com/a");
    m_folder.AddFolder(L"TooMany\\F");
    m_folder.AddShortcut(L"TooMany\\NoUrlNamed.url", "");  // named by the record, left out by the walk
    m_folder.StoreOrder(L"TooMany", OrderRecord({Entry(0, "A.URL", L"a.url"), Entry(1, "F", L"F", true),
                                                 Entry(2, "NOURLN~1.URL", L"NoUrlNamed.url")}));
    m_folder.AddFolder(L"TooFew");
    m_folder.AddShortcut(L"TooFew\\a.url", "http://example.com/a");
    m_folder.AddShortcut(L"TooFew\\new.url", "http://example.com/new");  // added after the record
    m_folder.AddFolder(L"TooFew\\F");
    m_folder.StoreOrder(L"TooFew", OrderRecord({Entry(0, "A.URL", L"a.url"), Entry(1, "F", L"F", true)}));

    ASSERT_TRUE(m_manager.Load(m_folder.Path().c_str(), TRUE));
    const CFavoriteItem* pTooMany = Child(m_manager.m_pRoot.get(), L"TooMany");
    const CFavoriteItem* pTooFew = Child(m_manager.m_pRoot.get(), L"TooFew");
    ASSERT_TRUE(pTooMany && pTooFew);
    EXPECT_STREQ(pTooMany->GetChild(0)->m_strName, L"F");
    EXPECT_EQ(pTooMany->GetChildCount(), 2);
    EXPECT_STREQ(pTooFew->GetChild(0)->m_strName, L"F");
    EXPECT_EQ(pTooFew->GetChildCount(), 3);
}

// The names of a folder's entries in the order the folder listing gives them.
std::vector<std::wstring> ListingOrder(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    const HANDLE hFind = ::FindFirstFileW((folder + L"*.*").c_str(), &fd);
    if (hFind == INVALID_HANDLE_VALUE) return names;
    do {
        if (fd.cFileName[0] != L'.') names.push_back(fd.cFileName);
    } while (::FindNextFileW(hFind, &fd));
    ::FindClose(hFind);
    return names;
}

TEST_F(FavoriteItemManagerTest, DuplicatePositionsAndUnknownNamesGoToTheEnd)
{
    m_folder.AddShortcut(L"a.url", "http://example.com/a");
    m_folder.AddShortcut(L"b.url", "http://example.com/b");
    m_folder.AddShortcut(L"c.url", "http://example.com/c");
    // The record is made for the order the listing gives: x, y, z.
    const std::vector<std::wstring> listed = ListingOrder(m_folder.Path());
    ASSERT_EQ(listed.size(), 3u);
    const std::wstring& x = listed[0];
    const std::wstring& y = listed[1];
    const std::wstring& z = listed[2];
    // y and z both claim position 1, x is not named; the record still names three entries.
    m_folder.StoreOrder(L"", OrderRecord({Entry(1, "Z.URL", z), Entry(1, "Y.URL", y), Entry(0, "OTHER.URL", L"other.url")}));
    ASSERT_TRUE(m_manager.Load(m_folder.Path().c_str(), TRUE));
    // y, met before z, takes the position; x (unknown) and z (position taken) follow in listing order.
    EXPECT_EQ(Outline(m_manager.m_pRoot.get()), y + L" " + x + L" " + z);
}

// Records written before Windows XP, without extension blocks, order their folders as well.
TEST_F(FavoriteItemManagerTest, OlderLayoutRecordGivesTheStoredOrder)
{
    m_folder.AddShortcut(L"Alpha.url", "http://example.com/a");
    m_folder.AddShortcut(L"Beta site.url", "http://example.com/b");
    m_folder.AddFolder(L"Sub folder");
    m_folder.AddShortcut(L"Sub folder\\Inner one.url", "http://example.com/i");
    m_folder.AddShortcut(L"Sub folder\\Inner two.url", "http://example.com/j");
    m_folder.StoreOrder(L"", OrderRecord({
                                 OrderEntry(2, IdList({OlderFileEntryItem(L"Alpha.url", "ALPHA.URL")}), 5),
                                 OrderEntry(0, IdList({OlderFileEntryItem(L"Beta site.url", "BETASI~1.URL")}), 5),
                                 OrderEntry(1, IdList({OlderFileEntryItem(L"Sub folder", "SUBFOL~1", true)}), 0xD),
                             }));
    m_folder.StoreOrder(L"Sub folder", OrderRecord({
                                           OrderEntry(1, IdList({OlderFileEntryItem(L"Inner one.url", "INNERO~1.URL")}), 5),
                                           OrderEntry(0, IdList({OlderFileEntryItem(L"Inner two.url", "INNERT~1.URL")}), 5),
                                       }));
    ASSERT_TRUE(m_manager.Load(m_folder.Path().c_str(), TRUE));
    EXPECT_EQ(Outline(m_manager.m_pRoot.get()), L"Beta site.url Sub folder/[Inner two.url Inner one.url] Alpha.url");
}

TEST_F(FavoriteItemManagerTest, MissingFolderAbortsTheLoad)
{
    ASSERT_FALSE(m_manager.Load(m_folder.PathOf(L"Missing").c_str(), TRUE));
    ASSERT_NE(m_manager.m_pRoot, nullptr);
    EXPECT_EQ(m_manager.m_pRoot->GetChildCount(), 0);
    EXPECT_EQ(m_manager.GetItem(0), nullptr);
    EXPECT_FALSE(m_manager.Load(L"", TRUE)) << "an empty path names no folder";
    EXPECT_EQ(m_manager.m_pRoot->GetChildCount(), 0);
}

// A folder that cannot be listed cuts the whole load short: what was read
// stays, in listing order, and no node has a number.
TEST_F(FavoriteItemManagerTest, FolderThatCannotBeListedAbortsTheLoad)
{
    m_folder.AddFolder(L"A");
    m_folder.AddShortcut(L"A\\in.url", "http://example.com/in");
    for (int i = 0; i < 10; ++i) m_folder.AddShortcut(L"z" + std::to_wstring(i) + L".url", "http://example.com/z");
    // A chain of links, each to a different folder: past the host's limit of links in one path the folder cannot be listed.
    CTestFavoritesFolder store;
    for (int i = 0; i < 48; ++i) store.AddFolder(L"d" + std::to_wstring(i));
    m_folder.AddSymbolicLink(L"A\\next", store.UnixPath(L"d0"));
    for (int i = 0; i + 1 < 48; ++i) {
        store.AddSymbolicLink(L"d" + std::to_wstring(i) + L"\\next", store.UnixPath(L"d" + std::to_wstring(i + 1)));
    }
    m_folder.StoreOrder(L"A", OrderRecord({Entry(0, "NEXT", L"next", true), Entry(1, "IN.URL", L"in.url")}));

    EXPECT_FALSE(m_manager.Load(m_folder.Path().c_str(), TRUE));
    const CFavoriteItem* pA = Child(m_manager.m_pRoot.get(), L"A");
    ASSERT_NE(pA, nullptr);
    EXPECT_EQ(m_manager.GetItem(0), nullptr);
    EXPECT_EQ(pA->m_nIndex, 0);
    EXPECT_NE(Child(pA, L"next"), nullptr);
    // Every scan in progress stops before its next entry: the root holds what the listing gave up to A.
    std::wstring listedUpToA;
    WIN32_FIND_DATAW fd;
    const HANDLE hFind = ::FindFirstFileW((m_folder.Path() + L"*.*").c_str(), &fd);
    ASSERT_NE(hFind, INVALID_HANDLE_VALUE);
    do {
        if (fd.cFileName[0] == L'.') continue;
        if (!listedUpToA.empty()) listedUpToA += L' ';
        listedUpToA += fd.cFileName;
    } while (std::wstring(fd.cFileName) != L"A" && ::FindNextFileW(hFind, &fd));
    ::FindClose(hFind);
    std::wstring children;
    for (INT_PTR i = 0; i < m_manager.m_pRoot->GetChildCount(); ++i) {
        if (!children.empty()) children += L' ';
        children += m_manager.m_pRoot->GetChild(i)->m_strName;
    }
    EXPECT_EQ(children, listedUpToA);
}

// A link back to an ancestor would be walked forever (under Wine the load
// would be cut short once the path holds too many links): it is kept as a
// folder that is not walked again.
TEST_F(FavoriteItemManagerTest, LinkToAnAncestorIsNotWalkedAgain)
{
    m_folder.AddFolder(L"A");
    m_folder.AddFolder(L"A\\B");
    m_folder.AddShortcut(L"A\\B\\deep.url", "http://example.com/deep");
    m_folder.AddSymbolicLink(L"A\\B\\back to A", m_folder.UnixPath(L"A"));
    m_folder.AddSymbolicLink(L"A\\B\\back to root", m_folder.UnixPath(L""));
    m_folder.AddFolder(L"Other");
    m_folder.AddShortcut(L"Other\\o.url", "http://example.com/o");
    m_folder.AddSymbolicLink(L"A\\to Other", m_folder.UnixPath(L"Other"));  // not a loop: walked

    ASSERT_TRUE(m_manager.Load(m_folder.Path().c_str(), FALSE));
    const CFavoriteItem* pB = Child(Child(m_manager.m_pRoot.get(), L"A"), L"B");
    ASSERT_NE(pB, nullptr);
    EXPECT_EQ(pB->GetChildCount(), 3);
    ASSERT_NE(Child(pB, L"back to A"), nullptr);
    EXPECT_EQ(Child(pB, L"back to A")->m_nKind, FAV_FOLDER);
    EXPECT_EQ(Child(pB, L"back to A")->GetChildCount(), 0);
    EXPECT_EQ(Child(pB, L"back to root")->GetChildCount(), 0);
    // A folder reached twice, but not through a loop, shows its entries both times.
    EXPECT_EQ(Outline(Child(Child(m_manager.m_pRoot.get(), L"A"), L"to Other")), L"o.url");
    EXPECT_EQ(Outline(Child(m_manager.m_pRoot.get(), L"Other")), L"o.url");
}

// A read error inside one shortcut leaves that shortcut out; the others load.
TEST_F(FavoriteItemManagerTest, ShortcutThatCannotBeReadIsLeftOut)
{
    m_folder.AddShortcut(L"a.url", "http://example.com/a");
    m_folder.AddSymbolicLink(L"unreadable.url", "/proc/self/mem");  // opens, but reading fails
    m_folder.AddShortcut(L"z.url", "http://example.com/z");
    ASSERT_TRUE(m_manager.Load(m_folder.Path().c_str(), TRUE));
    const CFavoriteItem* pRoot = m_manager.m_pRoot.get();
    EXPECT_EQ(pRoot->GetChildCount(), 2);
    EXPECT_NE(Child(pRoot, L"a.url"), nullptr);
    EXPECT_NE(Child(pRoot, L"z.url"), nullptr);
}

// A load replaces the whole earlier tree.
TEST_F(FavoriteItemManagerTest, EachLoadStartsAfresh)
{
    m_folder.AddShortcut(L"a.url", "http://example.com/a");
    ASSERT_TRUE(m_manager.Load(m_folder.Path().c_str(), TRUE));
    m_folder.AddShortcut(L"b.url", "http://example.com/b");
    ASSERT_TRUE(m_manager.Load(m_folder.Path().c_str(), TRUE));
    EXPECT_EQ(m_manager.m_pRoot->GetChildCount(), 2);
    EXPECT_NE(m_manager.GetItem(2), nullptr);
    EXPECT_EQ(m_manager.GetItem(3), nullptr);
}

// A tree as users have it, with its records as Windows 7 and XP leave them.
TEST_F(FavoriteItemManagerTest, TreeAsUsersHaveIt)
{
    const std::wstring longName = L"The " + std::wstring(140, L'x') + L" guide & reference (2nd ed.) .. part 1.url";
    const std::wstring longFolder = L"Projects " + std::wstring(200, L'y');
    struct Shortcut {
        std::wstring relative;
        std::string content;
        std::wstring url;  // empty: left out
    };
    const std::string propertyStore =
        "[{000214A0-0000-0000-C000-000000000046}]\r\nProp3=19,11\r\n[{5CBF2787-48CF-4208-B90E-EE5E5D420294}]\r\n"
        "Prop5=8,Microsoft.Website.A1B2C3D4.E5F6\r\n";
    const Shortcut shortcuts[] = {
        {L"Новости.url", "[InternetShortcut]\r\nURL=http://example.com/ru\r\n", L"http://example.com/ru"},
        {L"ニュース.url", "[InternetShortcut]\nURL=http://example.jp/news\n", L"http://example.jp/news"},
        {L"Tom & Jerry.url", "[DEFAULT]\r\nBASEURL=http://example.com/base\r\n[InternetShortcut]\r\nURL=http://example.com/tj\r\n",
         L"http://example.com/tj"},
        {L"Wait.. what.url", propertyStore + "[InternetShortcut]\r\nIDList=\r\nURL=http://example.com/w?a=1&b=2\r\nIconIndex=1\r\n",
         L"http://example.com/w?a=1&b=2"},
        {longName, "[InternetShortcut]\r\nURL=http://example.com/long\r\n", L"http://example.com/long"},
        {L"Caf\u00e9.url", "[InternetShortcut]\r\nURL=http://example.com/caf\xe9\x80\xff\r\n", L"http://example.com/caf\u00e9\u0080\u00ff"},
        {L"empty.url", "", L""},
        {L"旅行\\京都.url", "[InternetShortcut]\r\nURL=http://example.jp/kyoto\r\n", L"http://example.jp/kyoto"},
        {L"旅行\\Москва.URL", "[InternetShortcut]\nURL=http://example.com/moscow", L"http://example.com/moscow"},
        {longFolder + L"\\deep & down.url", "[InternetShortcut]\r\nURL=http://example.com/deep\r\n",
         L"http://example.com/deep"},
    };
    m_folder.AddFolder(L"旅行");
    m_folder.AddFolder(longFolder);
    m_folder.AddFile(L"Заметки.txt", "notes");
    for (const Shortcut& s : shortcuts) m_folder.AddFile(s.relative, s.content);
    // Windows 7 wrote the root's record, XP that of the Japanese folder.
    m_folder.StoreOrder(L"", OrderRecord({
                                 Entry(0, "LONGFO~1", longFolder, true),
                                 Entry(1, "4E3B~1.URL", L"Новости.url"),
                                 Entry(2, "30CB~1.URL", L"ニュース.url"),
                                 Entry(3, "TOM&JE~1.URL", L"Tom & Jerry.url"),
                                 Entry(4, "WAIT~1.URL", L"Wait.. what.url"),
                                 Entry(5, "THEXXX~1.URL", longName),
                                 Entry(6, "CAF~1.URL", L"Caf\u00e9.url"),
                                 Entry(7, "65C5~1", L"旅行", true),
                                 Entry(8, "0ABC~1.TXT", L"Заметки.txt"),
                             }));
    m_folder.StoreOrder(L"旅行", OrderRecord({
                                     OrderEntry(0, IdList({FileEntryItem(3, "0C35~1.URL", L"Москва.URL")})),
                                     OrderEntry(1, IdList({FileEntryItem(3, "4EAC~1.URL", L"京都.url")})),
                                 }));

    ASSERT_TRUE(m_manager.Load(m_folder.Path().c_str(), TRUE));
    EXPECT_EQ(Outline(m_manager.m_pRoot.get()),
              longFolder + L"/[deep & down.url] Новости.url ニュース.url Tom & Jerry.url Wait.. what.url " + longName +
                  L" Caf\u00e9.url 旅行/[Москва.URL 京都.url] Заметки.txt");
    // Every link is reachable by its number and carries its URL.
    int nLinks = 0;
    for (int i = 0; const CFavoriteItem* pItem = m_manager.GetItem(i); ++i) {
        EXPECT_EQ(pItem->m_nIndex, i);
        if (pItem->m_nKind != FAV_LINK) continue;
        ++nLinks;
        bool bKnown = false;
        for (const Shortcut& s : shortcuts) {
            if (s.relative.ends_with(pItem->m_strName.GetString())) {
                bKnown = true;
                EXPECT_EQ(pItem->m_strTarget.GetString(), s.url);
            }
        }
        EXPECT_TRUE(bKnown) << testing::PrintToString(std::wstring(pItem->m_strName));
    }
    EXPECT_EQ(nLinks, 9);
}


// Names of shortcuts given to what is no shortcut: a pipe whose writer holds it open and never writes,
// a device without end, a file far larger than any shortcut. They are left out, and the load does not
// wait for them: it is over while the pipe's writer is still there.
TEST_F(FavoriteItemManagerTest, ShortcutsThatAreNoRegularFileOrTooLargeAreLeftOutAtOnce)
{
    m_folder.AddShortcut(L"a.url", "http://example.com/a");
    m_folder.AddShortcut(L"z.url", "http://example.com/z");
    m_folder.AddFile(L"huge.url", "[InternetShortcut]\r\nURL=http://example.com/huge\r\n" + std::string(70000, ';'));
    m_folder.AddSymbolicLink(L"endless.url", "/dev/zero");
    const std::wstring mark = m_folder.PathOf(L"writer gone");
    const std::string command = "mkfifo '" + m_folder.UnixPath(L"pipe.url") + "' && exec 3<>'" +
                                m_folder.UnixPath(L"pipe.url") + "' && sleep 20 && touch '" + m_folder.UnixPath(L"writer gone") + "' 2>/dev/null";
    ASSERT_TRUE(RunHostProgram(L"Z:\\bin\\sh -c \"" + std::wstring(command.begin(), command.end()) + L"\"",
                               &IsListed, m_folder.PathOf(L"pipe.url")));

    ASSERT_TRUE(m_manager.Load(m_folder.Path().c_str(), TRUE));
    EXPECT_FALSE(IsListed(mark)) << "the load waited for the pipe's writer";
    const CFavoriteItem* pRoot = m_manager.m_pRoot.get();
    EXPECT_EQ(pRoot->GetChildCount(), 2) << testing::PrintToString(Outline(pRoot));
    EXPECT_NE(Child(pRoot, L"a.url"), nullptr);
    EXPECT_NE(Child(pRoot, L"z.url"), nullptr);
}

// A link to a drive's root or a tree deeper than anyone's favorites cannot hold the menu up: the walk
// goes so many folders down and lists so many entries, and what lies beyond is left out.
TEST_F(FavoriteItemManagerTest, TheWalkIsBoundedInDepthAndInEntries)
{
    constexpr int kChain = CFavoriteItemManager::kMaxFolderDepth + 6;
    std::string chain = m_folder.UnixPath(L"deep");
    std::wstring deepest = L"deep";
    for (int i = 0; i < kChain; ++i) {
        chain += "/d";
        deepest += L"\\d";
    }
    ASSERT_TRUE(RunHostProgram(L"Z:\\bin\\mkdir -p \"" + std::wstring(chain.begin(), chain.end()) + L"\"", &IsListed,
                               m_folder.PathOf(deepest)));

    ASSERT_TRUE(m_manager.Load(m_folder.Path().c_str(), FALSE));
    // The root's own entries are the first level down.
    int nLevels = 0;
    for (const CFavoriteItem* pNode = Child(m_manager.m_pRoot.get(), L"deep"); pNode; pNode = Child(pNode, L"d")) ++nLevels;
    EXPECT_EQ(nLevels, CFavoriteItemManager::kMaxFolderDepth);

    // One folder of 100 files, and 130 links to it: 13,231 entries to list.
    CTestFavoritesFolder wide;
    wide.AddFolder(L"X");
    for (int i = 0; i < 100; ++i) wide.AddFile(L"X\\f" + std::to_wstring(i) + L".txt", "");
    const std::string links = "cd '" + wide.UnixPath(L"") + "' && for i in $(seq 130); do ln -s X l$i; done";
    ASSERT_TRUE(RunHostProgram(L"Z:\\bin\\sh -c \"" + std::wstring(links.begin(), links.end()) + L"\"", &IsListed,
                               wide.PathOf(L"l130")));
    ASSERT_TRUE(m_manager.Load(wide.Path().c_str(), FALSE));
    EXPECT_NE(m_manager.GetItem(CFavoriteItemManager::kMaxListedEntries), nullptr);
    EXPECT_EQ(m_manager.GetItem(CFavoriteItemManager::kMaxListedEntries + 1), nullptr);
}

// Every load is another tree: menus built from an earlier one can tell.
TEST_F(FavoriteItemManagerTest, EveryLoadHasAGenerationOfItsOwn)
{
    const UINT nBefore = m_manager.GetGeneration();
    m_manager.Load(m_folder.Path().c_str(), TRUE);
    const UINT nFirst = m_manager.GetGeneration();
    m_manager.Load(m_folder.PathOf(L"Missing").c_str(), TRUE);
    EXPECT_NE(nFirst, nBefore);
    EXPECT_NE(m_manager.GetGeneration(), nFirst);
}

}  // namespace
