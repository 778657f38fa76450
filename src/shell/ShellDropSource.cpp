#include "shell/ShellDropSource.h"

#include <ole2.h>

#include <vector>

#include "shell/ShellDataObject.h"

namespace shell {

HRESULT TDropSource_shlvtv::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
    if (escapePressed || (keyState & kDragButtons & ~button_)) return DRAGDROP_S_CANCEL;
    return (keyState & button_) ? S_OK : DRAGDROP_S_DROP;
}

HRESULT TDropSource_shlvtv::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }

DWORD AllowedDropEffects(IShellFolder* parentFolder, const std::vector<LPCITEMIDLIST>& items) {
    const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    if (!parentFolder || items.empty()) return all;
    ULONG attributes = SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANLINK;
    std::vector<LPCITEMIDLIST> list(items);
    if (FAILED(parentFolder->GetAttributesOf(static_cast<UINT>(list.size()), list.data(), &attributes))) return all;
    // The shell may answer bits it was not asked for; the three asked map one to one.
    return attributes & all;
}

DWORD DragShellItem(IShellFolder* parentFolder, LPCITEMIDLIST parentAbsList, LPCITEMIDLIST item,
                    DWORD startButton) {
    ui::ComPtr<IDataObject> data = MakeItemDataObject(parentFolder, parentAbsList, item);
    ui::ComPtr<IDropSource> source = MakeComObject<TDropSource_shlvtv, IDropSource>(startButton);
    DWORD effect = DROPEFFECT_NONE;
    DoDragDrop(data.get(), source.get(), AllowedDropEffects(parentFolder, {item}), &effect);
    return effect;
}

}  // namespace shell
