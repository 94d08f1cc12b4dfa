#include "imp_idispatch.h"

#include <cwchar>

namespace {

constexpr const wchar_t* kMethodNames[] = {L"AddFavorite", L"ShowBrowserUI", L"msAddSiteMode"};

}  // namespace

STDMETHODIMP CImpIDispatch::GetTypeInfoCount(UINT*) { return E_NOTIMPL; }
STDMETHODIMP CImpIDispatch::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }

STDMETHODIMP CImpIDispatch::GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId)
{
    if (cNames && (!rgszNames || !rgDispId)) return E_POINTER;
    // A page's script calls in with arrays of the engine's making: a bad one is declined, not followed out.
    return AfxComBoundary([&] {
        for (UINT i = 0; i < cNames; ++i) {
            rgDispId[i] = DISPID_UNKNOWN;
            for (DISPID id = 0; id < 3; ++id) {
                if (rgszNames[i] && ::_wcsicmp(rgszNames[i], kMethodNames[id]) == 0) {
                    rgDispId[i] = id + 1;
                    break;
                }
            }
        }
        // Unknown names are not an error: their calls answer true as well.
        return S_OK;
    });
}

STDMETHODIMP CImpIDispatch::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* pVarResult, EXCEPINFO*, UINT*)
{
    return AfxComBoundary([&] {
        if (pVarResult) {
            ::VariantInit(pVarResult);
            pVarResult->vt = VT_BOOL;
            pVarResult->boolVal = 1;  // 1, not VARIANT_TRUE: what pages of this host have always received
        }
        return S_OK;
    });
}
