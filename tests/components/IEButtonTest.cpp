#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/IEButton.h"
#include "ui/Forms.h"

using namespace ui;

namespace {

// A 32-bit memory surface: colours read back exactly at every display depth.
class Surface {
public:
    Surface(int width, int height, COLORREF fill) : dc_(CreateCompatibleDC(nullptr)) {
        BITMAPINFO bi = {};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap_.reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        old_ = SelectObject(dc_.get(), bitmap_.get());
        RECT r = {0, 0, width, height};
        BrushHandle b(CreateSolidBrush(fill));
        FillRect(dc_.get(), &r, b.get());
    }
    ~Surface() { SelectObject(dc_.get(), old_); }
    HDC dc() const { return dc_.get(); }
    COLORREF At(int x, int y) const { return GetPixel(dc_.get(), x, y); }
    int Count(const RECT& r, COLORREF c) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += At(x, y) == c;
        return n;
    }

private:
    MemDcHandle dc_;
    BitmapHandle bitmap_;
    HGDIOBJ old_;
};

// A glyph bitmap of the given size with each pixel's colour from `pixel`; 32 bits a pixel,
// so that the colours stay exact at every display depth.
TBitmap MakeGlyph(int width, int height, const std::function<COLORREF(int x, int y)>& pixel) {
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    {
        MemDcHandle mem(CreateCompatibleDC(nullptr));
        SelectObjectScope sel(mem.get(), dib);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) SetPixel(mem.get(), x, y, pixel(x, y));
    }
    TBitmap bmp;
    bmp.SetHandle(dib);
    return bmp;
}

const COLORREF kOlive = RGB(128, 128, 0);  // clOlive, the glyphs' transparent colour
const COLORREF kCell[3] = {RGB(255, 0, 0), RGB(0, 160, 0), RGB(0, 0, 255)};
const TColor kFace = static_cast<TColor>(RGB(40, 90, 140));
const TColor kLight = static_cast<TColor>(RGB(255, 0, 255));
const TColor kDark = static_cast<TColor>(RGB(0, 255, 255));

// `cells` solid 16 x 16 cells in kCell colours, bottom row transparent (olive).
TBitmap CellGlyph(int cells) {
    return MakeGlyph(16 * cells, 16, [](int x, int y) { return y == 15 ? kOlive : kCell[x / 16]; });
}

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

// A form with one button at (10, 10), 60 x 40, and mouse input sent to the form.
class IEButtonTest : public ::testing::Test {
protected:
    static constexpr int kLeft = 10, kTop = 10, kW = 60, kH = 40;

    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 300, 200);
        button = AddButton(kLeft, kTop);
        form->Show();
    }
    void TearDown() override { form.reset(); }

    TIEButton* AddButton(int left, int top) {
        auto* b = new TIEButton(form.get());
        b->SetBounds(left, top, kW, kH);
        b->SetParent(form.get());
        b->SetColor(kFace);
        b->SetColorHighLight(kLight);
        b->SetColorShadow(kDark);
        b->SetLayOut(TButtonLayout::blGlyphLeft);
        b->SetInactiveStyle(TInactiveStyle::dsNormal);
        b->SetSpacing(0);
        return b;
    }

    void Send(UINT msg, WPARAM wp, int x, int y) { SendMessageA(form->Handle(), msg, wp, At(x, y)); }
    void Move(int x, int y) { Send(WM_MOUSEMOVE, 0, x, y); }
    void Press(int x, int y) { Send(WM_LBUTTONDOWN, MK_LBUTTON, x, y); }
    void Release(int x, int y) { Send(WM_LBUTTONUP, 0, x, y); }
    // A full click in the middle of a button.
    void ClickOn(TIEButton* b) {
        int x = b->Left() + kW / 2, y = b->Top() + kH / 2;
        Move(x, y);
        Press(x, y);
        Release(x, y);
    }
    void Away() { Move(290, 190); }

    // The button painted on a fresh surface of `sentinel` colour.
    std::unique_ptr<Surface> Painted(TIEButton* b, COLORREF sentinel = RGB(1, 2, 3)) {
        auto s = std::make_unique<Surface>(b->Width(), b->Height(), sentinel);
        b->PaintTo(s->dc());
        return s;
    }

    // Where a glyph of `gw` x `gh` goes with an empty caption, glyph left, spacing 0.
    POINT GlyphAt(int gw, int gh) const { return POINT{(kW - gw) / 2, (kH - gh) / 2}; }

    std::unique_ptr<TForm> form;
    TIEButton* button = nullptr;
};

}  // namespace

TEST_F(IEButtonTest, NewButtonDefaults) {
    TIEButton b(nullptr);
    EXPECT_EQ(b.Width(), 55);
    EXPECT_EQ(b.Height(), 45);
    EXPECT_EQ(b.NumGlyphs(), 2);
    EXPECT_EQ(b.TransparentColor(), clOlive);
    EXPECT_EQ(b.InactiveStyle(), TInactiveStyle::dsFocus);
    EXPECT_EQ(b.LayOut(), TButtonLayout::blGlyphTop);
    EXPECT_EQ(b.Spacing(), 4);
    EXPECT_TRUE(b.ShowCaption());
    EXPECT_EQ(b.BorderWidth(), 1);
    EXPECT_EQ(b.ColorHighLight(), clBtnHighlight);
    EXPECT_EQ(b.ColorShadow(), clBtnShadow);
    EXPECT_EQ(b.GroupIndex(), 0);
    EXPECT_FALSE(b.AllowAllUp());
    EXPECT_FALSE(b.Down());
    EXPECT_FALSE(b.MenuMark());
    EXPECT_EQ(b.PopupMenu(), nullptr);
    EXPECT_TRUE(b.Visible());
    EXPECT_TRUE(b.Enabled());
    EXPECT_TRUE(b.ParentColor());
    EXPECT_TRUE(b.ParentFont());
}

TEST_F(IEButtonTest, GlyphSizeSetsNumGlyphsAndBottomLeftPixelTheTransparentColour) {
    struct Case {
        int w, h, before, after;
    } cases[] = {
        {32, 16, 3, 2},  // two square cells
        {44, 20, 3, 3},  // not a whole multiple: unchanged
        {64, 16, 2, 1},  // four cells is more than a strip holds: one cell
        {48, 16, 1, 3},
        {16, 16, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        TIEButton b(nullptr);
        b.SetNumGlyphs(c.before);
        b.SetGlyph(MakeGlyph(c.w, c.h, [&](int x, int y) {
            return (x == 0 && y == c.h - 1) ? RGB(12, 34, 56) : RGB(200, 200, 200);
        }));
        EXPECT_EQ(b.NumGlyphs(), c.after);
        EXPECT_EQ(b.TransparentColor(), static_cast<TColor>(RGB(12, 34, 56)));
        EXPECT_EQ(b.Glyph().Width(), c.w);
        EXPECT_EQ(b.Glyph().Height(), c.h);
    }
}

TEST_F(IEButtonTest, GlyphResourcesLoadByName) {
    struct Case {
        const char* name;
        int numGlyphs;
        TColor transparent;
    } cases[] = {
        {"GLYPH_EXEC", 2, clOlive},
        {"GLYPH_EXIT", 2, 4359300},  // red and green 132, blue 66
        {"GLYPH_MOUSE", 1, clOlive},
        {"GLYPH_CACHE", 2, clOlive},
        {"GLYPH_PREV", 1, clOlive},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TIEButton b(nullptr);
        ASSERT_TRUE(b.LoadGlyph(c.name));
        EXPECT_EQ(b.NumGlyphs(), c.numGlyphs);
        EXPECT_EQ(b.TransparentColor(), c.transparent);
    }
    TIEButton b(nullptr);
    EXPECT_FALSE(b.LoadGlyph("NO_SUCH_GLYPH"));
    EXPECT_TRUE(b.Glyph().Empty());
}

TEST_F(IEButtonTest, EmptyCaptionSetsSpacingToZero) {
    button->SetCaption("実行");
    button->SetSpacing(6);
    button->SetCaption("終了");
    EXPECT_EQ(button->Spacing(), 6);
    button->SetCaption("");
    EXPECT_EQ(button->Spacing(), 0);
}

TEST_F(IEButtonTest, GlyphCellFollowsNumGlyphsAndState) {
    enum State { rest, hot, disabled };
    struct Case {
        int cells;
        State state;
        int shown;
    } cases[] = {
        {1, rest, 0}, {1, hot, 0}, {1, disabled, 0},
        {2, rest, 0}, {2, hot, 0}, {2, disabled, 1},
        {3, rest, 2}, {3, hot, 0}, {3, disabled, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("cells " + std::to_string(c.cells) + " state " + std::to_string(c.state));
        Away();
        button->SetEnabled(true);
        button->SetGlyph(CellGlyph(c.cells));
        ASSERT_EQ(button->NumGlyphs(), c.cells);
        if (c.state == hot) Move(kLeft + 5, kTop + 5);
        if (c.state == disabled) button->SetEnabled(false);
        EXPECT_EQ(button->Hot(), c.state == hot);
        auto s = Painted(button);
        POINT g = GlyphAt(16, 16);
        EXPECT_EQ(s->At(g.x + 8, g.y + 8), kCell[c.shown]);
        // The transparent bottom row shows the face.
        EXPECT_EQ(s->At(g.x + 8, g.y + 15), static_cast<COLORREF>(kFace));
    }
}

TEST_F(IEButtonTest, InactiveFocusStyleBlendsTheGlyphOnlyWhileTheMouseIsAway) {
    button->SetGlyph(CellGlyph(2));
    button->SetInactiveStyle(TInactiveStyle::dsFocus);
    POINT g = GlyphAt(16, 16);
    EXPECT_NE(Painted(button)->At(g.x + 8, g.y + 8), kCell[0]);
    Move(kLeft + 5, kTop + 5);
    EXPECT_EQ(Painted(button)->At(g.x + 8, g.y + 8), kCell[0]);
}

TEST_F(IEButtonTest, BorderAndShiftShowRestHotAndPressed) {
    button->SetBorderWidth(2);
    // A one-cell glyph with a marker in its top-left corner.
    button->SetGlyph(MakeGlyph(16, 16, [](int x, int y) {
        if (x == 0 && y == 0) return RGB(250, 250, 0);
        return y == 15 ? kOlive : RGB(90, 0, 0);
    }));
    POINT g = GlyphAt(16, 16);
    const COLORREF face = kFace, light = kLight, dark = kDark, marker = RGB(250, 250, 0);
    struct Edge {
        int x, y;
        bool first;  // top/left colour, else bottom/right
    } edges[] = {{0, kH / 2, true},  {1, kH / 2, true},  {kW / 2, 0, true},       {kW / 2, 1, true},
                 {kW - 1, kH / 2, false}, {kW - 2, kH / 2, false}, {kW / 2, kH - 1, false},
                 {kW / 2, kH - 2, false}, {kW - 1, 0, false}, {0, kH - 1, false}};

    auto rest = Painted(button);
    for (const Edge& e : edges) EXPECT_EQ(rest->At(e.x, e.y), face) << e.x << "," << e.y;
    EXPECT_EQ(rest->At(2, kH / 2), face);
    EXPECT_EQ(rest->At(g.x, g.y), marker);

    Move(kLeft + 5, kTop + 5);
    auto hot = Painted(button);
    for (const Edge& e : edges) EXPECT_EQ(hot->At(e.x, e.y), e.first ? light : dark) << e.x << "," << e.y;
    EXPECT_EQ(hot->At(2, kH / 2), face);
    EXPECT_EQ(hot->At(g.x, g.y), marker);

    Press(kLeft + 5, kTop + 5);
    EXPECT_TRUE(button->Pressed());
    auto pressed = Painted(button);
    for (const Edge& e : edges) EXPECT_EQ(pressed->At(e.x, e.y), e.first ? dark : light) << e.x << "," << e.y;
    EXPECT_EQ(pressed->At(g.x + 1, g.y + 1), marker);
    EXPECT_EQ(pressed->At(g.x, g.y), face);

    // Dragged out while pressed: flat, contents back in place.
    Move(200, 150);
    auto out = Painted(button);
    EXPECT_EQ(out->At(0, kH / 2), face);
    EXPECT_EQ(out->At(g.x, g.y), marker);
    Release(200, 150);
    EXPECT_FALSE(button->Pressed());
}

TEST_F(IEButtonTest, CaptionIsEmbossedWhenDisabled) {
    TFont f = button->Font();
    f.SetHeight(-24);
    f.SetStyle(fsBold);
    f.SetColor(static_cast<TColor>(RGB(200, 0, 0)));
    button->SetFont(f);
    button->SetBounds(kLeft, kTop, 120, 40);
    button->SetCaption("実行");
    const RECT all = {0, 0, 120, 40};
    const COLORREF text = RGB(200, 0, 0), light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW);

    auto enabled = Painted(button);
    EXPECT_GT(enabled->Count(all, text), 20);
    EXPECT_EQ(enabled->Count(all, dark), 0);

    button->SetEnabled(false);
    auto disabled = Painted(button);
    EXPECT_EQ(disabled->Count(all, text), 0);
    EXPECT_GT(disabled->Count(all, dark), 20);
    EXPECT_GT(disabled->Count(all, light), 5);

    button->SetShowCaption(false);
    auto none = Painted(button);
    EXPECT_EQ(none->Count(RECT{1, 1, 119, 39}, static_cast<COLORREF>(kFace)), 118 * 38);
}

TEST_F(IEButtonTest, ClickFiresOnlyWhenReleasedInside) {
    std::vector<std::string> log;
    button->OnClick = [&](TObject* s) { log.push_back(s == button ? "click" : "click?"); };
    button->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
        log.push_back("down " + std::to_string(x) + "," + std::to_string(y));
    };
    button->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { log.push_back("up"); };
    button->OnMouseEnter = [&](TObject*) { log.push_back("enter"); };
    button->OnMouseLeave = [&](TObject*) { log.push_back("leave"); };
    button->OnDblClick = [&](TObject*) { log.push_back("dblclick"); };

    Move(kLeft + 3, kTop + 4);
    Press(kLeft + 3, kTop + 4);
    Release(kLeft + 5, kTop + 5);
    EXPECT_TRUE(button->Hot());
    EXPECT_FALSE(button->Pressed());
    Press(kLeft + 3, kTop + 4);
    Move(200, 150);
    Release(200, 150);
    EXPECT_FALSE(button->Hot());
    Move(kLeft + 3, kTop + 4);
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, kLeft + 3, kTop + 4);
    Release(kLeft + 3, kTop + 4);
    // The release that ends a double click is no second click.
    std::vector<std::string> expected = {"enter", "down 3,4", "up",       "click", "down 3,4", "leave",
                                         "up",    "enter",    "dblclick", "down 3,4", "up"};
    EXPECT_EQ(log, expected);
}

TEST_F(IEButtonTest, DisabledButtonGetsNoMouseAndNoClick) {
    int clicks = 0, downs = 0, enters = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    button->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
    button->OnMouseEnter = [&](TObject*) { ++enters; };
    button->SetEnabled(false);
    ClickOn(button);
    EXPECT_EQ(clicks + downs + enters, 0);
    EXPECT_FALSE(button->Hot());
}

TEST_F(IEButtonTest, DisablingDropsTheHotAndPressedLooks) {
    // The handler disables its own button while the mouse is still over it.
    button->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { button->SetEnabled(false); };
    Move(kLeft + 5, kTop + 5);
    Press(kLeft + 5, kTop + 5);
    Release(kLeft + 5, kTop + 5);
    Away();
    button->SetEnabled(true);
    EXPECT_FALSE(button->Hot());
    EXPECT_FALSE(button->Pressed());
    EXPECT_EQ(Painted(button)->At(0, kH / 2), static_cast<COLORREF>(kFace));
}

TEST_F(IEButtonTest, HiddenButtonDrawsOnlyItsBackgroundAndIgnoresTheMouse) {
    button->SetGlyph(CellGlyph(1));
    button->SetCaption("前のﾌｧｲﾙ");
    button->SetBorderWidth(2);
    Move(kLeft + 5, kTop + 5);
    ASSERT_TRUE(button->Hot());

    int events = 0;
    button->OnClick = [&](TObject*) { ++events; };
    button->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++events; };
    button->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++events; };
    button->OnMouseMove = [&](TObject*, TShiftState, int, int) { ++events; };
    button->OnMouseEnter = [&](TObject*) { ++events; };
    button->OnDblClick = [&](TObject*) { ++events; };

    button->Hide();
    EXPECT_FALSE(button->Visible());
    EXPECT_FALSE(button->Hot());
    ClickOn(button);
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, kLeft + 5, kTop + 5);
    Release(kLeft + 5, kTop + 5);
    EXPECT_EQ(events, 0);
    EXPECT_FALSE(button->Hot());
    EXPECT_FALSE(button->Pressed());

    const COLORREF sentinel = RGB(1, 2, 3);
    auto s = Painted(button, sentinel);
    EXPECT_EQ(s->Count(RECT{2, 2, kW - 2, kH - 2}, static_cast<COLORREF>(kFace)), (kW - 4) * (kH - 4));
    EXPECT_EQ(s->Count(RECT{0, 0, kW, kH}, sentinel), kW * kH - (kW - 4) * (kH - 4));

    button->Show();
    ClickOn(button);
    EXPECT_GT(events, 0);
}

TEST_F(IEButtonTest, PressingAGroupedButtonReleasesTheOther) {
    TIEButton* other = AddButton(100, 10);
    button->SetGroupIndex(1);
    other->SetGroupIndex(1);

    ClickOn(button);
    EXPECT_TRUE(button->Down());
    ClickOn(other);
    EXPECT_TRUE(other->Down());
    EXPECT_FALSE(button->Down());
    // Without AllowAllUp a second click leaves it down.
    ClickOn(other);
    EXPECT_TRUE(other->Down());
    other->SetDown(false);
    EXPECT_TRUE(other->Down());

    // AllowAllUp travels to the whole group; then a second click releases.
    other->SetAllowAllUp(true);
    EXPECT_TRUE(button->AllowAllUp());
    EXPECT_TRUE(other->Down());  // changing AllowAllUp releases nobody
    ClickOn(other);
    EXPECT_FALSE(other->Down());
    EXPECT_FALSE(button->Down());

    // Down set in code: the group follows, also after mouse presses in between.
    button->SetDown(true);
    EXPECT_TRUE(button->Down());
    other->SetDown(true);
    EXPECT_FALSE(button->Down());
    EXPECT_TRUE(other->Down());
    ClickOn(button);
    EXPECT_TRUE(button->Down());
    other->SetDown(true);
    EXPECT_TRUE(other->Down());
    EXPECT_FALSE(button->Down());

    // A button of another group is not touched.
    TIEButton* third = AddButton(200, 10);
    third->SetGroupIndex(2);
    third->SetDown(true);
    EXPECT_TRUE(other->Down());
    EXPECT_TRUE(third->Down());
}

TEST_F(IEButtonTest, SettingAllowAllUpKeepsTheDownButtonOfTheGroup) {
    TIEButton* other = AddButton(100, 10);
    button->SetGroupIndex(1);
    other->SetGroupIndex(1);
    button->SetDown(true);
    other->SetAllowAllUp(true);
    EXPECT_TRUE(button->Down());
    EXPECT_TRUE(button->AllowAllUp());
}

TEST_F(IEButtonTest, DownPushButtonStaysUp) {
    button->SetDown(true);
    EXPECT_FALSE(button->Down());
}

TEST_F(IEButtonTest, DownGroupedButtonIsFilledWithThePattern) {
    button->SetGroupIndex(1);
    button->SetDown(true);
    Away();
    auto s = Painted(button);
    // Both looks of a down grouped button: sunken border and a checkered face.
    EXPECT_EQ(s->At(0, kH / 2), static_cast<COLORREF>(kDark));
    COLORREF a = s->At(10, 10), b = s->At(11, 10), c = s->At(11, 11);
    EXPECT_NE(a, b);
    EXPECT_EQ(a, c);
    EXPECT_TRUE(a == RGB(255, 255, 255) || b == RGB(255, 255, 255));
}

TEST_F(IEButtonTest, MenuMarkIsDrawnBesideTheGlyph) {
    button->SetLayOut(TButtonLayout::blGlyphTop);
    button->SetSpacing(4);
    button->SetGlyph(CellGlyph(1));
    button->SetGroupIndex(3);
    button->SetMenuMark(true);
    EXPECT_EQ(button->GroupIndex(), 0);

    // Glyph box over an empty text box as high as the font.
    TEXTMETRICA tm;
    {
        Surface probe(1, 1, 0);
        SelectObjectScope sel(probe.dc(), button->Font().Handle());
        GetTextMetricsA(probe.dc(), &tm);
    }
    int gx = (kW - 16) / 2, gy = (kH - (16 + tm.tmHeight + 4)) / 2;
    int mx = gx + 16 + 2, my = gy + 8;
    const COLORREF face = kFace;

    auto s = Painted(button);
    for (int x = 0; x < 7; ++x) EXPECT_EQ(s->At(mx + x, my), RGB(0, 0, 0)) << x;
    EXPECT_EQ(s->At(mx + 7, my), face);
    EXPECT_EQ(s->At(mx, my + 1), face);
    EXPECT_EQ(s->At(mx + 3, my + 3), RGB(0, 0, 0));
    EXPECT_EQ(s->At(mx + 2, my + 3), face);

    button->SetEnabled(false);
    auto d = Painted(button);
    EXPECT_EQ(d->At(mx, my), RGB(128, 128, 128));
    EXPECT_EQ(d->At(mx + 7, my), RGB(255, 255, 255));
    EXPECT_EQ(d->At(mx + 4, my + 3), RGB(255, 255, 255));

    // Only beside a glyph above or below the caption.
    button->SetEnabled(true);
    button->SetLayOut(TButtonLayout::blGlyphLeft);
    EXPECT_EQ(Painted(button)->Count(RECT{0, 0, kW, kH}, RGB(0, 0, 0)), 0);

    button->SetGroupIndex(1);
    EXPECT_FALSE(button->MenuMark());
}

TEST_F(IEButtonTest, PopupMenuIsClearedWhenTheMenuGoesAway) {
    auto* menu = new TPopupMenu(nullptr);
    button->SetGroupIndex(2);
    button->SetPopupMenu(menu);
    EXPECT_EQ(button->PopupMenu(), menu);
    EXPECT_EQ(button->GroupIndex(), 0);
    delete menu;
    EXPECT_EQ(button->PopupMenu(), nullptr);

    menu = new TPopupMenu(nullptr);
    button->SetPopupMenu(menu);
    button->SetGroupIndex(1);
    EXPECT_EQ(button->PopupMenu(), nullptr);
    delete menu;  // no longer watched: nothing to tell

    // A button that goes first leaves the menu nothing dangling.
    menu = new TPopupMenu(nullptr);
    auto* b = new TIEButton(nullptr);
    b->SetPopupMenu(menu);
    delete b;
    delete menu;
}

TEST_F(IEButtonTest, LoadedRestoresDownLookAndTakesOverThePopupMenu) {
    auto* menu = new TPopupMenu(form.get());
    TIEButton* other = AddButton(100, 10);
    form->BeginLoading();
    button->SetGroupIndex(1);
    button->SetDown(true);
    other->SetPopupMenu(menu);
    other->SetMenuMark(true);
    form->EndLoading();
    EXPECT_TRUE(button->Hot());
    EXPECT_TRUE(button->Pressed());
    EXPECT_FALSE(menu->AutoPopup());
    EXPECT_TRUE(other->MenuMark());
}

namespace {

RECT g_menuRect;
bool g_menuSeen = false;

BOOL CALLBACK FindMenuWindow(HWND wnd, LPARAM) {
    char cls[16] = {};
    GetClassNameA(wnd, cls, sizeof(cls));
    if (std::string(cls) == "#32768" && IsWindowVisible(wnd)) {
        GetWindowRect(wnd, &g_menuRect);
        g_menuSeen = true;
    }
    return TRUE;
}

// Runs inside the menu's own message loop: note where the menu is, then close it.
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    EnumThreadWindows(GetCurrentThreadId(), FindMenuWindow, 0);
    EndMenu();
}

}  // namespace

TEST_F(IEButtonTest, LeftPressOpensThePopupMenuBelowTheButton) {
    auto* menu = new TPopupMenu(form.get());
    int chosen = 0;
    menu->AddItem("開く", [&](TObject*) { ++chosen; });
    std::vector<std::string> log;
    menu->OnPopup = [&](TObject*) {
        log.push_back(std::string("popup") + (button->Pressed() && button->Hot() ? " pressed" : ""));
        SetTimer(nullptr, 0, 50, CloseMenu);
    };
    button->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { log.push_back("down"); };
    button->SetPopupMenu(menu);
    g_menuSeen = false;

    Move(kLeft + 5, kTop + 5);
    Press(kLeft + 5, kTop + 5);
    std::vector<std::string> expected = {"popup pressed", "down"};
    EXPECT_EQ(log, expected);
    EXPECT_FALSE(button->Pressed());
    EXPECT_FALSE(button->Hot());
    EXPECT_EQ(chosen, 0);
    ASSERT_TRUE(g_menuSeen);
    POINT below = {kLeft - 1, kTop + kH};
    ClientToScreen(form->Handle(), &below);
    EXPECT_EQ(g_menuRect.left, below.x);
    EXPECT_EQ(g_menuRect.top, below.y);
    Release(kLeft + 5, kTop + 5);
}
