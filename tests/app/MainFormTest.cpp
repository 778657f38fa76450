#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "app/NoticeForm.h"
#include "icons/IconLocation.h"
#include "support/IconLibraries.h"
#include "support/MainWindow.h"

using namespace testing_support;
using ui::TControl;

namespace {

RECT ParentRect(TControl* c) {
    if (auto w = dynamic_cast<ui::TWinControl*>(c); w && w->HandleAllocated()) {
        RECT r;
        GetWindowRect(w->Handle(), &r);
        MapWindowPoints(nullptr, GetParent(w->Handle()), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    return c->BoundsRect();
}

std::string StatusText(HWND bar, int panel) {
    char text[256] = {};
    SendMessageA(bar, SB_GETTEXTA, panel, reinterpret_cast<LPARAM>(text));
    return text;
}

const char kMyComputer[] = "{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
const char kNetwork[] = "{208D2C60-3AEA-1069-A2D7-08002B30309D}";
const char kPrinters[] = "{2227A280-3AEA-1069-A2DE-08002B30309D}";

}  // namespace

TEST(MainWindow, FixedWindowWithItsHeaderTabsGridAndStatusBar) {
    MainWindow w;
    HWND wnd = w->Handle();
    RECT client;
    GetClientRect(wnd, &client);
    EXPECT_EQ(client.right, 613);
    EXPECT_EQ(client.bottom, 448);
    LONG style = GetWindowLongA(wnd, GWL_STYLE);
    EXPECT_FALSE(style & WS_THICKFRAME) << "not resizable";
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_EQ(w.Caption().rfind("Vemlora ", 0), 0u);

    HWND bar = w->StatusBar1->Handle();
    EXPECT_EQ(StatusText(bar, 1), " ver2.11.905.501");
    EXPECT_EQ(StatusText(bar, 0).rfind(" ", 0), 0u) << "a space before the web address";
    int parts[3] = {};
    ASSERT_EQ(SendMessageA(bar, SB_GETPARTS, 3, reinterpret_cast<LPARAM>(parts)), 3);
    EXPECT_EQ(parts[0], 150);
    EXPECT_EQ(parts[1], 270);
    RECT barRect = ParentRect(w->StatusBar1);
    EXPECT_EQ(barRect.bottom - barRect.top, 28);
    EXPECT_EQ(barRect.bottom, 448);
    EXPECT_FALSE(GetWindowLongA(bar, GWL_STYLE) & SBARS_SIZEGRIP);

    struct Place {
        TControl* control;
        int left, top, width, height;
    } places[] = {
        {w->Panel1, 0, 0, 613, 40},          {w->Image16, 9, 3, 34, 34},       {w->IEButton8, 381, 6, 70, 28},
        {w->IEButton5, 453, 6, 74, 28},      {w->IEButton6, 531, 6, 74, 28},   {w->PageControl1, 5, 42, 317, 373},
        {w->Panel5, 324, 39, 292, 376},      {w->IconListBox1, 9, 11, 268, 269}, {w->Panel4, 9, 288, 271, 85},
        {w->IEButton13, 183, 3, 82, 28},     {w->Label3, 225, 6, 36, 15},      {w->Panel2, 3, 6, 283, 367},
        {w->Image5, 18, 12, 32, 32},         {w->Image6, 78, 12, 32, 32},      {w->Image15, 138, 12, 32, 32},
        {w->Image17, 198, 12, 32, 32},       {w->Image18, 258, 12, 32, 32},    {w->Image19, 18, 75, 32, 32},
        {w->Image20, 78, 75, 32, 32},        {w->Image21, 138, 75, 32, 32},    {w->Image3, 69, 144, 32, 32},
        {w->Image4, 126, 144, 32, 32},       {w->Bevel5, 12, 9, 43, 40},       {w->Bevel3, 120, 141, 43, 40},
        {w->Bevel22, 6, 132, 295, 70},       {w->Edit1, 171, 159, 118, 20},    {w->IEButton1, 189, 87, 58, 22},
        {w->IEButton2, 249, 87, 58, 22},     {w->Panel3, 6, 207, 295, 130},    {w->Bevel14, 9, 9, 43, 40},
        {w->Image1, 15, 12, 32, 32},         {w->Bevel26, 6, 231, 43, 40},     {w->Image23, 12, 234, 32, 32},
        {w->IEButton10, 192, 234, 112, 34},  {w->IEButton9, 192, 309, 112, 25}, {w->Label8, 6, 324, 220, 13},
        {w->Label25, 9, 13, 277, 16},        {w->icon, 9, 15, 217, 17},        {w->shortcut, 9, 105, 217, 22},
        {w->jushintray, 9, 195, 139, 16},
    };
    for (const Place& p : places) {
        RECT r = ParentRect(p.control);
        EXPECT_EQ(r.left, p.left) << p.control->Name();
        EXPECT_EQ(r.top, p.top) << p.control->Name();
        EXPECT_EQ(r.right - r.left, p.width) << p.control->Name();
        EXPECT_EQ(r.bottom - r.top, p.height) << p.control->Name();
    }
    // The three tabs are 78 x 22.
    RECT tab;
    ASSERT_TRUE(SendMessageA(w->PageControl1->Handle(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab)));
    EXPECT_EQ(tab.right - tab.left, 78);
    EXPECT_EQ(tab.bottom - tab.top, 22);
    char caption[64] = {};
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = caption;
    item.cchTextMax = sizeof(caption);
    SendMessageA(w->PageControl1->Handle(), TCM_GETITEMA, 2, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(caption, "ｵﾌﾟｼｮﾝ");
    EXPECT_EQ(w->ComboBox1->ItemCount(), 4);
    EXPECT_EQ(w->ComboBox1->ItemIndex(), 0);
}

TEST(MainWindow, StartsWithMyComputerSelectedAndItsFileInTheGrid) {
    MainWindow w;
    EXPECT_EQ(w->SelectedSlot, 1);
    EXPECT_EQ(w->PageControl1->ActivePage(), w->TabSheet2);
    for (int n : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11}) EXPECT_FALSE(w->SlotBevel(n)->Visible()) << n;
    EXPECT_TRUE(w->Bevel5->Visible());
    // Nothing stored: My Computer's default, which Wine's explorer.exe gives no icon for.
    std::string file = icons::GetWindowsDir() + "\\ExpLorer.exe";
    EXPECT_EQ(w->Slots[1].CurrentFile, file);
    EXPECT_EQ(w->IconListBox1->FileName(), file);
    EXPECT_EQ(w.Caption(), "Vemlora " + file + " /" + std::to_string(w->IconListBox1->ItemIndex()));
    EXPECT_EQ(w->PreviousFile, file);
    EXPECT_EQ(w->LastFolder, icons::GetWindowsDir() + "\\");
    EXPECT_TRUE(w->IEButton13->Visible());
    EXPECT_EQ(w->RecycleFullSelected, 0);
    // No NameSpace key in this registry: the name box is empty, its form text replaced.
    EXPECT_EQ(w->Edit1->Text(), "");
    // The other slots show their defaults.
    EXPECT_EQ(w->Slots[2].CurrentFile, icons::GetShell32Path());
    EXPECT_EQ(w->Slots[2].CurrentIndex, 17);
    EXPECT_EQ(w->Slots[10].CurrentIndex, 32);
    EXPECT_FALSE(w->Image6->Picture().Empty()) << "slot images are painted at start-up";
}

TEST(MainWindow, StoredLocationsLoadIntoTheSlotsAtStartUp) {
    const std::string shell32 = Shell32Path();
    const bool perUser = PerUserRun();
    MainWindow w([&] {
        // With "YES" only the per-user keys count for My Computer and Network Neighborhood.
        HKEY root = perUser ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT;
        std::string prefix = perUser ? "Software\\Classes\\" : "";
        RegSet(root, prefix + DefaultIconKey(kMyComputer), "", shell32 + ",5");
        RegSet(root, prefix + DefaultIconKey(kNetwork), "", shell32);  // no comma: index 0
        RegSet(HKEY_CLASSES_ROOT, DefaultIconKey(kPrinters), "", shell32 + ",-3");
        RegSet(HKEY_LOCAL_MACHINE,
               "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\"
               "{645FF040-5081-101B-9F08-00AA002F954E}",
               "", "くずかご");
    });
    EXPECT_EQ(w->Slots[1].CurrentFile, shell32);
    EXPECT_EQ(w->Slots[1].CurrentIndex, 5);
    EXPECT_EQ(w->Slots[2].CurrentIndex, 0);
    EXPECT_EQ(w->Slots[5].CurrentFile, shell32);
    EXPECT_EQ(w->Slots[5].CurrentIndex, 37) << "a negative index takes the default index";
    EXPECT_EQ(w->Edit1->Text(), "くずかご");
    EXPECT_EQ(w.Caption(), "Vemlora " + shell32 + " /5");
    EXPECT_EQ(w->IconListBox1->ItemIndex(), 5);
}

TEST(MainWindow, OperatingSystemDecidesFlagLineAndMyDocuments) {
    MainWindow w;
    std::string p = Personality();
    bool win98 = p == "win98";
    EXPECT_EQ(w->IsWindows98, win98);
    EXPECT_EQ(w->OsFlag, p == "win95" ? "NO" : "YES");
    EXPECT_EQ(w->Image21->Visible(), win98);
    EXPECT_EQ(w->Label19->Visible(), win98);
    const char* line = p == "win95"   ? "Your OS is Windows 95 4.0 Build 950"
                       : p == "win98" ? "Your OS is Windows 98 4.10 Build 2222"
                       : p == "nt40"  ? "Your OS is Windows NT 4.0 Build 1381"
                                      : "Your OS is Windows NT 6.1 Build 7601";
    EXPECT_EQ(w->Label25->Caption(), line);
    if (win98) {
        EXPECT_EQ(w->Slots[11].CurrentFile, icons::GetSystemDir() + "\\mydocs.dll");
    }
}

TEST(MainWindow, ColourDepthSetsLabelStatusAndTheMultiColourOption) {
    MainWindow w;
    const char* depth = std::getenv("VEMLORA_DEPTH");
    int bits = depth ? std::atoi(depth) : 32;
    EXPECT_EQ(w->ScreenBits, bits);
    EXPECT_EQ(w->Label3->Caption(), std::to_string(bits) + "bit");
    EXPECT_EQ(w->icon->Checked(), !(bits >= 4 && bits <= 8));
    const char* text = bits == 8 ? "現在の画面色は256色です" : bits == 16 ? "現在の画面色は65536色です" : "現在の画面色は1677万色(32bit)です";
    EXPECT_EQ(StatusText(w->StatusBar1->Handle(), 2), text);
}

TEST(MainWindow, TabPagesSwitchTheRightHandSide) {
    MainWindow w;
    struct State {
        ui::TTabSheet* page;
        bool grid, execute, load, menuIcon, panel4, panel2;
    } states[] = {
        {w->TabSheet5, false, false, false, false, true, false},
        {w->TabSheet4, false, true, false, true, false, true},
        {w->TabSheet2, true, true, true, true, true, false},
    };
    for (const State& s : states) {
        w.ShowPage(s.page);
        std::string name = s.page->Name();
        EXPECT_EQ(w->PageControl1->ActivePage(), s.page) << name;
        EXPECT_EQ(w->IconListBox1->Enabled(), s.grid) << name;
        EXPECT_EQ(w->IEButton5->Enabled(), s.execute) << name;
        EXPECT_EQ(w->IEButton8->Enabled(), s.load) << name;
        EXPECT_EQ(w->IEButton10->Enabled(), s.menuIcon) << name;
        EXPECT_EQ(w->Panel4->Visible(), s.panel4) << name;
        EXPECT_EQ(w->Panel2->Visible(), s.panel2) << name;
        EXPECT_EQ(IsWindowVisible(s.page->Handle()) != FALSE, true) << name;
    }
    // Back on the desktop page the same slot is selected again.
    EXPECT_EQ(w->SelectedSlot, 1);
    EXPECT_TRUE(w->Bevel5->Visible());
}

TEST(MainWindow, NoticeWindowIsShownAgainWithNewTexts) {
    MainWindow w;
    TForm2 notice(&w.Form());
    notice.Show();
    EXPECT_TRUE(IsWindowVisible(notice.Handle()));
    EXPECT_TRUE(GetWindowLongA(notice.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT r;
    GetClientRect(notice.Handle(), &r);
    EXPECT_EQ(r.right, 277);
    EXPECT_EQ(r.bottom, 90);
    SendMessageA(notice.Button1->Handle(), BM_CLICK, 0, 0);
    PumpMessages();
    EXPECT_FALSE(IsWindowVisible(notice.Handle()));
    notice.Label1->SetCaption("もう一度");
    notice.Show();
    EXPECT_TRUE(IsWindowVisible(notice.Handle()));
    EXPECT_EQ(notice.Label1->Caption(), "もう一度");
}
