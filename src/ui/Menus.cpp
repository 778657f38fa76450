#include "ui/Menus.h"

namespace ui {

namespace {

// A hidden window of this thread to own the menu when no window of the thread is active.
HWND MenuOwnerWindow(WindowHandle& hidden) {
    if (HWND active = GetActiveWindow()) return active;
    hidden.reset(CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 MainInstance(), nullptr));
    return hidden.get();
}

}  // namespace

void TPopupMenu::Popup(int x, int y) {
    if (OnPopup) OnPopup(this);
    if (items_.empty()) return;
    MenuHandle menu(CreatePopupMenu());
    if (!menu) throw Exception("Cannot create a popup menu");
    // Command ids are the item positions plus one: 0 means nothing was chosen.
    for (size_t i = 0; i < items_.size(); ++i)
        AppendMenuA(menu.get(), MF_STRING, i + 1, items_[i].Caption.c_str());
    WindowHandle hidden;
    HWND owner = MenuOwnerWindow(hidden);
    // The menu closes when the user clicks elsewhere only if its owner is in front.
    SetForegroundWindow(owner);
    UINT cmd = static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN |
                                                                TPM_RIGHTBUTTON, x, y, 0, owner, nullptr));
    PostMessageA(owner, WM_NULL, 0, 0);
    menu.reset();
    if (cmd == 0 || cmd > items_.size()) return;
    // A copy: the handler may change the menu's items.
    TNotifyEvent handler = items_[cmd - 1].OnClick;
    if (handler) handler(this);
}

}  // namespace ui
