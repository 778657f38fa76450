// The system image lists: on Windows NT with the newer common controls the shell's overlay
// images are added to them once.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "shell/IdList.h"
#include "shell/ShellModule.h"
#include "shell/ShellTesting.h"
#include "support/Sandbox.h"

using namespace shell;

namespace {

// Images in a system image list, asked for as the module asks for the list.
int ImageCount(UINT size) {
    SHFILEINFOA info = {};
    return ImageList_GetImageCount(
        reinterpret_cast<HIMAGELIST>(SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | size)));
}

// The overlays are registered at the process's first request only. This test is the first to ask in
// its program (the program sets up its files' tests in the reverse order of their names, and this
// file's name is the last), and the only one in the variants, which run as Windows NT 4 (registered)
// and Windows 98 (not).
TEST(SystemImageList, OnWindowsNTTheShellOverlaysAreAddedOnceToBothLists) {
    const std::string personality = getenv("VEMLORA_WINVER") ? getenv("VEMLORA_WINVER") : "";
    const int added = personality == "win98" ? 0 : 2;
    EXPECT_EQ(NtOverlayFixApplies(), added != 0);
    const int small = ImageCount(SHGFI_SMALLICON), large = ImageCount(SHGFI_LARGEICON);
    HIMAGELIST smallList = SystemImageList(0), largeList = SystemImageList(1);
    ASSERT_NE(smallList, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(smallList), small + added);
    EXPECT_EQ(ImageList_GetImageCount(largeList), large + added);
    // The shell's next index names its own new image, not one of the overlays (a shell with
    // more lists than these two counts its indexes in all of them).
    testing_support::TempDir dir;
    const int folder = SysIconIndex(shell_testing::ListOf(dir.MakeDir("folder")).get(), SHGFI_SMALLICON | SHGFI_OPENICON);
    EXPECT_TRUE(folder < small || folder >= small + added) << folder;
    const int registered = ImageList_GetImageCount(smallList);
    SystemImageList(0);
    SystemImageList(1);
    EXPECT_EQ(ImageList_GetImageCount(smallList), registered) << "once per process";
}

}  // namespace
