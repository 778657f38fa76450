#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Interaction.h"
#include "ui/ListBox.h"

using namespace ui;

namespace {

// An owner-drawn list box that counts the items it draws.
struct Probe : TCustomListBox {
    explicit Probe(TComponent* owner) : TCustomListBox(owner) { SetStyle(TListBoxStyle::lbOwnerDrawFixed); }
    size_t draws = 0;
    void DrawItem(int i, const RECT& r, UINT state) override { ++draws; TCustomListBox::DrawItem(i, r, state); }
};

}  // namespace

TEST(ListBox, NestedUpdatesAndItemsSurvivingANewWindow) {
    testing_support::ShownControl<Probe> f(200, 150, [](Probe& box) {
        box.SetItemHeight(20);
        box.AddItem("before the window");
        box.SetItemIndex(0);
    });
    Probe* box = f.control;
    EXPECT_EQ(SendMessageA(box->Handle(), LB_GETCURSEL, 0, 0), 0);  // chosen before the window existed
    {
        testing_support::RedrawLog log(box->Handle());
        box->draws = 0;
        box->BeginUpdate();
        box->BeginUpdate();
        for (int i = 1; i < 30; ++i) box->AddItem("item " + std::to_string(i));
        box->EndUpdate();
        UpdateWindow(box->Handle());
        EXPECT_EQ(box->draws, 0u);
        box->EndUpdate();
        EXPECT_GE(box->draws, 5u);  // painted before EndUpdate returned
        box->EndUpdate();           // unbalanced: ignored
        EXPECT_EQ(log.Switches(), (std::vector<WPARAM>{FALSE, TRUE}));
    }
    box->SetItemIndex(17);
    box->SetTopIndex(12);
    box->RecreateWnd();
    EXPECT_EQ(SendMessageA(box->Handle(), LB_GETCOUNT, 0, 0), 30);
    EXPECT_EQ(box->Items(29), "item 29");
    EXPECT_EQ(std::make_tuple(box->ItemIndex(), box->TopIndex()), std::make_tuple(17, 12));
    EXPECT_EQ(SendMessageA(box->Handle(), LB_GETITEMHEIGHT, 0, 0), 20);
}
