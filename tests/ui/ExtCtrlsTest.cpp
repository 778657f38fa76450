#include "ui/ExtCtrls.h"

#include <gtest/gtest.h>

using namespace ui;

TEST(Bevel, ABoxsBottomLeftCornerBelongsToItsLeftEdge) {
    TBevel bevel(nullptr);
    bevel.SetBounds(0, 0, 10, 8);
    DWORD* bits = nullptr;
    TBitmap surface;  // 32 bits a pixel: colours read back exactly at every display depth
    surface.SetHandle(CreateDib32(10, 8, &bits).release());
    bevel.PaintTo(surface.Canvas().Handle());
    const auto at = [&](int x, int y) { return surface.Canvas().Pixel(x, y); };
    const COLORREF shadow = ColorToRGB(clBtnShadow), light = ColorToRGB(clBtnHighlight);
    // Lowered: shadow top and left, highlight right and bottom.
    const struct {
        int x, y;
        COLORREF color;
    } pixels[] = {{0, 0, shadow}, {0, 7, shadow}, {5, 0, shadow}, {9, 0, light}, {9, 7, light}, {1, 7, light}};
    for (const auto& p : pixels) EXPECT_EQ(at(p.x, p.y), p.color) << p.x << "," << p.y;
}
