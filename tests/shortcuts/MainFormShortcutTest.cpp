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

struct LinkSpec {
    LinkSpec(std::string t = "", std::string icon = "", int index = 0, std::string desc = "", std::string args = "",
             std::string dir = "", WORD hot = 0)
        : target(t), iconFile(icon), iconIndex(index), description(desc), arguments(args), workingDir(dir),
          hotKey(hot) {}
    std::string target;  // empty: a virtual target (the Control Panel)
    std::string iconFile;
    int iconIndex = 0;
    std::string description, arguments, workingDir;
    WORD hotKey = 0;
};

std::wstring Wide(const std::string& s) {
    wchar_t buf[MAX_PATH * 2] = {};
    MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, buf, MAX_PATH * 2);
    return buf;
}

void WriteLink(const std::string& path, const LinkSpec& spec) {
    ui::ComPtr<IShellLinkA> link;
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.putVoid()), S_OK);
    if (spec.target.empty()) {
        ui::CoTaskMemPtr<ITEMIDLIST> pidl;
        ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_CONTROLS, pidl.put()), S_OK);
        link->SetIDList(pidl.get());
    } else {
        link->SetPath(spec.target.c_str());
    }
    if (!spec.iconFile.empty()) link->SetIconLocation(spec.iconFile.c_str(), spec.iconIndex);
    link->SetDescription(spec.description.c_str());
    link->SetArguments(spec.arguments.c_str());
    link->SetWorkingDirectory(spec.workingDir.c_str());
    link->SetHotkey(spec.hotKey);
    ui::ComPtr<IPersistFile> file;
    ASSERT_EQ(link->QueryInterface(IID_IPersistFile, file.putVoid()), S_OK);
    ASSERT_EQ(file->Save(Wide(path).c_str(), TRUE), S_OK);
}

LinkSpec ReadLink(const std::string& path) {
    LinkSpec s;
    ui::ComPtr<IShellLinkA> link;
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.putVoid());
    ui::ComPtr<IPersistFile> file;
    link->QueryInterface(IID_IPersistFile, file.putVoid());
    if (file->Load(Wide(path).c_str(), STGM_READ) != S_OK) return s;
    char buf[MAX_PATH] = {};
    link->GetPath(buf, MAX_PATH, nullptr, 0);
    s.target = buf;
    link->GetIconLocation(buf, MAX_PATH, &s.iconIndex);
    s.iconFile = buf;
    link->GetDescription(buf, MAX_PATH);
    s.description = buf;
    link->GetArguments(buf, MAX_PATH);
    s.arguments = buf;
    link->GetWorkingDirectory(buf, MAX_PATH);
    s.workingDir = buf;
    link->GetHotkey(&s.hotKey);
    return s;
}

bool NoticeShown() { return Form2 && IsWindowVisible(Form2->Handle()); }

}  // namespace

TEST(ShortcutDrop, ShortcutWithItsOwnIconIsSelectedAndShown) {
    MainWindow w;
    std::string shell32 = Shell32Path();
    std::string link = w.Desktop() + "\\アプリ.lnk";
    WriteLink(link, {icons::GetSystemDir() + "\\notepad.exe", shell32, 4});
    w->Image6Click(nullptr);
    MainWindow::DropFiles(w->Panel3->Handle(), {link});
    EXPECT_EQ(w->SelectedSlot, 3);
    EXPECT_TRUE(w->Bevel14->Visible());
    EXPECT_FALSE(w->Bevel6->Visible());
    EXPECT_EQ(w->ShortcutIconFile, shell32);
    EXPECT_EQ(w->ShortcutIconIndex, 4);
    EXPECT_FALSE(w->Image1->Picture().Empty());
    EXPECT_EQ(w->IconListBox1->FileName(), shell32);
    EXPECT_EQ(w->IconListBox1->ItemIndex(), 4);
    EXPECT_EQ(w.Caption(), "Vemlora " + shell32 + " /4");
    // Another object, then the shortcut's image again: its location comes back.
    w->Image5Click(nullptr);
    EXPECT_EQ(w->SelectedSlot, 1);
    w->Image1Click(w->Image1);
    EXPECT_EQ(w->SelectedSlot, 3);
    EXPECT_EQ(w->IconListBox1->ItemIndex(), 4);
    // The desktop page comes back to the shortcut too.
    w.ShowPage(w->TabSheet4);
    w.ShowPage(w->TabSheet2);
    EXPECT_TRUE(w->Bevel14->Visible());
    EXPECT_EQ(w->IconListBox1->FileName(), shell32);
}

TEST(ShortcutDrop, PickedIconIsWrittenAndTheRestOfTheShortcutKept) {
    MainWindow w;
    TempDir dir;
    std::string lib = WritePeIconLibrary(dir, "lib.dll", 12);
    std::string link = w.Desktop() + "\\メモ帳.lnk";
    LinkSpec spec{icons::GetSystemDir() + "\\notepad.exe", Shell32Path(), 4, "説明です", "/a b", "C:\\windows", 0x0646};
    WriteLink(link, spec);
    MainWindow::DropFiles(w->Panel3->Handle(), {link});
    ASSERT_EQ(w->SelectedSlot, 3);
    w->IconListBox1->SetFileName(lib);
    w->IconListBox1->SetItemIndex(7);
    w->IconListBox1DblClick(w->IconListBox1);  // assigns and runs Execute
    EXPECT_EQ(w->ShortcutIconFile, lib);
    EXPECT_EQ(w->ShortcutIconIndex, 7);
    LinkSpec after = ReadLink(link);
    EXPECT_EQ(after.iconFile, lib);
    EXPECT_EQ(after.iconIndex, 7);
    EXPECT_EQ(after.target, spec.target);
    EXPECT_EQ(after.description, spec.description);
    EXPECT_EQ(after.arguments, spec.arguments);
    EXPECT_EQ(after.workingDir, spec.workingDir);
    EXPECT_EQ(after.hotKey, spec.hotKey);
}

TEST(ShortcutDrop, ShortcutWithoutIconShowsItsTargetsFirstIconAndIsLeftAlone) {
    MainWindow w;
    TempDir dir;
    std::string program = WritePeIconLibrary(dir, "prog.dll", 3);
    std::string link = w.Desktop() + "\\prog.lnk";
    WriteLink(link, {program});
    std::string before = ReadFileBytes(link);
    MainWindow::DropFiles(w->Panel3->Handle(), {link});
    EXPECT_EQ(w->SelectedSlot, 3);
    EXPECT_TRUE(w->ShortcutIconFile.empty());
    EXPECT_EQ(w->IconListBox1->FileName(), program);
    EXPECT_EQ(w->IconListBox1->ItemIndex(), 0);
    EXPECT_FALSE(w->Image1->Picture().Empty());
    w->IEButton5Click(w->IEButton5);
    EXPECT_EQ(ReadFileBytes(link), before) << "Execute leaves the shortcut alone";
    // Its image has no location of its own to go back to.
    w->Image5Click(nullptr);
    w->Image1Click(w->Image1);
    EXPECT_EQ(w->SelectedSlot, 1);
}

TEST(ShortcutDrop, VirtualTargetShowsTheNoticeEachTime) {
    MainWindow w;
    std::string link = w.Desktop() + "\\コントロール.lnk";
    WriteLink(link, {""});
    for (int i = 0; i < 2; ++i) {
        MainWindow::DropFiles(w->Panel3->Handle(), {link});
        ASSERT_TRUE(NoticeShown()) << i;
        EXPECT_EQ(Form2->Label1->Caption(), "このアイコンはここからは変更できません");
        EXPECT_EQ(Form2->Label2->Caption(), "アイコンのプロパティで変更してください");
        EXPECT_EQ(w->SelectedSlot, 1);
        EXPECT_TRUE(w->ShortcutIconFile.empty());
        if (i == 0) Form2->Button1Click(Form2->Button1);
    }
}

TEST(ShortcutDrop, FoldersIconFilesAndSeveralFiles) {
    MainWindow w;
    TempDir dir;
    std::string lib = WritePeIconLibrary(dir, "icons.dll", 6);
    std::string mixedCase = dir.WriteFile("x.Lnk", "not a shortcut");
    std::string folder = dir.MakeDir("フォルダ");
    std::string caption = w.Caption();
    MainWindow::DropFiles(w->Panel3->Handle(), {folder});
    EXPECT_EQ(w.Caption(), caption);
    EXPECT_EQ(w->SelectedSlot, 1);
    // An icon library (only the first of several) goes to the grid; the selection stays.
    MainWindow::DropFiles(w->Panel3->Handle(), {lib, mixedCase});
    EXPECT_EQ(w->IconListBox1->FileName(), lib);
    EXPECT_EQ(w->SelectedSlot, 1);
    EXPECT_TRUE(w->Bevel5->Visible());
    EXPECT_TRUE(w->Image1->Picture().Empty());
    MainWindow::DropFiles(w->Panel3->Handle(), {mixedCase});
    EXPECT_EQ(w->IconListBox1->FileName(), mixedCase);
    EXPECT_EQ(w.Caption(), "Vemlora " + mixedCase + " /-1");
}

TEST(ShortcutDrop, ShortcutOutsideTheDesktopFolderIsRefusedAndNothingTouched) {
    MainWindow w;
    TempDir elsewhere;
    std::string shell32 = Shell32Path();
    // A shortcut of the same name lies on the desktop: it must be neither read nor written.
    std::string onDesktop = w.Desktop() + "\\同名.lnk";
    WriteLink(onDesktop, {icons::GetSystemDir() + "\\notepad.exe", shell32, 9});
    std::string outside = elsewhere / "同名.lnk";
    WriteLink(outside, {icons::GetSystemDir() + "\\winhlp32.exe", shell32, 2});
    std::string desktopBytes = ReadFileBytes(onDesktop), outsideBytes = ReadFileBytes(outside);
    MainWindow::DropFiles(w->Panel3->Handle(), {outside});
    EXPECT_TRUE(NoticeShown());
    EXPECT_EQ(w->SelectedSlot, 1);
    EXPECT_TRUE(w->ShortcutIconFile.empty());
    EXPECT_TRUE(w->VxShellLink1->Target().empty());
    w->IEButton5Click(w->IEButton5);
    EXPECT_EQ(ReadFileBytes(onDesktop), desktopBytes);
    EXPECT_EQ(ReadFileBytes(outside), outsideBytes);
}

TEST(ShortcutDrop, AfterADesktopShortcutAMissingNameIsRefusedNotTakenForTheOldOne) {
    MainWindow w;
    std::string shell32 = Shell32Path();
    std::string first = w.Desktop() + "\\first.lnk";
    WriteLink(first, {icons::GetSystemDir() + "\\notepad.exe", shell32, 3});
    MainWindow::DropFiles(w->Panel3->Handle(), {first});
    ASSERT_EQ(w->ShortcutIconIndex, 3);
    std::string gone = w.Desktop() + "\\gone.lnk";
    MainWindow::DropFiles(w->Panel3->Handle(), {gone});
    EXPECT_TRUE(NoticeShown());
    w->IEButton5Click(w->IEButton5);
    EXPECT_FALSE(FileExistsA(gone)) << "no shortcut is built from the previous one's attributes";
}
