#include "ui/Controls.h"

#include <windowsx.h>

#include <algorithm>
#include <set>
#include <unordered_map>

#include "ui/Guard.h"

namespace ui {

namespace {

bool RegisterOwnClass(const TCreateParams& p) {
    static std::set<String> registered;
    if (registered.count(p.ClassName)) return true;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = p.ClassStyle;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = MainInstance();
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hIcon = p.Icon;
    wc.lpszClassName = p.ClassName.c_str();
    if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    registered.insert(p.ClassName);
    return true;
}

TMouseButton ButtonOf(UINT msg) {
    switch (msg) {
        case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK: return TMouseButton::mbRight;
        case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK: return TMouseButton::mbMiddle;
        default: return TMouseButton::mbLeft;
    }
}

bool IsButtonDown(UINT m) {
    return m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN;
}
bool IsButtonDblClk(UINT m) {
    return m == WM_LBUTTONDBLCLK || m == WM_RBUTTONDBLCLK || m == WM_MBUTTONDBLCLK;
}
bool IsButtonUp(UINT m) { return m == WM_LBUTTONUP || m == WM_RBUTTONUP || m == WM_MBUTTONUP; }

}  // namespace

HINSTANCE MainInstance() { return GetModuleHandleA(nullptr); }

TShiftState ShiftStateFromKeys(WPARAM keys) {
    TShiftState s = 0;
    if (keys & MK_SHIFT) s |= ssShift;
    if (keys & MK_CONTROL) s |= ssCtrl;
    if (keys & MK_LBUTTON) s |= ssLeft;
    if (keys & MK_RBUTTON) s |= ssRight;
    if (keys & MK_MBUTTON) s |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

// ---- TControl

TControl::TControl(TComponent* owner) : TComponent(owner) {
    font_.OnChange = [this] {
        parentFont_ = false;
        FontChanged();
    };
}

TControl::~TControl() {
    font_.OnChange = nullptr;
    if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent_ == parent) return;
    if (parent == this) throw Exception("A control cannot be its own parent");
    if (parent_) parent_->RemoveControl(this);
    if (parent) parent->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    SetBoundsAligned(left, top, width, height);
    if (parent_ && align_ != TAlign::alNone) parent_->AlignControls();
}

void TControl::SetBoundsAligned(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    Invalidate();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    BoundsChanged();
    Invalidate();
}

void TControl::SetAlign(TAlign align) {
    if (align_ == align) return;
    align_ = align;
    if (parent_) parent_->AlignControls();
}

void TControl::SetVisible(bool visible) {
    if (visible_ == visible) return;
    if (!visible) Invalidate();
    visible_ = visible;
    VisibleChanged();
}

void TControl::VisibleChanged() {
    Invalidate();
    if (parent_ && align_ != TAlign::alNone) parent_->AlignControls();
}

bool TControl::Showing() const {
    if (!visible_) return false;
    return parent_ ? parent_->Showing() : true;
}

void TControl::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    EnabledChanged();
}

void TControl::SetCaption(const String& caption) {
    if (caption_ == caption) return;
    caption_ = caption;
    TextChanged();
}

void TControl::SetParentFont(bool value) {
    if (parentFont_ == value) return;
    parentFont_ = value;
    if (value && parent_) ParentFontChanged();
}

void TControl::SetColor(TColor color) {
    parentColor_ = false;
    if (color_ == color) return;
    color_ = color;
    ColorChanged();
}

void TControl::SetParentColor(bool value) {
    if (parentColor_ == value) return;
    parentColor_ = value;
    if (value && parent_) ParentColorChanged();
}

void TControl::ParentFontChanged() {
    if (!parentFont_ || !parent_) return;
    if (font_ == parent_->Font()) return;
    auto handler = std::move(font_.OnChange);
    font_.Assign(parent_->Font());
    font_.OnChange = std::move(handler);
    FontChanged();
}

void TControl::ParentColorChanged() {
    if (!parentColor_ || !parent_) return;
    if (color_ == parent_->Color()) return;
    color_ = parent_->Color();
    ColorChanged();
}

HWND TControl::PaintWindow() const { return parent_ ? parent_->PaintWindow() : nullptr; }

void TControl::Invalidate() {}

void TControl::Repaint() {
    Invalidate();
    if (HWND w = PaintWindow()) UpdateWindow(w);
}

POINT TControl::ClientToScreen(POINT p) const {
    if (auto self = dynamic_cast<const TWinControl*>(this); self && self->HandleAllocated()) {
        ::ClientToScreen(const_cast<TWinControl*>(self)->Handle(), &p);
        return p;
    }
    p.x += left_;
    p.y += top_;
    return parent_ ? parent_->ClientToScreen(p) : p;
}

LRESULT TControl::Perform(UINT msg, WPARAM wp, LPARAM lp) {
    TMessage m{msg, wp, lp, 0};
    ControlMessage(m);
    return m.Result;
}

bool TControl::ControlMessage(TMessage&) { return false; }

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}
void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}
void TControl::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}
void TControl::Click() {
    if (OnClick) OnClick(this);
}
void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

// ---- TGraphicControl

void TGraphicControl::PaintTo(HDC dc) {
    canvas_.SetHandle(dc);
    canvas_.Font().Assign(Font());
    canvas_.Brush().SetColor(Color());
    struct Release {
        TCanvas& c;
        ~Release() { c.Release(); }
    } release{canvas_};
    Paint();
}

// A window that does not show is painted whole when it comes to show: nothing to mark before.
void TGraphicControl::Invalidate() {
    TWinControl* p = Parent();
    if (p && p->HandleAllocated() && IsWindowVisible(p->Handle())) {
        RECT r = BoundsRect();
        InvalidateRect(p->Handle(), &r, TRUE);
    }
}

// ---- TWinControl

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    DestroyHandle();
    for (TControl* c : controls_) c->parent_ = nullptr;
    controls_.clear();
}

namespace {
// Window to object, for every window bound to a control. Looked up on every message, so it
// lives in the process rather than in a window property (a server round trip under Wine).
std::unordered_map<HWND, TWinControl*>& BoundWindows() {
    static std::unordered_map<HWND, TWinControl*> map;
    return map;
}
}  // namespace

TWinControl* TWinControl::FromHandle(HWND wnd) {
    if (!wnd) return nullptr;
    auto& map = BoundWindows();
    auto it = map.find(wnd);
    return it == map.end() ? nullptr : it->second;
}

void TWinControl::CreateParams(TCreateParams& p) {
    p.ClassName = "TVemloraWindow";
    p.OwnClass = true;
    p.Style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    if (VisibleFlag()) p.Style |= WS_VISIBLE;
    if (!Enabled()) p.Style |= WS_DISABLED;
    if (tabStop_) p.Style |= WS_TABSTOP;
    p.X = Left();
    p.Y = Top();
    p.Width = Width();
    p.Height = Height();
    p.Caption = Caption();
    if (Parent()) p.WndParent = Parent()->Handle();
}

HWND TWinControl::Handle() {
    // The parent's window comes first; creating it creates its children's windows too.
    if (!handle_ && Parent()) Parent()->Handle();
    if (!handle_) CreateWnd();
    return handle_;
}

void TWinControl::CreateWnd() {
    TCreateParams p;
    CreateParams(p);
    if (handle_) return;  // made while CreateParams asked for the parent's window
    if ((p.Style & WS_CHILD) && !p.WndParent) throw Exception("Control '" + Name() + "' has no parent window");
    if (p.OwnClass && !RegisterOwnClass(p)) throw Exception("Cannot register window class " + p.ClassName);
    // A window made while its parent shows (a hidden control shown at last) is shown once it is
    // bound: before that its erasing would go to the class's procedure and be lost.
    const bool showWhenBound =
        (p.Style & WS_CHILD) && (p.Style & WS_VISIBLE) && p.WndParent && IsWindowVisible(p.WndParent);
    if (showWhenBound) p.Style &= ~static_cast<DWORD>(WS_VISIBLE);
    HMENU id = nullptr;
    if (p.Style & WS_CHILD) id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(Parent() ? Parent()->nextChildId_++ : 1));
    HWND wnd = CreateWindowExA(p.ExStyle, p.ClassName.c_str(), p.Caption.c_str(), p.Style, p.X, p.Y, p.Width,
                               p.Height, p.WndParent, id, MainInstance(), nullptr);
    if (!wnd) throw Exception("Cannot create the window of '" + Name() + "'");
    handle_ = wnd;
    BoundWindows()[wnd] = this;
    // A later control covers an earlier one, also when its window was made first.
    if (p.Style & WS_CHILD)
        SetWindowPos(wnd, Parent() ? Parent()->WindowAbove(this) : HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    defWndProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWinControl::StdWndProc)));
    SendMessageA(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
    HandleCreated();
    // A hidden child's window waits until the child is shown or its handle is asked for.
    for (TControl* c : std::vector<TControl*>(controls_))
        if (auto w = dynamic_cast<TWinControl*>(c); w && w->VisibleFlag()) w->Handle();
    AlignControls();
    if (showWhenBound && handle_ == wnd) ShowWindow(wnd, SW_SHOWNA);
}

HWND TWinControl::WindowAbove(const TControl* child) const {
    auto it = std::find(controls_.begin(), controls_.end(), child);
    if (it == controls_.end()) return HWND_TOP;
    for (++it; it != controls_.end(); ++it)
        if (auto w = dynamic_cast<TWinControl*>(*it); w && w->handle_) return w->handle_;
    return HWND_TOP;
}

void TWinControl::DestroyHandle() {
    if (!handle_) return;
    HWND wnd = handle_;
    DestroyWindow(wnd);
    // WM_NCDESTROY has unbound the window; make sure even if it never came.
    if (handle_ == wnd) {
        BoundWindows().erase(wnd);
        handle_ = nullptr;
    }
}

void TWinControl::RecreateWnd() {
    if (!handle_) return;
    recreating_ = true;
    DestroyHandle();
    recreating_ = false;
    Handle();
}

void TWinControl::InsertControl(TControl* control) {
    controls_.push_back(control);
    control->parent_ = this;
    control->ParentFontChanged();
    control->ParentColorChanged();
    if (auto w = dynamic_cast<TWinControl*>(control); w && handle_ && w->VisibleFlag()) w->Handle();
    if (control->Align() != TAlign::alNone) AlignControls();
    control->Invalidate();
}

void TWinControl::RemoveControl(TControl* control) {
    auto it = std::find(controls_.begin(), controls_.end(), control);
    if (it == controls_.end()) return;
    control->Invalidate();
    if (hotControl_ == control) hotControl_ = nullptr;
    if (captureControl_ == control) {
        captureControl_ = nullptr;
        if (GetCapture() == handle_) ReleaseCapture();
    }
    if (auto w = dynamic_cast<TWinControl*>(control)) w->DestroyHandle();
    controls_.erase(it);
    control->parent_ = nullptr;
}

TControl* TWinControl::ControlAtPos(POINT p, bool graphicOnly) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (graphicOnly && dynamic_cast<TWinControl*>(c)) continue;
        RECT r = c->BoundsRect();
        if (c->VisibleFlag() && c->Enabled() && PtInRect(&r, p)) return c;
    }
    return nullptr;
}

void TWinControl::Broadcast(TMessage& message) {
    for (TControl* c : std::vector<TControl*>(controls_)) c->ControlMessage(message);
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    TControl::SetBounds(left, top, width, height);
}

void TWinControl::BoundsChanged() {
    if (handle_) SetWindowPos(handle_, nullptr, Left(), Top(), Width(), Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    AlignControls();
}

RECT TWinControl::ClientRect() const {
    RECT r = {0, 0, Width(), Height()};
    if (handle_) GetClientRect(handle_, &r);
    return r;
}

void TWinControl::Invalidate() {
    if (handle_ && IsWindowVisible(handle_)) InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::AlignControls() {
    RECT r = AlignRect();
    for (TAlign pass : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
        for (TControl* c : controls_) {
            if (c->Align() != pass || !c->VisibleFlag()) continue;
            int h = c->Height(), w = c->Width();
            switch (pass) {
                case TAlign::alTop: c->SetBoundsAligned(r.left, r.top, r.right - r.left, h); r.top += h; break;
                case TAlign::alBottom: c->SetBoundsAligned(r.left, r.bottom - h, r.right - r.left, h); r.bottom -= h; break;
                case TAlign::alLeft: c->SetBoundsAligned(r.left, r.top, w, r.bottom - r.top); r.left += w; break;
                case TAlign::alRight: c->SetBoundsAligned(r.right - w, r.top, w, r.bottom - r.top); r.right -= w; break;
                default: c->SetBoundsAligned(r.left, r.top, r.right - r.left, r.bottom - r.top); break;
            }
        }
    }
}

void TWinControl::SetTabStop(bool v) {
    if (tabStop_ == v) return;
    tabStop_ = v;
    if (handle_) {
        LONG_PTR s = GetWindowLongPtrA(handle_, GWL_STYLE);
        SetWindowLongPtrA(handle_, GWL_STYLE, v ? (s | WS_TABSTOP) : (s & ~static_cast<LONG_PTR>(WS_TABSTOP)));
    }
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus() { ::SetFocus(Handle()); }

void TWinControl::TextChanged() {
    if (handle_) SetWindowTextA(handle_, Caption().c_str());
    else TControl::TextChanged();
}

void TWinControl::FontChanged() {
    if (handle_) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
    for (TControl* c : controls_) c->ParentFontChanged();
    Invalidate();
}

void TWinControl::ColorChanged() {
    for (TControl* c : controls_) c->ParentColorChanged();
    Invalidate();
}

void TWinControl::EnabledChanged() {
    if (handle_) EnableWindow(handle_, Enabled());
    Invalidate();
}

void TWinControl::VisibleChanged() {
    if (handle_) ShowWindow(handle_, VisibleFlag() ? SW_SHOWNA : SW_HIDE);
    else if (VisibleFlag() && Parent() && Parent()->handle_) Handle();  // made visible
    if (Parent() && Align() != TAlign::alNone) Parent()->AlignControls();
}

bool TWinControl::EraseBackground(HDC dc) {
    RECT r;
    GetClientRect(handle_, &r);
    FillSolidRect(dc, r, Color());
    return true;
}

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
    if (OnKeyDown) OnKeyDown(this, key, shift);
}

LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM wp, LPARAM lp) {
    return CallWindowProcA(defWndProc_ ? defWndProc_ : DefWindowProcA, handle_, msg, wp, lp);
}

LRESULT CALLBACK TWinControl::StdWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    TWinControl* self = FromHandle(wnd);
    if (!self || self->handle_ != wnd) return DefWindowProcA(wnd, msg, wp, lp);
    LRESULT result = 0;
    Guarded([&] { self->Dispatch(msg, wp, lp, result); });
    if (msg == WM_NCDESTROY) {
        BoundWindows().erase(wnd);
        if (self->handle_ == wnd) self->handle_ = nullptr;
        self->hotControl_ = self->captureControl_ = nullptr;
        self->trackingLeave_ = false;
    }
    return result;
}

void TWinControl::Dispatch(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_COMMAND:
            if (lp && Reflect(reinterpret_cast<HWND>(lp), msg, wp, lp, result)) return;
            break;
        case WM_NOTIFY:
            if (Reflect(reinterpret_cast<NMHDR*>(lp)->hwndFrom, msg, wp, lp, result)) return;
            break;
        case WM_DRAWITEM: {
            auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
            if (dis->CtlType != ODT_MENU && Reflect(dis->hwndItem, msg, wp, lp, result)) return;
            break;
        }
        case WM_DELETEITEM:
            if (Reflect(reinterpret_cast<DELETEITEMSTRUCT*>(lp)->hwndItem, msg, wp, lp, result)) return;
            break;
        case WM_MEASUREITEM: {
            auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
            if (mis->CtlType != ODT_MENU && Reflect(GetDlgItem(handle_, mis->CtlID), msg, wp, lp, result)) return;
            break;
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
            if (Reflect(reinterpret_cast<HWND>(lp), msg, wp, lp, result)) return;
            break;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
            if (RouteMouse(msg, wp, lp)) {
                result = 0;
                return;
            }
            break;
        case WM_MOUSELEAVE:
            trackingLeave_ = false;
            SetHotControl(nullptr);
            break;
        case WM_CAPTURECHANGED:
            if (captureControl_ && reinterpret_cast<HWND>(lp) != handle_) captureControl_ = nullptr;
            break;
        case WM_DESTROY:
            HandleDestroying();
            break;
        default:
            break;
    }
    WndProc(msg, wp, lp, result);
}

bool TWinControl::Reflect(HWND child, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    TWinControl* c = FromHandle(child);
    if (!c || c == this || c->handle_ != child) return false;
    result = 0;
    c->WndProc(CN_BASE + msg, wp, lp, result);
    return true;
}

bool TWinControl::RouteMouse(UINT msg, WPARAM wp, LPARAM lp) {
    POINT p = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    TShiftState shift = ShiftStateFromKeys(wp);
    if (msg == WM_MOUSEMOVE) {
        if (!trackingLeave_) {
            TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, handle_, 0};
            trackingLeave_ = TrackMouseEvent(&tme) != FALSE;
        }
        SetHotControl(ControlAtPos(p, true));
        TControl* target = captureControl_ ? captureControl_ : hotControl_;
        if (!target) return false;
        target->MouseMove(shift, p.x - target->Left(), p.y - target->Top());
        return true;
    }
    TMouseButton button = ButtonOf(msg);
    if (IsButtonDown(msg) || IsButtonDblClk(msg)) {
        TControl* target = ControlAtPos(p, true);
        if (!target) return false;
        captureControl_ = target;
        // Only a single press may end in a click; the release after a double click does not.
        captureClicks_ = msg == WM_LBUTTONDOWN;
        SetCapture(handle_);
        if (IsButtonDblClk(msg) && target->WantsDoubleClicks()) {
            if (button == TMouseButton::mbLeft) target->DblClick();
            shift |= ssDouble;
        }
        // The double click handler may have removed the control.
        if (captureControl_ == target) target->MouseDown(button, shift, p.x - target->Left(), p.y - target->Top());
        return true;
    }
    if (IsButtonUp(msg)) {
        TControl* target = captureControl_;
        if (!target) return false;
        captureControl_ = nullptr;
        if (GetCapture() == handle_) ReleaseCapture();
        RECT r = target->BoundsRect();
        bool inside = PtInRect(&r, p) != FALSE;
        target->MouseUp(button, shift, p.x - target->Left(), p.y - target->Top());
        bool click = button == TMouseButton::mbLeft && inside && captureClicks_;
        captureClicks_ = false;
        if (click && target->Parent() == this) target->Click();
        return true;
    }
    return false;
}

void TWinControl::SetHotControl(TControl* control) {
    if (hotControl_ == control) return;
    TControl* old = hotControl_;
    hotControl_ = control;
    if (old) old->MouseLeave();
    if (control && hotControl_ == control) control->MouseEnter();
}

void TWinControl::PaintHandler() {
    PaintDC paint(handle_);
    HDC dc = paint.get();
    PaintWindow(dc);
    for (TControl* c : std::vector<TControl*>(controls_)) {
        auto g = dynamic_cast<TGraphicControl*>(c);
        if (!g || !g->VisibleFlag()) continue;
        RECT r = g->BoundsRect(), hit;
        if (!IntersectRect(&hit, &r, &paint.Area())) continue;
        SavedDC saved(dc);
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        OffsetViewportOrgEx(dc, r.left, r.top, nullptr);
        g->PaintTo(dc);
    }
}

void TWinControl::WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg >= CN_BASE && msg < CN_BASE + 0x400) {
        switch (msg) {
            case CN_CTLCOLOREDIT:
            case CN_CTLCOLORLISTBOX:
            case CN_CTLCOLORBTN:
            case CN_CTLCOLORSTATIC: {
                // Text in the control's font colour on the control's colour.
                static thread_local BrushHandle brushes[4];
                HDC dc = reinterpret_cast<HDC>(wp);
                SetTextColor(dc, ColorToRGB(Font().Color()));
                SetBkColor(dc, ColorToRGB(Color()));
                BrushHandle& b = brushes[(msg - CN_CTLCOLOREDIT) & 3];
                b.reset(CreateSolidBrush(ColorToRGB(Color())));
                result = reinterpret_cast<LRESULT>(b.get());
                return;
            }
            default:
                result = 0;
                return;
        }
    }
    bool own = defWndProc_ == DefWindowProcA;
    switch (msg) {
        case WM_PAINT:
            if (own) {
                PaintHandler();
                result = 0;
                return;
            }
            break;
        case WM_ERASEBKGND:
            if (own && EraseBackground(reinterpret_cast<HDC>(wp))) {
                result = 1;
                return;
            }
            break;
        case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK: {
            TShiftState s = ShiftStateFromKeys(wp) | (IsButtonDblClk(msg) ? static_cast<TShiftState>(ssDouble) : 0u);
            if (msg == WM_LBUTTONDBLCLK && own) DblClick();
            if (msg == WM_LBUTTONDOWN && own) clicking_ = true;
            MouseDown(ButtonOf(msg), s, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
            break;
        }
        case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP: {
            POINT p = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            RECT r = ClientRect();
            bool click = msg == WM_LBUTTONUP && clicking_ && PtInRect(&r, p);
            if (msg == WM_LBUTTONUP) clicking_ = false;
            if (click) Click();
            MouseUp(ButtonOf(msg), ShiftStateFromKeys(wp), p.x, p.y);
            break;
        }
        case WM_MOUSEMOVE:
            MouseMove(ShiftStateFromKeys(wp), GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
            break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            WORD key = static_cast<WORD>(wp);
            TShiftState s = 0;
            if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
            if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
            if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
            KeyDown(key, s);
            if (key == 0) {
                result = 0;
                return;
            }
            wp = key;
            break;
        }
        case WM_KEYUP: {
            WORD key = static_cast<WORD>(wp);
            if (OnKeyUp) OnKeyUp(this, key, 0);
            break;
        }
        case WM_SETFOCUS:
            if (OnEnter) OnEnter(this);
            break;
        case WM_KILLFOCUS:
            if (OnExit) OnExit(this);
            break;
        case WM_SIZE:
            AlignControls();
            break;
        default:
            break;
    }
    result = DefaultHandler(msg, wp, lp);
}

}  // namespace ui
