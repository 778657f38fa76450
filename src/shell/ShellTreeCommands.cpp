// The shell tree's item commands: keys, the shell's context menu, rename in place.
#include "shell/ShellTree.h"

#include <functional>

#include "shell/ShellTreeParts.h"
#include "ui/Forms.h"

namespace shell {

using ui::TTreeNode;

void TPTCustomShellTree::PopupHint(const ui::String& hint) {
    if (OnPopupHint) OnPopupHint(this, hint);
}

HRESULT TPTCustomShellTree::InvokeVerb(TTreeNode* node, const char* verb) {
    TPTShTreeData* data = NodeData(node);
    if (!data || !node->Parent() || !verb) return S_FALSE;
    return shell::InvokeVerb(data->ParentFolder(), data->RelativeIdList(), OwnerWindow(), verb, &clipboardCut_,
                             data->PathName());
}

void TPTCustomShellTree::KeyCommand(WORD& key, ui::TShiftState shift) {
    if (!options_.Contains(ptstoDefaultKeyHandling) || IsEditing() || Designing()) return;
    const TPTShellCommand command = ShellCommandOfKey(key, shift);
    if (command == pscNone) return;
    key = 0;
    switch (command) {
        case pscDelete:
        case pscCopy:
        case pscCut:
        case pscPaste:
            InvokeVerb(Selected(), ShellCommandVerb(command));
            break;
        case pscRefresh:
            RefreshTree();
            break;
        case pscRename:
            if (TTreeNode* node = Selected()) node->EditText();
            break;
        default:
            break;  // the list view's select-all: nothing in a tree
    }
}

bool TPTCustomShellTree::ShowItemContextMenu(TTreeNode* node, POINT screen) {
    TPTShTreeData* data = NodeData(node);
    if (!data || !node->Parent() || IdListCount(data->AbsoluteIdList()) == 0 || !HandleAllocated()) return false;
    const UINT flags = ItemMenuFlags(!data->PathName().empty(), ReadOnly());
    const TPTItemMenuChoice choice = shell::ShowItemContextMenu(
        data->ParentFolder(), data->RelativeIdList(), OwnerWindow(), Handle(), screen, flags, this, &clipboardCut_);
    if (choice.rename) node->EditText();
    return true;
}

bool TPTCustomShellTree::ContextMenuRequest(TTreeNode* node, POINT screen) {
    if (!options_.Contains(ptstoContextMenus) || Designing()) return false;
    // With the shell's menus on, a node never gets the ordinary pop-up menu, even one
    // without a shell menu.
    if (NodeData(node)) ShowItemContextMenu(node, screen);
    return true;
}

bool TPTCustomShellTree::CanEdit(TTreeNode* node) {
    if (TPTShTreeData* data = NodeData(node)) {
        if (Designing() || !data->CanRename()) return false;
    }
    return TPTCustomTreeView::CanEdit(node);
}

void TPTCustomShellTree::Edited(TTreeNode* node, ui::String& text) {
    TPTShTreeData* data = NodeData(node);
    if (!data || !node->Parent()) {
        TPTCustomTreeView::Edited(node, text);
        return;
    }
    if (OnEdited) OnEdited(this, node, text);
    // The shell reports its own rename as a change: that one is not refreshed.
    hold_.skipNextNotify = true;
    IdList renamed;
    HRESULT hr = E_FAIL;
    const ui::String oldPath = data->PathName();
    {
        InternalChangeScope internal(this);
        ui::TCursorScope busy;
        IShellFolder* folder = data->ParentFolder();
        hr = RenameItem(folder, OwnerWindow(), data->RelativeIdList(), text, renamed);
        if (SUCCEEDED(hr) && renamed) {
            // Every list below the node names the old path.
            std::function<void(TTreeNode*)> forget = [&](TTreeNode* parent) {
                for (TTreeNode* n = parent->GetFirstChild(); n; n = n->GetNextSibling()) {
                    if (TPTShTreeData* d = NodeData(n)) d->FreeCache();
                    forget(n);
                }
            };
            forget(node);
            data->SetRelativeIdList(renamed.get());
            // The name the shell gave, which need not be the one typed.
            const ui::String shown = GetDisplayName(folder, data->RelativeIdList(), dnInFolder);
            node->SetText(shown.empty() ? text : shown);
            currentFolder_->SetIdList(data->AbsoluteIdList());
        }
    }
    // No change comes of a refused rename: a later one is not to be swallowed.
    if (FAILED(hr) || !renamed) {
        hold_.skipNextNotify = false;
        return;
    }
    if (OnItemRenamed) OnItemRenamed(this, oldPath, data->PathName());
}

void TPTCustomShellTree::EditEnded(TTreeNode* node) {
    TPTCustomTreeView::EditEnded(node);
    // The edit box goes only after this notice: the held-back fill runs after it.
    if (hold_.pending && HandleAllocated()) PostMessageA(Handle(), WM_SHELLTREE_PENDING, 0, 0);
}

}  // namespace shell
