// The shell tree's fills: the top node, and a folder's items when it is first expanded.
#include "shell/ShellTree.h"

#include "shell/ShellTreeParts.h"
#include "ui/ComError.h"
#include "ui/Forms.h"
#include "ui/SysUtils.h"

namespace shell {

using ui::TTreeNode;

HRESULT ForEachItem(IEnumIDList* items, IMalloc* allocator, const std::function<void(const IdList&)>& each) {
    if (!items) return S_FALSE;
    for (;;) {
        LPITEMIDLIST raw = nullptr;
        ULONG fetched = 0;
        const HRESULT hr = items->Next(1, &raw, &fetched);
        IdList item(allocator, raw);
        if (hr != S_OK) return hr;
        if (item) each(item);
    }
}

void TPTCustomShellTree::FillTree() {
    if (hold_.dragging || IsEditing()) {
        hold_.pending = true;
        return;
    }
    ui::TCursorScope busy;
    {
        InternalChangeScope internal(this);
        SetSelected(nullptr);
        Items().Clear();
    }
    // A base folder the shell cannot find or open (a user folder whose setting names no folder)
    // leaves the tree empty, as a folder that cannot be listed shows nothing: the system's
    // text for it would tell the user nothing. A special folder not found is not the desktop.
    ui::ComPtr<IShellFolder> folder;
    LPCITEMIDLIST base = baseFolder_->GetIdList();
    if (!base && baseFolder_->Kind() == lkSpecialFolder && baseFolder_->SpecialFolder() != CSIDL_DESKTOP) return;
    const HRESULT bound = base ? BindToIdList(base, folder) : SHGetDesktopFolder(folder.put());
    if (FAILED(bound) || !folder) return;
    FillNode(folder.get(), nullptr);
    if (LPCITEMIDLIST current = currentFolder_->GetIdList()) SelectIdList(current);
    else SetSelected(Items().GetFirstNode());
    folder.reset();
    if (options_.Contains(ptstoDynamicRefresh) && !Designing()) StartChangeWatch();
}

void TPTCustomShellTree::FillNode(IShellFolder* folder, TTreeNode* parentNode) {
    FillNotices complete(this);
    ui::ComPtr<IMalloc> allocator;
    ui::OleCheck(SHGetMalloc(allocator.put()));
    ui::TTreeUpdateLock lock(Items());
    const bool rootFill = parentNode == nullptr;
    LPCITEMIDLIST parentList = nullptr;
    if (rootFill) {
        // The top node: the base folder itself, named as its parent names it.
        const IdList base = CopyIdList(allocator.get(), baseFolder_->GetIdList());
        const ui::String text = DisplayNameOfAbs(base.get());
        std::unique_ptr<TPTShTreeData> data(new TPTShTreeData(this));
        data->Init(nullptr, allocator.get(), base.get());
        data->SetFolder(folder);
        parentList = data->AbsoluteIdList();
        parentNode = AddDataNode(nullptr, text, std::move(data));
        lastInserted_ = parentNode;
    } else {
        TPTShTreeData* data = NodeData(parentNode);
        if (!data) return;
        parentList = data->AbsoluteIdList();
    }
    ui::ComPtr<IEnumIDList> items;
    HRESULT hr = folder->EnumObjects(GetActiveWindow(), EnumFlags(), items.put());
    if (FAILED(hr)) {
        // Kept expandable, so that the user can try again (a drive without a disk).
        parentNode->SetHasChildren(true);
        complete.Raise();
        return;
    }
    hr = ForEachItem(items.get(), allocator.get(), [&](const IdList& item) {
        ui::OleCheck(AddShellItem(folder, item.get(), parentNode, parentList));
    });
    filled_.insert(parentNode);
    if (!parentNode->GetFirstChild()) parentNode->SetHasChildren(false);
    SortChildren(parentNode);
    if (rootFill) parentNode->Expand(false);
    if (FAILED(hr)) ui::OleCheck(hr);
    complete.Raise();
}

bool TPTCustomShellTree::DoAddItem(IShellFolder* parentFolder, LPCITEMIDLIST parentAbsIdList, ULONG attributes,
                                   LPCITEMIDLIST itemRelIdList) {
    BOOL allow = kAddItemUndecided;
    if (OnAddItem) OnAddItem(this, parentFolder, parentAbsIdList, itemRelIdList, attributes, allow);
    return allow != 0;
}

HRESULT TPTCustomShellTree::AddShellItem(IShellFolder* folder, LPCITEMIDLIST item, TTreeNode* parentNode,
                                         LPCITEMIDLIST parentAbsIdList) {
    if (!folder || !item) return E_INVALIDARG;
    ULONG attributes = kAddItemAttributeMask;
    const HRESULT hr = folder->GetAttributesOf(1, &item, &attributes);
    if (FAILED(hr)) return hr;
    // The shell may answer bits that were not asked for.
    attributes &= kAddItemAttributeMask;
    const bool eligible = options_.Contains(ptstoVirtualFolders) ||
                          (attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)) != 0;
    if (!eligible || !DoAddItem(folder, parentAbsIdList, attributes, item)) return S_OK;
    const ui::String text = GetDisplayName(folder, item, dnInFolder);
    TPTShTreeData* parentData = NodeData(parentNode);
    std::unique_ptr<TPTShTreeData> data(new TPTShTreeData(this));
    data->Init(parentData, parentData ? parentData->Allocator() : nullptr, item);
    TTreeNode* node = AddDataNode(parentNode, text, std::move(data));
    if (ShowsChildren(attributes)) node->SetHasChildren(true);
    if (attributes & SFGAO_SHARE) node->SetOverlayIndex(kShareOverlay);
    else if (attributes & SFGAO_LINK) node->SetOverlayIndex(kLinkOverlay);
    if (attributes & SFGAO_HIDDEN) node->SetCut(true);
    lastInserted_ = node;
    if (OnInsertItem) OnInsertItem(this, node);
    return S_OK;
}

TTreeNode* TPTCustomShellTree::AddDataNode(TTreeNode* parent, const ui::String& text,
                                           std::unique_ptr<TPTShTreeData> data) {
    ownData_.insert(data.get());
    TTreeNode* node = nullptr;
    try {
        node = Items().AddChildObject(parent, text, data.get());
    } catch (...) {
        ownData_.erase(data.get());
        throw;
    }
    data.release();
    return node;
}

void TPTCustomShellTree::SortChildren(TTreeNode* node) {
    CustomSort(
        [this](TTreeNode* a, TTreeNode* b) {
            TPTShTreeData* first = NodeData(a);
            TPTShTreeData* second = NodeData(b);
            if (!first || !second) return 0;
            IShellFolder* folder = first->ParentFolder();
            if (!folder) return 0;
            const HRESULT hr = folder->CompareIDs(0, first->RelativeIdList(), second->RelativeIdList());
            return SUCCEEDED(hr) ? CompareIDsOrder(hr) : 0;
        },
        node);
}

bool TPTCustomShellTree::CanExpand(TTreeNode* node) {
    if (expandLocked_ || !TPTCustomTreeView::CanExpand(node)) return false;
    if (!node->GetFirstChild() && node->HasChildren()) {
        if (TPTShTreeData* data = NodeData(node)) {
            ui::TCursorScope busy;
            // A folder that cannot be bound keeps its button and shows nothing.
            if (IShellFolder* folder = data->Folder()) FillNode(folder, node);
        }
    }
    return true;
}

DWORD TPTCustomShellTree::EnumFlags() const {
    DWORD flags = SHCONTF_FOLDERS;
    if (options_.Contains(ptstoShowHidden)) flags |= SHCONTF_INCLUDEHIDDEN;
    if (options_.Contains(ptstoIncludeNonFolders)) flags |= SHCONTF_NONFOLDERS;
    return flags;
}

bool TPTCustomShellTree::ShowsChildren(ULONG attributes) const {
    const ULONG bits = attributes & (SFGAO_FOLDER | SFGAO_HASSUBFOLDER);
    return options_.Contains(ptstoIncludeNonFolders) ? bits != 0 : bits == (SFGAO_FOLDER | SFGAO_HASSUBFOLDER);
}

}  // namespace shell
