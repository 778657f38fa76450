#pragma once
// TPTShTreeData: what a shell tree keeps for one node: its item relative to the parent
// node's folder, and, built when first asked for, the item's absolute ID list and its own
// folder. Both lists come from the allocator given at Init and go back to it.
#include <windows.h>
#include <shlobj.h>

#include "shell/IdList.h"
#include "ui/Component.h"
#include "ui/Handles.h"
#include "ui/Types.h"

namespace shell {

class EPTShTreeData : public ui::Exception {
public:
    using ui::Exception::Exception;
};

// The attributes CanRename asks for.
constexpr ULONG kRenameAttributeMask = 0x40000177;

class TPTShTreeData {
public:
    explicit TPTShTreeData(ui::TComponent* owner) : owner_(owner) {}
    ~TPTShTreeData();
    TPTShTreeData(const TPTShTreeData&) = delete;
    TPTShTreeData& operator=(const TPTShTreeData&) = delete;

    // Keeps the allocator (none: the process-wide one) and the parent's data (none for the
    // top node), takes a copy of `relativeList` (for the top node the base folder's
    // absolute list, none for the desktop) and forgets any cache.
    void Init(TPTShTreeData* parent, IMalloc* allocator, LPCITEMIDLIST relativeList);

    ui::TComponent* Owner() const { return owner_; }
    TPTShTreeData* Parent() const { return parent_; }
    IMalloc* Allocator() const { return allocator_.get(); }
    LPCITEMIDLIST RelativeIdList() const { return relative_.get(); }

    // The parent's absolute list joined with the relative one (a copy of it for the top
    // node), built on first use; none before Init.
    LPCITEMIDLIST AbsoluteIdList();
    // The item's own folder, bound on first use: the desktop for the empty list, otherwise
    // through the parent's folder (from the desktop for the top node). None when that fails.
    IShellFolder* Folder();
    // The folder a tree binds for its top node, handed over instead of binding it again.
    void SetFolder(IShellFolder* folder);
    // The parent's folder; none for the top node.
    IShellFolder* ParentFolder();

    // The item's file-system path, empty for a virtual item; EPTShTreeData before Init.
    ui::String PathName();
    // A file-system item below a parent that the shell lets rename.
    bool CanRename();
    // An interface of the item's user-interface object (IContextMenu, IDropTarget, ...) as
    // its parent folder gives it; for a desktop top node only IDropTarget, of the desktop's
    // file-system folder.
    HRESULT GetUIObject(REFIID iid, void** object);
    template <class T>
    HRESULT GetUIObject(REFIID iid, ui::ComPtr<T>& object) {
        return GetUIObject(iid, object.putVoid());
    }

    // After a rename: the new relative list replaces the old one; the absolute list is
    // rebuilt at once, the folder when next asked for.
    void SetRelativeIdList(LPCITEMIDLIST list);
    // Forgets the absolute list and the folder; both are built again when asked for.
    void FreeCache();

private:
    ui::TComponent* owner_;
    TPTShTreeData* parent_ = nullptr;
    IdList relative_;
    IdList absolute_;
    ui::ComPtr<IShellFolder> folder_;
    ui::ComPtr<IMalloc> allocator_;
};

}  // namespace shell
