#include <gtest/gtest.h>

#include "app/main_frame.h"
#include "app/tarnwick_app.h"
#include "frame/browser_frame.h"
#include "support/creation_refusal.h"
#include "support/message_pump.h"
#include "support/scoped_registry_value.h"

#include <urlmon.h>
#include <string>

namespace {

// Each test starts the application once in its own process, as the program's entry point would.
class StartupTest : public testing::Test {
protected:
    void SetUp() override
    {
        theApp.SetCurrentHandles(::GetModuleHandleW(nullptr), m_szCmdLine);
    }
    void TearDown() override
    {
        if (theApp.m_pMainWnd) {
            theApp.OnAppExit();
            bool bQuit = false;
            PumpUntil([] { return false; }, 3000, &bQuit);
            EXPECT_TRUE(bQuit);
        }
    }
    CMainFrame* WindowManager() { return dynamic_cast<CMainFrame*>(theApp.m_pMainWnd); }
    bool WaitForFirstWindow()
    {
        return PumpUntil([this] {
            CMainFrame* pManager = WindowManager();
            return pManager && pManager->m_listFrames.GetCount() == 1 &&
                   ::IsWindowVisible(pManager->m_listFrames.GetHead().hWnd);
        });
    }
    static std::string UserAgent()
    {
        char szAgent[512] = {};
        DWORD cb = sizeof(szAgent);
        EXPECT_EQ(::ObtainUserAgentString(0, szAgent, &cb), S_OK);
        return szAgent;
    }
    wchar_t m_szCmdLine[1] = {};
};

TEST_F(StartupTest, HiddenWindowManagerOpensTheFirstWindowMaximised)
{
    ASSERT_TRUE(theApp.InitInstance());
    EXPECT_EQ(theApp.m_strExeName, L"app_tests.exe");
    EXPECT_EQ(theApp.m_imageList.GetImageCount(), 6);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(theApp.m_imageList, &cx, &cy);
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
    EXPECT_FALSE(AfxOleGetMessageFilter()->IsBusyDialogEnabled());
    EXPECT_FALSE(AfxOleGetMessageFilter()->IsNotRespondingDialogEnabled());
    CMainFrame* pManager = WindowManager();
    ASSERT_NE(pManager, nullptr);
    EXPECT_FALSE(pManager->IsWindowVisible());
    EXPECT_TRUE(pManager->m_listFrames.IsEmpty());  // the first window waits for the running loop

    ASSERT_TRUE(WaitForFirstWindow());
    HWND hFrame = pManager->m_listFrames.GetHead().hWnd;
    EXPECT_TRUE(::IsZoomed(hFrame));
    EXPECT_FALSE(pManager->IsWindowVisible());
    EXPECT_EQ(pManager->m_nTimer, reinterpret_cast<UINT_PTR>(pManager));
    CString strTitle;
    CWnd::FromHandle(hFrame)->GetWindowText(strTitle);
    EXPECT_EQ(strTitle, L"Tarnwick");
}

TEST_F(StartupTest, CompatValueGivesEveryControlTheOldUserAgent)
{
    BOOL bStarted = FALSE;
    {
        CScopedRegistryValue compat(HKEY_CURRENT_USER, kCompatModeKey, L"app_tests.exe");
        ASSERT_TRUE(compat.SetDword(kCompatModeOn));
        bStarted = theApp.InitInstance();
    }
    ASSERT_TRUE(bStarted);
    EXPECT_EQ(UserAgent(), kCompatUserAgent);
}

TEST_F(StartupTest, WithoutCompatValueTheUserAgentIsLeftAlone)
{
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kCompatModeKey, L"app_tests.exe");
    ASSERT_TRUE(theApp.InitInstance());
    EXPECT_NE(UserAgent(), kCompatUserAgent);
}

TEST_F(StartupTest, StartFailsWhenTheWindowManagerCannotBeCreated)
{
    ScopedCreationRefusal refusal;
    EXPECT_FALSE(theApp.InitInstance());
    EXPECT_EQ(refusal.refused(), 1);
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
}

}  // namespace
