#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <map>

#include "icons/IconLocation.h"
#include "support/MainWindow.h"

using namespace testing_support;

// Start-up selects My Computer; the window answers as the run's Windows personality and display depth.
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
    const std::map<std::string, std::pair<std::string, std::string>> runs = {  // flag and line for each personality
        {"win95", {"NO", "Your OS is Windows 95 4.0 Build 950"}},
        {"win98", {"YES", "Your OS is Windows 98 4.10 Build 2222"}},
        {"nt40", {"YES", "Your OS is Windows NT 4.0 Build 1381"}},
        {"win10", {"YES", "Your OS is Windows NT 6.2 Build 9200"}},
        {"", {"YES", "Your OS is Windows NT 6.1 Build 7601"}},
    };
    EXPECT_EQ(std::make_pair(w->OsFlag(), w->Label25->Caption()), runs.at(Personality()));
    const bool win98 = Personality() == "win98";  // My Documents only there
    EXPECT_EQ((std::vector<bool>{w->IsWindows98, w->Image21->Visible(), w->Label19->Visible()}), std::vector<bool>(3, win98));
    EXPECT_EQ(w->Desktop->Slots[11].CurrentFile, win98 ? icons::GetSystemDir() + "\\mydocs.dll" : "");
    const int bits = std::getenv("VEMLORA_DEPTH") ? std::atoi(std::getenv("VEMLORA_DEPTH")) : 32;
    EXPECT_EQ(std::make_tuple(w->ScreenBits, w->Label3->Caption(), w->icon->Checked()),
              std::make_tuple(bits, std::to_string(bits) + "bit", !(bits >= 4 && bits <= 8)));
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
        // A box ticked before its page was first shown shows its tick.
        EXPECT_EQ(SendMessageA(w->icon->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED, w->icon->Checked());
    }
    // Back on the desktop page the same slot is selected again.
    EXPECT_EQ(w->Desktop->SelectedSlot, 1);
    EXPECT_TRUE(w->Bevel5->Visible());
}
