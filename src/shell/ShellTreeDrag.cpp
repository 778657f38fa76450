// The shell tree as a drag source and as the host of its drop target.
#include "shell/ShellTree.h"

#include "shell/ShellDropSource.h"

namespace shell {

using ui::TTreeNode;

HWND TPTCustomShellTree::DropWindow() const {
    return HandleAllocated() ? const_cast<TPTCustomShellTree*>(this)->Handle() : nullptr;
}

void TPTCustomShellTree::RegisterDropTarget() {
    if (Designing() || !HandleAllocated()) return;
    registration_.Register(this);
}

void TPTCustomShellTree::RevokeDropTarget() { registration_.Revoke(); }

TDropNode TPTCustomShellTree::DropNodeAt(POINT screen, bool withTopNode) {
    if (!HandleAllocated()) return nullptr;
    POINT client = screen;
    ScreenToClient(Handle(), &client);
    TTreeNode* node = GetNodeAt(client.x, client.y);
    if (!NodeData(node) || (!withTopNode && !node->Parent())) return nullptr;
    return node;
}

HRESULT TPTCustomShellTree::NodeDropTarget(TDropNode node, ui::ComPtr<IDropTarget>& target) {
    target.reset();
    TTreeNode* n = static_cast<TTreeNode*>(node);
    TPTShTreeData* data = NodeData(n);
    if (!data) return E_FAIL;
    if (!n->Parent()) return data->GetUIObject(IID_IDropTarget, target);
    IShellFolder* parent = data->ParentFolder();
    if (!parent) return E_FAIL;
    LPCITEMIDLIST item = data->RelativeIdList();
    return parent->GetUIObjectOf(OwnerWindow(), 1, &item, IID_IDropTarget, nullptr, target.putVoid());
}

ui::String TPTCustomShellTree::NodePath(TDropNode node) {
    TPTShTreeData* data = NodeData(static_cast<TTreeNode*>(node));
    return data ? data->PathName() : ui::String();
}

void TPTCustomShellTree::HighlightDropNode(TDropNode node) {
    if (!HandleAllocated()) return;
    SetDropTarget(node ? static_cast<TTreeNode*>(node) : dragNode_);
}

void TPTCustomShellTree::BeginDragNode(TTreeNode* node, ui::TMouseButton button) {
    if (!options_.Contains(ptstoOleDrag) || Designing()) return;
    TPTShTreeData* data = NodeData(node);
    TPTShTreeData* parentData = node ? NodeData(node->Parent()) : nullptr;
    if (!data || !parentData) return;
    {
        struct Drag {
            TPTCustomShellTree* tree;
            ~Drag() {
                tree->hold_.dragging = false;
                tree->dragNode_ = nullptr;
                if (tree->HandleAllocated()) tree->SetDropTarget(nullptr);
            }
        } drag{this};
        hold_.dragging = true;
        dragNode_ = node;
        SetDropTarget(node);
        DragShellItem(data->ParentFolder(), parentData->AbsoluteIdList(), data->RelativeIdList(),
                      button == ui::TMouseButton::mbRight ? MK_RBUTTON : MK_LBUTTON);
    }
    // What changed during the drag, the drop itself too, is refreshed once.
    RunPendingFill();
}

}  // namespace shell
