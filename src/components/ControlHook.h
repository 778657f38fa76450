#pragma once
// TControlHook: a non-visual component that subclasses the window of a control (or of the
// form that owns it) and sees every message of that window before the window does. It
// survives the re-creation of the hooked window: the hook notices the destruction and a
// note posted to its own hidden window hooks the new window once the old one is gone.
#include <windows.h>

#include "ui/Component.h"
#include "ui/Controls.h"
#include "ui/Types.h"

enum class THookTarget { htControl = 0, htForm = 1 };

// Raised when the hook has no window to attach to.
class EControlHook : public ui::Exception {
public:
    using ui::Exception::Exception;
};

class TControlHook : public ui::TComponent {
public:
    explicit TControlHook(ui::TComponent* owner);
    ~TControlHook() override;

    ui::TWinControl* Control() const { return control_; }
    void SetControl(ui::TWinControl* value);
    THookTarget Target() const { return target_; }
    void SetTarget(THookTarget value);

    // The window currently hooked (null when none) and the hidden window of this object.
    HWND HookedWindow() const { return hookedWnd_; }
    HWND UtilityWindow() const { return utilityWnd_; }

    // The control whose window is hooked: Control itself, or for htForm the first form on
    // the owner chain from Control (from this component when Control is not set).
    ui::TWinControl* GetTargetControl() const;

    void Hook();
    void Unhook();

    // Hook procedures in use (installed on a window), for checking that none is left behind.
    static int HookProceduresInUse();

    // Reasons for HookChanged.
    static constexpr int hcControlRemoved = 1;
    static constexpr int hcWindowDestroyed = 2;
    // The note the hook posts to the utility window when the hooked window is destroyed.
    static constexpr UINT WM_HOOKCHANGED = WM_USER + 1;

protected:
    // Reason 1: the Control component goes away, forget it. Reason 2: the hooked window was
    // destroyed and may exist again; hook whatever the target has now.
    virtual void HookChanged(int reason);
    // One message of the hooked window; the default passes it on to the previous procedure.
    virtual void HookWndProc(ui::TMessage& message);
    // Called after a window has been hooked, and before a window that still exists is let go.
    virtual void WindowHooked() {}
    virtual void WindowUnhooking(HWND wnd) { (void)wnd; }

    void Loaded() override;
    void Notification(ui::TComponent* component, ui::TOperation operation) override;

private:
    friend struct HookDispatch;
    LRESULT HandleHookedMessage(HWND wnd, WNDPROC previous, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK UtilityWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);

    ui::TWinControl* control_ = nullptr;
    THookTarget target_ = THookTarget::htControl;
    HWND hookedWnd_ = nullptr;
    int slot_ = -1;             // the hook procedure installed on hookedWnd_
    HWND utilityWnd_ = nullptr;
    // The window and previous procedure of the message being handled, for HookWndProc.
    HWND callWnd_ = nullptr;
    WNDPROC callPrevious_ = nullptr;
    // Set by the destructor when the object goes away inside one of its own messages.
    bool* destroyedFlag_ = nullptr;
};
