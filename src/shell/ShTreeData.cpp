#include "shell/ShTreeData.h"

#include "shell/ShellModule.h"

namespace shell {

TPTShTreeData::~TPTShTreeData() {
    folder_.reset();
    absolute_.reset();
    relative_.reset();
    allocator_.reset();
}

void TPTShTreeData::Init(TPTShTreeData* parent, IMalloc* allocator, LPCITEMIDLIST relativeList) {
    if (!allocator) allocator = ShellAllocator();
    IdList relative = CopyIdList(allocator, relativeList);
    folder_.reset();
    absolute_.reset();
    relative_ = std::move(relative);
    parent_ = parent;
    if (allocator) allocator->AddRef();
    allocator_.attach(allocator);
}

LPCITEMIDLIST TPTShTreeData::AbsoluteIdList() {
    if (!allocator_) return nullptr;
    if (!absolute_) {
        absolute_ = parent_ ? ConcatIdLists(allocator_.get(), parent_->AbsoluteIdList(), relative_.get())
                            : CopyIdList(allocator_.get(), relative_.get());
    }
    return absolute_.get();
}

IShellFolder* TPTShTreeData::Folder() {
    if (folder_ || !allocator_) return folder_.get();
    const LPCITEMIDLIST absolute = AbsoluteIdList();
    if (IdListCount(absolute) == 0) {
        if (FAILED(SHGetDesktopFolder(folder_.put()))) folder_.reset();
    } else if (parent_) {
        IShellFolder* parentFolder = parent_->Folder();
        if (parentFolder &&
            FAILED(parentFolder->BindToObject(relative_.get(), nullptr, IID_IShellFolder, folder_.putVoid())))
            folder_.reset();
    } else {
        BindToIdList(absolute, folder_);
    }
    return folder_.get();
}

void TPTShTreeData::SetFolder(IShellFolder* folder) {
    if (folder) folder->AddRef();
    folder_.attach(folder);
}

IShellFolder* TPTShTreeData::ParentFolder() { return parent_ ? parent_->Folder() : nullptr; }

ui::String TPTShTreeData::PathName() {
    if (!allocator_) throw EPTShTreeData("TPTShTreeData not initialised");
    return PathFromIdList(AbsoluteIdList());
}

bool TPTShTreeData::CanRename() {
    if (!parent_ || IdListCount(AbsoluteIdList()) == 0) return false;
    IShellFolder* parentFolder = ParentFolder();
    if (!parentFolder) return false;
    LPCITEMIDLIST item = relative_.get();
    ULONG attributes = kRenameAttributeMask;
    if (FAILED(parentFolder->GetAttributesOf(1, &item, &attributes))) return false;
    const ULONG wanted = SFGAO_FILESYSTEM | SFGAO_CANRENAME;
    return (attributes & kRenameAttributeMask & wanted) == wanted;
}

HRESULT TPTShTreeData::GetUIObject(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!allocator_) return E_UNEXPECTED;
    if (parent_) {
        IShellFolder* parentFolder = ParentFolder();
        if (!parentFolder) return E_FAIL;
        LPCITEMIDLIST item = relative_.get();
        return parentFolder->GetUIObjectOf(nullptr, 1, &item, iid, nullptr, object);
    }
    const LPCITEMIDLIST absolute = AbsoluteIdList();
    // The desktop has no parent to ask: its file-system folder takes the drops.
    if (IdListCount(absolute) == 0 && !IsEqualIID(iid, IID_IDropTarget)) return E_NOINTERFACE;
    ui::ComPtr<IShellFolder> parentFolder;
    IdList parentList, last;
    const HRESULT hr = SplitIdList(absolute, parentFolder, parentList, last);
    if (FAILED(hr)) return hr;
    LPCITEMIDLIST item = last.get();
    return parentFolder->GetUIObjectOf(nullptr, 1, &item, iid, nullptr, object);
}

void TPTShTreeData::SetRelativeIdList(LPCITEMIDLIST list) {
    absolute_.reset();
    relative_.reset();
    folder_.reset();
    relative_ = CopyIdList(allocator_.get(), list);
    AbsoluteIdList();
}

void TPTShTreeData::FreeCache() {
    absolute_.reset();
    folder_.reset();
}

}  // namespace shell
