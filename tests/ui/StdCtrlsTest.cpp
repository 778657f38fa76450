#include "ui/StdCtrls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CtlTestUtil.h"
#include "support/Sandbox.h"
#include "ui/Forms.h"

using namespace ui;
using ctl_test::Shown;

namespace {

struct FormFixture : testing::Test {
    TForm form{nullptr};
    void SetUp() override {
        form.SetBounds(0, 0, 400, 300);
        form.SetBorderStyle(TFormBorderStyle::bsNone);
    }
    void ShowAndPaint() {
        form.Show();
        UpdateWindow(form.Handle());
    }
    // The parent's client-area pixels of a control's rectangle.
    bool AnyPixel(const RECT& r, COLORREF c) {
        WindowDC dc(form.Handle());
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (GetPixel(dc.get(), x, y) == c) return true;
        return false;
    }
    // What the user's action on a child window tells its parent.
    void Notify(TWinControl& control, WORD code) {
        HWND child = control.Handle();
        SendMessageA(GetParent(child), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(child), code),
                     reinterpret_cast<LPARAM>(child));
    }
};

std::string WindowText(HWND wnd) {
    char buf[512] = "";
    GetWindowTextA(wnd, buf, sizeof(buf));
    return buf;
}

SIZE Extent(const TFont& font, const std::string& text) {
    WindowDC dc(nullptr);
    SelectObjectScope sel(dc.get(), font.Handle());
    SIZE s = {};
    GetTextExtentPoint32A(dc.get(), text.data(), static_cast<int>(text.size()), &s);
    return s;
}

}  // namespace

// ---- TLabel

using LabelTest = FormFixture;

TEST_F(LabelTest, AutoSizeTakesTheTextExtentInItsFont) {
    struct Case {
        const char* text;
        int height;
        unsigned style;
    } cases[] = {
        {"Tarvo特製アイコン設定プログラム", -12, 0},
        {"ﾀﾞﾌﾞﾙｸﾘｯｸで即座に変わります", -12, 0},
        {"表示ソフト", -20, fsBold},
        {"Vemlora", -9, fsItalic},
    };
    for (const Case& c : cases) {
        auto* label = new TLabel(&form);
        label->SetParent(&form);
        label->SetBounds(10, 10, 0, 0);
        label->SetCaption(c.text);
        label->Font().SetHeight(c.height);
        label->Font().SetStyle(c.style);
        SIZE s = Extent(label->Font(), c.text);
        EXPECT_EQ(label->Width(), s.cx) << c.text;
        EXPECT_EQ(label->Height(), s.cy) << c.text;
        EXPECT_EQ(label->Left(), 10);
        delete label;
    }
}

TEST_F(LabelTest, FollowsTheParentFontAndKeepsItsSizeWithoutAutoSize) {
    auto* label = new TLabel(&form);
    label->SetCaption("ごみ箱");
    label->SetParent(&form);
    form.Font().SetHeight(-24);
    EXPECT_EQ(label->Font().Height(), -24);
    EXPECT_EQ(label->Width(), Extent(form.Font(), "ごみ箱").cx);

    label->SetAutoSize(false);
    label->SetBounds(5, 5, 249, 13);
    label->SetCaption("変更するｼｮｰﾄｶｯﾄｱｲｺﾝをここにﾄﾞﾛｯﾌﾟしてください");
    EXPECT_EQ(label->Width(), 249);
    EXPECT_EQ(label->Height(), 13);
}

TEST_F(LabelTest, RightAlignedLabelGrowsToTheLeft) {
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    label->SetAlignment(TAlignment::taRightJustify);
    label->SetCaption("ab");
    int right = label->Left() + label->Width();
    label->SetCaption("ab ソフトウェア");
    EXPECT_EQ(label->Left() + label->Width(), right);
}

TEST_F(LabelTest, TransparentShowsTheParentAndOpaqueFillsItsColour) {
    const TColor red = 0x0000FF, blue = 0xFF0000;
    form.SetColor(red);
    auto* clear = new TLabel(&form);
    clear->SetParent(&form);
    clear->SetBounds(10, 10, 0, 0);
    clear->SetCaption("  ");  // blanks: no ink anywhere
    auto* opaque = new TLabel(&form);
    opaque->SetParent(&form);
    opaque->SetBounds(10, 60, 0, 0);
    opaque->SetCaption("  ");
    opaque->SetTransparent(false);
    opaque->SetColor(blue);
    ShowAndPaint();
    WindowDC dc(form.Handle());
    EXPECT_EQ(GetPixel(dc.get(), 10, 10), Shown(dc.get(), red));
    EXPECT_EQ(GetPixel(dc.get(), 10, 60), Shown(dc.get(), blue));
    EXPECT_EQ(GetPixel(dc.get(), 10, 60 + opaque->Height() + 1), Shown(dc.get(), red));
}

TEST_F(LabelTest, DisabledLabelIsEmbossed) {
    SKIP_UNLESS_3D_COLOURS_DISTINCT();
    auto* enabled = new TLabel(&form);
    enabled->SetParent(&form);
    enabled->SetBounds(10, 10, 0, 0);
    enabled->SetCaption("無効表示");
    auto* disabled = new TLabel(&form);
    disabled->SetParent(&form);
    disabled->SetBounds(10, 50, 0, 0);
    disabled->SetCaption("無効表示");
    disabled->SetEnabled(false);
    ShowAndPaint();
    WindowDC dc(form.Handle());
    COLORREF highlight = Shown(dc.get(), clBtnHighlight), shadow = Shown(dc.get(), clBtnShadow);
    COLORREF text = Shown(dc.get(), clWindowText);
    RECT e = enabled->BoundsRect(), d = disabled->BoundsRect();
    d.right += 1;
    d.bottom += 1;
    EXPECT_TRUE(AnyPixel(e, text));
    EXPECT_FALSE(AnyPixel(e, highlight));
    EXPECT_TRUE(AnyPixel(d, highlight));
    EXPECT_TRUE(AnyPixel(d, shadow));
    EXPECT_FALSE(AnyPixel(d, text));
}

// ---- TEdit

using EditTest = FormFixture;

TEST_F(EditTest, TextBeforeAndAfterTheWindowAndTheUsersTyping) {
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    edit->SetText("ごみ箱表");
    int changes = 0;
    edit->OnChange = [&](TObject* s) {
        EXPECT_EQ(s, edit);
        ++changes;
    };
    form.Show();
    HWND wnd = edit->Handle();
    char cls[16] = "";
    GetClassNameA(wnd, cls, sizeof(cls));
    EXPECT_STRCASEEQ(cls, "EDIT");
    EXPECT_TRUE(GetWindowLongA(wnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(WindowText(wnd), "ごみ箱表");

    // The user types: the edit tells its parent, which reflects it to the control.
    SendMessageA(wnd, EM_SETSEL, 0, -1);
    SendMessageA(wnd, WM_CHAR, 'A', 0);
    EXPECT_EQ(edit->Text(), "A");
    EXPECT_GE(changes, 1);

    // Setting back the text it had before typing must reach the window.
    edit->SetText("ごみ箱表");
    EXPECT_EQ(WindowText(wnd), "ごみ箱表");
    edit->SetText("");
    EXPECT_EQ(WindowText(wnd), "");
    EXPECT_EQ(edit->Text(), "");
}

TEST_F(EditTest, TypedTextSurvivesANewWindow) {
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    form.Show();
    SendMessageA(edit->Handle(), WM_CHAR, 'Z', 0);
    edit->RecreateWnd();
    EXPECT_EQ(WindowText(edit->Handle()), "Z");
}

// ---- TCheckBox

using CheckBoxTest = FormFixture;

TEST_F(CheckBoxTest, StateAndClicksFromCodeAndFromTheUser) {
    auto* box = new TCheckBox(&form);
    box->SetParent(&form);
    box->SetCaption("多色アイコンを使う (要再起動)");
    std::vector<bool> clicks;
    box->OnClick = [&](TObject*) { clicks.push_back(box->Checked()); };

    box->SetChecked(true);  // before the window exists
    box->SetChecked(true);  // no change, no click
    form.Show();
    HWND wnd = box->Handle();
    EXPECT_EQ(SendMessageA(wnd, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(GetWindowLongA(wnd, GWL_STYLE) & BS_AUTOCHECKBOX);
    EXPECT_EQ(WindowText(wnd), "多色アイコンを使う (要再起動)");

    box->SetChecked(false);
    EXPECT_EQ(SendMessageA(wnd, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    SendMessageA(wnd, BM_CLICK, 0, 0);  // the user ticks it
    EXPECT_TRUE(box->Checked());
    std::vector<bool> expected = {true, false, true};
    EXPECT_EQ(clicks, expected);

    // A new window keeps what the user set.
    box->RecreateWnd();
    EXPECT_EQ(SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(clicks.size(), 3u);
}

// ---- TButton

using ButtonTest = FormFixture;

TEST_F(ButtonTest, ClickOnceFromTheWindowAndDefaultStyle) {
    auto* button = new TButton(&form);
    button->SetParent(&form);
    button->SetCaption("OK");
    int clicks = 0;
    button->OnClick = [&](TObject* s) {
        EXPECT_EQ(s, button);
        ++clicks;
    };
    form.Show();
    SendMessageA(button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    Notify(*button, BN_CLICKED);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(GetWindowLongA(button->Handle(), GWL_STYLE) & 0x0F, BS_PUSHBUTTON);
    button->SetDefault(true);
    EXPECT_EQ(GetWindowLongA(button->Handle(), GWL_STYLE) & 0x0F, BS_DEFPUSHBUTTON);
}

// ---- TComboBox

using ComboBoxTest = FormFixture;

namespace {

std::vector<std::string> ComboEntries(HWND wnd) {
    std::vector<std::string> out;
    int n = static_cast<int>(SendMessageA(wnd, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        char buf[256] = "";
        SendMessageA(wnd, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
        out.push_back(buf);
    }
    return out;
}

}  // namespace

TEST_F(ComboBoxTest, ItemsSelectionAndItemHeightSurviveANewWindow) {
    const std::vector<std::string> entries = {"ｽﾀｰﾄﾒﾆｭｰ", "ﾃﾞｽｸﾄｯﾌﾟ", "共通ｽﾀｰﾄﾒﾆｭｰ", "ソフト表"};
    auto* combo = new TComboBox(&form);
    combo->SetBounds(57, 37, 127, 24);
    combo->SetParent(&form);
    for (size_t i = 0; i + 1 < entries.size(); ++i) combo->AddItem(entries[i]);
    combo->SetItemHeight(16);
    combo->SetItemIndex(1);
    int changes = 0;
    combo->OnChange = [&](TObject*) { ++changes; };
    form.Show();
    combo->AddItem(entries.back());  // after the window exists

    HWND wnd = combo->Handle();
    EXPECT_EQ(GetWindowLongA(wnd, GWL_STYLE) & 3, CBS_DROPDOWNLIST);
    EXPECT_EQ(ComboEntries(wnd), entries);
    EXPECT_EQ(SendMessageA(wnd, CB_GETCURSEL, 0, 0), 1);
    // Windows answers the height set, Wine two more: compare heights instead.
    LRESULT field16 = SendMessageA(wnd, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    EXPECT_GE(field16, 16);
    EXPECT_LE(field16, 18);
    RECT closed16;
    GetWindowRect(wnd, &closed16);
    combo->SetItemHeight(24);
    EXPECT_EQ(SendMessageA(wnd, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0), field16 + 8);
    RECT closed24;
    GetWindowRect(wnd, &closed24);
    EXPECT_EQ(closed24.bottom - closed24.top, closed16.bottom - closed16.top + 8);
    EXPECT_EQ(changes, 0);

    // The user picks the third entry.
    SendMessageA(wnd, CB_SETCURSEL, 2, 0);
    Notify(*combo, CBN_SELCHANGE);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(combo->ItemIndex(), 2);

    combo->RecreateWnd();
    wnd = combo->Handle();
    EXPECT_EQ(ComboEntries(wnd), entries);
    EXPECT_EQ(SendMessageA(wnd, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(SendMessageA(wnd, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0), field16 + 8);

    combo->SetItemIndex(0);
    EXPECT_EQ(changes, 1);  // not the user's choice
    combo->ClearItems();
    EXPECT_EQ(SendMessageA(wnd, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(combo->ItemIndex(), -1);
}
