#include <gtest/gtest.h>

#include "framework/afx.h"

#include <stdexcept>
#include <string>

namespace {

constexpr UINT kCtrlId = 0xE900;

// Receives events the way the web view does, one handler per parameter shape.
class CEventTarget : public CCmdTarget {
public:
    std::wstring strLog;
    BOOL bCancelToSet = TRUE;
    bool bThrowAfterCancel = false;
    IDispatch* pDispToReturn = nullptr;

protected:
    BOOL OnNavigate(IDispatch* pDisp, VARIANT* pURL, BOOL* pbCancel)
    {
        strLog = std::wstring(pDisp ? L"disp " : L"null ") + (pURL->vt == VT_BSTR ? pURL->bstrVal : L"?");
        *pbCancel = bCancelToSet;
        if (bThrowAfterCancel) throw std::runtime_error("after the answer");
        return TRUE;
    }
    BOOL OnText(BSTR bstrText)
    {
        strLog = bstrText ? bstrText : L"(null)";
        return TRUE;
    }
    BOOL OnState(long nCommand, BOOL bEnable)
    {
        strLog = std::to_wstring(nCommand) + (bEnable ? L" on" : L" off");
        return TRUE;
    }
    BOOL OnNewWindow(IDispatch** ppDisp, BOOL* pbCancel)
    {
        if (!ppDisp) {
            strLog = L"new window, nowhere to answer";
            return TRUE;
        }
        *ppDisp = pDispToReturn;
        *pbCancel = FALSE;
        strLog = L"new window";
        return TRUE;
    }
    BOOL OnNothing()
    {
        strLog = L"nothing";
        return TRUE;
    }
    DECLARE_EVENTSINK_MAP()
};

BEGIN_EVENTSINK_MAP(CEventTarget, CCmdTarget)
    ON_EVENT(CEventTarget, kCtrlId, 250, OnNavigate, VTS_DISPATCH VTS_PVARIANT VTS_PBOOL)
    ON_EVENT(CEventTarget, kCtrlId, 113, OnText, VTS_BSTR)
    ON_EVENT(CEventTarget, kCtrlId, 105, OnState, VTS_I4 VTS_BOOL)
    ON_EVENT(CEventTarget, kCtrlId, 251, OnNewWindow, VTS_PDISPATCH VTS_PBOOL)
    ON_EVENT(CEventTarget, kCtrlId, 106, OnNothing, VTS_NONE)
END_EVENTSINK_MAP()

HRESULT Fire(CEventTarget& target, UINT idCtrl, DISPID dispid, VARIANT* args, UINT cArgs, BOOL* pbHandled = nullptr)
{
    DISPPARAMS params{args, nullptr, cArgs, 0};
    AFX_EVENT event{dispid, &params, nullptr, nullptr, S_OK};
    BOOL bHandled = target.OnEvent(idCtrl, &event, nullptr);
    if (pbHandled) *pbHandled = bHandled;
    return event.hResult;
}

TEST(EventSinkMapTest, ArgumentsArriveTypedAndByReferenceResultsGoBack)
{
    CEventTarget target;
    // DISPPARAMS holds the arguments last first, as controls pass them.
    VARIANT url;
    url.vt = VT_BSTR;
    url.bstrVal = ::SysAllocString(L"http://a/");
    VARIANT_BOOL vbCancel = VARIANT_FALSE;
    VARIANT args[3];
    args[2].vt = VT_DISPATCH;
    args[2].pdispVal = nullptr;
    args[1].vt = VT_BYREF | VT_VARIANT;
    args[1].pvarVal = &url;
    args[0].vt = VT_BYREF | VT_BOOL;
    args[0].pboolVal = &vbCancel;
    EXPECT_EQ(Fire(target, kCtrlId, 250, args, 3), S_OK);
    EXPECT_EQ(target.strLog, L"null http://a/");
    EXPECT_EQ(vbCancel, VARIANT_TRUE);
    ::SysFreeString(url.bstrVal);

    VARIANT state[2];
    state[1].vt = VT_I4;
    state[1].lVal = 2;
    state[0].vt = VT_BOOL;
    state[0].boolVal = VARIANT_TRUE;
    EXPECT_EQ(Fire(target, kCtrlId, 105, state, 2), S_OK);
    EXPECT_EQ(target.strLog, L"2 on");

    VARIANT text;
    text.vt = VT_BSTR;
    text.bstrVal = ::SysAllocString(L"Title");
    EXPECT_EQ(Fire(target, kCtrlId, 113, &text, 1), S_OK);
    EXPECT_EQ(target.strLog, L"Title");
    ::SysFreeString(text.bstrVal);

    EXPECT_EQ(Fire(target, kCtrlId, 106, nullptr, 0), S_OK);
    EXPECT_EQ(target.strLog, L"nothing");
}

TEST(EventSinkMapTest, NewWindowHandlerFillsTheCallersPointer)
{
    CEventTarget target;
    target.pDispToReturn = reinterpret_cast<IDispatch*>(0x1234);
    IDispatch* pDisp = nullptr;
    VARIANT_BOOL vbCancel = VARIANT_TRUE;
    VARIANT args[2];
    args[1].vt = VT_BYREF | VT_DISPATCH;
    args[1].ppdispVal = &pDisp;
    args[0].vt = VT_BYREF | VT_BOOL;
    args[0].pboolVal = &vbCancel;
    EXPECT_EQ(Fire(target, kCtrlId, 251, args, 2), S_OK);
    EXPECT_EQ(pDisp, reinterpret_cast<IDispatch*>(0x1234));
    EXPECT_EQ(vbCancel, VARIANT_FALSE);
}

TEST(EventSinkMapTest, NewWindowWithoutAPlaceForTheDispatchReachesTheHandlerWithNull)
{
    CEventTarget target;
    VARIANT_BOOL vbCancel = VARIANT_FALSE;
    VARIANT args[2];
    args[1].vt = VT_BYREF | VT_DISPATCH;
    args[1].ppdispVal = nullptr;
    args[0].vt = VT_BYREF | VT_BOOL;
    args[0].pboolVal = &vbCancel;
    EXPECT_EQ(Fire(target, kCtrlId, 251, args, 2), S_OK);
    EXPECT_EQ(target.strLog, L"new window, nowhere to answer");
}

TEST(EventSinkMapTest, AnswerOfAHandlerThatThrowsAfterwardsStillReachesTheControl)
{
    CEventTarget target;
    target.bThrowAfterCancel = true;
    VARIANT args[3];
    args[2].vt = VT_DISPATCH;
    args[2].pdispVal = nullptr;
    args[1].vt = VT_BSTR;
    args[1].bstrVal = ::SysAllocString(L"http://example.test/");
    VARIANT_BOOL vbCancel = VARIANT_FALSE;
    args[0].vt = VT_BYREF | VT_BOOL;
    args[0].pboolVal = &vbCancel;
    EXPECT_THROW(Fire(target, kCtrlId, 250, args, 3), std::runtime_error);
    EXPECT_EQ(vbCancel, VARIANT_TRUE);
    ::SysFreeString(args[1].bstrVal);
}

TEST(EventSinkMapTest, EventsThatDoNotFitReachNoHandler)
{
    CEventTarget target;
    VARIANT arg;
    arg.vt = VT_I4;
    arg.lVal = 7;
    BOOL bHandled = FALSE;
    struct Case {
        const char* name;
        UINT idCtrl;
        DISPID dispid;
        UINT cArgs;
        HRESULT hr;
        BOOL bHandled;
    };
    const Case cases[] = {
        {"another control", 0x1234, 113, 1, S_OK, FALSE},
        {"an event without entry", kCtrlId, 999, 1, S_OK, FALSE},
        {"too few arguments", kCtrlId, 105, 1, DISP_E_BADPARAMCOUNT, TRUE},
        {"a pointer parameter given by value", kCtrlId, 251, 2, DISP_E_TYPEMISMATCH, TRUE},
    };
    for (const Case& c : cases) {
        target.strLog.clear();
        VARIANT args[2] = {arg, arg};
        EXPECT_EQ(Fire(target, c.idCtrl, c.dispid, args, c.cArgs, &bHandled), c.hr) << c.name;
        EXPECT_EQ(bHandled, c.bHandled) << c.name;
        EXPECT_TRUE(target.strLog.empty()) << c.name;
    }
}

}  // namespace
