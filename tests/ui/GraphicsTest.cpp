// The text of disabled controls: the enabled shape in shadow over a highlight one pixel down and right.
#include "ui/Graphics.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

using namespace ui;

namespace {

const COLORREF kBack = RGB(1, 2, 3), kLight = RGB(250, 0, 250), kDark = RGB(0, 200, 200);

// A 32-bit bitmap of `kBack` in a memory context: its colours read back exactly.
class Surface {
public:
    Surface(int width, int height) : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
        bitmap_ = CreateDib32(width, height, &bits_);
        select_ = std::make_unique<SelectObjectScope>(dc_.get(), bitmap_.get());
        for (int i = 0; i < width * height; ++i) bits_[i] = RgbToPixel(kBack);
    }
    HDC dc() const { return dc_.get(); }
    COLORREF At(int x, int y) const {
        GdiFlush();
        return PixelToRgb(bits_[y * width_ + x] & 0xFFFFFF);
    }
    std::set<std::pair<int, int>> Pixels(COLORREF color) const {
        std::set<std::pair<int, int>> found;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if (At(x, y) == color) found.insert({x, y});
        return found;
    }

private:
    int width_, height_;
    DWORD* bits_ = nullptr;
    MemDcHandle dc_;
    BitmapHandle bitmap_;
    std::unique_ptr<SelectObjectScope> select_;
};

}  // namespace

TEST(DrawControlText, DisabledTextIsTheShapeInShadowOverAHighlightOnePixelDownRight) {
    LOGFONTA lf = {};
    lf.lfHeight = -16;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lf.lfQuality = NONANTIALIASED_QUALITY;  // every pixel is the text colour or untouched
    lstrcpynA(lf.lfFaceName, "ＭＳ Ｐゴシック", LF_FACESIZE);
    FontHandle font(CreateFontIndirectA(&lf));
    const RECT box = {2, 2, 60, 24};
    const UINT format = DT_SINGLELINE | DT_NOPREFIX;
    const auto draw = [&](Surface& s, bool enabled) {
        SelectObjectScope sel(s.dc(), font.get());
        SetTextColor(s.dc(), RGB(9, 9, 9));
        DrawControlText(s.dc(), "表示", box, format, enabled, static_cast<TColor>(kDark));
        EXPECT_EQ(GetTextColor(s.dc()), RGB(9, 9, 9)) << "the context gets its own colour back";
    };
    Surface enabled(64, 28), disabled(64, 28);
    draw(enabled, true);
    draw(disabled, false);
    const auto shape = enabled.Pixels(kDark);
    ASSERT_FALSE(shape.empty());
    EXPECT_EQ(disabled.Pixels(ColorToRGB(clBtnShadow)), shape);
    std::set<std::pair<int, int>> lit;
    for (auto p : shape)
        if (!shape.count({p.first + 1, p.second + 1})) lit.insert({p.first + 1, p.second + 1});
    EXPECT_EQ(disabled.Pixels(ColorToRGB(clBtnHighlight)), lit);

    Surface empty(64, 28);
    DrawControlText(empty.dc(), "", box, format, false, static_cast<TColor>(kDark));
    EXPECT_EQ(empty.Pixels(kBack).size(), 64u * 28u);
}
