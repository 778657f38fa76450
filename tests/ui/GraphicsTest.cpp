// The drawing every control shares: the 3-D frame and the text of enabled and disabled controls.
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

TEST(Frame3D, RingsShrinkTheRectAndTheCornersGoWhereAsked) {
    // 'L' top/left colour, 'D' right/bottom colour, '.' untouched, for a 6 x 5 frame two rings deep.
    const struct {
        TFrameCorner corner;
        const char* rows[5];
    } cases[] = {
        {TFrameCorner::fcBottomEdge, {"LLLLLD", "LLLLDD", "LL..DD", "LDDDDD", "DDDDDD"}},
        {TFrameCorner::fcLeftEdge, {"LLLLLD", "LLLLDD", "LL..DD", "LLDDDD", "LDDDDD"}},
    };
    for (const auto& c : cases) {
        Surface s(6, 5);
        RECT r = {0, 0, 6, 5};
        Frame3D(s.dc(), r, static_cast<TColor>(kLight), static_cast<TColor>(kDark), 2, c.corner);
        EXPECT_EQ(std::make_tuple(r.left, r.top, r.right, r.bottom), std::make_tuple(2, 2, 4, 3));
        for (int y = 0; y < 5; ++y) {
            std::string row;
            for (int x = 0; x < 6; ++x) row += s.At(x, y) == kLight ? 'L' : s.At(x, y) == kDark ? 'D' : '.';
            EXPECT_EQ(row, c.rows[y]) << "row " << y << (c.corner == TFrameCorner::fcLeftEdge ? ", left corner" : "");
        }
    }
    // More rings than the rect holds stop when it is used up.
    Surface s(3, 3);
    RECT small = {0, 0, 3, 3};
    Frame3D(s.dc(), small, static_cast<TColor>(kLight), static_cast<TColor>(kDark), 5);
    EXPECT_EQ(s.At(1, 1), kDark);
    EXPECT_EQ(small.right - small.left, -1);
}

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

// A pending icon image is made once, when the icon or any copy of it is first looked at.
TEST(Icon, APendingImageIsMadeOnFirstLookAndSharedByCopies) {
    struct Case {
        bool makes;  // the maker returns an icon
        bool look;   // someone looks at the icon
        int made;    // times the maker ran
    } cases[] = {{true, true, 1}, {false, true, 1}, {true, false, 0}};
    for (const Case& c : cases) {
        int made = 0;
        {
            TIcon icon;
            icon.SetPendingHandle([&] {
                ++made;
                return c.makes ? CopyIcon(LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION))) : nullptr;
            });
            TPicture picture;
            picture.Assign(&icon);
            EXPECT_EQ(made, 0);
            EXPECT_EQ(icon.ShareCount(), 2);
            if (c.look) {
                const HICON held = picture.Icon()->Handle();
                EXPECT_EQ(held != nullptr, c.makes);
                EXPECT_EQ(icon.Handle(), held);
                EXPECT_EQ(icon.Empty(), !c.makes);
                EXPECT_EQ(picture.Empty(), !c.makes);
            }
        }
        EXPECT_EQ(made, c.made) << c.makes << c.look;
    }
}

TEST(Font, FontsAlikeShareOneHandleWhateverTheirColour) {
    TFont a, b, c;
    b.SetColor(clRed);
    EXPECT_EQ(a.Handle(), b.Handle());
    c.SetHeight(-16);
    EXPECT_NE(c.Handle(), a.Handle());
    LOGFONTA lf = {};
    ASSERT_TRUE(GetObjectA(c.Handle(), sizeof(lf), &lf));
    EXPECT_EQ(lf.lfHeight, -16);
    c.SetHeight(-12);
    EXPECT_EQ(c.Handle(), a.Handle());
}
