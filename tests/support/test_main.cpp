#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    return RUN_ALL_TESTS();
}
