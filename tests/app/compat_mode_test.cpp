#include <gtest/gtest.h>

#include "app/tarnwick_app.h"

#include <urlmon.h>
#include <string>

namespace {

// Each test uses a value name of its own in the prefix's real HKCU and removes it afterwards.
class CompatModeTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_strSavedName = theApp.m_strExeName;
        theApp.m_strExeName.Format(L"compat-test-%lu.exe", ::GetCurrentProcessId());
    }
    void TearDown() override
    {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kCompatModeKey, theApp.m_strExeName);
        theApp.m_strExeName = m_strSavedName;
    }
    void SetRaw(DWORD dwType, const void* pData, DWORD cbData)
    {
        ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kCompatModeKey, theApp.m_strExeName, dwType, pData, cbData),
                  ERROR_SUCCESS);
    }
    DWORD ReadRaw(DWORD* pdwType)
    {
        DWORD dwValue = 0, cbData = sizeof(dwValue);
        EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER, kCompatModeKey, theApp.m_strExeName, RRF_RT_ANY, pdwType, &dwValue,
                                 &cbData),
                  ERROR_SUCCESS);
        return dwValue;
    }
    CString m_strSavedName;
};

TEST_F(CompatModeTest, WrittenValueIsReadBack)
{
    EXPECT_FALSE(theApp.ReadCompatMode());  // missing value
    theApp.WriteCompatMode(kCompatModeOn);
    DWORD dwType = 0;
    EXPECT_EQ(ReadRaw(&dwType), kCompatModeOn);
    EXPECT_EQ(dwType, static_cast<DWORD>(REG_DWORD));
    EXPECT_TRUE(theApp.ReadCompatMode());
    theApp.WriteCompatMode(0);
    EXPECT_EQ(ReadRaw(&dwType), 0u);
    EXPECT_FALSE(theApp.ReadCompatMode());
}

TEST_F(CompatModeTest, OnlyFourBytesOf50000CountAsOn)
{
    const DWORD dw50000 = kCompatModeOn;
    const DWORD dwOther = 1;
    const ULONGLONG qw50000 = kCompatModeOn;
    const wchar_t szText[] = L"50000";
    struct Case {
        const char* name;
        DWORD dwType;
        const void* pData;
        DWORD cbData;
        BOOL bOn;
    };
    const Case cases[] = {
        {"REG_DWORD 50000", REG_DWORD, &dw50000, 4, TRUE},
        {"REG_DWORD 1", REG_DWORD, &dwOther, 4, FALSE},
        {"REG_BINARY of 50000: the type is not checked", REG_BINARY, &dw50000, 4, TRUE},
        {"REG_QWORD 50000 is larger than four bytes", REG_QWORD, &qw50000, 8, FALSE},
        {"text \"50000\"", REG_SZ, szText, sizeof(szText), FALSE},
    };
    for (const Case& c : cases) {
        SetRaw(c.dwType, c.pData, c.cbData);
        EXPECT_EQ(theApp.ReadCompatMode(), c.bOn) << c.name;
    }
}

TEST_F(CompatModeTest, WritingCreatesTheMissingKey)
{
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kCompatModeKey);
    theApp.WriteCompatMode(kCompatModeOn);
    EXPECT_TRUE(theApp.ReadCompatMode());
}

}  // namespace
