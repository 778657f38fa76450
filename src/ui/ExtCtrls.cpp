#include "ui/ExtCtrls.h"

#include <algorithm>

#include "ui/Guard.h"

namespace ui {

namespace {

void BevelColors(bool lowered, TColor& top, TColor& bottom) {
    top = lowered ? clBtnShadow : clBtnHighlight;
    bottom = lowered ? clBtnHighlight : clBtnShadow;
}

}  // namespace

// ---- TPanel

TPanel::TPanel(TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 185, 41); }

void TPanel::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.ClassName = "TVemloraPanel";
    params.OwnClass = true;
    // The caption is centred: a new size repaints the whole panel.
    params.ClassStyle = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
}

void TPanel::HandleCreated() {
    // A panel laid over controls made before it covers them (the option panel over the icon
    // grid); a new child window would otherwise go below its older siblings.
    SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TPanel::SetBevelInner(TBevelCut v) {
    if (bevelInner_ == v) return;
    bevelInner_ = v;
    Invalidate();
}

void TPanel::SetBevelOuter(TBevelCut v) {
    if (bevelOuter_ == v) return;
    bevelOuter_ = v;
    Invalidate();
}

void TPanel::SetBevelWidth(int v) {
    if (v < 1) v = 1;
    if (bevelWidth_ == v) return;
    bevelWidth_ = v;
    Invalidate();
}

void TPanel::PaintWindow(HDC dc) {
    RECT r = {0, 0, 0, 0};
    GetClientRect(Handle(), &r);
    TColor top, bottom;
    if (bevelOuter_ != TBevelCut::bvNone) {
        BevelColors(bevelOuter_ == TBevelCut::bvLowered, top, bottom);
        Frame3D(dc, r, top, bottom, bevelWidth_);
    }
    if (bevelInner_ != TBevelCut::bvNone) {
        BevelColors(bevelInner_ == TBevelCut::bvLowered, top, bottom);
        Frame3D(dc, r, top, bottom, bevelWidth_);
    }
    if (Caption().empty()) return;
    SelectObjectScope font(dc, Font().Handle());
    TEXTMETRICA tm = {};
    GetTextMetricsA(dc, &tm);
    // One line, centred both ways inside the bevels.
    RECT text = r;
    text.top = (r.top + r.bottom - tm.tmHeight) / 2;
    text.bottom = text.top + tm.tmHeight;
    DrawControlText(dc, Caption(), text, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX | DT_EXPANDTABS, true,
                    Font().Color());
}

// ---- TImage

TImage::TImage(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 105, 105);
    SetParentColor(true);
    picture_.OnChange = [this] { Invalidate(); };
}

void TImage::SetTransparent(bool v) {
    if (transparent_ == v) return;
    transparent_ = v;
    Invalidate();
}

void TImage::SetCenter(bool v) {
    if (center_ == v) return;
    center_ = v;
    Invalidate();
}

void TImage::SetStretch(bool v) {
    if (stretch_ == v) return;
    stretch_ = v;
    Invalidate();
}

RECT TImage::DestRect() const {
    int w = picture_.Width(), h = picture_.Height();
    if (stretch_) return RECT{0, 0, Width(), Height()};
    int x = 0, y = 0;
    if (center_) {
        x = (Width() - w) / 2;
        y = (Height() - h) / 2;
    }
    return RECT{x, y, x + w, y + h};
}

void TImage::Paint() {
    HDC dc = Canvas().Handle();
    if (!transparent_) {
        RECT all = {0, 0, Width(), Height()};
        Canvas().Brush().SetColor(Color());
        Canvas().FillRect(all);
    }
    const TGraphic* g = picture_.Graphic();
    if (!g || g->Empty()) return;
    RECT d = DestRect();
    int dw = d.right - d.left, dh = d.bottom - d.top;
    if (const TIcon* icon = picture_.Icon()) {
        // The icon's mask lets whatever is below show through.
        DrawIconEx(dc, d.left, d.top, icon->Handle(), dw, dh, 0, nullptr, DI_NORMAL);
        return;
    }
    const auto* bitmap = dynamic_cast<const TBitmap*>(g);
    if (!bitmap) {
        Canvas().Draw(d.left, d.top, *g);
        return;
    }
    int bw = bitmap->Width(), bh = bitmap->Height();
    MemDcHandle mem(CreateCompatibleDC(dc));
    SelectObjectScope sel(mem.get(), bitmap->Handle());
    if (!transparent_) {
        StretchBlt(dc, d.left, d.top, dw, dh, mem.get(), 0, 0, bw, bh, SRCCOPY);
        return;
    }
    // A transparent bitmap leaves out the colour of its bottom-left pixel.
    if (dw <= 0 || dh <= 0 || bw <= 0 || bh <= 0) return;
    COLORREF key = GetPixel(mem.get(), 0, bh - 1);
    for (int y = 0; y < dh; ++y)
        for (int x = 0; x < dw; ++x) {
            COLORREF c = GetPixel(mem.get(), x * bw / dw, y * bh / dh);
            if (c != key && c != CLR_INVALID) ::SetPixel(dc, d.left + x, d.top + y, c);
        }
}

// ---- TBevel

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 50, 50);
    SetParentColor(true);
}

void TBevel::SetShape(TBevelShape v) {
    if (shape_ == v) return;
    shape_ = v;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle v) {
    if (style_ == v) return;
    style_ = v;
    Invalidate();
}

void TBevel::Paint() {
    HDC dc = Canvas().Handle();
    int w = Width(), h = Height();
    TColor c1, c2;
    BevelColors(style_ == TBevelStyle::bsLowered, c1, c2);
    switch (shape_) {
        case TBevelShape::bsBox: {
            // Unlike a panel's, a bevel's bottom-left corner belongs to its left edge.
            RECT box = {0, 0, w, h};
            Frame3D(dc, box, c1, c2, 1, TFrameCorner::fcLeftEdge);
            break;
        }
        case TBevelShape::bsFrame: {
            // Two rectangles one pixel apart: the second colour below, the first on top.
            RECT below = {1, 1, w, h}, above = {0, 0, w - 1, h - 1};
            Frame3D(dc, below, c2, c2, 1);
            Frame3D(dc, above, c1, c1, 1);
            break;
        }
        case TBevelShape::bsTopLine:
            FillSolidRect(dc, RECT{0, 0, w, 1}, c1);
            FillSolidRect(dc, RECT{0, 1, w, 2}, c2);
            break;
        case TBevelShape::bsBottomLine:
            FillSolidRect(dc, RECT{0, h - 2, w, h - 1}, c1);
            FillSolidRect(dc, RECT{0, h - 1, w, h}, c2);
            break;
        case TBevelShape::bsLeftLine:
            FillSolidRect(dc, RECT{0, 0, 1, h}, c1);
            FillSolidRect(dc, RECT{1, 0, 2, h}, c2);
            break;
        case TBevelShape::bsRightLine:
            FillSolidRect(dc, RECT{w - 2, 0, w - 1, h}, c1);
            FillSolidRect(dc, RECT{w - 1, 0, w, h}, c2);
            break;
        case TBevelShape::bsSpacer:
            break;
    }
}

// ---- TTimer

namespace {

const char kTimerClass[] = "TVemloraTimer";

}  // namespace

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &TTimer::WndProc;
        wc.hInstance = MainInstance();
        wc.lpszClassName = kTimerClass;
        if (RegisterClassExA(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) registered = true;
    }
    window_.reset(CreateWindowExA(0, kTimerClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, MainInstance(),
                                  nullptr));
    if (!window_) throw Exception("Cannot create the timer's window");
    SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    Update();
}

TTimer::~TTimer() {
    if (window_) {
        KillTimer(window_.get(), 1);
        SetWindowLongPtrA(window_.get(), GWLP_USERDATA, 0);
    }
}

void TTimer::SetEnabled(bool v) {
    if (enabled_ == v) return;
    enabled_ = v;
    Update();
}

void TTimer::SetInterval(unsigned v) {
    if (interval_ == v) return;
    interval_ = v;
    Update();
}

void TTimer::Update() {
    if (!window_) return;
    KillTimer(window_.get(), 1);
    if (enabled_ && interval_ > 0) SetTimer(window_.get(), 1, interval_, nullptr);
}

LRESULT CALLBACK TTimer::WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_TIMER) return DefWindowProcA(wnd, msg, wp, lp);
    auto* self = reinterpret_cast<TTimer*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (!self || !self->enabled_ || !self->OnTimer) return 0;
    return Guarded(0, [self] {
        // A copy: the handler may free the timer or replace its handler.
        TNotifyEvent handler = self->OnTimer;
        handler(self);
        return 0;
    });
}

}  // namespace ui
