#pragma once
#include "../framework/afx.h"

// The one ambient property the browser customises: the download-control
// flags. Held by value in the view and reached only through its site.
class AmbientProps1 : public CByValueUnknown<IDispatch> {
public:
    AmbientProps1() = default;
    virtual ~AmbientProps1() = default;

    // IDispatch
    STDMETHOD(GetTypeInfoCount)(UINT* pctinfo) override;
    STDMETHOD(GetTypeInfo)(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    STDMETHOD(GetIDsOfNames)(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override;
    STDMETHOD(Invoke)(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                      VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

    // S_FALSE without writing while deferring to the container; else VT_I4 m_dwDLControl.
    virtual HRESULT GetAmbientDLControl(VARIANT* pvarResult);
    // Stores the value and tells the control, when there is one, that it changed.
    virtual HRESULT SetDLControl(DWORD dwDLControl);
    virtual HRESULT GetDLControl(DWORD* pdwDLControl);

    BOOL m_bDeferToContainer = 1;     // nonzero: decline, so the container's defaults apply
    CComPtr<IDispatch> m_spControl;   // the control's automation object, notified of changes

protected:
    // Tells the control that an ambient property changed; 0 when there is no control to tell.
    HRESULT NotifyAmbientChange(DISPID dispid);

    DWORD m_dwDLControl = 0x71;       // images, videos, background sounds and the low bit
};
