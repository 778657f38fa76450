// A shell tree's node data over real folders: lists and folders built when asked for, paths,
// renaming, user-interface objects, and every list given back to the node's allocator.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "shell/ShTreeData.h"
#include "shell/ShellTesting.h"
#include "support/Sandbox.h"

using namespace shell;
using namespace shell_testing;
using testing_support::TempDir;

namespace {

// The relative list of the item called `name` in `folder`.
IdList ChildOf(IShellFolder* folder, const std::string& name) {
    std::wstring wide(name.size() + 1, L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, &wide[0], static_cast<int>(wide.size())) - 1);
    IdList item;
    ULONG eaten = 0;
    EXPECT_EQ(folder->ParseDisplayName(nullptr, nullptr, &wide[0], &eaten, item.put(), nullptr), S_OK) << name;
    return item;
}

// A node and the nodes below it, each made as the tree makes them: from its parent's folder.
struct Branch {
    explicit Branch(IMalloc* allocator, LPCITEMIDLIST base) : top(nullptr) { top.Init(nullptr, allocator, base); }
    TPTShTreeData* Add(TPTShTreeData* parent, const std::string& name) {
        nodes.push_back(std::make_unique<TPTShTreeData>(nullptr));
        IShellFolder* folder = parent->Folder();
        EXPECT_NE(folder, nullptr) << name;
        if (!folder) return nodes.back().get();
        const IdList item = ChildOf(folder, name);
        nodes.back()->Init(parent, parent->Allocator(), item.get());
        return nodes.back().get();
    }
    TPTShTreeData top;
    std::vector<std::unique_ptr<TPTShTreeData>> nodes;
};

TEST(ShTreeData, PathsListsAndFoldersAreBuiltWhenAskedForFromTheParents) {
    TempDir dir;
    dir.WriteFile("表\\inner\\note.txt", "x");
    CountingMalloc allocator;
    {
        TPTShTreeData blank(nullptr);
        try {
            blank.PathName();
            ADD_FAILURE() << "no error";
        } catch (const EPTShTreeData& e) {
            EXPECT_STREQ(e.what(), "TPTShTreeData not initialised");
        }
        EXPECT_EQ(blank.AbsoluteIdList(), nullptr);
        EXPECT_EQ(blank.Folder(), nullptr);
        EXPECT_FALSE(blank.CanRename());

        const IdList base = ListOf(dir.Path());
        Branch branch(&allocator, base.get());
        EXPECT_EQ(branch.top.Allocator(), &allocator);
        EXPECT_GT(allocator.refs, 1u) << "the allocator is held";
        TPTShTreeData* table = branch.Add(&branch.top, "表");
        TPTShTreeData* inner = branch.Add(table, "inner");
        TPTShTreeData* note = branch.Add(inner, "note.txt");
        const struct {
            TPTShTreeData* node;
            std::string path;
        } paths[] = {{&branch.top, dir.Path()},
                     {table, dir / "表"},
                     {inner, dir / "表\\inner"},
                     {note, dir / "表\\inner\\note.txt"}};
        for (const auto& c : paths) {
            EXPECT_EQ(c.node->PathName(), c.path);
            EXPECT_EQ(CompareAbsIdLists(c.node->AbsoluteIdList(), ListOf(c.path).get()), 0) << c.path;
        }
        EXPECT_EQ(BytesOf(note->AbsoluteIdList()),
                  BytesOf(ConcatIdLists(nullptr, inner->AbsoluteIdList(), note->RelativeIdList()).get()));
        EXPECT_EQ(BytesOf(branch.top.RelativeIdList()), BytesOf(base.get())) << "the top node's own copy";
        EXPECT_NE(branch.top.RelativeIdList(), base.get());
        EXPECT_EQ(inner->ParentFolder(), table->Folder());
        EXPECT_EQ(branch.top.ParentFolder(), nullptr);
        EXPECT_EQ(note->Folder(), nullptr) << "a file is no folder";
        EXPECT_EQ(inner->Parent(), table);

        // Forgotten caches are built again, equal.
        const std::string before = BytesOf(inner->AbsoluteIdList());
        inner->FreeCache();
        EXPECT_EQ(BytesOf(inner->AbsoluteIdList()), before);
        ASSERT_NE(inner->Folder(), nullptr);
        EXPECT_EQ(BytesOf(ChildOf(inner->Folder(), "note.txt").get()), BytesOf(note->RelativeIdList()));
        branch.top.FreeCache();
        ASSERT_NE(branch.top.Folder(), nullptr) << "the top node binds from the desktop";
        EXPECT_EQ(BytesOf(ChildOf(branch.top.Folder(), "表").get()), BytesOf(table->RelativeIdList()));

        // After a rename the node takes the item's new relative list.
        ASSERT_TRUE(MoveFileA((dir / "表\\inner").c_str(), (dir / "表\\renamed").c_str()));
        const IdList renamed = ChildOf(table->Folder(), "renamed");
        inner->SetRelativeIdList(renamed.get());
        EXPECT_EQ(inner->PathName(), dir / "表\\renamed");
        EXPECT_EQ(BytesOf(inner->RelativeIdList()), BytesOf(renamed.get()));
        ASSERT_NE(inner->Folder(), nullptr);
        EXPECT_EQ(BytesOf(ChildOf(inner->Folder(), "note.txt").get()), BytesOf(note->RelativeIdList()));
    }
    EXPECT_EQ(allocator.refs, 1u) << "every node and list gave the allocator back";
    EXPECT_GT(allocator.frees, 0);
}

TEST(ShTreeData, VirtualItemsHaveNoPathAndOnlyFileSystemItemsCanBeRenamed) {
    TempDir dir;
    dir.WriteFile("folder\\file.txt", "x");
    IdList drives, controls;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, drives.put()), S_OK);
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_CONTROLS, controls.put()), S_OK);
    ASSERT_EQ(IdListCount(controls.get()), IdListCount(drives.get()) + 1) << "Control Panel is below My Computer";

    Branch computer(nullptr, drives.get());
    TPTShTreeData panel(nullptr);
    panel.Init(&computer.top, nullptr,
               TPTIdListArray(controls.get()).Item(IdListCount(controls.get()) - 1));
    Branch desktop(nullptr, nullptr);
    Branch files(nullptr, ListOf(dir.Path()).get());
    TPTShTreeData* folder = files.Add(&files.top, "folder");
    TPTShTreeData* file = files.Add(folder, "file.txt");
    const struct {
        const char* node;
        TPTShTreeData* data;
        std::string path;
        bool canRename;
    } cases[] = {{"Control Panel", &panel, "", false},
                 {"My Computer", &computer.top, "", false},
                 {"the desktop", &desktop.top, PathFromIdList(nullptr), false},
                 {"a top folder", &files.top, dir.Path(), false},
                 {"a folder", folder, dir / "folder", true},
                 {"a file", file, dir / "folder\\file.txt", true}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.data->PathName(), c.path) << c.node;
        EXPECT_EQ(c.data->CanRename(), c.canRename) << c.node;
    }
    EXPECT_EQ(IdListCount(desktop.top.AbsoluteIdList()), 0);
    EXPECT_NE(desktop.top.Folder(), nullptr);
}

TEST(ShTreeData, UserInterfaceObjectsComeFromTheParentOrForTheTopNodeFromItsSplitList) {
    TempDir dir;
    dir.WriteFile("folder\\file.txt", "x");
    Branch files(nullptr, ListOf(dir.Path()).get());
    TPTShTreeData* folder = files.Add(&files.top, "folder");
    TPTShTreeData* file = files.Add(folder, "file.txt");
    Branch desktop(nullptr, nullptr);
    TPTShTreeData blank(nullptr);
    const struct {
        const char* node;
        TPTShTreeData* data;
        REFIID iid;
        bool given;
    } cases[] = {{"a file's menu", file, IID_IContextMenu, true},
                 {"a folder's drop target", folder, IID_IDropTarget, true},
                 {"the top node's menu", &files.top, IID_IContextMenu, true},
                 {"the top node's drop target", &files.top, IID_IDropTarget, true},
                 {"the desktop's drop target", &desktop.top, IID_IDropTarget, true},
                 {"the desktop's menu", &desktop.top, IID_IContextMenu, false},
                 {"no item", &blank, IID_IContextMenu, false}};
    for (const auto& c : cases) {
        ui::ComPtr<IUnknown> object;
        const HRESULT hr = c.data->GetUIObject(c.iid, object);
        EXPECT_EQ(SUCCEEDED(hr) && object, c.given) << c.node << " " << std::hex << hr;
        if (!c.given) {
            EXPECT_FALSE(object) << c.node;
        }
    }
    ui::ComPtr<IContextMenu> menu;
    ASSERT_EQ(file->GetUIObject(IID_IContextMenu, menu), S_OK);
    EXPECT_EQ(file->GetUIObject(IID_IContextMenu, nullptr), E_POINTER);
}

}  // namespace
