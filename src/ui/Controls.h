#pragma once
// Controls: graphic controls (drawn on their parent's window, hit-tested and given mouse
// enter/leave by it) and windowed controls (a window of their own). A parent reflects
// owner-draw, command and notification messages to the child control they concern.
#include <windows.h>

#include <functional>
#include <vector>

#include "ui/Component.h"
#include "ui/Graphics.h"

namespace ui {

class TWinControl;

using TObject = TComponent;
using TNotifyEvent = std::function<void(TObject* sender)>;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum class TMouseButton { mbLeft, mbRight, mbMiddle };

using TShiftState = unsigned;
enum : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };
TShiftState ShiftStateFromKeys(WPARAM keys);

using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(TObject* sender, WORD& key, TShiftState shift)>;

// Messages a parent reflects to the child control they concern (same parameters).
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_DELETEITEM = CN_BASE + WM_DELETEITEM;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;

// A message sent from control to control; `Result` is for the receiver.
struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    // Places the control for its parent's alignment, without aligning again.
    void SetBoundsAligned(int left, int top, int width, int height);
    RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
    virtual RECT ClientRect() const { return RECT{0, 0, width_, height_}; }
    int ClientWidth() const { return ClientRect().right; }
    int ClientHeight() const { return ClientRect().bottom; }

    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);

    // Visible and Enabled are virtual so that a control may give them a meaning of its own.
    virtual bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // The control and all its parents are visible (the base flags).
    bool Showing() const;
    virtual bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);

    const String& Caption() const { return caption_; }
    void SetCaption(const String& caption);

    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font) { font_.Assign(font); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);

    const String& Hint() const { return hint_; }
    void SetHint(const String& hint) { hint_ = hint; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool v) { showHint_ = v; }

    virtual void Invalidate();
    void Repaint();
    POINT ClientToScreen(POINT p) const;
    // The window that draws this control: its own, or its parent's for a graphic control.
    virtual HWND PaintWindow() const;

    // Sends a control message; returns its result (0 when nobody handled it).
    LRESULT Perform(UINT msg, WPARAM wp = 0, LPARAM lp = 0);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    // Mouse input, in client coordinates of this control. A windowed control gets it from
    // its own window, a graphic control from its parent.
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    virtual void Click();
    virtual void DblClick();
    // Whether a graphic control takes double clicks as such (else as a second click).
    virtual bool WantsDoubleClicks() const { return true; }

    // A control message (the parent's broadcasts, CM_ style); true when handled.
    virtual bool ControlMessage(TMessage& message);

protected:
    virtual void BoundsChanged() {}
    virtual void TextChanged() { Invalidate(); }
    virtual void FontChanged() { Invalidate(); }
    virtual void ColorChanged() { Invalidate(); }
    virtual void EnabledChanged() { Invalidate(); }
    virtual void VisibleChanged();
    // The parent's font or colour changed.
    virtual void ParentFontChanged();
    virtual void ParentColorChanged();

    bool VisibleFlag() const { return visible_; }

    friend class TWinControl;

private:
    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = TAlign::alNone;
    bool visible_ = true;
    bool enabled_ = true;
    String caption_;
    TFont font_;
    bool parentFont_ = true;
    TColor color_ = clBtnFace;
    bool parentColor_ = false;
    String hint_;
    bool showHint_ = false;
};

class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner) : TControl(owner) {}
    TCanvas& Canvas() { return canvas_; }
    // Paints the control on `dc`, whose origin is the control's top-left corner.
    void PaintTo(HDC dc);
    void Invalidate() override;

protected:
    virtual void Paint() = 0;

private:
    TCanvas canvas_;
};

struct TCreateParams {
    String ClassName;        // window class to create
    bool OwnClass = false;   // register ClassName with the toolkit's default procedure
    UINT ClassStyle = CS_DBLCLKS;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    String Caption;
    HICON Icon = nullptr;
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    // Creates the window (and its parents' windows) when it does not exist yet. A parent's
    // window brings its visible children's; a hidden child's comes when it is first shown.
    HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded() { Handle(); }
    void DestroyHandle();
    // Destroys the window and creates it again (a style that exists only at creation changed).
    void RecreateWnd();

    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int index) const { return controls_[index]; }
    // Topmost visible, enabled child control at a client point; graphic controls only if `graphicOnly`.
    TControl* ControlAtPos(POINT p, bool graphicOnly) const;
    // Sends `message` to every child control.
    void Broadcast(TMessage& message);

    void SetBounds(int left, int top, int width, int height) override;
    RECT ClientRect() const override;
    HWND PaintWindow() const override { return handle_; }
    void Invalidate() override;

    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool v);
    bool Focused() const;
    void SetFocus();

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;

    // The object of one of the toolkit's windows (null for other windows).
    static TWinControl* FromHandle(HWND wnd);

    // Handles one message of the window; the default passes it to DefaultHandler.
    virtual void WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // The window class's own procedure (or DefWindowProcA for the toolkit's classes).
    LRESULT DefaultHandler(UINT msg, WPARAM wp, LPARAM lp);

protected:
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    // Called after the window exists and is bound to this object.
    virtual void HandleCreated() {}
    // Called before the window is destroyed, while it still exists.
    virtual void HandleDestroying() {}
    // Paints the window's own surface (the background is already filled); graphic children follow.
    virtual void PaintWindow(HDC dc) { (void)dc; }
    // Fills the background; false to leave it to the window class.
    virtual bool EraseBackground(HDC dc);
    virtual void AlignControls();
    // Where aligned children go (client rectangle by default).
    virtual RECT AlignRect() const { return ClientRect(); }

    void TextChanged() override;
    void FontChanged() override;
    void ColorChanged() override;
    void EnabledChanged() override;
    void VisibleChanged() override;
    void BoundsChanged() override;
    virtual void KeyDown(WORD& key, TShiftState shift);

    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    friend class TControl;

private:
    static LRESULT CALLBACK StdWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    void Dispatch(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    bool Reflect(HWND child, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    bool RouteMouse(UINT msg, WPARAM wp, LPARAM lp);
    void SetHotControl(TControl* control);
    void PaintHandler();
    void UpdateShowing();
    // The window that `child`'s new window goes below: that of the next later child that has one.
    HWND WindowAbove(const TControl* child) const;

    HWND handle_ = nullptr;
    WNDPROC defWndProc_ = nullptr;
    std::vector<TControl*> controls_;
    TControl* hotControl_ = nullptr;      // graphic child under the mouse
    TControl* captureControl_ = nullptr;  // graphic child that got the button press
    bool captureClicks_ = false;          // that press was a single left press
    bool trackingLeave_ = false;
    bool tabStop_ = false;
    int nextChildId_ = 100;
    bool recreating_ = false;
    bool clicking_ = false;  // the left button went down on the control's own window
};

// The module whose resources the program uses (the executable).
HINSTANCE MainInstance();

}  // namespace ui
