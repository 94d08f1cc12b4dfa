#pragma once
#include "cmd_target.h"

#include <type_traits>
#include <utility>

// Parameter codes of event handlers: a VARTYPE per parameter, 0x40 marking a
// pointer parameter whose value the handler may change.
#define VTS_NONE        ""
#define VTS_I4          "\x03"
#define VTS_BSTR        "\x08"
#define VTS_DISPATCH    "\x09"
#define VTS_BOOL        "\x0B"
#define VTS_PDISPATCH   "\x49"
#define VTS_PBOOL       "\x4B"
#define VTS_PVARIANT    "\x4C"

// The arguments of one event, converted to a handler's parameter types.
class CEventArgs {
public:
    CEventArgs(AFX_EVENT* pEvent, const char* pszParams);
    ~CEventArgs();
    CEventArgs(const CEventArgs&) = delete;
    CEventArgs& operator=(const CEventArgs&) = delete;

    // Converts every argument; fails with the HRESULT a sink answers when the event does not fit the list.
    HRESULT Prepare();
    // Writes what the handler left in its BOOL* parameters back to the control's VARIANT_BOOLs; after a
    // handler that threw as well.
    void WriteBack();

    static constexpr int kMaxArgs = 12;
    char Code(int i) const { return m_pszParams[i]; }
    VARIANT& Arg(int i) { return m_args[i]; }  // natural order, converted by value where the code asks for it
    BOOL* BoolPtr(int i) { return &m_bools[i]; }
    VARIANT* VariantPtr(int i) { return m_pVariants[i]; }
    IDispatch** DispatchPtr(int i) { return m_ppDispatch[i]; }

private:
    AFX_EVENT* m_pEvent;
    const char* m_pszParams;
    int m_nArgs;
    VARIANT m_args[kMaxArgs];
    BOOL m_bools[kMaxArgs] = {};
    VARIANT_BOOL* m_pBoolTargets[kMaxArgs] = {};
    VARIANT* m_pVariants[kMaxArgs] = {};
    IDispatch** m_ppDispatch[kMaxArgs] = {};
};

// How a handler parameter type is taken from the arguments, and the code it needs.
template <class T> struct AfxEventParam;
template <> struct AfxEventParam<long> {
    static constexpr char code = '\x03';
    static long Get(CEventArgs& a, int i) { return a.Arg(i).lVal; }
};
template <> struct AfxEventParam<BOOL> {
    static constexpr char code = '\x0B';
    static BOOL Get(CEventArgs& a, int i) { return a.Arg(i).boolVal != VARIANT_FALSE; }
};
template <> struct AfxEventParam<BSTR> {
    static constexpr char code = '\x08';
    static BSTR Get(CEventArgs& a, int i) { return a.Arg(i).bstrVal; }
};
template <> struct AfxEventParam<LPCWSTR> {
    static constexpr char code = '\x08';
    static LPCWSTR Get(CEventArgs& a, int i) { return a.Arg(i).bstrVal; }
};
template <> struct AfxEventParam<IDispatch*> {
    static constexpr char code = '\x09';
    static IDispatch* Get(CEventArgs& a, int i) { return a.Arg(i).pdispVal; }
};
template <> struct AfxEventParam<IDispatch**> {
    static constexpr char code = '\x49';
    static IDispatch** Get(CEventArgs& a, int i) { return a.DispatchPtr(i); }
};
template <> struct AfxEventParam<BOOL*> {
    static constexpr char code = '\x4B';
    static BOOL* Get(CEventArgs& a, int i) { return a.BoolPtr(i); }
};
template <> struct AfxEventParam<VARIANT*> {
    static constexpr char code = '\x4C';
    static VARIANT* Get(CEventArgs& a, int i) { return a.VariantPtr(i); }
};

// Whether a VTS_ list names exactly the handler's parameter types; ON_EVENT checks it at build time.
template <class TClass, class R, class... Args>
constexpr bool AfxEventParamsMatch(R (TClass::*)(Args...), const char* pszParams)
{
    const char codes[] = {AfxEventParam<Args>::code..., '\0'};
    for (size_t i = 0; i <= sizeof...(Args); ++i) {
        if (pszParams[i] != codes[i]) return false;
        if (pszParams[i] == '\0') break;
    }
    return true;
}

template <class TClass, class R, class... Args, size_t... I>
HRESULT AfxCallEventHandlerImpl(TClass* pTarget, R (TClass::*pfn)(Args...), CEventArgs& args,
                                std::index_sequence<I...>)
{
    try {
        (pTarget->*pfn)(AfxEventParam<Args>::Get(args, static_cast<int>(I))...);
    } catch (...) {
        // What the handler answered before it failed still reaches the control: one that refuses first
        // (a new window's Cancel) stays refused however it ends.
        args.WriteBack();
        throw;
    }
    args.WriteBack();
    return S_OK;
}

// Decodes the event against its parameter list and calls the handler with typed arguments.
template <class TClass, class R, class... Args>
HRESULT AfxCallEventHandler(TClass* pTarget, R (TClass::*pfn)(Args...), AFX_EVENT* pEvent, const char* pszParams)
{
    static_assert(sizeof...(Args) <= CEventArgs::kMaxArgs);
    CEventArgs args(pEvent, pszParams);
    HRESULT hr = args.Prepare();
    if (FAILED(hr)) return hr;
    return AfxCallEventHandlerImpl(pTarget, pfn, args, std::index_sequence_for<Args...>{});
}

#define DECLARE_EVENTSINK_MAP() \
protected: \
    static const AFX_EVENTSINKMAP* GetThisEventSinkMap(); \
    const AFX_EVENTSINKMAP* GetEventSinkMap() const override;

#define BEGIN_EVENTSINK_MAP(theClass, baseClass) \
    const AFX_EVENTSINKMAP* theClass::GetEventSinkMap() const { return GetThisEventSinkMap(); } \
    const AFX_EVENTSINKMAP* theClass::GetThisEventSinkMap() \
    { \
        using TheBaseClass = baseClass; \
        static const AFX_EVENTSINKMAP_ENTRY _eventEntries[] = {

// A handler of the control with id, for event dispid, taking the parameters the VTS_ list names.
#define ON_EVENT(theClass, id, dispid, pfnHandler, vtsParams) \
            {(id), (dispid), (vtsParams), [](CCmdTarget* p, AFX_EVENT* pEvent) -> HRESULT { \
                 static_assert(AfxEventParamsMatch(&theClass::pfnHandler, vtsParams), \
                               "the VTS_ list of " #pfnHandler " does not match its parameters"); \
                 return AfxCallEventHandler(static_cast<theClass*>(p), &theClass::pfnHandler, pEvent, vtsParams); }},

#define END_EVENTSINK_MAP() \
            {0, 0, nullptr, nullptr} \
        }; \
        static const AFX_EVENTSINKMAP eventSinkMap = {&TheBaseClass::GetThisEventSinkMap, &_eventEntries[0]}; \
        return &eventSinkMap; \
    }
