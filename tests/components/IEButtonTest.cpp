#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "components/IEButton.h"
#include "support/Interaction.h"

using namespace ui;

namespace {

// A 32-bit bitmap: colours read back exactly at every display depth.
TBitmap Dib(int width, int height, const std::function<COLORREF(int x, int y)>& pixel) {
    DWORD* bits = nullptr;
    TBitmap b;
    b.SetHandle(CreateDib32(width, height, &bits).release());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) SetPixel(b.Canvas().Handle(), x, y, pixel(x, y));
    return b;
}

const COLORREF kOlive = RGB(128, 128, 0), kMarker = RGB(250, 250, 0);  // clOlive: the glyphs' transparent colour
const COLORREF kCell[3] = {RGB(255, 0, 0), RGB(0, 160, 0), RGB(0, 0, 255)};
const COLORREF kFace = RGB(40, 90, 140), kLight = RGB(255, 0, 255), kDark = RGB(0, 255, 255), kBack = RGB(1, 2, 3);

// `cells` solid 16 x 16 cells in kCell colours, bottom row transparent, a marker top left.
TBitmap CellGlyph(int cells) {
    return Dib(16 * cells, 16, [](int x, int y) { return y == 15 ? kOlive : x + y == 0 ? kMarker : kCell[x / 16]; });
}

// A 60 x 40 button at (5, 5) on a shown form, mouse input sent to the form, (0, 0) outside the
// button; the button's clicks, double clicks and presses go to `log`.
class IEButtonTest : public ::testing::Test {
protected:
    static constexpr int kW = 60, kH = 40;
    // Where a 16 x 16 glyph goes with an empty caption, glyph left, spacing 0.
    static constexpr int kGx = (kW - 16) / 2, kGy = (kH - 16) / 2;

    void SetUp() override {
        button->OnClick = [this](TObject*) { log.push_back("click"); };
        button->OnDblClick = [this](TObject*) { log.push_back("dblclick"); };
        button->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int x, int y) {
            log.push_back("down " + std::to_string(x) + "," + std::to_string(y));
        };
    }
    void Send(UINT msg, WPARAM wp, int x, int y) { SendMessageA(shown.form.Handle(), msg, wp, MAKELPARAM(x, y)); }
    void Move(int x, int y) { Send(WM_MOUSEMOVE, 0, x, y); }
    // The button painted on a bitmap of an unused colour.
    TBitmap Painted() {
        TBitmap s = Dib(kW, kH, [](int, int) { return kBack; });
        button->PaintTo(s.Canvas().Handle());
        return s;
    }
    static COLORREF At(TBitmap& b, int x, int y) { return b.Canvas().Pixel(x, y); }

    testing_support::ShownControl<TIEButton> shown{kW, kH, [](TIEButton& b) {
        b.SetColor(static_cast<TColor>(kFace));
        b.SetColorHighLight(static_cast<TColor>(kLight));
        b.SetColorShadow(static_cast<TColor>(kDark));
        b.SetLayOut(TButtonLayout::blGlyphLeft);
        b.SetInactiveStyle(TInactiveStyle::dsNormal);
        b.SetSpacing(0);
    }};
    TIEButton* const button = shown.control;
    std::vector<std::string> log;
};

}  // namespace

TEST_F(IEButtonTest, GlyphSizeSetsNumGlyphsAndTheCellShownFollowsTheState) {
    const int cases[][4] = {{32, 16, 3, 2}, {44, 20, 3, 3}, {64, 16, 2, 1}, {48, 16, 1, 3}};  // w, h, before, after
    for (const auto& c : cases) {
        TIEButton b(nullptr);
        b.SetNumGlyphs(c[2]);
        b.SetGlyph(Dib(c[0], c[1], [](int, int) { return kFace; }));
        EXPECT_EQ(b.NumGlyphs(), c[3]) << c[0] << "x" << c[1];
    }
    button->SetCaption("実行");
    button->SetSpacing(6);
    button->SetCaption("");
    EXPECT_EQ(button->Spacing(), 0);

    enum { rest, hot, disabled };
    // Cells, state, the cell shown.
    const int cellShown[][3] = {{1, rest, 0}, {1, hot, 0},      {1, disabled, 0}, {2, rest, 0},    {2, hot, 0},
                                {2, disabled, 1}, {3, rest, 2}, {3, hot, 0},      {3, disabled, 1}};
    for (const auto& c : cellShown) {
        Move(0, 0);
        button->SetEnabled(true);
        button->SetGlyph(CellGlyph(c[0]));
        if (c[1] == hot) Move(10, 10);
        if (c[1] == disabled) button->SetEnabled(false);
        auto s = Painted();
        EXPECT_EQ(At(s, kGx + 8, kGy + 8), kCell[c[2]]) << c[0] << " cells, state " << c[1];
        EXPECT_EQ(At(s, kGx + 8, kGy + 15), kFace);  // the transparent row (of the bottom left pixel's colour)
    }
}

TEST_F(IEButtonTest, ClickOnlyWhenReleasedInsideAndNeverWhileDisabledOrHidden) {
    // The handler disables its own button while the mouse is over it: no hot or pressed look stays.
    const auto logDown = button->OnMouseDown;
    button->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { button->SetEnabled(false); };
    Move(10, 10);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
    Send(WM_LBUTTONUP, 0, 10, 10);
    button->OnMouseDown = logDown;
    Move(0, 0);
    button->SetEnabled(true);
    EXPECT_FALSE(button->Hot() || button->Pressed());
    EXPECT_EQ(Painted().Canvas().Pixel(0, kH / 2), kFace);

    button->SetBorderWidth(2);
    button->SetGlyph(CellGlyph(1));
    button->SetCaption("前のﾌｧｲﾙ");
    // Pressed and released inside; pressed, dragged out and released; a double click, whose
    // release is no second click.
    const std::tuple<UINT, int, int> mouse[] = {
        {WM_LBUTTONDOWN, 8, 9}, {WM_LBUTTONUP, 10, 10}, {WM_LBUTTONDOWN, 8, 9}, {WM_MOUSEMOVE, 0, 0},
        {WM_LBUTTONUP, 0, 0},   {WM_MOUSEMOVE, 8, 9},   {WM_LBUTTONDBLCLK, 8, 9}, {WM_LBUTTONUP, 8, 9}};
    const std::vector<std::string> clicks = {"down 3,4", "click", "down 3,4", "dblclick", "down 3,4"};
    for (const std::string state : {"enabled", "disabled", "hidden"}) {
        button->SetEnabled(true);
        Move(10, 10);
        ASSERT_TRUE(button->Hot());
        button->SetEnabled(state != "disabled");
        button->SetVisible(state != "hidden");
        log.clear();
        for (auto [msg, x, y] : mouse)
            Send(msg, msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK ? MK_LBUTTON : 0, x, y);
        EXPECT_EQ(log, state == "enabled" ? clicks : std::vector<std::string>()) << state;
        EXPECT_EQ(button->Hot(), state == "enabled") << state;
    }
    // Hidden: the face inside the border's place, nothing else.
    auto s = Painted();
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            ASSERT_EQ(At(s, x, y), x < 2 || y < 2 || x >= kW - 2 || y >= kH - 2 ? kBack : kFace) << x << "," << y;
}

// A disabled caption is drawn engraved: its shape in shadow over a highlight.
TEST_F(IEButtonTest, ADisabledCaptionIsEngraved) {
    button->SetCaption("実行");
    const COLORREF text = ColorToRGB(button->Font().Color()), shadow = ColorToRGB(clBtnShadow);
    for (bool enabled : {true, false}) {
        button->SetEnabled(enabled);
        std::map<COLORREF, int> pixels;
        TBitmap s = Painted();
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) ++pixels[At(s, x, y)];
        EXPECT_EQ(std::make_tuple(pixels[text] > 0, pixels[shadow] > 0, pixels[ColorToRGB(clBtnHighlight)] > 0),
                  std::make_tuple(enabled, !enabled, !enabled));
    }
}
