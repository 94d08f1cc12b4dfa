#include <gtest/gtest.h>

#include "e2e/tarnwick_process.h"
#include "e2e/user_input.h"
#include "framework/gdi.h"
#include "framework/handles.h"
#include "res/resource.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr const wchar_t* kJapaneseFont = L"IPAGothic";
constexpr const wchar_t* kCompatCheck = L"IE5/6互換モードを強制する(Quirksモード)";

std::wstring TextOf(HWND hWnd) {
    wchar_t szText[512] = {};
    ::SendMessageW(hWnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(szText));  // marshalled by the window system
    return szText;
}

DWORD ProcessOf(HWND hWnd) {
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcessId);
    return dwProcessId;
}

// Which pixels of a 32-bit top-down bitmap carry ink: text is drawn without smoothing here, so a
// pixel is ink or background, nothing between.
class InkMask {
public:
    InkMask(int cx, int cy) : m_cx(cx), m_cy(cy), m_bits(static_cast<size_t>(cx) * cy) {}
    // The pixels now on the screen inside the rectangle.
    static InkMask FromScreen(const RECT& rect) {
        InkMask mask(rect.right - rect.left, rect.bottom - rect.top);
        CClientDC screen(static_cast<HWND>(nullptr));
        mask.Take(screen, rect.left, rect.top);
        return mask;
    }
    // The text drawn with the font, as the check box draws it: on its own line, from the left.
    static InkMask FromText(const std::wstring& text, HFONT hFont) {
        CClientDC screen(static_cast<HWND>(nullptr));
        CMemDCHandle dc(::CreateCompatibleDC(screen));
        SIZE size{};
        {
            CSelectObject font(dc, hFont);
            ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        }
        InkMask mask(size.cx, size.cy);
        mask.Draw(dc, text, hFont);
        return mask;
    }
    int width() const { return m_cx; }
    int height() const { return m_cy; }
    bool ink(int x, int y) const { return m_bits[static_cast<size_t>(y) * m_cx + x] != 0; }
    int InkCount() const { return static_cast<int>(std::count(m_bits.begin(), m_bits.end(), 1)); }
    // Whether the other mask shows up here, pixel for pixel, at some offset.
    bool Contains(const InkMask& other) const {
        for (int dy = 0; dy + other.m_cy <= m_cy; ++dy) {
            for (int dx = 0; dx + other.m_cx <= m_cx; ++dx) {
                if (MatchesAt(other, dx, dy)) return true;
            }
        }
        return false;
    }

private:
    bool MatchesAt(const InkMask& other, int dx, int dy) const {
        for (int y = 0; y < other.m_cy; ++y) {
            for (int x = 0; x < other.m_cx; ++x) {
                if (ink(dx + x, dy + y) != other.ink(x, y)) return false;
            }
        }
        return true;
    }
    // Background is the colour most pixels have; anything darker is ink.
    void FromPixels(const std::vector<DWORD>& pixels) {
        auto luma = [](DWORD px) { return (GetRValue(px) * 3 + GetGValue(px) * 6 + GetBValue(px)) / 10; };
        std::vector<int> histogram(256);
        for (DWORD px : pixels) ++histogram[luma(px)];
        int nBackground = static_cast<int>(std::max_element(histogram.begin(), histogram.end()) - histogram.begin());
        for (size_t i = 0; i < pixels.size(); ++i) m_bits[i] = luma(pixels[i]) + 64 < nBackground ? 1 : 0;
    }
    void Take(HDC hSource, int x, int y) {
        std::vector<DWORD> pixels;
        Capture(hSource, x, y, pixels);
        FromPixels(pixels);
    }
    void Draw(HDC hDC, const std::wstring& text, HFONT hFont) {
        BITMAPINFO info = Info();
        void* pBits = nullptr;
        CBitmapHandle bitmap(::CreateDIBSection(hDC, &info, DIB_RGB_COLORS, &pBits, nullptr, 0));
        {
            CSelectObject selectBitmap(hDC, bitmap);
            CSelectObject selectFont(hDC, hFont);
            RECT rect{0, 0, m_cx, m_cy};
            ::FillRect(hDC, &rect, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
            ::SetTextColor(hDC, RGB(0, 0, 0));
            ::SetBkMode(hDC, TRANSPARENT);
            ::TextOutW(hDC, 0, 0, text.c_str(), static_cast<int>(text.size()));
            ::GdiFlush();
        }
        const DWORD* p = static_cast<const DWORD*>(pBits);
        FromPixels(std::vector<DWORD>(p, p + m_bits.size()));
    }
    void Capture(HDC hSource, int x, int y, std::vector<DWORD>& pixels) {
        CMemDCHandle dc(::CreateCompatibleDC(hSource));
        BITMAPINFO info = Info();
        void* pBits = nullptr;
        CBitmapHandle bitmap(::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pBits, nullptr, 0));
        {
            CSelectObject selectBitmap(dc, bitmap);
            ::BitBlt(dc, 0, 0, m_cx, m_cy, hSource, x, y, SRCCOPY);
            ::GdiFlush();
        }
        const DWORD* p = static_cast<const DWORD*>(pBits);
        pixels.assign(p, p + m_bits.size());
        // GetRValue and friends read COLORREF order; a DIB holds blue first.
        for (DWORD& px : pixels) px = RGB((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF);
    }
    BITMAPINFO Info() const {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = m_cx;
        info.bmiHeader.biHeight = -m_cy;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        return info;
    }

    int m_cx;
    int m_cy;
    std::vector<char> m_bits;
};

class JapaneseInterfaceEndToEnd : public testing::Test {
protected:
    void SetUp() override {
        // A started program takes its locale from the process that starts it, not from the environment it is
        // given: these tests' entries run under a Japanese locale of their own.
        ASSERT_EQ(PRIMARYLANGID(::GetUserDefaultUILanguage()), LANG_JAPANESE) << "not run under a Japanese locale";
        m_pTarnwick = std::make_unique<TarnwickProcess>(L"about:blank");
        ASSERT_TRUE(m_pTarnwick->WaitForBrowserWindows(1));
        m_hFrame = m_pTarnwick->BrowserWindows()[0];
        m_hReBar = ::GetDlgItem(m_hFrame, AFX_IDW_REBAR);
        ASSERT_NE(m_hReBar, nullptr);
        m_hMenuBar = ::GetDlgItem(m_hReBar, AFX_IDW_MENUBAR);
        ASSERT_NE(m_hMenuBar, nullptr);
        ::SetForegroundWindow(m_hFrame);
        TarnwickProcess::WaitFor([this] { return ::GetForegroundWindow() == m_hFrame; }, 3000);
    }
    void TearDown() override {
        if (!m_pTarnwick) return;
        ::PostMessageW(m_hFrame, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(m_pTarnwick->WaitForExit(), 0);
        m_pTarnwick.reset();
    }
    std::wstring MenuButtonText(UINT nCommand) {
        struct {
            wchar_t sz[64];
        } buffer{};
        m_pTarnwick->SendWithBuffer(m_hMenuBar, TB_GETBUTTONTEXTW, nCommand, &buffer);
        return buffer.sz;
    }
    // A band's label, read with the band information and its text buffer in the program's memory.
    std::wstring BandText(UINT nBand) {
        struct {
            REBARBANDINFOW band;
            wchar_t sz[64];
        } local{};
        HANDLE hProcess = m_pTarnwick->ProcessHandle();
        auto* pRemote = static_cast<decltype(local)*>(
            ::VirtualAllocEx(hProcess, nullptr, sizeof(local), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (!pRemote) return L"";
        local.band.cbSize = sizeof(local.band);
        local.band.fMask = RBBIM_TEXT;
        local.band.lpText = pRemote->sz;
        local.band.cch = static_cast<UINT>(std::size(local.sz));
        ::WriteProcessMemory(hProcess, pRemote, &local, sizeof(local), nullptr);
        ::SendMessageW(m_hReBar, RB_GETBANDINFOW, nBand, reinterpret_cast<LPARAM>(pRemote));
        ::ReadProcessMemory(hProcess, pRemote, &local, sizeof(local), nullptr);
        ::VirtualFreeEx(hProcess, pRemote, 0, MEM_RELEASE);
        return local.sz;
    }
    // Tools > Options through the Japanese menus' mnemonics: ツール(&T), 設定(&P).
    HWND OpenOptions() {
        PressKeys({{VK_MENU, true}, {'T', true}, {'T', false}, {VK_MENU, false}});
        TarnwickProcess::WaitFor(
            [] {
                HWND hPopup = ::FindWindowW(L"#32768", nullptr);
                return hPopup && ::IsWindowVisible(hPopup);
            },
            5000);
        PressKeys({{'P', true}, {'P', false}});
        HWND hDlg = nullptr;
        TarnwickProcess::WaitFor(
            [&] {
                hDlg = ::FindWindowW(L"#32770", nullptr);
                return hDlg && ::IsWindowVisible(hDlg) &&
                       ProcessOf(hDlg) == ::GetProcessId(m_pTarnwick->ProcessHandle());
            },
            10000);
        return hDlg && ::IsWindowVisible(hDlg) ? hDlg : nullptr;
    }

    std::unique_ptr<TarnwickProcess> m_pTarnwick;
    HWND m_hFrame = nullptr;
    HWND m_hReBar = nullptr;
    HWND m_hMenuBar = nullptr;
};

TEST_F(JapaneseInterfaceEndToEnd, TheMenuBarAndTheAddressLabelAreJapanese) {
    const wchar_t* kMenus[] = {L"ファイル(&F)",   L"編集(&E)",   L"表示(&V)",
                               L"お気に入り(&A)", L"ツール(&T)", L"ヘルプ(&H)"};
    ASSERT_EQ(::SendMessageW(m_hMenuBar, TB_BUTTONCOUNT, 0, 0), 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(MenuButtonText(static_cast<UINT>(i + 1)), kMenus[i]) << "button " << i;
    EXPECT_EQ(BandText(2), L"アドレス(&D)");
}

// The dialog's font is the template's Japanese one, which the platform lacks; under the Japanese locale it
// takes the installed Japanese font, IPA Gothic, in its place. The check box's text then shows the glyphs
// pixel for pixel as IPA Gothic draws them; a font without them would draw empty boxes.
TEST_F(JapaneseInterfaceEndToEnd, TheOptionsDialogIsJapaneseAndLegible) {
    HWND hDlg = OpenOptions();
    ASSERT_NE(hDlg, nullptr);
    EXPECT_EQ(TextOf(hDlg), L"Tarnwick Options") << "the template's caption, the same in both languages";
    HWND hCheck = ::GetDlgItem(hDlg, IDC_FORCE_COMPAT_MODE);
    ASSERT_NE(hCheck, nullptr);
    EXPECT_EQ(TextOf(hCheck), kCompatCheck);

    CClientDC screen(static_cast<HWND>(nullptr));
    CFontHandle font(::CreateFontW(-::MulDiv(10, ::GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE,
                                   FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                   DEFAULT_QUALITY, FF_DONTCARE, kJapaneseFont));
    // The start of the text, which the box shows whole: the rest runs past the dialog's edge.
    InkMask expected = InkMask::FromText(L"IE5/6互換モード", font);
    ASSERT_GT(expected.InkCount(), 0);
    RECT rect;
    ::GetWindowRect(hCheck, &rect);
    bool bFound = TarnwickProcess::WaitFor([&] { return InkMask::FromScreen(rect).Contains(expected); }, 5000);
    EXPECT_TRUE(bFound) << "the check box's text is not drawn with IPA Gothic's glyphs";

    ::PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(TarnwickProcess::WaitFor([&] { return !::IsWindow(hDlg); }, 5000));
}

}  // namespace
