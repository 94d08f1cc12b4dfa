#pragma once
#include "../framework/afx.h"
#include "fav_order_map.h"

#include <memory>
#include <vector>

// Kinds of favorites nodes; only the root and folders have children.
enum : BYTE {
    FAV_ROOT = 1,
    FAV_FOLDER = 2,
    FAV_LINK = 3,  // an internet shortcut; the target is its URL
    FAV_FILE = 4,  // any other file; the target is its full path
};

// One node of the favorites tree. It owns its children, which are kept in menu order.
class CFavoriteItem {
public:
    CFavoriteItem() = default;
    CFavoriteItem(LPCWSTR pszName, LPCWSTR pszTarget, BYTE nKind);
    virtual ~CFavoriteItem() = default;
    CFavoriteItem(const CFavoriteItem&) = delete;
    CFavoriteItem& operator=(const CFavoriteItem&) = delete;

    BOOL IsContainer() const { return m_nKind == FAV_ROOT || m_nKind == FAV_FOLDER; }
    // Appends a new child and returns it; null (and nothing made) unless this node is a container.
    CFavoriteItem* AddChild(LPCWSTR pszName, LPCWSTR pszTarget, BYTE nKind);
    // Null when nIndex is out of range.
    CFavoriteItem* GetChild(INT_PTR nIndex) const;
    INT_PTR GetChildCount() const { return static_cast<INT_PTR>(m_children.size()); }

    // Children by stored position where their names and positions fit, gaps
    // closed up; the rest (unknown names, positions out of range, a position
    // already taken) after them in their present order.
    void ApplyOrder(const CFavOrderMap& order);
    // Folders first, then links and files, each group in its present order.
    void SortDefault();
    // Numbers this node and its subtree in pre-order, appending each node to items.
    void Flatten(std::vector<CFavoriteItem*>& items);

    CString m_strTarget;  // folders: full path with a trailing backslash; links: the URL; files: full path
    CString m_strName;    // the name the folder listing gives, extension included; the root's is "FAVROOT"
    int m_nIndex = 0;     // position in the manager's flat list; 0 until numbered
    BYTE m_nKind = FAV_LINK;

private:
    std::vector<std::unique_ptr<CFavoriteItem>> m_children;  // owned, in menu order
};
