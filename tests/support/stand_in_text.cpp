#include "stand_in_state.h"

#include <exdisp.h>
#include <servprov.h>

#include "framework/interface_ids.h"

#include <cstdio>
#include <ostream>

namespace {

std::string Text(VARTYPE vt, const void* pValue);

// The value of a VT_BYREF variant's target, read in place.
std::string ByRefText(VARTYPE vt, const void* pTarget)
{
    if (!pTarget) return "null";
    return Text(vt, pTarget);
}

std::string SafeArrayText(const SAFEARRAY* psa)
{
    if (!psa) return "null";
    LONG lLower = 0, lUpper = -1;
    auto* pArray = const_cast<SAFEARRAY*>(psa);
    ::SafeArrayGetLBound(pArray, 1, &lLower);
    ::SafeArrayGetUBound(pArray, 1, &lUpper);
    std::string strBytes(static_cast<const char*>(psa->pvData), psa->pvData ? lUpper - lLower + 1 : 0);
    return "dims=" + std::to_string(::SafeArrayGetDim(pArray)) + ",lbound=" + std::to_string(lLower) +
           ",bytes=" + StandInHex(strBytes);
}

std::string Text(VARTYPE vt, const void* pValue)
{
    switch (vt) {
    case VT_EMPTY:
        return "EMPTY";
    case VT_NULL:
        return "NULL";
    case VT_BSTR: {
        BSTR bstr = *static_cast<const BSTR*>(pValue);
        return bstr ? "BSTR:" + StandInUtf8({bstr, ::SysStringLen(bstr)}) : "BSTR:null";
    }
    case VT_I4:
        return "I4:" + std::to_string(*static_cast<const LONG*>(pValue));
    case VT_I2:
        return "I2:" + std::to_string(*static_cast<const SHORT*>(pValue));
    case VT_UI4:
        return "UI4:" + std::to_string(*static_cast<const ULONG*>(pValue));
    case VT_INT:
        return "INT:" + std::to_string(*static_cast<const INT*>(pValue));
    case VT_UINT:
        return "UINT:" + std::to_string(*static_cast<const UINT*>(pValue));
    case VT_BOOL: {
        VARIANT_BOOL b = *static_cast<const VARIANT_BOOL*>(pValue);
        return b == VARIANT_TRUE ? "BOOL:true" : b == VARIANT_FALSE ? "BOOL:false" : "BOOL:" + std::to_string(b);
    }
    case VT_ERROR:
        return "ERROR:" + StandInHexText(static_cast<ULONG>(*static_cast<const SCODE*>(pValue)));
    case VT_DISPATCH:
        return "DISPATCH:" + StandInSetText(*static_cast<IDispatch* const*>(pValue));
    case VT_UNKNOWN:
        return "UNKNOWN:" + StandInSetText(*static_cast<IUnknown* const*>(pValue));
    case VT_ARRAY | VT_UI1:
        return "ARRAY|UI1:" + SafeArrayText(*static_cast<SAFEARRAY* const*>(pValue));
    default:
        return "VT=" + StandInHexText(vt);
    }
}

}  // namespace

std::optional<std::string> StandInCall::Arg(std::string_view key) const
{
    for (const std::string& strArg : args) {
        if (strArg.size() > key.size() && strArg.compare(0, key.size(), key) == 0 && strArg[key.size()] == '=')
            return strArg.substr(key.size() + 1);
    }
    return std::nullopt;
}

void PrintTo(const StandInCall& call, std::ostream* os)
{
    *os << call.method << '(';
    for (size_t i = 0; i < call.args.size(); ++i) *os << (i ? ", " : "") << call.args[i];
    *os << ')';
}

std::string StandInVariantText(const VARIANT* pVar)
{
    if (!pVar) return "none";
    VARTYPE vt = V_VT(pVar);
    if (vt == (VT_VARIANT | VT_BYREF)) return "REF:" + StandInVariantText(V_VARIANTREF(pVar));
    if (vt & VT_BYREF) return "REF|" + ByRefText(vt & ~VT_BYREF, V_BYREF(pVar));
    return Text(vt, &pVar->bstrVal);  // every member of the value union starts at the same place
}

std::string StandInHrText(HRESULT hr)
{
    switch (hr) {
    case S_OK: return "S_OK";
    case S_FALSE: return "S_FALSE";
    case E_NOTIMPL: return "E_NOTIMPL";
    case E_NOINTERFACE: return "E_NOINTERFACE";
    case E_POINTER: return "E_POINTER";
    case E_FAIL: return "E_FAIL";
    case E_INVALIDARG: return "E_INVALIDARG";
    case E_UNEXPECTED: return "E_UNEXPECTED";
    case E_OUTOFMEMORY: return "E_OUTOFMEMORY";
    case DISP_E_MEMBERNOTFOUND: return "DISP_E_MEMBERNOTFOUND";
    case OLECMDERR_E_NOTSUPPORTED: return "OLECMDERR_E_NOTSUPPORTED";
    default: {
        char sz[16];
        std::snprintf(sz, sizeof(sz), "0x%08lX", static_cast<unsigned long>(hr));
        return sz;
    }
    }
}

std::string StandInHex(std::string_view bytes)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string strHex;
    for (unsigned char c : bytes) {
        strHex += kDigits[c >> 4];
        strHex += kDigits[c & 0xf];
    }
    return strHex;
}

std::string StandInUtf8(std::wstring_view str)
{
    if (str.empty()) return {};
    int cb = ::WideCharToMultiByte(CP_UTF8, 0, str.data(), static_cast<int>(str.size()), nullptr, 0, nullptr, nullptr);
    std::string strUtf8(cb, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, str.data(), static_cast<int>(str.size()), strUtf8.data(), cb, nullptr, nullptr);
    return strUtf8;
}

std::string StandInGuidText(const GUID* pGuid)
{
    if (!pGuid) return "null";
    static const std::pair<const GUID*, const char*> kNames[] = {
        {&IID_IUnknown, "IUnknown"},
        {&IID_IDispatch, "IDispatch"},
        {&IID_IWebBrowser2, "IWebBrowser2"},
        {&IID_IWebBrowserApp, "IWebBrowserApp"},
        {&IID_IWebBrowser, "IWebBrowser"},
        {&DIID_DWebBrowserEvents2, "DWebBrowserEvents2"},
        {&DIID_DWebBrowserEvents, "DWebBrowserEvents"},
        {&IID_IOleClientSite, "IOleClientSite"},
        {&IID_IOleInPlaceSite, "IOleInPlaceSite"},
        {&IID_IOleCommandTarget, "IOleCommandTarget"},
        {&IID_IDocHostUIHandler, "IDocHostUIHandler"},
        {&IID_IDocHostShowUI, "IDocHostShowUI"},
        {&IID_IServiceProvider, "IServiceProvider"},
        {&IID_ITravelLogStg, "ITravelLogStg"},
        {&CGID_IWebBrowser, "CGID_IWebBrowser"},
    };
    for (const auto& [pKnown, pszName] : kNames) {
        if (::IsEqualGUID(*pGuid, *pKnown)) return pszName;
    }
    wchar_t sz[40] = {};
    ::StringFromGUID2(*pGuid, sz, 40);
    return StandInUtf8(sz);
}

std::string StandInHexText(ULONG_PTR n)
{
    char sz[24];
    std::snprintf(sz, sizeof(sz), "0x%llx", static_cast<unsigned long long>(n));
    return sz;
}

std::string StandInRectText(const RECT* pRect)
{
    if (!pRect) return "none";
    return std::to_string(pRect->left) + "," + std::to_string(pRect->top) + "," + std::to_string(pRect->right) + "," +
           std::to_string(pRect->bottom);
}
