#pragma once
// The shell tree: the shell namespace below a base folder as a tree view. Nodes are filled
// when first expanded, sorted in the shell's order, drawn with the shell's small icons
// (asked for only when a node is drawn) and kept up to date from file-system change
// notifications, coalesced by a timer.
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <unordered_set>
#include <vector>

#include "shell/IdList.h"
#include "shell/ShTreeData.h"
#include "shell/ShellCommands.h"
#include "shell/ShellDropTarget.h"
#include "shell/ShellLocator.h"
#include "shell/ShellTreeWatches.h"
#include "ui/ExtCtrls.h"
#include "ui/Handles.h"
#include "ui/TreeView.h"

namespace shell {

enum TPTShellTreeOption {
    ptstoAutoFill = 0,           // fills itself when created or re-rooted
    ptstoVirtualFolders = 1,     // also items that are not file-system objects or their ancestors
    ptstoDesignInteractive = 2,  // a form designer's; no meaning at run time
    ptstoDefaultKeyHandling = 3, // the tree's own keyboard commands
    ptstoContextMenus = 4,       // the shell's context menu of an item
    ptstoDynamicRefresh = 5,     // watches the drives after each fill
    ptstoIncludeNonFolders = 6,  // files too; the watch then reports file names
    ptstoOleDrag = 7,            // items can be dragged out
    ptstoOleDrop = 8,            // the tree takes drops
    ptstoShowHidden = 9,         // hidden items are enumerated
};

// A set of options in 16 bits, bit number = option.
class TPTShellTreeOptions {
public:
    constexpr TPTShellTreeOptions() = default;
    constexpr TPTShellTreeOptions(WORD bits) : bits_(bits) {}
    constexpr TPTShellTreeOptions(std::initializer_list<TPTShellTreeOption> options) {
        for (TPTShellTreeOption o : options) bits_ = static_cast<WORD>(bits_ | (1u << o));
    }
    constexpr WORD Bits() const { return bits_; }
    constexpr bool Contains(TPTShellTreeOption o) const { return (bits_ >> o) & 1u; }
    constexpr TPTShellTreeOptions With(TPTShellTreeOption o) const {
        return TPTShellTreeOptions(static_cast<WORD>(bits_ | (1u << o)));
    }
    constexpr TPTShellTreeOptions Without(TPTShellTreeOption o) const {
        return TPTShellTreeOptions(static_cast<WORD>(bits_ & ~(1u << o)));
    }
    constexpr bool operator==(TPTShellTreeOptions o) const { return bits_ == o.bits_; }
    constexpr bool operator!=(TPTShellTreeOptions o) const { return bits_ != o.bits_; }

private:
    WORD bits_ = 0;
};

// All but ptstoDesignInteractive and ptstoIncludeNonFolders.
constexpr TPTShellTreeOptions kDefaultShellTreeOptions = TPTShellTreeOptions(0x3BB);

// The private messages of the tree's window.
constexpr UINT WM_SHELLTREE_FILL = WM_USER + 103;  // fill a tree still empty after its window came
constexpr UINT WM_SHELLTREE_PENDING = WM_USER + 104;  // a fill held back by an edit, once it is over

// What the attributes of a new item are asked with; the shell may answer more bits.
constexpr ULONG kAddItemAttributeMask = 0xF20B0000;
// What a refresh asks of a known item: the folder flags, and whether it still exists.
constexpr ULONG kSyncAttributeMask = 0xF3000000;

// One custom-draw step of a node: the native record and what the handler answers.
struct TPTCustomDraw {
    NMTVCUSTOMDRAW* Info = nullptr;
    DWORD Stage = 0;  // CDDS_*
    HDC DC = nullptr;
    RECT Rect = {};
    UINT ItemState = 0;  // CDIS_*
    LRESULT Result = CDRF_DODEFAULT;
};

// A tree view with custom-draw notifications and the hooks of context menus, drags and
// keyboard commands.
class TPTCustomTreeView : public ui::TTreeView, public TPTContextMenuHook {
public:
    explicit TPTCustomTreeView(ui::TComponent* owner);
    ~TPTCustomTreeView() override;

protected:
    bool Notify(NMHDR* header, LRESULT& result) override;
    bool MenuMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    // Raises OnKeyDown; the context-menu key and Shift+F10 ask for the selected node's menu;
    // a key still left goes to KeyCommand.
    void KeyDown(WORD& key, ui::TShiftState shift) override;

    // Whether item steps of custom draw are wanted at all.
    virtual bool WantsItemDraw() const { return false; }
    // An item's pre-paint or post-paint step.
    virtual void CustomDrawItem(TPTCustomDraw& draw, ui::TTreeNode* node) {
        (void)draw;
        (void)node;
    }
    // A context menu is asked for: a right click on a node (point under the mouse) or the
    // keyboard (the selected node, centre of its label); screen coordinates.
    // True when a menu was shown.
    virtual bool ContextMenuRequest(ui::TTreeNode* node, POINT screen) {
        (void)node;
        (void)screen;
        return false;
    }
    // A native drag begins on a node with the left or right button.
    virtual void BeginDragNode(ui::TTreeNode* node, ui::TMouseButton button) {
        (void)node;
        (void)button;
    }
    // A key the tree may take as a command; set `key` to 0 when it did.
    virtual void KeyCommand(WORD& key, ui::TShiftState shift) {
        (void)key;
        (void)shift;
    }
public:
    // The help text of the menu command under the mouse.
    void PopupHint(const ui::String& hint) override { (void)hint; }
    // The context menu being shown, which gets the owner-drawn menu messages; none after.
    void SetShownContextMenu(IContextMenu* menu) override;

private:
    ui::ComPtr<IContextMenu> shownMenu_;
};

// What OnAddItem finds in afAllowAdd: a handler that leaves it untouched lets the item in.
constexpr BOOL kAddItemUndecided = -1;
using TPTShAddItemEvent = std::function<void(ui::TObject* sender, IShellFolder* aParentIShf,
                                             LPCITEMIDLIST aParentAbsIdList, LPCITEMIDLIST aItemRelIdList,
                                             ULONG aAttribs, BOOL& afAllowAdd)>;
using TPTShTreeDeleteItemEvent =
    std::function<void(ui::TObject* sender, ui::TTreeNode* aNode, TPTShTreeData* aShTreeData)>;
using TPTShTreeInsertItemEvent = std::function<void(ui::TObject* sender, ui::TTreeNode* aNode)>;
// An item renamed in place: its file-system paths before and after (empty outside the file system).
using TPTShRenamedEvent =
    std::function<void(ui::TObject* sender, const ui::String& oldPath, const ui::String& newPath)>;
using TPTShPopupHintEvent = std::function<void(ui::TObject* sender, const ui::String& hint)>;
using TPTShTvCustomDrawEvent =
    std::function<void(ui::TObject* sender, TPTCustomDraw& aCD, ui::TTreeNode* aNode, TPTShTreeData* aData)>;

// All the behaviour of the shell tree.
class TPTCustomShellTree : public TPTCustomTreeView, public TPTShellDropHost {
public:
    explicit TPTCustomShellTree(ui::TComponent* owner);
    ~TPTCustomShellTree() override;

    // The root; changing it re-fills the tree (with ptstoAutoFill). Setting the special folder
    // it already has does nothing.
    TPTShellLocator& BaseFolder() { return *baseFolder_; }
    void SetBaseFolder(const TPTShellLocator* folder) { baseFolder_->Assign(folder); }
    // The absolute list of the selected node; setting it selects the matching node.
    TPTShellLocator& CurrentFolder() { return *currentFolder_; }

    TPTShellTreeOptions Options() const { return options_; }
    void SetOptions(TPTShellTreeOptions options);

    // The node's shell data, or none for a node that carries none.
    TPTShTreeData* NodeData(ui::TTreeNode* node) const;
    TPTShTreeData* SelectedData() const { return NodeData(Selected()); }

    // Clears the tree and fills it from the base folder: one top node, expanded one level. A base
    // folder that cannot be found or opened leaves the tree empty.
    void FillTree();
    // Adds the items of `folder` below `parentNode` (none: the top node for the base folder).
    virtual void FillNode(IShellFolder* folder, ui::TTreeNode* parentNode);
    // Drops the nodes of items that are gone and adds new folders below filled nodes.
    void RefreshTree();
    // Selects the node of an absolute list, expanding and adding nodes on the way.
    void SelectIdList(LPCITEMIDLIST absIdList);
    // The drop target registered for the window; none without ptstoOleDrop.
    IDropTarget* RegisteredDropTarget() const { return registration_.Target(); }

    // What the drop target asks of the tree.
    HWND DropWindow() const override;
    TDropNode DropNodeAt(POINT screen, bool withTopNode) override;
    HRESULT NodeDropTarget(TDropNode node, ui::ComPtr<IDropTarget>& target) override;
    ui::String NodePath(TDropNode node) override;
    void HighlightDropNode(TDropNode node) override;
    // The window given to the shell for its own messages: the form the tree is on.
    HWND OwnerWindow() const override;

    // How many refreshes have run (not counting those that became fills).
    int RefreshCount() const { return refreshCount_; }
    // What the change thread watches: the drive roots with their subtrees, then the shown
    // folders on their own.
    const std::vector<ui::String>& WatchedPaths() const { return watches_.Paths(); }

    TPTShAddItemEvent OnAddItem;
    TPTShTreeDeleteItemEvent OnDeleteItem;
    TPTShTreeInsertItemEvent OnInsertItem;
    TPTShRenamedEvent OnItemRenamed;
    TPTShPopupHintEvent OnPopupHint;
    TPTShTvCustomDrawEvent OnCustomDrawSh;
    TPTShTvCustomDrawEvent OnCustomDrawShEx;
    ui::TNotifyEvent OnFillComplete;
    ui::TNotifyEvent OnFillStart;

    void WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    void HandleCreated() override;
    void HandleDestroying() override;
    void Loaded() override;

    bool CanExpand(ui::TTreeNode* node) override;
    void Expanded(ui::TTreeNode* node) override;
    void Change(ui::TTreeNode* node) override;
    void Deleted(ui::TTreeNode* node) override;
    void Clicked() override;
    int GetImageIndex(ui::TTreeNode* node) override;
    int GetSelectedIndex(ui::TTreeNode* node) override;
    bool CanEdit(ui::TTreeNode* node) override;
    void Edited(ui::TTreeNode* node, ui::String& text) override;
    void EditEnded(ui::TTreeNode* node) override;
    bool WantsItemDraw() const override { return true; }
    void CustomDrawItem(TPTCustomDraw& draw, ui::TTreeNode* node) override;
    bool ContextMenuRequest(ui::TTreeNode* node, POINT screen) override;
    void BeginDragNode(ui::TTreeNode* node, ui::TMouseButton button) override;
    void KeyCommand(WORD& key, ui::TShiftState shift) override;
public:
    void PopupHint(const ui::String& hint) override;

protected:

    // Raises OnAddItem; true when the item may be added.
    virtual bool DoAddItem(IShellFolder* parentFolder, LPCITEMIDLIST parentAbsIdList, ULONG attributes,
                           LPCITEMIDLIST itemRelIdList);
    // A linked view (a shell list) that follows the selection; none here.
    virtual bool HasLinkedView() const { return false; }
    virtual void UpdateLinkedView(ui::TTreeNode* node) { (void)node; }
    // Registers or revokes the tree's drop target (with ptstoOleDrop).
    virtual void RegisterDropTarget();
    virtual void RevokeDropTarget();

private:
    class InternalChangeScope;
    class FillNotices;
    // What the update timer will do when it fires.
    enum class TTimerWork { None, SelectionUpdate, Refresh };
    // How the next selection change reaches the current folder and a linked view: at once (the
    // tree or a click chose the node), or after the timer when a linked view follows.
    enum class TSelectionMode { Deferred, Immediate };
    // What holds fills and change notices back.
    struct TFillHold {
        LONG internalChange = 0;     // nesting count of selection changes the tree makes itself
        bool dragging = false;       // a drag from the tree is running: fills wait
        bool pending = false;        // a fill held back by a drag or an edit is still owed
        bool skipNextNotify = false; // the next change notice is the tree's own rename
    };
    // Adds a node owning `data`; the data are freed if the node cannot be made.
    ui::TTreeNode* AddDataNode(ui::TTreeNode* parent, const ui::String& text, std::unique_ptr<TPTShTreeData> data);
    // Adds one item of `folder` below `parentNode` if it is eligible and allowed.
    HRESULT AddShellItem(IShellFolder* folder, LPCITEMIDLIST item, ui::TTreeNode* parentNode,
                         LPCITEMIDLIST parentAbsIdList);
    // Sorts the children of `node` (the top level for none) in the shell's order.
    void SortChildren(ui::TTreeNode* node);
    // Watches every fixed, network and RAM drive, then the top node and the expanded folders.
    void StartChangeWatch();
    // Runs a verb of the node item's context menu ("delete", "copy", "cut", "paste"); S_FALSE
    // for the top node or a node without shell data.
    HRESULT InvokeVerb(ui::TTreeNode* node, const char* verb);
    // Shows the node item's context menu at a screen point and carries out the choice; false
    // when no menu could be shown.
    bool ShowItemContextMenu(ui::TTreeNode* node, POINT screen);
    void BaseFolderChanged();
    void CurrentFolderChanged();
    void TimerStep();
    void ChangeNotified();
    void SelectionUpdate(ui::TTreeNode* node);
    void SyncNode(ui::TTreeNode* node, ui::TTreeNode*& remembered, IMalloc* allocator);
    ui::TTreeNode* FindChild(ui::TTreeNode* parent, LPCITEMIDLIST item);
    // The child's item is gone from `folder` (the attributes asked for a refresh in `attributes`).
    bool ItemGone(IShellFolder* folder, ui::TTreeNode* child, ULONG& attributes);
    // What a fill or refresh asks a folder to list, by the options.
    DWORD EnumFlags() const;
    // Whether an item with these attributes gets an expand button.
    bool ShowsChildren(ULONG attributes) const;
    bool MayHaveChildren(ui::TTreeNode* node);
    void WatchFolder(ui::TTreeNode* node);
    void DrawOverlay(TPTCustomDraw& draw, ui::TTreeNode* node);
    DWORD WatchFilter() const;
    // The pending fill, once neither a drag nor an edit holds it back.
    void RunPendingFill();

    std::unique_ptr<TPTShellLocator> baseFolder_;
    std::unique_ptr<TPTShellLocator> currentFolder_;
    ui::TTimer* updateTimer_;
    TTimerWork timerWork_ = TTimerWork::None;
    TPTShellTreeOptions options_ = kDefaultShellTreeOptions;
    TSelectionMode selectionMode_ = TSelectionMode::Deferred;
    TFillHold hold_;
    bool expandLocked_ = false;  // while the form is read from its resource: no node expands
    TPTShellTreeWatches watches_;
    ui::TTreeNode* lastInserted_ = nullptr;  // the node AddShellItem made last
    std::unordered_set<const void*> ownData_;  // the node data this tree made
    std::unordered_set<ui::TTreeNode*> filled_;  // nodes whose items have been listed
    int refreshCount_ = 0;
    ui::TTreeNode* dragNode_ = nullptr;  // the node of a drag begun here, while it lasts
    TPTClipboardCut clipboardCut_;
    TPTDropTargetRegistration registration_;
};

// The shell tree as the main window uses it.
class TPTShellTree : public TPTCustomShellTree {
public:
    explicit TPTShellTree(ui::TComponent* owner) : TPTCustomShellTree(owner) {}
};

}  // namespace shell
