#pragma once
#include "../framework/afx.h"

// The drop target of a view's own window: it answers every drag with no
// effect (the program copies, moves and links nothing, so a source offering
// a move must not delete what was dragged); should a drop still arrive, it
// fetches the data in the first of its three formats and discards it. Held
// by value in its handler; the registration is handed a reference.
class CImpIDropTarget : public CByValueUnknown<IDropTarget, ByValueReach::HandedOut> {
public:
    CImpIDropTarget() = default;
    ~CImpIDropTarget() = default;

    // IDropTarget: each writes DROPEFFECT_NONE through a non-null effect pointer
    STDMETHOD(DragEnter)(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
    STDMETHOD(DragOver)(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
    STDMETHOD(DragLeave)() override;
    STDMETHOD(Drop)(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
};
