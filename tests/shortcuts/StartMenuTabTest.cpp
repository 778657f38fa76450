// The Start-menu tab on the real main window: its shell tree browses a folder of real
// shortcuts made for the test, and its folder box, F5 and change button re-root the tree.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "shell/ShellTesting.h"
#include "support/IconLibraries.h"
#include "support/MainWindow.h"
#include "support/Shortcuts.h"

using namespace testing_support;
using shell_testing::ListOf;

namespace {

// A shortcut to the notepad with a description and arguments to keep, and an icon location when given.
ShortcutFields Link(const std::string& iconFile = "", int iconIndex = 0) {
    return {"説明はそのまま", Notepad(), "", "/a \"ソ 表\"", iconFile, iconIndex};
}

// The main window on the Start-menu tab, over a folder of the test's own once Root() is called.
class StartMenuTab : public ::testing::Test {
protected:
    void SetUp() override {
        lib = WritePeIconLibrary(libs, "表示.dll", 6);
        WriteShortcut(dir / "メモ帳.lnk", Link());
        WriteShortcut(dir / "表示.lnk", Link(lib, 3));
        dir.WriteFile("読んで.txt", "text");
        dir.MakeDir("ソフト");
        w.ShowPage(w->TabSheet5);
        PumpMessages();
    }
    void Root() { Tree().BaseFolder().SetIdList(ListOf(dir.Path()).get()); }

    TForm1& form() { return w.Form(); }
    shell::TPTShellTree& Tree() { return *form().PTShellTree1; }

    // Selects the item called `name` in the tree (its folder for none), then runs the tree's mouse-down.
    void Click(const std::string& name) {
        Tree().SelectIdList(ListOf(name.empty() ? dir.Path() : dir / name).get());
        ASSERT_TRUE(Tree().Selected()) << name;
        form().PTShellTree1MouseDown(&Tree(), ui::TMouseButton::mbLeft, 0, 0, 0);
    }
    // Icon `index` of the grid's file picked with a double click.
    void Pick(int index) {
        form().IconListBox1->SetItemIndex(index);
        form().IconListBox1DblClick(form().IconListBox1);
    }

    std::vector<bool> Enabled() {
        return {form().IEButton10->Enabled(), form().IEButton8->Enabled(), form().IconListBox1->Enabled()};
    }
    std::pair<std::string, int> Grid() { return {form().IconListBox1->FileName(), form().IconListBox1->ItemIndex()}; }

    TempDir dir, libs;
    std::string lib;
    MainWindow w;
};

}  // namespace

// Each click reads the item the tree selected; what shows afterwards does not depend on what showed before.
TEST_F(StartMenuTab, ClickedItemsShowTheirIconOrNothing) {
    // Shown first, the tree holds the Start menu, opened.
    ui::TTreeNode* top = Tree().Items().GetFirstNode();
    ASSERT_TRUE(top && top->Expanded());
    EXPECT_EQ(Tree().NodeData(top)->PathName(), shell::SpecialFolderPath(nullptr, CSIDL_STARTMENU));
    Root();
    const struct { std::string item; bool shown; std::pair<std::string, int> icon; } cases[] = {
        {"メモ帳.lnk", true, {Notepad(), 0}},  // no icon location: the program's first icon
        {"ソフト", false, {"", 0}},             // a folder after a shortcut
        {"表示.lnk", true, {lib, 3}},           // its own icon location
        {"読んで.txt", false, {"", 0}},          // a plain file after a shortcut with its own icon
        {"", false, {"", 0}},                   // the folder itself
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        Click(c.item);
        EXPECT_EQ(form().Image23->Visible(), c.shown);
        EXPECT_EQ(form().StartMenu->MenuItemPath, c.item.empty() ? dir.Path() : dir / c.item);
        EXPECT_EQ(form().Label8->Caption(), c.shown ? Notepad() : "");
        EXPECT_EQ(Enabled(), std::vector<bool>(3, c.shown));
        EXPECT_EQ(std::make_pair(form().StartMenu->MenuIconFile, form().StartMenu->MenuIconIndex), c.icon);
        EXPECT_EQ(c.shown ? Grid() : c.icon, c.icon);
        EXPECT_EQ(w->Caption(),
                  c.shown ? "Vemlora " + c.icon.first + " /" + std::to_string(c.icon.second) : "Vemlora ");
    }
    // A real click on a node: the tree has selected it when the handler reads it. Leaving the tab
    // and coming back shows the item's icon again.
    ui::TTreeNode* target = nullptr;
    for (ui::TTreeNode* n = Tree().Items().GetFirstNode()->GetFirstChild(); n; n = n->GetNextSibling())
        if (Tree().NodeData(n)->PathName() == dir / "表示.lnk") target = n;
    ASSERT_TRUE(target);
    const RECT r = target->DisplayRect(true);
    MainWindow::ClickAt(Tree().Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PumpMessages();
    EXPECT_EQ(Tree().Selected(), target);
    EXPECT_EQ(Grid(), std::make_pair(lib, 3));
    w.ShowPage(form().TabSheet2);
    w.ShowPage(form().TabSheet5);
    EXPECT_EQ(Grid(), std::make_pair(lib, 3));
    EXPECT_EQ(Enabled(), std::vector<bool>(3, true));
}

TEST_F(StartMenuTab, TheChangeButtonWritesThePickedIconAndKeepsTheRest) {
    const std::string link = dir / "表示.lnk";
    Root();
    Click("表示.lnk");
    // A double click on icon 5 of another file writes it at once: the change button is enabled.
    form().IconListBox1->SetFileName(lib);
    Pick(5);
    EXPECT_EQ(ReadShortcut(link), Link(lib, 5));
    // "Back to standard" shows the target's first icon without writing; the change button writes it.
    Root();
    Click("表示.lnk");
    const std::string before = ReadFileBytes(link);
    form().IEButton9Click(form().IEButton9);
    EXPECT_EQ(Grid(), std::make_pair(Notepad(), 0));
    EXPECT_EQ(ReadFileBytes(link), before);
    form().IEButton10Click(form().IEButton10);
    EXPECT_EQ(ReadShortcut(link), Link(Notepad(), 0));
    // After a press that read no shortcut the change button writes nothing: no file beside a
    // folder or a plain file, and the shortcut shown before stays as it is.
    for (const std::string item : {"ソフト", "読んで.txt"}) {
        Root();
        Click("表示.lnk");
        Click(item);
        form().StartMenu->MenuIconFile = lib;  // as if an icon had been picked meanwhile
        form().IEButton10Click(form().IEButton10);
        EXPECT_FALSE(FileExistsA(dir / (item + ".lnk"))) << item;
        EXPECT_EQ(ReadShortcut(link), Link(Notepad(), 0)) << item;
    }
}

// A shortcut renamed after it was read: a pick follows a rename in the tree, and after one from
// outside writes nothing (no file made under the old name) and says so.
TEST_F(StartMenuTab, APickWritesOnlyTheShortcutThatIsThere) {
    Root();
    Click("表示.lnk");
    SendMessageA(Tree().Handle(), WM_KEYDOWN, VK_F2, 0);
    const HWND edit = reinterpret_cast<HWND>(SendMessageA(Tree().Handle(), TVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(edit, nullptr);
    char label[MAX_PATH] = {};  // as it shows, with ".lnk" where the shell shows it
    GetWindowTextA(edit, label, MAX_PATH);
    SetWindowTextA(edit, std::string(label).replace(0, std::string("表示").size(), "新").c_str());
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    PumpMessages();
    Pick(4);
    EXPECT_EQ(NamesIn(dir.Path(), "*.lnk"), (std::vector<std::string>{"メモ帳.lnk", "新.lnk"}));
    EXPECT_EQ(ReadShortcut(dir / "新.lnk"), Link(lib, 4));
    Root();
    Click("新.lnk");
    ASSERT_TRUE(MoveFileA((dir / "新.lnk").c_str(), (dir / "外.lnk").c_str()));
    Pick(2);
    EXPECT_EQ(NamesIn(dir.Path(), "*.lnk"), (std::vector<std::string>{"メモ帳.lnk", "外.lnk"}));
    EXPECT_EQ(ReadShortcut(dir / "外.lnk"), Link(lib, 4));
    EXPECT_EQ(w.Boxes().Boxes().size(), 1u);
    EXPECT_FALSE(form().IEButton10->Enabled()) << "the gone shortcut is shown no more";
}

// The roots the tree is filled with, in order, by each action.
TEST_F(StartMenuTab, FolderBoxF5AndChangeSwitchTheRootThroughAnotherFolder) {
    std::vector<int> roots;
    Tree().OnFillStart = [&](ui::TObject*) {
        if (Tree().Items().Count() == 0) roots.push_back(Tree().BaseFolder().SpecialFolder());
    };
    auto pick = [&](int index) {
        form().ComboBox1->SetItemIndex(index);
        form().ComboBox1Change(form().ComboBox1);
    };
    auto key = [&](WORD code) { form().PTShellTree1KeyDown(&Tree(), code, 0); };
    const struct { const char* what; std::function<void()> act; std::vector<int> roots; } cases[] = {
        {"entry 2", [&] { pick(2); }, {CSIDL_COMMON_STARTMENU}},
        {"entry 0", [&] { pick(0); }, {CSIDL_STARTMENU}},  // already at the common Start menu
        {"entry 3", [&] { pick(3); }, {CSIDL_COMMON_STARTMENU, CSIDL_COMMON_DESKTOPDIRECTORY}},
        {"entry 1", [&] { pick(1); }, {CSIDL_COMMON_STARTMENU, CSIDL_DESKTOP}},
        {"F5 with entry 1", [&] { key(VK_F5); }, {CSIDL_COMMON_STARTMENU, CSIDL_DESKTOP, CSIDL_STARTMENU, CSIDL_DESKTOP}},
        {"another key", [&] { key(VK_F4); }, {}},
        {"entry 0 again", [&] { pick(0); }, {CSIDL_COMMON_STARTMENU, CSIDL_STARTMENU}},
        {"F5 with entry 0", [&] { key(VK_F5); }, {CSIDL_COMMON_STARTMENU, CSIDL_DESKTOP, CSIDL_STARTMENU}},
        {"change button", [&] { form().IEButton10Click(form().IEButton10); }, {CSIDL_COMMON_STARTMENU, CSIDL_STARTMENU}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        roots.clear();
        const BYTE before = Tree().BaseFolder().SpecialFolder();
        c.act();
        EXPECT_EQ(roots, c.roots);
        EXPECT_EQ(Tree().BaseFolder().SpecialFolder(), c.roots.empty() ? before : c.roots.back());
    }
}

// A Start menu whose folder setting names no folder: the tab shows an empty tree (not the
// desktop) and says which folder it did not find, once; the other folders still show.
TEST(StartMenuFolderMissing, TheTabTellsWhichFolderIsMissingAndShowsTheOthers) {
    MainWindow w([] { SetStartMenuFolder("C:\\nowhere\\Start Menu"); });
    w.ShowPage(w->TabSheet5);
    PumpMessages();
    for (const int entry : {1, 0}) {  // found, then missing
        SCOPED_TRACE(entry);
        w.Boxes().Clear();
        w->ComboBox1->SetItemIndex(entry);
        w->ComboBox1Change(w->ComboBox1);
        EXPECT_EQ(w->PTShellTree1->Items().Count() > 0, entry == 1);
        ASSERT_EQ(w.Boxes().Boxes().size(), entry == 1 ? 0u : 1u);
        const std::string said = entry == 1 ? "" : w.Boxes().Boxes()[0].text;
        EXPECT_EQ(said.find(w->ComboBox1->Items(entry)) != std::string::npos, entry == 0) << said;
    }
}
