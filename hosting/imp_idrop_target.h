#pragma once
#include "../framework/afx.h"

// The drop target of a view's own window: it accepts every drag, fetches a
// drop's data in the first of its three formats and discards it. Owned by
// its handler: the count never deletes the object.
class CImpIDropTarget : public IDropTarget {
public:
    CImpIDropTarget() = default;
    ~CImpIDropTarget() = default;
    CImpIDropTarget(const CImpIDropTarget&) = delete;
    CImpIDropTarget& operator=(const CImpIDropTarget&) = delete;

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID riid, void** ppvObject) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    // IDropTarget
    STDMETHOD(DragEnter)(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
    STDMETHOD(DragOver)(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
    STDMETHOD(DragLeave)() override;
    STDMETHOD(Drop)(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;

    LONG m_cRef = 0;
};
