#include <gtest/gtest.h>

#include "e2e/loopback_listener.h"
#include "e2e/scoped_start_page.h"
#include "e2e/tarnwick_process.h"
#include "e2e/user_input.h"
#include "e2e/window_queries.h"
#include "res/resource.h"

#include <string>
#include <vector>

namespace {

// How the user gives a command: its accelerator (Ctrl or Alt with a key), its path of menu mnemonics,
// a key of its own, or, for commands with none of these, the command message a menu would send.
enum class Via { Ctrl, Alt, Menu, Key, Message };

// What the command visibly does under the platform's control, which has no document.
enum class Effect {
    None,            // nothing the user sees; the program just goes on
    Dialog,          // a dialog of the program with the given caption, which Esc closes
    OtherProgram,    // a window of another process with the given caption, which the test closes
    Request,         // the control asks the loopback listener for the given request line
    FocusInAddress,  // the keyboard focus moves into the address box
    Selection,       // the address box's selection then is the given text
    Copy,            // the address box then holds the given text, and the command put the typed text on the clipboard
    Paste,           // the address box then holds the given text, and the clipboard still the typed text
};

struct TourStep {
    const char* name;
    Via via;
    const char* keys;  // Ctrl, Alt: the key; Menu: the mnemonics; Key: the virtual key as its only character
    UINT nCommand;     // Message only
    Effect effect;
    std::string expected;  // caption, request line or text of the effect
};

constexpr const char* kTyped = "tour text";

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

std::string ClipboardText()
{
    std::string text;
    if (!::OpenClipboard(nullptr)) return text;
    if (HANDLE hData = ::GetClipboardData(CF_UNICODETEXT)) {
        if (auto* psz = static_cast<const wchar_t*>(::GlobalLock(hData))) {
            text = Narrow(psz);
            ::GlobalUnlock(hData);
        }
    }
    ::CloseClipboard();
    return text;
}

void ClearClipboard()
{
    if (!::OpenClipboard(nullptr)) return;
    ::EmptyClipboard();
    ::CloseClipboard();
}

// A visible top-level window of another process with this caption, or null.
HWND OtherProgramWindow(const std::wstring& caption, DWORD dwOurs)
{
    HWND hWnd = ::FindWindowW(nullptr, caption.c_str());
    return hWnd && ::IsWindowVisible(hWnd) && ProcessOf(hWnd) != dwOurs ? hWnd : nullptr;
}

class MenuTourEndToEnd : public testing::Test {
protected:
    void Give(const TourStep& step)
    {
        m_dwClipboardBefore = ::GetClipboardSequenceNumber();
        if (step.via == Via::Message) {
            ::PostMessageW(m_hFrame, WM_COMMAND, step.nCommand, 0);
            return;
        }
        ASSERT_TRUE(BringToFront(m_hFrame));
        if (step.via == Via::Ctrl) PressWith(VK_CONTROL, static_cast<WORD>(step.keys[0]));
        if (step.via == Via::Alt) PressWith(VK_MENU, static_cast<WORD>(step.keys[0]));
        if (step.via == Via::Key) PressKey(static_cast<BYTE>(step.keys[0]));
        if (step.via == Via::Menu) {
            ASSERT_TRUE(ChooseFromMenu(m_hFrame, step.keys));
        }
    }
    // A command with nothing to see leaves no condition to wait for: the process gets the moment a user
    // leaves before the next command (WaitForInputIdle alone may answer at once, the process having been
    // idle before), and every step then checks it still answers.
    void Settle()
    {
        ::Sleep(200);
        ::WaitForInputIdle(m_pTarnwick->ProcessHandle(), 5000);
    }
    HWND Focus() const
    {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        ::GetGUIThreadInfo(m_pTarnwick->ThreadId(), &info);
        return info.hwndFocus;
    }
    HWND AddressEdit() const
    {
        HWND hCombo = ::GetDlgItem(::GetDlgItem(m_hFrame, AFX_IDW_REBAR), IDC_ADDRESS_BOX);
        return ::FindWindowExW(hCombo, nullptr, L"Edit", nullptr);
    }
    void CheckEffect(const TourStep& step)
    {
        switch (step.effect) {
        case Effect::None: Settle(); break;
        case Effect::Dialog: CloseDialog(step.expected); break;
        case Effect::OtherProgram: CloseOtherProgram(step.expected); break;
        case Effect::Request: EXPECT_EQ(m_listener.FirstRequestLine(15), step.expected); break;
        case Effect::FocusInAddress:
            EXPECT_TRUE(TarnwickProcess::WaitFor([&] { return Focus() == AddressEdit(); }, 5000));
            break;
        case Effect::Copy:
        case Effect::Paste: {
            // Reading the clipboard opens it, and an edit control that finds it open elsewhere copies or
            // pastes nothing: the command's own signs come first (its text, and a copy's new clipboard
            // sequence number), and only then is the clipboard read.
            const bool bWrites = step.effect == Effect::Copy;
            EXPECT_TRUE(TarnwickProcess::WaitFor([&] {
                return Narrow(TextOf(AddressEdit())) == step.expected &&
                       (!bWrites || ::GetClipboardSequenceNumber() != m_dwClipboardBefore);
            }, 5000)) << Narrow(TextOf(AddressEdit()));
            EXPECT_TRUE(TarnwickProcess::WaitFor([&] { return ClipboardText() == kTyped; }, 5000)) << ClipboardText();
            break;
        }
        case Effect::Selection:
            EXPECT_TRUE(TarnwickProcess::WaitFor([&] { return Selection() == step.expected; }, 5000)) << Selection();
            break;
        }
        EXPECT_TRUE(m_pTarnwick->Dialogs().empty()) << "a dialog is left open";
    }
    std::string Selection() const
    {
        HWND hEdit = AddressEdit();
        DWORD dwSelection = static_cast<DWORD>(::SendMessageW(hEdit, EM_GETSEL, 0, 0));
        return Narrow(TextOf(hEdit)).substr(LOWORD(dwSelection), HIWORD(dwSelection) - LOWORD(dwSelection));
    }
    void CloseDialog(const std::string& caption)
    {
        HWND hDialog = nullptr;
        ASSERT_TRUE(TarnwickProcess::WaitFor([&] {
            std::vector<HWND> dialogs = m_pTarnwick->Dialogs();
            hDialog = dialogs.size() == 1 ? dialogs[0] : nullptr;
            return hDialog != nullptr;
        }, 10000));
        EXPECT_EQ(Narrow(TextOf(hDialog)), caption);
        BringToFront(hDialog);
        PressKey(VK_ESCAPE);
        EXPECT_TRUE(TarnwickProcess::WaitFor([&] { return !::IsWindow(hDialog) || !::IsWindowVisible(hDialog); }, 5000));
        EXPECT_TRUE(TarnwickProcess::WaitFor([&] { return ::IsWindowEnabled(m_hFrame) != FALSE; }, 5000))
            << "the frame is given back";
    }
    void CloseOtherProgram(const std::string& caption)
    {
        const std::wstring wideCaption(caption.begin(), caption.end());
        const DWORD dwOurs = ::GetProcessId(m_pTarnwick->ProcessHandle());
        HWND hWnd = nullptr;
        ASSERT_TRUE(TarnwickProcess::WaitFor([&] { return (hWnd = OtherProgramWindow(wideCaption, dwOurs)) != nullptr; },
                                             20000));
        DWORD dwProcessId = 0;
        ::GetWindowThreadProcessId(hWnd, &dwProcessId);
        HANDLE hProcess = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, dwProcessId);
        ::PostMessageW(hWnd, WM_CLOSE, 0, 0);
        EXPECT_TRUE(TarnwickProcess::WaitFor([&] { return !::IsWindow(hWnd); }, 10000));
        if (hProcess) {
            if (::WaitForSingleObject(hProcess, 10000) != WAIT_OBJECT_0) {
                ADD_FAILURE() << "the other program did not end";
                ::TerminateProcess(hProcess, 1);
            }
            ::CloseHandle(hProcess);
        }
    }
    void TearDown() override
    {
        if (m_pTarnwick) {
            for (HWND hWnd : m_pTarnwick->BrowserWindows()) ::PostMessageW(hWnd, WM_CLOSE, 0, 0);
            m_pTarnwick->WaitForExit();
        }
    }

    LoopbackListener m_listener;
    std::unique_ptr<TarnwickProcess> m_pTarnwick;
    HWND m_hFrame = nullptr;
    DWORD m_dwClipboardBefore = 0;
};

TEST_F(MenuTourEndToEnd, EveryCommandInTurnThenCloseAllEndsTheProcessCleanly)
{
    const std::string address = "http://127.0.0.1:" + std::to_string(m_listener.port());
    ScopedStartPage home(std::wstring(address.begin(), address.end()) + L"/home");
    const std::string typed = kTyped;
    // In the order of the menus, on the page first; the edit commands again in the address box, where they act.
    const TourStep tour[] = {
        {"File > Open", Via::Ctrl, "O", 0, Effect::Dialog, "Open"},
        {"File > Print", Via::Ctrl, "P", 0, Effect::None, ""},
        {"File > Print Preview", Via::Menu, "FV", 0, Effect::None, ""},
        {"Edit > Cut", Via::Ctrl, "X", 0, Effect::None, ""},
        {"Edit > Copy", Via::Ctrl, "C", 0, Effect::None, ""},
        {"Edit > Paste", Via::Ctrl, "V", 0, Effect::None, ""},
        {"Edit > Select All", Via::Ctrl, "A", 0, Effect::None, ""},
        {"Edit > Find", Via::Ctrl, "F", 0, Effect::None, ""},
        {"View > Back", Via::Key, "\xA6", 0, Effect::None, ""},
        {"View > Forward", Via::Key, "\xA7", 0, Effect::None, ""},
        {"View > Stop", Via::Key, "\xA9", 0, Effect::None, ""},
        {"View > Refresh", Via::Key, "\xA8", 0, Effect::None, ""},
        {"View > Home Page", Via::Key, "\xAC", 0, Effect::Request, "GET /home HTTP/1.1"},
        {"View > Text Size > Largest", Via::Menu, "VXG", 0, Effect::None, ""},
        {"View > Text Size > Larger", Via::Menu, "VXL", 0, Effect::None, ""},
        {"View > Text Size > Medium", Via::Menu, "VXM", 0, Effect::None, ""},
        {"View > Text Size > Smaller", Via::Menu, "VXS", 0, Effect::None, ""},
        {"View > Text Size > Smallest", Via::Menu, "VXA", 0, Effect::None, ""},
        {"View > Source", Via::Menu, "VC", 0, Effect::None, ""},
        {"Favorites > Refresh Favorites", Via::Menu, "AR", 0, Effect::None, ""},
        {"the Favorites placeholder", Via::Message, nullptr, ID_FAVORITES_PLACEHOLDER, Effect::None, ""},
        {"an empty folder's item", Via::Message, nullptr, ID_FAVORITES_EMPTY, Effect::None, ""},
        {"the first favorite number, the favorites folder itself", Via::Message, nullptr, ID_FAVORITE_FIRST, Effect::None, ""},
        {"the last favorite number, of no entry", Via::Message, nullptr, ID_FAVORITE_LAST, Effect::None, ""},
        {"the first Back entry, of none", Via::Message, nullptr, ID_BACK_HISTORY_FIRST, Effect::None, ""},
        {"the last Back entry, of none", Via::Message, nullptr, ID_BACK_HISTORY_LAST, Effect::None, ""},
        {"the first Forward entry, of none", Via::Message, nullptr, ID_FORWARD_HISTORY_FIRST, Effect::None, ""},
        {"the last Forward entry, of none", Via::Message, nullptr, ID_FORWARD_HISTORY_LAST, Effect::None, ""},
        {"a view's ready report", Via::Message, nullptr, ID_VIEW_READY, Effect::None, ""},
        {"a view's initialisation", Via::Message, nullptr, ID_VIEW_INITIALIZE, Effect::None, ""},
        {"Tools > Internet Options", Via::Menu, "TO", 0, Effect::OtherProgram, "Internet Settings"},
        {"Tools > Options", Via::Menu, "TP", 0, Effect::Dialog, "Tarnwick Options"},
        {"Help > About", Via::Menu, "HA", 0, Effect::Dialog, "About Tarnwick"},
        {"Alt+D", Via::Alt, "D", 0, Effect::FocusInAddress, ""},
        {"Edit > Select All in the address box", Via::Ctrl, "A", 0, Effect::Selection, typed},
        {"Edit > Copy in the address box", Via::Ctrl, "C", 0, Effect::Copy, typed},
        {"Edit > Cut in the address box", Via::Ctrl, "X", 0, Effect::Copy, ""},
        {"Edit > Paste in the address box", Via::Ctrl, "V", 0, Effect::Paste, typed},
        {"File > New Window", Via::Ctrl, "N", 0, Effect::Request, "GET /home HTTP/1.1"},
    };

    m_pTarnwick = std::make_unique<TarnwickProcess>(std::wstring(address.begin(), address.end()) + L"/tour");
    ASSERT_TRUE(m_pTarnwick->WaitForBrowserWindows(1));
    m_hFrame = m_pTarnwick->BrowserWindows()[0];
    ASSERT_EQ(m_listener.FirstRequestLine(15), "GET /tour HTTP/1.1");
    ClearClipboard();

    for (const TourStep& step : tour) {
        SCOPED_TRACE(step.name);
        Give(step);
        CheckEffect(step);
        if (step.effect == Effect::FocusInAddress) TypeText(std::wstring(typed.begin(), typed.end()));
        ASSERT_TRUE(m_pTarnwick->IsRunning());
        DWORD_PTR dwResult = 0;
        ASSERT_NE(::SendMessageTimeoutW(m_hFrame, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &dwResult), 0) << "hangs";
        ASSERT_FALSE(HasFailure()) << "the tour stops at the first step that fails";
    }
    ASSERT_TRUE(m_pTarnwick->WaitForBrowserWindows(2)) << "the new window";

    // File > Close All Window, from the new window, which has the focus now.
    std::vector<HWND> frames = m_pTarnwick->BrowserWindows();
    HWND hNewFrame = frames[0] == m_hFrame ? frames[1] : frames[0];
    ASSERT_TRUE(ChooseFromMenu(hNewFrame, "FX"));
    EXPECT_EQ(m_pTarnwick->WaitForExit(), 0);
    EXPECT_EQ(m_pTarnwick->ErrorOutput(), "");
    m_pTarnwick.reset();
}

}  // namespace
