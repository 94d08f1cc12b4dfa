#include "image_list.h"
#include "gdi.h"

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow)
{
    if (m_hImageList) return FALSE;
    m_hImageList = ImageList_Create(cx, cy, nFlags, nInitial, nGrow);
    return m_hImageList != nullptr;
}

int CImageList::Add(CBitmap* pbmImage, COLORREF crMask)
{
    if (!m_hImageList || !pbmImage || !pbmImage->GetSafeHandle()) return -1;
    return ImageList_AddMasked(m_hImageList, *pbmImage, crMask);
}

BOOL CImageList::DeleteImageList()
{
    if (!m_hImageList) return FALSE;
    BOOL bResult = ImageList_Destroy(m_hImageList);
    m_hImageList = nullptr;
    return bResult;
}
