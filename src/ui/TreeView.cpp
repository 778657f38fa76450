#include "ui/TreeView.h"

#include <cstring>
#include <exception>

namespace ui {

namespace {

// The item state bit of the focused item (the headers no longer name it).
constexpr UINT kItemFocused = 0x0001;

TMouseButton ButtonOfMessage(UINT msg) {
    switch (msg) {
        case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: return TMouseButton::mbRight;
        case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: return TMouseButton::mbMiddle;
        default: return TMouseButton::mbLeft;
    }
}

// A comparison called from inside the native sort: what it raises is kept and raised again
// once the sort has returned.
struct SortContext {
    const TTVCompare* compare;
    std::exception_ptr error;
};

int CALLBACK CompareNodes(LPARAM first, LPARAM second, LPARAM context) {
    auto* c = reinterpret_cast<SortContext*>(context);
    if (c->error) return 0;
    try {
        const int r = (*c->compare)(reinterpret_cast<TTreeNode*>(first), reinterpret_cast<TTreeNode*>(second));
        return r < 0 ? -1 : r > 0 ? 1 : 0;
    } catch (...) {
        c->error = std::current_exception();
        return 0;
    }
}

}  // namespace

// ---- TTreeNode

UINT TTreeNode::State(UINT mask) const {
    if (!item_) return 0;
    return static_cast<UINT>(SendMessageA(tree_->Handle(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item_), mask));
}

void TTreeNode::SetState(UINT state, UINT mask) {
    if (!item_) return;
    TVITEMA item = {};
    item.mask = TVIF_STATE;
    item.hItem = item_;
    item.state = state;
    item.stateMask = mask;
    SendMessageA(tree_->Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void TTreeNode::SetText(const String& text) {
    if (text_ == text) return;
    text_ = text;
    if (!item_) return;
    TVITEMA item = {};
    item.mask = TVIF_TEXT;
    item.hItem = item_;
    item.pszText = const_cast<char*>(text_.c_str());
    SendMessageA(tree_->Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void TTreeNode::UpdateImages() {
    if (!item_) return;
    if (tree_->LazyImages()) {
        // The tree asks again when it next draws the node.
        RECT r = DisplayRect(false);
        if (!IsRectEmpty(&r)) InvalidateRect(tree_->Handle(), &r, TRUE);
        return;
    }
    TVITEMA item = {};
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = item_;
    item.iImage = imageIndex_;
    item.iSelectedImage = selectedIndex_;
    SendMessageA(tree_->Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void TTreeNode::SetImageIndex(int index) {
    if (imageIndex_ == index) return;
    imageIndex_ = index;
    UpdateImages();
}

void TTreeNode::SetSelectedIndex(int index) {
    if (selectedIndex_ == index) return;
    selectedIndex_ = index;
    UpdateImages();
}

void TTreeNode::SetOverlayIndex(int index) {
    if (index < -1 || index > 14) index = -1;
    if (overlayIndex_ == index) return;
    overlayIndex_ = index;
    SetState(INDEXTOOVERLAYMASK(index + 1), TVIS_OVERLAYMASK);
}

bool TTreeNode::Cut() const { return State(TVIS_CUT) & TVIS_CUT; }
void TTreeNode::SetCut(bool cut) {
    if (Cut() != cut) SetState(cut ? TVIS_CUT : 0, TVIS_CUT);
}

bool TTreeNode::DropTarget() const { return State(TVIS_DROPHILITED) & TVIS_DROPHILITED; }
void TTreeNode::SetDropTarget(bool value) {
    if (value) tree_->SetDropTarget(this);
    else if (DropTarget()) tree_->SetDropTarget(nullptr);
}

bool TTreeNode::HasChildren() const {
    if (!item_) return hasChildren_;
    TVITEMA item = {};
    item.mask = TVIF_CHILDREN;
    item.hItem = item_;
    SendMessageA(tree_->Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.cChildren != 0;
}

void TTreeNode::SetHasChildren(bool value) {
    hasChildren_ = value;
    if (!item_) return;
    TVITEMA item = {};
    item.mask = TVIF_CHILDREN;
    item.hItem = item_;
    item.cChildren = value ? 1 : 0;
    SendMessageA(tree_->Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

namespace {
HTREEITEM NextItem(TTreeView* tree, HTREEITEM item, UINT code) {
    if (!tree->HandleAllocated()) return nullptr;
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(tree->Handle(), TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}
}  // namespace

TTreeNode* TTreeNode::Parent() const { return tree_->Items().NodeFromItem(NextItem(tree_, item_, TVGN_PARENT)); }
TTreeNode* TTreeNode::GetFirstChild() const {
    return tree_->Items().NodeFromItem(NextItem(tree_, item_, TVGN_CHILD));
}
TTreeNode* TTreeNode::GetNextSibling() const {
    return tree_->Items().NodeFromItem(NextItem(tree_, item_, TVGN_NEXT));
}
TTreeNode* TTreeNode::GetPrevSibling() const {
    return tree_->Items().NodeFromItem(NextItem(tree_, item_, TVGN_PREVIOUS));
}

TTreeNode* TTreeNode::GetNext() const {
    if (TTreeNode* child = GetFirstChild()) return child;
    for (const TTreeNode* n = this; n; n = n->Parent())
        if (TTreeNode* next = n->GetNextSibling()) return next;
    return nullptr;
}

int TTreeNode::Count() const {
    int n = 0;
    for (HTREEITEM i = NextItem(tree_, item_, TVGN_CHILD); i; i = NextItem(tree_, i, TVGN_NEXT)) ++n;
    return n;
}

int TTreeNode::Level() const {
    int level = 0;
    for (HTREEITEM i = NextItem(tree_, item_, TVGN_PARENT); i; i = NextItem(tree_, i, TVGN_PARENT)) ++level;
    return level;
}

bool TTreeNode::Expanded() const { return State(TVIS_EXPANDED) & TVIS_EXPANDED; }
bool TTreeNode::ExpandedOnce() const { return State(TVIS_EXPANDEDONCE) & TVIS_EXPANDEDONCE; }

void TTreeNode::Expand(bool recurse) {
    if (!Expanded() && tree_->CanExpand(this)) {
        ++tree_->manualExpand_;
        SendMessageA(tree_->Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item_));
        --tree_->manualExpand_;
        if (Expanded()) tree_->Expanded(this);
    }
    if (!recurse) return;
    for (TTreeNode* child = GetFirstChild(); child; child = child->GetNextSibling()) child->Expand(true);
}

void TTreeNode::Collapse(bool recurse) {
    if (Expanded() && tree_->CanCollapse(this)) {
        ++tree_->manualExpand_;
        SendMessageA(tree_->Handle(), TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(item_));
        --tree_->manualExpand_;
        if (!Expanded()) tree_->Collapsed(this);
    }
    if (!recurse) return;
    for (TTreeNode* child = GetFirstChild(); child; child = child->GetNextSibling()) child->Collapse(true);
}

bool TTreeNode::Selected() const { return State(TVIS_SELECTED) & TVIS_SELECTED; }
void TTreeNode::SetSelected(bool value) {
    if (value) tree_->SetSelected(this);
    else if (tree_->Selected() == this) tree_->SetSelected(nullptr);
}

bool TTreeNode::Focused() const { return State(kItemFocused) & kItemFocused; }
void TTreeNode::SetFocused(bool value) { SetState(value ? kItemFocused : 0, kItemFocused); }

RECT TTreeNode::DisplayRect(bool textOnly) const {
    RECT r = {};
    if (!item_) return r;
    // The message takes the item in the rectangle's first bytes.
    HTREEITEM item = item_;
    memcpy(&r, &item, sizeof item);
    if (!SendMessageA(tree_->Handle(), TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(&r))) r = RECT{};
    return r;
}

RECT TTreeNode::ImageRect() const {
    const RECT label = DisplayRect(true);
    if (IsRectEmpty(&label)) return RECT{};
    const int y = (label.top + label.bottom) / 2;
    int left = -1, right = -1;
    // An image is at most this wide; the scan stops where it ends.
    const int widest = 64;
    for (int x = label.left - 1; x >= 0 && label.left - x <= widest; --x) {
        if (tree_->GetHitTestInfoAt(x, y) & TVHT_ONITEMICON) {
            if (right < 0) right = x;
            left = x;
        } else if (right >= 0) {
            break;
        }
    }
    if (right < 0) return RECT{};
    return RECT{left, label.top, right + 1, label.bottom};
}

void TTreeNode::MakeVisible() {
    if (item_) SendMessageA(tree_->Handle(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item_));
}

bool TTreeNode::EditText() {
    if (!item_) return false;
    tree_->SetFocus();
    return SendMessageA(tree_->Handle(), TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(item_)) != 0;
}

void TTreeNode::Delete() {
    // The native deletion's notification frees this object.
    if (item_) SendMessageA(tree_->Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item_));
}

void TTreeNode::DeleteChildren() {
    TTreeUpdateLock lock(tree_->Items());
    for (TTreeNode* child = GetFirstChild(); child;) {
        TTreeNode* next = child->GetNextSibling();
        child->Delete();
        child = next;
    }
}

// ---- TTreeNodes

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const String& text) {
    return AddChildObject(parent, text, nullptr);
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* parent, const String& text, void* data) {
    auto* node = new TTreeNode(tree_);
    if (tree_->lazyImages_) node->imageIndex_ = node->selectedIndex_ = -1;
    node->text_ = text;
    node->data_ = data;
    try {
        tree_->CreateItem(node, parent);
    } catch (...) {
        delete node;
        throw;
    }
    ++count_;
    return node;
}

void TTreeNodes::Clear() {
    if (!tree_->HandleAllocated() || count_ == 0) return;
    TTreeUpdateLock lock(*this);
    SendMessageA(tree_->Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
}

TTreeNode* TTreeNodes::GetFirstNode() const { return NodeFromItem(NextItem(tree_, nullptr, TVGN_ROOT)); }

TTreeNode* TTreeNodes::NodeFromItem(HTREEITEM item) const {
    if (!item || !tree_->HandleAllocated()) return nullptr;
    TVITEMA tv = {};
    tv.mask = TVIF_PARAM;
    tv.hItem = item;
    if (!SendMessageA(tree_->Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv))) return nullptr;
    return reinterpret_cast<TTreeNode*>(tv.lParam);
}

void TTreeNodes::BeginUpdate() {
    if (updateCount_++ == 0 && tree_->HandleAllocated()) SendMessageA(tree_->Handle(), WM_SETREDRAW, FALSE, 0);
}

void TTreeNodes::EndUpdate() {
    if (updateCount_ == 0) return;
    if (--updateCount_ == 0 && tree_->HandleAllocated()) {
        SendMessageA(tree_->Handle(), WM_SETREDRAW, TRUE, 0);
        InvalidateRect(tree_->Handle(), nullptr, TRUE);
    }
}

// ---- TTreeView

TTreeView::TTreeView(TComponent* owner) : TWinControl(owner), nodes_(this) {
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
    SetColor(clWindow);
}

TTreeView::~TTreeView() { DestroyHandle(); }

DWORD TTreeView::TreeStyle() const {
    DWORD s = extraStyle_;
    if (showRoot_) s |= TVS_LINESATROOT;
    if (showButtons_) s |= TVS_HASBUTTONS;
    if (showLines_) s |= TVS_HASLINES;
    if (!readOnly_) s |= TVS_EDITLABELS;
    if (!hideSelection_) s |= TVS_SHOWSELALWAYS;
    return s;
}

void TTreeView::CreateParams(TCreateParams& params) {
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    TWinControl::CreateParams(params);
    params.ClassName = WC_TREEVIEWA;
    params.OwnClass = false;
    params.Style |= TreeStyle();
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TTreeView::HandleCreated() {
    HWND wnd = Handle();
    if (indent_ >= 0) SendMessageA(wnd, TVM_SETINDENT, indent_, 0);
    if (images_) SendMessageA(wnd, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images_));
    if (stateImages_) SendMessageA(wnd, TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(stateImages_));
    if (nodes_.updateCount_ > 0) SendMessageA(wnd, WM_SETREDRAW, FALSE, 0);
}

void TTreeView::HandleDestroying() {
    // Every node goes through its deletion step while the window can still tell about it.
    if (nodes_.count_ > 0) SendMessageA(Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
}

void TTreeView::ApplyStyle() {
    if (!HandleAllocated()) return;
    const DWORD mask = TVS_LINESATROOT | TVS_HASBUTTONS | TVS_HASLINES | TVS_EDITLABELS | TVS_SHOWSELALWAYS |
                       managedStyle_;
    LONG_PTR style = GetWindowLongPtrA(Handle(), GWL_STYLE);
    const LONG_PTR wanted = (style & ~static_cast<LONG_PTR>(mask)) | TreeStyle();
    if (wanted == style) return;
    SetWindowLongPtrA(Handle(), GWL_STYLE, wanted);
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TTreeView::SetStyleFlag(DWORD flag, bool on) {
    managedStyle_ |= flag;
    const DWORD old = extraStyle_;
    if (on) extraStyle_ |= flag;
    else extraStyle_ &= ~flag;
    if (extraStyle_ != old) ApplyStyle();
}

namespace {
// Stores a style property; false when it already had the value.
bool Store(bool& field, bool value) {
    if (field == value) return false;
    field = value;
    return true;
}
}  // namespace

void TTreeView::SetShowRoot(bool v) {
    if (Store(showRoot_, v)) ApplyStyle();
}
void TTreeView::SetShowButtons(bool v) {
    if (Store(showButtons_, v)) ApplyStyle();
}
void TTreeView::SetShowLines(bool v) {
    if (Store(showLines_, v)) ApplyStyle();
}
void TTreeView::SetReadOnly(bool v) {
    if (Store(readOnly_, v)) ApplyStyle();
}
void TTreeView::SetHideSelection(bool v) {
    if (Store(hideSelection_, v)) ApplyStyle();
}

int TTreeView::Indent() const {
    if (HandleAllocated())
        return static_cast<int>(SendMessageA(const_cast<TTreeView*>(this)->Handle(), TVM_GETINDENT, 0, 0));
    return indent_ >= 0 ? indent_ : 19;
}

void TTreeView::SetIndent(int v) {
    if (v < 0) v = 0;
    if (indent_ == v) return;
    indent_ = v;
    if (HandleAllocated()) SendMessageA(Handle(), TVM_SETINDENT, v, 0);
}

void TTreeView::SetImages(HIMAGELIST images) {
    if (images_ == images) return;
    images_ = images;
    if (HandleAllocated()) SendMessageA(Handle(), TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
}

void TTreeView::SetStateImages(HIMAGELIST images) {
    if (stateImages_ == images) return;
    stateImages_ = images;
    if (HandleAllocated()) SendMessageA(Handle(), TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(images));
}

bool TTreeView::IsEditing() const {
    return HandleAllocated() && SendMessageA(const_cast<TTreeView*>(this)->Handle(), TVM_GETEDITCONTROL, 0, 0) != 0;
}

void TTreeView::EndEditing(bool cancel) {
    if (!IsEditing()) return;
    // Some controls (Wine's) report a cancelled edit as a cancel and then as a commit.
    const bool was = cancellingEdit_;
    cancellingEdit_ = cancel;
    SendMessageA(Handle(), TVM_ENDEDITLABELNOW, cancel, 0);
    cancellingEdit_ = was;
}

TTreeNode* TTreeView::Selected() const {
    return nodes_.NodeFromItem(NextItem(const_cast<TTreeView*>(this), nullptr, TVGN_CARET));
}

void TTreeView::SetSelected(TTreeNode* node) {
    if (!HandleAllocated() && !node) return;
    SendMessageA(Handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node ? node->item_ : nullptr));
}

TTreeNode* TTreeView::DropTarget() const {
    return nodes_.NodeFromItem(NextItem(const_cast<TTreeView*>(this), nullptr, TVGN_DROPHILITE));
}

void TTreeView::SetDropTarget(TTreeNode* node) {
    if (!HandleAllocated() && !node) return;
    SendMessageA(Handle(), TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(node ? node->item_ : nullptr));
}

TTreeNode* TTreeView::TopItem() const {
    return nodes_.NodeFromItem(NextItem(const_cast<TTreeView*>(this), nullptr, TVGN_FIRSTVISIBLE));
}

UINT TTreeView::GetHitTestInfoAt(int x, int y) const {
    if (!HandleAllocated()) return TVHT_NOWHERE;
    TVHITTESTINFO hit = {};
    hit.pt = POINT{x, y};
    SendMessageA(const_cast<TTreeView*>(this)->Handle(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    return hit.flags;
}

TTreeNode* TTreeView::GetNodeAt(int x, int y) const {
    if (!HandleAllocated()) return nullptr;
    TVHITTESTINFO hit = {};
    hit.pt = POINT{x, y};
    auto item = reinterpret_cast<HTREEITEM>(
        SendMessageA(const_cast<TTreeView*>(this)->Handle(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return (hit.flags & (TVHT_ONITEM | TVHT_ONITEMBUTTON)) ? nodes_.NodeFromItem(item) : nullptr;
}

bool TTreeView::CustomSort(const TTVCompare& compare, TTreeNode* node) {
    if (!HandleAllocated() || !compare) return false;
    SortContext context{&compare, nullptr};
    TVSORTCB sort = {};
    sort.hParent = node ? node->item_ : TVI_ROOT;
    sort.lpfnCompare = &CompareNodes;
    sort.lParam = reinterpret_cast<LPARAM>(&context);
    const bool sorted = SendMessageA(Handle(), TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort)) != 0;
    if (context.error) std::rethrow_exception(context.error);
    return sorted;
}

void TTreeView::CreateItem(TTreeNode* node, TTreeNode* parent) {
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent ? parent->item_ : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    TVITEMA& item = insert.item;
    item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE | TVIF_CHILDREN;
    item.pszText = const_cast<char*>(node->text_.c_str());
    item.iImage = lazyImages_ ? I_IMAGECALLBACK : node->imageIndex_;
    item.iSelectedImage = lazyImages_ ? I_IMAGECALLBACK : node->selectedIndex_;
    item.state = INDEXTOOVERLAYMASK(node->overlayIndex_ + 1);
    item.stateMask = TVIS_OVERLAYMASK;
    item.cChildren = node->hasChildren_ ? 1 : 0;
    item.lParam = reinterpret_cast<LPARAM>(node);
    auto handle = reinterpret_cast<HTREEITEM>(SendMessageA(Handle(), TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!handle) throw Exception("Cannot insert the tree node '" + node->text_ + "'");
    node->item_ = handle;
    // A parent with a child shows its button.
    if (parent && !parent->hasChildren_) parent->SetHasChildren(true);
}

void TTreeView::FreeNode(TTreeNode* node) {
    struct Free {
        TTreeView* tree;
        TTreeNode* node;
        ~Free() {
            node->item_ = nullptr;
            --tree->nodes_.count_;
            delete node;
        }
    } free{this, node};
    Deleted(node);
}

namespace {
// Asks an event that may refuse; no handler allows.
bool AskAllowed(TObject* sender, const TTVExpandingEvent& event, TTreeNode* node, bool allow = true) {
    if (allow && event) event(sender, node, allow);
    return allow;
}
}  // namespace

bool TTreeView::CanExpand(TTreeNode* node) { return AskAllowed(this, OnExpanding, node); }
void TTreeView::Expanded(TTreeNode* node) {
    if (OnExpanded) OnExpanded(this, node);
}
bool TTreeView::CanCollapse(TTreeNode* node) { return AskAllowed(this, OnCollapsing, node); }
void TTreeView::Collapsed(TTreeNode* node) {
    if (OnCollapsed) OnCollapsed(this, node);
}
bool TTreeView::CanChange(TTreeNode* node) { return AskAllowed(this, OnChanging, node); }
void TTreeView::Change(TTreeNode* node) {
    if (OnChange) OnChange(this, node);
}
bool TTreeView::CanEdit(TTreeNode* node) { return AskAllowed(this, OnEditing, node, !readOnly_); }
void TTreeView::Edited(TTreeNode* node, String& text) {
    if (OnEdited) OnEdited(this, node, text);
    if (node) node->SetText(text);
}
void TTreeView::Deleted(TTreeNode* node) {
    if (OnDeletion) OnDeletion(this, node);
}

bool TTreeView::NotifyTree(NMHDR* header, LRESULT& result) {
    auto* tv = reinterpret_cast<NMTREEVIEWA*>(header);
    auto node = [&](const TVITEMA& item) {
        return item.lParam ? reinterpret_cast<TTreeNode*>(item.lParam) : nodes_.NodeFromItem(item.hItem);
    };
    switch (header->code) {
        case TVN_GETDISPINFOA: {
            auto* info = reinterpret_cast<NMTVDISPINFOA*>(header);
            TTreeNode* n = node(info->item);
            if (!n) return true;
            // Stored without a new paint: the tree draws what it is told now.
            if (info->item.mask & TVIF_IMAGE) info->item.iImage = n->imageIndex_ = GetImageIndex(n);
            if (info->item.mask & TVIF_SELECTEDIMAGE)
                info->item.iSelectedImage = n->selectedIndex_ = GetSelectedIndex(n);
            if ((info->item.mask & TVIF_TEXT) && info->item.pszText && info->item.cchTextMax > 0)
                lstrcpynA(info->item.pszText, n->text_.c_str(), info->item.cchTextMax);
            return true;
        }
        case TVN_DELETEITEMA:
        case TVN_DELETEITEMW:
            if (TTreeNode* n = node(tv->itemOld)) FreeNode(n);
            return true;
        case TVN_ITEMEXPANDINGA:
        case TVN_ITEMEXPANDINGW: {
            result = FALSE;
            TTreeNode* n = node(tv->itemNew);
            if (!n || manualExpand_ > 0) return true;
            const bool allow = (tv->action & TVE_EXPAND) ? CanExpand(n) : CanCollapse(n);
            result = allow ? FALSE : TRUE;
            return true;
        }
        case TVN_ITEMEXPANDEDA:
        case TVN_ITEMEXPANDEDW: {
            TTreeNode* n = node(tv->itemNew);
            if (!n || manualExpand_ > 0) return true;
            if (tv->action & TVE_EXPAND) Expanded(n);
            else Collapsed(n);
            return true;
        }
        case TVN_SELCHANGINGA:
        case TVN_SELCHANGINGW:
            result = CanChange(node(tv->itemNew)) ? FALSE : TRUE;
            return true;
        case TVN_SELCHANGEDA:
        case TVN_SELCHANGEDW:
            Change(node(tv->itemNew));
            return true;
        case TVN_BEGINLABELEDITA: {
            auto* info = reinterpret_cast<NMTVDISPINFOA*>(header);
            const bool allow = CanEdit(node(info->item));
            result = allow ? FALSE : TRUE;
            editOpen_ = allow;
            return true;
        }
        case TVN_ENDLABELEDITA: {
            auto* info = reinterpret_cast<NMTVDISPINFOA*>(header);
            result = FALSE;
            // Some controls (Wine's) end an edit a second time while its box goes: only the
            // first end counts.
            if (!editOpen_) return true;
            editOpen_ = false;
            TTreeNode* edited = node(info->item);
            if (info->item.pszText && !cancellingEdit_) {
                String text = info->item.pszText;
                Edited(edited, text);
            }
            EditEnded(edited);
            return true;
        }
        case TVN_BEGINDRAGA:
        case TVN_BEGINDRAGW:
        case TVN_BEGINRDRAGA:
        case TVN_BEGINRDRAGW:
            dragBegun_ = true;
            return Notify(header, result);
        case NM_CLICK:
            Clicked();
            Notify(header, result);
            return true;
        default:
            return Notify(header, result);
    }
}

void TTreeView::MouseButton(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    const TMouseButton button = ButtonOfMessage(msg);
    const bool dbl = msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK;
    const TShiftState shift = ShiftStateFromKeys(wp) | (dbl ? static_cast<TShiftState>(ssDouble) : 0u);
    const int x = static_cast<short>(LOWORD(lp)), y = static_cast<short>(HIWORD(lp));
    // The native control selects and tracks the press first, so the handlers see the new
    // selection. Its tracking loop takes the release of a left or right press that does not
    // become a drag: the release is reported here, at the press point.
    dragBegun_ = false;
    result = DefaultHandler(msg, wp, lp);
    if (!HandleAllocated()) return;
    if (msg == WM_LBUTTONDBLCLK) DblClick();
    MouseDown(button, shift, x, y);
    const bool released = (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN) && !dragBegun_;
    if (released && HandleAllocated()) MouseUp(button, ShiftStateFromKeys(0), x, y);
}

void TTreeView::WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case CN_NOTIFY:
            result = 0;
            NotifyTree(reinterpret_cast<NMHDR*>(lp), result);
            return;
        case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK:
            MouseButton(msg, wp, lp, result);
            return;
        case WM_INITMENUPOPUP:
        case WM_MENUSELECT:
        case WM_MENUCHAR:
            if (MenuMessage(msg, wp, lp, result)) return;
            break;
        case WM_DRAWITEM:
            if (reinterpret_cast<DRAWITEMSTRUCT*>(lp)->CtlType == ODT_MENU && MenuMessage(msg, wp, lp, result)) return;
            break;
        case WM_MEASUREITEM:
            if (reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->CtlType == ODT_MENU && MenuMessage(msg, wp, lp, result))
                return;
            break;
        default:
            break;
    }
    TWinControl::WndProc(msg, wp, lp, result);
}

}  // namespace ui
