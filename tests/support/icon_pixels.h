#pragma once
#include <windows.h>
#include <commctrl.h>

#include <vector>

// What an icon or an image-list image looks like: its 16 x 16 pixels drawn
// over a magenta background, so two handles can be compared by their pictures.
std::vector<COLORREF> IconPixels(HICON hIcon);
std::vector<COLORREF> ImagePixels(HIMAGELIST hImages, int nImage);
