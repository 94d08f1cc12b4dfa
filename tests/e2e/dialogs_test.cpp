#include <gtest/gtest.h>

#include "e2e/loopback_listener.h"
#include "e2e/tarnwick_process.h"
#include "e2e/user_input.h"
#include "e2e/window_queries.h"
#include "res/resource.h"

#include <string>
#include <vector>

namespace {

constexpr const wchar_t* kCompatKey =
    L"SOFTWARE\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_DOCUMENT_COMPATIBLE_MODE";
constexpr const char* kCompatAgent =
    "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; .NET CLR 2.0.50727; .NET CLR 3.5.30729; "
    ".NET CLR 3.0.30729; Tarnwick)\r\n";

// A mouse click in the middle of a window, as the user makes it.
void ClickOn(HWND hWnd)
{
    RECT rect;
    ::GetWindowRect(hWnd, &rect);
    ClickAt(POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

// The visible dialog box with this caption of the process, once it shows.
HWND WaitForDialog(const TarnwickProcess& tarnwick, const wchar_t* pszCaption)
{
    HWND hDlg = nullptr;
    TarnwickProcess::WaitFor([&] {
        hDlg = ::FindWindowW(L"#32770", pszCaption);
        return hDlg && ::IsWindowVisible(hDlg) && ProcessOf(hDlg) == ::GetProcessId(tarnwick.ProcessHandle());
    }, 10000);
    return hDlg && ::IsWindowVisible(hDlg) ? hDlg : nullptr;
}

// What `reg query` prints for the compatibility value of this executable name.
std::string RegQuery(const std::wstring& valueName)
{
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    HANDLE hRead = nullptr, hWrite = nullptr;
    ::CreatePipe(&hRead, &hWrite, &sa, 0);
    ::SetHandleInformation(hRead, HANDLE_FLAG_INHERIT, 0);
    std::wstring commandLine = L"reg.exe query \"HKCU\\" + std::wstring(kCompatKey) + L"\" /v \"" + valueName + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = hWrite;
    PROCESS_INFORMATION pi{};
    std::string output;
    if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                         &pi)) {
        ::CloseHandle(hWrite);
        hWrite = nullptr;
        char buffer[512];
        DWORD dwRead = 0;
        while (::ReadFile(hRead, buffer, sizeof(buffer), &dwRead, nullptr) && dwRead) output.append(buffer, dwRead);
        ::WaitForSingleObject(pi.hProcess, 10000);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
    if (hWrite) ::CloseHandle(hWrite);
    ::CloseHandle(hRead);
    return output;
}

bool StoresDword(const std::string& regOutput, const std::string& hexValue)
{
    return regOutput.find("REG_DWORD") != std::string::npos && regOutput.find(hexValue + "\r") != std::string::npos;
}

// The compatibility values the tests write are removed however a test ends: every
// later start of the program in this prefix would send the old user agent.
class CompatValues {
public:
    explicit CompatValues(std::vector<std::wstring> names) : m_names(std::move(names)) { Remove(); }
    ~CompatValues() { Remove(); }
    CompatValues(const CompatValues&) = delete;
    CompatValues& operator=(const CompatValues&) = delete;

private:
    void Remove()
    {
        for (const std::wstring& name : m_names) ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kCompatKey, name.c_str());
    }
    std::vector<std::wstring> m_names;
};

class DialogsEndToEnd : public testing::Test {
protected:
    void Start(const std::wstring& arguments, const std::wstring& programPath = TarnwickProcess::ProgramPath())
    {
        m_pTarnwick = std::make_unique<TarnwickProcess>(arguments, programPath);
        ASSERT_TRUE(m_pTarnwick->WaitForBrowserWindows(1));
        m_hFrame = m_pTarnwick->BrowserWindows()[0];
        // Keys go to the foreground window, which a new process's window need not be yet.
        ASSERT_TRUE(BringToFront(m_hFrame));
    }
    void Stop()
    {
        ::PostMessageW(m_hFrame, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(m_pTarnwick->WaitForExit(), 0);
        m_pTarnwick.reset();
    }
    void TearDown() override
    {
        if (m_pTarnwick) Stop();
    }
    // Tools > Options: the dialog, in front of the frame, which it disables.
    HWND OpenOptions()
    {
        ChooseFromMenu(m_hFrame, "TP");
        HWND hDlg = WaitForDialog(*m_pTarnwick, L"Tarnwick Options");
        EXPECT_NE(hDlg, nullptr);
        if (!hDlg) return nullptr;
        EXPECT_EQ(::GetWindow(hDlg, GW_OWNER), m_hFrame);
        EXPECT_FALSE(::IsWindowEnabled(m_hFrame));
        return hDlg;
    }
    LRESULT BoxState(HWND hDlg)
    {
        return ::SendMessageW(::GetDlgItem(hDlg, IDC_FORCE_COMPAT_MODE), BM_GETCHECK, 0, 0);
    }
    // Checks or unchecks the box with a click sent to it, then presses Enter for OK. The click goes through
    // the window system as a message: a pointer click was lost when earlier tests had run in the session.
    void ToggleAndConfirm(HWND hDlg, LRESULT nNewState)
    {
        ::SendMessageW(::GetDlgItem(hDlg, IDC_FORCE_COMPAT_MODE), BM_CLICK, 0, 0);
        EXPECT_TRUE(TarnwickProcess::WaitFor([&] { return BoxState(hDlg) == nNewState; }, 5000));
        PressKey(VK_RETURN);
        EXPECT_TRUE(TarnwickProcess::WaitFor([&] { return !::IsWindow(hDlg); }, 5000));
        EXPECT_TRUE(::IsWindowEnabled(m_hFrame));
    }
    std::string RequestOfANewStart()
    {
        LoopbackListener listener;
        Start(L"http://127.0.0.1:" + std::to_wstring(listener.port()) + L"/agent");
        std::string request = listener.FirstRequest(15);
        Stop();
        return request;
    }

    std::unique_ptr<TarnwickProcess> m_pTarnwick;
    HWND m_hFrame = nullptr;
};

TEST_F(DialogsEndToEnd, OptionsStoreTheModeWhichTheNextStartApplies)
{
    CompatValues values({L"Tarnwick.exe"});
    Start(L"about:blank");
    HWND hDlg = OpenOptions();
    ASSERT_NE(hDlg, nullptr);
    EXPECT_EQ(BoxState(hDlg), BST_UNCHECKED) << "nothing stored yet";
    ToggleAndConfirm(hDlg, BST_CHECKED);
    EXPECT_PRED2(StoresDword, RegQuery(L"Tarnwick.exe"), "0xc350");
    Stop();

    std::string request = RequestOfANewStart();
    EXPECT_EQ(request.rfind("GET /agent HTTP/1.1\r\n", 0), 0u) << request;
    EXPECT_NE((request + "\r\n").find(kCompatAgent), std::string::npos) << request;

    Start(L"about:blank");
    hDlg = OpenOptions();
    ASSERT_NE(hDlg, nullptr);
    EXPECT_EQ(BoxState(hDlg), BST_CHECKED) << "the stored value";
    ToggleAndConfirm(hDlg, BST_UNCHECKED);
    EXPECT_PRED2(StoresDword, RegQuery(L"Tarnwick.exe"), "0x0");
    Stop();

    request = RequestOfANewStart();
    EXPECT_NE(request.find("User-Agent: Mozilla/"), std::string::npos) << request;
    EXPECT_EQ(request.find("Tarnwick)"), std::string::npos) << "the control's own agent: " << request;
}

TEST_F(DialogsEndToEnd, ACopyUnderAnotherNameKeepsASettingOfItsOwn)
{
    std::wstring original = TarnwickProcess::ProgramPath();
    std::wstring copy = original.substr(0, original.find_last_of(L'\\') + 1) + L"TarnwickTwin.exe";
    ASSERT_TRUE(::CopyFileW(original.c_str(), copy.c_str(), FALSE));
    CompatValues values({L"Tarnwick.exe", L"TarnwickTwin.exe"});
    const DWORD dwOn = 50000;
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kCompatKey, L"Tarnwick.exe", REG_DWORD, &dwOn, sizeof(dwOn)),
              ERROR_SUCCESS);

    Start(L"about:blank", copy);
    HWND hDlg = OpenOptions();
    if (hDlg) {
        EXPECT_EQ(BoxState(hDlg), BST_UNCHECKED) << "the original's value is not the copy's";
        PressKey(VK_RETURN);
        EXPECT_TRUE(TarnwickProcess::WaitFor([&] { return !::IsWindow(hDlg); }, 5000));
    }
    EXPECT_PRED2(StoresDword, RegQuery(L"TarnwickTwin.exe"), "0x0");
    EXPECT_PRED2(StoresDword, RegQuery(L"Tarnwick.exe"), "0xc350");
    Stop();
    EXPECT_TRUE(::DeleteFileW(copy.c_str()));
}

TEST_F(DialogsEndToEnd, AboutShowsTheVersionAndStartsTheRegistryEditor)
{
    Start(L"about:blank");
    ChooseFromMenu(m_hFrame, "HA");
    HWND hDlg = WaitForDialog(*m_pTarnwick, L"About Tarnwick");
    ASSERT_NE(hDlg, nullptr);
    EXPECT_EQ(::GetWindow(hDlg, GW_OWNER), m_hFrame);
    EXPECT_FALSE(::IsWindowEnabled(m_hFrame));
    std::vector<std::wstring> texts;
    for (HWND hChild = ::GetWindow(hDlg, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
        texts.push_back(TextOf(hChild));
    }
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"Version 2.6.1.0"), texts.end());

    HWND hButton = ::GetDlgItem(hDlg, IDC_RUN_REGEDIT);
    EXPECT_EQ(TextOf(hButton), L"Regedit.exe");
    ClickOn(hButton);
    HWND hEditor = nullptr;
    EXPECT_TRUE(TarnwickProcess::WaitFor([&] {
        hEditor = ::FindWindowW(nullptr, L"Registry Editor");
        return hEditor && ::IsWindowVisible(hEditor);
    }));
    EXPECT_TRUE(::IsWindowVisible(hDlg)) << "the box stays open";
    if (hEditor) {
        DWORD dwEditor = ProcessOf(hEditor);
        EXPECT_NE(dwEditor, ::GetProcessId(m_pTarnwick->ProcessHandle()));
        HANDLE hProcess = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, dwEditor);
        ::PostMessageW(hEditor, WM_CLOSE, 0, 0);
        if (hProcess && ::WaitForSingleObject(hProcess, 5000) != WAIT_OBJECT_0) ::TerminateProcess(hProcess, 1);
        if (hProcess) ::CloseHandle(hProcess);
    }

    ClickOn(::GetDlgItem(hDlg, IDOK));
    EXPECT_TRUE(TarnwickProcess::WaitFor([&] { return !::IsWindow(hDlg); }, 5000));
    EXPECT_TRUE(::IsWindowEnabled(m_hFrame));
}

TEST_F(DialogsEndToEnd, ClosingEveryWindowWhileOptionsOrAboutIsUpEndsTheProgramCleanly)
{
    struct Case {
        const char* name;
        const char* menuPath;
        const wchar_t* caption;
    };
    const Case cases[] = {{"Options", "TP", L"Tarnwick Options"}, {"About", "HA", L"About Tarnwick"}};
    for (const Case& c : cases) {
        Start(L"about:blank");
        PressWith(VK_CONTROL, 'N');
        ASSERT_TRUE(m_pTarnwick->WaitForBrowserWindows(2)) << c.name;
        HWND hSecond = nullptr;
        for (HWND hWnd : m_pTarnwick->BrowserWindows()) {
            if (hWnd != m_hFrame) hSecond = hWnd;
        }
        ASSERT_NE(hSecond, nullptr) << c.name;
        ChooseFromMenu(hSecond, c.menuPath);
        HWND hDlg = WaitForDialog(*m_pTarnwick, c.caption);
        ASSERT_NE(hDlg, nullptr) << c.name;
        EXPECT_EQ(::GetWindow(hDlg, GW_OWNER), hSecond) << c.name;
        EXPECT_FALSE(::IsWindowEnabled(hSecond)) << c.name;
        // "Close All Window" from the other window closes the one under the dialog too.
        ::PostMessageW(m_hFrame, WM_COMMAND, ID_APP_EXIT, 0);
        EXPECT_EQ(m_pTarnwick->WaitForExit(), 0) << c.name;
        m_pTarnwick.reset();
    }
}

}  // namespace
