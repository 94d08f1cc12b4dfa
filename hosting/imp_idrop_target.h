#pragma once
#include "../framework/afx.h"

// The drop target of a view's own window: it accepts every drag, fetches a
// drop's data in the first of its three formats and discards it. Held by
// value in its handler; the registration is handed a reference.
class CImpIDropTarget : public CByValueUnknown<IDropTarget, ByValueReach::HandedOut> {
public:
    CImpIDropTarget() = default;
    ~CImpIDropTarget() = default;

    // IDropTarget
    STDMETHOD(DragEnter)(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
    STDMETHOD(DragOver)(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
    STDMETHOD(DragLeave)() override;
    STDMETHOD(Drop)(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
};
