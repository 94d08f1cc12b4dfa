#pragma once
#include <windows.h>
#include <ole2.h>
#include "runtime_class.h"

class CCmdTarget;
class CCmdUI;
class CWnd;

// Command codes routed through OnCmdMsg.
#define CN_COMMAND              0
#define CN_UPDATE_COMMAND_UI    static_cast<UINT>(-1)

// Notifications a parent hands back to the child control that sent them (ON_CONTROL_REFLECT).
#define WM_REFLECT_BASE         0xBC00

// Sent by the message loop at idle time so frames can update their bars (wParam TRUE: disable commands without handler).
#define WM_IDLEUPDATECMDUI      0x0363

// The arguments of one message or command being dispatched to a map entry.
struct AFX_MSGCALL {
    UINT nMessage;
    UINT nID;
    WPARAM wParam;
    LPARAM lParam;
    void* pExtra;      // CCmdUI* for update handlers
    LRESULT lResult;
};

// Each entry's function unpacks AFX_MSGCALL and calls the handler with its typed arguments.
using AFX_PMSG = void (*)(CCmdTarget* pTarget, AFX_MSGCALL& call);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;                     // window message; WM_COMMAND for commands; 0 ends the map
    UINT nCode;                        // CN_COMMAND, CN_UPDATE_COMMAND_UI or a notification code
    UINT nID;                          // first command or control id
    UINT nLastID;                      // last id of a range
    const UINT* pnRegisteredMessage;   // for ON_REGISTERED_MESSAGE: the registered message's variable
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// Filled in by OnCmdMsg instead of calling the handler, to ask whether one exists.
struct AFX_CMDHANDLERINFO {
    CCmdTarget* pTarget;
};

// Interface maps: a command target can be a COM object whose interfaces are
// nested classes sharing its identity and reference count.
struct AFX_INTERFACEMAP_ENTRY {
    const IID* piid;                       // null ends the map
    void* (*pfnGetInterface)(CCmdTarget*); // the nested interface object of the target
};

struct AFX_INTERFACEMAP {
    const AFX_INTERFACEMAP* (*pfnGetBaseMap)();
    const AFX_INTERFACEMAP_ENTRY* pEntry;
};

// One event fired by a hosted control.
struct AFX_EVENT {
    DISPID dispid;
    DISPPARAMS* pDispParams;
    EXCEPINFO* pExcepInfo;
    UINT* puArgError;
    HRESULT hResult;  // what the sink answers the control
};

// Decodes an event's DISPPARAMS and calls the typed handler; see event_sink_map.h.
using AFX_PEVENT = HRESULT (*)(CCmdTarget* pTarget, AFX_EVENT* pEvent);

struct AFX_EVENTSINKMAP_ENTRY {
    UINT nCtrlID;       // 0 ends the map
    DISPID dispid;
    const char* pszParams;
    AFX_PEVENT pfn;
};

struct AFX_EVENTSINKMAP {
    const AFX_EVENTSINKMAP* (*pfnGetBaseMap)();
    const AFX_EVENTSINKMAP_ENTRY* lpEntries;
};

// Base of every object that receives commands through a message map.
class CCmdTarget : public CObject {
public:
    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // Looks for a handler of nID/nCode in this object's maps; calls it unless pHandlerInfo asks only whether it exists.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);
    // Calls the event sink map's handler for this control's event; FALSE when there is none.
    virtual BOOL OnEvent(UINT idCtrl, AFX_EVENT* pEvent, AFX_CMDHANDLERINFO* pHandlerInfo);

    // COM identity through the interface maps. The object deletes itself
    // (OnFinalRelease) when the count it started with (1) reaches 0.
    DWORD InternalQueryInterface(const IID* iid, LPVOID* ppvObj);
    DWORD InternalAddRef();
    DWORD InternalRelease();
    DWORD ExternalQueryInterface(const void* iid, LPVOID* ppvObj) { return InternalQueryInterface(static_cast<const IID*>(iid), ppvObj); }
    DWORD ExternalAddRef() { return InternalAddRef(); }
    DWORD ExternalRelease() { return InternalRelease(); }
    // The target's IUnknown: the first interface of its map.
    LPUNKNOWN GetInterface(const void* iid);

protected:
    virtual void OnFinalRelease() { delete this; }

    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
    static const AFX_INTERFACEMAP* GetThisInterfaceMap();
    virtual const AFX_INTERFACEMAP* GetInterfaceMap() const;
    static const AFX_EVENTSINKMAP* GetThisEventSinkMap();
    virtual const AFX_EVENTSINKMAP* GetEventSinkMap() const;
    // First entry of this object's maps, most derived first, that matches; null if none.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const;

private:
    LONG m_dwRef = 1;  // changed only through InternalAddRef and InternalRelease
};

// The state of one menu item or bar button offered to an update handler.
class CCmdUI {
public:
    virtual ~CCmdUI() = default;

    UINT m_nID = 0;
    UINT m_nIndex = 0;           // position in the menu or bar
    HMENU m_hMenu = nullptr;     // the menu holding the item, or null
    CWnd* m_pOther = nullptr;    // the bar holding the button, or null
    BOOL m_bEnableChanged = FALSE;

    virtual void Enable(BOOL bOn = TRUE);
    virtual void SetCheck(int nCheck = 1);

    // Offers this item to pTarget's update handler; without one, the item is enabled exactly when a command handler exists.
    BOOL DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);
};

// Message map declaration and definition. The entry macros need ThisClass,
// which BEGIN_MESSAGE_MAP introduces.
#define DECLARE_MESSAGE_MAP() \
protected: \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass) \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap() \
    { \
        using ThisClass [[maybe_unused]] = theClass; \
        using TheBaseClass = baseClass; \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP() \
            {0, 0, 0, 0, nullptr, nullptr} \
        }; \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
        return &messageMap; \
    }

#define AFX_THIS(p) static_cast<ThisClass*>(p)

#define ON_COMMAND(id, memberFxn) \
    {WM_COMMAND, CN_COMMAND, (id), (id), nullptr, \
     [](CCmdTarget* p, AFX_MSGCALL&) { AFX_THIS(p)->memberFxn(); }},

#define ON_COMMAND_RANGE(id, idLast, memberFxn) \
    {WM_COMMAND, CN_COMMAND, (id), (idLast), nullptr, \
     [](CCmdTarget* p, AFX_MSGCALL& c) { AFX_THIS(p)->memberFxn(c.nID); }},

#define ON_UPDATE_COMMAND_UI(id, memberFxn) \
    {WM_COMMAND, CN_UPDATE_COMMAND_UI, (id), (id), nullptr, \
     [](CCmdTarget* p, AFX_MSGCALL& c) { AFX_THIS(p)->memberFxn(static_cast<CCmdUI*>(c.pExtra)); }},

#define ON_UPDATE_COMMAND_UI_RANGE(id, idLast, memberFxn) \
    {WM_COMMAND, CN_UPDATE_COMMAND_UI, (id), (idLast), nullptr, \
     [](CCmdTarget* p, AFX_MSGCALL& c) { AFX_THIS(p)->memberFxn(static_cast<CCmdUI*>(c.pExtra)); }},

#define ON_MESSAGE(message, memberFxn) \
    {(message), 0, 0, 0, nullptr, \
     [](CCmdTarget* p, AFX_MSGCALL& c) { c.lResult = AFX_THIS(p)->memberFxn(c.wParam, c.lParam); }},

#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn) \
    {0xC000, 0, 0, 0, &(nMessageVariable), \
     [](CCmdTarget* p, AFX_MSGCALL& c) { c.lResult = AFX_THIS(p)->memberFxn(c.wParam, c.lParam); }},

// Window messages with their usual unpacking.
#define ON_WM_CREATE() \
    {WM_CREATE, 0, 0, 0, nullptr, [](CCmdTarget* p, AFX_MSGCALL& c) { \
        c.lResult = AFX_THIS(p)->OnCreate(reinterpret_cast<LPCREATESTRUCTW>(c.lParam)); }},
#define ON_WM_DESTROY() \
    {WM_DESTROY, 0, 0, 0, nullptr, [](CCmdTarget* p, AFX_MSGCALL&) { AFX_THIS(p)->OnDestroy(); }},
#define ON_WM_CLOSE() \
    {WM_CLOSE, 0, 0, 0, nullptr, [](CCmdTarget* p, AFX_MSGCALL&) { AFX_THIS(p)->OnClose(); }},
#define ON_WM_PAINT() \
    {WM_PAINT, 0, 0, 0, nullptr, [](CCmdTarget* p, AFX_MSGCALL&) { AFX_THIS(p)->OnPaint(); }},
#define ON_WM_ERASEBKGND() \
    {WM_ERASEBKGND, 0, 0, 0, nullptr, [](CCmdTarget* p, AFX_MSGCALL& c) { \
        c.lResult = AFX_THIS(p)->OnEraseBkgnd(reinterpret_cast<HDC>(c.wParam)); }},
#define ON_WM_SIZE() \
    {WM_SIZE, 0, 0, 0, nullptr, [](CCmdTarget* p, AFX_MSGCALL& c) { \
        AFX_THIS(p)->OnSize(static_cast<UINT>(c.wParam), static_cast<short>(LOWORD(c.lParam)), \
                            static_cast<short>(HIWORD(c.lParam))); }},
#define ON_WM_TIMER() \
    {WM_TIMER, 0, 0, 0, nullptr, [](CCmdTarget* p, AFX_MSGCALL& c) { \
        AFX_THIS(p)->OnTimer(static_cast<UINT_PTR>(c.wParam)); }},
#define ON_WM_SETFOCUS() \
    {WM_SETFOCUS, 0, 0, 0, nullptr, [](CCmdTarget* p, AFX_MSGCALL& c) { \
        AFX_THIS(p)->OnSetFocus(CWnd::FromHandle(reinterpret_cast<HWND>(c.wParam))); }},
#define ON_WM_KILLFOCUS() \
    {WM_KILLFOCUS, 0, 0, 0, nullptr, [](CCmdTarget* p, AFX_MSGCALL& c) { \
        AFX_THIS(p)->OnKillFocus(CWnd::FromHandle(reinterpret_cast<HWND>(c.wParam))); }},
#define ON_WM_ACTIVATE() \
    {WM_ACTIVATE, 0, 0, 0, nullptr, [](CCmdTarget* p, AFX_MSGCALL& c) { \
        AFX_THIS(p)->OnActivate(LOWORD(c.wParam), CWnd::FromHandle(reinterpret_cast<HWND>(c.lParam)), \
                                HIWORD(c.wParam) != 0); }},
#define ON_WM_MOUSEMOVE() \
    {WM_MOUSEMOVE, 0, 0, 0, nullptr, [](CCmdTarget* p, AFX_MSGCALL& c) { \
        AFX_THIS(p)->OnMouseMove(static_cast<UINT>(c.wParam), \
                                 POINT{static_cast<short>(LOWORD(c.lParam)), static_cast<short>(HIWORD(c.lParam))}); }},
#define ON_WM_MOUSELEAVE() \
    {WM_MOUSELEAVE, 0, 0, 0, nullptr, [](CCmdTarget* p, AFX_MSGCALL&) { AFX_THIS(p)->OnMouseLeave(); }},
#define ON_WM_MOUSEWHEEL() \
    {WM_MOUSEWHEEL, 0, 0, 0, nullptr, [](CCmdTarget* p, AFX_MSGCALL& c) { \
        c.lResult = AFX_THIS(p)->OnMouseWheel(GET_KEYSTATE_WPARAM(c.wParam), GET_WHEEL_DELTA_WPARAM(c.wParam), \
                                              POINT{static_cast<short>(LOWORD(c.lParam)), static_cast<short>(HIWORD(c.lParam))}); }},
#define ON_WM_KEYDOWN() \
    {WM_KEYDOWN, 0, 0, 0, nullptr, [](CCmdTarget* p, AFX_MSGCALL& c) { \
        AFX_THIS(p)->OnKeyDown(static_cast<UINT>(c.wParam), LOWORD(c.lParam), HIWORD(c.lParam)); }},
#define ON_WM_GETDLGCODE() \
    {WM_GETDLGCODE, 0, 0, 0, nullptr, [](CCmdTarget* p, AFX_MSGCALL& c) { c.lResult = AFX_THIS(p)->OnGetDlgCode(); }},
#define ON_WM_WINDOWPOSCHANGING() \
    {WM_WINDOWPOSCHANGING, 0, 0, 0, nullptr, [](CCmdTarget* p, AFX_MSGCALL& c) { \
        AFX_THIS(p)->OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(c.lParam)); }},
#define ON_WM_WINDOWPOSCHANGED() \
    {WM_WINDOWPOSCHANGED, 0, 0, 0, nullptr, [](CCmdTarget* p, AFX_MSGCALL& c) { \
        AFX_THIS(p)->OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(c.lParam)); }},
// A WM_COMMAND notification with this code, handed back by the parent to the control that sent it.
#define ON_CONTROL_REFLECT(wNotifyCode, memberFxn) \
    {WM_REFLECT_BASE + WM_COMMAND, (wNotifyCode), 0, 0, nullptr, [](CCmdTarget* p, AFX_MSGCALL&) { AFX_THIS(p)->memberFxn(); }},
#define ON_WM_INITMENUPOPUP() \
    {WM_INITMENUPOPUP, 0, 0, 0, nullptr, [](CCmdTarget* p, AFX_MSGCALL& c) { \
        AFX_THIS(p)->OnInitMenuPopup(reinterpret_cast<HMENU>(c.wParam), LOWORD(c.lParam), \
                                     HIWORD(c.lParam) != 0); }},

// Interface map declaration and definition (nested classes in the MFC manner).
#define DECLARE_INTERFACE_MAP() \
protected: \
    static const AFX_INTERFACEMAP* GetThisInterfaceMap(); \
    const AFX_INTERFACEMAP* GetInterfaceMap() const override;

#define BEGIN_INTERFACE_MAP(theClass, baseClass) \
    const AFX_INTERFACEMAP* theClass::GetInterfaceMap() const { return GetThisInterfaceMap(); } \
    const AFX_INTERFACEMAP* theClass::GetThisInterfaceMap() \
    { \
        using TheBaseClass = baseClass; \
        static const AFX_INTERFACEMAP_ENTRY _interfaceEntries[] = {

#define INTERFACE_PART(theClass, iid, localClass) \
            {&(iid), [](CCmdTarget* p) -> void* { return &static_cast<theClass*>(p)->m_x##localClass; }},

#define END_INTERFACE_MAP() \
            {nullptr, nullptr} \
        }; \
        static const AFX_INTERFACEMAP interfaceMap = {&TheBaseClass::GetThisInterfaceMap, &_interfaceEntries[0]}; \
        return &interfaceMap; \
    }

// A nested interface class; it knows its outer object and shares its identity.
#define BEGIN_INTERFACE_PART(localClass, baseClass) \
    class X##localClass : public baseClass { \
    public: \
        explicit X##localClass(CCmdTarget* pOwner) : m_pOwner(pOwner) {} \
        X##localClass(const X##localClass&) = delete; \
        X##localClass& operator=(const X##localClass&) = delete; \
        STDMETHOD_(ULONG, AddRef)() override; \
        STDMETHOD_(ULONG, Release)() override; \
        STDMETHOD(QueryInterface)(REFIID iid, LPVOID* ppvObj) override; \
        CCmdTarget* const m_pOwner;

#define END_INTERFACE_PART(localClass) \
    } m_x##localClass{this}; \
    friend class X##localClass;

#define METHOD_PROLOGUE_EX(theClass, localClass) \
    theClass* pThis = static_cast<theClass*>(m_pOwner); \
    (void)pThis;

// The IUnknown of a nested interface: the outer object's identity and count.
#define IMPLEMENT_NESTED_IUNKNOWN(theClass, localClass) \
    STDMETHODIMP_(ULONG) theClass::X##localClass::AddRef() { return m_pOwner->ExternalAddRef(); } \
    STDMETHODIMP_(ULONG) theClass::X##localClass::Release() { return m_pOwner->ExternalRelease(); } \
    STDMETHODIMP theClass::X##localClass::QueryInterface(REFIID iid, LPVOID* ppvObj) \
    { \
        return static_cast<HRESULT>(m_pOwner->ExternalQueryInterface(&iid, ppvObj)); \
    }
