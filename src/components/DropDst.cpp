#include "components/DropDst.h"

#include "ui/Guard.h"
#include "ui/Handles.h"

TDropDst::TDropDst(ui::TComponent* owner) : TControlHook(owner) {}

// Let go here, while the window can still be unregistered as a drop target.
TDropDst::~TDropDst() { Unhook(); }

void TDropDst::SetAcceptDrop(bool value) {
    if (value == acceptDrop_) return;
    acceptDrop_ = value;
    UpdateAcceptFiles();
}

void TDropDst::UpdateAcceptFiles() {
    if (HookedWindow()) DragAcceptFiles(HookedWindow(), acceptDrop_ ? TRUE : FALSE);
}

void TDropDst::Loaded() {
    TControlHook::Loaded();
    UpdateAcceptFiles();
}

void TDropDst::HookChanged(int reason) {
    TControlHook::HookChanged(reason);
    UpdateAcceptFiles();
}

// A window hooked at any time, not only while the form is read, is a drop target at once.
void TDropDst::WindowHooked() { UpdateAcceptFiles(); }

// A window we let go of would still take drops that nobody releases.
void TDropDst::WindowUnhooking(HWND wnd) { DragAcceptFiles(wnd, FALSE); }

void TDropDst::HookWndProc(ui::TMessage& message) {
    if (message.Msg != WM_DROPFILES) {
        TControlHook::HookWndProc(message);
        return;
    }
    ui::DropHandle drop(reinterpret_cast<HDROP>(message.WParam));  // released also when the handler fails
    ui::Guarded([&] { HandleDrop(drop.get()); });
    message.Result = 0;
}

void TDropDst::HandleDrop(HDROP drop) {
    if (!OnFileDrop) return;
    std::vector<ui::String> files;
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    files.reserve(count);
    for (UINT i = 0; i < count; ++i) {
        // Sized to the path: a fixed MAX_PATH buffer would cut longer paths short.
        UINT length = DragQueryFileA(drop, i, nullptr, 0);
        std::vector<char> buf(length + 1, '\0');
        UINT got = DragQueryFileA(drop, i, buf.data(), length + 1);
        files.emplace_back(buf.data(), got < length ? got : length);
    }
    POINT pt = {0, 0};
    DragQueryPoint(drop, &pt);
    OnFileDrop(this, files, pt.x, pt.y);
}
