#include "favorite_item.h"

#include <algorithm>

CFavoriteItem::CFavoriteItem(LPCWSTR pszName, LPCWSTR pszTarget, BYTE nKind)
    : m_strTarget(pszTarget), m_strName(pszName), m_nKind(nKind)
{
}

CFavoriteItem* CFavoriteItem::AddChild(LPCWSTR pszName, LPCWSTR pszTarget, BYTE nKind)
{
    if (!IsContainer()) return nullptr;
    m_children.push_back(std::make_unique<CFavoriteItem>(pszName, pszTarget, nKind));
    return m_children.back().get();
}

CFavoriteItem* CFavoriteItem::GetChild(INT_PTR nIndex) const
{
    if (nIndex < 0 || nIndex >= GetChildCount()) return nullptr;
    return m_children[static_cast<size_t>(nIndex)].get();
}

void CFavoriteItem::ApplyOrder(const CFavOrderMap& order)
{
    const size_t n = m_children.size();
    if (!IsContainer() || n < 2 || order.GetCount() < 2) return;
    std::vector<std::unique_ptr<CFavoriteItem>> slots(n);
    std::vector<std::unique_ptr<CFavoriteItem>> leftovers;
    for (auto& pChild : m_children) {
        DWORD dwPosition = 0;
        if (order.Lookup(pChild->m_strName, dwPosition) && dwPosition < n && !slots[dwPosition]) {
            slots[dwPosition] = std::move(pChild);
        } else {
            leftovers.push_back(std::move(pChild));
        }
    }
    m_children.clear();
    for (auto& pChild : slots) {
        if (pChild) m_children.push_back(std::move(pChild));
    }
    for (auto& pChild : leftovers) m_children.push_back(std::move(pChild));
}

void CFavoriteItem::SortDefault()
{
    if (!IsContainer() || m_children.size() < 2) return;
    std::stable_partition(m_children.begin(), m_children.end(),
                          [](const std::unique_ptr<CFavoriteItem>& pChild) { return pChild->m_nKind == FAV_FOLDER; });
}

void CFavoriteItem::Flatten(std::vector<CFavoriteItem*>& items)
{
    m_nIndex = static_cast<int>(items.size());
    items.push_back(this);
    if (!IsContainer()) return;
    for (auto& pChild : m_children) {
        if (pChild) pChild->Flatten(items);
    }
}
