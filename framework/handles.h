#pragma once
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <memory>
#include <utility>

// Owners of the values the program acquires (device contexts of windows:
// CClientDC in gdi.h): each releases what it holds when
// it goes out of scope, so a fault or exception unwinding through a handler
// leaks nothing. Copying is deleted; ownership moves.

// A VARIANT that is cleared on destruction. Derives from VARIANT so that its
// address can be passed wherever a VARIANT* is expected.
class COleVariant : public tagVARIANT {
public:
    COleVariant() { ::VariantInit(this); }
    explicit COleVariant(LPCWSTR psz)
    {
        ::VariantInit(this);
        vt = VT_BSTR;
        bstrVal = ::SysAllocString(psz);
    }
    ~COleVariant() { ::VariantClear(this); }
    COleVariant(const COleVariant&) = delete;
    COleVariant& operator=(const COleVariant&) = delete;

    void Clear() { ::VariantClear(this); }
    // For out-parameters: the held value, if any, is cleared first.
    VARIANT* operator&()
    {
        ::VariantClear(this);
        return this;
    }
    // The address without clearing, for in-parameters.
    VARIANT* p() { return this; }
};

// A BSTR freed on destruction.
class CComBSTR {
public:
    CComBSTR() = default;
    explicit CComBSTR(LPCWSTR psz) : m_str(psz ? ::SysAllocString(psz) : nullptr) {}
    ~CComBSTR() { ::SysFreeString(m_str); }
    CComBSTR(const CComBSTR&) = delete;
    CComBSTR& operator=(const CComBSTR&) = delete;

    // For out-parameters: the held string, if any, is freed first.
    BSTR* operator&()
    {
        ::SysFreeString(std::exchange(m_str, nullptr));
        return &m_str;
    }
    operator BSTR() const { return m_str; }
    BSTR Detach() { return std::exchange(m_str, nullptr); }
    UINT Length() const { return ::SysStringLen(m_str); }

    BSTR m_str = nullptr;  // owned
};

// One owner for any handle kind: Traits gives the empty value and the release.
template <class Traits>
class CHandleT {
public:
    using Handle = typename Traits::Handle;

    CHandleT() = default;
    explicit CHandleT(Handle h) : m_h(h) {}
    ~CHandleT() { Reset(); }
    CHandleT(const CHandleT&) = delete;
    CHandleT& operator=(const CHandleT&) = delete;
    CHandleT(CHandleT&& other) noexcept : m_h(other.Detach()) {}
    CHandleT& operator=(CHandleT&& other) noexcept
    {
        if (this != std::addressof(other)) Reset(other.Detach());  // & would release other's handle
        return *this;
    }

    void Reset(Handle h = Traits::Empty())
    {
        Handle old = std::exchange(m_h, h);
        if (old != Traits::Empty()) Traits::Release(old);
    }
    Handle Detach() { return std::exchange(m_h, Traits::Empty()); }
    Handle Get() const { return m_h; }
    operator Handle() const { return m_h; }
    explicit operator bool() const { return m_h != Traits::Empty(); }
    // For out-parameters: the held handle, if any, is released first.
    Handle* operator&()
    {
        Reset();
        return &m_h;
    }

private:
    Handle m_h = Traits::Empty();
};

namespace afx_handles {
struct IconTraits {
    using Handle = HICON;
    static Handle Empty() { return nullptr; }
    static void Release(Handle h) { ::DestroyIcon(h); }
};
struct MenuTraits {
    using Handle = HMENU;
    static Handle Empty() { return nullptr; }
    static void Release(Handle h) { ::DestroyMenu(h); }
};
struct FindTraits {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static void Release(Handle h) { ::FindClose(h); }
};
struct RegKeyTraits {
    using Handle = HKEY;
    static Handle Empty() { return nullptr; }
    static void Release(Handle h) { ::RegCloseKey(h); }
};
struct KernelTraits {
    using Handle = HANDLE;
    static Handle Empty() { return nullptr; }
    static void Release(Handle h) { ::CloseHandle(h); }
};
struct FileTraits {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static void Release(Handle h) { ::CloseHandle(h); }
};
struct HookTraits {
    using Handle = HHOOK;
    static Handle Empty() { return nullptr; }
    static void Release(Handle h) { ::UnhookWindowsHookEx(h); }
};
struct LibraryTraits {
    using Handle = HMODULE;
    static Handle Empty() { return nullptr; }
    static void Release(Handle h) { ::FreeLibrary(h); }
};
template <class T>
struct GdiTraits {
    using Handle = T;
    static Handle Empty() { return nullptr; }
    static void Release(Handle h) { ::DeleteObject(h); }
};
struct MemDCTraits {
    using Handle = HDC;
    static Handle Empty() { return nullptr; }
    static void Release(Handle h) { ::DeleteDC(h); }
};
struct GlobalTraits {
    using Handle = HGLOBAL;
    static Handle Empty() { return nullptr; }
    static void Release(Handle h) { ::GlobalFree(h); }
};
}  // namespace afx_handles

using CIconHandle = CHandleT<afx_handles::IconTraits>;
using CMenuHandle = CHandleT<afx_handles::MenuTraits>;
using CFindHandle = CHandleT<afx_handles::FindTraits>;  // FindFirstFile's; empty is INVALID_HANDLE_VALUE
using CRegKey = CHandleT<afx_handles::RegKeyTraits>;
using CKernelHandle = CHandleT<afx_handles::KernelTraits>;
using CFileHandle = CHandleT<afx_handles::FileTraits>;  // CreateFile's; empty is INVALID_HANDLE_VALUE
using CHookHandle = CHandleT<afx_handles::HookTraits>;
using CLibraryHandle = CHandleT<afx_handles::LibraryTraits>;  // LoadLibrary's, never GetModuleHandle's
using CFontHandle = CHandleT<afx_handles::GdiTraits<HFONT>>;
using CBitmapHandle = CHandleT<afx_handles::GdiTraits<HBITMAP>>;
using CMemDCHandle = CHandleT<afx_handles::MemDCTraits>;  // CreateCompatibleDC's
using CGlobalHandle = CHandleT<afx_handles::GlobalTraits>;

// Memory from CoTaskMemAlloc (strings and ID lists handed out by the shell and COM), freed on destruction.
struct CoTaskMemFreer {
    void operator()(void* p) const { ::CoTaskMemFree(p); }
};
template <class T>
using CCoTaskMemPtr = std::unique_ptr<T, CoTaskMemFreer>;

// A storage medium released on destruction; Detach hands an HGLOBAL to the caller.
class CStgMedium : public STGMEDIUM {
public:
    CStgMedium() : STGMEDIUM{} {}
    ~CStgMedium() { ::ReleaseStgMedium(this); }
    CStgMedium(const CStgMedium&) = delete;
    CStgMedium& operator=(const CStgMedium&) = delete;

    HGLOBAL DetachGlobal()
    {
        tymed = TYMED_NULL;
        return std::exchange(hGlobal, nullptr);
    }
};

// GlobalLock for one scope; Get is null when the lock failed.
class CGlobalLock {
public:
    explicit CGlobalLock(HGLOBAL h) : m_h(h), m_p(h ? ::GlobalLock(h) : nullptr) {}
    ~CGlobalLock()
    {
        if (m_p) ::GlobalUnlock(m_h);
    }
    CGlobalLock(const CGlobalLock&) = delete;
    CGlobalLock& operator=(const CGlobalLock&) = delete;
    void* Get() const { return m_p; }

private:
    HGLOBAL m_h;
    void* m_p;
};

// SafeArrayAccessData for one scope, so a fault cannot leave the array locked and unfreeable.
class CSafeArrayAccess {
public:
    explicit CSafeArrayAccess(SAFEARRAY* psa) : m_psa(psa)
    {
        if (m_psa && FAILED(::SafeArrayAccessData(m_psa, &m_p))) m_p = nullptr;
    }
    ~CSafeArrayAccess()
    {
        if (m_p) ::SafeArrayUnaccessData(m_psa);
    }
    CSafeArrayAccess(const CSafeArrayAccess&) = delete;
    CSafeArrayAccess& operator=(const CSafeArrayAccess&) = delete;
    void* Get() const { return m_p; }

private:
    SAFEARRAY* m_psa;
    void* m_p = nullptr;
};

// Selects an object into a DC and puts the previous one back on destruction.
class CSelectObject {
public:
    CSelectObject(HDC hDC, HGDIOBJ hObject) : m_hDC(hDC), m_hOld(::SelectObject(hDC, hObject)) {}
    ~CSelectObject()
    {
        if (m_hOld) ::SelectObject(m_hDC, m_hOld);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};
