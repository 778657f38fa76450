// The options tab's buttons and the exit button on the real main window.
#include <gtest/gtest.h>

#include <string>

#include "icons/IconLocation.h"
#include "options/OptionsTab.h"
#include "support/MainWindow.h"

using namespace testing_support;

namespace {

const char kExplorer[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";

// Puts applet files into the system directory for one test and takes them away again.
class AppletFiles {
public:
    explicit AppletFiles(std::initializer_list<const char*> present) {
        for (const auto& a : options::kApplets) {
            std::string path = icons::GetSystemDir() + "\\" + a.FileName;
            std::string aside = path + ".vemlora-test";
            bool had = FileExistsA(path);
            if (had) MoveFileA(path.c_str(), aside.c_str());
            saved_.push_back({path, aside, had});
        }
        for (const char* name : present) {
            std::string path = icons::GetSystemDir() + "\\" + name;
            HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            CloseHandle(h);
        }
    }
    ~AppletFiles() {
        for (const auto& s : saved_) {
            DeleteFileA(s.path.c_str());
            if (s.had) MoveFileA(s.aside.c_str(), s.path.c_str());
        }
    }

private:
    struct Saved {
        std::string path, aside;
        bool had;
    };
    std::vector<Saved> saved_;
};

}  // namespace

TEST(OptionsTab, AppletButtonsShowOnlyForInstalledApplets) {
    struct Case {
        std::initializer_list<const char*> present;
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
        // The labels beside them stay.
        EXPECT_TRUE(w->Label29->Visible());
        EXPECT_EQ(w->Label29->Caption(), "Tweak UI パネル(Tweak UI 導入時のみ)");
    }
}

TEST(OptionsTab, IconCacheButtonReportsEachOutcome) {
    MainWindow w;
    std::string cache = options::IconCachePath();
    HANDLE h = CreateFileA(cache.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    w->IEButton11Click(w->IEButton11);
    w->IEButton11Click(w->IEButton11);
    ASSERT_EQ(w.Boxes().Boxes().size(), 2u);
    EXPECT_EQ(w.Boxes().Boxes()[0].text, "アイコンキャッシュ消去完了！");
    EXPECT_EQ(w.Boxes().Boxes()[1].text, "アイコンキャッシュは削除済みです");
    for (const auto& b : w.Boxes().Boxes()) EXPECT_EQ(b.caption, "Vemlora");
    EXPECT_FALSE(FileExistsA(cache));
}

TEST(OptionsTab, ShellIconsKeyIsDeletedWholeThenReportedCleared) {
    MainWindow w([] {
        RegSet(HKEY_LOCAL_MACHINE, std::string(kExplorer) + "\\Shell Icons", "3", "C:\\x.ico,0");
        RegSet(HKEY_LOCAL_MACHINE, std::string(kExplorer) + "\\Shell Icons\\a\\b", "v", "1");
        RegSet(HKEY_LOCAL_MACHINE, std::string(kExplorer) + "\\Other", "keep", "1");
    });
    w->IEButton12Click(w->IEButton12);
    w->IEButton12Click(w->IEButton12);
    ASSERT_EQ(w.Boxes().Boxes().size(), 2u);
    EXPECT_EQ(w.Boxes().Boxes()[0].text, "ﾚｼﾞｽﾄﾘのｸﾘｱ完了！");
    EXPECT_EQ(w.Boxes().Boxes()[1].text, "ﾚｼﾞｽﾄﾘはｸﾘｱ済です");
    EXPECT_FALSE(RegKeyPresent(HKEY_LOCAL_MACHINE, std::string(kExplorer) + "\\Shell Icons"));
    EXPECT_TRUE(RegValuePresent(HKEY_LOCAL_MACHINE, std::string(kExplorer) + "\\Other", "keep"));
}

TEST(OptionsTab, ExitClosesTheProgramWithoutAsking) {
    MainWindow w;
    w->Slots[1].CurrentIndex = 99;  // an unapplied change
    auto before = RegDump(HKEY_CLASSES_ROOT);
    ui::Application().SetMainForm(&w.Form());
    w->IEButton6Click(w->IEButton6);
    EXPECT_TRUE(ui::Application().Terminated());
    EXPECT_FALSE(IsWindowVisible(w->Handle()));
    EXPECT_TRUE(w.Boxes().Boxes().empty());
    EXPECT_EQ(RegDump(HKEY_CLASSES_ROOT), before);
    // Leave the application as the other tests expect it.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    ui::Application().SetMainForm(nullptr);
    ui::Application().Initialize();
}
