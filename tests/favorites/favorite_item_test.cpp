#include <gtest/gtest.h>

#include "favorites/favorite_item.h"

#include <string>
#include <vector>

namespace {

std::wstring ChildNames(const CFavoriteItem& node)
{
    std::wstring names;
    for (INT_PTR i = 0; i < node.GetChildCount(); ++i) {
        if (!names.empty()) names += L' ';
        names += node.GetChild(i)->m_strName;
    }
    return names;
}

TEST(FavoriteItemTest, NewNodeIsAnEmptyLink)
{
    const CFavoriteItem item;
    EXPECT_EQ(item.m_nKind, FAV_LINK);
    EXPECT_EQ(item.m_nIndex, 0);
    EXPECT_TRUE(item.m_strName.IsEmpty());
    EXPECT_TRUE(item.m_strTarget.IsEmpty());
    EXPECT_EQ(item.GetChildCount(), 0);
}

TEST(FavoriteItemTest, OnlyContainersTakeChildren)
{
    for (BYTE nKind : {FAV_ROOT, FAV_FOLDER, FAV_LINK, FAV_FILE}) {
        CFavoriteItem node(L"n", L"t", nKind);
        CFavoriteItem* pChild = node.AddChild(L"Example.url", L"http://example.com/", FAV_LINK);
        const bool bContainer = nKind == FAV_ROOT || nKind == FAV_FOLDER;
        ASSERT_EQ(pChild != nullptr, bContainer) << "kind " << int(nKind);
        EXPECT_EQ(node.GetChildCount(), bContainer ? 1 : 0);
        if (!pChild) continue;
        EXPECT_EQ(node.GetChild(0), pChild);
        EXPECT_STREQ(pChild->m_strName, L"Example.url");
        EXPECT_STREQ(pChild->m_strTarget, L"http://example.com/");
        EXPECT_EQ(pChild->m_nKind, FAV_LINK);
        EXPECT_EQ(node.GetChild(-1), nullptr);
        EXPECT_EQ(node.GetChild(1), nullptr);
    }
}

struct OrderCase {
    const char* name;
    std::vector<std::pair<const wchar_t*, BYTE>> children;  // in listing order
    std::vector<std::pair<const wchar_t*, DWORD>> record;
    const wchar_t* expected;
};

TEST(FavoriteItemTest, ApplyOrderPlacesChildrenByStoredPosition)
{
    const OrderCase cases[] = {
        {"positions as stored, folders and links mixed",
         {{L"a", FAV_LINK}, {L"F", FAV_FOLDER}, {L"b", FAV_FILE}},
         {{L"a", 2}, {L"F", 1}, {L"b", 0}},
         L"b F a"},
        {"gaps are closed up", {{L"a", FAV_LINK}, {L"b", FAV_LINK}, {L"c", FAV_LINK}}, {{L"a", 2}, {L"b", 0}, {L"c", 1}},
         L"b c a"},
        {"gaps: positions 0 and 2 of three", {{L"a", FAV_LINK}, {L"b", FAV_LINK}, {L"c", FAV_LINK}},
         {{L"a", 2}, {L"c", 0}, {L"zz", 1}}, L"c a b"},
        {"same position: the first met keeps it, the other goes to the end",
         {{L"a", FAV_LINK}, {L"b", FAV_LINK}, {L"c", FAV_LINK}}, {{L"a", 1}, {L"b", 1}, {L"c", 0}}, L"c a b"},
        {"position not below the number of children goes to the end",
         {{L"a", FAV_LINK}, {L"b", FAV_LINK}, {L"c", FAV_LINK}}, {{L"a", 3}, {L"b", 2}, {L"c", 1}}, L"c b a"},
        {"names not in the record go to the end in listing order",
         {{L"x", FAV_LINK}, {L"a", FAV_LINK}, {L"y", FAV_LINK}, {L"b", FAV_LINK}}, {{L"a", 1}, {L"b", 0}},
         L"b a x y"},
        {"names are case-sensitive", {{L"A", FAV_LINK}, {L"b", FAV_LINK}}, {{L"a", 1}, {L"b", 0}}, L"b A"},
        {"a record of one entry changes nothing", {{L"a", FAV_LINK}, {L"b", FAV_LINK}}, {{L"b", 0}}, L"a b"},
        {"a single child is never moved", {{L"a", FAV_LINK}}, {{L"a", 5}, {L"b", 0}}, L"a"},
    };
    for (const OrderCase& c : cases) {
        CFavoriteItem folder(L"F", L"C:\\F\\", FAV_FOLDER);
        for (const auto& [name, kind] : c.children) folder.AddChild(name, L"t", kind);
        CFavOrderMap map;
        for (const auto& [name, position] : c.record) map.SetAt(name, position);
        folder.ApplyOrder(map);
        EXPECT_EQ(ChildNames(folder), c.expected) << c.name;
    }
}

TEST(FavoriteItemTest, ApplyOrderLeavesLinksAlone)
{
    CFavoriteItem link(L"l", L"http://example.com/", FAV_LINK);
    CFavOrderMap map;
    map.SetAt(L"a", 0);
    map.SetAt(L"b", 1);
    link.ApplyOrder(map);
    link.SortDefault();
    EXPECT_EQ(link.GetChildCount(), 0);
}

TEST(FavoriteItemTest, SortDefaultPutsFoldersFirstAndKeepsListingOrder)
{
    CFavoriteItem root(L"FAVROOT", L"C:\\F\\", FAV_ROOT);
    root.AddChild(L"z.url", L"u", FAV_LINK);
    root.AddChild(L"B", L"p", FAV_FOLDER);
    root.AddChild(L"n.txt", L"p", FAV_FILE);
    root.AddChild(L"a.url", L"u", FAV_LINK);
    root.AddChild(L"A", L"p", FAV_FOLDER);
    root.SortDefault();
    EXPECT_EQ(ChildNames(root), L"B A z.url n.txt a.url");
}

TEST(FavoriteItemTest, FlattenNumbersInPreOrder)
{
    CFavoriteItem root(L"FAVROOT", L"C:\\F\\", FAV_ROOT);
    CFavoriteItem* pA = root.AddChild(L"A", L"p", FAV_FOLDER);
    CFavoriteItem* pA1 = pA->AddChild(L"a1.url", L"u", FAV_LINK);
    CFavoriteItem* pAB = pA->AddChild(L"B", L"p", FAV_FOLDER);
    CFavoriteItem* pAB1 = pAB->AddChild(L"b1.txt", L"p", FAV_FILE);
    CFavoriteItem* pA2 = pA->AddChild(L"a2.url", L"u", FAV_LINK);
    CFavoriteItem* pEmpty = root.AddChild(L"Empty", L"p", FAV_FOLDER);
    CFavoriteItem* pTop = root.AddChild(L"top.url", L"u", FAV_LINK);

    std::vector<CFavoriteItem*> items;
    root.Flatten(items);
    const std::vector<CFavoriteItem*> expected{&root, pA, pA1, pAB, pAB1, pA2, pEmpty, pTop};
    EXPECT_EQ(items, expected);
    for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i]->m_nIndex, static_cast<int>(i));
}

}  // namespace
