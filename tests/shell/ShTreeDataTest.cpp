// A shell tree's node data: every list given back to the node's allocator, and the user
// interface objects of a top node, the desktop's among them.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "shell/ShTreeData.h"
#include "shell/ShellTesting.h"
#include "support/Sandbox.h"

using namespace shell;
using namespace shell_testing;

TEST(ShTreeData, ListsAndFoldersAreBuiltFromTheParentsAndGivenBack) {
    testing_support::TempDir dir;
    const std::string file = dir.WriteFile("表\\inner.txt", "x");
    const RealItem item(file);
    CountingMalloc allocator;
    {
        TPTShTreeData top(nullptr), child(nullptr);
        top.Init(nullptr, &allocator, item.parentList.get());
        child.Init(&top, &allocator, item.item.get());
        EXPECT_EQ(child.PathName(), file);
        EXPECT_EQ(child.ParentFolder(), top.Folder());
        EXPECT_TRUE(child.CanRename());
        EXPECT_FALSE(top.CanRename()) << "a top node is never renamed";
        child.FreeCache();
        EXPECT_EQ(BytesOf(child.AbsoluteIdList()), BytesOf(item.absolute.get()));
        EXPECT_GT(allocator.allocs, 0);
    }
    EXPECT_EQ(allocator.refs, 1u) << "every node gave the allocator back";
}

TEST(ShTreeData, TheDesktopTopNodeGivesItsDropTargetOnly) {
    TPTShTreeData desktop(nullptr), blank(nullptr);
    desktop.Init(nullptr, nullptr, AsList(Terminated("")));
    const struct {
        TPTShTreeData* data;
        REFIID iid;
        bool given;
    } cases[] = {{&desktop, IID_IDropTarget, true}, {&desktop, IID_IContextMenu, false}, {&blank, IID_IDropTarget, false}};
    for (const auto& c : cases) {
        ui::ComPtr<IUnknown> object;
        EXPECT_EQ(SUCCEEDED(c.data->GetUIObject(c.iid, object)) && object, c.given) << (&c - cases);
    }
}
