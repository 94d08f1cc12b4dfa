#include "icon_pixels.h"
#include "framework/handles.h"

#include <functional>

namespace {

constexpr int kSize = 16;

std::vector<COLORREF> DrawnPixels(const std::function<void(HDC)>& draw)
{
    CMemDCHandle dc(::CreateCompatibleDC(nullptr));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kSize;
    info.bmiHeader.biHeight = -kSize;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* pBits = nullptr;
    CBitmapHandle bitmap(::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pBits, nullptr, 0));
    if (!dc || !bitmap) return {};
    CSelectObject select(dc, bitmap);
    RECT rect{0, 0, kSize, kSize};
    CHandleT<afx_handles::GdiTraits<HBRUSH>> brush(::CreateSolidBrush(RGB(255, 0, 255)));
    ::FillRect(dc, &rect, brush);
    draw(dc);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) pixels.push_back(::GetPixel(dc, x, y));
    }
    return pixels;
}

}  // namespace

std::vector<COLORREF> IconPixels(HICON hIcon)
{
    if (!hIcon) return {};
    return DrawnPixels([hIcon](HDC hDC) { ::DrawIconEx(hDC, 0, 0, hIcon, kSize, kSize, 0, nullptr, DI_NORMAL); });
}

std::vector<COLORREF> ImagePixels(HIMAGELIST hImages, int nImage)
{
    return DrawnPixels([=](HDC hDC) { ImageList_Draw(hImages, nImage, hDC, 0, 0, ILD_TRANSPARENT); });
}
