#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Sandbox.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

using namespace ui;

namespace {

// A graphic control that logs what its parent routes to it.
struct Probe : TGraphicControl {
    using TGraphicControl::TGraphicControl;
    std::vector<std::string> log;
    void MouseEnter() override { log.push_back("enter"); }
    void MouseLeave() override { log.push_back("leave"); }
    void MouseDown(TMouseButton, TShiftState, int x, int y) override {
        log.push_back("down " + std::to_string(x) + "," + std::to_string(y));
    }
    void MouseUp(TMouseButton, TShiftState, int, int) override { log.push_back("up"); }
    void Click() override {
        log.push_back("click");
        TGraphicControl::Click();
    }
    void Paint() override {}
};

}  // namespace

TEST(Controls, GraphicChildGetsTheMouseAndItsHandlersErrorsAreReported) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto* probe = new Probe(&form);
    probe->SetBounds(10, 20, 50, 40);
    probe->SetParent(&form);
    form.Show();
    auto send = [&](UINT msg, int x, int y) {
        SendMessageA(form.Handle(), msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(x, y));
    };
    send(WM_MOUSEMOVE, 15, 25);
    send(WM_LBUTTONDOWN, 15, 25);
    send(WM_LBUTTONUP, 16, 26);
    send(WM_MOUSEMOVE, 150, 150);
    send(WM_LBUTTONDOWN, 15, 25);  // pressed inside, released outside: no click
    send(WM_LBUTTONUP, 150, 150);
    EXPECT_EQ(probe->log, (std::vector<std::string>{"enter", "down 5,5", "up", "click", "leave", "down 5,5", "up"}));
    probe->log.clear();
    for (bool hide : {false, true}) {  // disabled, then hidden
        probe->SetEnabled(hide);
        probe->SetVisible(!hide);
        send(WM_LBUTTONDOWN, 15, 25);
        send(WM_LBUTTONUP, 15, 25);
    }
    EXPECT_TRUE(probe->log.empty());

    // An exception in a handler goes to the error report, not to the caller.
    testing_support::MessageBoxCapture boxes;
    Application().SetTitle("Vemlora");
    probe->SetVisible(true);
    probe->OnClick = [](TObject*) { throw Exception("broken handler"); };
    send(WM_LBUTTONDOWN, 15, 25);
    send(WM_LBUTTONUP, 15, 25);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "broken handler");
    EXPECT_EQ(boxes.Boxes()[0].caption, "Vemlora");
}

TEST(Controls, FixedFormClientSizeAndALaterWindowCoversAnOlderSibling) {
    TForm form(nullptr);
    form.SetBorderStyle(TFormBorderStyle::bsSingle);
    form.SetClientSize(613, 448);
    auto* older = new TWinControl(&form);
    older->SetBounds(10, 10, 100, 100);
    older->SetParent(&form);
    auto* newer = new TWinControl(&form);
    newer->SetBounds(50, 50, 100, 100);
    newer->SetParent(&form);
    form.Show();
    RECT r;
    GetClientRect(form.Handle(), &r);
    EXPECT_EQ(r.right, 613);
    EXPECT_EQ(r.bottom, 448);
    EXPECT_FALSE(GetWindowLongA(form.Handle(), GWL_STYLE) & WS_THICKFRAME);
    EXPECT_EQ(ChildWindowFromPoint(form.Handle(), POINT{70, 70}), newer->Handle());
    EXPECT_EQ(ChildWindowFromPoint(form.Handle(), POINT{20, 20}), older->Handle());
}

// Windows made late, when a hidden control is first shown, still lie under later siblings and
// over earlier ones.
TEST(Controls, AHiddenChildsWindowIsMadeWhenShownInItsPlaceAmongItsSiblings) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    TWinControl* children[3];
    for (int i = 0; i < 3; ++i) {
        children[i] = new TWinControl(&form);
        children[i]->SetBounds(10 + 40 * i, 10, 100, 100);  // each overlaps the next
        children[i]->SetParent(&form);
    }
    children[1]->Hide();
    children[1]->SetColor(clRed);
    form.Show();
    EXPECT_TRUE(children[0]->HandleAllocated());
    EXPECT_FALSE(children[1]->HandleAllocated());
    EXPECT_TRUE(children[2]->HandleAllocated());
    children[1]->Show();
    ASSERT_TRUE(children[1]->HandleAllocated());
    EXPECT_TRUE(IsWindowVisible(children[1]->Handle()));
    struct Case {
        int x;
        int child;
    } cases[] = {{20, 0}, {60, 1}, {100, 2}, {140, 2}};
    for (const Case& c : cases)
        EXPECT_EQ(ChildWindowFromPoint(form.Handle(), POINT{c.x, 50}), children[c.child]->Handle()) << c.x;
    // Its first erasing came to it: its own colour, not what lay there before.
    UpdateWindow(children[1]->Handle());
    WindowDC dc(children[1]->Handle());
    EXPECT_EQ(GetPixel(dc.get(), 20, 40), RGB(255, 0, 0));
    // A hidden child added to a shown parent waits as well.
    auto* late = new TWinControl(&form);
    late->Hide();
    late->SetParent(&form);
    EXPECT_FALSE(late->HandleAllocated());
    late->Show();
    EXPECT_TRUE(late->HandleAllocated());
}

// A control built while its form loads loads with it: a label measures its text once, at the end.
TEST(Controls, ControlsMadeWhileTheirFormLoadsAreLoadingUntilItEnds) {
    const char* text = "Tarvo特製アイコン設定プログラム";
    TForm form(nullptr);
    auto* measured = new TLabel(&form);  // made before loading: measures at once
    measured->SetParent(&form);
    measured->SetCaption(text);
    form.BeginLoading();
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    const int unmeasured = label->Width();
    label->SetCaption(text);
    EXPECT_TRUE(label->Loading());
    EXPECT_EQ(label->Width(), unmeasured);
    form.EndLoading();
    EXPECT_FALSE(label->Loading());
    EXPECT_EQ(label->Width(), measured->Width());
    EXPECT_NE(label->Width(), unmeasured);
    label->SetCaption("Vemlora");  // after loading, at once
    measured->SetCaption("Vemlora");
    EXPECT_EQ(label->Width(), measured->Width());
    EXPECT_LT(label->Width(), unmeasured);
}
