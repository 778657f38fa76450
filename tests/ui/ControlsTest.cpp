#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/Sandbox.h"
#include "ui/Forms.h"

using namespace ui;

namespace {

// A graphic control that records what its parent routes to it.
class Probe : public TGraphicControl {
public:
    explicit Probe(TComponent* owner) : TGraphicControl(owner) {}
    std::vector<std::string> log;
    void MouseEnter() override { log.push_back("enter"); }
    void MouseLeave() override { log.push_back("leave"); }
    void MouseDown(TMouseButton, TShiftState, int x, int y) override {
        log.push_back("down " + std::to_string(x) + "," + std::to_string(y));
    }
    void MouseUp(TMouseButton, TShiftState, int, int) override { log.push_back("up"); }
    void Click() override { log.push_back("click"); }
    void DblClick() override { log.push_back("dblclick"); }
    int paints = 0;

protected:
    void Paint() override {
        ++paints;
        Canvas().Brush().SetColor(clRed);
        RECT r = ClientRect();
        Canvas().FillRect(r);
    }
};

class Owner : public TComponent {
public:
    Owner() : TComponent(nullptr) {}
    std::vector<TComponent*> removed;

protected:
    void Notification(TComponent* c, TOperation op) override {
        if (op == TOperation::opRemove) removed.push_back(c);
        TComponent::Notification(c, op);
    }
};

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

}  // namespace

TEST(Component, OwnerFreesOwnedAndHearsOfRemoval) {
    Owner owner;
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    EXPECT_EQ(owner.ComponentCount(), 2);
    delete a;
    ASSERT_EQ(owner.removed.size(), 1u);
    EXPECT_EQ(owner.removed[0], a);
    EXPECT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(owner.Components(0), b);
}

TEST(Component, FreeNotificationReachesAComponentOfAnotherOwner) {
    Owner first, second;
    auto* watched = new TComponent(&first);
    auto* watcher = new Owner();
    watched->FreeNotification(watcher);
    delete watched;
    ASSERT_EQ(watcher->removed.size(), 1u);
    EXPECT_EQ(watcher->removed[0], watched);
    delete watcher;
}

TEST(Controls, ParentRoutesMouseToGraphicChildAndClicksInside) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto* probe = new Probe(&form);
    probe->SetBounds(10, 20, 50, 40);
    probe->SetParent(&form);
    form.Show();
    HWND wnd = form.Handle();

    SendMessageA(wnd, WM_MOUSEMOVE, 0, At(15, 25));
    SendMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, At(15, 25));
    SendMessageA(wnd, WM_LBUTTONUP, 0, At(16, 26));
    SendMessageA(wnd, WM_MOUSEMOVE, 0, At(150, 150));
    // Press inside, release outside: no click.
    SendMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, At(15, 25));
    SendMessageA(wnd, WM_LBUTTONUP, 0, At(150, 150));
    std::vector<std::string> expected = {"enter", "down 5,5", "up", "click", "leave", "down 5,5", "up"};
    EXPECT_EQ(probe->log, expected);
}

TEST(Controls, HiddenOrDisabledGraphicChildGetsNoMouse) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto* probe = new Probe(&form);
    probe->SetBounds(10, 20, 50, 40);
    probe->SetParent(&form);
    form.Show();
    probe->SetEnabled(false);
    SendMessageA(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(15, 25));
    SendMessageA(form.Handle(), WM_LBUTTONUP, 0, At(15, 25));
    probe->SetEnabled(true);
    probe->SetVisible(false);
    SendMessageA(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(15, 25));
    SendMessageA(form.Handle(), WM_LBUTTONUP, 0, At(15, 25));
    EXPECT_TRUE(probe->log.empty());
}

TEST(Controls, GraphicChildIsPaintedOnTheParent) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto* probe = new Probe(&form);
    probe->SetBounds(10, 20, 50, 40);
    probe->SetParent(&form);
    form.Show();
    UpdateWindow(form.Handle());
    EXPECT_GE(probe->paints, 1);
    WindowDC dc(form.Handle());
    EXPECT_EQ(GetPixel(dc.get(), 30, 40), RGB(255, 0, 0));
    EXPECT_NE(GetPixel(dc.get(), 5, 5), RGB(255, 0, 0));
}

TEST(Controls, ExceptionInAHandlerReachesTheErrorReportNotTheCaller) {
    testing_support::MessageBoxCapture boxes;
    Application().SetTitle("Vemlora");
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto* probe = new Probe(&form);
    probe->SetBounds(10, 20, 50, 40);
    probe->SetParent(&form);
    probe->OnDblClick = [](TObject*) { throw Exception("broken handler"); };
    form.Show();
    // Probe overrides DblClick, so route through a plain graphic control instead.
    struct Thrower : TGraphicControl {
        using TGraphicControl::TGraphicControl;
        void Paint() override {}
    };
    auto* t = new Thrower(&form);
    t->SetBounds(100, 100, 20, 20);
    t->SetParent(&form);
    t->OnClick = [](TObject*) { throw Exception("broken handler"); };
    SendMessageA(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(105, 105));
    SendMessageA(form.Handle(), WM_LBUTTONUP, 0, At(105, 105));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "broken handler");
    EXPECT_EQ(boxes.Boxes()[0].caption, "Vemlora");
}

TEST(Controls, ClientSizeOfAFixedForm) {
    TForm form(nullptr);
    form.SetBorderStyle(TFormBorderStyle::bsSingle);
    form.SetClientSize(613, 448);
    form.Show();
    RECT r;
    GetClientRect(form.Handle(), &r);
    EXPECT_EQ(r.right, 613);
    EXPECT_EQ(r.bottom, 448);
    EXPECT_FALSE(GetWindowLongA(form.Handle(), GWL_STYLE) & WS_THICKFRAME);
}

TEST(Controls, WindowMadeLaterCoversAnOlderSibling) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto* older = new TWinControl(&form);
    older->SetBounds(10, 10, 100, 100);
    older->SetParent(&form);
    auto* newer = new TWinControl(&form);
    newer->SetBounds(50, 50, 100, 100);
    newer->SetParent(&form);
    form.Show();
    EXPECT_EQ(ChildWindowFromPoint(form.Handle(), POINT{70, 70}), newer->Handle());
    EXPECT_EQ(ChildWindowFromPoint(form.Handle(), POINT{20, 20}), older->Handle());
}
