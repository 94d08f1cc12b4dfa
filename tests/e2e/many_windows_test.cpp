#include <gtest/gtest.h>

#include "e2e/tarnwick_process.h"
#include "e2e/user_input.h"

#include <algorithm>
#include <random>
#include <vector>

namespace {

// The ways a user closes one window.
enum class CloseBy { CloseMessage, CaptionButton, AltF4 };

void Close(HWND hFrame, CloseBy how)
{
    switch (how) {
    case CloseBy::CloseMessage: ::PostMessageW(hFrame, WM_CLOSE, 0, 0); break;
    case CloseBy::CaptionButton: ::PostMessageW(hFrame, WM_SYSCOMMAND, SC_CLOSE, 0); break;
    case CloseBy::AltF4:
        BringToFront(hFrame);
        PressWith(VK_MENU, VK_F4);
        break;
    }
}

TEST(ManyWindowsEndToEnd, TwentyWindowsFromCtrlNCloseInAnyOrderAndOnlyTheLastEndsTheProcess)
{
    constexpr size_t kWindows = 20;
    TarnwickProcess tarnwick(L"about:blank");
    ASSERT_TRUE(tarnwick.WaitForBrowserWindows(1));
    std::vector<HWND> frames = tarnwick.BrowserWindows();
    while (frames.size() < kWindows) {
        ASSERT_TRUE(BringToFront(frames.back())) << frames.size();
        PressWith(VK_CONTROL, 'N');
        ASSERT_TRUE(tarnwick.WaitForBrowserWindows(frames.size() + 1)) << frames.size();
        for (HWND hWnd : tarnwick.BrowserWindows()) {
            if (std::find(frames.begin(), frames.end(), hWnd) == frames.end()) frames.push_back(hWnd);
        }
    }

    std::mt19937 random(20261210);  // fixed: a failing order can be replayed
    std::shuffle(frames.begin(), frames.end(), random);
    const CloseBy ways[] = {CloseBy::CloseMessage, CloseBy::CaptionButton, CloseBy::AltF4};
    for (size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "close " << i + 1 << " of " << frames.size());
        Close(frames[i], ways[i % 3]);
        ASSERT_TRUE(TarnwickProcess::WaitFor([&] { return !::IsWindow(frames[i]); }, 10000));
        if (i + 1 == frames.size()) break;
        EXPECT_EQ(tarnwick.WaitForExit(300), -1) << "the process ended with windows open";
        std::vector<HWND> left = tarnwick.BrowserWindows(), expected(frames.begin() + i + 1, frames.end());
        std::sort(left.begin(), left.end());
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(left, expected);
    }
    EXPECT_EQ(tarnwick.WaitForExit(3000), 0) << "the last window closed";
    EXPECT_EQ(tarnwick.ErrorOutput(), "");
}

}  // namespace
