#include <gtest/gtest.h>

#include "hosting/imp_idrop_target.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// A plain counted object, standing for whatever a data object names as pUnkForRelease.
class CCountedUnknown : public IUnknown {
public:
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override
    {
        *ppv = nullptr;
        if (!::IsEqualIID(riid, IID_IUnknown)) return E_NOINTERFACE;
        *ppv = this;
        AddRef();
        return S_OK;
    }
    STDMETHOD_(ULONG, AddRef)() override { return static_cast<ULONG>(++m_cRef); }
    STDMETHOD_(ULONG, Release)() override { return static_cast<ULONG>(--m_cRef); }

    int m_cRef = 1;
};

constexpr char kPayload[] = "dragged text";

// A drag source's data object that offers some formats as global memory and records what is asked of it.
// With a pUnkForRelease it hands out its own memory, which it keeps; without one, fresh memory the caller owns.
class CRecordingDataObject : public IDataObject {
public:
    explicit CRecordingDataObject(std::vector<CLIPFORMAT> offered, IUnknown* pUnkForRelease = nullptr)
        : m_offered(std::move(offered)), m_pUnkForRelease(pUnkForRelease)
    {
        if (m_pUnkForRelease) m_hOwn = NewPayload();
    }
    ~CRecordingDataObject()
    {
        if (m_hOwn) ::GlobalFree(m_hOwn);
    }

    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override
    {
        *ppv = nullptr;
        if (!::IsEqualIID(riid, IID_IUnknown) && !::IsEqualIID(riid, IID_IDataObject)) return E_NOINTERFACE;
        *ppv = this;
        AddRef();
        return S_OK;
    }
    STDMETHOD_(ULONG, AddRef)() override { return static_cast<ULONG>(++m_cRef); }
    STDMETHOD_(ULONG, Release)() override { return static_cast<ULONG>(--m_cRef); }
    STDMETHOD(GetData)(FORMATETC* pFormat, STGMEDIUM* pMedium) override
    {
        requested.push_back(pFormat->cfFormat);
        if (std::find(m_offered.begin(), m_offered.end(), pFormat->cfFormat) == m_offered.end() ||
            !(pFormat->tymed & TYMED_HGLOBAL)) {
            return DV_E_FORMATETC;
        }
        pMedium->tymed = TYMED_HGLOBAL;
        pMedium->hGlobal = m_pUnkForRelease ? m_hOwn : NewPayload();
        pMedium->pUnkForRelease = m_pUnkForRelease;
        if (m_pUnkForRelease) m_pUnkForRelease->AddRef();
        handedOut.push_back(pMedium->hGlobal);
        return S_OK;
    }
    STDMETHOD(GetDataHere)(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHOD(QueryGetData)(FORMATETC*) override { return E_NOTIMPL; }
    STDMETHOD(GetCanonicalFormatEtc)(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    STDMETHOD(SetData)(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHOD(EnumFormatEtc)(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHOD(DAdvise)(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHOD(DUnadvise)(DWORD) override { return E_NOTIMPL; }
    STDMETHOD(EnumDAdvise)(IEnumSTATDATA**) override { return E_NOTIMPL; }

    std::vector<CLIPFORMAT> requested;
    std::vector<HGLOBAL> handedOut;
    int m_cRef = 1;

private:
    static HGLOBAL NewPayload()
    {
        HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, sizeof(kPayload));
        std::memcpy(::GlobalLock(h), kPayload, sizeof(kPayload));
        ::GlobalUnlock(h);
        return h;
    }

    std::vector<CLIPFORMAT> m_offered;
    IUnknown* m_pUnkForRelease;
    HGLOBAL m_hOwn = nullptr;
};

bool IsFreed(HGLOBAL h)
{
    return ::GlobalFlags(h) == GMEM_INVALID_HANDLE;
}

TEST(ImpIDropTargetTest, DropFetchesTheFirstOfTextFilesAndShortcutFreesItAndKeepsTheSourcesCount)
{
    const auto cfUrl = static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(L"UniformResourceLocator"));
    struct Case {
        const char* name;
        std::vector<CLIPFORMAT> offered;
        std::vector<CLIPFORMAT> requested;
        size_t nHandedOut;
    };
    const Case cases[] = {
        {"plain text", {CF_TEXT, CF_HDROP}, {CF_TEXT}, 1},
        {"files", {CF_HDROP}, {CF_TEXT, CF_HDROP}, 1},
        {"internet shortcut", {cfUrl}, {CF_TEXT, CF_HDROP, cfUrl}, 1},
        {"only a bitmap", {CF_BITMAP}, {CF_TEXT, CF_HDROP, cfUrl}, 0},
    };
    for (const Case& c : cases) {
        CImpIDropTarget target;
        CRecordingDataObject source(c.offered);
        DWORD dwEffect = DROPEFFECT_COPY;
        POINTL pt{10, 10};
        EXPECT_EQ(target.DragEnter(&source, MK_LBUTTON, pt, &dwEffect), S_OK) << c.name;
        EXPECT_EQ(target.DragOver(MK_LBUTTON, pt, &dwEffect), S_OK) << c.name;
        EXPECT_EQ(target.Drop(&source, 0, pt, &dwEffect), S_OK) << c.name;
        EXPECT_EQ(source.requested, c.requested) << c.name;
        ASSERT_EQ(source.handedOut.size(), c.nHandedOut) << c.name;
        for (HGLOBAL h : source.handedOut) EXPECT_TRUE(IsFreed(h)) << c.name;
        EXPECT_EQ(source.m_cRef, 1) << c.name;
    }
}

TEST(ImpIDropTargetTest, ASourceThatKeepsItsMemoryKeepsItAndGetsItsReleaseBack)
{
    CCountedUnknown owner;
    CRecordingDataObject source({CF_TEXT}, &owner);
    CImpIDropTarget target;
    DWORD dwEffect = DROPEFFECT_COPY;
    EXPECT_EQ(target.Drop(&source, 0, POINTL{10, 10}, &dwEffect), S_OK);
    ASSERT_EQ(source.handedOut.size(), 1u);
    HGLOBAL hOwn = source.handedOut[0];
    ASSERT_FALSE(IsFreed(hOwn));
    EXPECT_EQ(::GlobalSize(hOwn), sizeof(kPayload));
    EXPECT_STREQ(static_cast<const char*>(::GlobalLock(hOwn)), kPayload);
    ::GlobalUnlock(hOwn);
    EXPECT_EQ(owner.m_cRef, 1);  // the reference that came with the medium went back
    EXPECT_EQ(source.m_cRef, 1);
}

TEST(ImpIDropTargetTest, EveryDragIsAnsweredWithNoEffect)
{
    // A text editor offers a move and deletes the text when the target takes it.
    const DWORD offers[] = {DROPEFFECT_MOVE, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, DROPEFFECT_LINK};
    CImpIDropTarget target;
    CRecordingDataObject source({CF_TEXT});
    const POINTL pt{10, 10};
    for (DWORD dwOffer : offers) {
        DWORD dwEffect = dwOffer;
        EXPECT_EQ(target.DragEnter(&source, MK_LBUTTON, pt, &dwEffect), S_OK);
        EXPECT_EQ(dwEffect, static_cast<DWORD>(DROPEFFECT_NONE)) << "DragEnter offered " << dwOffer;
        dwEffect = dwOffer;
        EXPECT_EQ(target.DragOver(MK_LBUTTON | MK_SHIFT, pt, &dwEffect), S_OK);
        EXPECT_EQ(dwEffect, static_cast<DWORD>(DROPEFFECT_NONE)) << "DragOver offered " << dwOffer;
        dwEffect = dwOffer;
        EXPECT_EQ(target.Drop(&source, 0, pt, &dwEffect), S_OK);
        EXPECT_EQ(dwEffect, static_cast<DWORD>(DROPEFFECT_NONE)) << "Drop offered " << dwOffer;
    }
    // A null effect pointer is not written through.
    EXPECT_EQ(target.DragEnter(&source, MK_LBUTTON, pt, nullptr), S_OK);
    EXPECT_EQ(target.DragOver(MK_LBUTTON, pt, nullptr), S_OK);
    EXPECT_EQ(target.DragLeave(), S_OK);
    EXPECT_EQ(target.Drop(&source, 0, pt, nullptr), S_OK);
}

TEST(ImpIDropTargetTest, OnlyUnknownAndDropTargetAreHandedOutAndTheCountNeverDeletes)
{
    CImpIDropTarget target;
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(target.QueryInterface(IID_IDataObject, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(target.QueryInterface(IID_IDropTarget, nullptr), E_POINTER);
    EXPECT_EQ(target.QueryInterface(IID_IDropTarget, &p), S_OK);
    EXPECT_EQ(p, static_cast<IDropTarget*>(&target));
    EXPECT_EQ(target.QueryInterface(IID_IUnknown, &p), S_OK);
    EXPECT_EQ(p, static_cast<IUnknown*>(&target));
    EXPECT_EQ(target.AddRef(), 3u);
    EXPECT_EQ(target.Release(), 2u);
    EXPECT_EQ(target.Release(), 1u);
    EXPECT_EQ(target.Release(), 0u);
    EXPECT_EQ(target.Release(), static_cast<ULONG>(-1));  // still alive: the owner decides
}

}  // namespace
