#pragma once
#include "../framework/afx.h"

// Column splitting of popups taller than the screen, shared by the Favorites menu and the Back and Forward lists.

// Splits a popup taller than the screen into columns: the first holds rows - nCountAdjust + 1
// items, every later one rows + 1, rows being how many items fit the screen. Every caller passes -1.
// The menu font is measured on hWnd's device context.
void BreakMenuColumns(HWND hWnd, HMENU hMenu, int nCountAdjust);

// The height of a menu item in the menu font, as BreakMenuColumns counts it, measured on hWnd's device
// context (the screen's when null); 0 when the menu font cannot be read.
int MenuItemHeight(HWND hWnd);

// BreakMenuColumns for a menu of nCount items (those after them are left alone) and a known item height.
void BreakMenuColumnsAt(HMENU hMenu, int nCount, int nCountAdjust, int nItemHeight);
