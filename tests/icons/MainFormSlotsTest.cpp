// Selecting desktop objects, choosing icons and dropping icon files on the real main window.
#include <gtest/gtest.h>

#include <string>

#include "icons/IconLocation.h"
#include "support/IconLibraries.h"
#include "support/MainWindow.h"

using namespace testing_support;

namespace {

std::string ValueOf(HKEY root, const std::string& key, const std::string& value = "") {
    std::string data;
    RegGet(root, key, value, &data);
    return data;
}

POINT Centre(ui::TControl* c) { return {c->Left() + c->Width() / 2, c->Top() + c->Height() / 2}; }

}  // namespace

TEST(SlotSelection, EveryImageSelectsItsSlotFrameAndFile) {
    MainWindow w;
    struct Case {
        ui::TImage* image;
        int slot;
        ui::TBevel* frame;
        int recycleFull;
    } cases[] = {
        {w->Image6, 2, w->Bevel6, 0},   {w->Image15, 4, w->Bevel17, 0}, {w->Image17, 5, w->Bevel15, 0},
        {w->Image18, 6, w->Bevel18, 0}, {w->Image19, 7, w->Bevel19, 0}, {w->Image20, 8, w->Bevel20, 0},
        {w->Image4, 10, w->Bevel3, 1},  {w->Image3, 9, w->Bevel4, 0},   {w->Image5, 1, w->Bevel5, 0},
    };
    for (const Case& c : cases) {
        // Through the user's click: the tab sheet routes it to the image.
        POINT p = Centre(c.image);
        MainWindow::ClickAt(w->TabSheet2->Handle(), p.x, p.y);
        const auto& slot = w->Slots[c.slot];
        EXPECT_EQ(w->SelectedSlot, c.slot);
        EXPECT_EQ(w->RecycleFullSelected, c.recycleFull) << c.slot;
        for (int n = 1; n <= 11; ++n) EXPECT_EQ(w->SlotBevel(n)->Visible(), w->SlotBevel(n) == c.frame) << c.slot;
        EXPECT_EQ(w->IconListBox1->FileName(), slot.CurrentFile);
        // Wine has no icons in explorer.exe and no syncui.dll: those grids select nothing.
        bool hasIcons = w->IconListBox1->NumberOfIcons() > 0;
        EXPECT_EQ(w->IconListBox1->ItemIndex(), hasIcons ? slot.CurrentIndex : -1) << c.slot;
        EXPECT_EQ(w.Caption(), "Vemlora " + slot.CurrentFile + " /" + std::to_string(w->IconListBox1->ItemIndex()));
        EXPECT_EQ(w->IconListBox1->UpdateCount(), 0) << "the bulk update is ended";
    }
}

TEST(SlotSelection, AnInboxWithoutLocationIgnoresTheClick) {
    MainWindow w;
    w->Image6Click(nullptr);
    w->Slots[8].CurrentFile.clear();
    std::string caption = w.Caption();
    w->Image20Click(nullptr);
    EXPECT_EQ(w->SelectedSlot, 2);
    EXPECT_TRUE(w->Bevel6->Visible());
    EXPECT_FALSE(w->Bevel20->Visible());
    EXPECT_EQ(w.Caption(), caption);
}

TEST(SlotSelection, HundredsOfSelectionsAndReloadsKeepTheIconCountBounded) {
    MainWindow w;
    TempDir dir;
    std::string libs[2] = {WritePeIconLibrary(dir, "one.dll", 60), WritePeIconLibrary(dir, "two.dll", 60)};
    for (int i = 0; i < 60; ++i) {
        if (i % 20 == 0) w->Image6Click(nullptr);
        w->DropDst3FileDrop(w->DropDst3, {libs[i % 2]}, 0, 0);
        InvalidateRect(w->IconListBox1->Handle(), nullptr, TRUE);
        UpdateWindow(w->IconListBox1->Handle());
        // Only the visible cells hold icons: the old file's are gone with its items.
        ASSERT_LE(w->IconListBox1->LiveIconCount(), 49) << i;
    }
    EXPECT_GT(w->IconListBox1->LiveIconCount(), 0) << "the cells were drawn";
}

TEST(ChoosingIcons, DoubleClickAssignsTheIconAndAppliesIt) {
    MainWindow w;
    const std::string shell32 = icons::GetShell32Path();
    w->Image5Click(nullptr);
    w->IEButton13->SetVisible(true);
    w->IconListBox1->SetFileName(shell32);
    w->IconListBox1->SetItemIndex(5);
    w->IconListBox1DblClick(w->IconListBox1);
    EXPECT_EQ(w->Slots[1].CurrentFile, shell32);
    EXPECT_EQ(w->Slots[1].CurrentIndex, 5);
    ASSERT_NE(w->Image5->Picture().Icon(), nullptr);
    EXPECT_FALSE(w->Image5->Picture().Empty());
    // Execute ran at once: the location is in the registry.
    EXPECT_EQ(ValueOf(HKEY_CLASSES_ROOT, DefaultIconKey("{20D04FE0-3AEA-1069-A2D8-08002B30309D}")), shell32 + ",5");
}

TEST(ChoosingIcons, DoubleClickWithoutFileOrSelectionDoesNothing) {
    MainWindow w;
    auto before = RegDump(HKEY_CLASSES_ROOT);
    w->IconListBox1->SetFileName("");
    w->IconListBox1DblClick(w->IconListBox1);
    TempDir dir;
    w->IconListBox1->SetFileName(WriteFileWithoutIcons(dir, "none.dll"));
    ASSERT_EQ(w->IconListBox1->ItemIndex(), -1);
    w->IconListBox1DblClick(w->IconListBox1);
    EXPECT_EQ(RegDump(HKEY_CLASSES_ROOT), before);
}

TEST(ChoosingIcons, DoubleClickOnTheOptionsPageAssignsNothing) {
    MainWindow w;
    w->IconListBox1->SetFileName(icons::GetShell32Path());
    w->IconListBox1->SetItemIndex(3);
    w.ShowPage(w->TabSheet4);
    std::string before = w->Slots[1].CurrentFile;
    w->IconListBox1DblClick(w->IconListBox1);
    EXPECT_EQ(w->Slots[1].CurrentFile, before);
}

TEST(ChoosingIcons, ClickShowsFileAndIndexInTheCaption) {
    MainWindow w;
    w->IconListBox1->SetFileName(icons::GetShell32Path());
    w->IconListBox1->SetItemIndex(12);
    w->IconListBox1Click(w->IconListBox1);
    EXPECT_EQ(w.Caption(), "Vemlora " + icons::GetShell32Path() + " /12");
    w->IconListBox1->SetFileName("");
    w->IconListBox1Click(w->IconListBox1);
    EXPECT_EQ(w.Caption(), "Vemlora");
}

TEST(ChoosingIcons, PreviousFileBringsBackTheChosenLibrary) {
    MainWindow w;
    TempDir dir;
    std::string lib = WritePeIconLibrary(dir, "表\\lib.dll", 10);
    MainWindow::DropFiles(w->Panel4->Handle(), {lib});
    w->Image6Click(nullptr);
    ASSERT_NE(w->IconListBox1->FileName(), lib);
    w->IEButton13Click(w->IEButton13);
    EXPECT_EQ(w->IconListBox1->FileName(), lib);
    EXPECT_EQ(w->IconListBox1->ItemIndex(), 0);
    EXPECT_EQ(w->Panel4->Caption(), lib);
    EXPECT_EQ(w->LastFolder, dir.Path() + "\\表\\");
    EXPECT_EQ(w.Caption(), "Vemlora " + lib + " /0");
}

TEST(IconFileDrop, ExtensionsDecideWhatIsLoaded) {
    TempDir dir;
    std::string dll = WritePeIconLibrary(dir, "a.dll", 3);
    struct Case {
        std::string path;
        bool loaded;
    } cases[] = {
        {dll, true},
        {dir.WriteFile("x.lnk", "L"), false},
        {dir.WriteFile("x.LNK", "L"), false},
        {dir.WriteFile("x.Lnk", "L"), true},  // not a spelling taken for a shortcut
        {dir.WriteFile("noext", "n"), false},
        {dir.WriteFile("fol.der\\noext", "n"), false},  // a dot in a folder name is no extension
        {dir / "missing.ico", true},                     // not checked: shows an empty grid
    };
    for (const Case& c : cases) {
        MainWindow w;
        std::string before = w->IconListBox1->FileName();
        MainWindow::DropFiles(w->Panel4->Handle(), {c.path});
        if (c.loaded) {
            EXPECT_EQ(w->IconListBox1->FileName(), c.path);
            EXPECT_EQ(w->Panel4->Caption(), c.path + " /0");
            EXPECT_EQ(w->PreviousFile, c.path);
            EXPECT_EQ(w->LastFolder, dir.Path() + "\\");
        } else {
            EXPECT_EQ(w->IconListBox1->FileName(), before) << c.path;
            EXPECT_NE(w->PreviousFile, c.path);
        }
    }
}

TEST(IconFileDrop, OnlyTheFirstOfSeveralFilesAndOnlyOnTheDesktopPage) {
    MainWindow w;
    TempDir dir;
    std::string first = WritePeIconLibrary(dir, "first.dll", 4);
    std::string second = WritePeIconLibrary(dir, "second.dll", 4);
    MainWindow::DropFiles(w->Panel4->Handle(), {first, second});
    EXPECT_EQ(w->IconListBox1->FileName(), first);
    EXPECT_EQ(w->IconListBox1->NumberOfIcons(), 4);
    for (ui::TTabSheet* page : {w->TabSheet5, w->TabSheet4}) {
        w.ShowPage(page);
        MainWindow::DropFiles(w->Panel4->Handle(), {second});
        EXPECT_EQ(w->IconListBox1->FileName(), first) << page->Name();
    }
}

TEST(IconFileDrop, DropsStillArriveAfterThePanelsWindowIsRecreated) {
    MainWindow w;
    TempDir dir;
    std::string lib = WriteNeIconLibrary(dir, "ne.icl", 5);
    HWND old = w->Panel4->Handle();
    w->Panel4->RecreateWnd();
    PumpMessages();
    ASSERT_NE(w->Panel4->Handle(), old);
    MainWindow::DropFiles(w->Panel4->Handle(), {lib});
    EXPECT_EQ(w->IconListBox1->FileName(), lib);
    EXPECT_EQ(w->IconListBox1->NumberOfIcons(), 5);
}

TEST(Reset, AllPutsEverySlotBackWithoutWritingTheRegistry) {
    MainWindow w;
    auto before = std::make_tuple(RegDump(HKEY_CLASSES_ROOT), RegDump(HKEY_CURRENT_USER), RegDump(HKEY_LOCAL_MACHINE));
    TempDir dir;
    std::string lib = WritePeIconLibrary(dir, "lib.dll", 8);
    for (int n : {2, 5, 9, 10}) {
        w->Slots[n].CurrentFile = lib;
        w->Slots[n].CurrentIndex = 3;
    }
    w->Image4Click(nullptr);  // the full Recycle Bin is selected
    w->Edit1->SetText("x");
    w->IEButton1Click(w->IEButton1);
    EXPECT_EQ(w->Slots[2].CurrentFile, icons::GetShell32Path());
    EXPECT_EQ(w->Slots[2].CurrentIndex, 17);
    EXPECT_EQ(w->Slots[10].CurrentIndex, 32);
    EXPECT_EQ(w->Edit1->Text(), "ごみ箱");
    EXPECT_EQ(w->IconListBox1->FileName(), icons::GetShell32Path());
    EXPECT_EQ(w->IconListBox1->ItemIndex(), 32);
    EXPECT_EQ(w.Caption(), "Vemlora " + icons::GetShell32Path() + " /32");
    // Closing without "実行" leaves the registry as it was.
    EXPECT_EQ(before, std::make_tuple(RegDump(HKEY_CLASSES_ROOT), RegDump(HKEY_CURRENT_USER), RegDump(HKEY_LOCAL_MACHINE)));
}

TEST(Reset, StandardResetsOnlyTheSelectedSlot) {
    TempDir dir;
    std::string lib = WritePeIconLibrary(dir, "lib.dll", 8);
    struct Case {
        int slot;
        bool recycle;
    } cases[] = {{1, false}, {2, false}, {4, false}, {5, false}, {6, false}, {7, false}, {8, false}, {9, true}, {10, true}};
    for (const Case& c : cases) {
        MainWindow w;
        for (int n : icons::kSlotNumbers) {
            w->Slots[n].CurrentFile = lib;
            w->Slots[n].CurrentIndex = 2;
        }
        w->Edit1->SetText("名前");
        w->PageControl1Change(nullptr);
        switch (c.slot) {
            case 1: w->Image5Click(nullptr); break;
            case 2: w->Image6Click(nullptr); break;
            case 4: w->Image15Click(nullptr); break;
            case 5: w->Image17Click(nullptr); break;
            case 6: w->Image18Click(nullptr); break;
            case 7: w->Image19Click(nullptr); break;
            case 8: w->Image20Click(nullptr); break;
            case 9: w->Image3Click(nullptr); break;
            case 10: w->Image4Click(nullptr); break;
        }
        w->IEButton2Click(w->IEButton2);
        icons::TSlotLocation def = icons::DefaultLocation(c.slot);
        for (int n : icons::kSlotNumbers) {
            if (n == 11) continue;
            bool reset = n == c.slot;
            EXPECT_EQ(w->Slots[n].CurrentFile, reset ? def.File : lib) << c.slot << " " << n;
        }
        EXPECT_EQ(w->Slots[c.slot].CurrentIndex, def.Index);
        EXPECT_EQ(w->Edit1->Text(), c.recycle ? "ごみ箱" : "名前") << c.slot;
        EXPECT_EQ(w->SelectedSlot, c.slot);
    }
}

namespace {

std::string g_choice;
std::string g_dialogTitle;
std::string g_firstType;
bool g_chose = false;

// Fills in the open dialog once it is up, as a user would, and presses OK (or Cancel).
void CALLBACK ChooseInOpenDialog(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = FindWindowA("#32770", "ｱｲｺﾝﾌｧｲﾙの指定");
    if (!dlg) return;
    KillTimer(nullptr, id);
    g_chose = true;
    char title[256] = {};
    GetWindowTextA(dlg, title, sizeof(title));
    g_dialogTitle = title;
    char type[256] = {};
    SendDlgItemMessageA(dlg, 0x470, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(type));  // the file type box
    g_firstType = type;
    if (g_choice.empty()) {
        PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    HWND edit = GetDlgItem(dlg, 0x47C);
    if (!edit) edit = GetDlgItem(dlg, 0x480);
    SetWindowTextA(edit, g_choice.c_str());
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK)));
}

}  // namespace

TEST(ChoosingIcons, LoadButtonOpensTheDialogAndLoadsTheChosenFile) {
    MainWindow w;
    TempDir dir;
    std::string lib = WritePeIconLibrary(dir, "ソフト\\icons.icl", 9);
    w->LastFolder = dir.Path() + "\\ソフト\\";
    g_choice = lib;
    g_chose = false;
    UINT_PTR timer = SetTimer(nullptr, 0, 100, ChooseInOpenDialog);
    w->IEButton8Click(w->IEButton8);
    KillTimer(nullptr, timer);
    ASSERT_TRUE(g_chose);
    EXPECT_EQ(g_dialogTitle, "ｱｲｺﾝﾌｧｲﾙの指定");
    EXPECT_EQ(g_firstType, "dll,ico,exe,ｱｲｺﾝﾗｲﾌﾞﾗﾘﾌｧｲﾙ");
    EXPECT_STRCASEEQ(w->IconListBox1->FileName().c_str(), lib.c_str());
    EXPECT_EQ(w->IconListBox1->NumberOfIcons(), 9);
    EXPECT_EQ(w->IconListBox1->ItemIndex(), 0);
    EXPECT_EQ(w->Panel4->Caption(), "Vemlora " + w->IconListBox1->FileName() + " /0");
    EXPECT_EQ(w->PreviousFile, w->IconListBox1->FileName());
    EXPECT_TRUE(w.Boxes().Boxes().empty());

    // Cancelling changes nothing.
    g_choice.clear();
    g_chose = false;
    std::string panel = w->Panel4->Caption();
    timer = SetTimer(nullptr, 0, 100, ChooseInOpenDialog);
    w->IEButton8Click(w->IEButton8);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(g_chose);
    EXPECT_EQ(w->Panel4->Caption(), panel);
}
