#include "ui/Menus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CtlTestUtil.h"
#include "support/Sandbox.h"
#include "ui/Forms.h"

using namespace ui;

namespace {

struct MenuFixture : testing::Test {
    TPopupMenu menu{nullptr};
    std::vector<std::string> log;
    void SetUp() override {
        menu.OnPopup = [this](TObject*) { log.push_back("popup"); };
        menu.AddItem("開く", [this](TObject* s) {
            EXPECT_EQ(s, &menu);
            log.push_back("open");
        });
        menu.AddItem("名前の変更", [this](TObject*) { log.push_back("rename"); });
        menu.AddItem("削除", [this](TObject*) { log.push_back("delete"); });
    }
};

// Walks the open menu with the keyboard: `downs` times down, then Enter (or Escape).
void PressKeys(HWND menuWindow, int downs, bool choose) {
    for (int i = 0; i < downs; ++i) PostMessageA(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menuWindow, WM_KEYDOWN, choose ? VK_RETURN : VK_ESCAPE, 0);
}

}  // namespace

using PopupMenuTest = MenuFixture;

TEST_F(PopupMenuTest, ChosenItemRunsItsHandler) {
    ctl_test::OnModalWindow keys("#32768", [](HWND m) { PressKeys(m, 2, true); });
    menu.Popup(100, 100);
    EXPECT_TRUE(keys.Acted());
    EXPECT_EQ(log, (std::vector<std::string>{"popup", "rename"}));
}

TEST_F(PopupMenuTest, DismissedMenuRunsNothing) {
    ctl_test::OnModalWindow keys("#32768", [](HWND m) { PressKeys(m, 1, false); });
    menu.Popup(100, 100);
    EXPECT_TRUE(keys.Acted());
    EXPECT_EQ(log, (std::vector<std::string>{"popup"}));
}

TEST_F(PopupMenuTest, OwnedByTheActiveFormWhenThereIsOne) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 100);
    form.Show();
    SetActiveWindow(form.Handle());
    ctl_test::OnModalWindow keys("#32768", [](HWND m) { PressKeys(m, 3, true); });
    menu.Popup(50, 50);
    EXPECT_EQ(log, (std::vector<std::string>{"popup", "delete"}));
    // Nothing of the menu reached the form as a command.
    EXPECT_TRUE(IsWindow(form.Handle()));
}
