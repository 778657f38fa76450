#include "support/Interaction.h"

#include <algorithm>
#include <cstring>

namespace testing_support {

namespace {
thread_local DialogAnswer* t_answer = nullptr;
thread_local RedrawLog* t_redraws = nullptr;
}  // namespace

ClipboardScope::~ClipboardScope() {
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

DialogAnswer::DialogAnswer(int button, std::function<void(HWND)> fill, std::string title)
    : button_(button), fill_(std::move(fill)), title_(std::move(title)), previous_(t_answer) {
    t_answer = this;
    // A thread timer: its ticks are dispatched by whatever modal loop the dialog runs.
    timer_ = SetTimer(nullptr, 0, 50, &DialogAnswer::Tick);
}

DialogAnswer::~DialogAnswer() {
    KillTimer(nullptr, timer_);
    t_answer = previous_;
}

void CALLBACK DialogAnswer::Tick(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), &DialogAnswer::Found, 0);
}

BOOL CALLBACK DialogAnswer::Found(HWND wnd, LPARAM) {
    DialogAnswer* self = t_answer;
    char cls[16] = "", title[256] = "";
    GetClassNameA(wnd, cls, sizeof cls);
    GetWindowTextA(wnd, title, sizeof title);
    if (!self || std::strcmp(cls, "#32770") != 0 || !IsWindowVisible(wnd) ||
        (!self->title_.empty() && self->title_ != title) ||
        std::count(self->answered_.begin(), self->answered_.end(), wnd))
        return TRUE;
    self->answered_.push_back(wnd);
    if (self->fill_) self->fill_(wnd);
    HWND button = GetDlgItem(wnd, self->button_);
    PostMessageA(wnd, WM_COMMAND, MAKEWPARAM(self->button_, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return TRUE;
}

std::vector<UINT> EnabledMenuItems(HMENU popup) {
    std::vector<UINT> ids;
    for (int i = 0, n = GetMenuItemCount(popup); i < n; ++i)
        if (!(GetMenuState(popup, i, MF_BYPOSITION) & (MF_SEPARATOR | MF_DISABLED | MF_GRAYED)))
            ids.push_back(GetMenuItemID(popup, i));
    return ids;
}

void ChooseMenuItem(HWND owner, HMENU popup, UINT id) {
    const std::vector<UINT> ids = EnabledMenuItems(popup);
    const auto at = std::find(ids.begin(), ids.end(), id);
    if (id == 0 || at == ids.end()) {
        PostMessageA(owner, WM_CANCELMODE, 0, 0);
        return;
    }
    for (auto i = ids.begin(); i <= at; ++i) PostMessageA(owner, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(owner, WM_KEYDOWN, VK_RETURN, 0);
}

RedrawLog::RedrawLog(HWND wnd)
    : wnd_(wnd), hook_(SetWindowsHookExA(WH_CALLWNDPROC, &RedrawLog::Hook, nullptr, GetCurrentThreadId())),
      previous_(t_redraws) {
    t_redraws = this;
}

RedrawLog::~RedrawLog() {
    if (hook_) UnhookWindowsHookEx(hook_);
    t_redraws = previous_;
}

LRESULT CALLBACK RedrawLog::Hook(int code, WPARAM wp, LPARAM lp) {
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
    for (RedrawLog* log = t_redraws; code == HC_ACTION && log; log = log->previous_)
        if (m->hwnd == log->wnd_ && m->message == WM_SETREDRAW) log->switches_.push_back(m->wParam);
    return CallNextHookEx(nullptr, code, wp, lp);
}

}  // namespace testing_support
