#include "ole_data_object.h"

#include <cstring>
#include <utility>

void COleDataObject::Attach(IDataObject* pDataObject, BOOL bAutoRelease)
{
    Release();
    m_pDataObject = pDataObject;
    m_bAutoRelease = bAutoRelease;
}

IDataObject* COleDataObject::Detach()
{
    m_bAutoRelease = FALSE;
    return std::exchange(m_pDataObject, nullptr);
}

void COleDataObject::Release()
{
    IDataObject* pDataObject = std::exchange(m_pDataObject, nullptr);
    if (pDataObject && m_bAutoRelease) pDataObject->Release();
    m_bAutoRelease = FALSE;
}

HGLOBAL COleDataObject::GetGlobalData(CLIPFORMAT cfFormat)
{
    if (!m_pDataObject) return nullptr;
    FORMATETC format{cfFormat, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL | TYMED_MFPICT};
    STGMEDIUM medium{};
    if (FAILED(m_pDataObject->GetData(&format, &medium))) return nullptr;
    if (medium.tymed != TYMED_HGLOBAL && medium.tymed != TYMED_MFPICT) {
        ::ReleaseStgMedium(&medium);
        return nullptr;
    }
    if (!medium.pUnkForRelease) return medium.hGlobal;  // ours to free
    // The source keeps its memory: hand out a copy the caller owns.
    HGLOBAL hCopy = nullptr;
    SIZE_T cb = ::GlobalSize(medium.hGlobal);
    if (medium.tymed == TYMED_HGLOBAL && (hCopy = ::GlobalAlloc(GMEM_MOVEABLE, cb)) != nullptr) {
        void* pSource = ::GlobalLock(medium.hGlobal);
        void* pTarget = ::GlobalLock(hCopy);
        if (pSource && pTarget) std::memcpy(pTarget, pSource, cb);
        if (pTarget) ::GlobalUnlock(hCopy);
        if (pSource) ::GlobalUnlock(medium.hGlobal);
    }
    ::ReleaseStgMedium(&medium);
    return hCopy;
}
