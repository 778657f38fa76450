// The shell tree's drawing: the shell's small icons, asked for when drawn, and overlays.
#include "shell/ShellTree.h"

#include "shell/ShellModule.h"
#include "shell/ShellTreeParts.h"
#include "ui/Handles.h"

namespace shell {

using ui::TTreeNode;

namespace {

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

}  // namespace

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

}  // namespace shell
