#pragma once
// Helpers for the control tests: colours as a device context shows them, icons drawn for a
// test, waiting for messages and acting on a modal window from inside its loop.
#include <windows.h>

#include <functional>
#include <string>

#include "ui/Graphics.h"

namespace ctl_test {

// The colour a device context really shows for `color` (displays of 16 bits round it).
inline COLORREF Shown(HDC dc, ui::TColor color) { return GetNearestColor(dc, ui::ColorToRGB(color)); }

// A display of 256 colours or fewer. Under Wine it shows the button face and its highlight
// alike (both white), so edges drawn in them cannot be told apart on it.
inline bool PalettedDisplay() {
    HDC screen = GetDC(nullptr);
    int bits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    return bits <= 8;
}

#define SKIP_UNLESS_3D_COLOURS_DISTINCT() \
    if (ctl_test::PalettedDisplay()) GTEST_SKIP() << "this display shows the 3-D colours alike"

// A 32 x 32 icon whose left half is opaque `color` and whose right half is transparent.
inline HICON HalfIcon(COLORREF color) {
    HDC screen = GetDC(nullptr);
    HBITMAP image = CreateCompatibleBitmap(screen, 32, 32);
    HBITMAP mask = CreateBitmap(32, 32, 1, 1, nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(mem, image);
    RECT all = {0, 0, 32, 32}, left = {0, 0, 16, 32}, right = {16, 0, 32, 32};
    HBRUSH fill = CreateSolidBrush(color);
    FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    FillRect(mem, &left, fill);
    SelectObject(mem, mask);
    FillRect(mem, &left, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    FillRect(mem, &right, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SelectObject(mem, old);
    DeleteObject(fill);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    ICONINFO ii = {TRUE, 0, 0, mask, image};
    HICON icon = CreateIconIndirect(&ii);
    DeleteObject(image);
    DeleteObject(mask);
    return icon;
}

// Dispatches messages until `done` holds or about ten seconds pass; false on time-out.
inline bool PumpUntil(const std::function<bool()>& done) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > 10000) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
}

// The first visible top-level window of this thread with the given class.
inline HWND FindThreadWindow(const char* className) {
    struct Search {
        const char* cls;
        HWND found;
    } s = {className, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            char cls[64] = "";
            GetClassNameA(w, cls, sizeof(cls));
            if (lstrcmpA(cls, s->cls) == 0 && IsWindowVisible(w)) {
                s->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

// While it lives, a thread timer looks for a window of `className` (from inside whatever
// modal loop runs) and, once it appears, calls `action` with it once.
class OnModalWindow {
public:
    OnModalWindow(const char* className, std::function<void(HWND)> action)
        : className_(className), action_(std::move(action)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 50, &OnModalWindow::Tick);
    }
    ~OnModalWindow() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    OnModalWindow(const OnModalWindow&) = delete;
    OnModalWindow& operator=(const OnModalWindow&) = delete;
    bool Acted() const { return acted_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        OnModalWindow* self = current_;
        if (!self || self->acted_) return;
        HWND w = FindThreadWindow(self->className_.c_str());
        if (!w) return;
        self->acted_ = true;
        self->action_(w);
    }
    static inline OnModalWindow* current_ = nullptr;
    std::string className_;
    std::function<void(HWND)> action_;
    UINT_PTR timer_ = 0;
    bool acted_ = false;
};

}  // namespace ctl_test
