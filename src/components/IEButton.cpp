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

// A top-down 32-bit bitmap: its colours stay exact whatever the display depth.
HBITMAP CreateDib32(int width, int height, DWORD** bits) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* p = nullptr;
    HBITMAP bm = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
    *bits = static_cast<DWORD*>(p);
    return bm;
}

DWORD* DibBits(HBITMAP bm) {
    DIBSECTION ds = {};
    if (!bm || GetObjectA(bm, sizeof(ds), &ds) != sizeof(ds)) return nullptr;
    GdiFlush();
    return static_cast<DWORD*>(ds.dsBm.bmBits);
}

// DIB pixels are 0x00RRGGBB, COLORREF is 0x00BBGGRR.
DWORD ToPixel(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }
COLORREF FromPixel(DWORD p) { return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF); }

// The 8 x 8 brush pattern of a down grouped button, shared by all buttons for the life of the
// program; its colour is that of the first button that needs it.
HBITMAP PatternBitmap(TColor color) {
    static BitmapHandle pattern;
    if (!pattern) {
        DWORD* bits = nullptr;
        pattern.reset(CreateDib32(8, 8, &bits));
        if (!pattern) return nullptr;
        DWORD face = ToPixel(ColorToRGB(color));
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

void FillSolid(HDC dc, const RECT& r, TColor color) {
    BrushHandle b(CreateSolidBrush(ColorToRGB(color)));
    FillRect(dc, &r, b.get());
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
    BitmapHandle copy(CreateDib32(w, h, &bits));
    if (!copy) throw Exception("Cannot copy the button glyph");
    {
        // The source may already sit in its own canvas; reading through it works either way.
        HDC src = const_cast<TBitmap&>(glyph).Canvas().Handle();
        MemDcHandle dst(CreateCompatibleDC(src));
        SelectObjectScope sel(dst.get(), copy.get());
        BitBlt(dst.get(), 0, 0, w, h, src, 0, 0, SRCCOPY);
    }
    GdiFlush();
    COLORREF bottomLeft = FromPixel(bits[(h - 1) * w]);
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
    BitmapHandle bm(CreateDib32(cw, h, &dst));
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
    DWORD key = ToPixel(ColorToRGB(transparentColor_));
    DWORD face = ToPixel(ColorToRGB(Color()));
    for (int i = 0; i < cw * h; ++i)
        if ((bits[i] & 0xFFFFFF) == key) bits[i] = face;
    MemDcHandle mem(CreateCompatibleDC(dc));
    SelectObjectScope sel(mem.get(), cell.get());
    BitBlt(dc, x, y, cw, h, mem.get(), 0, 0, SRCCOPY);
}

void TIEButton::DrawBorder(HDC dc, const RECT& r) {
    TColor first = Color(), second = Color();
    if (hot_) {
        first = pressed_ ? colorShadow_ : colorHighLight_;
        second = pressed_ ? colorHighLight_ : colorShadow_;
    }
    for (int i = 0; i < borderWidth_; ++i) {
        // Inclusive edges of ring i; the second colour owns the top-right and bottom-left corners.
        int l = r.left + i, t = r.top + i, rr = r.right - 1 - i, b = r.bottom - 1 - i;
        if (rr < l || b < t) break;
        FillSolid(dc, RECT{l, t, rr, t + 1}, first);
        FillSolid(dc, RECT{l, t, l + 1, b}, first);
        FillSolid(dc, RECT{rr, t, rr + 1, b + 1}, second);
        FillSolid(dc, RECT{l, b, rr + 1, b + 1}, second);
    }
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
        FillSolid(dc, face, Color());
    }
    if (!visible_) return;

    Canvas().SelectFont();
    const String& caption = Caption();
    SIZE text = Canvas().TextExtent(caption);
    int gw = glyph_.Empty() ? 0 : glyph_.Width() / numGlyphs_;
    int gh = glyph_.Empty() ? 0 : glyph_.Height();

    int w = Width(), h = Height();
    bool glyphFirst = layout_ == TButtonLayout::blGlyphLeft || layout_ == TButtonLayout::blGlyphTop;
    POINT gp, tp;
    if (layout_ == TButtonLayout::blGlyphLeft || layout_ == TButtonLayout::blGlyphRight) {
        gp.y = (h - gh) / 2;
        tp.y = (h - text.cy) / 2;
        int first = (w - (gw + text.cx + spacing_)) / 2;
        int second = first + (glyphFirst ? gw : text.cx) + spacing_;
        gp.x = glyphFirst ? first : second;
        tp.x = glyphFirst ? second : first;
    } else {
        gp.x = (w - gw) / 2;
        tp.x = (w - text.cx) / 2;
        int first = (h - (gh + text.cy + spacing_)) / 2;
        int second = first + (glyphFirst ? gh : text.cy) + spacing_;
        gp.y = glyphFirst ? first : second;
        tp.y = glyphFirst ? second : first;
    }
    if (pressed_ && hot_) {
        ++gp.x, ++gp.y;
        ++tp.x, ++tp.y;
    }

    if (showCaption_) {
        RECT box = {tp.x, tp.y, tp.x + text.cx, tp.y + text.cy};
        int old = SetBkMode(dc, TRANSPARENT);
        if (Enabled()) {
            SetTextColor(dc, ColorToRGB(Font().Color()));
            ExtTextOutA(dc, box.left, box.top, ETO_CLIPPED, &box, caption.data(), static_cast<UINT>(caption.size()),
                        nullptr);
        } else {
            // The embossed look: a light copy one pixel down and right under the dark one.
            RECT moved = box;
            OffsetRect(&moved, 1, 1);
            SetTextColor(dc, ColorToRGB(clBtnHighlight));
            ExtTextOutA(dc, moved.left, moved.top, ETO_CLIPPED, &moved, caption.data(),
                        static_cast<UINT>(caption.size()), nullptr);
            SetTextColor(dc, ColorToRGB(clBtnShadow));
            ExtTextOutA(dc, box.left, box.top, ETO_CLIPPED, &box, caption.data(), static_cast<UINT>(caption.size()),
                        nullptr);
        }
        SetBkMode(dc, old);
    }

    if (!glyph_.Empty()) DrawGlyph(dc, gp.x, gp.y);

    if (menuMark_ && !mark_.Empty() &&
        (layout_ == TButtonLayout::blGlyphTop || layout_ == TButtonLayout::blGlyphBottom)) {
        RECT src = {0, 0, mark_.Width(), mark_.Height()};
        mark_.DrawTransparent(dc, gp.x + gw + spacing_ / 2, gp.y + gh / 2, src, clSilver);
    }

    DrawBorder(dc, r);
}
