#include "components/IEButton.h"

#include <commctrl.h>

#include <algorithm>

using namespace ui;

namespace {

// The group notice travels between the buttons of one parent; a registered number
// cannot collide with another control's messages.
UINT GroupMessage() {
    static const UINT message = RegisterWindowMessageA("VemloraIEButtonPressed");
    return message;
}

// The 8 x 8 brush pattern of a down grouped button, shared by all buttons for the life of the
// program; its colour is that of the first button that needs it.
HBITMAP PatternBitmap(TColor color) {
    static BitmapHandle pattern;
    if (!pattern) {
        DWORD* bits = nullptr;
        pattern = CreateDib32(8, 8, &bits);
        if (!pattern) return nullptr;
        DWORD face = RgbToPixel(ColorToRGB(color));
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) bits[y * 8 + x] = (x % 2 == y % 2) ? 0xFFFFFF : face;
    }
    return pattern.get();
}

UINT DrawFlag(TInactiveStyle style) {
    switch (style) {
        case TInactiveStyle::dsFocus: return ILD_FOCUS;
        case TInactiveStyle::dsSelected: return ILD_SELECTED;
        case TInactiveStyle::dsTransparent: return ILD_TRANSPARENT;
        default: return ILD_NORMAL;
    }
}

}  // namespace

TIEButton::TIEButton(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 55, 45);
    SetParentColor(true);
}

TIEButton::~TIEButton() = default;

// ---- properties

void TIEButton::SetGlyph(const TBitmap& glyph) {
    int w = glyph.Width(), h = glyph.Height();
    if (glyph.Empty() || w <= 0 || h <= 0) {
        glyph_.SetHandle(nullptr);
        Invalidate();
        return;
    }
    DWORD* bits = nullptr;
    BitmapHandle copy = CreateDib32(w, h, &bits);
    if (!copy) throw Exception("Cannot copy the button glyph");
    {
        // The source may already sit in its own canvas; reading through it works either way.
        HDC src = const_cast<TBitmap&>(glyph).Canvas().Handle();
        MemDcHandle dst(CreateCompatibleDC(src));
        SelectObjectScope sel(dst.get(), copy.get());
        BitBlt(dst.get(), 0, 0, w, h, src, 0, 0, SRCCOPY);
    }
    GdiFlush();
    COLORREF bottomLeft = PixelToRgb(bits[(h - 1) * w]);
    glyph_.SetHandle(copy.release());
    if (w % h == 0) {
        int n = w / h;
        SetNumGlyphs(n > 3 ? 1 : n);
    }
    SetTransparentColor(static_cast<TColor>(bottomLeft));
    Invalidate();
}

bool TIEButton::LoadGlyph(const String& resourceName, HINSTANCE module) {
    TBitmap bitmap;
    if (!bitmap.LoadFromResourceName(module, resourceName)) return false;
    SetGlyph(bitmap);
    return true;
}

void TIEButton::SetNumGlyphs(int value) {
    value = std::clamp(value, 1, 3);
    if (numGlyphs_ == value) return;
    numGlyphs_ = value;
    Invalidate();
}

void TIEButton::SetTransparentColor(TColor value) {
    if (transparentColor_ == value) return;
    transparentColor_ = value;
    Invalidate();
}

void TIEButton::SetInactiveStyle(TInactiveStyle value) {
    if (inactiveStyle_ == value) return;
    inactiveStyle_ = value;
    Invalidate();
}

void TIEButton::SetLayOut(TButtonLayout value) {
    if (layout_ == value) return;
    layout_ = value;
    Invalidate();
}

void TIEButton::SetSpacing(int value) {
    value = std::max(value, 0);
    if (spacing_ == value) return;
    spacing_ = value;
    Invalidate();
}

void TIEButton::SetShowCaption(bool value) {
    if (showCaption_ == value) return;
    showCaption_ = value;
    Invalidate();
}

void TIEButton::SetBorderWidth(int value) {
    value = std::clamp(value, 1, 5);
    if (borderWidth_ == value) return;
    borderWidth_ = value;
    Invalidate();
}

void TIEButton::SetColorHighLight(TColor value) {
    if (colorHighLight_ == value) return;
    colorHighLight_ = value;
    Invalidate();
}

void TIEButton::SetColorShadow(TColor value) {
    if (colorShadow_ == value) return;
    colorShadow_ = value;
    Invalidate();
}

void TIEButton::SetGroupIndex(int value) {
    if (groupIndex_ == value) return;
    groupIndex_ = value;
    if (value > 0) {
        SetMenuMark(false);
        SetPopupMenu(nullptr);
    }
}

void TIEButton::SetAllowAllUp(bool value) {
    if (allowAllUp_ == value) return;
    allowAllUp_ = value;
    NotifyGroup();
}

void TIEButton::SetDown(bool value) {
    if (groupIndex_ == 0) value = false;
    if (value == down_) return;
    if (down_ && !value && !allowAllUp_) return;
    down_ = hot_ = pressed_ = value;
    Invalidate();
    if (value) NotifyGroup();
}

void TIEButton::SetMenuMark(bool value) {
    if (menuMark_ == value) return;
    menuMark_ = value;
    if (value) {
        LoadMark();
        SetGroupIndex(0);
    }
    Invalidate();
}

void TIEButton::SetPopupMenu(TPopupMenu* menu) {
    if (popupMenu_ == menu) return;
    if (popupMenu_) {
        popupMenu_->RemoveFreeNotification(this);
        RemoveFreeNotification(popupMenu_);
    }
    popupMenu_ = menu;
    if (menu) {
        menu->FreeNotification(this);
        SetGroupIndex(0);
    }
}

void TIEButton::SetVisible(bool value) {
    if (visible_ == value) return;
    visible_ = value;
    hot_ = false;
    SetPressed(false);
    Invalidate();
}

void TIEButton::SetPressed(bool value) {
    pressed_ = value;
    // A grouped button's stored Down follows what the mouse does, so that a later
    // SetDown compares with what the user sees.
    if (groupIndex_ != 0) down_ = value;
}

void TIEButton::LoadMark() {
    mark_.SetHandle(nullptr);
    mark_.LoadFromResourceName(MainInstance(), Enabled() ? "EPMENU" : "DPMENU");
}

void TIEButton::TextChanged() {
    if (Caption().empty()) SetSpacing(0);
    Invalidate();
}

void TIEButton::EnabledChanged() {
    if (menuMark_) LoadMark();
    if (!Enabled()) {
        // A disabled button hears no mouse leave or release: drop the hot and pressed
        // looks now, or they would come back when it is enabled again.
        hot_ = false;
        if (groupIndex_ == 0) pressed_ = false;
    }
    Invalidate();
}

void TIEButton::Loaded() {
    TGraphicControl::Loaded();
    if (menuMark_) LoadMark();
    if (popupMenu_ && !Designing()) popupMenu_->SetAutoPopup(false);
    if (down_) hot_ = pressed_ = true;
    Invalidate();
}

void TIEButton::Notification(TComponent* component, TOperation operation) {
    TGraphicControl::Notification(component, operation);
    if (operation == TOperation::opRemove && component == popupMenu_) popupMenu_ = nullptr;
}

// ---- group

void TIEButton::NotifyGroup() {
    if (!Parent() || groupIndex_ == 0) return;
    TMessage m{GroupMessage(), static_cast<WPARAM>(static_cast<INT_PTR>(groupIndex_)),
               reinterpret_cast<LPARAM>(this), 0};
    Parent()->Broadcast(m);
}

bool TIEButton::ControlMessage(TMessage& message) {
    if (message.Msg != GroupMessage()) return TGraphicControl::ControlMessage(message);
    auto* sender = reinterpret_cast<TIEButton*>(message.LParam);
    if (!sender || static_cast<int>(static_cast<INT_PTR>(message.WParam)) != groupIndex_) return false;
    // Only a button that went down releases the others; a change of AllowAllUp alone
    // must not take the down state away from the group.
    if (sender != this && sender->pressed_) {
        hot_ = false;
        SetPressed(false);
        Invalidate();
    }
    allowAllUp_ = sender->allowAllUp_;
    return true;
}

// ---- mouse

void TIEButton::MouseMove(TShiftState shift, int x, int y) {
    if (!Active()) return;
    if (!hot_) {
        RECT r = ClientRect();
        POINT p = {x, y};
        if (PtInRect(&r, p)) {
            hot_ = true;
            Invalidate();
        }
    }
    TGraphicControl::MouseMove(shift, x, y);
}

void TIEButton::MouseEnter() {
    if (!Active()) return;
    hot_ = true;
    Invalidate();
    if (OnMouseEnter) OnMouseEnter(this);
}

void TIEButton::MouseLeave() {
    if (!Active()) return;
    hot_ = groupIndex_ != 0 && pressed_;
    Invalidate();
    if (OnMouseLeave) OnMouseLeave(this);
}

void TIEButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (!Active()) return;
    if (button == TMouseButton::mbLeft) {
        pressedAtMouseDown_ = pressed_;
        if (TPopupMenu* menu = popupMenu_) {
            pressed_ = hot_ = true;
            Repaint();
            POINT p = ClientToScreen(POINT{-1, Height()});
            menu->Popup(p.x, p.y);  // returns when the menu has closed
            pressed_ = hot_ = false;
            Repaint();
        } else {
            SetPressed(true);
            Repaint();
        }
        NotifyGroup();
    }
    TGraphicControl::MouseDown(button, shift, x, y);
}

void TIEButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (!Active()) return;
    if (button == TMouseButton::mbLeft) {
        // A grouped button stays down; only a second press releases it, and only with AllowAllUp.
        SetPressed(groupIndex_ != 0 ? !(allowAllUp_ && pressedAtMouseDown_) : false);
        Repaint();
    }
    TGraphicControl::MouseUp(button, shift, x, y);
}

void TIEButton::Click() {
    if (!Active()) return;
    TGraphicControl::Click();
}

void TIEButton::DblClick() {
    if (!Active()) return;
    TGraphicControl::DblClick();
    SetPressed(false);
    Invalidate();
}

// ---- painting

BitmapHandle TIEButton::CurrentCell() const {
    if (glyph_.Empty()) return BitmapHandle();
    int h = glyph_.Height();
    int cw = glyph_.Width() / numGlyphs_;
    if (cw <= 0) return BitmapHandle();
    int cell = 0;
    if (numGlyphs_ == 2 && !Enabled()) cell = 1;
    if (numGlyphs_ == 3) cell = !Enabled() ? 1 : (hot_ ? 0 : 2);
    const DWORD* src = DibBits(glyph_.Handle());
    DWORD* dst = nullptr;
    BitmapHandle bm = CreateDib32(cw, h, &dst);
    if (!bm || !src) return BitmapHandle();
    int gw = glyph_.Width();
    for (int y = 0; y < h; ++y) std::copy_n(src + y * gw + cell * cw, cw, dst + y * cw);
    return bm;
}

void TIEButton::DrawGlyph(HDC dc, int x, int y) {
    BitmapHandle cell = CurrentCell();
    if (!cell) return;
    int cw = glyph_.Width() / numGlyphs_, h = glyph_.Height();
    bool viaList = false;
    UINT flag = ILD_NORMAL;
    if (groupIndex_ > 0 && pressed_) {
        viaList = true;
        flag = ILD_TRANSPARENT;
    } else if (numGlyphs_ < 3 && !hot_ && Enabled() && groupIndex_ == 0) {
        viaList = true;
        flag = DrawFlag(inactiveStyle_);
    }
    if (viaList) {
        ImageListHandle list(ImageList_Create(cw, h, ILC_COLOR24 | ILC_MASK, 1, 0));
        if (!list) return;
        ImageList_AddMasked(list.get(), cell.get(), ColorToRGB(transparentColor_));
        ImageList_DrawEx(list.get(), 0, dc, x, y, 0, 0, CLR_NONE, CLR_NONE, flag);
        return;
    }
    DWORD* bits = DibBits(cell.get());
    if (!bits) return;
    DWORD key = RgbToPixel(ColorToRGB(transparentColor_));
    DWORD face = RgbToPixel(ColorToRGB(Color()));
    for (int i = 0; i < cw * h; ++i)
        if ((bits[i] & 0xFFFFFF) == key) bits[i] = face;
    MemDcHandle mem(CreateCompatibleDC(dc));
    SelectObjectScope sel(mem.get(), cell.get());
    BitBlt(dc, x, y, cw, h, mem.get(), 0, 0, SRCCOPY);
}

void TIEButton::Paint() {
    HDC dc = Canvas().Handle();
    RECT r = ClientRect();
    RECT face = r;
    InflateRect(&face, -borderWidth_, -borderWidth_);
    if (groupIndex_ != 0 && pressed_) {
        BrushHandle b(CreatePatternBrush(PatternBitmap(Color())));
        FillRect(dc, &face, b.get());
    } else {
        FillSolidRect(dc, face, Color());
    }
    if (!visible_) return;

    Canvas().SelectFont();
    const String& caption = Caption();
    SIZE text = Canvas().TextExtent(caption);
    SIZE glyph = {glyph_.Empty() ? 0 : glyph_.Width() / numGlyphs_, glyph_.Empty() ? 0 : glyph_.Height()};
    TButtonContent content = LayoutButtonContent(r, glyph, text, layout_, -1, spacing_);
    if (pressed_ && hot_) {
        OffsetRect(&content.caption, 1, 1);
        ++content.glyph.x, ++content.glyph.y;
    }

    if (showCaption_)
        DrawControlText(dc, caption, content.caption, DT_SINGLELINE | DT_NOPREFIX, Enabled(), Font().Color());

    POINT gp = content.glyph;
    if (!glyph_.Empty()) DrawGlyph(dc, gp.x, gp.y);

    if (menuMark_ && !mark_.Empty() &&
        (layout_ == TButtonLayout::blGlyphTop || layout_ == TButtonLayout::blGlyphBottom)) {
        RECT src = {0, 0, mark_.Width(), mark_.Height()};
        mark_.DrawTransparent(dc, gp.x + glyph.cx + spacing_ / 2, gp.y + glyph.cy / 2, src, clSilver);
    }

    // Flat at rest; raised under the mouse, sunken while pressed.
    TColor first = Color(), second = Color();
    if (hot_) {
        first = pressed_ ? colorShadow_ : colorHighLight_;
        second = pressed_ ? colorHighLight_ : colorShadow_;
    }
    Frame3D(dc, r, first, second, borderWidth_);
}

// ---- layout

namespace {

// Places the glyph and the caption along one axis of `length` pixels; `g` and `c` are their
// extents on it.
void PlaceOnAxis(int length, int g, int c, bool glyphFirst, int margin, int spacing, LONG& glyphAt, LONG& textAt) {
    if (margin < 0) {
        // Both centred as one block, or with the free room shared equally around and between them.
        int gap = spacing >= 0 ? spacing : (length - g - c) / 3;
        int start = spacing >= 0 ? (length - (g + c + spacing)) / 2 : gap;
        int second = start + (glyphFirst ? g : c) + gap;
        glyphAt = glyphFirst ? start : second;
        textAt = glyphFirst ? second : start;
    } else if (glyphFirst) {
        glyphAt = margin;
        int end = margin + g;
        textAt = spacing >= 0 ? end + spacing : end + (length - end - c) / 2;
    } else {
        glyphAt = length - margin - g;
        textAt = spacing >= 0 ? glyphAt - spacing - c : (glyphAt - c) / 2;
    }
}

}  // namespace

TButtonContent LayoutButtonContent(const RECT& client, SIZE glyph, SIZE text, TButtonLayout layout, int margin,
                                   int spacing) {
    int w = client.right - client.left, h = client.bottom - client.top;
    bool glyphFirst = layout == TButtonLayout::blGlyphLeft || layout == TButtonLayout::blGlyphTop;
    POINT gp, tp;
    if (layout == TButtonLayout::blGlyphLeft || layout == TButtonLayout::blGlyphRight) {
        gp.y = (h - glyph.cy) / 2;
        tp.y = (h - text.cy) / 2;
        PlaceOnAxis(w, glyph.cx, text.cx, glyphFirst, margin, spacing, gp.x, tp.x);
    } else {
        gp.x = (w - glyph.cx) / 2;
        tp.x = (w - text.cx) / 2;
        PlaceOnAxis(h, glyph.cy, text.cy, glyphFirst, margin, spacing, gp.y, tp.y);
    }
    TButtonContent content;
    content.glyph = POINT{client.left + gp.x, client.top + gp.y};
    content.caption = RECT{client.left + tp.x, client.top + tp.y, client.left + tp.x + text.cx,
                           client.top + tp.y + text.cy};
    return content;
}
