// The desktop tab's shortcut drop area on the real main window, with real shortcut files in
// the window's (private) desktop folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/NoticeForm.h"
#include "support/IconLibraries.h"
#include "support/MainWindow.h"
#include "support/Shortcuts.h"

using namespace testing_support;

// Only a shortcut from the desktop folder with a file-system target is taken; the icon picked
// for it is written keeping the rest, and the shortcut is never made anew.
TEST(ShortcutDrop, ADesktopShortcutIsSelectedShownAndGetsThePickedIconKeepingTheRest) {
    MainWindow w;
    TempDir dir;
    const HWND area = w->Panel3->Handle();
    const std::string lib = WritePeIconLibrary(dir, "lib.dll", 12), path = w.Desktop() + "\\メモ帳.lnk";
    // A folder is ignored; any other file but a shortcut is an icon source (only the first of
    // several), and the selection stays.
    const std::string caption = w->Caption();
    MainWindow::DropFiles(area, {dir.MakeDir("フォルダ")});
    EXPECT_EQ(w->Caption(), caption);
    MainWindow::DropFiles(area, {lib, dir.WriteFile("x.Lnk", "not a shortcut")});
    EXPECT_EQ(std::make_pair(w->IconListBox1->FileName(), w->Desktop->SelectedSlot), std::make_pair(lib, 1));

    WriteShortcut(path, {"説明です", Notepad(), "C:\\windows", "/a b", Shell32Path(), 4, 0x0646});
    MainWindow::DropFiles(area, {path});
    EXPECT_EQ(w->Desktop->SelectedSlot, 3);
    EXPECT_FALSE(w->Image1->Picture().Empty());
    EXPECT_EQ(w->Caption(), "Vemlora " + Shell32Path() + " /4");
    // Another object, then the shortcut's image again.
    w->Image5Click(nullptr);
    w->Image1Click(w->Image1);
    EXPECT_EQ(w->Desktop->SelectedSlot, 3);
    EXPECT_EQ(w->IconListBox1->ItemIndex(), 4);
    // A double click picks another icon and writes it, keeping everything else.
    w->IconListBox1->SetFileName(lib);
    w->IconListBox1->SetItemIndex(7);
    w->IconListBox1DblClick(w->IconListBox1);
    const ShortcutFields written{"説明です", Notepad(), "C:\\windows", "/a b", lib, 7, 0x0646};
    EXPECT_EQ(ReadShortcut(path), written);

    // Refused with the notice, nothing written even by Execute: a shortcut from outside the desktop
    // (the desktop one of the same name is not taken for it), one with a virtual target, one that is gone.
    const std::string refused[] = {dir / "メモ帳.lnk", w.Desktop() + "\\コントロール.lnk", w.Desktop() + "\\gone.lnk"};
    WriteShortcut(refused[0], {"", Notepad(), "", "", Shell32Path(), 2});
    WriteShortcut(refused[1], {});  // the Control Panel
    for (const std::string& other : refused) {
        const std::string before = ReadFileBytes(other);
        MainWindow::DropFiles(area, {other});
        ASSERT_TRUE(Form2 && IsWindowVisible(Form2->Handle())) << other;
        Form2->Button1Click(Form2->Button1);
        w->IEButton5Click(w->IEButton5);
        EXPECT_EQ(ReadFileBytes(other), before) << other;
    }
    EXPECT_EQ(ReadShortcut(path), written);

    // A shortcut without an icon shows its target's first icon, and Execute leaves it alone.
    const std::string program = WritePeIconLibrary(dir, "prog.dll", 3), plain = w.Desktop() + "\\prog.lnk";
    WriteShortcut(plain, {"", program, "", "", ""});
    const std::string bytes = ReadFileBytes(plain);
    MainWindow::DropFiles(area, {plain});
    EXPECT_EQ(std::make_pair(w->IconListBox1->FileName(), w->IconListBox1->ItemIndex()), std::make_pair(program, 0));
    w->IEButton5Click(w->IEButton5);
    EXPECT_EQ(ReadFileBytes(plain), bytes);
    // Gone before the double click that writes it: it is not made anew, and the user is told once.
    DeleteFileA(plain.c_str());
    w->IconListBox1DblClick(w->IconListBox1);
    w->IEButton5Click(w->IEButton5);
    EXPECT_FALSE(FileExistsA(plain));
    EXPECT_EQ(w.Boxes().Boxes().size(), 1u);
}
