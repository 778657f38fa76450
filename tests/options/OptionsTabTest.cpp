// The options tab on folders and a registry of the test's own.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "options/OptionsTab.h"
#include "support/Sandbox.h"

using namespace testing_support;

namespace {

const std::string kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";

// The tab with four buttons, over a private system folder and a private Windows folder.
struct Tab {
    TempDir system, windows;
    TIEButton buttons[4] = {TIEButton(nullptr), TIEButton(nullptr), TIEButton(nullptr), TIEButton(nullptr)};
    options::TOptionsTab tab{{&buttons[0], &buttons[1], &buttons[2], &buttons[3]}, system.Path(), windows.Path()};
    std::vector<bool> Shown() {
        tab.UpdateAppletVisibility();
        return {buttons[0].Visible(), buttons[1].Visible(), buttons[2].Visible(), buttons[3].Visible()};
    }
};

}  // namespace

TEST(OptionsTab, AppletButtonsShowOnlyForInstalledApplets) {
    Tab t;
    EXPECT_EQ(t.Shown(), std::vector<bool>(4, false));
    t.system.WriteFile("desk.cpl", "MZ");
    EXPECT_EQ(t.Shown(), (std::vector<bool>{true, false, false, false}));
    t.system.WriteFile("main.cpl", "MZ");
    t.system.MakeDir("sysdm.cpl");  // a folder is no applet
    EXPECT_EQ(t.Shown(), (std::vector<bool>{true, false, true, false}));
    t.system.WriteFile("tweakui.cpl", "MZ");
    EXPECT_EQ(t.Shown(), (std::vector<bool>{true, false, true, true}));
}

// Each button pressed twice: done, then already done. A cache that is a folder or cannot be
// deleted, and a registry without the Explorer key (nothing shown), are the user's too.
TEST(OptionsTab, IconCacheAndShellIconsButtons) {
    Tab t;
    RegistrySandbox registry;
    MessageBoxCapture boxes;
    const auto press = [&](void (options::TOptionsTab::*button)()) {
        boxes.Clear();
        (t.tab.*button)();
        return boxes.Boxes().empty() ? std::string("(nothing)") : boxes.Boxes().back().text;
    };
    const auto cache = &options::TOptionsTab::DeleteIconCacheAndReport;
    const auto key = &options::TOptionsTab::DeleteShellIconsKeyAndReport;
    EXPECT_EQ(press(key), "(nothing)");
    RegSet(HKEY_LOCAL_MACHINE, kExplorer + "\\Shell Icons", "3", "C:\\x.ico,0");
    RegSet(HKEY_LOCAL_MACHINE, kExplorer + "\\Shell Icons\\a\\b", "v", "1");
    RegSet(HKEY_LOCAL_MACHINE, kExplorer + "\\Shell Iconsx", "keep", "1");
    t.windows.WriteFile("ShellIconCache", "cache");
    EXPECT_EQ(press(cache), "アイコンキャッシュ消去完了！");
    EXPECT_EQ(press(key), "ﾚｼﾞｽﾄﾘのｸﾘｱ完了！");
    EXPECT_EQ(press(cache), "アイコンキャッシュは削除済みです");
    EXPECT_EQ(press(key), "ﾚｼﾞｽﾄﾘはｸﾘｱ済です");
    EXPECT_FALSE(FileExistsA(t.windows / "ShellIconCache"));
    EXPECT_FALSE(RegKeyPresent(HKEY_LOCAL_MACHINE, kExplorer + "\\Shell Icons"));
    EXPECT_TRUE(RegValuePresent(HKEY_LOCAL_MACHINE, kExplorer + "\\Shell Iconsx", "keep"));

    t.windows.MakeDir("ShellIconCache");
    EXPECT_EQ(press(cache), "アイコンキャッシュは削除済みです");
    RemoveDirectoryA((t.windows / "ShellIconCache").c_str());
    // A file held open without delete sharing cannot go.
    ui::KernelHandle held(CreateFileA(t.windows.WriteFile("ShellIconCache", "x").c_str(), GENERIC_READ,
                                      FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ(press(cache), "アイコンキャッシュ消去失敗～(T-T)");
}
