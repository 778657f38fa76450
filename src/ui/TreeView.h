#pragma once
// The standard tree view (window class SysTreeView32, common controls of the first shell
// generation): node objects over the native items, events from the reflected notifications.
#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "ui/Controls.h"

// <windowsx.h> names two window macros like the node's methods.
#undef GetFirstChild
#undef GetNextSibling

namespace ui {

class TTreeView;
class TTreeNodes;

// One item of a tree view. Made and freed by the tree only: AddChild makes one, the native
// item's deletion frees it.
class TTreeNode {
public:
    TTreeNode(const TTreeNode&) = delete;
    TTreeNode& operator=(const TTreeNode&) = delete;

    TTreeView* TreeView() const { return tree_; }
    HTREEITEM ItemId() const { return item_; }

    const String& Text() const { return text_; }
    void SetText(const String& text);
    // Indexes into the tree's image list; with lazy images the tree asks the view for them
    // when it draws the node (TTreeView::GetImageIndex).
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    int SelectedIndex() const { return selectedIndex_; }
    void SetSelectedIndex(int index);
    // The image list's overlay image index + 1 is drawn over the image; -1 for none.
    int OverlayIndex() const { return overlayIndex_; }
    void SetOverlayIndex(int index);
    // Drawn dimmed, as an item marked for moving.
    bool Cut() const;
    void SetCut(bool cut);
    // The node shows an expand button, whether or not it has children yet.
    bool HasChildren() const;
    void SetHasChildren(bool value);
    bool DropTarget() const;
    void SetDropTarget(bool value);

    void* Data() const { return data_; }
    void SetData(void* data) { data_ = data; }

    TTreeNode* Parent() const;
    TTreeNode* GetFirstChild() const;
    TTreeNode* GetNextSibling() const;
    TTreeNode* GetPrevSibling() const;
    // The next node in a depth-first walk of the whole tree.
    TTreeNode* GetNext() const;
    // Direct children.
    int Count() const;
    int Level() const;

    bool Expanded() const;
    // The node has been expanded at least once.
    bool ExpandedOnce() const;
    void SetExpanded(bool value) { value ? Expand(false) : Collapse(false); }
    // Through the view's expanding and expanded steps, as if the user had pressed the button.
    void Expand(bool recurse);
    void Collapse(bool recurse);

    bool Selected() const;
    void SetSelected(bool value);
    bool Focused() const;
    void SetFocused(bool value);
    // The node's rectangle in client coordinates (only the label's with `textOnly`); empty
    // when it is not shown.
    RECT DisplayRect(bool textOnly) const;
    // Where the node's image is drawn, found by asking the tree what lies left of the label;
    // empty without an image or when the node is not shown.
    RECT ImageRect() const;
    void MakeVisible();
    // Starts editing the label in place.
    bool EditText();

    // Deletes the node with its children; the node object is gone afterwards.
    void Delete();
    void DeleteChildren();

private:
    friend class TTreeNodes;
    friend class TTreeView;
    explicit TTreeNode(TTreeView* tree) : tree_(tree) {}
    ~TTreeNode() = default;
    UINT State(UINT mask) const;
    void SetState(UINT state, UINT mask);
    void UpdateImages();

    TTreeView* tree_;
    HTREEITEM item_ = nullptr;
    String text_;
    int imageIndex_ = 0;
    int selectedIndex_ = 0;
    int overlayIndex_ = -1;
    bool hasChildren_ = false;
    void* data_ = nullptr;
};

// The nodes of one tree view.
class TTreeNodes {
public:
    TTreeNodes(const TTreeNodes&) = delete;
    TTreeNodes& operator=(const TTreeNodes&) = delete;

    TTreeView* Owner() const { return tree_; }
    // A new last child of `parent` (none: a new last top-level node); creates the window.
    TTreeNode* AddChild(TTreeNode* parent, const String& text);
    TTreeNode* AddChildObject(TTreeNode* parent, const String& text, void* data);
    // Deletes every node.
    void Clear();
    // All nodes, at every level.
    int Count() const { return count_; }
    TTreeNode* GetFirstNode() const;
    // The node of a native item (none for none or a foreign one).
    TTreeNode* NodeFromItem(HTREEITEM item) const;

    // Nestable: the tree draws again only when the outermost lock ends.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

private:
    friend class TTreeView;
    friend class TTreeNode;
    explicit TTreeNodes(TTreeView* tree) : tree_(tree) {}
    TTreeView* tree_;
    int count_ = 0;
    int updateCount_ = 0;
};

// The tree's redraw lock for a scope.
using TTreeUpdateLock = TUpdateScope<TTreeNodes>;

using TTVExpandingEvent = std::function<void(TObject* sender, TTreeNode* node, bool& allow)>;
using TTVChangingEvent = std::function<void(TObject* sender, TTreeNode* node, bool& allow)>;
using TTVEditingEvent = std::function<void(TObject* sender, TTreeNode* node, bool& allow)>;
using TTVEditedEvent = std::function<void(TObject* sender, TTreeNode* node, String& text)>;
using TTVNodeEvent = std::function<void(TObject* sender, TTreeNode* node)>;
// Negative, zero or positive, as the first node sorts before, with or after the second.
using TTVCompare = std::function<int(TTreeNode* first, TTreeNode* second)>;

// Mouse: the native control handles a button press first (a left press selects the node under
// the mouse), then OnMouseDown fires. Its tracking loop takes the release of a left or right
// press that does not become a drag, so OnMouseUp fires right after OnMouseDown, at the press
// point. OnKeyDown fires before the control's own keys.
class TTreeView : public TWinControl {
public:
    explicit TTreeView(TComponent* owner);  // 121 x 97, buttons, lines and root lines, labels editable
    ~TTreeView() override;

    TTreeNodes& Items() { return nodes_; }
    const TTreeNodes& Items() const { return nodes_; }
    TTreeNode* Selected() const;
    void SetSelected(TTreeNode* node);
    TTreeNode* DropTarget() const;
    void SetDropTarget(TTreeNode* node);
    // The node at a client point (on its button, image or label), or none.
    TTreeNode* GetNodeAt(int x, int y) const;
    // Where a client point lies (TVHT_* flags).
    UINT GetHitTestInfoAt(int x, int y) const;
    TTreeNode* TopItem() const;

    // Sorts the children of `node` (the top level for none) with `compare`; false when the tree
    // refused. Not recursive.
    bool CustomSort(const TTVCompare& compare, TTreeNode* node = nullptr);

    bool ShowRoot() const { return showRoot_; }
    void SetShowRoot(bool v);
    bool ShowButtons() const { return showButtons_; }
    void SetShowButtons(bool v);
    bool ShowLines() const { return showLines_; }
    void SetShowLines(bool v);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v);
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool v);
    int Indent() const;
    void SetIndent(int v);
    // Not owned: a shared list (the system's) stays when the tree goes.
    HIMAGELIST Images() const { return images_; }
    void SetImages(HIMAGELIST images);
    HIMAGELIST StateImages() const { return stateImages_; }
    void SetStateImages(HIMAGELIST images);
    // A label is being edited in place.
    bool IsEditing() const;
    // Ends an edit in place, keeping the typed text unless `cancel`.
    void EndEditing(bool cancel);

    TTVExpandingEvent OnExpanding;
    TTVNodeEvent OnExpanded;
    TTVExpandingEvent OnCollapsing;
    TTVNodeEvent OnCollapsed;
    TTVChangingEvent OnChanging;
    TTVNodeEvent OnChange;
    TTVEditingEvent OnEditing;
    TTVEditedEvent OnEdited;
    // The node is about to go; its data is still there.
    TTVNodeEvent OnDeletion;

    void WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    // The native items go with the window: every node is deleted (OnDeletion fires) before it
    // is destroyed. A tree whose window is made again fills itself again.
    void HandleDestroying() override;

    // The steps behind the events; a derived tree adds its own behaviour around them.
    virtual bool CanExpand(TTreeNode* node);
    virtual void Expanded(TTreeNode* node);
    virtual bool CanCollapse(TTreeNode* node);
    virtual void Collapsed(TTreeNode* node);
    virtual bool CanChange(TTreeNode* node);
    virtual void Change(TTreeNode* node);
    virtual bool CanEdit(TTreeNode* node);
    virtual void Edited(TTreeNode* node, String& text);
    // An edit in place is over, whether its text was taken or not; the edit box still exists.
    virtual void EditEnded(TTreeNode* node) { (void)node; }
    // A node is deleted: raises OnDeletion.
    virtual void Deleted(TTreeNode* node);
    virtual void Clicked() { Click(); }

    // Lazy images: with SetLazyImages(true) (before nodes exist), every node's images are asked
    // for when the tree draws it, and new nodes start with the indexes -1 (not known yet).
    // What these steps answer is stored in the node and drawn.
    bool LazyImages() const { return lazyImages_; }
    void SetLazyImages(bool v) { lazyImages_ = v; }
    virtual int GetImageIndex(TTreeNode* node) { return node->ImageIndex(); }
    virtual int GetSelectedIndex(TTreeNode* node) { return node->SelectedIndex(); }

    // Reflected notifications the view itself does not handle (custom draw, drags, clicks).
    virtual bool Notify(NMHDR* header, LRESULT& result) {
        (void)header;
        (void)result;
        return false;
    }
    // Menu messages that reach the tree's window while a menu it owns is shown
    // (WM_INITMENUPOPUP, WM_MENUSELECT, WM_DRAWITEM, WM_MEASUREITEM, WM_MENUCHAR for menus);
    // true when handled.
    virtual bool MenuMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
        (void)msg;
        (void)wp;
        (void)lp;
        (void)result;
        return false;
    }
    // A window style that the tree takes while it exists.
    void SetStyleFlag(DWORD flag, bool on);

private:
    friend class TTreeNode;
    friend class TTreeNodes;
    void CreateItem(TTreeNode* node, TTreeNode* parent);
    void FreeNode(TTreeNode* node);
    bool NotifyTree(NMHDR* header, LRESULT& result);
    void MouseButton(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    DWORD TreeStyle() const;
    // Puts the style properties into the window's style.
    void ApplyStyle();

    TTreeNodes nodes_;
    bool showRoot_ = true;
    bool showButtons_ = true;
    bool showLines_ = true;
    bool readOnly_ = false;
    bool hideSelection_ = true;
    int indent_ = -1;  // the control's own until set
    HIMAGELIST images_ = nullptr;
    HIMAGELIST stateImages_ = nullptr;
    bool lazyImages_ = false;
    int manualExpand_ = 0;   // an Expand/Collapse of a node runs its steps itself
    bool dragBegun_ = false; // the native button loop ended in a drag
    bool cancellingEdit_ = false;  // EndEditing cancels: no commit counts
    bool editOpen_ = false;        // an edit began and has not ended yet
    DWORD extraStyle_ = 0;   // SetStyleFlag's flags that are on
    DWORD managedStyle_ = 0; // every flag SetStyleFlag was given
};

}  // namespace ui
