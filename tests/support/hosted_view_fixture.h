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

    // A new shown frame (of a test's own frame class, if given) with its view initialised; null when
    // creation failed.
    template <class TFrame = CBrowserFrame>
    TFrame* OpenFrame(bool bInitialise = true)
    {
        auto* pFrame = new TFrame;
        return ShowNewFrame(pFrame, bInitialise) ? pFrame : nullptr;
    }
    // Loads and shows a frame made with new; false when it failed, and deleted itself.
    bool ShowNewFrame(CBrowserFrame* pFrame, bool bInitialise);
    static COleControlSiteEx* SiteOf(CBrowserFrame* pFrame);

    std::unique_ptr<StandInBrowserFactory> m_pFactory;
    std::vector<HWND> m_frames;
};
