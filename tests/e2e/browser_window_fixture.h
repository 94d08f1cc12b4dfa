#pragma once
#include <gtest/gtest.h>

#include "e2e/tarnwick_process.h"
#include "e2e/user_input.h"
#include "res/resource.h"

#include <memory>
#include <string>

// A Tarnwick.exe with one browser window in front, its bars found by their ids;
// the window is closed again and the process must end with exit code 0.
class BrowserWindowFixture : public testing::Test {
protected:
    void Start(const std::wstring& arguments)
    {
        m_pTarnwick = std::make_unique<TarnwickProcess>(arguments);
        ASSERT_TRUE(m_pTarnwick->WaitForBrowserWindows(1));
        m_hFrame = m_pTarnwick->BrowserWindows()[0];
        m_hReBar = ::GetDlgItem(m_hFrame, AFX_IDW_REBAR);
        ASSERT_NE(m_hReBar, nullptr);
        m_hToolBar = ::GetDlgItem(m_hReBar, AFX_IDW_TOOLBAR);
        m_hMenuBar = ::GetDlgItem(m_hReBar, AFX_IDW_MENUBAR);
        m_hAddress = ::GetDlgItem(m_hReBar, IDC_ADDRESS_BOX);
        BringToFront(m_hFrame);
    }
    void TearDown() override
    {
        if (!m_pTarnwick) return;
        ::PostMessageW(m_hFrame, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(m_pTarnwick->WaitForExit(), 0);
        m_pTarnwick.reset();
    }

    std::unique_ptr<TarnwickProcess> m_pTarnwick;
    HWND m_hFrame = nullptr;
    HWND m_hReBar = nullptr;
    HWND m_hToolBar = nullptr;
    HWND m_hMenuBar = nullptr;
    HWND m_hAddress = nullptr;
};
