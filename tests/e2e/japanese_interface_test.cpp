#include <gtest/gtest.h>

#include "e2e/browser_window_fixture.h"
#include "e2e/tarnwick_process.h"
#include "e2e/user_input.h"
#include "e2e/window_queries.h"
#include "framework/gdi.h"
#include "framework/handles.h"
#include "res/resource.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr const wchar_t* kJapaneseFont = L"IPAGothic";
constexpr const wchar_t* kCompatCheck = L"IE5/6互換モードを強制する(Quirksモード)";

// Which pixels of a picture carry ink: text is drawn without smoothing here, so a pixel is ink or
// background (the colour most pixels have), nothing between.
class InkMask {
public:
    // The pixels now on the screen inside the rectangle.
    static InkMask FromScreen(const RECT& rect)
    {
        CClientDC screen(static_cast<HWND>(nullptr));
        return InkMask(rect.right - rect.left, rect.bottom - rect.top, [&](HDC hDC, int cx, int cy) {
            ::BitBlt(hDC, 0, 0, cx, cy, screen, rect.left, rect.top, SRCCOPY);
        });
    }
    // The text drawn with the font on its own line from the left, as a check box draws it.
    static InkMask FromText(const std::wstring& text, HFONT hFont)
    {
        SIZE size{};
        {
            CMemDCHandle dc(::CreateCompatibleDC(nullptr));
            CSelectObject font(dc, hFont);
            ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        }
        return InkMask(size.cx, size.cy, [&](HDC hDC, int cx, int cy) {
            RECT rect{0, 0, cx, cy};
            ::FillRect(hDC, &rect, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
            CSelectObject font(hDC, hFont);
            ::SetTextColor(hDC, RGB(0, 0, 0));
            ::SetBkMode(hDC, TRANSPARENT);
            ::TextOutW(hDC, 0, 0, text.c_str(), static_cast<int>(text.size()));
        });
    }
    int InkCount() const { return static_cast<int>(std::count(m_bits.begin(), m_bits.end(), true)); }
    // Whether the other mask shows up here, pixel for pixel, at some offset.
    bool Contains(const InkMask& other) const
    {
        for (int dy = 0; dy + other.m_cy <= m_cy; ++dy) {
            for (int dx = 0; dx + other.m_cx <= m_cx; ++dx) {
                if (MatchesAt(other, dx, dy)) return true;
            }
        }
        return false;
    }

private:
    // The picture is painted into a 32-bit bitmap of the size given.
    InkMask(int cx, int cy, const std::function<void(HDC, int, int)>& paint) : m_cx(cx), m_cy(cy)
    {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        CMemDCHandle dc(::CreateCompatibleDC(nullptr));
        void* pBits = nullptr;
        CBitmapHandle bitmap(::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pBits, nullptr, 0));
        if (!dc || !bitmap || cx <= 0 || cy <= 0) {
            m_cx = m_cy = 0;
            return;
        }
        {
            CSelectObject select(dc, bitmap);
            paint(dc, cx, cy);
            ::GdiFlush();
        }
        // Blue, green, red from the low byte up.
        auto luma = [](DWORD px) { return (((px >> 16) & 0xFF) * 3 + ((px >> 8) & 0xFF) * 6 + (px & 0xFF)) / 10; };
        const DWORD* pPixels = static_cast<const DWORD*>(pBits);
        const size_t nPixels = static_cast<size_t>(cx) * static_cast<size_t>(cy);
        std::vector<int> histogram(256);
        for (size_t i = 0; i < nPixels; ++i) ++histogram[luma(pPixels[i])];
        const int nBackground =
            static_cast<int>(std::max_element(histogram.begin(), histogram.end()) - histogram.begin());
        for (size_t i = 0; i < nPixels; ++i) m_bits.push_back(luma(pPixels[i]) + 64 < static_cast<DWORD>(nBackground));
    }
    bool ink(int x, int y) const { return m_bits[static_cast<size_t>(y) * static_cast<size_t>(m_cx) + x]; }
    bool MatchesAt(const InkMask& other, int dx, int dy) const
    {
        for (int y = 0; y < other.m_cy; ++y) {
            for (int x = 0; x < other.m_cx; ++x) {
                if (ink(dx + x, dy + y) != other.ink(x, y)) return false;
            }
        }
        return true;
    }

    int m_cx;
    int m_cy;
    std::vector<bool> m_bits;  // row by row, from the top
};

class JapaneseInterfaceEndToEnd : public BrowserWindowFixture {
protected:
    void SetUp() override
    {
        // A started program takes its locale from the process that starts it, not from the environment it is
        // given: these tests' entries run under a Japanese locale of their own.
        ASSERT_EQ(PRIMARYLANGID(::GetUserDefaultUILanguage()), LANG_JAPANESE) << "not run under a Japanese locale";
        Start(L"about:blank");
        ASSERT_NE(m_hMenuBar, nullptr);
    }
    // A band's label, read with the band information and its text buffer in the program's memory.
    std::wstring BandText(UINT nBand)
    {
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
    HWND OpenOptions()
    {
        PressKeys({{VK_MENU, true}, {'T', true}, {'T', false}, {VK_MENU, false}});
        TarnwickProcess::WaitFor(
            [] { return !VisiblePopupMenus().empty(); },
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

};

TEST_F(JapaneseInterfaceEndToEnd, TheMenuBarAndTheAddressLabelAreJapanese)
{
    const wchar_t* kMenus[] = {L"ファイル(&F)",   L"編集(&E)",   L"表示(&V)",
                               L"お気に入り(&A)", L"ツール(&T)", L"ヘルプ(&H)"};
    ASSERT_EQ(::SendMessageW(m_hMenuBar, TB_BUTTONCOUNT, 0, 0), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(m_pTarnwick->ButtonText(m_hMenuBar, static_cast<UINT>(i + 1)), kMenus[i]) << "button " << i;
    }
    EXPECT_EQ(BandText(2), L"アドレス(&D)");
}

// The dialog's font is the template's Japanese one, which the platform lacks; under the Japanese locale it
// takes the installed Japanese font, IPA Gothic, in its place. The check box's text then shows the glyphs
// pixel for pixel as IPA Gothic draws them; a font without them would draw empty boxes.
TEST_F(JapaneseInterfaceEndToEnd, TheOptionsDialogIsJapaneseAndLegible)
{
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
