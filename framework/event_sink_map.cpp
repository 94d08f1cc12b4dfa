#include "event_sink_map.h"

#include <cstring>

CEventArgs::CEventArgs(AFX_EVENT* pEvent, const char* pszParams)
    : m_pEvent(pEvent), m_pszParams(pszParams), m_nArgs(static_cast<int>(std::strlen(pszParams)))
{
    for (VARIANT& v : m_args) ::VariantInit(&v);
}

CEventArgs::~CEventArgs()
{
    for (VARIANT& v : m_args) ::VariantClear(&v);
}

HRESULT CEventArgs::Prepare()
{
    DISPPARAMS* pParams = m_pEvent->pDispParams;
    UINT cArgs = pParams ? pParams->cArgs : 0;
    if (static_cast<int>(cArgs) != m_nArgs || m_nArgs > kMaxArgs) return DISP_E_BADPARAMCOUNT;
    for (int i = 0; i < m_nArgs; ++i) {
        VARIANT& arg = pParams->rgvarg[cArgs - 1 - static_cast<UINT>(i)];  // DISPPARAMS holds them last first
        VARTYPE vt = static_cast<VARTYPE>(static_cast<unsigned char>(m_pszParams[i]));
        if (vt & 0x40) {
            VARTYPE vtTarget = static_cast<VARTYPE>(vt & ~0x40);
            if (vtTarget == VT_VARIANT) {
                m_pVariants[i] = arg.vt == (VT_BYREF | VT_VARIANT) ? arg.pvarVal : &arg;
            } else if (vtTarget == VT_BOOL && arg.vt == (VT_BYREF | VT_BOOL) && arg.pboolVal) {
                m_pBoolTargets[i] = arg.pboolVal;
                m_bools[i] = *arg.pboolVal != VARIANT_FALSE;
            } else if (vtTarget == VT_DISPATCH && arg.vt == (VT_BYREF | VT_DISPATCH)) {
                m_ppDispatch[i] = arg.ppdispVal;  // may be null: the handler has nowhere to answer, and says so
            } else {
                if (m_pEvent->puArgError) *m_pEvent->puArgError = cArgs - 1 - static_cast<UINT>(i);
                return DISP_E_TYPEMISMATCH;
            }
        } else if (FAILED(::VariantChangeType(&m_args[i], &arg, 0, vt))) {
            if (m_pEvent->puArgError) *m_pEvent->puArgError = cArgs - 1 - static_cast<UINT>(i);
            return DISP_E_TYPEMISMATCH;
        }
    }
    return S_OK;
}

void CEventArgs::WriteBack()
{
    for (int i = 0; i < m_nArgs; ++i) {
        if (m_pBoolTargets[i]) *m_pBoolTargets[i] = m_bools[i] ? VARIANT_TRUE : VARIANT_FALSE;
    }
}
