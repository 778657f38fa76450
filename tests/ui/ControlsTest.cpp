#include <gtest/gtest.h>

#include "ui/Forms.h"
#include "ui/StdCtrls.h"

using namespace ui;

// Windows made late, when a hidden control is first shown, still lie under later siblings and
// over earlier ones, and get their own first erasing.
TEST(Controls, AHiddenChildsWindowIsMadeWhenShownInItsPlaceAmongItsSiblings) {
    TForm form(nullptr);
    form.SetClientSize(300, 200);
    TWinControl* children[3];
    for (int i = 0; i < 3; ++i) {
        children[i] = new TWinControl(&form);
        children[i]->SetBounds(10 + 40 * i, 10, 100, 100);  // each overlaps the next
        children[i]->SetParent(&form);
    }
    children[1]->Hide();
    children[1]->SetColor(clRed);
    form.Show();
    EXPECT_FALSE(children[1]->HandleAllocated());
    children[1]->Show();
    ASSERT_TRUE(children[1]->HandleAllocated());
    const int childAt[][2] = {{20, 0}, {60, 1}, {100, 2}, {140, 2}};
    for (const auto& c : childAt)
        EXPECT_EQ(ChildWindowFromPoint(form.Handle(), POINT{c[0], 50}), children[c[1]]->Handle()) << c[0];
    UpdateWindow(children[1]->Handle());
    WindowDC dc(children[1]->Handle());
    EXPECT_EQ(GetPixel(dc.get(), 20, 40), RGB(255, 0, 0));
}

// A label made while its form loads measures its text once, when the loading ends.
TEST(Controls, ALabelMadeWhileItsFormLoadsIsMeasuredWhenItEnds) {
    const char* text = "Tarvo特製アイコン設定プログラム";
    TForm form(nullptr);
    auto* measured = new TLabel(&form);  // made before loading: measures at once
    measured->SetParent(&form);
    measured->SetCaption(text);
    form.BeginLoading();
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    label->SetCaption(text);
    form.EndLoading();
    EXPECT_EQ(label->Width(), measured->Width());
}
