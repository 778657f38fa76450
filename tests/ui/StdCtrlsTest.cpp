#include "ui/StdCtrls.h"

#include <gtest/gtest.h>

#include <vector>

#include "ui/Forms.h"

using namespace ui;

TEST(CheckBox, StateFromCodeAndUserSurvivesANewWindow) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 400, 300);
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
    box->SetChecked(false);
    EXPECT_EQ(SendMessageA(wnd, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    SendMessageA(wnd, BM_CLICK, 0, 0);  // the user ticks it
    EXPECT_TRUE(box->Checked());
    box->RecreateWnd();  // a new window keeps what the user set
    EXPECT_EQ(SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(clicks, (std::vector<bool>{true, false, true}));
}
