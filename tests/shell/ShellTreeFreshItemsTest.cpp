// The shell tree over the test's own folders: files copied into an expanded folder show after
// the coalescing interval as a fill would show them, and a rename in place either is refused
// whole or leaves the label as the name on disk.
#include "shell/ShellTree.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/ShellTesting.h"
#include "shell/ShellTreeTesting.h"
#include "support/Sandbox.h"
#include "support/Shortcuts.h"

using namespace shell;
using shell_testing::ListOf;
using shell_testing::Tree;
using testing_support::NamesIn;
using testing_support::TempDir;
using ui::TTreeNode;

TEST(ShellTreeRefresh, FilesCopiedIntoAnExpandedFolderShowAsAFillShowsThem) {
    const struct {
        const char* what;
        TPTShellTreeOptions options;
        bool hiddenShown;
    } cases[] = {
        {"the tab's options", TPTShellTreeOptions(shell_testing::kTabOptions), true},
        {"hidden items not shown", TPTShellTreeOptions(shell_testing::kTabOptions).Without(ptstoShowHidden), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir from, dir;
        from.WriteFile("z.txt", "x");
        from.WriteFile("h.txt", "x");
        SetFileAttributesA((from / "h.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
        ASSERT_TRUE(testing_support::WriteShortcut(from / "a.lnk", {"", from / "z.txt"}));
        dir.WriteFile("sub\\m.txt", "x");
        const IdList base = ListOf(dir.Path());
        Tree t(base.get(), c.options);
        TTreeNode* sub = Tree::Child(t.Top(), "sub");
        ASSERT_NE(sub, nullptr);
        sub->Expand(false);
        t.tree->SetFocus();  // the shorter interval
        for (const char* name : {"a.lnk", "z.txt", "h.txt"})
            ASSERT_TRUE(CopyFileA((from / name).c_str(), (dir / "sub\\" + name).c_str(), TRUE)) << name;
        Tree fill(base.get(), c.options.Without(ptstoDynamicRefresh));
        TTreeNode* filled = Tree::Child(fill.Top(), "sub");
        ASSERT_NE(filled, nullptr);
        filled->Expand(false);
        ASSERT_EQ(Tree::Texts(filled).size(), c.hiddenShown ? 4u : 3u);
        EXPECT_EQ(Tree::Child(filled, "h.txt") != nullptr, c.hiddenShown);
        EXPECT_TRUE(Tree::PumpUntil([&] { return Tree::Texts(sub) == Tree::Texts(filled); }, 8000))
            << testing::PrintToString(Tree::Texts(sub));
    }
}

TEST(ShellTreeRename, ARenameIsRefusedWholeOrLeavesTheLabelAsTheNameOnDisk) {
    TempDir dir;
    dir.WriteFile("t.txt", "x");
    ASSERT_TRUE(testing_support::WriteShortcut(dir / "s.lnk", {"", dir / "t.txt"}));
    // The longest name the shortcut's path holds with its hidden ".lnk".
    const size_t room = MAX_PATH - 1 - (dir.Path().size() + 1) - 4;
    const struct {
        const char* what;
        std::string from, typed, label, file;  // the label and the file on disk afterwards
    } cases[] = {
        {"letter case only", "t.txt", "T.TXT", "", ""},  // whatever the shell made of it
        {"one byte too long", "s", std::string(room + 1, 'n'), "s", "s.lnk"},
        {"just fits", "s", std::string(room, 'n'), std::string(room, 'n'), std::string(room, 'n') + ".lnk"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing_support::MessageBoxCapture boxes;
        const IdList base = ListOf(dir.Path());
        Tree t(base.get());
        TTreeNode* node = Tree::Child(t.Top(), c.from);
        ASSERT_NE(node, nullptr);
        t.tree->SetSelected(node);
        ASSERT_TRUE(node->EditText());
        HWND edit = reinterpret_cast<HWND>(SendMessageA(t.tree->Handle(), TVM_GETEDITCONTROL, 0, 0));
        ASSERT_NE(edit, nullptr);
        SetWindowTextA(edit, c.typed.c_str());
        SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
        SendMessageA(edit, WM_CHAR, VK_RETURN, 0);
        testing_support::PumpMessages();
        ASSERT_FALSE(t.tree->IsEditing());
        const std::vector<std::string> onDisk = NamesIn(dir.Path(), (c.file.empty() ? c.from : c.file) + "*");
        ASSERT_EQ(onDisk.size(), 1u);
        const std::string label = c.label.empty() ? onDisk[0] : c.label;
        EXPECT_EQ(node->Text(), label);
        if (!c.file.empty()) EXPECT_EQ(onDisk[0], c.file);
        const bool renamed = c.typed[0] == 'n' && c.label == c.typed;
        EXPECT_EQ(NamesIn(dir.Path(), "n*").size(), renamed ? 1u : 0u) << "no cut name";
    }
}
