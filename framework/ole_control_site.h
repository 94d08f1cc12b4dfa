#pragma once
#include "cmd_target.h"
#include "cstring.h"
#include "com_ptr.h"

#include <ocidl.h>
#include <olectl.h>

class COleControlContainer;
class CWnd;

// The site of one hosted ActiveX control: its client site, in-place site,
// control site, ambient properties and event sink, as nested interfaces of
// one COM object owned by the container. Derived sites extend its interface
// map; entries of a derived map are found first.
class COleControlSite : public CCmdTarget {
public:
    explicit COleControlSite(COleControlContainer* pCtrlCont);
    ~COleControlSite() override;

    // Creates the control, activates it in place in the container window and binds pWndCtrl to its window.
    HRESULT CreateControl(CWnd* pWndCtrl, REFCLSID clsid, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                          UINT nID);
    // Deactivates, closes and releases the control; the site stays until the container deletes it.
    void DestroyControl();
    void SetObjectRects(const RECT& rect);

    COleControlContainer* m_pCtrlCont;  // the container that owns this site
    CWnd* m_pWndCtrl = nullptr;         // the wrapper bound to the control's window; not owned
    HWND m_hWnd = nullptr;              // the control's window
    UINT m_nID = 0;
    RECT m_rect{};
    CString m_strName;
    CComPtr<IUnknown> m_pObject;        // the control
    CComPtr<IOleObject> m_pOleObject;
    CComPtr<IOleInPlaceObject> m_pInPlaceObject;
    IID m_iidEvents{};                  // the control's default event interface
    DWORD m_dwEventSink = 0;            // connection cookie, 0 when not connected
    void* m_pModuleState = nullptr;     // module state for AFX_MANAGE_STATE; this framework has one module

protected:
    BEGIN_INTERFACE_PART(OleClientSite, IOleClientSite)
        STDMETHOD(SaveObject)() override;
        STDMETHOD(GetMoniker)(DWORD, DWORD, IMoniker**) override;
        STDMETHOD(GetContainer)(IOleContainer**) override;
        STDMETHOD(ShowObject)() override;
        STDMETHOD(OnShowWindow)(BOOL) override;
        STDMETHOD(RequestNewObjectLayout)() override;
    END_INTERFACE_PART(OleClientSite)

    BEGIN_INTERFACE_PART(OleIPSite, IOleInPlaceSite)
        STDMETHOD(GetWindow)(HWND*) override;
        STDMETHOD(ContextSensitiveHelp)(BOOL) override;
        STDMETHOD(CanInPlaceActivate)() override;
        STDMETHOD(OnInPlaceActivate)() override;
        STDMETHOD(OnUIActivate)() override;
        STDMETHOD(GetWindowContext)(IOleInPlaceFrame**, IOleInPlaceUIWindow**, LPRECT, LPRECT, LPOLEINPLACEFRAMEINFO) override;
        STDMETHOD(Scroll)(SIZE) override;
        STDMETHOD(OnUIDeactivate)(BOOL) override;
        STDMETHOD(OnInPlaceDeactivate)() override;
        STDMETHOD(DiscardUndoState)() override;
        STDMETHOD(DeactivateAndUndo)() override;
        STDMETHOD(OnPosRectChange)(LPCRECT) override;
    END_INTERFACE_PART(OleIPSite)

    BEGIN_INTERFACE_PART(OleControlSite, IOleControlSite)
        STDMETHOD(OnControlInfoChanged)() override;
        STDMETHOD(LockInPlaceActive)(BOOL) override;
        STDMETHOD(GetExtendedControl)(IDispatch**) override;
        STDMETHOD(TransformCoords)(POINTL*, POINTF*, DWORD) override;
        STDMETHOD(TranslateAccelerator)(MSG*, DWORD) override;
        STDMETHOD(OnFocus)(BOOL) override;
        STDMETHOD(ShowPropertyFrame)() override;
    END_INTERFACE_PART(OleControlSite)

    // The container's ambient properties (OnAmbientProperty of the container window).
    BEGIN_INTERFACE_PART(AmbientProps, IDispatch)
        STDMETHOD(GetTypeInfoCount)(UINT*) override;
        STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo**) override;
        STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
        STDMETHOD(Invoke)(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;
    END_INTERFACE_PART(AmbientProps)

    // Receives the control's events; it answers QueryInterface for the event interface itself.
    BEGIN_INTERFACE_PART(EventSink, IDispatch)
        STDMETHOD(GetTypeInfoCount)(UINT*) override;
        STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo**) override;
        STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
        STDMETHOD(Invoke)(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;
    END_INTERFACE_PART(EventSink)

    DECLARE_INTERFACE_MAP()

private:
    void ConnectEvents();
    void DisconnectEvents();
    BOOL m_bInPlaceActive = FALSE;
};
