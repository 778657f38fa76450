#pragma once
// What a user does to windows, done by a test: controls on shown forms, dialogs answered,
// menu items chosen, and what the windows were sent meanwhile.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "support/Sandbox.h"
#include "ui/Forms.h"

namespace testing_support {

// A control of class T on a form of its own at (5, 5), `width` x `height`; `setUp` runs before
// the control gets its parent and the form is shown.
template <class T>
struct ShownControl {
    explicit ShownControl(int width = 280, int height = 220, const std::function<void(T&)>& setUp = nullptr)
        : form(nullptr) {
        form.SetBounds(0, 0, width + 20, height + 40);
        control = new T(&form);
        control->SetBounds(5, 5, width, height);
        if (setUp) setUp(*control);
        control->SetParent(&form);
        form.Show();
        PumpMessages();
    }
    T* operator->() const { return control; }
    HWND Wnd() const { return control->Handle(); }
    ui::TForm form;
    T* control;
};

// Empties the clipboard when the scope ends.
struct ClipboardScope { ~ClipboardScope(); };

// While it lives, answers every dialog of this thread that comes up (a visible #32770 window,
// of that title when one is given): `fill` runs on it, then `button` is pressed.
class DialogAnswer {
public:
    explicit DialogAnswer(int button, std::function<void(HWND dialog)> fill = nullptr, std::string title = "");
    ~DialogAnswer();
    DialogAnswer(const DialogAnswer&) = delete;
    DialogAnswer& operator=(const DialogAnswer&) = delete;
    int Asked() const { return static_cast<int>(answered_.size()); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    static BOOL CALLBACK Found(HWND wnd, LPARAM);
    int button_;
    std::function<void(HWND)> fill_;
    std::string title_;
    UINT_PTR timer_ = 0;
    std::vector<HWND> answered_;
    DialogAnswer* previous_ = nullptr;
};

// The command identifiers of a popup menu's enabled items, separators left out, in order.
std::vector<UINT> EnabledMenuItems(HMENU popup);
// Run when `popup` opens in a menu loop of `owner`: posts the keys that choose the item `id`,
// or closes the menu when it has no such enabled item (or `id` is 0).
void ChooseMenuItem(HWND owner, HMENU popup, UINT id);

// The WM_SETREDRAW switches a window is sent while the log lives.
class RedrawLog {
public:
    explicit RedrawLog(HWND wnd);
    ~RedrawLog();
    RedrawLog(const RedrawLog&) = delete;
    RedrawLog& operator=(const RedrawLog&) = delete;
    const std::vector<WPARAM>& Switches() const { return switches_; }
    void Clear() { switches_.clear(); }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp);
    HWND wnd_;
    HHOOK hook_ = nullptr;
    std::vector<WPARAM> switches_;
    RedrawLog* previous_ = nullptr;
};

}  // namespace testing_support
