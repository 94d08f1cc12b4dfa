#include "support/hosted_view_fixture.h"
#include "res/resource.h"
#include "support/message_box_answerer.h"
#include "support/message_pump.h"
#include "support/planted_files.h"

#include <memory>
#include <string>
#include <vector>

namespace {

using InternetOptionsTest = HostedViewTest;

// Without a document Internet Options starts the control panel item. A control.exe planted in the working
// directory or beside the program is never the one started: with the system's copy there the system's
// starts, and without it nothing does (the shell's report of the missing file is answered here).
TEST_F(InternetOptionsTest, WithoutADocumentTheSystemsControlPanelStartsNeverAPlantedCopy)
{
    CBrowserFrame* pFrame = OpenFrame();
    ASSERT_NE(pFrame, nullptr);
    m_pFactory->Last()->SetDocument(false);
    CScratchFolder workFolder;
    CScopedWorkingDirectory working(workFolder.Path());
    const std::vector<std::wstring> planted = {workFolder.PathOf(L"control.exe"), TestFilePath(L"control.exe")};
    for (const std::wstring& path : planted) ASSERT_TRUE(PlantProgram(path)) << testing::PrintToString(path);
    const std::wstring systemCopy = SystemFolderFile(L"control.exe");

    for (bool bSystemCopy : {true, false}) {
        SCOPED_TRACE(bSystemCopy ? "system copy present" : "no system copy");
        std::unique_ptr<CScopedSystemFile> hidden;
        if (!bSystemCopy) {
            hidden = std::make_unique<CScopedSystemFile>(systemCopy, L"");
            ASSERT_TRUE(hidden->ok());
        }
        CStartedProcesses started(L"control.exe");
        {
            ScopedMessageBoxAnswerer answerer(IDOK);
            pFrame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_TOOLS_INTERNET_OPTIONS, 0), 0);
        }
        std::vector<std::wstring> images = started.ImagePaths();
        if (bSystemCopy) {
            EXPECT_EQ(images.size(), 1u);
        }
        for (const std::wstring& image : images) EXPECT_PRED2(SamePath, image, systemCopy);
    }
    for (const std::wstring& path : planted) {
        EXPECT_FALSE(PlantedCopyRan(path)) << testing::PrintToString(path);
        ::DeleteFileW(path.c_str());
        ::DeleteFileW((path + L".ran").c_str());
    }
}

}  // namespace
