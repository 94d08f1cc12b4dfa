#pragma once
#include "cmd_target.h"
#include "collections.h"

#include <ocidl.h>

class COleControlSite;
class CWnd;

// The controls hosted in one window: it owns their sites and acts as their
// in-place frame and OLE container.
class COleControlContainer : public CCmdTarget {
public:
    explicit COleControlContainer(CWnd* pWnd);
    ~COleControlContainer() override;

    // Makes a site through the control-site manager, creates the control in it and binds pWndCtrl to its window.
    BOOL CreateControl(CWnd* pWndCtrl, REFCLSID clsid, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                       UINT nID);
    // Tears down one control and deletes its site.
    void DestroyControlSite(COleControlSite* pSite);
    // Tears down every control; the container window is going away.
    void DestroyAll();
    // Answers the standard ambient properties for a site; FALSE for any other DISPID.
    virtual BOOL GetAmbientProp(COleControlSite* pSite, DISPID dispid, VARIANT* pvarResult);

    CWnd* m_pWnd;                     // the container window; not owned
    CList<COleControlSite*> m_listSites;

protected:
    BEGIN_INTERFACE_PART(OleIPFrame, IOleInPlaceFrame)
        STDMETHOD(GetWindow)(HWND*) override;
        STDMETHOD(ContextSensitiveHelp)(BOOL) override;
        STDMETHOD(GetBorder)(LPRECT) override;
        STDMETHOD(RequestBorderSpace)(LPCBORDERWIDTHS) override;
        STDMETHOD(SetBorderSpace)(LPCBORDERWIDTHS) override;
        STDMETHOD(SetActiveObject)(IOleInPlaceActiveObject*, LPCOLESTR) override;
        STDMETHOD(InsertMenus)(HMENU, LPOLEMENUGROUPWIDTHS) override;
        STDMETHOD(SetMenu)(HMENU, HOLEMENU, HWND) override;
        STDMETHOD(RemoveMenus)(HMENU) override;
        STDMETHOD(SetStatusText)(LPCOLESTR) override;
        STDMETHOD(EnableModeless)(BOOL) override;
        STDMETHOD(TranslateAccelerator)(LPMSG, WORD) override;
    END_INTERFACE_PART(OleIPFrame)

    BEGIN_INTERFACE_PART(OleContainer, IOleContainer)
        STDMETHOD(ParseDisplayName)(IBindCtx*, LPOLESTR, ULONG*, IMoniker**) override;
        STDMETHOD(EnumObjects)(DWORD, IEnumUnknown**) override;
        STDMETHOD(LockContainer)(BOOL) override;
    END_INTERFACE_PART(OleContainer)

    DECLARE_INTERFACE_MAP()
};
