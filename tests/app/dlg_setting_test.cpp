#include <gtest/gtest.h>

#include "app/dlg_setting.h"
#include "app/tarnwick_app.h"
#include "res/resource.h"
#include "support/dialog_script.h"

#include <cstring>
#include <optional>

namespace {

using Script = DialogScript;

// The stored value of one registry entry: its type and data.
struct Stored {
    DWORD dwType;
    std::vector<BYTE> data;
    bool operator==(const Stored&) const = default;
};

Stored Dword(DWORD dwValue)
{
    auto* p = reinterpret_cast<const BYTE*>(&dwValue);
    return {REG_DWORD, {p, p + sizeof(dwValue)}};
}

Stored Text(const wchar_t* psz)
{
    auto* p = reinterpret_cast<const BYTE*>(psz);
    return {REG_SZ, {p, p + (::wcslen(psz) + 1) * sizeof(wchar_t)}};
}

void PrintTo(const Stored& stored, std::ostream* os)
{
    *os << "type " << stored.dwType << ", " << stored.data.size() << " bytes";
    if (stored.dwType == REG_DWORD && stored.data.size() == 4) {
        DWORD dw;
        std::memcpy(&dw, stored.data.data(), 4);
        *os << ", " << dw;
    }
}

// The dialog over a shown window and its child, as over a frame and its view, with a value
// name of its own in the prefix's real HKCU, removed afterwards.
class DlgSettingTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_strSavedName = theApp.m_strExeName;
        theApp.m_strExeName.Format(L"dlg-setting-test-%lu.exe", ::GetCurrentProcessId());
        m_frame.CreateEx(0, nullptr, L"frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 500, 400, nullptr, nullptr);
        m_view.CreateEx(0, nullptr, L"view", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, m_frame.m_hWnd, nullptr);
    }
    void TearDown() override
    {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kCompatModeKey, theApp.m_strExeName);
        theApp.m_strExeName = m_strSavedName;
        m_frame.DestroyWindow();
    }
    void Store(const std::optional<Stored>& stored)
    {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kCompatModeKey, theApp.m_strExeName);
        if (!stored) return;
        ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kCompatModeKey, theApp.m_strExeName, stored->dwType,
                                    stored->data.data(), static_cast<DWORD>(stored->data.size())),
                  ERROR_SUCCESS);
    }
    std::optional<Stored> Read()
    {
        Stored stored{};
        stored.data.resize(64);
        DWORD cbData = 64;
        if (::RegGetValueW(HKEY_CURRENT_USER, kCompatModeKey, theApp.m_strExeName, RRF_RT_ANY | RRF_NOEXPAND,
                           &stored.dwType, stored.data.data(), &cbData) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        stored.data.resize(cbData);
        return stored;
    }
    static LRESULT BoxState(HWND hDlg)
    {
        return ::SendDlgItemMessageW(hDlg, IDC_FORCE_COMPAT_MODE, BM_GETCHECK, 0, 0);
    }
    INT_PTR Run(std::vector<Script::Step> steps)
    {
        DlgSetting dlg(&m_view);
        Script script(std::move(steps));
        INT_PTR nResult = dlg.DoModal();
        EXPECT_TRUE(script.Finished());
        return nResult;
    }

    CString m_strSavedName;
    CWnd m_frame;
    CWnd m_view;
};

TEST_F(DlgSettingTest, OpensWithTheStoredValueAndTheTexts)
{
    struct Case {
        const char* name;
        std::optional<Stored> stored;
        LRESULT nCheck;
    };
    const Case cases[] = {
        {"nothing stored", std::nullopt, BST_UNCHECKED},
        {"50000", Dword(kCompatModeOn), BST_CHECKED},
        {"0", Dword(0), BST_UNCHECKED},
        {"another number", Dword(1), BST_UNCHECKED},
        {"text 50000", Text(L"50000"), BST_UNCHECKED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Store(c.stored);
        Run({
            Script::Check([&](HWND hDlg) {
                EXPECT_EQ(WindowText(hDlg), L"Tarnwick Options");
                EXPECT_EQ(::GetWindow(hDlg, GW_OWNER), m_frame.m_hWnd) << "modal over the view's frame";
                EXPECT_FALSE(::IsWindowEnabled(m_frame.m_hWnd));
                EXPECT_EQ(BoxState(hDlg), c.nCheck);
                const struct {
                    int nControl;
                    UINT nString;
                } texts[] = {{IDC_FORCE_COMPAT_MODE, IDS_COMPAT_CHECK},
                             {IDC_COMPAT_NOTE, IDS_COMPAT_NOTE},
                             {IDC_COMPAT_DETAIL, IDS_COMPAT_DETAIL}};
                for (const auto& text : texts) {
                    CString strExpected;
                    strExpected.LoadString(text.nString);
                    EXPECT_FALSE(strExpected.IsEmpty());
                    EXPECT_EQ(WindowText(::GetDlgItem(hDlg, text.nControl)), std::wstring(strExpected))
                        << "control " << text.nControl;
                }
                EXPECT_EQ(::GetFocus(), ::GetDlgItem(hDlg, IDOK));
            }),
            Script::Click(IDCANCEL),
        });
        EXPECT_TRUE(::IsWindowEnabled(m_frame.m_hWnd));
    }
}

TEST_F(DlgSettingTest, OkStoresTheBoxAsADwordEveryTime)
{
    const BYTE binary50000[] = {0x50, 0xC3, 0, 0};
    struct Case {
        const char* name;
        std::optional<Stored> before;
        bool bClickBox;
        Stored after;
    };
    const Case cases[] = {
        {"nothing stored, unchanged: 0 is written", std::nullopt, false, Dword(0)},
        {"nothing stored, checked", std::nullopt, true, Dword(kCompatModeOn)},
        {"50000, unchecked", Dword(kCompatModeOn), true, Dword(0)},
        {"0, checked", Dword(0), true, Dword(kCompatModeOn)},
        {"text, unchanged: replaced by a number", Text(L"50000"), false, Dword(0)},
        {"binary 50000, unchanged: written again as a number", Stored{REG_BINARY, {binary50000, binary50000 + 4}},
         false, Dword(kCompatModeOn)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Store(c.before);
        std::vector<Script::Step> steps;
        if (c.bClickBox) steps.push_back(Script::Click(IDC_FORCE_COMPAT_MODE));
        steps.push_back(Script::Click(IDOK));
        EXPECT_EQ(Run(steps), IDOK);
        EXPECT_EQ(Read(), c.after);
    }
}

TEST_F(DlgSettingTest, WritingCreatesTheMissingKey)
{
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kCompatModeKey);
    EXPECT_EQ(Run({Script::Click(IDOK)}), IDOK);
    EXPECT_EQ(Read(), Dword(0));
}

TEST_F(DlgSettingTest, CancelEscAndTheCloseBoxStoreNothing)
{
    struct Case {
        const char* name;
        Script::Step close;
    };
    const Case cases[] = {
        {"Cancel", Script::Click(IDCANCEL)},
        {"Esc", Script::Key(VK_ESCAPE)},
        {"close box", Script::Post(WM_SYSCOMMAND, SC_CLOSE)},
    };
    for (const Case& c : cases) {
        for (const std::optional<Stored>& before : {std::optional<Stored>(), std::optional<Stored>(Text(L"x"))}) {
            SCOPED_TRACE(testing::Message() << c.name << (before ? ", text stored" : ", nothing stored"));
            Store(before);
            EXPECT_EQ(Run({Script::Click(IDC_FORCE_COMPAT_MODE),
                           [](HWND hDlg) { return BoxState(hDlg) == BST_CHECKED; }, c.close}),
                      IDCANCEL);
            EXPECT_EQ(Read(), before);
        }
    }
}

}  // namespace
