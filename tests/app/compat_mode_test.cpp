#include <gtest/gtest.h>

#include "app/tarnwick_app.h"
#include "framework/system_paths.h"
#include "support/planted_files.h"

#include <sddl.h>
#include <urlmon.h>
#include <cwchar>
#include <string>
#include <vector>

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
    const wchar_t szC350[] = L"\xC350";  // its four bytes, terminator included, read as a number are 50000
    const WORD w50000 = kCompatModeOn;
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
        {"REG_BINARY of 50000 in four bytes, as some tools store numbers", REG_BINARY, &dw50000, 4, TRUE},
        {"REG_BINARY of 50000 in two bytes", REG_BINARY, &w50000, 2, FALSE},
        {"REG_DWORD of 50000 in two bytes", REG_DWORD, &w50000, 2, FALSE},
        {"text U+C350", REG_SZ, szC350, sizeof(szC350), FALSE},
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

// For the scope, the compatibility key grants only the given rights (and the rights to read and put back its
// own permissions); its earlier permissions return afterwards.
class CScopedKeyRights {
public:
    explicit CScopedKeyRights(REGSAM rights)
    {
        CRegKey hKey;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, kCompatModeKey, 0, nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr,
                              &hKey, nullptr) != ERROR_SUCCESS) {
            return;
        }
        DWORD cb = 0;
        ::RegGetKeySecurity(hKey, DACL_SECURITY_INFORMATION, nullptr, &cb);
        m_saved.resize(cb);
        if (cb == 0 || ::RegGetKeySecurity(hKey, DACL_SECURITY_INFORMATION, m_saved.data(), &cb) != ERROR_SUCCESS) {
            m_saved.clear();
            return;
        }
        wchar_t szSddl[64] = {};
        ::swprintf(szSddl, 64, L"D:P(A;;0x%lx;;;WD)", static_cast<unsigned long>(rights | READ_CONTROL | WRITE_DAC));
        PSECURITY_DESCRIPTOR pRestricted = nullptr;
        if (::ConvertStringSecurityDescriptorToSecurityDescriptorW(szSddl, SDDL_REVISION_1, &pRestricted, nullptr)) {
            m_bOk = ::RegSetKeySecurity(hKey, DACL_SECURITY_INFORMATION, pRestricted) == ERROR_SUCCESS;
            ::LocalFree(pRestricted);
        }
    }
    ~CScopedKeyRights()
    {
        CRegKey hKey;
        if (!m_saved.empty() &&
            ::RegOpenKeyExW(HKEY_CURRENT_USER, kCompatModeKey, 0, WRITE_DAC, &hKey) == ERROR_SUCCESS) {
            ::RegSetKeySecurity(hKey, DACL_SECURITY_INFORMATION, m_saved.data());
        }
    }
    CScopedKeyRights(const CScopedKeyRights&) = delete;
    CScopedKeyRights& operator=(const CScopedKeyRights&) = delete;
    bool ok() const { return m_bOk; }

private:
    std::vector<BYTE> m_saved;
    bool m_bOk = false;
};

// Reading asks only for reading and writing only for setting the value: a key the user may read but not
// change still gives its setting (which the control, reading it too, applies), and one the user may set
// values in is written.
TEST_F(CompatModeTest, EachUseAsksOnlyForTheRightsItNeeds)
{
    struct Case {
        const char* name;
        REGSAM rights;
        DWORD dwAfterWritingOff;
    };
    const Case cases[] = {
        {"read only", KEY_READ, kCompatModeOn},
        {"read and set values", KEY_READ | KEY_SET_VALUE, 0},
    };
    for (const Case& c : cases) {
        SetRaw(REG_DWORD, &kCompatModeOn, sizeof(kCompatModeOn));
        CScopedKeyRights restricted(c.rights);
        ASSERT_TRUE(restricted.ok()) << c.name;
        EXPECT_TRUE(theApp.ReadCompatMode()) << c.name;
        theApp.WriteCompatMode(0);
        DWORD dwType = 0;
        EXPECT_EQ(ReadRaw(&dwType), c.dwAfterWritingOff) << c.name;
    }
}

// The value's name comes from the program's whole path, however deep its folder: a module loaded from a
// path longer than MAX_PATH is named in full.
TEST(ModuleFileNameTest, APathLongerThanMaxPathComesWhole)
{
    CScratchFolder root;
    std::wstring folder = L"\\\\?\\" + root.Path();
    for (wchar_t ch : {L'a', L'b', L'c', L'd'}) {
        folder += L"\\" + std::wstring(80, ch);
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    }
    const std::wstring path = folder + L"\\Tarnwick Deep.dll";
    ASSERT_TRUE(PlantLibrary(path));
    ASSERT_GT(path.size() - 4, static_cast<size_t>(MAX_PATH));
    HMODULE hModule = ::LoadLibraryW(path.c_str());
    EXPECT_NE(hModule, nullptr);
    if (hModule) {
        std::wstring name(AfxGetModuleFileName(hModule).GetString());
        ::FreeLibrary(hModule);
        if (name.rfind(L"\\\\?\\", 0) == 0) name.erase(0, 4);
        EXPECT_EQ(name, path.substr(4));
    }
    // The temporary folder's own clean-up may not reach this deep.
    ::DeleteFileW(path.c_str());
    ::DeleteFileW((path + L".ran").c_str());
    for (int n = 0; n < 4; ++n) {
        ::RemoveDirectoryW(folder.c_str());
        folder.erase(folder.find_last_of(L'\\'));
    }
}

}  // namespace
