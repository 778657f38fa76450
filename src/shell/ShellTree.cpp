// The shell tree: its window, options, selection and the nodes' data.
#include "shell/ShellTree.h"

#include "shell/ShellModule.h"
#include "shell/ShellTreeParts.h"
#include "ui/Forms.h"

namespace shell {

using ui::TTreeNode;

namespace {

constexpr unsigned kSelectionInterval = 500;

}  // namespace

TPTCustomShellTree::TPTCustomShellTree(ui::TComponent* owner)
    : TPTCustomTreeView(owner), baseFolder_(new TPTShellLocator), currentFolder_(new TPTShellLocator) {
    updateTimer_ = new ui::TTimer(this);
    updateTimer_->SetEnabled(false);
    updateTimer_->OnTimer = [this](ui::TObject*) { TimerStep(); };
    baseFolder_->OnChange = [this](TPTShellLocator*) { BaseFolderChanged(); };
    currentFolder_->OnChange = [this](TPTShellLocator*) { CurrentFolderChanged(); };
    SetShowRoot(false);
    SetLazyImages(true);
    SetStyleFlag(TVS_DISABLEDRAGDROP, !options_.Contains(ptstoOleDrag));
}

TPTCustomShellTree::~TPTCustomShellTree() {
    updateTimer_->SetEnabled(false);
    updateTimer_->OnTimer = nullptr;
    // The nodes' data go while this object can still free them.
    DestroyHandle();
    watches_.Stop();
    baseFolder_->OnChange = nullptr;
    currentFolder_->OnChange = nullptr;
}

HWND TPTCustomShellTree::OwnerWindow() const {
    for (const ui::TControl* c = this; c; c = c->Parent())
        if (auto* form = dynamic_cast<const ui::TForm*>(c))
            return form->HandleAllocated() ? const_cast<ui::TForm*>(form)->Handle() : nullptr;
    return nullptr;
}

TPTShTreeData* TPTCustomShellTree::NodeData(TTreeNode* node) const {
    if (!node || node->TreeView() != this || !ownData_.count(node->Data())) return nullptr;
    return static_cast<TPTShTreeData*>(node->Data());
}

void TPTCustomShellTree::SetOptions(TPTShellTreeOptions options) {
    if (options_ == options) return;
    const TPTShellTreeOptions old = options_;
    options_ = options;
    SetStyleFlag(TVS_DISABLEDRAGDROP, !options.Contains(ptstoOleDrag));
    if (!HandleAllocated()) return;
    if (old.Contains(ptstoOleDrop) != options.Contains(ptstoOleDrop)) {
        if (options.Contains(ptstoOleDrop)) RegisterDropTarget();
        else RevokeDropTarget();
    }
    if (old.Contains(ptstoDynamicRefresh) != options.Contains(ptstoDynamicRefresh)) {
        if (options.Contains(ptstoDynamicRefresh)) {
            StartChangeWatch();
        } else {
            watches_.Clear();
        }
    }
}

void TPTCustomShellTree::HandleCreated() {
    // The shell's shared list, never destroyed here. The shell builds it at the first request, which
    // is slow: a tree on a page not shown yet asks for it with its window.
    if (!Images()) SetImages(SystemImageList(0));
    TPTCustomTreeView::HandleCreated();
    if (options_.Contains(ptstoOleDrop)) RegisterDropTarget();
    if (!Loading() && options_.Contains(ptstoAutoFill) && Items().Count() == 0)
        PostMessageA(Handle(), WM_SHELLTREE_FILL, 0, 0);
}

void TPTCustomShellTree::HandleDestroying() {
    updateTimer_->SetEnabled(false);
    timerWork_ = TTimerWork::None;
    {
        InternalChangeScope internal(this);
        SetSelected(nullptr);
        TPTCustomTreeView::HandleDestroying();
    }
    RevokeDropTarget();
    // The thread posts to this window only: a new window gets a new thread.
    watches_.Stop();
}

void TPTCustomShellTree::Loaded() {
    expandLocked_ = true;
    try {
        TPTCustomTreeView::Loaded();
    } catch (...) {
        expandLocked_ = false;
        throw;
    }
    expandLocked_ = false;
    if (options_.Contains(ptstoAutoFill) && Items().Count() == 0 && HandleAllocated()) FillTree();
}

void TPTCustomShellTree::WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_SHELLTREE_FILL:
            if (Items().Count() == 0) FillTree();
            result = 0;
            return;
        case WM_CHANGENOTIFY:
            ChangeNotified();
            result = 0;
            return;
        case WM_SHELLTREE_PENDING:
            RunPendingFill();
            result = 0;
            return;
        case WM_NCDESTROY:
            registration_.Revoke();
            TPTCustomTreeView::WndProc(msg, wp, lp, result);
            return;
        default:
            TPTCustomTreeView::WndProc(msg, wp, lp, result);
    }
}

void TPTCustomShellTree::BaseFolderChanged() {
    if (Loading()) return;
    {
        InternalChangeScope internal(this);
        currentFolder_->Clear();
    }
    if (!options_.Contains(ptstoAutoFill)) return;
    selectionMode_ = TSelectionMode::Immediate;
    // Without a window the fill comes when the window is made.
    if (HandleAllocated()) FillTree();
}

void TPTCustomShellTree::CurrentFolderChanged() {
    if (Items().Count() > 0) SelectIdList(currentFolder_->GetIdList());
}

void TPTCustomShellTree::Change(TTreeNode* node) {
    if (hold_.internalChange > 0 || Loading()) {
        if (TPTShTreeData* data = NodeData(node)) {
            InternalChangeScope internal(this);
            currentFolder_->SetIdList(data->AbsoluteIdList());
        }
        return;
    }
    TPTCustomTreeView::Change(node);
    if (!NodeData(node)) return;
    if (selectionMode_ == TSelectionMode::Deferred && HasLinkedView()) {
        timerWork_ = TTimerWork::SelectionUpdate;
        updateTimer_->SetEnabled(false);
        updateTimer_->SetInterval(kSelectionInterval);
        updateTimer_->SetEnabled(true);
        return;
    }
    SelectionUpdate(node);
    selectionMode_ = TSelectionMode::Deferred;
}

void TPTCustomShellTree::SelectionUpdate(TTreeNode* node) {
    TPTShTreeData* data = NodeData(node);
    if (!data) return;
    InternalChangeScope internal(this);
    currentFolder_->SetIdList(data->AbsoluteIdList());
    UpdateLinkedView(node);
}

void TPTCustomShellTree::Clicked() {
    selectionMode_ = TSelectionMode::Immediate;
    TPTCustomTreeView::Clicked();
}

void TPTCustomShellTree::Deleted(TTreeNode* node) {
    TPTShTreeData* data = NodeData(node);
    if (node == lastInserted_) lastInserted_ = nullptr;
    if (node == dragNode_) dragNode_ = nullptr;
    filled_.erase(node);
    struct Free {
        TPTCustomShellTree* tree;
        TPTShTreeData* data;
        ~Free() {
            if (!data) return;
            tree->ownData_.erase(data);
            delete data;
        }
    } free{this, data};
    TPTCustomTreeView::Deleted(node);
    if (data && OnDeleteItem) OnDeleteItem(this, node, data);
}

}  // namespace shell
