#include "ui/ExtCtrls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CtlTestUtil.h"
#include "support/Sandbox.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

using namespace ui;
using ctl_test::Shown;

namespace {

const TColor kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00FF00;

struct FormFixture : testing::Test {
    TForm form{nullptr};
    void SetUp() override {
        form.SetBorderStyle(TFormBorderStyle::bsNone);
        form.SetBounds(0, 0, 400, 300);
    }
    void ShowAndPaint() {
        form.Show();
        RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
};

// Pixel grid of a window's client area, read after it painted.
struct Grab {
    explicit Grab(HWND w) : wnd(w), dc(w) {}
    COLORREF operator()(int x, int y) const { return GetPixel(dc.get(), x, y); }
    COLORREF Of(TColor c) const { return Shown(dc.get(), c); }
    HWND wnd;
    WindowDC dc;
};

}  // namespace

// ---- TPanel

using PanelTest = FormFixture;

TEST_F(PanelTest, BevelsAreDrawnInTheirThreeDColours) {
    SKIP_UNLESS_3D_COLOURS_DISTINCT();
    struct Case {
        TBevelCut outer, inner;
        int width;
    } cases[] = {
        {TBevelCut::bvRaised, TBevelCut::bvNone, 1},
        {TBevelCut::bvLowered, TBevelCut::bvRaised, 1},
        {TBevelCut::bvRaised, TBevelCut::bvLowered, 2},
        {TBevelCut::bvNone, TBevelCut::bvLowered, 1},
    };
    for (const Case& c : cases) {
        auto* panel = new TPanel(&form);
        panel->SetBounds(10, 10, 100, 60);
        panel->SetBevelOuter(c.outer);
        panel->SetBevelInner(c.inner);
        panel->SetBevelWidth(c.width);
        panel->SetParent(&form);
        ShowAndPaint();
        Grab px(panel->Handle());
        auto top = [&](TBevelCut cut) { return px.Of(cut == TBevelCut::bvLowered ? clBtnShadow : clBtnHighlight); };
        auto bottom = [&](TBevelCut cut) { return px.Of(cut == TBevelCut::bvLowered ? clBtnHighlight : clBtnShadow); };
        int ring = 0;
        for (TBevelCut cut : {c.outer, c.inner}) {
            if (cut == TBevelCut::bvNone) continue;
            for (int k = 0; k < c.width; ++k, ++ring) {
                int l = ring, t = ring, r = 99 - ring, b = 59 - ring;
                SCOPED_TRACE(testing::Message() << "ring " << ring);
                EXPECT_EQ(px(l, t), top(cut));
                EXPECT_EQ(px(l, 30), top(cut));
                EXPECT_EQ(px(50, t), top(cut));
                EXPECT_EQ(px(r, 30), bottom(cut));
                EXPECT_EQ(px(50, b), bottom(cut));
                EXPECT_EQ(px(r, b), bottom(cut));
                // The corners where the colours meet belong to the bottom-right colour.
                EXPECT_EQ(px(l, b), bottom(cut));
                EXPECT_EQ(px(r, t), bottom(cut));
            }
        }
        EXPECT_EQ(px(ring, 30), px.Of(clBtnFace));
        EXPECT_EQ(px(50, ring), px.Of(clBtnFace));
        delete panel;
    }
}

TEST_F(PanelTest, CaptionIsCentredInThePanelsFont) {
    SKIP_UNLESS_3D_COLOURS_DISTINCT();
    auto* panel = new TPanel(&form);
    panel->SetBounds(9, 88, 271, 85);
    panel->SetBevelInner(TBevelCut::bvRaised);
    panel->SetBevelOuter(TBevelCut::bvLowered);
    panel->SetParent(&form);
    panel->Font().SetHeight(-12);
    panel->SetCaption("ここに新しいアイコンファイルをドロップ");
    ShowAndPaint();
    Grab px(panel->Handle());
    COLORREF face = px.Of(clBtnFace);
    int minX = 1000, maxX = -1, minY = 1000, maxY = -1;
    for (int y = 2; y < 83; ++y)
        for (int x = 2; x < 269; ++x)
            if (px(x, y) != face) {
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
    ASSERT_GE(maxX, 0) << "no caption drawn";
    WindowDC screen(nullptr);
    SelectObjectScope sel(screen.get(), panel->Font().Handle());
    SIZE ext;
    const std::string text = panel->Caption();
    GetTextExtentPoint32A(screen.get(), text.data(), static_cast<int>(text.size()), &ext);
    TEXTMETRICA tm;
    GetTextMetricsA(screen.get(), &tm);
    // The ink lies inside the text cell centred in the panel.
    int cellLeft = (271 - ext.cx) / 2, cellTop = (85 - tm.tmHeight) / 2;
    EXPECT_GE(minX, cellLeft);
    EXPECT_LE(maxX, cellLeft + ext.cx + 1);
    EXPECT_GE(minY, cellTop);
    EXPECT_LE(maxY, cellTop + tm.tmHeight);
    // ... and fills most of it (a left-aligned caption would not).
    EXPECT_LE(minX - cellLeft, 4);
    EXPECT_LE(cellLeft + ext.cx - maxX, 6);
}

TEST_F(PanelTest, PanelMadeLaterCoversTheControlsBelowIt) {
    // The option panel is laid over the icon grid made before it, hidden until needed.
    auto* below = new TEdit(&form);
    below->SetBounds(10, 10, 200, 150);
    below->SetParent(&form);
    auto* panel = new TPanel(&form);
    panel->SetBounds(5, 5, 250, 200);
    panel->SetColor(kBlue);
    panel->SetVisible(false);
    panel->SetParent(&form);
    ShowAndPaint();
    panel->Show();
    UpdateWindow(form.Handle());
    EXPECT_EQ(ChildWindowFromPoint(form.Handle(), POINT{100, 100}), panel->Handle());
    Grab px(form.Handle());
    EXPECT_EQ(px(100, 100), px.Of(kBlue));
}

// ---- TImage

using ImageTest = FormFixture;

TEST_F(ImageTest, IconIsPaintedPlacedAndMaskedAsAsked) {
    struct Case {
        const char* name;
        bool transparent, center, stretch;
        int width, height;
        POINT opaque, masked;  // a pixel of the icon's opaque half and of its masked half
        POINT outside;         // a pixel of the control outside the icon
    } cases[] = {
        {"corner, transparent", true, false, false, 40, 40, {5, 16}, {25, 16}, {36, 36}},
        {"corner, opaque", false, false, false, 40, 40, {5, 16}, {25, 16}, {36, 36}},
        {"centred", true, true, false, 40, 40, {4 + 5, 4 + 16}, {4 + 25, 4 + 16}, {1, 1}},
        {"stretched", false, false, true, 64, 64, {20, 32}, {50, 32}, {-1, -1}},
    };
    form.SetColor(kRed);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* image = new TImage(&form);
        image->SetBounds(50, 50, c.width, c.height);
        image->SetParent(&form);
        image->SetTransparent(c.transparent);
        image->SetCenter(c.center);
        image->SetStretch(c.stretch);
        image->SetColor(kBlue);  // shown where the icon leaves the image uncovered, unless transparent
        TIcon icon;
        icon.SetHandle(ctl_test::HalfIcon(RGB(0, 255, 0)));
        image->Picture().Assign(&icon);
        ShowAndPaint();
        Grab px(form.Handle());
        COLORREF around = px.Of(c.transparent ? kRed : kBlue);
        EXPECT_EQ(px(50 + c.opaque.x, 50 + c.opaque.y), px.Of(kGreen));
        EXPECT_EQ(px(50 + c.masked.x, 50 + c.masked.y), around);
        if (c.outside.x >= 0) {
            EXPECT_EQ(px(50 + c.outside.x, 50 + c.outside.y), around);
        }
        delete image;
    }
}

TEST_F(ImageTest, PictureChangeRepaintsAndEmptyPictureDrawsNothing) {
    form.SetColor(kRed);
    auto* image = new TImage(&form);
    image->SetBounds(10, 10, 32, 32);
    image->SetTransparent(true);
    image->SetParent(&form);
    ShowAndPaint();
    {
        Grab px(form.Handle());
        EXPECT_EQ(px(15, 20), px.Of(kRed));
    }
    TIcon icon;
    icon.SetHandle(ctl_test::HalfIcon(RGB(0, 255, 0)));
    image->Picture().Assign(&icon);
    UpdateWindow(form.Handle());
    Grab px(form.Handle());
    EXPECT_EQ(px(15, 20), px.Of(kGreen));
    EXPECT_EQ(icon.ShareCount(), 2);  // the picture shares the icon's image
}

TEST_F(ImageTest, TransparentBitmapLeavesOutItsBottomLeftColour) {
    form.SetColor(kRed);
    TBitmap bmp;
    bmp.SetSize(16, 16);
    {
        TCanvas& c = bmp.Canvas();
        c.Brush().SetColor(0xFF00FF);  // the key colour, at the bottom-left corner
        RECT all = {0, 0, 16, 16};
        c.FillRect(all);
        c.Brush().SetColor(kGreen);
        RECT inner = {4, 4, 12, 12};
        c.FillRect(inner);
    }
    for (bool transparent : {true, false}) {
        auto* image = new TImage(&form);
        image->SetBounds(20, 20, 16, 16);
        image->SetParent(&form);
        image->SetTransparent(transparent);
        image->Picture().Assign(&bmp);
        ShowAndPaint();
        Grab px(form.Handle());
        EXPECT_EQ(px(28, 28), px.Of(kGreen));
        EXPECT_EQ(px(21, 21), transparent ? px.Of(kRed) : px.Of(0xFF00FF)) << transparent;
        delete image;
    }
}

// ---- TBevel

using BevelTest = FormFixture;

TEST_F(BevelTest, ShapesAndStylesDrawTheClassicEdges) {
    SKIP_UNLESS_3D_COLOURS_DISTINCT();
    enum Col { Sh, Hi, Bg };
    struct Probe {
        int x, y;
        Col c;
    };
    struct Case {
        const char* name;
        TBevelShape shape;
        TBevelStyle style;
        std::vector<Probe> probes;  // in a 50 x 40 bevel
    } cases[] = {
        {"lowered box", TBevelShape::bsBox, TBevelStyle::bsLowered,
         {{0, 0, Sh}, {0, 20, Sh}, {25, 0, Sh}, {0, 39, Sh}, {49, 20, Hi}, {25, 39, Hi}, {49, 39, Hi}, {49, 0, Hi},
          {1, 1, Bg}, {25, 20, Bg}}},
        {"raised box", TBevelShape::bsBox, TBevelStyle::bsRaised,
         {{0, 0, Hi}, {0, 20, Hi}, {25, 0, Hi}, {49, 20, Sh}, {25, 39, Sh}, {49, 39, Sh}, {1, 1, Bg}}},
        {"lowered frame", TBevelShape::bsFrame, TBevelStyle::bsLowered,
         {{0, 0, Sh}, {0, 20, Sh}, {48, 20, Sh}, {25, 38, Sh}, {48, 38, Sh}, {1, 1, Hi}, {1, 20, Hi}, {25, 1, Hi},
          {49, 20, Hi}, {25, 39, Hi}, {49, 39, Hi}, {2, 2, Bg}, {25, 20, Bg}}},
        {"raised frame", TBevelShape::bsFrame, TBevelStyle::bsRaised,
         {{0, 0, Hi}, {48, 38, Hi}, {1, 1, Sh}, {49, 39, Sh}, {25, 20, Bg}}},
        {"top line", TBevelShape::bsTopLine, TBevelStyle::bsLowered,
         {{0, 0, Sh}, {49, 0, Sh}, {0, 1, Hi}, {49, 1, Hi}, {25, 2, Bg}, {25, 39, Bg}}},
        {"bottom line", TBevelShape::bsBottomLine, TBevelStyle::bsLowered,
         {{0, 38, Sh}, {49, 38, Sh}, {0, 39, Hi}, {25, 37, Bg}}},
        {"left line", TBevelShape::bsLeftLine, TBevelStyle::bsRaised, {{0, 0, Hi}, {0, 39, Hi}, {1, 20, Sh}, {2, 20, Bg}}},
        {"right line", TBevelShape::bsRightLine, TBevelStyle::bsLowered, {{48, 0, Sh}, {49, 39, Hi}, {47, 20, Bg}}},
        {"spacer", TBevelShape::bsSpacer, TBevelStyle::bsLowered, {{0, 0, Bg}, {49, 39, Bg}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* bevel = new TBevel(&form);
        bevel->SetBounds(10, 10, 50, 40);
        bevel->SetShape(c.shape);
        bevel->SetStyle(c.style);
        bevel->SetParent(&form);
        ShowAndPaint();
        Grab px(form.Handle());
        for (const Probe& p : c.probes) {
            COLORREF want = px.Of(p.c == Sh ? clBtnShadow : p.c == Hi ? clBtnHighlight : clBtnFace);
            EXPECT_EQ(px(10 + p.x, 10 + p.y), want) << p.x << "," << p.y;
        }
        delete bevel;
    }
}

TEST_F(BevelTest, HidingAFrameRepaintsTheParent) {
    SKIP_UNLESS_3D_COLOURS_DISTINCT();
    auto* bevel = new TBevel(&form);
    bevel->SetBounds(10, 10, 43, 40);
    bevel->SetParent(&form);
    ShowAndPaint();
    {
        Grab px(form.Handle());
        EXPECT_EQ(px(10, 10), px.Of(clBtnShadow));
    }
    bevel->Hide();
    UpdateWindow(form.Handle());
    Grab px(form.Handle());
    EXPECT_EQ(px(10, 10), px.Of(clBtnFace));
}

// ---- TTimer

TEST(Timer, FiresWhileEnabledAndStopsWhenDisabled) {
    TTimer timer(nullptr);
    timer.SetInterval(10);
    int ticks = 0;
    timer.OnTimer = [&](TObject* s) {
        EXPECT_EQ(s, &timer);
        if (++ticks == 3) timer.SetEnabled(false);
    };
    EXPECT_TRUE(ctl_test::PumpUntil([&] { return ticks >= 3; }));
    testing_support::PumpMessages(5);
    EXPECT_EQ(ticks, 3);
    timer.SetEnabled(true);
    EXPECT_TRUE(ctl_test::PumpUntil([&] { return ticks >= 4; }));
}

TEST(Timer, ErrorInTheHandlerGoesToTheErrorReport) {
    testing_support::MessageBoxCapture boxes;
    Application().SetTitle("Vemlora");
    TTimer timer(nullptr);
    timer.SetInterval(10);
    timer.OnTimer = [&](TObject*) {
        timer.SetEnabled(false);
        throw Exception("タイマー表");
    };
    EXPECT_TRUE(ctl_test::PumpUntil([&] { return !boxes.Boxes().empty(); }));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "タイマー表");
}

TEST(Timer, HandlerMayFreeItsTimer) {
    auto* timer = new TTimer(nullptr);
    timer->SetInterval(10);
    bool fired = false;
    timer->OnTimer = [&](TObject* s) {
        fired = true;
        delete static_cast<TTimer*>(s);
    };
    EXPECT_TRUE(ctl_test::PumpUntil([&] { return fired; }));
    testing_support::PumpMessages(3);
}
