// Selecting desktop objects, choosing icons and dropping icon files on the real main window.
#include <gtest/gtest.h>

#include "icons/IconLocation.h"
#include "support/IconLibraries.h"
#include "support/Interaction.h"
#include "support/MainWindow.h"

using namespace testing_support;

namespace {

// The user's click on an image: the tab sheet routes it to the image.
void ClickImage(MainWindow& w, ui::TControl* c) {
    MainWindow::ClickAt(w->TabSheet2->Handle(), c->Left() + c->Width() / 2, c->Top() + c->Height() / 2);
}

// The grid's file and selected index, and the caption made of them.
void ExpectGrid(MainWindow& w, const std::string& file, int index) {
    EXPECT_EQ(std::make_tuple(w->IconListBox1->FileName(), w->IconListBox1->ItemIndex(), w->Caption()),
              std::make_tuple(file, index, "Vemlora " + file + " /" + std::to_string(index)));
}

auto Registry() {
    return std::make_tuple(RegDump(HKEY_CLASSES_ROOT), RegDump(HKEY_CURRENT_USER), RegDump(HKEY_LOCAL_MACHINE));
}

// Presses the load button and answers its open dialog: `choice` typed in and OK, or Cancel
// without one. Returns how many such dialogs came up.
int OpenDialogChoosing(MainWindow& w, const std::string& choice) {
    const auto type = [&](HWND d) {  // into the explorer dialog's name box, or the old dialog's
        SetWindowTextA(GetDlgItem(d, 0x47C) ? GetDlgItem(d, 0x47C) : GetDlgItem(d, 0x480), choice.c_str());
    };
    DialogAnswer answer(choice.empty() ? IDCANCEL : IDOK, type, "ｱｲｺﾝﾌｧｲﾙの指定");
    w->IEButton8Click(w->IEButton8);
    return answer.Asked();
}

}  // namespace

TEST(SlotSelection, EveryImageSelectsItsSlotAndADoubleClickAssignsTheIcon) {
    MainWindow w;
    TempDir dir;
    const std::string other = WritePeIconLibrary(dir, "other.dll", 3);
    struct { ui::TImage* image; int slot; ui::TBevel* frame; } cases[] = {
        {w->Image6, 2, w->Bevel6},   {w->Image15, 4, w->Bevel17}, {w->Image17, 5, w->Bevel15},
        {w->Image18, 6, w->Bevel18}, {w->Image19, 7, w->Bevel19}, {w->Image20, 8, w->Bevel20},
        {w->Image4, 10, w->Bevel3},  {w->Image3, 9, w->Bevel4},   {w->Image5, 1, w->Bevel5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slot);
        // Wine has no icons in explorer.exe and no syncui.dll: those grids select nothing.
        const icons::TIconSlot& slot = w->Desktop->Slots[c.slot];
        ClickImage(w, c.image);
        EXPECT_EQ(std::make_pair(w->Desktop->SelectedSlot, w->Desktop->RecycleFullSelected), std::make_pair(c.slot, c.slot == 10 ? 1 : 0));
        for (int n = 1; n <= 11; ++n)
            EXPECT_EQ(w->Desktop->SlotBevel(n)->Visible(), w->Desktop->SlotBevel(n) == c.frame) << n;
        ExpectGrid(w, slot.CurrentFile, w->IconListBox1->NumberOfIcons() > 0 ? slot.CurrentIndex : -1);
        EXPECT_EQ(w->IconListBox1->UpdateCount(), 0) << "the bulk update is ended";
        // Another file in the grid, then the same image once more: its file comes back, its frame stays.
        w->DropDst3FileDrop(w->DropDst3, {other}, 0, 0);
        ASSERT_EQ(w->IconListBox1->FileName(), other);
        ClickImage(w, c.image);
        ExpectGrid(w, slot.CurrentFile, w->IconListBox1->NumberOfIcons() > 0 ? slot.CurrentIndex : -1);
        EXPECT_TRUE(c.frame->Visible());
    }
    // An Inbox without a location ignores the click: My Computer stays selected.
    w->Desktop->Slots[8].CurrentFile.clear();
    const std::string caption = w->Caption();
    ClickImage(w, w->Image20);
    EXPECT_EQ(std::make_tuple(w->Desktop->SelectedSlot, w->Bevel5->Visible(), w->Bevel20->Visible(), w->Caption()),
              std::make_tuple(1, true, false, caption));

    // A double click without a file or a selection does nothing.
    const auto before = Registry();
    for (const std::string& file : {std::string(), WriteFileWithoutIcons(dir, "none.dll")}) {
        w->IconListBox1->SetFileName(file);
        ASSERT_EQ(w->IconListBox1->ItemIndex(), -1);
        w->IconListBox1DblClick(w->IconListBox1);
    }
    EXPECT_EQ(Registry(), before);
    // One on an icon assigns it to the slot, paints it and runs "実行" at once.
    const std::string shell32 = icons::GetShell32Path();
    w->IconListBox1->SetFileName(shell32);
    w->IconListBox1->SetItemIndex(5);
    w->IconListBox1DblClick(w->IconListBox1);
    EXPECT_EQ(std::make_pair(w->Desktop->Slots[1].CurrentFile, w->Desktop->Slots[1].CurrentIndex), std::make_pair(shell32, 5));
    EXPECT_TRUE(w->Image5->Picture().Icon() != nullptr && !w->Image5->Picture().Empty()) << "the slot image is painted";
    EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, "CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\DefaultIcon", ""),
              shell32 + ",5");
}

TEST(IconFileDrop, ExtensionsSeveralFilesOtherPagesThePreviousFileAndTheLoadDialog) {
    MainWindow w;
    TempDir dir;
    struct { std::string path; bool loaded; } cases[] = {
        {WritePeIconLibrary(dir, "a.dll", 3), true},
        {dir.WriteFile("x.lnk", "L"), false},
        {dir.WriteFile("x.LNK", "L"), false},
        {dir.WriteFile("x.Lnk", "L"), true},  // not a spelling taken for a shortcut
        {dir.WriteFile("noext", "n"), false},
        {dir.WriteFile("fol.der\\noext", "n"), false},  // a dot in a folder name is no extension
        {dir / "missing.ico", true},                     // not checked: shows an empty grid
    };
    auto dropState = [&] { return std::make_tuple(w->IconListBox1->FileName(), w->Choosing->PreviousFile, w->Panel4->Caption()); };
    for (const auto& c : cases) {
        const auto before = dropState();
        MainWindow::DropFiles(w->Panel4->Handle(), {c.path});
        EXPECT_EQ(dropState(), c.loaded ? std::make_tuple(c.path, c.path, c.path + " /0") : before) << c.path;
    }
    EXPECT_EQ(w->Choosing->LastFolder, dir.Path() + "\\");
    // Of several files only the first is taken, and only on the desktop page.
    std::string first = WritePeIconLibrary(dir, "表\\first.dll", 4), second = WritePeIconLibrary(dir, "second.dll", 4);
    MainWindow::DropFiles(w->Panel4->Handle(), {first, second});
    EXPECT_EQ(std::make_pair(w->IconListBox1->FileName(), w->IconListBox1->NumberOfIcons()), std::make_pair(first, 4));
    for (ui::TTabSheet* page : {w->TabSheet5, w->TabSheet4}) {
        w.ShowPage(page);
        MainWindow::DropFiles(w->Panel4->Handle(), {second});
        EXPECT_EQ(w->IconListBox1->FileName(), first) << page->Name();
    }
    // The previous file button brings the dropped library back after another slot was shown.
    w.ShowPage(w->TabSheet2);
    w->Image6Click(nullptr);
    ASSERT_NE(w->IconListBox1->FileName(), first);
    w->IEButton13Click(w->IEButton13);
    ExpectGrid(w, first, 0);
    EXPECT_EQ(std::make_pair(w->Panel4->Caption(), w->Choosing->LastFolder), std::make_pair(first, dir.Path() + "\\表\\"));
    // The load button's open dialog loads the chosen file; cancelling it changes nothing.
    const std::string lib = WritePeIconLibrary(dir, "ソフト\\icons.icl", 9);
    w->Choosing->LastFolder = dir.Path() + "\\ソフト\\";
    EXPECT_EQ(OpenDialogChoosing(w, lib), 1);
    const std::string loaded = w->IconListBox1->FileName();
    EXPECT_STRCASEEQ(loaded.c_str(), lib.c_str());
    EXPECT_EQ(std::make_tuple(w->IconListBox1->NumberOfIcons(), w->IconListBox1->ItemIndex(), w->Panel4->Caption(),
                              w->Choosing->PreviousFile), std::make_tuple(9, 0, "Vemlora " + loaded + " /0", loaded));
    EXPECT_TRUE(w.Boxes().Boxes().empty());
    EXPECT_EQ(OpenDialogChoosing(w, ""), 1);
    EXPECT_EQ(w->Panel4->Caption(), "Vemlora " + loaded + " /0") << "cancelled";
}

// "標準" resets only the selected slot, "全て" every slot; neither writes the registry before "実行".
TEST(Reset, StandardResetsOnlyTheSelectedSlotAndAllEverySlot) {
    MainWindow w;
    TempDir dir;
    const std::string lib = WritePeIconLibrary(dir, "lib.dll", 8);
    const auto before = Registry();
    for (int slot : {1, 2, 4, 5, 6, 7, 8, 9, 10}) {
        for (icons::TIconSlot& s : w->Desktop->Slots) s.CurrentFile = lib, s.CurrentIndex = 2;
        w->Edit1->SetText("名前");
        ClickImage(w, w->Desktop->SlotImage(slot));
        w->IEButton2Click(w->IEButton2);
        const icons::TSlotLocation def = icons::DefaultLocation(slot);
        for (int n : icons::kSlotNumbers) EXPECT_EQ(w->Desktop->Slots[n].CurrentFile, n == slot ? def.File : lib) << slot << " " << n;
        EXPECT_EQ(std::make_tuple(w->Desktop->Slots[slot].CurrentIndex, w->Edit1->Text(), w->Desktop->SelectedSlot),
                  std::make_tuple(def.Index, std::string(slot >= 9 ? "ごみ箱" : "名前"), slot));
    }
    w->Edit1->SetText("x");  // the full Recycle Bin is still selected
    w->IEButton1Click(w->IEButton1);
    for (const icons::TIconSlot& s : w->Desktop->Slots) {
        const icons::TSlotLocation def = icons::DefaultLocation(s.Number);
        EXPECT_EQ(std::make_pair(s.CurrentFile, s.CurrentIndex), std::make_pair(def.File, def.Index)) << s.Number;
    }
    EXPECT_EQ(w->Edit1->Text(), "ごみ箱");
    ExpectGrid(w, icons::GetShell32Path(), 32);
    EXPECT_EQ(Registry(), before);
}
