#include "support/hosted_view_fixture.h"
#include "support/message_box_answerer.h"
#include "support/planted_files.h"

#include <string>
#include <vector>

namespace {

// The notices of the test library that stands in for the system's resource library, and of the
// library planted in the working directory and on PATH.
const wchar_t kSystemNotice[] = L"Test notice eight thousand thirty-three";
const wchar_t kPlantedNotice[] = L"Planted notice eight thousand thirty-three";

using ShowMessagePlantingTest = HostedViewTest;

// A page's message box while a library of the resource library's name lies in the working directory (where
// the Open dialog leaves the user's folder) and in a folder on PATH: it is never loaded as code, and its
// texts suppress nothing, whether or not the system folder has the real one.
TEST_F(ShowMessagePlantingTest, APlantedResourceLibraryIsNeverLoaded)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    std::shared_ptr<StandInControl> control = m_pFactory->Last();
    CScratchFolder workFolder, pathFolder;
    const std::vector<std::wstring> planted = {workFolder.PathOf(L"SHDOCLC.DLL"), pathFolder.PathOf(L"SHDOCLC.DLL")};
    for (const std::wstring& path : planted) ASSERT_TRUE(PlantLibrary(path));
    CScopedWorkingDirectory working(workFolder.Path());
    CScopedPathEntry onPath(pathFolder.Path());

    struct Case {
        const char* name;
        std::wstring systemCopy;  // empty: the system ships no such library
        bool bSystemNoticeDropped;
    };
    const Case cases[] = {
        {"no library in the system folder", L"", false},
        {"the library in the system folder", TestFilePath(L"shdoclc\\SHDOCLC.DLL"), true},
    };
    for (const Case& c : cases) {
        CScopedSystemFile system(SystemFolderFile(L"SHDOCLC.DLL"), c.systemCopy);
        ASSERT_TRUE(system.ok()) << c.name;
        for (const wchar_t* pszText : {kPlantedNotice, kSystemNotice}) {
            ScopedMessageBoxAnswerer answerer(IDOK);
            LRESULT lResult = 0;
            EXPECT_EQ(control->ShowMessage(pFrame->m_hWnd, const_cast<LPOLESTR>(pszText),
                                           const_cast<LPOLESTR>(L"Page"), MB_OK, &lResult),
                      S_OK);
            bool bDropped = pszText == kSystemNotice && c.bSystemNoticeDropped;
            EXPECT_EQ(answerer.boxes().size(), bDropped ? 0u : 1u) << c.name << ": " << testing::PrintToString(pszText);
        }
        for (const std::wstring& path : planted) {
            EXPECT_FALSE(PlantedCopyRan(path)) << c.name << ": " << testing::PrintToString(path);
        }
    }
}

}  // namespace
