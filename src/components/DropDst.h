#pragma once
// TDropDst: makes a windowed control of a form a target for files dropped from the shell,
// without changing the control. Each drop becomes one OnFileDrop with the full paths and
// the drop point in the control's client coordinates.
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <vector>

#include "components/ControlHook.h"

using TFileDropEvent =
    std::function<void(ui::TObject* sender, const std::vector<ui::String>& files, int x, int y)>;

class TDropDst : public TControlHook {
public:
    explicit TDropDst(ui::TComponent* owner);
    ~TDropDst() override;

    // Whether the hooked window is registered for dropped files (default true).
    bool AcceptDrop() const { return acceptDrop_; }
    void SetAcceptDrop(bool value);

    // Fired once per drop, while the window handles the drop; the list lives only for the call.
    TFileDropEvent OnFileDrop;

protected:
    void Loaded() override;
    void HookChanged(int reason) override;
    void HookWndProc(ui::TMessage& message) override;
    void WindowHooked() override;
    void WindowUnhooking(HWND wnd) override;

    void UpdateAcceptFiles();
    // Reads the drop's paths and point and fires OnFileDrop; the caller releases the drop.
    virtual void HandleDrop(HDROP drop);

private:
    bool acceptDrop_ = true;
};
