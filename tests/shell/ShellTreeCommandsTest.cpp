// The shell tree's commands over real folders and the real shell: the keys, the item menu,
// renaming in place, drops onto nodes and a drag out while the disk changes.
#include "shell/ShellTree.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "shell/ShellDataObject.h"
#include "shell/ShellTesting.h"
#include "support/Interaction.h"
#include "support/Sandbox.h"
#include "support/Shortcuts.h"

using namespace shell;
using shell_testing::Scene;
using shell_testing::Tree;
using testing_support::ClipboardScope;
using testing_support::DialogAnswer;
using testing_support::FileExistsA;
using testing_support::NamesIn;
using testing_support::PumpMessages;
using testing_support::TempDir;
using ui::TTreeNode;

namespace {

// A key pressed on a control, with other keys held down for GetKeyState meanwhile.
void PressKey(ui::TWinControl* control, WORD key, std::vector<BYTE> held = {}) {
    BYTE saved[256], state[256];
    GetKeyboardState(saved);
    memcpy(state, saved, sizeof state);
    for (BYTE k : held) state[k] = 0x80;
    SetKeyboardState(state);
    SendMessageA(control->Handle(), WM_KEYDOWN, key, 0);
    SendMessageA(control->Handle(), WM_KEYUP, key, 0xC0000000);
    SetKeyboardState(saved);
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

POINT Centre(TTreeNode* node) {
    const RECT r = node->DisplayRect(true);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

}  // namespace

TEST(ShellTreeKeys, DelAndShiftDelDeleteThroughTheShellAfterItsQuestion) {
    char trash[MAX_PATH] = "";
    if (!GetEnvironmentVariableA("XDG_DATA_HOME", trash, sizeof trash))
        GTEST_SKIP() << "deleting would fill the user's own wastebasket";
    const struct {
        const char* name;
        const char* node;
        std::vector<BYTE> held;
        int answer;
        bool asked, gone;
    } cases[] = {
        {"Del", "y.txt", {}, IDYES, true, true},
        {"Shift+Del", "y.txt", {VK_SHIFT}, IDYES, true, true},
        {"Del answered no", "y.txt", {}, IDNO, true, false},
        {"Del on the top node", nullptr, {}, IDYES, false, false},
    };
    for (const auto& c : cases) {
        Scene<> f;
        f.tree->SetSelected(f.Node(c.node));
        DialogAnswer answer(c.answer);
        PressKey(f.tree, VK_DELETE, c.held);
        PumpMessages();
        EXPECT_EQ(answer.Asked() > 0, c.asked) << c.name << ": the shell asks first";
        EXPECT_EQ(FileExistsA(f.dir / "y.txt"), !c.gone) << c.name;
        if (c.gone && c.held.empty()) {
            // Into this run's wastebasket (a Unix path, seen through the root drive).
            std::string kept = std::string("Z:") + trash + "/Trash/files/y.txt";
            std::replace(kept.begin(), kept.end(), '/', '\\');
            EXPECT_TRUE(FileExistsA(kept)) << kept;
        }
        EXPECT_TRUE(FileExistsA(f.dir / "z.txt")) << c.name;
        PressKey(f.tree, VK_F5);
        EXPECT_EQ(f.Node("y.txt") != nullptr, !c.gone) << c.name;
    }
}

TEST(ShellTreeKeys, CopyOrCutThenPasteOntoAFolderNode) {
    for (const WORD key : {'C', 'X'}) {
        Scene<> f;
        ClipboardScope clipboard;
        f.tree->SetSelected(f.Node("y.txt"));
        PressKey(f.tree, key, {VK_CONTROL});
        f.tree->SetSelected(f.Node("b-folder"));
        PressKey(f.tree, 'V', {VK_CONTROL});
        PumpMessages();
        EXPECT_TRUE(FileExistsA(f.dir / "b-folder\\y.txt")) << char(key);
        EXPECT_EQ(FileExistsA(f.dir / "y.txt"), key == 'C') << char(key);
    }
}

namespace {
// A tree that looks at the item menu it shows: the verbs of its first level, then chooses one
// by the keyboard or closes it.
struct MenuTree : TPTShellTree {
    using TPTShellTree::TPTShellTree;
    std::string choose;
    std::vector<std::set<std::string>> menus;  // the verbs of each menu shown
    bool MenuMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        if (msg == WM_INITMENUPOPUP && shown_ && !HIWORD(lp) && opened_++ == 0) {
            HMENU popup = reinterpret_cast<HMENU>(wp);
            std::set<std::string> verbs;
            UINT chosen = 0;
            for (UINT id : testing_support::EnabledMenuItems(popup)) {
                std::string verb;
                if (id == kFirstMenuCommand + kRenameCommandOffset) verb = "rename";
                else if (id >= kFirstMenuCommand) verb = CommandVerb(shown_, id - kFirstMenuCommand);
                verbs.insert(verb);
                if (!chosen && !choose.empty() && verb == choose) chosen = id;
            }
            menus.push_back(verbs);
            testing_support::ChooseMenuItem(Handle(), popup, chosen);
        }
        return TPTShellTree::MenuMessage(msg, wp, lp, result);
    }
    void SetShownContextMenu(IContextMenu* menu) override {
        if (menu) opened_ = 0;
        shown_ = menu;
        TPTShellTree::SetShownContextMenu(menu);
    }
    int opened_ = 0;
    IContextMenu* shown_ = nullptr;
};

// A right click as the mouse makes it, at a client point.
void RightClick(ui::TWinControl* control, POINT client) {
    POINT screen = client;
    ClientToScreen(control->Handle(), &screen);
    SetCursorPos(screen.x, screen.y);
    PostMessageA(control->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(client.x, client.y));
    PostMessageA(control->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(client.x, client.y));
    PumpMessages(6);
}
}  // namespace

TEST(ShellTreeMenu, TheItemsMenuOffersRenameUnlessReadOnlyAndCarriesOutTheChoice) {
    Scene<MenuTree> f;
    ClipboardScope clipboard;
    MenuTree* tree = f.tree;
    SetForegroundWindow(f.form.Handle());
    TTreeNode* victim = f.Node("y.txt");
    ASSERT_NE(victim, nullptr);
    const struct {
        const char* name;
        bool readOnly;
        const char* choose;
        bool editing, copied;
    } cases[] = {
        {"read-only", true, "", false, false},
        {"rename", false, "rename", true, false},
        {"copy by number", false, "copy", false, true},
    };
    for (const auto& c : cases) {
        tree->SetReadOnly(c.readOnly);
        tree->choose = c.choose;
        tree->menus.clear();
        RightClick(tree, Centre(victim));
        ASSERT_EQ(tree->menus.size(), 1u) << c.name;
        EXPECT_EQ(tree->menus[0].count("copy"), 1u) << c.name;
        EXPECT_EQ(tree->menus[0].count("rename"), c.readOnly ? 0u : 1u) << c.name;
        EXPECT_EQ(tree->IsEditing(), c.editing) << c.name;
        EXPECT_EQ(ClipboardFiles() == std::vector<std::string>{f.dir / "y.txt"}, c.copied) << c.name;
        tree->EndEditing(true);
        EXPECT_TRUE(FileExistsA(f.dir / "y.txt")) << c.name;
    }
    // F2 edits the label where the menu offers rename, and never the top node's.
    for (const bool readOnly : {true, false})
        for (TTreeNode* node : {victim, f.Top()}) {
            tree->SetReadOnly(readOnly);
            tree->SetSelected(node);
            PressKey(tree, VK_F2);
            EXPECT_EQ(tree->IsEditing(), !readOnly && node == victim) << readOnly;
            tree->EndEditing(true);
        }
    tree->choose.clear();
    // The context-menu key shows the selected node's menu; empty space and the top node none.
    tree->menus.clear();
    tree->SetSelected(victim);
    PressKey(tree, VK_APPS);
    EXPECT_EQ(tree->menus.size(), 1u);
    tree->menus.clear();
    const POINT below = {40, 340};
    ASSERT_EQ(tree->GetNodeAt(below.x, below.y), nullptr) << "the point is below the last node";
    RightClick(tree, below);
    RightClick(tree, Centre(f.Top()));
    EXPECT_TRUE(tree->menus.empty());
}

TEST(ShellTreeRename, ANewLabelRenamesTheItemOnceOrIsRefusedWholeAndShowsTheNameOnDisk) {
    const struct {
        const char* from;
        std::string typed;  // none: the longest name the shortcut's path holds with its hidden ".lnk", and
        size_t over;        // this many bytes more
        std::string file;   // its name on disk afterwards; none: the typed one with ".lnk"
        int notices;        // sent until one is refreshed: the rename's own is not (0: not asked)
    } cases[] = {
        {"y.txt", "renamed.txt", 0, "renamed.txt", 2},
        {"a-folder", "moved", 0, "moved", 2},
        {"y.txt", "z.txt", 0, "y.txt", 1},  // a name already there
        {"y.txt", "Y.TXT", 0, "y.txt", 0},  // letter case only: the shell's name stays
        {"m", "", 1, "m.lnk", 1},
        {"m", "", 0, "", 2},
    };
    for (const auto& c : cases) {
        Scene<> f;
        const size_t room = MAX_PATH - 6 - f.dir.Path().size();  // a terminator, a backslash and ".lnk" besides
        const std::string typed = c.typed.empty() ? std::string(room + c.over, 'n') : c.typed;
        const std::string file = c.file.empty() ? typed + ".lnk" : c.file;
        const bool link = std::string(c.from) == "m";
        SCOPED_TRACE(typed);
        TTreeNode* node = f.Node(c.from);
        ASSERT_NE(node, nullptr);
        node->Expand(false);
        f.tree->SetSelected(node);
        testing_support::MessageBoxCapture boxes;
        DialogAnswer answer(IDOK);
        ASSERT_TRUE(node->EditText());
        HWND edit = reinterpret_cast<HWND>(SendMessageA(f.tree->Handle(), TVM_GETEDITCONTROL, 0, 0));
        ASSERT_NE(edit, nullptr);
        SetWindowTextA(edit, typed.c_str());
        f.fills = 0;
        f.tree->RefreshTree();  // asked for during the edit: it waits for it
        EXPECT_EQ(f.fills, 0);
        SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
        SendMessageA(edit, WM_CHAR, VK_RETURN, 0);
        PumpMessages();
        ASSERT_FALSE(f.tree->IsEditing());
        EXPECT_EQ(f.fills, 1) << "the held-back refresh, once";
        // One item renamed whole or none, never a cut name; the label and the node's path follow the disk.
        std::vector<std::string> listing = {".dot", "a-folder", "b-folder", "empty", "h.txt", "m.lnk", "y.txt",
                                            "z.txt"};
        std::replace(listing.begin(), listing.end(), std::string(link ? "m.lnk" : c.from), file);
        std::sort(listing.begin(), listing.end());
        EXPECT_EQ(NamesIn(f.dir.Path()), listing);
        EXPECT_EQ(node->Text(), link ? file.substr(0, file.size() - 4) : file);
        EXPECT_EQ(f.tree->NodeData(node)->PathName(), f.dir / file);
        if (TTreeNode* inner = Tree::Child(node, "inner")) {
            EXPECT_EQ(f.tree->NodeData(inner)->PathName(), f.dir / (file + "\\inner"));
        }
        if (c.notices == 2) {
            EXPECT_EQ(f.tree->CurrentFolder().GetPath(), f.dir / file);
        }
        if (!c.notices) continue;
        f.fills = 0;
        f.tree->SetFocus();  // refreshed after the shorter wait
        SendMessageA(f.tree->Handle(), WM_CHANGENOTIFY, 0, 0);
        if (c.notices == 2) {
            EXPECT_FALSE(Tree::PumpUntil([&] { return f.fills > 0; }, 1000));
            SendMessageA(f.tree->Handle(), WM_CHANGENOTIFY, 0, 0);
        }
        EXPECT_TRUE(Tree::PumpUntil([&] { return f.fills > 0; }, 3000));
    }
}

// Wine's folders take no drop: the tree's stand-in copies, moves or links as the keys say,
// and does nothing where the file already is.
TEST(ShellTreeDrop, FilesDroppedOnANodeLandInItsFolderAsTheKeysSay) {
    const struct {
        const char* node;  // none: the top node
        std::string dragged;  // below the base folder, or outside it
        DWORD keys, effect;
        const char* landed;
        bool sourceLeft;
    } cases[] = {
        {"b-folder", "", MK_CONTROL, DROPEFFECT_COPY, "b-folder\\dropped.txt", true},
        {"a-folder", "", MK_SHIFT, DROPEFFECT_MOVE, "a-folder\\dropped.txt", false},
        {nullptr, "", MK_SHIFT | MK_CONTROL, DROPEFFECT_LINK, "dropped.txt.lnk", true},
        {"b-folder", "", 0, DROPEFFECT_MOVE, "b-folder\\dropped.txt", false},  // the same drive
        {nullptr, "y.txt", MK_CONTROL, DROPEFFECT_NONE, "y.txt", true},  // where it already is
        {"a-folder", "a-folder", MK_SHIFT, DROPEFFECT_NONE, "a-folder", true},  // a folder into itself
    };
    for (const auto& c : cases) {
        Scene<> f;
        TempDir outside;
        const std::string file = c.dragged.empty() ? outside.WriteFile("dropped.txt", "d") : f.dir / c.dragged;
        IDropTarget* target = f.tree->RegisteredDropTarget();
        ASSERT_NE(target, nullptr);
        POINT p = Centre(f.Node(c.node));
        ClientToScreen(f.tree->Handle(), &p);
        const shell_testing::RealItem item(file);
        const ui::ComPtr<IDataObject> dragged =
            MakeItemDataObject(item.folder.get(), item.parentList.get(), item.item.get());
        EXPECT_EQ(shell_testing::DragAndDrop(target, dragged.get(), {p.x, p.y}, MK_LBUTTON | c.keys, c.keys), c.effect);
        PumpMessages();
        EXPECT_TRUE(Exists(f.dir / c.landed)) << c.landed;
        EXPECT_EQ(Exists(file), c.sourceLeft) << c.landed;
        EXPECT_EQ(f.tree->DropTarget(), nullptr);
    }
}

namespace {
// A drag out of the tree: moved over `over` after a while, ended there later; what the tree
// looked like meanwhile.
struct DragWatch {
    static inline POINT over = {};
    static inline int step = 0, fillsDuring = -1;
    static inline int* fills = nullptr;
    static inline TPTShellTree* tree = nullptr;
    static inline TTreeNode* highlighted = nullptr;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        if (step++ == 0) {
            fillsDuring = *fills;
            SetCursorPos(over.x, over.y);
            return;
        }
        KillTimer(nullptr, id);
        highlighted = tree->DropTarget();
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    }
};
}  // namespace

TEST(ShellTreeDrag, AnItemDraggedOntoAFolderNodeMovesThereAndAChangeMeanwhileIsRefreshedOnceAfter) {
    Scene<> f;
    TTreeNode* victim = f.Node("y.txt");
    ASSERT_NE(victim, nullptr) << "not selected: some trees (Wine's) never drop-highlight the selected node";
    // The button goes down over a window beside the form, so that the tree sees no click.
    HWND beside = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 400, 50, 100, 100, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(beside, nullptr);
    SetCursorPos(450, 100);
    PumpMessages();
    DragWatch::over = Centre(f.Node("b-folder"));
    ClientToScreen(f.tree->Handle(), &DragWatch::over);
    DragWatch::tree = f.tree;
    DragWatch::fills = &f.fills;
    f.fills = 0;
    PostMessageA(f.tree->Handle(), WM_CHANGENOTIFY, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    SetTimer(nullptr, 0, 300, DragWatch::Tick);
    // The tree's begin-drag notification, as its parent hands it on.
    NMTREEVIEWA nm = {};
    nm.hdr.hwndFrom = f.tree->Handle();
    nm.hdr.idFrom = GetDlgCtrlID(f.tree->Handle());
    nm.hdr.code = TVN_BEGINDRAGA;
    nm.action = TVC_BYMOUSE;
    nm.itemNew.mask = TVIF_HANDLE;
    nm.itemNew.hItem = victim->ItemId();
    SendMessageA(f.form.Handle(), WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
    DestroyWindow(beside);
    EXPECT_EQ(DragWatch::fillsDuring, 0) << "the change waited for the drag";
    EXPECT_EQ(DragWatch::highlighted, f.Node("b-folder"));
    EXPECT_EQ(f.fills, 1) << "and was refreshed once it ended";
    EXPECT_EQ(f.tree->DropTarget(), nullptr);
    EXPECT_TRUE(FileExistsA(f.dir / "b-folder\\y.txt"));
    EXPECT_EQ(f.Node("y.txt"), nullptr);
}
