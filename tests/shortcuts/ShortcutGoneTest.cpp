// A shortcut that goes away after it was read is never written again: the grid's double click
// changes only the file that is there (following the tree's own rename) and otherwise tells the
// user. On the real main window, over a Start menu of the test's own.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "icons/IconLocation.h"
#include "shell/IdList.h"
#include "support/IconLibraries.h"
#include "support/MainWindow.h"
#include "support/Shortcuts.h"

using namespace testing_support;

namespace {

void MakeShortcut(const std::string& path, const std::string& iconFile) {
    ASSERT_TRUE(WriteShortcut(path, {"", icons::GetSystemDir() + "\\notepad.exe", "", "", iconFile, 1}));
}

void Key(HWND window, WORD key) {
    SendMessageA(window, WM_KEYDOWN, key, 0);
    SendMessageA(window, WM_CHAR, key, 0);
    SendMessageA(window, WM_KEYUP, key, 0xC0000000);
    PumpMessages();
}

// Picks icon 4 of the grid with a double click, as the user does.
void PickIcon(TForm1& form) {
    form.IconListBox1->SetItemIndex(4);
    form.IconListBox1DblClick(form.IconListBox1);
}

}  // namespace

TEST(ShortcutGone, StartMenuTabWritesOnlyTheShortcutThatIsThere) {
    TempDir libs, startMenu;  // the Start menu of the test's own registry
    const std::string lib = WritePeIconLibrary(libs, "lib.dll", 6);
    const std::string folder = startMenu / "消", old = folder + "\\旧.lnk";
    const struct {
        const char* what;
        std::string renamed;  // empty: removed
        bool written;
    } cases[] = {
        {"F2 in the tree", folder + "\\新.lnk", true},
        {"renamed from outside", folder + "\\外.lnk", false},
        {"removed from outside", "", false},
        {"Del in the tree", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const bool del = std::string(c.what) == "Del in the tree";
        // The shell's wastebasket of the run, not the user's.
        if (del && !std::getenv("XDG_DATA_HOME")) GTEST_SKIP() << "deleting would fill the user's own wastebasket";
        RemoveTree(folder);
        startMenu.MakeDir("消");
        MakeShortcut(old, lib);
        MainWindow w([&] { SetStartMenuFolder(startMenu.Path()); });
        TForm1& form = w.Form();
        w.ShowPage(form.TabSheet5);
        PumpMessages();
        shell::IdList list;
        ASSERT_EQ(shell::ParsePath(old, list), S_OK);
        form.PTShellTree1->SelectIdList(list.get());
        form.PTShellTree1MouseDown(form.PTShellTree1, ui::TMouseButton::mbLeft, 0, 0, 0);
        ASSERT_EQ(form.IconListBox1->FileName(), lib);
        HWND tree = form.PTShellTree1->Handle();
        if (c.renamed.empty() && !del) {
            DeleteFileA(old.c_str());
        } else if (del) {
            w.Boxes().SetAnswer(IDYES);  // the shell's question
            Key(tree, VK_DELETE);
            w.Boxes().SetAnswer(IDOK);
            w.Boxes().Clear();
        } else if (!c.written) {
            MoveFileA(old.c_str(), c.renamed.c_str());
        } else {
            Key(tree, VK_F2);
            HWND edit = reinterpret_cast<HWND>(SendMessageA(tree, TVM_GETEDITCONTROL, 0, 0));
            ASSERT_NE(edit, nullptr);
            // The label as it shows (with ".lnk" where the shell shows it), with a new name.
            char label[MAX_PATH] = {};
            GetWindowTextA(edit, label, MAX_PATH);
            SetWindowTextA(edit, std::string(label).replace(0, std::string("旧").size(), "新").c_str());
            Key(edit, VK_RETURN);
        }
        ASSERT_FALSE(FileExistsA(old));
        PickIcon(form);
        const std::vector<std::string> left =
            c.renamed.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.renamed.substr(folder.size() + 1)};
        EXPECT_EQ(NamesIn(folder), left) << "nothing under the old name";
        if (!c.renamed.empty()) EXPECT_EQ(ReadShortcut(c.renamed).iconIndex, c.written ? 4 : 1);
        EXPECT_EQ(w.Boxes().Boxes().size(), c.written ? 0u : 1u);
        if (!c.written) EXPECT_FALSE(form.IEButton10->Enabled()) << "the gone shortcut is shown no more";
    }
}

TEST(ShortcutGone, DesktopExecuteWritesNoShortcutThatWasRemoved) {
    MainWindow w;
    TempDir libs;
    const std::string lib = WritePeIconLibrary(libs, "lib.dll", 6);
    const std::string path = w.Desktop() + "\\消えた.lnk";
    MakeShortcut(path, lib);
    MainWindow::DropFiles(w->Panel3->Handle(), {path});
    ASSERT_EQ(w->Desktop->SelectedSlot, 3);
    DeleteFileA(path.c_str());
    PickIcon(w.Form());
    EXPECT_FALSE(FileExistsA(path));
    EXPECT_EQ(w.Boxes().Boxes().size(), 1u);
    // Execute again asks no more.
    w->IEButton5Click(w->IEButton5);
    EXPECT_FALSE(FileExistsA(path));
    EXPECT_EQ(w.Boxes().Boxes().size(), 1u);
}
