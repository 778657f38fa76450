#include "shell/ShellTree.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <unordered_set>

#include "shell/ShellDropSource.h"
#include "shell/ShellModule.h"
#include "ui/ComError.h"
#include "ui/Forms.h"
#include "ui/Guard.h"
#include "ui/SysUtils.h"

namespace shell {

using ui::TTreeNode;

namespace {

// The overlay images of the shared-hand and the shortcut arrow (index + 1 in the state).
constexpr int kShareOverlay = 0;
constexpr int kLinkOverlay = 1;
constexpr unsigned kChangeInterval = 400;    // the tree has the focus
constexpr unsigned kIdleChangeInterval = 2000;
constexpr unsigned kSelectionInterval = 500;

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

// The drive part of a path: "C:" or "\\server\share"; empty when it has none.
ui::String DriveOf(const ui::String& path) {
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        size_t share = path.find('\\', 2);
        if (share == ui::String::npos) return {};
        size_t end = path.find('\\', share + 1);
        return path.substr(0, end);
    }
    return {};
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

// Some systems never draw an overlay from the shell's image list, although the list takes the
// overlay images (Wine). Found out once, by drawing the shortcut overlay over an image and
// comparing with the image alone.
bool SystemListDrawsOverlays(HIMAGELIST list) {
    static int answer = -1;
    if (answer >= 0) return answer != 0;
    answer = 1;
    if (!list || ImageList_GetImageCount(list) < 1) return true;
    int cx = 16, cy = 16;
    ImageList_GetIconSize(list, &cx, &cy);
    ui::WindowDC screen(nullptr);
    ui::MemDcHandle dc(CreateCompatibleDC(screen.get()));
    ui::BitmapHandle bitmap(CreateCompatibleBitmap(screen.get(), cx * 2, cy));
    if (!dc || !bitmap) return true;
    ui::SelectObjectScope select(dc.get(), bitmap.get());
    RECT all = {0, 0, cx * 2, cy};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(list, 0, dc.get(), 0, 0, ILD_NORMAL);
    ImageList_Draw(list, 0, dc.get(), cx, 0, ILD_NORMAL | INDEXTOOVERLAYMASK(kLinkOverlay + 1));
    bool same = true;
    for (int y = 0; y < cy && same; ++y)
        for (int x = 0; x < cx && same; ++x) same = GetPixel(dc.get(), x, y) == GetPixel(dc.get(), x + cx, y);
    answer = same ? 0 : 1;
    return answer != 0;
}

// The shell's own overlay icons (resources 29 and 30 of its module), loaded once and shared.
HICON OverlayIcon(int overlay) {
    static HICON icons[2] = {};
    static bool loaded[2] = {};
    if (overlay < 0 || overlay > 1) return nullptr;
    if (!loaded[overlay]) {
        loaded[overlay] = true;
        if (HMODULE shell32 = GetModuleHandleA("shell32.dll"))
            icons[overlay] = static_cast<HICON>(
                LoadImageA(shell32, MAKEINTRESOURCEA(29 + overlay), IMAGE_ICON, 16, 16, LR_SHARED));
    }
    return icons[overlay];
}

// Calls `each` with every item the enumerator gives, in its order; the answer of the last
// request (S_FALSE at the end of the list, or no enumerator).
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

}  // namespace

// ---- TPTCustomTreeView

TPTCustomTreeView::TPTCustomTreeView(ui::TComponent* owner) : ui::TTreeView(owner) {}

TPTCustomTreeView::~TPTCustomTreeView() { shownMenu_.reset(); }

void TPTCustomTreeView::SetShownContextMenu(IContextMenu* menu) {
    if (menu) menu->AddRef();
    shownMenu_.attach(menu);
}

bool TPTCustomTreeView::Notify(NMHDR* header, LRESULT& result) {
    switch (header->code) {
        case NM_CUSTOMDRAW: {
            auto* cd = reinterpret_cast<NMTVCUSTOMDRAW*>(header);
            const DWORD stage = cd->nmcd.dwDrawStage;
            result = CDRF_DODEFAULT;
            if (stage == CDDS_PREPAINT) {
                if (WantsItemDraw()) result = CDRF_NOTIFYITEMDRAW;
            } else if (stage == CDDS_ITEMPREPAINT || stage == CDDS_ITEMPOSTPAINT) {
                TTreeNode* node = cd->nmcd.lItemlParam ? reinterpret_cast<TTreeNode*>(cd->nmcd.lItemlParam)
                                                       : Items().NodeFromItem(reinterpret_cast<HTREEITEM>(cd->nmcd.dwItemSpec));
                TPTCustomDraw draw;
                draw.Info = cd;
                draw.Stage = stage;
                draw.DC = cd->nmcd.hdc;
                draw.Rect = cd->nmcd.rc;
                draw.ItemState = cd->nmcd.uItemState;
                if (node) CustomDrawItem(draw, node);
                result = draw.Result;
            }
            return true;
        }
        case NM_RCLICK: {
            const DWORD pos = GetMessagePos();
            POINT screen = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
            POINT client = screen;
            ScreenToClient(Handle(), &client);
            TTreeNode* node = GetNodeAt(client.x, client.y);
            result = node && ContextMenuRequest(node, screen) ? 1 : 0;
            return true;
        }
        case TVN_BEGINDRAGA:
        case TVN_BEGINDRAGW:
        case TVN_BEGINRDRAGA:
        case TVN_BEGINRDRAGW: {
            auto* tv = reinterpret_cast<NMTREEVIEWA*>(header);
            TTreeNode* node = Items().NodeFromItem(tv->itemNew.hItem);
            const bool right = header->code == TVN_BEGINRDRAGA || header->code == TVN_BEGINRDRAGW;
            if (node) BeginDragNode(node, right ? ui::TMouseButton::mbRight : ui::TMouseButton::mbLeft);
            return true;
        }
        default:
            return false;
    }
}

bool TPTCustomTreeView::MenuMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    return ItemMenuMessage(ShownContextMenu(), msg, wp, lp, result, this);
}

void TPTCustomTreeView::KeyDown(WORD& key, ui::TShiftState shift) {
    ui::TTreeView::KeyDown(key, shift);
    if (key == 0) return;
    const ui::TShiftState mods = shift & (ui::ssShift | ui::ssCtrl | ui::ssAlt);
    if ((key == VK_APPS && mods == 0) || (key == VK_F10 && mods == ui::ssShift)) {
        if (TTreeNode* node = Selected()) {
            RECT r = node->DisplayRect(true);
            POINT p = ClientToScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
            if (ContextMenuRequest(node, p)) key = 0;
        }
        return;
    }
    KeyCommand(key, shift);
}

// ---- TPTCustomShellTree

class TPTCustomShellTree::InternalChangeScope {
public:
    explicit InternalChangeScope(TPTCustomShellTree* tree) : tree_(tree) { ++tree_->hold_.internalChange; }
    ~InternalChangeScope() { --tree_->hold_.internalChange; }
    InternalChangeScope(const InternalChangeScope&) = delete;
    InternalChangeScope& operator=(const InternalChangeScope&) = delete;

private:
    TPTCustomShellTree* tree_;
};

// OnFillStart when made, OnFillComplete once: raised on the way out unless already raised.
class TPTCustomShellTree::FillNotices {
public:
    explicit FillNotices(TPTCustomShellTree* tree) : tree_(tree) {
        if (tree_->OnFillStart) tree_->OnFillStart(tree_);
    }
    ~FillNotices() {
        // On the way out of an error: the notice may not raise a second one.
        if (!done_) ui::Guarded([this] { Raise(); });
    }
    FillNotices(const FillNotices&) = delete;
    FillNotices& operator=(const FillNotices&) = delete;
    void Raise() {
        done_ = true;
        if (tree_->OnFillComplete) tree_->OnFillComplete(tree_);
    }

private:
    TPTCustomShellTree* tree_;
    bool done_ = false;
};

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
    changeThread_.reset();
    baseFolder_->OnChange = nullptr;
    currentFolder_->OnChange = nullptr;
}

HWND TPTCustomShellTree::DropWindow() const {
    return HandleAllocated() ? const_cast<TPTCustomShellTree*>(this)->Handle() : nullptr;
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
        } else if (changeThread_) {
            changeThread_->ClearWatches();
            watched_.clear();
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
    changeThread_.reset();
    watched_.clear();
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

void TPTCustomShellTree::Expanded(TTreeNode* node) {
    TPTCustomTreeView::Expanded(node);
    if (changeThread_ && options_.Contains(ptstoDynamicRefresh)) WatchFolder(node);
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

DWORD TPTCustomShellTree::WatchFilter() const {
    DWORD filter = FILE_NOTIFY_CHANGE_DIR_NAME;
    if (options_.Contains(ptstoIncludeNonFolders)) filter |= FILE_NOTIFY_CHANGE_FILE_NAME;
    return filter;
}

void TPTCustomShellTree::StartChangeWatch() {
    if (!changeThread_) changeThread_.reset(new TChangeHandlerThread(Handle(), WM_CHANGENOTIFY));
    changeThread_->ClearWatches();
    watched_.clear();
    const DWORD drives = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(drives & (1u << i))) continue;
        const ui::String root = ui::String(1, static_cast<char>('A' + i)) + ":\\";
        const UINT type = GetDriveTypeA(root.c_str());
        if (type == DRIVE_FIXED || type == DRIVE_REMOTE || type == DRIVE_RAMDISK) AddDriveWatch(root);
    }
    // The base folder and the expanded folders on their own, within the slots the drives leave.
    for (TTreeNode* node = Items().GetFirstNode(); node; node = node->GetNext())
        if (node->Expanded() || !node->Parent()) WatchFolder(node);
}

void TPTCustomShellTree::AddDriveWatch(const ui::String& path) {
    if (!changeThread_) changeThread_.reset(new TChangeHandlerThread(Handle(), WM_CHANGENOTIFY));
    if (path.empty()) {
        changeThread_->ClearWatches();
        watched_.clear();
        return;
    }
    const ui::String root = AppendCharIfMissing(DriveOf(path), '\\');
    if (root.size() < 2) return;
    if (changeThread_->AddWatch(root, WatchFilter(), true)) watched_.push_back(root);
}

void TPTCustomShellTree::WatchFolder(TTreeNode* node) {
    TPTShTreeData* data = NodeData(node);
    if (!data || !changeThread_) return;
    const ui::String path = PathFromIdList(data->AbsoluteIdList());
    if (path.empty() || std::find(watched_.begin(), watched_.end(), path) != watched_.end()) return;
    if (static_cast<int>(watched_.size()) >= TChangeHandlerThread::SlotCount) return;
    if (changeThread_->AddWatch(path, WatchFilter(), false)) watched_.push_back(path);
}

int TPTCustomShellTree::GetImageIndex(TTreeNode* node) {
    if (node->ImageIndex() >= 0) return node->ImageIndex();
    TPTShTreeData* data = NodeData(node);
    return data ? SysIconIndex(data->AbsoluteIdList(), SHGFI_SMALLICON) : 0;
}

int TPTCustomShellTree::GetSelectedIndex(TTreeNode* node) {
    if (node->SelectedIndex() >= 0) return node->SelectedIndex();
    TPTShTreeData* data = NodeData(node);
    return data ? SysIconIndex(data->AbsoluteIdList(), SHGFI_SMALLICON | SHGFI_OPENICON) : 0;
}

void TPTCustomShellTree::CustomDrawItem(TPTCustomDraw& draw, TTreeNode* node) {
    TPTShTreeData* data = NodeData(node);
    if (draw.Stage == CDDS_ITEMPREPAINT) {
        if (OnCustomDrawSh) OnCustomDrawSh(this, draw, node, data);
        const bool ownOverlay = node->OverlayIndex() >= 0 && !SystemListDrawsOverlays(Images());
        if (ownOverlay || OnCustomDrawShEx) draw.Result |= CDRF_NOTIFYPOSTPAINT;
        return;
    }
    if (draw.Stage != CDDS_ITEMPOSTPAINT) return;
    if (node->OverlayIndex() >= 0 && !SystemListDrawsOverlays(Images())) DrawOverlay(draw, node);
    if (OnCustomDrawShEx) OnCustomDrawShEx(this, draw, node, data);
}

void TPTCustomShellTree::DrawOverlay(TPTCustomDraw& draw, TTreeNode* node) {
    HICON icon = OverlayIcon(node->OverlayIndex());
    if (!icon || !Images()) return;
    int cx = 16, cy = 16;
    ImageList_GetIconSize(Images(), &cx, &cy);
    const RECT image = node->ImageRect();
    if (IsRectEmpty(&image)) return;
    const int y = image.top + (image.bottom - image.top - cy) / 2;
    DrawIconEx(draw.DC, image.left, y, icon, cx, cy, 0, nullptr, DI_NORMAL);
}

void TPTCustomShellTree::PopupHint(const ui::String& hint) {
    if (OnPopupHint) OnPopupHint(this, hint);
}

// ---- commands

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

// ---- in-place rename

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

void TPTCustomShellTree::RunPendingFill() {
    if (!hold_.pending || hold_.dragging || IsEditing()) return;
    hold_.pending = false;
    RefreshTree();
}

// ---- drag and drop

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
