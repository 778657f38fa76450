#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <map>

#include "app/Probe.h"
#include "icons/IconLocation.h"
#include "support/MainWindow.h"

using namespace testing_support;

namespace {

RECT ParentRect(ui::TControl* c) {
    if (auto w = dynamic_cast<ui::TWinControl*>(c); w && w->HandleAllocated()) {
        RECT r;
        GetWindowRect(w->Handle(), &r);
        MapWindowPoints(nullptr, GetParent(w->Handle()), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    return c->BoundsRect();
}

std::string StatusText(MainWindow& w, int panel) {
    char text[256] = {};
    SendMessageA(w->StatusBar1->Handle(), SB_GETTEXTA, panel, reinterpret_cast<LPARAM>(text));
    return text;
}

}  // namespace

TEST(MainWindow, FixedWindowWithItsHeaderTabsGridAndStatusBar) {
    MainWindow w;
    RECT client;
    GetClientRect(w->Handle(), &client);
    EXPECT_EQ(std::make_pair(client.right, client.bottom), std::make_pair(613L, 448L));
    EXPECT_FALSE(GetWindowLongA(w->Handle(), GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX)) << "not resizable";

    EXPECT_EQ(StatusText(w, 1), " ver2.11.905.501");
    EXPECT_EQ(StatusText(w, 0).rfind(" ", 0), 0u) << "a space before the web address";
    int parts[3] = {};
    ASSERT_EQ(SendMessageA(w->StatusBar1->Handle(), SB_GETPARTS, 3, reinterpret_cast<LPARAM>(parts)), 3);
    EXPECT_EQ(std::make_pair(parts[0], parts[1]), std::make_pair(150, 270));
    EXPECT_FALSE(GetWindowLongA(w->StatusBar1->Handle(), GWL_STYLE) & SBARS_SIZEGRIP);

    struct { ui::TControl* control; int left, top, width, height; } places[] = {
        {w->StatusBar1, 0, 420, 613, 28}, {w->Panel1, 0, 0, 613, 40}, {w->Image16, 9, 3, 34, 34},
        {w->IEButton8, 381, 6, 70, 28}, {w->IEButton5, 453, 6, 74, 28}, {w->IEButton6, 531, 6, 74, 28},
        {w->PageControl1, 5, 42, 317, 373}, {w->Panel5, 324, 39, 292, 376}, {w->IconListBox1, 9, 11, 268, 269},
        {w->Panel4, 9, 288, 271, 85}, {w->IEButton13, 183, 3, 82, 28}, {w->Label3, 225, 6, 36, 15},
        {w->Panel2, 3, 6, 283, 367}, {w->Image5, 18, 12, 32, 32}, {w->Image6, 78, 12, 32, 32}, {w->Image15, 138, 12, 32, 32},
        {w->Image17, 198, 12, 32, 32}, {w->Image18, 258, 12, 32, 32}, {w->Image19, 18, 75, 32, 32},
        {w->Image20, 78, 75, 32, 32}, {w->Image21, 138, 75, 32, 32}, {w->Image3, 69, 144, 32, 32},
        {w->Image4, 126, 144, 32, 32}, {w->Bevel5, 12, 9, 43, 40}, {w->Bevel3, 120, 141, 43, 40}, {w->Bevel14, 9, 9, 43, 40},
        {w->Bevel22, 6, 132, 295, 70}, {w->Edit1, 171, 159, 118, 20}, {w->IEButton1, 189, 87, 58, 22},
        {w->IEButton2, 249, 87, 58, 22}, {w->Panel3, 6, 207, 295, 130}, {w->Image1, 15, 12, 32, 32},
        {w->Bevel26, 6, 231, 43, 40}, {w->Image23, 12, 234, 32, 32}, {w->IEButton10, 192, 234, 112, 34},
        {w->IEButton9, 192, 309, 112, 25}, {w->Label8, 6, 324, 220, 13}, {w->Label25, 9, 13, 277, 16},
        {w->icon, 9, 15, 217, 17}, {w->shortcut, 9, 105, 217, 22}, {w->jushintray, 9, 195, 139, 16},
    };
    for (const auto& p : places) {
        RECT r = ParentRect(p.control);
        EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right - r.left, r.bottom - r.top}),
                  (std::vector<LONG>{p.left, p.top, p.width, p.height})) << p.control->Name();
    }
    RECT tab;  // the three tabs are 78 x 22
    ASSERT_TRUE(SendMessageA(w->PageControl1->Handle(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab)));
    EXPECT_EQ(std::make_pair(tab.right - tab.left, tab.bottom - tab.top), std::make_pair(78L, 22L));
}

TEST(MainWindow, StoredLocationsLoadIntoTheSlotsAtStartUp) {
    const std::string shell32 = icons::GetShell32Path();
    MainWindow w([&] {
        // With "YES" only the per-user keys count for My Computer and Network Neighborhood.
        HKEY root = PerUserRun() ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT;
        std::string prefix = PerUserRun() ? "Software\\Classes\\" : "";
        RegSet(root, prefix + DefaultIconKey("{20D04FE0-3AEA-1069-A2D8-08002B30309D}"), "", shell32 + ",5");
        RegSet(root, prefix + DefaultIconKey("{208D2C60-3AEA-1069-A2D7-08002B30309D}"), "", shell32);  // index 0
        RegSet(HKEY_CLASSES_ROOT, DefaultIconKey("{2227A280-3AEA-1069-A2DE-08002B30309D}"), "", shell32 + ",-3");
        RegSet(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\"
                                   "{645FF040-5081-101B-9F08-00AA002F954E}", "", "くずかご");
    });
    for (auto [n, index] : std::vector<std::pair<int, int>>{{1, 5}, {2, 0}, {5, 37}})  // slot 5: the default index
        EXPECT_EQ(std::make_pair(w->Desktop->Slots[n].CurrentFile, w->Desktop->Slots[n].CurrentIndex), std::make_pair(shell32, index)) << n;
    EXPECT_EQ(w->Edit1->Text(), "くずかご");
    EXPECT_EQ(std::make_pair(w.Caption(), w->IconListBox1->ItemIndex()), std::make_pair("Vemlora " + shell32 + " /5", 5));
}

TEST(MainWindow, DamagedIconFilesNamedInTheRegistryStartAsFilesWithoutIcons) {
    TempDir dir;
    // A directory claiming 255 images in six bytes, selected at start-up and painted beside another.
    const std::string bad = dir.WriteFile("表示.ico", std::string("\0\0\1\0\xFF\xFF", 6));
    MainWindow w([&] {
        HKEY root = PerUserRun() ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT;
        std::string prefix = PerUserRun() ? "Software\\Classes\\" : "";
        RegSet(root, prefix + DefaultIconKey("{20D04FE0-3AEA-1069-A2D8-08002B30309D}"), "", bad + ",0");
        RegSet(HKEY_CLASSES_ROOT, DefaultIconKey("{21EC2020-3AEA-1069-A2DD-08002B30309D}"), "", bad + ",2");
    });
    EXPECT_EQ(w->Desktop->Slots[1].CurrentFile, bad);
    EXPECT_EQ(std::make_pair(w.Caption(), w->IconListBox1->NumberOfIcons()), std::make_pair("Vemlora " + bad + " /-1", 0));
    w->Image15Click(w->Image15);
    EXPECT_EQ(w->IconListBox1->NumberOfIcons(), 0);
}

// Start-up selects My Computer; the window, and the probe under it, answer as the run's Windows personality
// and display depth.
TEST(MainWindow, StartUpSelectionPersonalityAndColourDepth) {
    MainWindow w;
    EXPECT_TRUE(w->Desktop->SelectedSlot == 1 && w->PageControl1->ActivePage() == w->TabSheet2);
    for (int n = 1; n <= 11; ++n) EXPECT_EQ(w->Desktop->SlotBevel(n)->Visible(), n == 1) << n;
    // Nothing stored: My Computer's default, which Wine's explorer.exe gives no icon for.
    const std::string file = icons::GetWindowsDir() + "\\ExpLorer.exe";
    EXPECT_EQ((std::vector<std::string>{w->Desktop->Slots[1].CurrentFile, w->IconListBox1->FileName(), w->Choosing->PreviousFile}),
              std::vector<std::string>(3, file));
    EXPECT_EQ(w.Caption(), "Vemlora " + file + " /" + std::to_string(w->IconListBox1->ItemIndex()));
    // No NameSpace key in this registry: the name box is empty, its form text replaced.
    EXPECT_EQ(std::make_pair(w->Choosing->LastFolder, w->Edit1->Text()), std::make_pair(icons::GetWindowsDir() + "\\", std::string()));
    EXPECT_FALSE(w->Image6->Picture().Empty()) << "slot images are painted at start-up";
    const std::map<std::string, std::vector<std::string>> runs = {  // name, flag and line for each personality
        {"win95", {"Windows 95", "NO", "Your OS is Windows 95 4.0 Build 950"}},
        {"win98", {"Windows 98", "YES", "Your OS is Windows 98 4.10 Build 2222"}},
        {"nt40", {"Windows NT", "YES", "Your OS is Windows NT 4.0 Build 1381"}},
        {"win10", {"Windows NT", "YES", "Your OS is Windows NT 6.2 Build 9200"}},
        {"", {"Windows NT", "YES", "Your OS is Windows NT 6.1 Build 7601"}},
    };
    const app::TOsProbe probe = app::ProbeOperatingSystem();
    EXPECT_TRUE(probe.Succeeded);
    EXPECT_EQ((std::vector<std::string>{probe.Name, probe.OsFlag, probe.InfoLine}), runs.at(Personality()));
    EXPECT_EQ((std::vector<std::string>{probe.Name, w->OsFlag(), w->Label25->Caption()}), runs.at(Personality()));
    const bool win98 = Personality() == "win98";  // My Documents only there
    EXPECT_EQ((std::vector<bool>{probe.IsWindows98, w->IsWindows98, w->Image21->Visible(), w->Label19->Visible()}),
              std::vector<bool>(4, win98));
    EXPECT_EQ(w->Desktop->Slots[11].CurrentFile, win98 ? icons::GetSystemDir() + "\\mydocs.dll" : "");
    const int bits = std::getenv("VEMLORA_DEPTH") ? std::atoi(std::getenv("VEMLORA_DEPTH")) : 32;
    EXPECT_EQ(std::make_tuple(w->ScreenBits, w->Label3->Caption(), w->icon->Checked()),
              std::make_tuple(bits, std::to_string(bits) + "bit", !(bits >= 4 && bits <= 8)));
    EXPECT_EQ(StatusText(w, 2), bits == 8 ? "現在の画面色は256色です"
                                          : bits == 16 ? "現在の画面色は65536色です" : "現在の画面色は1677万色(32bit)です");
}

TEST(MainWindow, TabPagesSwitchTheRightHandSide) {
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
    }
    // Back on the desktop page the same slot is selected again.
    EXPECT_EQ(w->Desktop->SelectedSlot, 1);
    EXPECT_TRUE(w->Bevel5->Visible());
}
