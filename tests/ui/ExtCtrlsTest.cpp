#include "ui/ExtCtrls.h"

#include <gtest/gtest.h>

#include "ui/Forms.h"

using namespace ui;

TEST(Panel, BevelsAreDrawnInTheirThreeDColours) {
    WindowDC screen(nullptr);
    // Under Wine a paletted display shows the button face and its highlight alike.
    if (GetDeviceCaps(screen.get(), BITSPIXEL) <= 8) GTEST_SKIP() << "this display shows the 3-D colours alike";
    TForm form(nullptr);
    form.SetBounds(0, 0, 400, 300);
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
        form.Show();
        RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        WindowDC dc(panel->Handle());
        auto px = [&](int x, int y) { return GetPixel(dc.get(), x, y); };
        auto shown = [&](TColor color) { return GetNearestColor(dc.get(), ColorToRGB(color)); };
        int ring = 0;
        for (TBevelCut cut : {c.outer, c.inner}) {
            if (cut == TBevelCut::bvNone) continue;
            COLORREF top = shown(cut == TBevelCut::bvLowered ? clBtnShadow : clBtnHighlight);
            COLORREF bottom = shown(cut == TBevelCut::bvLowered ? clBtnHighlight : clBtnShadow);
            for (int k = 0; k < c.width; ++k, ++ring) {
                int l = ring, t = ring, r = 99 - ring, b = 59 - ring;
                SCOPED_TRACE(testing::Message() << "ring " << ring);
                for (POINT p : {POINT{l, t}, POINT{l, 30}, POINT{50, t}}) EXPECT_EQ(px(p.x, p.y), top);
                // The corners where the colours meet belong to the bottom-right colour.
                for (POINT p : {POINT{r, 30}, POINT{50, b}, POINT{r, b}, POINT{l, b}, POINT{r, t}})
                    EXPECT_EQ(px(p.x, p.y), bottom);
            }
        }
        EXPECT_EQ(px(ring, 30), shown(clBtnFace));
        EXPECT_EQ(px(50, ring), shown(clBtnFace));
        delete panel;
    }
}

TEST(Bevel, ABoxsBottomLeftCornerBelongsToItsLeftEdge) {
    TBevel bevel(nullptr);
    bevel.SetBounds(0, 0, 10, 8);
    DWORD* bits = nullptr;
    BitmapHandle surface = CreateDib32(10, 8, &bits);
    MemDcHandle dc(CreateCompatibleDC(nullptr));
    {
        SelectObjectScope sel(dc.get(), surface.get());
        bevel.PaintTo(dc.get());
    }
    GdiFlush();
    const auto at = [&](int x, int y) { return PixelToRgb(bits[y * 10 + x] & 0xFFFFFF); };
    const COLORREF shadow = ColorToRGB(clBtnShadow), light = ColorToRGB(clBtnHighlight);
    // Lowered: shadow top and left, highlight right and bottom.
    const struct {
        int x, y;
        COLORREF color;
    } pixels[] = {{0, 0, shadow}, {0, 7, shadow}, {5, 0, shadow}, {9, 0, light}, {9, 7, light}, {1, 7, light}};
    for (const auto& p : pixels) EXPECT_EQ(at(p.x, p.y), p.color) << p.x << "," << p.y;
}
