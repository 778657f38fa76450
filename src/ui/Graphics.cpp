#include "ui/Graphics.h"

#include <map>
#include <tuple>

namespace ui {

COLORREF ColorToRGB(TColor color) {
    if (color < 0) return GetSysColor(static_cast<int>(color & 0xFF));
    return static_cast<COLORREF>(color) & 0xFFFFFF;
}

// ---- TFont

TFont::TFont()
    : name_("ＭＳ Ｐゴシック"), height_(-12), charset_(SHIFTJIS_CHARSET), color_(clWindowText), style_(0) {}

TFont::TFont(const TFont& o)
    : name_(o.name_), height_(o.height_), charset_(o.charset_), color_(o.color_), style_(o.style_),
      handle_(o.handle_) {}

TFont& TFont::operator=(const TFont& o) {
    if (this == &o) return *this;
    bool changed = *this != o;
    name_ = o.name_;
    height_ = o.height_;
    charset_ = o.charset_;
    color_ = o.color_;
    style_ = o.style_;
    handle_ = o.handle_;
    if (changed && OnChange) OnChange();
    return *this;
}

bool TFont::operator==(const TFont& o) const {
    return name_ == o.name_ && height_ == o.height_ && charset_ == o.charset_ && color_ == o.color_ &&
           style_ == o.style_;
}

void TFont::Changed() {
    handle_.reset();
    if (OnChange) OnChange();
}

void TFont::SetName(const String& name) {
    if (name_ == name) return;
    name_ = name;
    Changed();
}
void TFont::SetHeight(int height) {
    if (height_ == height) return;
    height_ = height;
    Changed();
}
void TFont::SetCharset(BYTE charset) {
    if (charset_ == charset) return;
    charset_ = charset;
    Changed();
}
void TFont::SetColor(TColor color) {
    if (color_ == color) return;
    color_ = color;
    if (OnChange) OnChange();  // the handle does not hold the colour
}
void TFont::SetStyle(unsigned style) {
    if (style_ == style) return;
    style_ = style;
    Changed();
}

namespace {

// Fonts alike (the colour aside) share one handle: most controls take their form's font.
using FontKey = std::tuple<String, int, BYTE, unsigned>;
std::map<FontKey, std::weak_ptr<FontHandle>>& SharedFonts() {
    static std::map<FontKey, std::weak_ptr<FontHandle>> fonts;
    return fonts;
}

}  // namespace

HFONT TFont::Handle() const {
    if (!handle_) {
        std::weak_ptr<FontHandle>& shared = SharedFonts()[FontKey(name_, height_, charset_, style_)];
        handle_ = shared.lock();
    }
    if (!handle_) {
        LOGFONTA lf = {};
        lf.lfHeight = height_;
        lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (style_ & fsItalic) ? 1 : 0;
        lf.lfUnderline = (style_ & fsUnderline) ? 1 : 0;
        lf.lfStrikeOut = (style_ & fsStrikeOut) ? 1 : 0;
        lf.lfCharSet = charset_;
        lf.lfQuality = DEFAULT_QUALITY;
        lstrcpynA(lf.lfFaceName, name_.c_str(), LF_FACESIZE);
        handle_ = std::make_shared<FontHandle>(CreateFontIndirectA(&lf));
        SharedFonts()[FontKey(name_, height_, charset_, style_)] = handle_;
    }
    return handle_->get();
}

// ---- TBrush, TPen

void TBrush::SetColor(TColor color) {
    if (color_ == color && !bitmap_) return;
    color_ = color;
    bitmap_ = nullptr;
    handle_.reset();
}

void TBrush::SetBitmap(HBITMAP bitmap) {
    if (bitmap_ == bitmap) return;
    bitmap_ = bitmap;
    handle_.reset();
}

HBRUSH TBrush::Handle() const {
    if (!handle_) handle_.reset(bitmap_ ? CreatePatternBrush(bitmap_) : CreateSolidBrush(ColorToRGB(color_)));
    return handle_.get();
}

void TPen::SetColor(TColor color) {
    if (color_ == color) return;
    color_ = color;
    handle_.reset();
}

void TPen::SetWidth(int width) {
    if (width_ == width) return;
    width_ = width;
    handle_.reset();
}

HPEN TPen::Handle() const {
    if (!handle_) handle_.reset(CreatePen(PS_SOLID, width_, ColorToRGB(color_)));
    return handle_.get();
}

// ---- TCanvas

void TCanvas::SetHandle(HDC dc) {
    if (dc_ == dc) return;
    Release();
    dc_ = dc;
}

void TCanvas::Release() {
    if (!dc_) return;
    if (oldFont_) SelectObject(dc_, oldFont_);
    if (oldBrush_) SelectObject(dc_, oldBrush_);
    if (oldPen_) SelectObject(dc_, oldPen_);
    oldFont_ = oldBrush_ = oldPen_ = nullptr;
    dc_ = nullptr;
}

void TCanvas::SelectFont() {
    HGDIOBJ old = SelectObject(dc_, font_.Handle());
    if (!oldFont_) oldFont_ = old;
    SetTextColor(dc_, ColorToRGB(font_.Color()));
}

void TCanvas::SelectBrush() {
    HGDIOBJ old = SelectObject(dc_, brush_.Clear() ? GetStockObject(NULL_BRUSH) : brush_.Handle());
    if (!oldBrush_) oldBrush_ = old;
}

void TCanvas::SelectPen() {
    HGDIOBJ old = SelectObject(dc_, pen_.Handle());
    if (!oldPen_) oldPen_ = old;
}

void TCanvas::FillRect(const RECT& r) {
    if (brush_.Clear()) return;
    ::FillRect(dc_, &r, brush_.Handle());
}

void TCanvas::FrameRect(const RECT& r) { ::FrameRect(dc_, &r, brush_.Handle()); }

void TCanvas::Rectangle(const RECT& r) {
    SelectPen();
    SelectBrush();
    ::Rectangle(dc_, r.left, r.top, r.right, r.bottom);
}

void TCanvas::MoveTo(int x, int y) { MoveToEx(dc_, x, y, nullptr); }

void TCanvas::LineTo(int x, int y) {
    SelectPen();
    ::LineTo(dc_, x, y);
}

void TCanvas::TextOut(int x, int y, const String& text) {
    SelectFont();
    if (brush_.Clear()) {
        SetBkMode(dc_, TRANSPARENT);
    } else {
        SetBkMode(dc_, OPAQUE);
        SetBkColor(dc_, ColorToRGB(brush_.Color()));
    }
    ::TextOutA(dc_, x, y, text.data(), static_cast<int>(text.size()));
}

void TCanvas::TextRect(const RECT& r, int x, int y, const String& text) {
    SelectFont();
    UINT options = ETO_CLIPPED;
    if (brush_.Clear()) {
        SetBkMode(dc_, TRANSPARENT);
    } else {
        SetBkMode(dc_, OPAQUE);
        SetBkColor(dc_, ColorToRGB(brush_.Color()));
        options |= ETO_OPAQUE;
    }
    ExtTextOutA(dc_, x, y, options, &r, text.data(), static_cast<UINT>(text.size()), nullptr);
}

SIZE TCanvas::TextExtent(const String& text) {
    SelectFont();
    SIZE s = {0, 0};
    GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &s);
    if (text.empty()) {
        TEXTMETRICA tm;
        GetTextMetricsA(dc_, &tm);
        s.cy = tm.tmHeight;
    }
    return s;
}

void TCanvas::Draw(int x, int y, const TGraphic& graphic) { graphic.Draw(*this, x, y); }

void TCanvas::DrawFocusRect(const RECT& r) { ::DrawFocusRect(dc_, &r); }

void TCanvas::CopyRect(const RECT& dest, TCanvas& src, const RECT& srcRect) {
    StretchBlt(dc_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, src.Handle(),
               srcRect.left, srcRect.top, srcRect.right - srcRect.left, srcRect.bottom - srcRect.top, SRCCOPY);
}

// ---- TIcon

HICON TIconImage::Handle() const {
    if (maker_) {
        // Once: a maker that fails leaves the image empty, and it is not asked again.
        auto maker = std::move(maker_);
        maker_ = nullptr;
        icon_.reset(maker());
    }
    return icon_.get();
}

void TIcon::SetHandle(HICON icon) { image_ = icon ? std::make_shared<TIconImage>(icon) : nullptr; }

void TIcon::SetPendingHandle(std::function<HICON()> maker) {
    image_ = maker ? std::make_shared<TIconImage>(std::move(maker)) : nullptr;
}

int TIcon::Width() const { return GetSystemMetrics(SM_CXICON); }
int TIcon::Height() const { return GetSystemMetrics(SM_CYICON); }

void TIcon::Draw(TCanvas& canvas, int x, int y) const {
    if (Handle()) DrawIcon(canvas.Handle(), x, y, Handle());
}

// ---- TBitmap

TBitmap::TBitmap(const TBitmap& other) { *this = other; }

TBitmap& TBitmap::operator=(const TBitmap& other) {
    if (this == &other) return *this;
    FreeCanvas();
    bitmap_.reset(other.bitmap_ ? static_cast<HBITMAP>(CopyImage(other.bitmap_.get(), IMAGE_BITMAP, 0, 0, 0))
                                : nullptr);
    width_ = other.width_;
    height_ = other.height_;
    return *this;
}

TBitmap::~TBitmap() { FreeCanvas(); }

void TBitmap::FreeCanvas() {
    canvas_.reset();
    if (dc_ && oldBitmap_) SelectObject(dc_.get(), oldBitmap_);
    oldBitmap_ = nullptr;
    dc_.reset();
}

void TBitmap::SetHandle(HBITMAP bitmap) {
    FreeCanvas();
    bitmap_.reset(bitmap);
    BITMAP bm = {};
    if (bitmap && GetObjectA(bitmap, sizeof(bm), &bm)) {
        width_ = bm.bmWidth;
        height_ = bm.bmHeight;
    } else {
        width_ = height_ = 0;
    }
}

HDC MeasuringDC() {
    static MemDcHandle dc(CreateCompatibleDC(nullptr));
    return dc.get();
}

void TBitmap::SetSize(int width, int height) {
    WindowDC screen(nullptr);
    SetHandle(CreateCompatibleBitmap(screen.get(), width, height));
    RECT r = {0, 0, width, height};
    FillRect(Canvas().Handle(), &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

bool TBitmap::LoadFromResourceName(HINSTANCE module, const String& name) {
    HBITMAP bm = static_cast<HBITMAP>(LoadImageA(module, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bm) return false;
    SetHandle(bm);
    return true;
}

TCanvas& TBitmap::Canvas() {
    if (!canvas_) {
        dc_.reset(CreateCompatibleDC(nullptr));
        if (bitmap_) oldBitmap_ = SelectObject(dc_.get(), bitmap_.get());
        canvas_ = std::make_unique<TCanvas>(dc_.get());
    }
    return *canvas_;
}

void TBitmap::Draw(TCanvas& canvas, int x, int y) const {
    if (!bitmap_) return;
    MemDcHandle mem(CreateCompatibleDC(canvas.Handle()));
    SelectObjectScope sel(mem.get(), bitmap_.get());
    BitBlt(canvas.Handle(), x, y, width_, height_, mem.get(), 0, 0, SRCCOPY);
}

void TBitmap::DrawTransparent(HDC dest, int x, int y, const RECT& src, TColor transparent) const {
    if (!bitmap_) return;
    MemDcHandle mem(CreateCompatibleDC(dest));
    SelectObjectScope sel(mem.get(), bitmap_.get());
    COLORREF key = ColorToRGB(transparent);
    // Pixel by pixel keeps this independent of the platform's transparent blit.
    for (int sy = src.top; sy < src.bottom; ++sy)
        for (int sx = src.left; sx < src.right; ++sx) {
            COLORREF c = GetPixel(mem.get(), sx, sy);
            if (c != key && c != CLR_INVALID) ::SetPixel(dest, x + sx - src.left, y + sy - src.top, c);
        }
}

// ---- drawing shared by the controls

void FillSolidRect(HDC dc, const RECT& r, TColor color) {
    BrushHandle b(CreateSolidBrush(ColorToRGB(color)));
    ::FillRect(dc, &r, b.get());
}

void Frame3D(HDC dc, RECT& r, TColor topLeft, TColor bottomRight, int width, TFrameCorner bottomLeft) {
    const int corner = bottomLeft == TFrameCorner::fcLeftEdge ? 1 : 0;
    for (; width > 0; --width) {
        if (r.right - r.left <= 0 || r.bottom - r.top <= 0) return;
        FillSolidRect(dc, RECT{r.left, r.top, r.right - 1, r.top + 1}, topLeft);
        FillSolidRect(dc, RECT{r.left, r.top, r.left + 1, r.bottom - 1 + corner}, topLeft);
        FillSolidRect(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
        FillSolidRect(dc, RECT{r.left + corner, r.bottom - 1, r.right, r.bottom}, bottomRight);
        InflateRect(&r, -1, -1);
    }
}

void DrawControlText(HDC dc, const String& text, const RECT& r, UINT format, bool enabled, TColor color) {
    if (text.empty()) return;
    int n = static_cast<int>(text.size());
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColor;
    RECT box = r;
    if (enabled) {
        oldColor = SetTextColor(dc, ColorToRGB(color));
    } else {
        RECT lit = r;
        OffsetRect(&lit, 1, 1);
        oldColor = SetTextColor(dc, ColorToRGB(clBtnHighlight));
        ::DrawTextA(dc, text.data(), n, &lit, format);
        SetTextColor(dc, ColorToRGB(clBtnShadow));
    }
    ::DrawTextA(dc, text.data(), n, &box, format);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
}

BitmapHandle CreateDib32(int width, int height, DWORD** bits) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* p = nullptr;
    BitmapHandle bm(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0));
    *bits = bm ? static_cast<DWORD*>(p) : nullptr;
    return bm;
}

DWORD* DibBits(HBITMAP bitmap) {
    DIBSECTION ds = {};
    if (!bitmap || GetObjectA(bitmap, sizeof(ds), &ds) != sizeof(ds)) return nullptr;
    GdiFlush();
    return static_cast<DWORD*>(ds.dsBm.bmBits);
}

// ---- TPicture

void TPicture::Assign(const TGraphic* graphic) {
    graphic_ = graphic ? graphic->Clone() : nullptr;
    if (OnChange) OnChange();
}

}  // namespace ui
