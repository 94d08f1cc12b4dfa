#pragma once
#include <windows.h>
#include <commctrl.h>

class CBitmap;

// An image list that it destroys with itself.
class CImageList {
public:
    CImageList() = default;
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    // Fails when the list already exists.
    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    // Adds the images of a bitmap strip; pixels of crMask become transparent. Returns the first new index or -1.
    int Add(CBitmap* pbmImage, COLORREF crMask);
    int GetImageCount() const { return m_hImageList ? ImageList_GetImageCount(m_hImageList) : 0; }
    BOOL DeleteImageList();
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    operator HIMAGELIST() const { return m_hImageList; }

private:
    HIMAGELIST m_hImageList = nullptr;
};
