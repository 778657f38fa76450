#pragma once
// Panels, images, bevels and the timer.
#include "ui/Controls.h"

namespace ui {

enum class TBevelCut { bvNone, bvLowered, bvRaised };

// A window of its own: a bevelled surface with a centred caption.
class TPanel : public TWinControl {
public:
    explicit TPanel(TComponent* owner);  // 185 x 41, raised outer bevel, no inner one
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut v);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut v);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int v);

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void PaintWindow(HDC dc) override;

private:
    TBevelCut bevelInner_ = TBevelCut::bvNone;
    TBevelCut bevelOuter_ = TBevelCut::bvRaised;
    int bevelWidth_ = 1;
};

// Shows a picture (an icon or a bitmap) at its top-left corner, or centred / stretched.
class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* owner);  // 105 x 105
    TPicture& Picture() { return picture_; }
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    bool Center() const { return center_; }
    void SetCenter(bool v);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool v);

protected:
    void Paint() override;

private:
    // Where the picture goes: its own size at the corner or centred, or the whole control.
    RECT DestRect() const;
    TPicture picture_;
    bool transparent_ = false;
    bool center_ = false;
    bool stretch_ = false;
};

enum class TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum class TBevelStyle { bsLowered, bsRaised };

class TBevel : public TGraphicControl {
public:
    explicit TBevel(TComponent* owner);  // 50 x 50, lowered box
    TBevelShape Shape() const { return shape_; }
    void SetShape(TBevelShape v);
    TBevelStyle Style() const { return style_; }
    void SetStyle(TBevelStyle v);

protected:
    void Paint() override;

private:
    TBevelShape shape_ = TBevelShape::bsBox;
    TBevelStyle style_ = TBevelStyle::bsLowered;
};

// Fires OnTimer every Interval milliseconds while Enabled (through a hidden window).
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned v);
    TNotifyEvent OnTimer;

private:
    void Update();
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    WindowHandle window_;
    bool enabled_ = true;
    unsigned interval_ = 1000;
};

}  // namespace ui
