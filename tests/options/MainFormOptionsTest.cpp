// The options tab's buttons and the exit button on the real main window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "icons/IconLocation.h"
#include "options/OptionsTab.h"
#include "support/MainWindow.h"

using namespace testing_support;

namespace {

const char kExplorer[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";

// Exactly the named applet files in the system directory for one test; what was there before
// waits beside them and comes back.
class AppletFiles {
public:
    explicit AppletFiles(std::vector<std::string> present) {
        for (const auto& a : options::kApplets) {
            std::string path = icons::GetSystemDir() + "\\" + a.FileName;
            paths_.push_back(path);
            had_.push_back(MoveFileA(path.c_str(), (path + ".aside").c_str()) != FALSE);
        }
        for (const auto& name : present) CloseHandle(CreateFileA((icons::GetSystemDir() + "\\" + name).c_str(),
                                                                 GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    ~AppletFiles() {
        for (size_t i = 0; i < paths_.size(); ++i) {
            DeleteFileA(paths_[i].c_str());
            if (had_[i]) MoveFileA((paths_[i] + ".aside").c_str(), paths_[i].c_str());
        }
    }

private:
    std::vector<std::string> paths_;
    std::vector<bool> had_;
};

}  // namespace

TEST(OptionsTab, AppletButtonsShowOnlyForInstalledApplets) {
    struct Case {
        std::vector<std::string> present;
        bool disp, system, mouse, tweak;
    } cases[] = {
        {{"desk.cpl", "main.cpl"}, true, false, true, false},
        {{"sysdm.cpl", "tweakui.cpl"}, false, true, false, true},
        {{}, false, false, false, false},
    };
    for (const Case& c : cases) {
        AppletFiles files(c.present);
        MainWindow w;
        EXPECT_EQ(w->disp->Visible(), c.disp);
        EXPECT_EQ(w->system->Visible(), c.system);
        EXPECT_EQ(w->mouse->Visible(), c.mouse);
        EXPECT_EQ(w->tweak->Visible(), c.tweak);
        EXPECT_TRUE(w->Label29->Visible()) << "the label stays";
    }
}

TEST(OptionsTab, IconCacheAndShellIconsButtonsPressedTwice) {
    MainWindow w([] {
        RegSet(HKEY_LOCAL_MACHINE, std::string(kExplorer) + "\\Shell Icons", "3", "C:\\x.ico,0");
        RegSet(HKEY_LOCAL_MACHINE, std::string(kExplorer) + "\\Shell Icons\\a\\b", "v", "1");
        RegSet(HKEY_LOCAL_MACHINE, std::string(kExplorer) + "\\Shell Iconsx", "keep", "1");
    });
    std::string cache = options::IconCachePath();
    CloseHandle(CreateFileA(cache.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    for (int i = 0; i < 2; ++i) {
        w->IEButton11Click(w->IEButton11);
        w->IEButton12Click(w->IEButton12);
    }
    std::vector<std::string> texts;
    for (const auto& b : w.Boxes().Boxes()) {
        texts.push_back(b.text);
        EXPECT_EQ(b.caption, "Vemlora");
    }
    std::vector<std::string> expected = {"アイコンキャッシュ消去完了！", "ﾚｼﾞｽﾄﾘのｸﾘｱ完了！",
                                         "アイコンキャッシュは削除済みです", "ﾚｼﾞｽﾄﾘはｸﾘｱ済です"};
    EXPECT_EQ(texts, expected);
    EXPECT_FALSE(FileExistsA(cache));
    EXPECT_FALSE(RegKeyPresent(HKEY_LOCAL_MACHINE, std::string(kExplorer) + "\\Shell Icons"));
    EXPECT_TRUE(RegValuePresent(HKEY_LOCAL_MACHINE, std::string(kExplorer) + "\\Shell Iconsx", "keep"));
}

TEST(OptionsTab, ExitClosesTheProgramWithoutAsking) {
    MainWindow w;
    w->Desktop->Slots[1].CurrentIndex = 99;  // an unapplied change
    auto before = RegDump(HKEY_CLASSES_ROOT);
    ui::Application().SetMainForm(&w.Form());
    w->IEButton6Click(w->IEButton6);
    EXPECT_TRUE(ui::Application().Terminated());
    EXPECT_FALSE(IsWindowVisible(w->Handle()));
    EXPECT_TRUE(w.Boxes().Boxes().empty());
    EXPECT_EQ(RegDump(HKEY_CLASSES_ROOT), before);
    MSG msg;  // leave the application as the other tests expect it
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    ui::Application().SetMainForm(nullptr);
    ui::Application().Initialize();
}
