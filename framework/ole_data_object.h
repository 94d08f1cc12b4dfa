#pragma once
#include <windows.h>
#include <ole2.h>

// Borrows or owns an IDataObject and fetches its data as global memory.
class COleDataObject {
public:
    COleDataObject() = default;
    ~COleDataObject() { Release(); }
    COleDataObject(const COleDataObject&) = delete;
    COleDataObject& operator=(const COleDataObject&) = delete;

    // With bAutoRelease FALSE the data object is only borrowed: its count is never touched.
    void Attach(IDataObject* pDataObject, BOOL bAutoRelease = TRUE);
    IDataObject* Detach();
    void Release();

    // The data in format cf as global memory the caller frees, or null when the object does not supply it.
    HGLOBAL GetGlobalData(CLIPFORMAT cfFormat);

private:
    IDataObject* m_pDataObject = nullptr;
    BOOL m_bAutoRelease = FALSE;
};
