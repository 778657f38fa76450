#pragma once
// TIEButton: a flat push button painted on its parent. At rest only glyph and caption show;
// the mouse over it raises a 3-D border, a press sinks it and moves the contents by one
// pixel. It can also be a toggle button in a group, open a popup menu and show a small
// drop-down mark. Its own Visible flag hides it down to its background.
#include <windows.h>

#include "ui/Controls.h"
#include "ui/Graphics.h"
#include "ui/Menus.h"

// How a one- or two-cell glyph is drawn while the mouse is away (image list draw styles).
enum class TInactiveStyle { dsFocus, dsSelected, dsNormal, dsTransparent };

// Where the glyph goes relative to the caption.
enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// Where a flat button's glyph and caption go.
struct TButtonContent {
    POINT glyph;   // top-left corner of the glyph cell
    RECT caption;  // the caption's text box
};

// Lays out a glyph of `glyph` pixels and a caption of text extent `text` on `client`, the glyph
// where `layout` puts it. Margin -1 centres both together (as the button does), otherwise it
// is the glyph's distance from its own edge. Spacing is the room between glyph and caption; -1
// shares the free room equally: around and between both, or with a margin, on both sides of
// the caption. Each is centred across; division rounds toward zero.
TButtonContent LayoutButtonContent(const RECT& client, SIZE glyph, SIZE text, TButtonLayout layout, int margin,
                                   int spacing);

class TIEButton : public ui::TGraphicControl {
public:
    explicit TIEButton(ui::TComponent* owner);
    ~TIEButton() override;

    // A strip of 1 to 3 equal cells; setting it picks NumGlyphs and TransparentColor.
    const ui::TBitmap& Glyph() const { return glyph_; }
    void SetGlyph(const ui::TBitmap& glyph);
    // Loads a BITMAP resource of `module` as the glyph; false (glyph unchanged) when it is missing.
    bool LoadGlyph(const ui::String& resourceName, HINSTANCE module = ui::MainInstance());

    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int value);
    ui::TColor TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(ui::TColor value);
    TInactiveStyle InactiveStyle() const { return inactiveStyle_; }
    void SetInactiveStyle(TInactiveStyle value);
    TButtonLayout LayOut() const { return layout_; }
    void SetLayOut(TButtonLayout value);
    int Spacing() const { return spacing_; }
    void SetSpacing(int value);
    bool ShowCaption() const { return showCaption_; }
    void SetShowCaption(bool value);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int value);
    ui::TColor ColorHighLight() const { return colorHighLight_; }
    void SetColorHighLight(ui::TColor value);
    ui::TColor ColorShadow() const { return colorShadow_; }
    void SetColorShadow(ui::TColor value);

    // 0: push button; any other value: toggle button in that group of the parent's buttons.
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int value);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool value);
    // Reads the pressed state; always False when set on a push button.
    bool Down() const { return pressed_; }
    void SetDown(bool value);

    bool MenuMark() const { return menuMark_; }
    void SetMenuMark(bool value);
    // Opened below the button by a left press; cleared when the menu goes away.
    ui::TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(ui::TPopupMenu* menu);

    // The button's own visibility: a hidden button draws only its background and ignores the mouse.
    bool Visible() const override { return visible_; }
    void SetVisible(bool value) override;

    // The mouse over it (raised border) and the pressed look.
    bool Hot() const { return hot_; }
    bool Pressed() const { return pressed_; }

    ui::TNotifyEvent OnMouseEnter;
    ui::TNotifyEvent OnMouseLeave;

    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseMove(ui::TShiftState shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void Click() override;
    void DblClick() override;
    bool ControlMessage(ui::TMessage& message) override;

protected:
    void Paint() override;
    void Loaded() override;
    void Notification(ui::TComponent* component, ui::TOperation operation) override;
    void TextChanged() override;
    void EnabledChanged() override;

private:
    bool Active() const { return Enabled() && visible_; }
    void LoadMark();
    void SetPressed(bool value);
    void NotifyGroup();
    // The cell of the glyph that fits the current state, as a 32-bit bitmap of its own.
    ui::BitmapHandle CurrentCell() const;
    void DrawGlyph(HDC dc, int x, int y);

    ui::TBitmap glyph_;
    ui::TBitmap mark_;
    int numGlyphs_ = 2;
    ui::TColor transparentColor_ = ui::clOlive;
    TInactiveStyle inactiveStyle_ = TInactiveStyle::dsFocus;
    TButtonLayout layout_ = TButtonLayout::blGlyphTop;
    int spacing_ = 4;
    bool showCaption_ = true;
    int borderWidth_ = 1;
    ui::TColor colorHighLight_ = ui::clBtnHighlight;
    ui::TColor colorShadow_ = ui::clBtnShadow;
    int groupIndex_ = 0;
    bool allowAllUp_ = false;
    bool down_ = false;  // the stored Down value
    bool menuMark_ = false;
    ui::TPopupMenu* popupMenu_ = nullptr;
    bool visible_ = true;
    bool hot_ = false;
    bool pressed_ = false;
    bool pressedAtMouseDown_ = false;
};
