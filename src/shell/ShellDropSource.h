#pragma once
// The drop source of a drag begun in a shell tree: the drag goes on while the button that
// began it is held, drops when it is let go, and is cancelled by Escape or another button.
#include <windows.h>
#include <oleidl.h>
#include <shlobj.h>

#include <vector>

#include "shell/ShellComObject.h"

namespace shell {

// The mouse buttons a drag looks at (MK_LBUTTON, MK_RBUTTON, MK_MBUTTON).
constexpr DWORD kDragButtons = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;

class TDropSource_shlvtv : public TComObject<IDropSource> {
public:
    // `startButton`: MK_LBUTTON, MK_RBUTTON or MK_MBUTTON.
    explicit TDropSource_shlvtv(DWORD startButton) : button_(startButton & kDragButtons) {}

    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;

    DWORD StartButton() const { return button_; }

private:
    DWORD button_;
};

// What every one of `items` of `parentFolder` lets a drop do (copy, move, link), asked as
// SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANLINK; all three when the folder cannot say.
DWORD AllowedDropEffects(IShellFolder* parentFolder, const std::vector<LPCITEMIDLIST>& items);

// Drags one item of `parentFolder` (absolute list `parentAbsList`) out with `startButton`
// until it is dropped or cancelled; answers the effect the drop target carried out.
DWORD DragShellItem(IShellFolder* parentFolder, LPCITEMIDLIST parentAbsList, LPCITEMIDLIST item,
                    DWORD startButton);

}  // namespace shell
