// The shell tree kept in step with the disk: change notices, refreshes, selecting a list.
#include "shell/ShellTree.h"

#include <algorithm>
#include <string>
#include <unordered_set>

#include "shell/ShellTreeParts.h"
#include "ui/ComError.h"
#include "ui/Forms.h"
#include "ui/SysUtils.h"

namespace shell {

using ui::TTreeNode;

namespace {

constexpr unsigned kChangeInterval = 400;    // the tree has the focus

constexpr unsigned kIdleChangeInterval = 2000;

bool SameItem(IShellFolder* folder, LPCITEMIDLIST a, LPCITEMIDLIST b) {
    const HRESULT hr = folder->CompareIDs(0, a, b);
    return SUCCEEDED(hr) && CompareIDsOrder(hr) == 0;
}

// The bytes of a relative list, as a key for the exact-match search of a refresh.
std::string KeyOf(LPCITEMIDLIST list) {
    return std::string(reinterpret_cast<const char*>(list), IdListSize(list));
}

// An item's name within its folder as the shell parses it, in capitals (file names match
// in any letter case): one item a name. Empty when the folder gives none.
std::string NameKeyOf(IShellFolder* folder, LPCITEMIDLIST item) {
    STRRET name = {};
    if (FAILED(folder->GetDisplayNameOf(item, SHGDN_INFOLDER | SHGDN_FORPARSING, &name))) return {};
    return ui::AnsiUpperCase(StrRetToText(item, name));
}

// Whether a folder holds an entry the tree would list now, read from the disk: a subfolder,
// or any file too with `files`; hidden ones only with `hidden`.
bool HasEntryOnDisk(const ui::String& path, bool files, bool hidden) {
    WIN32_FIND_DATAA found;
    ui::FindHandle find(FindFirstFileA((AppendCharIfMissing(path, '\\') + "*").c_str(), &found));
    if (!find) return false;
    do {
        if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0) continue;
        if (!hidden && (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN)) continue;
        if (files || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
    } while (FindNextFileA(find.get(), &found));
    return false;
}

}  // namespace

void TPTCustomShellTree::TimerStep() {
    updateTimer_->SetEnabled(false);
    const TTimerWork work = timerWork_;
    timerWork_ = TTimerWork::None;
    if (work == TTimerWork::SelectionUpdate) {
        if (TTreeNode* node = Selected(); NodeData(node)) SelectionUpdate(node);
    } else if (work == TTimerWork::Refresh) {
        RefreshTree();
    }
}

void TPTCustomShellTree::ChangeNotified() {
    if (hold_.skipNextNotify || hold_.dragging) {
        // A change seen during a drag from here is refreshed once the drag is over.
        if (hold_.dragging && !hold_.skipNextNotify) hold_.pending = true;
        hold_.skipNextNotify = false;
        return;
    }
    timerWork_ = TTimerWork::Refresh;
    updateTimer_->SetEnabled(false);
    updateTimer_->SetInterval(Focused() ? kChangeInterval : kIdleChangeInterval);
    updateTimer_->SetEnabled(true);
}

void TPTCustomShellTree::RefreshTree() {
    if (hold_.dragging || IsEditing()) {
        hold_.pending = true;
        return;
    }
    if (Items().Count() == 0) {
        FillTree();
        return;
    }
    ++refreshCount_;
    ui::TCursorScope busy;
    FillNotices complete(this);
    ui::ComPtr<IMalloc> allocator;
    ui::OleCheck(SHGetMalloc(allocator.put()));
    TTreeNode* remembered = Selected();
    {
        ui::TTreeUpdateLock lock(Items());
        InternalChangeScope internal(this);
        SetSelected(nullptr);
        if (TTreeNode* top = Items().GetFirstNode()) SyncNode(top, remembered, allocator.get());
    }
    selectionMode_ = TSelectionMode::Immediate;
    if (remembered) SetSelected(remembered);
}

void TPTCustomShellTree::RunPendingFill() {
    if (!hold_.pending || hold_.dragging || IsEditing()) return;
    hold_.pending = false;
    RefreshTree();
}

bool TPTCustomShellTree::ItemGone(IShellFolder* folder, TTreeNode* child, ULONG& attributes) {
    TPTShTreeData* data = NodeData(child);
    LPCITEMIDLIST item = data->RelativeIdList();
    attributes = kSyncAttributeMask;
    if (FAILED(folder->GetAttributesOf(1, &item, &attributes))) return true;
    attributes &= kSyncAttributeMask;
    // Some shells (Wine's) validate a deleted item all the same: a file-system item whose path
    // is no more is gone.
    if (attributes & SFGAO_FILESYSTEM) {
        const ui::String path = PathFromIdList(data->AbsoluteIdList());
        if (!path.empty() && GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    }
    return false;
}

void TPTCustomShellTree::SyncNode(TTreeNode* node, TTreeNode*& remembered, IMalloc* allocator) {
    if (!node->GetFirstChild() && node != remembered) return;
    TPTShTreeData* data = NodeData(node);
    IShellFolder* folder = data ? data->Folder() : nullptr;
    if (!folder) return;
    // The items still there, by their exact bytes and as lists for the shell's comparison.
    std::unordered_set<std::string> knownBytes;
    std::vector<IdList> known;
    for (TTreeNode* child = node->GetFirstChild(); child;) {
        TTreeNode* next = child->GetNextSibling();
        TPTShTreeData* childData = NodeData(child);
        if (!childData) {
            child = next;
            continue;
        }
        ULONG attributes = 0;
        if (!ItemGone(folder, child, attributes)) {
            known.push_back(CopyIdList(allocator, childData->RelativeIdList()));
            knownBytes.insert(KeyOf(known.back().get()));
            if (!child->GetFirstChild() && ShowsChildren(attributes) && !child->HasChildren() &&
                MayHaveChildren(child))
                child->SetHasChildren(true);
        } else {
            if (child == remembered) remembered = node;
            if (child == node->GetFirstChild() && !next) {
                node->Collapse(false);
                node->DeleteChildren();
            } else {
                child->Delete();
            }
        }
        child = next;
    }
    // New items of every kind the fill lists. An item whose bytes changed (a file written
    // anew) is the same item if its name is: the names are read only once one is needed.
    ui::ComPtr<IEnumIDList> items;
    const HRESULT hr = folder->EnumObjects(OwnerWindow(), EnumFlags(), items.put());
    if (SUCCEEDED(hr) && items) {
        bool added = false, named = false;
        std::unordered_set<std::string> knownNames;
        ForEachItem(items.get(), allocator, [&](const IdList& item) {
            if (knownBytes.count(KeyOf(item.get()))) return;
            if (!named) {
                for (const IdList& k : known) knownNames.insert(NameKeyOf(folder, k.get()));
                named = true;
            }
            const std::string name = NameKeyOf(folder, item.get());
            const bool seen = !name.empty() ? knownNames.count(name) != 0
                                            : std::any_of(known.begin(), known.end(), [&](const IdList& k) {
                                                  return SameItem(folder, k.get(), item.get());
                                              });
            if (seen) return;
            AddShellItem(folder, item.get(), node, data->AbsoluteIdList());
            added = true;
            known.push_back(CopyIdList(allocator, item.get()));
            knownNames.insert(name);
        });
        if (added) SortChildren(node);
    }
    known.clear();
    for (TTreeNode* child = node->GetFirstChild(); child;) {
        TTreeNode* next = child->GetNextSibling();
        SyncNode(child, remembered, allocator);
        child = next;
    }
}

bool TPTCustomShellTree::MayHaveChildren(TTreeNode* node) {
    // A folder already listed and found empty is asked again only where the disk says it
    // now holds something to list: some shells (Wine's) mark every folder as having subfolders.
    if (!filled_.count(node)) return true;
    TPTShTreeData* data = NodeData(node);
    const ui::String path = data ? PathFromIdList(data->AbsoluteIdList()) : ui::String();
    return path.empty() || HasEntryOnDisk(path, options_.Contains(ptstoIncludeNonFolders),
                                          options_.Contains(ptstoShowHidden));
}

TTreeNode* TPTCustomShellTree::FindChild(TTreeNode* parent, LPCITEMIDLIST item) {
    TPTShTreeData* data = NodeData(parent);
    IShellFolder* folder = data ? data->Folder() : nullptr;
    if (!folder) return nullptr;
    for (TTreeNode* child = parent->GetFirstChild(); child; child = child->GetNextSibling()) {
        TPTShTreeData* childData = NodeData(child);
        if (childData && SameItem(folder, childData->RelativeIdList(), item)) return child;
    }
    return nullptr;
}

void TPTCustomShellTree::SelectIdList(LPCITEMIDLIST absIdList) {
    if (hold_.internalChange > 0) return;
    selectionMode_ = TSelectionMode::Immediate;
    // Our own copy: the list given may be the current folder's, which the selection replaces.
    const IdList held = absIdList ? CopyIdList(nullptr, absIdList) : IdList();
    absIdList = held.get();
    TTreeNode* top = Items().GetFirstNode();
    while (top && !NodeData(top)) top = top->GetNextSibling();
    if (!top) return;
    LPCITEMIDLIST base = baseFolder_->GetIdList();
    TPTIdListArray baseItems(base), target(absIdList);
    const int baseDepth = baseItems.Count(), depth = target.Count();
    if (depth == 0) {
        SetSelected(top);
        return;
    }
    if (depth <= baseDepth) {
        SetSelected(top);
        top->Expand(false);
        return;
    }
    // Only a path below the base folder can be placed in this tree.
    if (baseDepth > 0 && CompareAbsIdLists(target.ParentList(depth - baseDepth), base) != 0) {
        MessageBeep(static_cast<UINT>(-1));
        return;
    }
    TTreeNode* node = top;
    node->Expand(false);
    for (int i = baseDepth; i < depth; ++i) {
        LPCITEMIDLIST item = target.Item(i);
        TTreeNode* child = FindChild(node, item);
        if (!child) {
            TPTShTreeData* data = NodeData(node);
            IShellFolder* folder = data ? data->Folder() : nullptr;
            lastInserted_ = nullptr;
            const HRESULT hr = folder ? AddShellItem(folder, item, node, data->AbsoluteIdList()) : E_FAIL;
            if (FAILED(hr) || !lastInserted_) {
                MessageBeep(static_cast<UINT>(-1));
                return;
            }
            child = lastInserted_;
        }
        if (i + 1 < depth) child->Expand(false);
        node = child;
    }
    SetSelected(node);
}

}  // namespace shell
