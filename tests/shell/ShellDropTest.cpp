// Drags out of and drops into a shell tree: the drop source's answers, and the drop target
// driven as OLE drives it, with real data objects over real folders and a host standing in
// for the tree.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "shell/ShellDataObject.h"
#include "shell/ShellDropSource.h"
#include "shell/ShellDropTarget.h"
#include "shell/ShellTesting.h"
#include "support/Sandbox.h"

using namespace shell;
using namespace shell_testing;
using testing_support::FileExistsA;
using testing_support::TempDir;

namespace {

TEST(ShellDropSource, TheStartingButtonDropsEscapeAndOtherButtonsCancel) {
    const struct {
        DWORD start;
        BOOL escape;
        DWORD keys;
        HRESULT expected;
    } cases[] = {
        {MK_LBUTTON, FALSE, MK_LBUTTON, S_OK},
        {MK_LBUTTON, FALSE, MK_LBUTTON | MK_SHIFT | MK_CONTROL, S_OK},
        {MK_LBUTTON, FALSE, 0, DRAGDROP_S_DROP},
        {MK_LBUTTON, FALSE, MK_SHIFT, DRAGDROP_S_DROP},
        {MK_LBUTTON, TRUE, MK_LBUTTON, DRAGDROP_S_CANCEL},
        {MK_LBUTTON, TRUE, 0, DRAGDROP_S_CANCEL},
        {MK_LBUTTON, FALSE, MK_LBUTTON | MK_RBUTTON, DRAGDROP_S_CANCEL},
        {MK_LBUTTON, FALSE, MK_LBUTTON | MK_MBUTTON, DRAGDROP_S_CANCEL},
        {MK_LBUTTON, FALSE, MK_RBUTTON, DRAGDROP_S_CANCEL},
        {MK_LBUTTON, FALSE, MK_XBUTTON1, DRAGDROP_S_DROP},  // not a button the drag looks at
        {MK_RBUTTON, FALSE, MK_RBUTTON, S_OK},
        {MK_RBUTTON, FALSE, 0, DRAGDROP_S_DROP},
        {MK_RBUTTON, FALSE, MK_RBUTTON | MK_LBUTTON, DRAGDROP_S_CANCEL},
        {MK_RBUTTON, TRUE, MK_RBUTTON, DRAGDROP_S_CANCEL},
        {MK_MBUTTON, FALSE, MK_MBUTTON, S_OK},
        {MK_MBUTTON, FALSE, 0, DRAGDROP_S_DROP},
        {MK_MBUTTON, FALSE, MK_MBUTTON | MK_LBUTTON, DRAGDROP_S_CANCEL},
    };
    for (const auto& c : cases) {
        ui::ComPtr<IDropSource> source = MakeComObject<TDropSource_shlvtv, IDropSource>(c.start);
        EXPECT_EQ(source->QueryContinueDrag(c.escape, c.keys), c.expected)
            << c.start << " " << c.escape << " " << c.keys;
        EXPECT_EQ(source->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
        ui::ComPtr<IDropTarget> other;
        EXPECT_EQ(source.As(IID_IDropTarget, other), E_NOINTERFACE);
    }
}

// A drop target that records what it is asked and answers one effect.
class RecordingTarget : public TComObject<IDropTarget> {
public:
    explicit RecordingTarget(DWORD answer) : answer_(answer) {}
    std::vector<std::string> calls;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD keys, POINTL, DWORD* effect) override {
        return Answer("enter", keys, effect);
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL, DWORD* effect) override { return Answer("over", keys, effect); }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        calls.push_back("leave");
        return S_OK;
    }
    // A drop carries out one of the effects it may.
    HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD keys, POINTL, DWORD* effect) override {
        const HRESULT hr = Answer("drop", keys, effect);
        *effect &= ~(*effect - 1);
        return hr;
    }

private:
    HRESULT Answer(const char* step, DWORD keys, DWORD* effect) {
        calls.push_back(std::string(step) + " " + std::to_string(keys) + " " + std::to_string(*effect));
        *effect &= answer_;
        return S_OK;
    }
    DWORD answer_;
};

// A node of the fake tree: a real folder, or a drop target of the test's own.
struct Node {
    std::string path;
    RecordingTarget* own = nullptr;
    bool top = false;
};

// The tree as the drop target sees it: one window, whose upper half is `node` and whose lower
// half is empty space.
class FakeTree : public TPTShellDropHost {
public:
    FakeTree() {
        wnd_ = CreateWindowExA(0, "EDIT", "", WS_POPUP | WS_VISIBLE, 100, 100, 200, 200, nullptr, nullptr, nullptr,
                               nullptr);
    }
    ~FakeTree() override { DestroyWindow(wnd_); }
    Node* node = nullptr;
    std::vector<Node*> highlights;
    std::vector<std::pair<int, int>> scrolls;
    DWORD now = 100000;

    HWND DropWindow() const override { return wnd_; }
    TDropNode DropNodeAt(POINT screen, bool withTopNode) override {
        if (!node || screen.y >= 200 || (node->top && !withTopNode)) return nullptr;
        return node;
    }
    HRESULT NodeDropTarget(TDropNode n, ui::ComPtr<IDropTarget>& target) override {
        Node* the = static_cast<Node*>(n);
        if (the->own) {
            the->own->AddRef();
            target.attach(the->own);
            return S_OK;
        }
        IdList absolute = ListOf(the->path);
        ui::ComPtr<IShellFolder> parent;
        IdList parentList, item;
        HRESULT hr = SplitIdList(absolute.get(), parent, parentList, item);
        if (FAILED(hr)) return hr;
        LPCITEMIDLIST one = item.get();
        return parent->GetUIObjectOf(nullptr, 1, &one, IID_IDropTarget, nullptr, target.putVoid());
    }
    ui::String NodePath(TDropNode n) override { return static_cast<Node*>(n)->path; }
    void HighlightDropNode(TDropNode n) override { highlights.push_back(static_cast<Node*>(n)); }
    void ScrollLine(int bar, int code) override { scrolls.push_back({bar, code}); }
    DWORD TickCount() const override { return now; }

private:
    HWND wnd_;
};

// The data object a tree makes for one item.
ui::ComPtr<IDataObject> DataOfItem(const std::string& path) {
    IdList absolute = ListOf(path);
    ui::ComPtr<IShellFolder> parent;
    IdList parentList, item;
    EXPECT_EQ(SplitIdList(absolute.get(), parent, parentList, item), S_OK);
    return MakeItemDataObject(parent.get(), parentList.get(), item.get());
}

const POINTL kOnNode = {200, 150}, kOnEmptySpace = {200, 250};
const DWORD kAll = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

// One whole drag over the tree as OLE makes it: enter, over, drop with `dropKeys`.
DWORD DragAndDrop(IDropTarget* target, IDataObject* data, DWORD keys, DWORD dropKeys, DWORD offered = kAll) {
    DWORD effect = offered;
    EXPECT_EQ(target->DragEnter(data, keys, kOnNode, &effect), S_OK);
    effect = offered;
    EXPECT_EQ(target->DragOver(keys, kOnNode, &effect), S_OK);
    EXPECT_NE(effect & kDropEffectScroll, 0u);
    effect = offered;
    EXPECT_EQ(target->Drop(data, dropKeys, kOnNode, &effect), S_OK);
    return effect;
}

TEST(ShellDropTarget, FilesDroppedOnAFolderNodeAreCopiedMovedOrLinkedByTheKeys) {
    const struct {
        DWORD keys;
        DWORD offered;
        DWORD expected;
        const char* landed;  // the new name in the folder, "" for none
        bool sourceLeft;
    } cases[] = {
        {MK_CONTROL, kAll, DROPEFFECT_COPY, "note.txt", true},
        {MK_SHIFT, kAll, DROPEFFECT_MOVE, "note.txt", false},
        {MK_SHIFT | MK_CONTROL, kAll, DROPEFFECT_LINK, "note.txt.lnk", true},
        {0, kAll, DROPEFFECT_MOVE, "note.txt", false},              // the same drive
        {0, DROPEFFECT_COPY, DROPEFFECT_COPY, "note.txt", true},    // what a drag from elsewhere offers
        {MK_SHIFT, DROPEFFECT_LINK, DROPEFFECT_LINK, "note.txt.lnk", true},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string source = dir.WriteFile("from\\note.txt", "note");
        Node folder{dir.MakeDir("表ソ")};
        FakeTree tree;
        tree.node = &folder;
        ui::ComPtr<IDropTarget> target = MakeComObject<TDropTarget_shtv, IDropTarget>(&tree);
        const DWORD effect = DragAndDrop(target.get(), DataOfItem(source).get(), MK_LBUTTON | c.keys, c.keys, c.offered);
        EXPECT_EQ(effect, c.expected) << c.keys << " " << c.offered;
        EXPECT_TRUE(FileExistsA(folder.path + "\\" + c.landed)) << c.landed;
        EXPECT_EQ(FileExistsA(source), c.sourceLeft) << c.keys;
        if (c.expected == DROPEFFECT_LINK) {
            EXPECT_FALSE(FileExistsA(folder.path + "\\note.txt"));
        } else {
            EXPECT_EQ(testing_support::ReadFileBytes(folder.path + "\\note.txt"), "note");
        }
        EXPECT_EQ(tree.highlights.back(), nullptr);
    }
}

TEST(ShellDropTarget, NothingIsDoneWhereAFileAlreadyIsOrOverEmptySpace) {
    TempDir dir;
    const std::string source = dir.WriteFile("note.txt", "note");
    const std::string inner = dir.MakeDir("sub");
    const struct {
        std::string folder;
        std::string dragged;
        DWORD keys;
        POINTL point;
    } cases[] = {
        {dir.Path(), source, 0, kOnNode},           // into the folder it is in
        {dir.Path(), source, MK_CONTROL, kOnNode},  // a copy onto itself
        {inner, dir.Path(), MK_SHIFT, kOnNode},     // a folder into its own subfolder
        {inner, source, MK_CONTROL, kOnEmptySpace},
    };
    for (const auto& c : cases) {
        Node folder{c.folder};
        FakeTree tree;
        tree.node = &folder;
        ui::ComPtr<IDropTarget> target = MakeComObject<TDropTarget_shtv, IDropTarget>(&tree);
        ui::ComPtr<IDataObject> data = DataOfItem(c.dragged);
        DWORD effect = kAll;
        target->DragEnter(data.get(), MK_LBUTTON | c.keys, c.point, &effect);
        effect = kAll;
        target->DragOver(MK_LBUTTON | c.keys, c.point, &effect);
        effect = kAll;
        EXPECT_EQ(target->Drop(data.get(), c.keys, c.point, &effect), S_OK);
        EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
        EXPECT_TRUE(FileExistsA(source));
        EXPECT_FALSE(FileExistsA(inner + "\\note.txt"));
    }
}

TEST(ShellDropTarget, TheNodesOwnTargetIsAskedWithTheButtonsOfTheEnterAndTheAllowedEffects) {
    TempDir dir;
    const std::string source = dir.WriteFile("note.txt", "note");
    const struct {
        bool top;
        DWORD enterKeys, dropKeys, answer;
        std::vector<std::string> calls;
        DWORD effect;
    } cases[] = {
        // A right drag reaches the item's target as one at the drop too.
        {false, MK_RBUTTON, MK_SHIFT, DROPEFFECT_COPY,
         {"enter 2 7", "leave", "enter 2 7", "over 2 7", "leave", "enter 6 7", "over 6 7", "drop 6 7"},
         DROPEFFECT_COPY},
        {false, MK_LBUTTON | MK_CONTROL, MK_CONTROL, DROPEFFECT_LINK,
         {"enter 9 7", "leave", "enter 9 7", "over 9 7", "leave", "enter 9 7", "over 9 7", "drop 9 7"},
         DROPEFFECT_LINK},
        // The top node is asked from the first drag-over on, not at the enter.
        {true, MK_LBUTTON, 0, DROPEFFECT_MOVE,
         {"enter 1 7", "over 1 7", "leave", "enter 1 7", "over 1 7", "drop 1 7"}, DROPEFFECT_MOVE},
    };
    for (const auto& c : cases) {
        RecordingTarget* own = new RecordingTarget(c.answer);
        ui::ComPtr<IDropTarget> keep;
        keep.attach(own);
        Node node{dir.Path(), own, c.top};
        FakeTree tree;
        tree.node = &node;
        ui::ComPtr<IDropTarget> target = MakeComObject<TDropTarget_shtv, IDropTarget>(&tree);
        EXPECT_EQ(DragAndDrop(target.get(), DataOfItem(source).get(), c.enterKeys, c.dropKeys), c.effect);
        EXPECT_EQ(own->calls, c.calls);
        EXPECT_TRUE(FileExistsA(source));  // the item's own target took it: no stand-in
    }
}

TEST(ShellDropTarget, AnItemThatAllowsLessIsOfferedLess) {
    // The shell's Recycle Bin item: it may be linked, not copied or moved.
    IdList bin;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, bin.put()), S_OK);
    ui::ComPtr<IShellFolder> desktop;
    ASSERT_EQ(SHGetDesktopFolder(desktop.put()), S_OK);
    const DWORD allowed = AllowedDropEffects(desktop.get(), {bin.get()});
    ASSERT_NE(allowed, kAll) << "the shell lets every effect be done to its Recycle Bin";
    const std::string offered = std::to_string(allowed);
    ui::ComPtr<IDataObject> data = MakeComObject<TDataObject_shtv, IDataObject>(
        nullptr, std::vector<LPCITEMIDLIST>{bin.get()}, std::vector<ui::String>{});
    EXPECT_EQ(DataObjectAllowedEffects(data.get()), allowed);
    RecordingTarget* own = new RecordingTarget(kAll);
    ui::ComPtr<IDropTarget> keep;
    keep.attach(own);
    TempDir dir;
    Node node{dir.Path(), own};
    FakeTree tree;
    tree.node = &node;
    ui::ComPtr<IDropTarget> target = MakeComObject<TDropTarget_shtv, IDropTarget>(&tree);
    EXPECT_EQ(DragAndDrop(target.get(), data.get(), MK_LBUTTON, 0), allowed & ~(allowed - 1));
    ASSERT_FALSE(own->calls.empty());
    for (const std::string& call : own->calls) {
        if (call == "leave") continue;
        EXPECT_EQ(call.substr(call.size() - offered.size() - 1), " " + offered) << call;
    }
    EXPECT_EQ(DragAndDrop(target.get(), data.get(), MK_LBUTTON, 0, DROPEFFECT_COPY | DROPEFFECT_MOVE), DWORD(DROPEFFECT_NONE));
}

TEST(ShellDropTarget, ADragNearTheEdgesScrollsEveryHundredMilliseconds) {
    Node nothing{""};
    FakeTree tree;
    tree.node = &nothing;
    ui::ComPtr<IDropTarget> target = MakeComObject<TDropTarget_shtv, IDropTarget>(&tree);
    ui::ComPtr<IDataObject> data = MakeComObject<TDataObject_shtv, IDataObject>(
        nullptr, std::vector<LPCITEMIDLIST>{}, std::vector<ui::String>{});
    DWORD effect = kAll;
    target->DragEnter(data.get(), MK_LBUTTON, kOnNode, &effect);
    using Scroll = std::pair<int, int>;
    // The window's client area is 100..300 on both axes of the screen.
    const struct {
        DWORD later;  // milliseconds after the step before
        POINTL point;
        std::vector<Scroll> scrolls;
    } steps[] = {
        {50, {200, 110}, {}},  // too soon after the enter
        {51, {200, 110}, {{SB_VERT, SB_LINEUP}}},
        {100, {200, 110}, {}},
        {1, {200, 125}, {{SB_VERT, SB_LINEUP}}},
        {101, {200, 126}, {}},  // not near enough
        {101, {200, 275}, {{SB_VERT, SB_LINEDOWN}}},
        {101, {119, 200}, {{SB_HORZ, SB_LINELEFT}}},
        {101, {281, 200}, {{SB_HORZ, SB_LINERIGHT}}},
        {101, {280, 200}, {}},
        {101, {105, 295}, {{SB_VERT, SB_LINEDOWN}, {SB_HORZ, SB_LINELEFT}}},
        {101, {200, 200}, {}},
    };
    for (const auto& s : steps) {
        tree.now += s.later;
        tree.scrolls.clear();
        effect = kAll;
        EXPECT_EQ(target->DragOver(MK_LBUTTON, s.point, &effect), S_OK);
        EXPECT_EQ(effect, kDropEffectScroll) << "a folder without a path takes nothing";
        EXPECT_EQ(tree.scrolls, s.scrolls) << s.point.x << "," << s.point.y;
    }
    target->DragLeave();
}

TEST(ShellDropTarget, TheDraggedDataIsKeptFromEnterToLeaveOrDrop) {
    TempDir dir;
    Node folder{dir.MakeDir("to")};
    FakeTree tree;
    tree.node = &folder;
    auto* concrete = new TDropTarget_shtv(&tree);
    ui::ComPtr<IDropTarget> target;
    target.attach(concrete);
    ui::ComPtr<IDataObject> data = DataOfItem(dir.WriteFile("a.txt", "a"));
    for (bool drop : {false, true}) {
        DWORD effect = kAll;
        target->DragEnter(data.get(), MK_RBUTTON, kOnEmptySpace, &effect);
        EXPECT_EQ(effect, kDropEffectScroll);
        EXPECT_EQ(concrete->DraggedData(), data.get());
        EXPECT_EQ(concrete->EnterKeyState(), DWORD(MK_RBUTTON));
        EXPECT_EQ(data->AddRef(), 3u);  // ours, the target's, this one
        data->Release();
        if (drop) {
            effect = kAll;
            target->Drop(data.get(), 0, kOnEmptySpace, &effect);
            EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
        } else {
            target->DragLeave();
        }
        EXPECT_EQ(concrete->DraggedData(), nullptr);
        EXPECT_EQ(data->AddRef(), 2u);
        data->Release();
        EXPECT_EQ(tree.highlights, (std::vector<Node*>{nullptr, nullptr}));
        tree.highlights.clear();
    }
    concrete->Detach();  // a tree that is gone is asked nothing
    DWORD effect = kAll;
    EXPECT_EQ(target->DragEnter(data.get(), MK_LBUTTON, kOnNode, &effect), S_OK);
    EXPECT_EQ(target->DragOver(MK_LBUTTON, kOnNode, &effect), S_OK);
    EXPECT_EQ(target->Drop(data.get(), 0, kOnNode, &effect), S_OK);
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
    EXPECT_TRUE(tree.highlights.empty());
}

TEST(ShellDropTarget, TheRegistrationHoldsTheWindowForDropsUntilItEnds) {
    FakeTree tree;
    ui::ComPtr<IDropTarget> kept;
    {
        TPTDropTargetRegistration registration;
        ASSERT_EQ(registration.Register(&tree), S_OK);
        ASSERT_TRUE(registration.Registered());
        registration.Target()->AddRef();
        kept.attach(registration.Target());
        ui::ComPtr<IDropTarget> other = MakeComObject<TDropTarget_shtv, IDropTarget>(&tree);
        EXPECT_EQ(RegisterDragDrop(tree.DropWindow(), other.get()), DRAGDROP_E_ALREADYREGISTERED);
        EXPECT_EQ(registration.Register(&tree), S_OK);  // again: the first one is revoked
        EXPECT_NE(static_cast<IDropTarget*>(registration.Target()), kept.get());
    }
    EXPECT_EQ(RevokeDragDrop(tree.DropWindow()), DRAGDROP_E_NOTREGISTERED);
    // The first target, still held here, asks the tree nothing any more.
    DWORD effect = kAll;
    ui::ComPtr<IDataObject> data = MakeComObject<TDataObject_shtv, IDataObject>(
        nullptr, std::vector<LPCITEMIDLIST>{}, std::vector<ui::String>{});
    EXPECT_EQ(kept->DragEnter(data.get(), MK_LBUTTON, kOnNode, &effect), S_OK);
    EXPECT_EQ(effect, kDropEffectScroll);
    kept->DragLeave();
    EXPECT_TRUE(tree.highlights.empty());
    TPTDropTargetRegistration refused;
    EXPECT_EQ(refused.Register(nullptr), E_INVALIDARG);
    EXPECT_FALSE(refused.Registered());
}

TEST(ShellDrag, AnItemDraggedOntoAFolderNodeOfARegisteredTreeLandsThere) {
    TempDir dir;
    const std::string source = dir.WriteFile("from\\表ソ.txt", "x");
    Node folder{dir.MakeDir("to")};
    FakeTree tree;
    tree.node = &folder;
    TPTDropTargetRegistration registration;
    ASSERT_EQ(registration.Register(&tree), S_OK);
    SetCursorPos(200, 150);
    testing_support::PumpMessages();
    RealItem item(source);
    // The button goes down, and comes up again once the drag is under way.
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    const UINT_PTR timer = SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR, DWORD) {
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    });
    const DWORD effect = DragShellItem(item.folder.get(), item.parentList.get(), item.item.get(), MK_LBUTTON);
    KillTimer(nullptr, timer);
    EXPECT_FALSE(tree.highlights.empty());
    EXPECT_EQ(effect, DWORD(DROPEFFECT_MOVE));
    EXPECT_TRUE(FileExistsA(folder.path + "\\表ソ.txt"));
    EXPECT_FALSE(FileExistsA(source));
}

}  // namespace
