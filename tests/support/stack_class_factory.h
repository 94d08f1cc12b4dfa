#pragma once
#include <objbase.h>

// A class object that lives on a test's stack, registered with CoRegisterClassObject for as
// long as the test needs it: its reference count is not counted, what it makes is up to the test.
class StackClassFactory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = (riid == IID_IUnknown || riid == IID_IClassFactory) ? static_cast<IClassFactory*>(this) : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};
