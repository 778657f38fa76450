#include "components/ControlHook.h"

#include <array>
#include <utility>

#include "ui/Forms.h"
#include "ui/Guard.h"

namespace {

// Every installed hook gets a window procedure of its own from this table, so that several
// hooks on one window (and other subclassers between them) each find their own object.
constexpr int kHookSlots = 64;

struct HookSlot {
    bool used = false;
    TControlHook* owner = nullptr;  // null: left in a chain it could not leave, only forwards
    HWND wnd = nullptr;
    WNDPROC previous = nullptr;
};

HookSlot g_slots[kHookSlots];

const char kUtilityClass[] = "TVemloraHookUtility";

}  // namespace

struct HookDispatch {
    static LRESULT Call(int index, HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
        HookSlot& slot = g_slots[index];
        if (slot.used && slot.owner) return slot.owner->HandleHookedMessage(wnd, slot.previous, msg, wp, lp);
        WNDPROC previous = slot.previous;
        if (!slot.used || !previous) return DefWindowProcA(wnd, msg, wp, lp);
        LRESULT result = CallWindowProcA(previous, wnd, msg, wp, lp);
        // A forwarding procedure lives as long as the window that still calls it.
        if (msg == WM_NCDESTROY && slot.used && !slot.owner && slot.wnd == wnd) slot = HookSlot();
        return result;
    }
};

namespace {

template <int N>
LRESULT CALLBACK SlotProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    return HookDispatch::Call(N, wnd, msg, wp, lp);
}

template <int... I>
constexpr std::array<WNDPROC, sizeof...(I)> MakeSlotProcs(std::integer_sequence<int, I...>) {
    return {{&SlotProc<I>...}};
}

const std::array<WNDPROC, kHookSlots> kSlotProcs = MakeSlotProcs(std::make_integer_sequence<int, kHookSlots>());

void RegisterUtilityClass() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcA;  // replaced per window, after the object pointer is stored
    wc.hInstance = ui::MainInstance();
    wc.lpszClassName = kUtilityClass;
    if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw EControlHook("Cannot register window class " + ui::String(kUtilityClass));
    registered = true;
}

}  // namespace

TControlHook::TControlHook(ui::TComponent* owner) : ui::TComponent(owner) {
    RegisterUtilityClass();
    // A message-only window: it only has to receive the note posted after a destruction.
    utilityWnd_ = CreateWindowExA(0, kUtilityClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ui::MainInstance(),
                                  nullptr);
    if (!utilityWnd_) throw EControlHook("Cannot create the hook's utility window");
    SetWindowLongPtrA(utilityWnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(utilityWnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TControlHook::UtilityWndProc));
}

TControlHook::~TControlHook() {
    if (destroyedFlag_) *destroyedFlag_ = true;
    Unhook();
    SetWindowLongPtrA(utilityWnd_, GWLP_USERDATA, 0);
    DestroyWindow(utilityWnd_);  // a note still queued for it is dropped with it
}

void TControlHook::SetControl(ui::TWinControl* value) {
    if (value == control_) return;
    Unhook();
    control_ = value;
    // Also for htForm, where the hooked window is the form's: Control must not outlive the control.
    if (control_) control_->FreeNotification(this);
    Hook();
}

void TControlHook::SetTarget(THookTarget value) {
    if (value == target_) return;
    Unhook();
    target_ = value;
    Hook();
}

ui::TWinControl* TControlHook::GetTargetControl() const {
    if (target_ == THookTarget::htControl) return control_;
    for (ui::TComponent* c = control_ ? static_cast<ui::TComponent*>(control_) : const_cast<TControlHook*>(this); c;
         c = c->Owner()) {
        if (auto form = dynamic_cast<ui::TForm*>(c)) return form;
    }
    return nullptr;
}

void TControlHook::Hook() {
    if (Designing()) return;
    ui::TWinControl* target = GetTargetControl();
    HWND wnd = target ? target->Handle() : nullptr;
    if (!wnd) {
        if (target_ == THookTarget::htForm) throw EControlHook("フック先を特定できません。");
        return;
    }
    // Hooking a window twice would make the hook its own previous procedure.
    if (wnd == hookedWnd_ && IsWindow(wnd)) return;
    Unhook();
    int index = -1;
    for (int i = 0; i < kHookSlots; ++i) {
        if (!g_slots[i].used) {
            index = i;
            break;
        }
    }
    if (index < 0) throw EControlHook("Too many window hooks");
    target->FreeNotification(this);
    HookSlot& slot = g_slots[index];
    slot.used = true;
    slot.owner = this;
    slot.wnd = wnd;
    slot.previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd, GWLP_WNDPROC));
    SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(kSlotProcs[index]));
    hookedWnd_ = wnd;
    slot_ = index;
    WindowHooked();
}

void TControlHook::Unhook() {
    if (Designing() || !hookedWnd_) return;
    HWND wnd = hookedWnd_;
    HookSlot& slot = g_slots[slot_];
    WNDPROC ours = kSlotProcs[slot_];
    if (IsWindow(wnd)) {
        ui::Guarded([&] { WindowUnhooking(wnd); });
    }
    hookedWnd_ = nullptr;
    slot_ = -1;
    if (IsWindow(wnd) && reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd, GWLP_WNDPROC)) == ours) {
        SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(slot.previous));
        slot = HookSlot();
    } else if (IsWindow(wnd)) {
        // Someone subclassed the window after us: putting our previous procedure back would
        // cut them off, so the procedure stays in the chain and only forwards from now on.
        slot.owner = nullptr;
    } else {
        slot = HookSlot();
    }
}

int TControlHook::HookProceduresInUse() {
    int n = 0;
    for (const HookSlot& s : g_slots)
        if (s.used) ++n;
    return n;
}

void TControlHook::HookChanged(int reason) {
    if (reason == hcControlRemoved)
        control_ = nullptr;
    else
        Hook();
}

void TControlHook::HookWndProc(ui::TMessage& message) {
    if (!callWnd_) return;
    message.Result = CallWindowProcA(callPrevious_ ? callPrevious_ : DefWindowProcA, callWnd_, message.Msg,
                                     message.WParam, message.LParam);
}

void TControlHook::Loaded() {
    ui::TComponent::Loaded();
    Unhook();
    Hook();
}

void TControlHook::Notification(ui::TComponent* component, ui::TOperation operation) {
    ui::TComponent::Notification(component, operation);
    if (operation != ui::TOperation::opRemove || !component || component != control_) return;
    // Called from the control's destructor: nothing may leave here.
    ui::Guarded([this] { HookChanged(hcControlRemoved); });
}

LRESULT TControlHook::HandleHookedMessage(HWND wnd, WNDPROC previous, UINT msg, WPARAM wp, LPARAM lp) {
    HWND savedWnd = callWnd_;
    WNDPROC savedPrevious = callPrevious_;
    bool* savedFlag = destroyedFlag_;
    bool destroyed = false;
    destroyedFlag_ = &destroyed;
    callWnd_ = wnd;
    callPrevious_ = previous;

    if (msg == WM_DESTROY && wnd == hookedWnd_) {
        // Hook the control's next window once this one is gone, from the message loop.
        PostMessageA(utilityWnd_, WM_HOOKCHANGED, 0, 0);
        Unhook();
    }
    ui::TMessage message = {msg, wp, lp, 0};
    ui::Guarded([&] { HookWndProc(message); });
    if (destroyed) {
        if (savedFlag) *savedFlag = true;
        return message.Result;
    }
    destroyedFlag_ = savedFlag;
    callWnd_ = savedWnd;
    callPrevious_ = savedPrevious;
    return message.Result;
}

LRESULT CALLBACK TControlHook::UtilityWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_HOOKCHANGED) {
        auto self = reinterpret_cast<TControlHook*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
        if (self) {
            ui::Guarded([self] { self->HookChanged(hcWindowDestroyed); });
        }
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}
