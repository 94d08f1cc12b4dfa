#include "ole_control_container.h"
#include "ole.h"
#include "ole_control_site.h"
#include "wnd.h"

#include <new>

BEGIN_INTERFACE_MAP(COleControlContainer, CCmdTarget)
    INTERFACE_PART(COleControlContainer, IID_IOleInPlaceFrame, OleIPFrame)
    INTERFACE_PART(COleControlContainer, IID_IOleInPlaceUIWindow, OleIPFrame)
    INTERFACE_PART(COleControlContainer, IID_IOleWindow, OleIPFrame)
    INTERFACE_PART(COleControlContainer, IID_IOleContainer, OleContainer)
    INTERFACE_PART(COleControlContainer, IID_IParseDisplayName, OleContainer)
END_INTERFACE_MAP()

COleControlContainer::COleControlContainer(CWnd* pWnd) : m_pWnd(pWnd)
{
}

COleControlContainer::~COleControlContainer()
{
    DestroyAll();
}

BOOL COleControlContainer::CreateControl(CWnd* pWndCtrl, REFCLSID clsid, LPCWSTR lpszWindowName, DWORD dwStyle,
                                         const RECT& rect, UINT nID)
{
    COccManager* pManager = AfxGetOccManager();
    COleControlSite* pSite = pManager ? pManager->CreateSite(this) : nullptr;
    if (!pSite) pSite = new (std::nothrow) COleControlSite(this);
    if (!pSite) return FALSE;
    m_listSites.AddTail(pSite);
    if (FAILED(pSite->CreateControl(pWndCtrl, clsid, lpszWindowName, dwStyle, rect, nID))) {
        DestroyControlSite(pSite);
        return FALSE;
    }
    return TRUE;
}

void COleControlContainer::DestroyControlSite(COleControlSite* pSite)
{
    POSITION pos = m_listSites.Find(pSite);
    if (!pos) return;
    m_listSites.RemoveAt(pos);
    pSite->DestroyControl();
    // The site goes when the control has let go of it too.
    pSite->m_pCtrlCont = nullptr;
    pSite->InternalRelease();
}

void COleControlContainer::DestroyAll()
{
    while (!m_listSites.IsEmpty()) DestroyControlSite(m_listSites.GetHead());
}

BOOL COleControlContainer::GetAmbientProp(COleControlSite* pSite, DISPID dispid, VARIANT* pvarResult)
{
    ::VariantInit(pvarResult);
    switch (dispid) {
    case DISPID_AMBIENT_BACKCOLOR:
        pvarResult->vt = VT_I4;
        pvarResult->lVal = static_cast<LONG>(::GetSysColor(COLOR_WINDOW));
        return TRUE;
    case DISPID_AMBIENT_FORECOLOR:
        pvarResult->vt = VT_I4;
        pvarResult->lVal = static_cast<LONG>(::GetSysColor(COLOR_WINDOWTEXT));
        return TRUE;
    case DISPID_AMBIENT_DISPLAYNAME:
        pvarResult->vt = VT_BSTR;
        pvarResult->bstrVal = pSite ? pSite->m_strName.AllocSysString() : ::SysAllocString(L"");
        return TRUE;
    case DISPID_AMBIENT_FONT: {
        NONCLIENTMETRICSW ncm{};
        ncm.cbSize = sizeof(ncm);
        ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0);
        FONTDESC desc{sizeof(FONTDESC), ncm.lfMessageFont.lfFaceName, {{9 * 10000, 0}},
                      static_cast<SHORT>(ncm.lfMessageFont.lfWeight), DEFAULT_CHARSET, FALSE, FALSE, FALSE};
        if (FAILED(::OleCreateFontIndirect(&desc, IID_IFontDisp, reinterpret_cast<void**>(&pvarResult->pdispVal)))) {
            return FALSE;
        }
        pvarResult->vt = VT_DISPATCH;
        return TRUE;
    }
    case DISPID_AMBIENT_LOCALEID:
        pvarResult->vt = VT_I4;
        pvarResult->lVal = static_cast<LONG>(::GetThreadLocale());
        return TRUE;
    case DISPID_AMBIENT_MESSAGEREFLECT:
    case DISPID_AMBIENT_USERMODE:
    case DISPID_AMBIENT_SUPPORTSMNEMONICS:
    case DISPID_AMBIENT_AUTOCLIP:
        pvarResult->vt = VT_BOOL;
        pvarResult->boolVal = VARIANT_TRUE;
        return TRUE;
    case DISPID_AMBIENT_UIDEAD:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_SHOWHATCHING:
    case DISPID_AMBIENT_DISPLAYASDEFAULT:
        pvarResult->vt = VT_BOOL;
        pvarResult->boolVal = VARIANT_FALSE;
        return TRUE;
    case DISPID_AMBIENT_SCALEUNITS:
        pvarResult->vt = VT_BSTR;
        pvarResult->bstrVal = ::SysAllocString(L"");
        return TRUE;
    case DISPID_AMBIENT_TEXTALIGN:
        pvarResult->vt = VT_I2;
        pvarResult->iVal = 0;  // general: text left, numbers right
        return TRUE;
    case DISPID_AMBIENT_APPEARANCE:
        pvarResult->vt = VT_I2;
        pvarResult->iVal = 1;  // three-dimensional
        return TRUE;
    default:
        return FALSE;
    }
}

// IOleInPlaceFrame: the container takes no menus, tools or status text from the control.
IMPLEMENT_NESTED_IUNKNOWN(COleControlContainer, OleIPFrame)

STDMETHODIMP COleControlContainer::XOleIPFrame::GetWindow(HWND* phwnd)
{
    METHOD_PROLOGUE_EX(COleControlContainer, OleIPFrame)
    if (!phwnd) return E_POINTER;
    *phwnd = pThis->m_pWnd ? ::GetAncestor(pThis->m_pWnd->m_hWnd, GA_ROOT) : nullptr;
    return *phwnd ? S_OK : E_FAIL;
}
STDMETHODIMP COleControlContainer::XOleIPFrame::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }
STDMETHODIMP COleControlContainer::XOleIPFrame::GetBorder(LPRECT) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP COleControlContainer::XOleIPFrame::RequestBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP COleControlContainer::XOleIPFrame::SetBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP COleControlContainer::XOleIPFrame::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) { return S_OK; }
STDMETHODIMP COleControlContainer::XOleIPFrame::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return S_OK; }
STDMETHODIMP COleControlContainer::XOleIPFrame::SetMenu(HMENU, HOLEMENU, HWND) { return S_OK; }
STDMETHODIMP COleControlContainer::XOleIPFrame::RemoveMenus(HMENU) { return S_OK; }
STDMETHODIMP COleControlContainer::XOleIPFrame::SetStatusText(LPCOLESTR) { return S_OK; }
STDMETHODIMP COleControlContainer::XOleIPFrame::EnableModeless(BOOL) { return S_OK; }
STDMETHODIMP COleControlContainer::XOleIPFrame::TranslateAccelerator(LPMSG, WORD) { return S_FALSE; }

// IOleContainer
IMPLEMENT_NESTED_IUNKNOWN(COleControlContainer, OleContainer)

STDMETHODIMP COleControlContainer::XOleContainer::ParseDisplayName(IBindCtx*, LPOLESTR, ULONG*, IMoniker** ppmkOut)
{
    if (ppmkOut) *ppmkOut = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP COleControlContainer::XOleContainer::EnumObjects(DWORD, IEnumUnknown** ppenum)
{
    if (ppenum) *ppenum = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP COleControlContainer::XOleContainer::LockContainer(BOOL) { return S_OK; }
