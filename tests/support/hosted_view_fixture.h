#pragma once
#include <gtest/gtest.h>

#include "app/tarnwick_app.h"
#include "frame/browser_frame.h"
#include "hosting/ole_control_site_ex.h"
#include "support/stand_in_browser.h"

#include <memory>
#include <vector>

// Browser frames whose views host the stand-in control, created through the
// program's own control container.
class HostedViewTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new shown frame with its view initialised; null when creation failed.
    CBrowserFrame* OpenFrame(bool bInitialise = true);
    static COleControlSiteEx* SiteOf(CBrowserFrame* pFrame);

    std::unique_ptr<StandInBrowserFactory> m_pFactory;
    std::vector<HWND> m_frames;
};
