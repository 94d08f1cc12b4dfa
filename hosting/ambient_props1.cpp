#include "ambient_props1.h"

#include <mshtmdid.h>

STDMETHODIMP AmbientProps1::GetTypeInfoCount(UINT*) { return E_NOTIMPL; }
STDMETHODIMP AmbientProps1::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
STDMETHODIMP AmbientProps1::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP AmbientProps1::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* pVarResult, EXCEPINFO*, UINT*)
{
    return GetAmbientDLControl(pVarResult);
}

HRESULT AmbientProps1::GetAmbientDLControl(VARIANT* pvarResult)
{
    if (m_bDeferToContainer) return S_FALSE;
    if (!pvarResult) return E_POINTER;
    pvarResult->vt = VT_I4;
    pvarResult->lVal = static_cast<LONG>(m_dwDLControl);
    return S_OK;
}

HRESULT AmbientProps1::SetDLControl(DWORD dwDLControl)
{
    m_dwDLControl = dwDLControl;
    NotifyAmbientChange(DISPID_AMBIENT_DLCONTROL);
    return S_OK;
}

HRESULT AmbientProps1::GetDLControl(DWORD* pdwDLControl)
{
    if (!pdwDLControl) return E_POINTER;
    *pdwDLControl = m_dwDLControl;
    return S_OK;
}

HRESULT AmbientProps1::NotifyAmbientChange(DISPID dispid)
{
    CComPtr<IOleControl> pControl;
    if (!m_spControl || FAILED(m_spControl.QueryInterface(&pControl))) return S_OK;  // nothing to tell without a control
    return pControl->OnAmbientPropertyChange(dispid);
}
