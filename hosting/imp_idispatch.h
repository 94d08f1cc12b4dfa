#pragma once
#include "../framework/afx.h"

// window.external of every page: it knows three method names and answers
// every call, known or not, with true and no other effect. One object for
// the process, held by value in the application and handed out to every
// page that asks.
class CImpIDispatch : public CByValueUnknown<IDispatch, ByValueReach::HandedOut> {
public:
    CImpIDispatch() = default;
    virtual ~CImpIDispatch() = default;

    // IDispatch
    STDMETHOD(GetTypeInfoCount)(UINT* pctinfo) override;
    STDMETHOD(GetTypeInfo)(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    STDMETHOD(GetIDsOfNames)(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override;
    STDMETHOD(Invoke)(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                      VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;
};
