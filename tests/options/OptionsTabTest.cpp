// The options tab's actions where the window adds nothing: command lines and the cases a
// user cannot set up by pressing the buttons.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "options/OptionsTab.h"
#include "support/Sandbox.h"

using namespace testing_support;

TEST(Options, AppletCommandLines) {
    for (const char* file : {"desk.cpl", "sysdm.cpl", "main.cpl", "tweakui.cpl"})
        EXPECT_EQ(options::AppletCommandLine(file), std::string("rundll32.exe shell32.dll,Control_RunDLL ") + file);
    EXPECT_STREQ(options::kApplets[2].Button, "mouse");
}

TEST(Options, CacheThatIsAFolderOrCannotBeDeleted) {
    const std::string path = options::IconCachePath();
    ASSERT_EQ(path, WindowsDir() + "\\ShellIconCache");
    // A folder of that name is no cache file: reported as already deleted, left alone.
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    EXPECT_EQ(options::DeleteIconCache(), "アイコンキャッシュは削除済みです");
    EXPECT_TRUE(RemoveDirectoryA(path.c_str()));
    // A file held open without delete sharing cannot go.
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS, 0,
                           nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(options::DeleteIconCache(), "アイコンキャッシュ消去失敗～(T-T)");
    CloseHandle(h);
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

TEST(Options, NoExplorerKeyIsSilent) {
    RegistrySandbox sandbox;
    EXPECT_EQ(options::DeleteShellIconsKey(), "");
}
