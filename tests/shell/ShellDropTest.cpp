// Drops into a shell tree where the tree's own tests cannot reach: the node item's own drop
// target asked as OLE asks it, a target outliving its registration, and an item array from
// another program that does not add up.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "shell/ShellDataObject.h"
#include "shell/ShellDropSource.h"
#include "shell/ShellDropTarget.h"
#include "shell/ShellModule.h"
#include "shell/ShellTesting.h"
#include "support/Interaction.h"
#include "support/Sandbox.h"

using namespace shell;
using namespace shell_testing;
using testing_support::TempDir;

namespace {

// A drop target that records the effects it is offered and how it is asked to drop, and answers
// one effect; a drop carries out one of the effects it may.
class RecordingTarget : public TComObject<IDropTarget> {
public:
    explicit RecordingTarget(DWORD answer) : answer_(answer) {}
    std::set<DWORD> offered;
    std::string drop;  // its keys and effects; none without a drop
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override { return Answer(effect); }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override { return Answer(effect); }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD keys, POINTL, DWORD* effect) override {
        drop = std::to_string(keys) + " " + std::to_string(*effect);
        Answer(effect);
        *effect &= ~(*effect - 1);
        return S_OK;
    }

private:
    HRESULT Answer(DWORD* effect) {
        offered.insert(*effect);
        *effect &= answer_;
        return S_OK;
    }
    DWORD answer_;
};

// The tree as the drop target sees it: one window at 100..300 on the screen, whose upper half
// is one virtual item's node with the test's own drop target and whose lower half is empty space.
class FakeTree : public TPTShellDropHost {
public:
    explicit FakeTree(IDropTarget* own) : own(own) {
        wnd_ = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100, 200, 200, nullptr, nullptr, nullptr,
                               nullptr);
    }
    ~FakeTree() override { DestroyWindow(wnd_); }
    IDropTarget* own;
    int asked = 0;

    HWND DropWindow() const override { return wnd_; }
    TDropNode DropNodeAt(POINT screen, bool) override {
        ++asked;
        return screen.y < 200 ? this : nullptr;
    }
    HRESULT NodeDropTarget(TDropNode, ui::ComPtr<IDropTarget>& target) override {
        if (own) own->AddRef();
        target.attach(own);
        return own ? S_OK : E_FAIL;
    }
    ui::String NodePath(TDropNode) override { return {}; }
    void HighlightDropNode(TDropNode) override {}

private:
    HWND wnd_;
};

const POINTL kOnNode = {200, 150};

TEST(ShellDropTarget, TheNodesOwnTargetGetsTheButtonsOfTheEnterAndOnlyTheEffectsTheItemsAllow) {
    TempDir dir;
    const RealItem file(dir.WriteFile("note.txt", "note"));
    // The shell's Recycle Bin item: it may be linked, not copied or moved.
    IdList bin;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, bin.put()), S_OK);
    ui::ComPtr<IShellFolder> desktop;
    ASSERT_EQ(SHGetDesktopFolder(desktop.put()), S_OK);
    const DWORD binEffects = AllowedDropEffects(desktop.get(), {bin.get()});
    ASSERT_NE(binEffects, kAll) << "the shell lets every effect be done to its Recycle Bin";
    const struct {
        ui::ComPtr<IDataObject> data;
        DWORD enterKeys, dropKeys, answer;
        DWORD offered;     // what the node's target is offered at each step
        std::string drop;  // how it is asked to drop; none where it may take nothing
        DWORD effect;
    } cases[] = {
        // A right drag reaches the item's target as one at the drop too.
        {MakeItemDataObject(file.folder.get(), file.parentList.get(), file.item.get()), MK_RBUTTON, MK_SHIFT,
         DROPEFFECT_COPY, kAll, "6 7", DROPEFFECT_COPY},
        {MakeComObject<TDataObject_shtv, IDataObject>(nullptr, std::vector<LPCITEMIDLIST>{bin.get()},
                                                      std::vector<ui::String>{}),
         MK_LBUTTON, 0, kAll, binEffects, binEffects ? "1 " + std::to_string(binEffects) : "",
         binEffects & ~(binEffects - 1)},
    };
    for (const auto& c : cases) {
        ui::ComPtr<RecordingTarget> own = MakeComObject<RecordingTarget, RecordingTarget>(c.answer);
        FakeTree tree(own.get());
        ui::ComPtr<IDropTarget> target = MakeComObject<TDropTarget_shtv, IDropTarget>(&tree);
        EXPECT_EQ(DragAndDrop(target.get(), c.data.get(), kOnNode, c.enterKeys, c.dropKeys), c.effect) << c.offered;
        EXPECT_EQ(own->offered, std::set<DWORD>{c.offered});
        EXPECT_EQ(own->drop, c.drop);
    }
}

// OLE may keep a target after its window's registration ended; the tree may be gone by then.
TEST(ShellDropTarget, ATargetWhoseRegistrationEndedAsksTheTreeNothing) {
    TempDir dir;
    FakeTree tree(nullptr);
    ui::ComPtr<IDropTarget> kept;
    {
        TPTDropTargetRegistration registration;
        ASSERT_EQ(registration.Register(&tree), S_OK);
        registration.Target()->AddRef();
        kept.attach(registration.Target());
    }
    EXPECT_EQ(RevokeDragDrop(tree.DropWindow()), DRAGDROP_E_NOTREGISTERED);
    const RealItem file(dir.WriteFile("from\\a.txt", "a"));
    const ui::ComPtr<IDataObject> data = MakeItemDataObject(file.folder.get(), file.parentList.get(), file.item.get());
    EXPECT_EQ(DragAndDrop(kept.get(), data.get(), kOnNode, MK_LBUTTON, MK_CONTROL), DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(tree.asked, 0);
}

// An item array handed over by another program (here through the clipboard) is read only
// inside its block, whatever its counts and offsets say.
TEST(ShellDropTarget, AnItemArrayThatDoesNotAddUpIsReadOnlyInsideItsBlockAndAllowsAll) {
    const std::string desktop = Terminated(""), item = Terminated(Item("xy"));
    const std::string refused[] = {
        U32(0x7FFFFFFF) + U32(12),                          // more items than the block holds
        U32(1) + U32(12) + U32(0x7FFFFFF0) + desktop + item,  // an item far outside
        U32(1) + U32(12) + U32(14) + desktop + std::string("\xF0\x00", 2),  // one that runs past the end
    };
    testing_support::ClipboardScope clipboard;
    for (const std::string& bytes : refused) {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
        SetClipboardData(ShellIdListFormat(), block);
        CloseClipboard();
        ui::ComPtr<IDataObject> data;
        ASSERT_EQ(OleGetClipboard(data.put()), S_OK);
        EXPECT_EQ(DataObjectAllowedEffects(data.get()), kAll) << (&bytes - refused);
    }
}

}  // namespace
