#include "imp_idrop_target.h"

namespace {

// Fetches one format and frees it at once; true when the data object supplied it.
bool FetchAndDiscard(COleDataObject& dataObject, CLIPFORMAT cfFormat)
{
    CGlobalHandle hData(dataObject.GetGlobalData(cfFormat));
    if (!hData) return false;
    ::GlobalLock(hData);
    ::GlobalUnlock(hData);
    return true;
}

// The one effect this target ever reports.
void RefuseEffect(DWORD* pdwEffect)
{
    if (pdwEffect) *pdwEffect = DROPEFFECT_NONE;
}

}  // namespace

STDMETHODIMP CImpIDropTarget::DragEnter(IDataObject*, DWORD, POINTL, DWORD* pdwEffect)
{
    RefuseEffect(pdwEffect);
    return S_OK;
}

STDMETHODIMP CImpIDropTarget::DragOver(DWORD, POINTL, DWORD* pdwEffect)
{
    RefuseEffect(pdwEffect);
    return S_OK;
}

STDMETHODIMP CImpIDropTarget::DragLeave() { return S_OK; }

STDMETHODIMP CImpIDropTarget::Drop(IDataObject* pDataObj, DWORD, POINTL, DWORD* pdwEffect)
{
    RefuseEffect(pdwEffect);
    // Borrowed: the drag source's reference is neither added to nor released.
    COleDataObject dataObject;
    dataObject.Attach(pDataObj, FALSE);
    try {
        if (!FetchAndDiscard(dataObject, CF_TEXT) && !FetchAndDiscard(dataObject, CF_HDROP)) {
            auto cfUrl = static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(L"UniformResourceLocator"));
            FetchAndDiscard(dataObject, cfUrl);
        }
    } catch (...) {
        // Nothing a drop fetches matters enough to fail the source's drag loop.
    }
    dataObject.Detach();
    return S_OK;
}
