#pragma once
#include <windows.h>
#include <unknwn.h>

// Whether a COM object held by value is reached only through its owner or
// also hands itself out through QueryInterface.
enum class ByValueReach { ThroughOwner, HandedOut };

// The IUnknown of a COM object held by value, a member of its owner.
// Lifetime rule: the owner's lifetime decides; no count ever deletes the
// object, so nobody may keep a reference beyond the owner's life.
// - ThroughOwner: QueryInterface declines with E_NOTIMPL and writes nothing;
//   AddRef and Release return the constants 1 and 0.
// - HandedOut: QueryInterface gives IUnknown and Interface (E_POINTER for a
//   null out-pointer, null and E_NOINTERFACE for anything else); AddRef and
//   Release keep an interlocked count for the interface's contract only.
template <class Interface, ByValueReach reach = ByValueReach::ThroughOwner>
class CByValueUnknown : public Interface {
public:
    CByValueUnknown(const CByValueUnknown&) = delete;
    CByValueUnknown& operator=(const CByValueUnknown&) = delete;

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID riid, void** ppvObject) override
    {
        if constexpr (reach == ByValueReach::ThroughOwner) {
            return E_NOTIMPL;
        } else {
            if (!ppvObject) return E_POINTER;
            *ppvObject = nullptr;
            if (!::IsEqualIID(riid, IID_IUnknown) && !::IsEqualIID(riid, __uuidof(Interface))) return E_NOINTERFACE;
            *ppvObject = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
    }
    STDMETHOD_(ULONG, AddRef)() override
    {
        if constexpr (reach == ByValueReach::ThroughOwner) return 1;
        else return static_cast<ULONG>(::InterlockedIncrement(&m_cRef));
    }
    STDMETHOD_(ULONG, Release)() override
    {
        if constexpr (reach == ByValueReach::ThroughOwner) return 0;
        else return static_cast<ULONG>(::InterlockedDecrement(&m_cRef));
    }

protected:
    CByValueUnknown() = default;
    ~CByValueUnknown() = default;

    LONG m_cRef = 0;  // HandedOut only: the interface's count, never acted on
};
