#include <gtest/gtest.h>

#include "hosting/ambient_props1.h"

#include <mshtmdid.h>

namespace {

// The ambient object with its notification reachable.
class CAmbientProbe : public AmbientProps1 {
public:
    using AmbientProps1::NotifyAmbientChange;
};

TEST(AmbientProps1Test, DefersUntilToldAndThenAnswers0x71)
{
    AmbientProps1 props;
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = nullptr;
    for (DISPID id : {DISPID_AMBIENT_DLCONTROL, DISPID_AMBIENT_USERAGENT, 0}) {
        EXPECT_EQ(props.Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, nullptr, &v, nullptr, nullptr), S_FALSE);
        EXPECT_EQ(v.vt, VT_BSTR);  // untouched
    }
    props.m_bDeferToContainer = 0;
    EXPECT_EQ(props.Invoke(DISPID_AMBIENT_DLCONTROL, IID_NULL, 0, DISPATCH_PROPERTYGET, nullptr, &v, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(v.vt, VT_I4);
    EXPECT_EQ(v.lVal, 0x71);
}

TEST(AmbientProps1Test, SetWithoutControlStoresAndNotifiesNobody)
{
    CAmbientProbe props;
    EXPECT_EQ(props.SetDLControl(0x10), S_OK);
    DWORD dw = 0;
    EXPECT_EQ(props.GetDLControl(&dw), S_OK);
    EXPECT_EQ(dw, 0x10u);
    EXPECT_EQ(props.NotifyAmbientChange(DISPID_AMBIENT_DLCONTROL), 0);
}

TEST(AmbientProps1Test, ReachedOnlyThroughTheSiteWithAConstantCount)
{
    AmbientProps1 props;
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(props.QueryInterface(IID_IDispatch, &p), E_NOTIMPL);
    EXPECT_EQ(p, reinterpret_cast<void*>(1));  // nothing written
    EXPECT_EQ(props.QueryInterface(IID_IDispatch, nullptr), E_NOTIMPL);
    EXPECT_EQ(props.AddRef(), 1u);
    EXPECT_EQ(props.AddRef(), 1u);
    EXPECT_EQ(props.Release(), 0u);
    EXPECT_EQ(props.Release(), 0u);
}

}  // namespace
