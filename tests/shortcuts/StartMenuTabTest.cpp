// The Start-menu tab on the real main window: a folder of real shortcuts made in the
// Start menu's Programs folder, browsed in the real shell tree.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>
#include <vector>

#include "icons/IconLocation.h"
#include "shell/IdList.h"
#include "support/IconLibraries.h"
#include "support/MainWindow.h"

using namespace testing_support;

namespace {

std::wstring Wide(const std::string& s) {
    std::wstring w(s.size() + 1, L'\0');
    w.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, &w[0], static_cast<int>(w.size())) - 1));
    return w;
}

// Writes a shortcut through the shell's own object; no icon location when `iconFile` is empty.
void WriteLink(const std::string& path, const std::string& target, const std::string& iconFile = "", int index = 0) {
    ui::ComPtr<IShellLinkA> link;
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.putVoid()), S_OK);
    link->SetPath(target.c_str());
    if (!iconFile.empty()) link->SetIconLocation(iconFile.c_str(), index);
    link->SetDescription("説明はそのまま");
    link->SetArguments("/a \"ソ 表\"");
    ui::ComPtr<IPersistFile> file;
    link->QueryInterface(IID_IPersistFile, file.putVoid());
    ASSERT_EQ(file->Save(Wide(path).c_str(), TRUE), S_OK);
}

std::pair<std::string, int> IconLocationOf(const std::string& path) {
    ui::ComPtr<IShellLinkA> link;
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.putVoid());
    ui::ComPtr<IPersistFile> file;
    link->QueryInterface(IID_IPersistFile, file.putVoid());
    if (file->Load(Wide(path).c_str(), STGM_READ) != S_OK) return {"<unreadable>", -1};
    char buf[MAX_PATH] = {};
    int index = -1;
    link->GetIconLocation(buf, MAX_PATH, &index);
    return {buf, index};
}

std::string SpecialFolderPath(int csidl) {
    char path[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, path, csidl, TRUE);
    return path;
}

const std::string Notepad() { return icons::GetSystemDir() + "\\notepad.exe"; }

// The main window with a folder of items in the Start menu's Programs folder, removed afterwards.
class StartMenuTab : public ::testing::Test {
protected:
    void SetUp() override {
        folder = SpecialFolderPath(CSIDL_PROGRAMS) + "\\Vemlora表" + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
        lib = WritePeIconLibrary(libs, "表示.dll", 6);
        WriteLink(folder + "\\メモ帳.lnk", Notepad());
        WriteLink(folder + "\\表示.lnk", Notepad(), lib, 3);
        libs.WriteFile("plain.txt", "text");
        CopyFileA((libs / "plain.txt").c_str(), (folder + "\\読んで.txt").c_str(), FALSE);
        CreateDirectoryA((folder + "\\ソフト").c_str(), nullptr);
        w = std::make_unique<MainWindow>();
        w->ShowPage((*w)->TabSheet5);
        PumpMessages();
    }
    void TearDown() override {
        w.reset();
        RemoveTree(folder);
    }

    TForm1& form() { return w->Form(); }

    // Selects the item at `path` in the tree as a left click does, then runs the tree's mouse-down.
    void Click(const std::string& name) {
        shell::IdList list;
        ASSERT_EQ(shell::ParsePath(name.empty() ? folder : folder + "\\" + name, list), S_OK) << name;
        form().PTShellTree1->SelectIdList(list.get());
        ASSERT_TRUE(form().PTShellTree1->Selected()) << name;
        form().PTShellTree1MouseDown(form().PTShellTree1, ui::TMouseButton::mbLeft, 0, 0, 0);
    }

    std::vector<bool> Enabled() {
        return {form().IEButton10->Enabled(), form().IEButton8->Enabled(), form().IconListBox1->Enabled()};
    }

    std::string folder, lib;
    TempDir libs;
    std::unique_ptr<MainWindow> w;
};

}  // namespace

TEST_F(StartMenuTab, TreeShowsTheStartMenuAtStartUp) {
    shell::TPTShellTree& tree = *form().PTShellTree1;
    EXPECT_EQ(form().ComboBox1->ItemIndex(), 0);
    EXPECT_EQ(tree.BaseFolder().SpecialFolder(), CSIDL_STARTMENU);
    ASSERT_GT(tree.Items().Count(), 0);
    ui::TTreeNode* top = tree.Items().GetFirstNode();
    EXPECT_TRUE(top->Expanded());
    EXPECT_EQ(tree.NodeData(top)->PathName(), SpecialFolderPath(CSIDL_STARTMENU));
    EXPECT_TRUE(!form().Image23->Visible() || form().Image23->Picture().Empty());
    EXPECT_EQ(form().Label8->Caption(), "");
}

// Each click reads the item the tree selected; what shows afterwards does not depend on what showed before.
TEST_F(StartMenuTab, ClickedItemsShowTheirIconOrNothing) {
    struct Case {
        std::string item;
        bool shown;
        std::string gridFile;
        int gridIndex;
        std::string target;
    };
    const std::vector<Case> cases = {
        {"メモ帳.lnk", true, Notepad(), 0, Notepad()},  // no icon location: the program's first icon
        {"ソフト", false, "", -1, ""},                 // a folder after a shortcut
        {"表示.lnk", true, lib, 3, Notepad()},          // its own icon location
        {"読んで.txt", false, "", -1, ""},               // a plain file after a shortcut with its own icon
        {"表示.lnk", true, lib, 3, Notepad()},
        {"", false, "", -1, ""},                          // the folder itself
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        Click(c.item);
        EXPECT_EQ(form().Image23->Visible(), c.shown);
        EXPECT_EQ(form().StartMenu->MenuItemPath, c.item.empty() ? folder : folder + "\\" + c.item);
        EXPECT_EQ(form().Label8->Caption(), c.target);
        EXPECT_EQ(Enabled(), std::vector<bool>(3, c.shown));
        if (c.shown) {
            EXPECT_EQ(std::make_pair(form().IconListBox1->FileName(), form().IconListBox1->ItemIndex()),
                      std::make_pair(c.gridFile, c.gridIndex));
            EXPECT_EQ(std::make_pair(form().StartMenu->MenuIconFile, form().StartMenu->MenuIconIndex),
                      std::make_pair(c.gridFile, c.gridIndex));
            EXPECT_EQ(w->Caption(), "Vemlora " + c.gridFile + " /" + std::to_string(c.gridIndex));
        } else {
            EXPECT_EQ(form().StartMenu->MenuIconFile, "");
            EXPECT_EQ(w->Caption(), "Vemlora ");
        }
    }
}

// A real left click on a node: the tree has selected it when the handler reads it.
TEST_F(StartMenuTab, RealClickReadsTheNodeUnderTheMouse) {
    Click("");  // expands the folder's node into view
    shell::TPTShellTree& tree = *form().PTShellTree1;
    tree.Selected()->Expand(false);
    PumpMessages();
    ui::TTreeNode* target = nullptr;
    for (ui::TTreeNode* n = tree.Selected()->GetFirstChild(); n; n = n->GetNextSibling())
        if (tree.NodeData(n)->PathName() == folder + "\\表示.lnk") target = n;
    std::string names;
    for (ui::TTreeNode* n = tree.Selected()->GetFirstChild(); n; n = n->GetNextSibling()) names += n->Text() + "|";
    ASSERT_TRUE(target) << names;
    RECT r = {};
    *reinterpret_cast<HTREEITEM*>(&r) = target->ItemId();
    ASSERT_TRUE(SendMessageA(tree.Handle(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r)));
    MainWindow::ClickAt(tree.Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PumpMessages();
    EXPECT_EQ(tree.Selected(), target);
    EXPECT_EQ(std::make_pair(form().IconListBox1->FileName(), form().IconListBox1->ItemIndex()), std::make_pair(lib, 3));
}

TEST_F(StartMenuTab, ChangeButtonWritesThePickedIconAndKeepsTheRest) {
    const std::string link = folder + "\\表示.lnk";
    Click("表示.lnk");
    // A double click on icon 5 of the grid writes it at once: the change button is enabled.
    form().IconListBox1->SetItemIndex(5);
    form().IconListBox1DblClick(form().IconListBox1);
    EXPECT_EQ(IconLocationOf(link), std::make_pair(lib, 5));
    EXPECT_EQ(form().PTShellTree1->BaseFolder().SpecialFolder(), CSIDL_STARTMENU);
    // Pressed again, the same file gets the same location.
    form().IEButton10Click(form().IEButton10);
    EXPECT_EQ(IconLocationOf(link), std::make_pair(lib, 5));
    ui::ComPtr<IShellLinkA> l;
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, l.putVoid());
    ui::ComPtr<IPersistFile> f;
    l->QueryInterface(IID_IPersistFile, f.putVoid());
    ASSERT_EQ(f->Load(Wide(link).c_str(), STGM_READ), S_OK);
    char buf[MAX_PATH] = {};
    l->GetDescription(buf, MAX_PATH);
    EXPECT_STREQ(buf, "説明はそのまま");
    l->GetArguments(buf, MAX_PATH);
    EXPECT_STREQ(buf, "/a \"ソ 表\"");
}

TEST_F(StartMenuTab, BackToStandardShowsTheTargetsFirstIconWithoutWriting) {
    const std::string link = folder + "\\表示.lnk";
    const std::string before = ReadFileBytes(link);
    Click("表示.lnk");
    form().IEButton9Click(form().IEButton9);
    EXPECT_EQ(std::make_pair(form().IconListBox1->FileName(), form().IconListBox1->ItemIndex()), std::make_pair(Notepad(), 0));
    EXPECT_EQ(std::make_pair(form().StartMenu->MenuIconFile, form().StartMenu->MenuIconIndex), std::make_pair(Notepad(), 0));
    EXPECT_TRUE(form().Image23->Visible());
    EXPECT_EQ(ReadFileBytes(link), before);
    form().IEButton10Click(form().IEButton10);
    EXPECT_EQ(IconLocationOf(link), std::make_pair(Notepad(), 0));
}

// After a press that read no shortcut, the change button writes nothing: no file beside a
// folder or a plain file, and the shortcut shown before stays as it is.
TEST_F(StartMenuTab, ChangeAfterAnItemWithoutShortcutWritesNothing) {
    const std::string link = folder + "\\表示.lnk";
    const std::string before = ReadFileBytes(link);
    for (const std::string item : {"ソフト", "読んで.txt"}) {
        SCOPED_TRACE(item);
        Click("表示.lnk");
        Click(item);
        form().StartMenu->MenuIconFile = lib;  // as if an icon had been picked meanwhile
        form().IEButton10Click(form().IEButton10);
        EXPECT_FALSE(FileExistsA(folder + "\\" + item + ".lnk"));
        EXPECT_EQ(ReadFileBytes(link), before);
    }
}

// The roots the tree is filled with, in order, by each action.
TEST_F(StartMenuTab, FolderBoxF5AndChangeSwitchTheRootThroughAnotherFolder) {
    shell::TPTShellTree& tree = *form().PTShellTree1;
    std::vector<int> roots;
    tree.OnFillStart = [&](ui::TObject*) {
        if (tree.Items().Count() == 0) roots.push_back(tree.BaseFolder().SpecialFolder());
    };
    struct Case {
        const char* what;
        std::function<void()> act;
        std::vector<int> roots;
        bool waits;
    };
    auto pick = [&](int index) {
        form().ComboBox1->SetItemIndex(index);
        form().ComboBox1Change(form().ComboBox1);
    };
    const std::vector<Case> cases = {
        {"entry 2", [&] { pick(2); }, {CSIDL_COMMON_STARTMENU}, false},
        {"entry 0", [&] { pick(0); }, {CSIDL_STARTMENU}, true},  // already at the common Start menu
        {"entry 3", [&] { pick(3); }, {CSIDL_COMMON_STARTMENU, CSIDL_COMMON_DESKTOPDIRECTORY}, true},
        {"entry 1", [&] { pick(1); }, {CSIDL_COMMON_STARTMENU, CSIDL_DESKTOP}, true},
        {"F5 with entry 1", [&] { WORD key = VK_F5; form().PTShellTree1KeyDown(&tree, key, 0); },
         {CSIDL_COMMON_STARTMENU, CSIDL_DESKTOP, CSIDL_STARTMENU, CSIDL_DESKTOP}, true},
        {"another key", [&] { WORD key = VK_F4; form().PTShellTree1KeyDown(&tree, key, 0); }, {}, false},
        {"entry 0 again", [&] { pick(0); }, {CSIDL_COMMON_STARTMENU, CSIDL_STARTMENU}, true},
        {"F5 with entry 0", [&] { WORD key = VK_F5; form().PTShellTree1KeyDown(&tree, key, 0); },
         {CSIDL_COMMON_STARTMENU, CSIDL_DESKTOP, CSIDL_STARTMENU}, true},
        {"change button", [&] { form().IEButton10Click(form().IEButton10); },
         {CSIDL_COMMON_STARTMENU, CSIDL_STARTMENU}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        roots.clear();
        const DWORD start = GetTickCount();
        c.act();
        EXPECT_EQ(roots, c.roots);
        if (c.waits) EXPECT_GE(GetTickCount() - start, 95u);
        EXPECT_EQ(tree.BaseFolder().SpecialFolder(), c.roots.empty() ? tree.BaseFolder().SpecialFolder() : c.roots.back());
    }
}

// Leaving the tab and coming back shows the item's icon again; before any item the grid is off.
TEST_F(StartMenuTab, ReturningToTheTabShowsTheItemsIconAgain) {
    EXPECT_EQ(Enabled(), std::vector<bool>(3, false));
    EXPECT_FALSE(form().IEButton5->Enabled());
    Click("表示.lnk");
    w->ShowPage(form().TabSheet2);
    w->ShowPage(form().TabSheet5);
    EXPECT_EQ(std::make_pair(form().IconListBox1->FileName(), form().IconListBox1->ItemIndex()), std::make_pair(lib, 3));
    EXPECT_EQ(Enabled(), std::vector<bool>(3, true));
    EXPECT_FALSE(form().IEButton5->Enabled());
}
