// The tree view below the shell tree: custom draw, context-menu and drag notices, keys.
#include "shell/ShellTree.h"

#include "ui/Forms.h"

namespace shell {

using ui::TTreeNode;

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
    return ItemMenuMessage(shownMenu_.get(), msg, wp, lp, result, this);
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

}  // namespace shell
