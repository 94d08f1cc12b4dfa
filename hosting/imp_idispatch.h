#pragma once
#include "../framework/afx.h"

// window.external of every page: it knows three method names and answers
// every call, known or not, with true and no other effect. One object for
// the process, owned by the application; the count never deletes it.
class CImpIDispatch : public IDispatch {
public:
    CImpIDispatch() = default;
    virtual ~CImpIDispatch() = default;
    CImpIDispatch(const CImpIDispatch&) = delete;
    CImpIDispatch& operator=(const CImpIDispatch&) = delete;

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID riid, void** ppvObject) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    // IDispatch
    STDMETHOD(GetTypeInfoCount)(UINT* pctinfo) override;
    STDMETHOD(GetTypeInfo)(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    STDMETHOD(GetIDsOfNames)(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override;
    STDMETHOD(Invoke)(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                      VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

    LONG m_cRef = 0;
};
