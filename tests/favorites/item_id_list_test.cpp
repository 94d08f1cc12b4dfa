#include <gtest/gtest.h>

#include "favorites/item_id_list.h"
#include "favorites/order_record.h"
#include "favorites/test_favorites_folder.h"

#include <cstring>

namespace {

TEST(ItemIdListTest, SizeCountsItemsAndTheTerminator)
{
    EXPECT_EQ(GetIDListSize(nullptr), 0u);
    const Bytes empty = IdList({});
    EXPECT_EQ(GetIDListSize(reinterpret_cast<LPCITEMIDLIST>(empty.data())), 2u);
    const Bytes a = FileEntryItem(8, "A.URL", L"a.url");
    const Bytes b = FileEntryItem(3, "MYPROJ~1", L"My Projects", true);
    Bytes list = IdList({a, b});
    list.push_back(0xcc);  // behind the list: not counted
    EXPECT_EQ(GetIDListSize(reinterpret_cast<LPCITEMIDLIST>(list.data())), a.size() + b.size() + 2);
}

TEST(ItemIdListTest, CopyIsExactAndFromTheTaskAllocator)
{
    EXPECT_EQ(CopyIDList(nullptr), nullptr);
    Bytes list = IdList({FileEntryItem(9, "EXAMPL~1.URL", L"Example Site.url")});
    const size_t cbList = list.size();
    list.resize(cbList + 16, 0xcc);
    CItemIDList copy(CopyIDList(reinterpret_cast<LPCITEMIDLIST>(list.data())));
    ASSERT_NE(copy.m_pidl, nullptr);
    EXPECT_EQ(std::memcmp(copy.m_pidl, list.data(), cbList), 0);
    CComPtr<IMalloc> pMalloc;
    ASSERT_EQ(::CoGetMalloc(1, &pMalloc), S_OK);
    EXPECT_EQ(pMalloc->GetSize(copy.m_pidl), cbList);
    EXPECT_EQ(pMalloc->DidAlloc(copy.m_pidl), 1);
}

TEST(ItemIdListTest, PathOfAWholeListAndOfNone)
{
    CTestFavoritesFolder folder;
    folder.AddShortcut(L"Example Site.url", "http://example.com/");
    const std::wstring path = folder.PathOf(L"Example Site.url");
    LPITEMIDLIST pidl = ::ILCreateFromPathW(path.c_str());
    ASSERT_NE(pidl, nullptr);
    const CItemIDList list(CopyIDList(pidl));
    ::ILFree(pidl);
    EXPECT_STREQ(list.GetPath(), path.c_str());
    EXPECT_TRUE(CItemIDList().GetPath().IsEmpty());
}

}  // namespace
