#include "ole_data_object.h"
#include "handles.h"

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
    CStgMedium medium;
    if (FAILED(m_pDataObject->GetData(&format, &medium))) return nullptr;
    if (medium.tymed != TYMED_HGLOBAL && medium.tymed != TYMED_MFPICT) return nullptr;
    if (!medium.pUnkForRelease) return medium.DetachGlobal();  // ours to free
    // The source keeps its memory: hand out a copy the caller owns.
    if (medium.tymed != TYMED_HGLOBAL) return nullptr;
    SIZE_T cb = ::GlobalSize(medium.hGlobal);
    CGlobalHandle hCopy(::GlobalAlloc(GMEM_MOVEABLE, cb));
    if (!hCopy) return nullptr;
    {
        CGlobalLock source(medium.hGlobal), target(hCopy);
        if (source.Get() && target.Get()) std::memcpy(target.Get(), source.Get(), cb);
    }
    return hCopy.Detach();
}
