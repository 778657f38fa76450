#pragma once
// Drawing: colours, fonts, brushes, pens, a canvas over a device context, and the
// graphics a picture can hold (an icon whose image is shared between copies, a bitmap).
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "ui/Handles.h"
#include "ui/Types.h"

namespace ui {

// 0x00BBGGRR, or a system colour: 0x80000000 | COLOR_xxx.
using TColor = std::int32_t;

constexpr TColor SysColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index)); }

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clBtnFace = SysColor(COLOR_BTNFACE);
constexpr TColor clBtnHighlight = SysColor(COLOR_BTNHIGHLIGHT);
constexpr TColor clBtnShadow = SysColor(COLOR_BTNSHADOW);
constexpr TColor clBtnText = SysColor(COLOR_BTNTEXT);
constexpr TColor clWindow = SysColor(COLOR_WINDOW);
constexpr TColor clWindowText = SysColor(COLOR_WINDOWTEXT);
constexpr TColor clHighlight = SysColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SysColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clGrayText = SysColor(COLOR_GRAYTEXT);
constexpr TColor cl3DDkShadow = SysColor(COLOR_3DDKSHADOW);

COLORREF ColorToRGB(TColor color);

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

class TFont {
public:
    TFont();
    TFont(const TFont& other);
    TFont& operator=(const TFont& other);

    const String& Name() const { return name_; }
    void SetName(const String& name);
    // As in LOGFONT: negative for the character height in pixels, positive for the cell height.
    int Height() const { return height_; }
    void SetHeight(int height);
    BYTE Charset() const { return charset_; }
    void SetCharset(BYTE charset);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    unsigned Style() const { return style_; }
    void SetStyle(unsigned style);

    void Assign(const TFont& other) { *this = other; }
    bool operator==(const TFont& o) const;
    bool operator!=(const TFont& o) const { return !(*this == o); }

    HFONT Handle() const;
    std::function<void()> OnChange;

private:
    void Changed();

    String name_;
    int height_;
    BYTE charset_;
    TColor color_;
    unsigned style_;
    mutable std::shared_ptr<FontHandle> handle_;
};

class TBrush {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    // A pattern brush from a bitmap (not owned); null returns to the solid colour.
    void SetBitmap(HBITMAP bitmap);
    bool Clear() const { return clear_; }
    void SetClear(bool clear) { clear_ = clear; }
    HBRUSH Handle() const;

private:
    TColor color_ = clWhite;
    HBITMAP bitmap_ = nullptr;
    bool clear_ = false;
    mutable BrushHandle handle_;
};

class TPen {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    int Width() const { return width_; }
    void SetWidth(int width);
    HPEN Handle() const;

private:
    TColor color_ = clBlack;
    int width_ = 1;
    mutable PenHandle handle_;
};

class TGraphic;

// Draws on a device context it does not own. Font, brush and pen are selected when used
// and the context's own objects are put back by Release (or the destructor).
class TCanvas {
public:
    TCanvas() = default;
    explicit TCanvas(HDC dc) { SetHandle(dc); }
    ~TCanvas() { Release(); }
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    HDC Handle() const { return dc_; }
    void SetHandle(HDC dc);
    void Release();

    TFont& Font() { return font_; }
    TBrush& Brush() { return brush_; }
    TPen& Pen() { return pen_; }

    void FillRect(const RECT& r);
    void FrameRect(const RECT& r);
    void Rectangle(const RECT& r);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void TextOut(int x, int y, const String& text);
    // Text clipped to `r`; transparent background unless the brush is solid and not clear.
    void TextRect(const RECT& r, int x, int y, const String& text);
    SIZE TextExtent(const String& text);
    int TextWidth(const String& text) { return TextExtent(text).cx; }
    int TextHeight(const String& text) { return TextExtent(text).cy; }
    void Draw(int x, int y, const TGraphic& graphic);
    void DrawFocusRect(const RECT& r);
    COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }
    void SetPixel(int x, int y, TColor c) { ::SetPixel(dc_, x, y, ColorToRGB(c)); }
    // Copies `src` of another canvas to `dest` of this one.
    void CopyRect(const RECT& dest, TCanvas& src, const RECT& srcRect);

    void SelectFont();
    void SelectBrush();
    void SelectPen();

private:
    HDC dc_ = nullptr;
    HGDIOBJ oldFont_ = nullptr, oldBrush_ = nullptr, oldPen_ = nullptr;
    TFont font_;
    TBrush brush_;
    TPen pen_;
};

class TGraphic {
public:
    virtual ~TGraphic() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const = 0;
    virtual void Draw(TCanvas& canvas, int x, int y) const = 0;
    // A copy of the same class; an icon copy shares the icon image.
    virtual std::unique_ptr<TGraphic> Clone() const = 0;
};

// An icon handle shared by every copy of an icon; destroyed with its last holder. A pending
// image makes its handle the first time any holder asks for it (drawing, as a rule).
class TIconImage {
public:
    explicit TIconImage(HICON icon) : icon_(icon) {}
    explicit TIconImage(std::function<HICON()> maker) : maker_(std::move(maker)) {}
    HICON Handle() const;

private:
    mutable IconHandle icon_;
    mutable std::function<HICON()> maker_;
};

class TIcon : public TGraphic {
public:
    TIcon() = default;
    TIcon(const TIcon& other) : image_(other.Image()) {}
    TIcon& operator=(const TIcon& other) {
        image_ = other.Image();
        return *this;
    }
    virtual ~TIcon() = default;

    HICON Handle() const { return Image() ? image_->Handle() : nullptr; }
    // Takes ownership of `icon` (null empties the icon).
    void SetHandle(HICON icon);
    // Holds an image that `maker` makes when first asked for; copies share it, made or not.
    void SetPendingHandle(std::function<HICON()> maker);
    // Shares the other icon's image.
    void Assign(const TIcon& other) { image_ = other.Image(); }
    // How many icons share this image (0 when empty).
    long ShareCount() const { return image_ ? image_.use_count() : 0; }

    int Width() const override;
    int Height() const override;
    bool Empty() const override { return Handle() == nullptr; }
    void Draw(TCanvas& canvas, int x, int y) const override;
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TIcon>(*this); }

private:
    const std::shared_ptr<TIconImage>& Image() const { return image_; }
    std::shared_ptr<TIconImage> image_;
};

class TBitmap : public TGraphic {
public:
    TBitmap() = default;
    TBitmap(const TBitmap& other);
    TBitmap& operator=(const TBitmap& other);
    ~TBitmap() override;

    HBITMAP Handle() const { return bitmap_.get(); }
    // Takes ownership of `bitmap`.
    void SetHandle(HBITMAP bitmap);
    // A screen-compatible bitmap of the given size, filled with white.
    void SetSize(int width, int height);
    // Loads a BITMAP resource of the module; false when it is missing.
    bool LoadFromResourceName(HINSTANCE module, const String& name);
    void Assign(const TBitmap& other) { *this = other; }

    // Drawing on the bitmap (a memory context holding it); valid until the bitmap changes.
    TCanvas& Canvas();

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    bool Empty() const override { return !bitmap_; }
    void Draw(TCanvas& canvas, int x, int y) const override;
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TBitmap>(*this); }

    // Draws `src` of this bitmap at (x, y) leaving out the pixels of `transparent`.
    void DrawTransparent(HDC dest, int x, int y, const RECT& src, TColor transparent) const;

private:
    void FreeCanvas();

    BitmapHandle bitmap_;
    int width_ = 0, height_ = 0;
    MemDcHandle dc_;
    HGDIOBJ oldBitmap_ = nullptr;
    std::unique_ptr<TCanvas> canvas_;
};

// ---- drawing shared by the controls
// A memory context like the screen's, kept for the process, for measuring text (asking the
// screen's context for each measure costs two round trips to the display server under Wine).
HDC MeasuringDC();

void FillSolidRect(HDC dc, const RECT& r, TColor color);

// Which edge of a 3-D frame paints its bottom-left corner.
enum class TFrameCorner { fcBottomEdge, fcLeftEdge };

// The classic 3-D frame, `width` rings deep inside `r`, which shrinks by it: top and left in
// `topLeft`, right and bottom in `bottomRight`, which also owns the top-right corner.
void Frame3D(HDC dc, RECT& r, TColor topLeft, TColor bottomRight, int width,
             TFrameCorner bottomLeft = TFrameCorner::fcBottomEdge);

// Text in `r` with DrawTextA's `format` on a transparent background, in `color`; disabled it is
// embossed instead: a highlight copy one pixel down and right under a shadow-coloured one.
void DrawControlText(HDC dc, const String& text, const RECT& r, UINT format, bool enabled, TColor color);

// A top-down 32-bit bitmap, whose colours stay exact whatever the display depth; `bits` gets
// its pixels.
BitmapHandle CreateDib32(int width, int height, DWORD** bits);
// The pixels of a DIB section, once pending drawing has reached them; null for other bitmaps.
DWORD* DibBits(HBITMAP bitmap);
// DIB pixels are 0x00RRGGBB, COLORREF is 0x00BBGGRR.
inline DWORD RgbToPixel(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }
inline COLORREF PixelToRgb(DWORD p) { return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF); }

// Holds one graphic (icon or bitmap) for an image control.
class TPicture {
public:
    const TGraphic* Graphic() const { return graphic_.get(); }
    // Stores a copy of `graphic` (null empties the picture); an icon copy shares its image.
    void Assign(const TGraphic* graphic);
    void Clear() { Assign(nullptr); }
    // The held icon, or null when the picture holds none.
    const TIcon* Icon() const { return dynamic_cast<const TIcon*>(graphic_.get()); }
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }
    bool Empty() const { return !graphic_ || graphic_->Empty(); }

    std::function<void()> OnChange;

private:
    std::unique_ptr<TGraphic> graphic_;
};

}  // namespace ui
