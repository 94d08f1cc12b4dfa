#include "hosted_view_fixture.h"
#include "res/resource.h"
#include "support/message_pump.h"
#include "support/view_probe.h"

void HostedViewTest::SetUp()
{
    ASSERT_TRUE(AfxOleInit());
    AfxEnableControlContainer(&theApp.m_occManager);
    // The shared images, as start-up loads them.
    if (!theApp.m_imageList.GetSafeHandle()) {
        theApp.LoadImageList();
        ASSERT_TRUE(theApp.m_imageList.GetSafeHandle());
        ASSERT_EQ(theApp.m_imageList.GetImageCount(), kImageEmpty + 1);
    }
    m_pFactory = std::make_unique<StandInBrowserFactory>();
    ASSERT_EQ(m_pFactory->RegistrationResult(), S_OK);
}

void HostedViewTest::TearDown()
{
    for (HWND hFrame : m_frames) {
        if (::IsWindow(hFrame)) ::DestroyWindow(hFrame);
    }
    PumpPending();
    m_pFactory.reset();
}

bool HostedViewTest::ShowNewFrame(CBrowserFrame* pFrame, bool bInitialise)
{
    if (!pFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE)) return false;
    m_frames.push_back(pFrame->m_hWnd);
    pFrame->ShowWindow(SW_SHOWNORMAL);
    if (bInitialise) PumpPending();
    return true;
}

COleControlSiteEx* HostedViewTest::SiteOf(CBrowserFrame* pFrame)
{
    return dynamic_cast<COleControlSiteEx*>(CViewProbe::BrowserWnd(pFrame->m_wndView).m_pCtrlSite);
}
