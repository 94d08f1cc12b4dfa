#include "support/hosted_view_fixture.h"
#include "support/icon_pixels.h"
#include "support/planted_files.h"
#include "support/scoped_registry_value.h"

#include <urlmon.h>
#include <string>
#include <vector>

namespace {

using ZoneIconTest = HostedViewTest;

constexpr const wchar_t* kRestrictedZoneKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\4";

// The zone's "Icon" value in the prefix's real HKCU for the scope, put back afterwards.
class CScopedZoneIcon {
public:
    explicit CScopedZoneIcon(const std::wstring& iconPath) : m_bSet(m_value.SetString(iconPath)) {}
    bool ok() const { return m_bSet; }

private:
    CScopedRegistryValue m_value{HKEY_CURRENT_USER, kRestrictedZoneKey, L"Icon"};
    bool m_bSet;
};

// The module a zone names for its icon is read for that icon only: its start-up code never runs.
TEST_F(ZoneIconTest, TheZonesIconModuleIsReadNotRun)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    CScratchFolder folder;
    const std::wstring module = folder.PathOf(L"zoneicons.dll");
    ASSERT_TRUE(PlantLibrary(module));
    CScopedZoneIcon zoneIcon(module + L"#1");
    ASSERT_TRUE(zoneIcon.ok());

    // How the pane shows the module's own icon 1 at the small size, and how it shows the empty image.
    HWND hBar = pFrame->m_wndStatusBar.m_hWnd;
    auto panePixels = [&] { return IconPixels(reinterpret_cast<HICON>(::SendMessageW(hBar, SB_GETICON, 4, 0))); };
    const std::vector<COLORREF> empty = panePixels();
    HMODULE hImage = ::LoadLibraryExW(module.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(hImage, nullptr);
    HICON hExpected = static_cast<HICON>(::LoadImageW(hImage, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                      ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
    ::FreeLibrary(hImage);
    ASSERT_NE(hExpected, nullptr);
    pFrame->m_wndStatusBar.SetPaneIcon(CBrowserFrame::kPaneZone, hExpected, TRUE);
    ::DestroyIcon(hExpected);
    const std::vector<COLORREF> expected = panePixels();
    ASSERT_NE(expected, empty) << "the planted icon must look different from the empty image";
    pFrame->m_wndStatusBar.SetPaneIcon(CBrowserFrame::kPaneZone,
                                       CIconHandle(ImageList_GetIcon(theApp.m_imageList.GetSafeHandle(), 5, ILD_NORMAL)));
    ASSERT_EQ(panePixels(), empty);

    pFrame->UpdateZonePane(URLZONE_UNTRUSTED);
    EXPECT_EQ(panePixels(), expected);
    EXPECT_FALSE(PlantedCopyRan(module));
}

}  // namespace
