#pragma once
// The drop target of a shell tree: every question about a drop goes to the drop target of
// the item under the mouse, as the shell gives it, so that the shell itself copies, moves or
// links what is dropped. The tree scrolls while a drag stays near its edges.
#include <windows.h>
#include <oleidl.h>
#include <shlobj.h>

#include <vector>

#include "shell/ShellComObject.h"
#include "ui/Handles.h"
#include "ui/Types.h"

namespace shell {

// A node of the tree, as the tree knows it; the drop target only hands it back.
using TDropNode = void*;

// What the drop target needs of the tree it serves.
class TPTShellDropHost {
public:
    virtual ~TPTShellDropHost() = default;
    // The window registered for drops.
    virtual HWND DropWindow() const = 0;
    // The shell node under a point on the screen; with `withTopNode` false only nodes that
    // have a parent count. None over empty space or a node without shell data.
    virtual TDropNode DropNodeAt(POINT screen, bool withTopNode) = 0;
    // The drop target of the node's item (its parent folder's GetUIObjectOf(IID_IDropTarget),
    // given the owner form's window); a failure leaves `target` empty.
    virtual HRESULT NodeDropTarget(TDropNode node, ui::ComPtr<IDropTarget>& target) = 0;
    // The node item's file-system path; empty for a virtual item.
    virtual ui::String NodePath(TDropNode node) = 0;
    // Shows the node as the drop's target; none: the node the tree is dragging itself, or no
    // node for a drag from elsewhere.
    virtual void HighlightDropNode(TDropNode node) = 0;
    // Scrolls one line: `bar` SB_VERT or SB_HORZ, `code` SB_LINEUP / SB_LINEDOWN (left/right
    // for SB_HORZ); repaints when the first visible node changed.
    virtual void ScrollLine(int bar, int code);
    // The clock of the automatic scrolling, in milliseconds.
    virtual DWORD TickCount() const { return GetTickCount(); }
    // The window shell operations carried out here belong to (the form the tree is on).
    virtual HWND OwnerWindow() const { return GetAncestorWindow(DropWindow()); }

private:
    static HWND GetAncestorWindow(HWND wnd);
};

// Every answer of the tree's drop target carries this, so that OLE scrolls it too.
constexpr DWORD kDropEffectScroll = 0x80000000;
// How often the tree scrolls, and how near its edges (pixels) a drag must be for it.
constexpr DWORD kAutoScrollInterval = 100;
constexpr int kAutoScrollVerticalMargin = 26;
constexpr int kAutoScrollHorizontalMargin = 20;

class TDropTarget_shtv : public TComObject<IDropTarget> {
public:
    explicit TDropTarget_shtv(TPTShellDropHost* host) : host_(host) {}

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

    // The tree goes away: nothing is asked of it any more.
    void Detach() { host_ = nullptr; }
    IDataObject* DraggedData() const { return data_.get(); }
    DWORD EnterKeyState() const { return enterKeys_; }
    DWORD LastScrollTime() const { return lastScroll_; }

private:
    // What the node's own target answers to an enter and an over (`drop` false) or to the
    // drop itself; the stand-in where the shell takes nothing.
    HRESULT AskNode(TDropNode node, IDataObject* data, DWORD keyState, POINTL point, DWORD* effect, bool over,
                    bool drop);
    void AutoScroll(POINTL point);

    TPTShellDropHost* host_;
    ui::ComPtr<IDataObject> data_;
    DWORD enterKeys_ = 0;
    DWORD lastScroll_ = 0;
    DWORD allowed_ = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
};

// The tree window's registration for drops: a drop target serving `host`, registered for its
// window, revoked and cut off from the host when the registration ends.
class TPTDropTargetRegistration {
public:
    TPTDropTargetRegistration() = default;
    ~TPTDropTargetRegistration() { Revoke(); }
    TPTDropTargetRegistration(const TPTDropTargetRegistration&) = delete;
    TPTDropTargetRegistration& operator=(const TPTDropTargetRegistration&) = delete;

    // Registers a new target for host->DropWindow() (an earlier one is revoked first);
    // answers RegisterDragDrop's result, and keeps nothing when it failed.
    HRESULT Register(TPTShellDropHost* host);
    void Revoke();
    bool Registered() const { return target_ != nullptr; }
    TDropTarget_shtv* Target() const { return target_; }

private:
    HWND wnd_ = nullptr;
    TDropTarget_shtv* target_ = nullptr;  // one reference held
};

// What every item of a "Shell IDList Array" in `data` lets a drop do; all three when the data
// holds no such array.
DWORD DataObjectAllowedEffects(IDataObject* data);

// The paths of a CF_HDROP in `data`; empty when it has none.
std::vector<ui::String> DroppedFiles(IDataObject* data);

// The effect a file drop takes from the keys, as the shell chooses it: Ctrl+Shift a shortcut,
// Shift a move, Ctrl a copy, no key a move on the same drive and a copy to another; then the
// first of copy, move, link that `offered` holds if the choice is not in it.
DWORD FileDropEffect(DWORD keyState, const std::vector<ui::String>& files, const ui::String& folder,
                     DWORD offered);

// Copies, moves (SHFileOperationA) or links (a shortcut each) `files` into `folder`; answers the
// effect carried out, none when nothing was done.
DWORD FileDropInto(HWND owner, const std::vector<ui::String>& files, const ui::String& folder, DWORD effect);

}  // namespace shell
