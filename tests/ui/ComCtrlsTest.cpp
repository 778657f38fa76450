#include "ui/ComCtrls.h"

#include <gtest/gtest.h>

#include <vector>

#include "ui/Forms.h"
#include "ui/StdCtrls.h"

using namespace ui;

// The controls of a page not yet shown have no windows; they answer from their own state,
// take changes meanwhile, and hand all of it to the windows the first showing makes. Asking
// for one's window makes it without showing the page.
TEST(PageControl, AHiddenPagesControlsGetTheirWindowsWhenItIsFirstShown) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 400, 450);
    auto* pages = new TPageControl(&form);
    pages->SetBounds(5, 42, 317, 373);
    pages->SetParent(&form);
    TTabSheet* sheets[2];
    for (TTabSheet*& sheet : sheets) {
        sheet = new TTabSheet(&form);
        sheet->SetPageControl(pages);
    }
    auto* combo = new TComboBox(&form);
    combo->SetParent(sheets[1]);
    for (const char* entry : {"ｽﾀｰﾄﾒﾆｭｰ", "ﾃﾞｽｸﾄｯﾌﾟ", "共通ｽﾀｰﾄﾒﾆｭｰ"}) combo->AddItem(entry);
    combo->SetItemIndex(2);
    auto* check = new TCheckBox(&form);
    check->SetParent(sheets[1]);
    check->SetTop(40);
    check->SetChecked(true);
    auto* edit = new TEdit(&form);
    edit->SetParent(sheets[1]);
    edit->SetTop(80);
    edit->SetText("ごみ箱");
    edit->SetEnabled(false);
    auto* asked = new TEdit(&form);
    asked->SetParent(sheets[1]);
    asked->SetTop(120);
    TWinControl* controls[] = {sheets[1], combo, check, edit};
    form.Show();
    for (TWinControl* c : controls) EXPECT_FALSE(c->HandleAllocated()) << c->Name();
    EXPECT_EQ(std::make_tuple(combo->ItemIndex(), combo->ItemCount(), check->Checked(), edit->Text()),
              std::make_tuple(2, 3, true, std::string("ごみ箱")));
    combo->SetItemIndex(0);
    check->SetChecked(false);
    edit->SetText("Recycled");
    EXPECT_EQ(std::make_tuple(combo->ItemIndex(), check->Checked(), edit->Text(), edit->Enabled()),
              std::make_tuple(0, false, std::string("Recycled"), false));
    const HWND made = asked->Handle();
    EXPECT_EQ(GetParent(made), sheets[1]->Handle());
    EXPECT_FALSE(IsWindowVisible(sheets[1]->Handle()));

    pages->SetActivePageIndex(1);
    for (TWinControl* c : controls) EXPECT_TRUE(c->HandleAllocated() && IsWindowVisible(c->Handle())) << c->Name();
    EXPECT_EQ(asked->Handle(), made) << "shown, not made again";
    EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SendMessageA(check->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    char text[32] = {};
    GetWindowTextA(edit->Handle(), text, sizeof(text));
    EXPECT_STREQ(text, "Recycled");
    EXPECT_FALSE(IsWindowEnabled(edit->Handle()));
}
