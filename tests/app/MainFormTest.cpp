// The main window's start-up and tab pages on a registry of the test's own, and the probe of the
// Windows version under it.
#include <gtest/gtest.h>

#include <windows.h>

#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "app/Probe.h"
#include "icons/IconLocation.h"
#include "icons/IconSlots.h"
#include "support/IconLibraries.h"
#include "support/MainWindow.h"

using namespace testing_support;

// Every kind of damaged icon file that once ended the program inside the platform's icon
// extraction, named by the desktop objects' stored locations: the program starts all the same, and
// shows them as files without icons.
TEST(MainWindow, DamagedIconFilesOfEveryKindStartAsFilesWithoutIcons) {
    // Slot 1 first: selected at start-up, the grid shows it. Its keys are the program's own; the
    // registry tests check them. Where the window reads: the per-user key on "YES" systems where
    // the slot has one.
    const int slots[] = {1, 2, 4, 5, 7, 8, 9, 10, 6, 11};
    const icons::TIconSlotTable table;
    const std::vector<TDamagedIconFile> damaged = DamagedIconFiles();
    ASSERT_LE(damaged.size(), std::size(slots));
    TempDir dir;
    std::vector<std::string> paths;
    for (const TDamagedIconFile& d : damaged) paths.push_back(dir.WriteFile(d.name, d.bytes));
    MainWindow w([&] {
        for (size_t i = 0; i < paths.size(); ++i) {
            const icons::TIconSlot& slot = table[slots[i]];
            const bool user = !slot.UserClassesKey.empty() && PerUserRun();
            RegSet(user ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT, user ? slot.UserClassesKey : slot.ClassesKey,
                   slot.ValueName, paths[i] + ",0");
        }
        RegSet(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\" +
                                       std::string(icons::kRecycleBinClsid), "", "くずかご");
    });
    RedrawWindow(w->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    for (size_t i = 0; i < paths.size(); ++i)
        EXPECT_EQ(w->Desktop->Slots[slots[i]].CurrentFile, paths[i]) << damaged[i].name;
    EXPECT_EQ(w->Edit1->Text(), "くずかご");
    const auto& grid = *w->IconListBox1;
    EXPECT_EQ(std::make_tuple(grid.FileName(), grid.NumberOfIcons(), w->Caption()),
              std::make_tuple(paths[0], 0, "Vemlora " + paths[0] + " /-1"));
    w->Image15Click(w->Image15);  // slot 4, the third
    EXPECT_EQ(std::make_pair(grid.FileName(), grid.NumberOfIcons()), std::make_pair(paths[2], 0));
}

// Start-up selects My Computer; the window answers as the run's Windows personality and display depth.
TEST(MainWindow, StartUpSelectionPersonalityAndColourDepth) {
    MainWindow w;
    EXPECT_TRUE(w->Desktop->SelectedSlot == 1 && w->PageControl1->ActivePage() == w->TabSheet2);
    for (int n = 1; n <= 11; ++n) EXPECT_EQ(w->Desktop->SlotBevel(n)->Visible(), n == 1) << n;
    // Nothing stored: My Computer's default, which Wine's explorer.exe gives no icon for.
    const std::string file = icons::GetWindowsDir() + "\\ExpLorer.exe";
    EXPECT_EQ((std::vector<std::string>{w->Desktop->Slots[1].CurrentFile, w->IconListBox1->FileName(), w->Choosing->PreviousFile}),
              std::vector<std::string>(3, file));
    EXPECT_EQ(w->Caption(), "Vemlora " + file + " /" + std::to_string(w->IconListBox1->ItemIndex()));
    // No NameSpace key in this registry: the name box is empty, its form text replaced.
    EXPECT_EQ(std::make_pair(w->Choosing->LastFolder, w->Edit1->Text()), std::make_pair(icons::GetWindowsDir() + "\\", std::string()));
    EXPECT_FALSE(w->Image6->Picture().Empty()) << "slot images are painted at start-up";
    const std::map<std::string, std::pair<std::string, std::string>> runs = {  // flag and line for each personality
        {"win95", {"NO", "Your OS is Windows 95 4.0 Build 950"}},
        {"win98", {"YES", "Your OS is Windows 98 4.10 Build 2222"}},
        {"nt40", {"YES", "Your OS is Windows NT 4.0 Build 1381"}},
        {"win10", {"YES", "Your OS is Windows NT 6.2 Build 9200"}},
        {"", {"YES", "Your OS is Windows NT 6.1 Build 7601"}},
    };
    EXPECT_EQ(std::make_pair(w->OsFlag(), w->Label25->Caption()), runs.at(Personality()));
    const bool win98 = Personality() == "win98";  // My Documents only there
    EXPECT_EQ((std::vector<bool>{w->IsWindows98, w->Image21->Visible(), w->Label19->Visible()}),
              std::vector<bool>(3, win98));
    EXPECT_EQ(w->Desktop->Slots[11].CurrentFile, win98 ? icons::GetSystemDir() + "\\mydocs.dll" : "");
    EXPECT_EQ(std::make_tuple(w->ScreenBits, w->Label3->Caption(), w->icon->Checked()),
              std::make_tuple(Depth(), std::to_string(Depth()) + "bit", Depth() > 8));
}

TEST(MainWindow, TabPagesSwitchTheRightHandSideAndExitAsksNothing) {
    MainWindow w;
    // Enabled: the grid, "実行", the load button, the menu icon button; shown: panel 4, panel 2.
    struct { ui::TTabSheet* page; std::vector<bool> state; } states[] = {
        {w->TabSheet5, {false, false, false, false, true, false}},
        {w->TabSheet4, {false, true, false, true, false, true}},
        {w->TabSheet2, {true, true, true, true, true, false}},
    };
    for (const auto& s : states) {
        w.ShowPage(s.page);
        EXPECT_TRUE(w->PageControl1->ActivePage() == s.page && IsWindowVisible(s.page->Handle())) << s.page->Name();
        EXPECT_EQ((std::vector<bool>{w->IconListBox1->Enabled(), w->IEButton5->Enabled(), w->IEButton8->Enabled(),
                         w->IEButton10->Enabled(), w->Panel4->Visible(), w->Panel2->Visible()}), s.state) << s.page->Name();
        // A box ticked before its page was first shown shows its tick.
        EXPECT_EQ(SendMessageA(w->icon->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED, w->icon->Checked());
    }
    // Back on the desktop page the same slot is selected again.
    EXPECT_EQ(w->Desktop->SelectedSlot, 1);
    EXPECT_TRUE(w->Bevel5->Visible());
    // The exit button closes the program at once, an unapplied change neither asked about nor written.
    w->Desktop->Slots[1].CurrentIndex = 99;
    const auto before = RegDump(HKEY_CLASSES_ROOT);
    ui::Application().SetMainForm(&w.Form());
    w->IEButton6Click(w->IEButton6);
    EXPECT_TRUE(ui::Application().Terminated());
    EXPECT_FALSE(IsWindowVisible(w->Handle()));
    EXPECT_TRUE(w.Boxes().Boxes().empty());
    EXPECT_EQ(RegDump(HKEY_CLASSES_ROOT), before);
    // Leave the application as the other tests expect it.
    for (MSG msg; PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);) {
    }
    ui::Application().SetMainForm(nullptr);
    ui::Application().Initialize();
}

TEST(OsProbe, ClassifiesEveryPlatform) {
    auto Version = [](DWORD major, DWORD minor, DWORD build, DWORD platform) {
        return OSVERSIONINFOA{sizeof(OSVERSIONINFOA), major, minor, build, platform, {}};
    };
    struct { OSVERSIONINFOA version; const char* flag; bool win98; const char* line; } cases[] = {
        {Version(4, 0, 0x040003B6, 1), "NO", false, "Your OS is Windows 95 4.0 Build 950"},
        {Version(4, 10, 0x040A07CE, 1), "YES", true, "Your OS is Windows 98 4.10 Build 1998"},
        {Version(4, 0, 1381, 2), "YES", false, "Your OS is Windows NT 4.0 Build 1381"},
        {Version(3, 10, 0, 0), "NO", false, "Your OS is Win32s on Windows 3.1 3.10 Build 0"},
        // An unknown platform has no name: a blank follows "is " directly.
        {Version(5, 0, 7, 3), "NO", false, "Your OS is  5.0 Build 7"},
        // The Windows 98 rule needs a minor version above 4 and a build field of at least 1998,
        // the whole field compared as a signed number.
        {Version(4, 5, 1997, 1), "NO", false, "Your OS is Windows 95 4.5 Build 1997"},
        {Version(4, 4, 0x040A07CE, 1), "NO", false, "Your OS is Windows 95 4.4 Build 1998"},
        {Version(4, 10, 0x80000000u, 1), "NO", false, "Your OS is Windows 95 4.10 Build 0"},
        // An unknown platform with the 98 numbers counts as Windows 98 too.
        {Version(4, 10, 2222, 7), "YES", true, "Your OS is Windows 98 4.10 Build 2222"},
        // NT keeps its name even with 98-like numbers: the rule only runs while the flag is "NO".
        {Version(5, 10, 2600, 2), "YES", false, "Your OS is Windows NT 5.10 Build 2600"},
    };
    for (const auto& c : cases) {
        const app::TOsProbe p = app::ClassifyVersion(c.version);
        EXPECT_EQ(std::make_tuple(p.OsFlag, p.IsWindows98, p.InfoLine),
                  std::make_tuple(std::string(c.flag), c.win98, std::string(c.line)));
    }
}
