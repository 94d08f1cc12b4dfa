#pragma once
#include "favorites/fav_order_map.h"

#include <map>
#include <string>

using Names = std::map<std::wstring, DWORD>;

// The entries of a map among the names given, with their positions: a map cannot list its names.
inline Names NamesIn(const CFavOrderMap& map, const Names& candidates)
{
    Names found;
    for (const auto& [name, position] : candidates) {
        DWORD dw = 0;
        if (map.Lookup(name.c_str(), dw)) found[name] = dw;
    }
    return found;
}
