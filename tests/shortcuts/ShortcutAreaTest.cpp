// The desktop tab's shortcut drop area on the real main window, with real shortcut files in
// the window's (private) desktop folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

#include "app/NoticeForm.h"
#include "icons/IconLocation.h"
#include "support/IconLibraries.h"
#include "support/MainWindow.h"

using namespace testing_support;

namespace {

struct Link {
    std::string target;  // empty: a virtual target (the Control Panel)
    std::string iconFile;
    int iconIndex;
    std::string description, arguments, workingDir;
    WORD hotKey;
};

std::wstring Wide(const std::string& s) {
    wchar_t buf[MAX_PATH * 2] = {};
    MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, buf, MAX_PATH * 2);
    return buf;
}

// Writes `write` as a shortcut (or, without it, reads one back) a shortcut through the shell's own shortcut object.
Link ShortcutFile(const std::string& path, const Link* write) {
    ui::ComPtr<IShellLinkA> link;
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.putVoid());
    ui::ComPtr<IPersistFile> file;
    link->QueryInterface(IID_IPersistFile, file.putVoid());
    Link l{};
    if (write) {
        if (write->target.empty()) {
            ui::CoTaskMemPtr<ITEMIDLIST> pidl;
            SHGetSpecialFolderLocation(nullptr, CSIDL_CONTROLS, pidl.put());
            link->SetIDList(pidl.get());
        } else {
            link->SetPath(write->target.c_str());
        }
        if (!write->iconFile.empty()) link->SetIconLocation(write->iconFile.c_str(), write->iconIndex);
        link->SetDescription(write->description.c_str());
        link->SetArguments(write->arguments.c_str());
        link->SetWorkingDirectory(write->workingDir.c_str());
        link->SetHotkey(write->hotKey);
        EXPECT_EQ(file->Save(Wide(path).c_str(), TRUE), S_OK);
        return *write;
    }
    if (file->Load(Wide(path).c_str(), STGM_READ) != S_OK) return l;
    char buf[MAX_PATH] = {};
    link->GetPath(buf, MAX_PATH, nullptr, 0), l.target = buf;
    link->GetIconLocation(buf, MAX_PATH, &l.iconIndex), l.iconFile = buf;
    link->GetDescription(buf, MAX_PATH), l.description = buf;
    link->GetArguments(buf, MAX_PATH), l.arguments = buf;
    link->GetWorkingDirectory(buf, MAX_PATH), l.workingDir = buf;
    link->GetHotkey(&l.hotKey);
    return l;
}

void WriteLink(const std::string& path, const Link& l) { ShortcutFile(path, &l); }

bool NoticeShown() { return Form2 && IsWindowVisible(Form2->Handle()); }

const std::string Notepad() { return icons::GetSystemDir() + "\\notepad.exe"; }

}  // namespace

TEST(ShortcutDrop, ShortcutIsSelectedShownAndGetsThePickedIcon) {
    MainWindow w;
    TempDir dir;
    std::string lib = WritePeIconLibrary(dir, "lib.dll", 12), shell32 = Shell32Path();
    std::string path = w.Desktop() + "\\メモ帳.lnk";
    Link before{Notepad(), shell32, 4, "説明です", "/a b", "C:\\windows", 0x0646};
    WriteLink(path, before);
    w->Image6Click(nullptr);
    MainWindow::DropFiles(w->Panel3->Handle(), {path});
    EXPECT_EQ(w->Desktop->SelectedSlot, 3);
    EXPECT_TRUE(w->Bevel14->Visible());
    EXPECT_FALSE(w->Bevel6->Visible());
    EXPECT_EQ(w->ShortcutArea->ShortcutIconFile, shell32);
    EXPECT_EQ(w->ShortcutArea->ShortcutIconIndex, 4);
    EXPECT_FALSE(w->Image1->Picture().Empty());
    EXPECT_EQ(w.Caption(), "Vemlora " + shell32 + " /4");
    // Another object, then the shortcut's image again; and the desktop page coming back.
    w->Image5Click(nullptr);
    w->Image1Click(w->Image1);
    EXPECT_EQ(w->Desktop->SelectedSlot, 3);
    EXPECT_EQ(w->IconListBox1->ItemIndex(), 4);
    w.ShowPage(w->TabSheet4);
    w.ShowPage(w->TabSheet2);
    EXPECT_TRUE(w->Bevel14->Visible());
    // A double click picks another icon and Execute writes it, keeping everything else.
    w->IconListBox1->SetFileName(lib);
    w->IconListBox1->SetItemIndex(7);
    w->IconListBox1DblClick(w->IconListBox1);
    Link after = ShortcutFile(path, nullptr);
    EXPECT_EQ(after.iconFile, lib);
    EXPECT_EQ(after.iconIndex, 7);
    EXPECT_EQ(after.target, before.target);
    EXPECT_EQ(after.description, before.description);
    EXPECT_EQ(after.arguments, before.arguments);
    EXPECT_EQ(after.workingDir, before.workingDir);
    EXPECT_EQ(after.hotKey, before.hotKey);
}

TEST(ShortcutDrop, ShortcutWithoutIconShowsItsTargetsFirstIconAndIsLeftAlone) {
    MainWindow w;
    TempDir dir;
    std::string program = WritePeIconLibrary(dir, "prog.dll", 3);
    std::string path = w.Desktop() + "\\prog.lnk";
    WriteLink(path, {program, "", 0, "", "", "", 0});
    std::string bytes = ReadFileBytes(path);
    MainWindow::DropFiles(w->Panel3->Handle(), {path});
    EXPECT_EQ(w->Desktop->SelectedSlot, 3);
    EXPECT_TRUE(w->ShortcutArea->ShortcutIconFile.empty());
    EXPECT_EQ(w->IconListBox1->FileName(), program);
    EXPECT_EQ(w->IconListBox1->ItemIndex(), 0);
    EXPECT_FALSE(w->Image1->Picture().Empty());
    w->IEButton5Click(w->IEButton5);
    EXPECT_EQ(ReadFileBytes(path), bytes) << "Execute leaves the shortcut alone";
    w->Image5Click(nullptr);
    w->Image1Click(w->Image1);  // no location of its own to go back to
    EXPECT_EQ(w->Desktop->SelectedSlot, 1);
}

TEST(ShortcutDrop, VirtualTargetShowsTheNoticeEachTime) {
    MainWindow w;
    std::string path = w.Desktop() + "\\コントロール.lnk";
    WriteLink(path, {"", "", 0, "", "", "", 0});
    for (int i = 0; i < 2; ++i) {
        MainWindow::DropFiles(w->Panel3->Handle(), {path});
        ASSERT_TRUE(NoticeShown()) << i;
        EXPECT_EQ(Form2->Label1->Caption(), "このアイコンはここからは変更できません");
        EXPECT_EQ(Form2->Label2->Caption(), "アイコンのプロパティで変更してください");
        EXPECT_EQ(w->Desktop->SelectedSlot, 1);
        if (i == 0) Form2->Button1Click(Form2->Button1);
    }
}

TEST(ShortcutDrop, FoldersIconFilesAndSeveralFiles) {
    MainWindow w;
    TempDir dir;
    std::string lib = WritePeIconLibrary(dir, "icons.dll", 6);
    std::string mixedCase = dir.WriteFile("x.Lnk", "not a shortcut");
    std::string caption = w.Caption();
    MainWindow::DropFiles(w->Panel3->Handle(), {dir.MakeDir("フォルダ")});
    EXPECT_EQ(w.Caption(), caption);
    // An icon library (only the first of several) goes to the grid; the selection stays.
    MainWindow::DropFiles(w->Panel3->Handle(), {lib, mixedCase});
    EXPECT_EQ(w->IconListBox1->FileName(), lib);
    EXPECT_EQ(w->Desktop->SelectedSlot, 1);
    EXPECT_TRUE(w->Image1->Picture().Empty());
    MainWindow::DropFiles(w->Panel3->Handle(), {mixedCase});
    EXPECT_EQ(w.Caption(), "Vemlora " + mixedCase + " /-1");
}

TEST(ShortcutDrop, ShortcutsThatAreNotOnTheDesktopAreRefusedAndNothingTouched) {
    MainWindow w;
    TempDir elsewhere;
    // A shortcut of the same name lies on the desktop: it must be neither read nor written.
    std::string onDesktop = w.Desktop() + "\\同名.lnk", outside = elsewhere / "同名.lnk";
    WriteLink(onDesktop, {Notepad(), Shell32Path(), 9, "", "", "", 0});
    WriteLink(outside, {Notepad(), Shell32Path(), 2, "", "", "", 0});
    std::string outsideBytes = ReadFileBytes(outside);
    MainWindow::DropFiles(w->Panel3->Handle(), {outside});
    EXPECT_TRUE(NoticeShown());
    EXPECT_EQ(w->Desktop->SelectedSlot, 1);
    EXPECT_TRUE(w->VxShellLink1->Target().empty());
    // After a good drop, a name that is not there is not taken for the previous shortcut.
    MainWindow::DropFiles(w->Panel3->Handle(), {onDesktop});
    ASSERT_EQ(w->ShortcutArea->ShortcutIconIndex, 9);
    std::string gone = w.Desktop() + "\\gone.lnk";
    MainWindow::DropFiles(w->Panel3->Handle(), {gone});
    w->IEButton5Click(w->IEButton5);
    EXPECT_FALSE(FileExistsA(gone));
    EXPECT_EQ(ReadFileBytes(outside), outsideBytes);
    EXPECT_EQ(ShortcutFile(onDesktop, nullptr).iconIndex, 9);
}
