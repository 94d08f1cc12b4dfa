#include <gtest/gtest.h>

#include "hosting/imp_idispatch.h"

#include <vector>

namespace {

// The external object with its count readable.
class CExternalProbe : public CImpIDispatch {
public:
    LONG Count() const { return m_cRef; }
};

TEST(ImpIDispatchTest, NamesMapToTheirIdsWithoutRegardToCase)
{
    struct Case {
        const char* name;
        std::vector<const wchar_t*> names;
        std::vector<DISPID> ids;
    };
    const Case cases[] = {
        {"the three names", {L"AddFavorite", L"ShowBrowserUI", L"msAddSiteMode"}, {1, 2, 3}},
        {"lower and upper case", {L"addfavorite", L"ADDFAVORITE"}, {1, 1}},
        {"an unknown name among known ones", {L"ShowBrowserUI", L"NoSuchMethod", L"AddFavorite"}, {2, DISPID_UNKNOWN, 1}},
        {"no names", {}, {}},
    };
    CImpIDispatch external;
    for (const Case& c : cases) {
        std::vector<DISPID> ids(c.names.size(), 12345);
        EXPECT_EQ(external.GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(c.names.data()),
                                         static_cast<UINT>(c.names.size()), LOCALE_USER_DEFAULT, ids.data()),
                  S_OK)
            << c.name;
        EXPECT_EQ(ids, c.ids) << c.name;
    }
}

TEST(ImpIDispatchTest, EveryCallAnswersTrueAsOne)
{
    CImpIDispatch external;
    for (DISPID id : {1, 2, 3, static_cast<int>(DISPID_UNKNOWN), 77}) {
        for (WORD wFlags : {DISPATCH_METHOD, DISPATCH_PROPERTYGET}) {
            VARIANT vResult;
            vResult.vt = VT_I4;
            vResult.lVal = 42;
            DISPPARAMS params{};
            EXPECT_EQ(external.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, wFlags, &params, &vResult, nullptr, nullptr),
                      S_OK);
            EXPECT_EQ(vResult.vt, VT_BOOL);
            EXPECT_EQ(vResult.boolVal, 1);
        }
    }
    EXPECT_EQ(external.Invoke(1, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr), S_OK);
}

TEST(ImpIDispatchTest, MissingArraysAreRefusedAndBadOnesNeverUnwindIntoTheScript)
{
    CImpIDispatch external;
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"AddFavorite")};
    DISPID id = 12345;
    struct Case {
        const char* name;
        LPOLESTR* rgszNames;
        UINT cNames;
        DISPID* rgDispId;
        HRESULT hr;
    };
    const Case cases[] = {
        {"no names array", nullptr, 1, &id, E_POINTER},
        {"no ids array", names, 1, nullptr, E_POINTER},
        {"neither, for no names", nullptr, 0, nullptr, S_OK},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(external.GetIDsOfNames(IID_NULL, c.rgszNames, c.cNames, LOCALE_USER_DEFAULT, c.rgDispId), c.hr)
            << c.name;
    }
    EXPECT_EQ(id, 12345) << "nothing written";

    // Pointers into nowhere fault inside; the script engine gets E_UNEXPECTED and the fault waits for the loop.
    AFX_SE_TRANSLATOR pfnOld = AfxSetSeTranslator([](unsigned int nCode, EXCEPTION_POINTERS*) { throw nCode; });
    auto heldFault = [] {
        try {
            AfxRethrowPendingException();
        } catch (unsigned int nCode) {
            return nCode == static_cast<unsigned int>(EXCEPTION_ACCESS_VIOLATION);
        }
        return false;
    };
    LPOLESTR badNames[] = {reinterpret_cast<LPOLESTR>(16)};
    EXPECT_EQ(external.GetIDsOfNames(IID_NULL, badNames, 1, LOCALE_USER_DEFAULT, &id), E_UNEXPECTED);
    EXPECT_TRUE(heldFault());
    EXPECT_EQ(external.Invoke(1, IID_NULL, 0, DISPATCH_METHOD, nullptr, reinterpret_cast<VARIANT*>(16), nullptr,
                              nullptr),
              E_UNEXPECTED);
    EXPECT_TRUE(heldFault());
    AfxSetSeTranslator(pfnOld);
}

TEST(ImpIDispatchTest, OnlyUnknownAndDispatchAreHandedOutAndTheCountNeverDeletes)
{
    CExternalProbe external;
    void* p = reinterpret_cast<void*>(1);
    const IID IID_IDispatchEx = {0xa6ef9860, 0xc720, 0x11d0, {0x93, 0x37, 0x00, 0xa0, 0xc9, 0x0d, 0xca, 0xa9}};
    EXPECT_EQ(external.QueryInterface(IID_IDispatchEx, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(external.QueryInterface(IID_IDispatch, nullptr), E_POINTER);
    EXPECT_EQ(external.Count(), 0);
    EXPECT_EQ(external.QueryInterface(IID_IUnknown, &p), S_OK);
    EXPECT_EQ(p, static_cast<IUnknown*>(&external));
    EXPECT_EQ(external.Release(), 0u);
    EXPECT_EQ(external.QueryInterface(IID_IDispatch, &p), S_OK);
    EXPECT_EQ(p, static_cast<IDispatch*>(&external));
    EXPECT_EQ(external.Count(), 1);
    EXPECT_EQ(external.Release(), 0u);
    EXPECT_EQ(external.Release(), static_cast<ULONG>(-1));  // still alive: the owner decides
}

}  // namespace
