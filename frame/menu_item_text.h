#pragma once
#include "../framework/afx.h"

// The first nMaxLength characters of strText as a menu item shows them: a character outside the
// basic plane is kept whole or left out, never halved, and ampersands are doubled after the cut, so
// that none of them becomes a mnemonic.
CString MenuItemText(const CString& strText, int nMaxLength);
