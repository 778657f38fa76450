#include "ui/ComCtrls.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ui/Forms.h"
#include "ui/StdCtrls.h"

using namespace ui;

namespace {

// A form (not shown yet) with a page control of `count` pages, the first one active.
struct PagedForm {
    explicit PagedForm(int count) {
        form.SetBounds(0, 0, 400, 450);
        pages = new TPageControl(&form);
        pages->SetBounds(5, 42, 317, 373);
        pages->SetParent(&form);
        for (int i = 0; i < count; ++i) {
            sheets.push_back(new TTabSheet(&form));
            sheets.back()->SetPageControl(pages);
        }
    }
    TForm form{nullptr};
    TPageControl* pages = nullptr;
    std::vector<TTabSheet*> sheets;
};

}  // namespace

TEST(PageControl, UsersTabChangeFiresOnChangeAndShowsTheSheet) {
    PagedForm paged(3);
    auto& [form, pages, sheets] = paged;
    auto* edit = new TEdit(&form);
    edit->SetParent(sheets[2]);
    std::vector<int> seen;
    pages->OnChange = [&](TObject* s) { seen.push_back(s == pages ? pages->ActivePageIndex() : -1); };
    form.Show();
    auto shown = [&](int active) {
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(sheets[i]->HandleAllocated() && IsWindowVisible(sheets[i]->Handle()), i == active) << i;
        EXPECT_EQ(IsWindowVisible(edit->Handle()) != 0, active == 2);
    };
    shown(0);
    HWND wnd = pages->Handle();
    for (int index : {2, 1}) {  // what the tab control does when the user clicks a tab
        SendMessageA(wnd, TCM_SETCURSEL, index, 0);
        NMHDR hdr = {wnd, static_cast<UINT_PTR>(GetDlgCtrlID(wnd)), static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageA(GetParent(wnd), WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
        EXPECT_EQ(pages->ActivePage(), sheets[index]);
        shown(index);
    }
    pages->SetActivePageIndex(0);  // from code: no OnChange
    shown(0);
    EXPECT_EQ(seen, (std::vector<int>{2, 1}));
}

TEST(StatusBar, PanelTextsWidthsAndHeight) {
    TForm form(nullptr);
    form.SetBorderStyle(TFormBorderStyle::bsSingle);
    form.SetClientSize(613, 448);
    auto* bar = new TStatusBar(&form);
    bar->SetBounds(0, 420, 613, 28);
    bar->SetParent(&form);
    const char* texts[] = {" www.vemlora.example", " ver2.11.905.501", "16ﾋﾞｯﾄ表示"};
    const int widths[] = {150, 120, 50};
    for (int i = 0; i < 3; ++i) bar->AddPanel(widths[i], i < 2 ? texts[i] : "");
    form.Show();
    bar->SetPanelText(2, texts[2]);
    bar->Font().SetHeight(-16);  // the bar measures itself again but keeps the control's height
    HWND wnd = bar->Handle();
    int edges[16] = {};
    int n = static_cast<int>(SendMessageA(wnd, SB_GETPARTS, 16, reinterpret_cast<LPARAM>(edges)));
    EXPECT_EQ(std::vector<int>(edges, edges + n), (std::vector<int>{150, 270, -1}));
    for (int i = 0; i < 3; ++i) {
        char buf[256] = "";
        LRESULT r = SendMessageA(wnd, SB_GETTEXTA, i, reinterpret_cast<LPARAM>(buf));
        EXPECT_STREQ(buf, texts[i]);
        EXPECT_EQ(static_cast<size_t>(LOWORD(r)), strlen(texts[i]));
    }
    RECT r;
    GetWindowRect(wnd, &r);
    MapWindowPoints(nullptr, form.Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.bottom - r.top, 28);
    EXPECT_EQ(r.bottom, 448);
    EXPECT_EQ(r.right - r.left, 613);
}

// The controls of a page not yet shown have no windows; they answer from their own state,
// take changes meanwhile, and hand all of it to the windows the first showing makes.
TEST(PageControl, AHiddenPagesControlsGetTheirWindowsWhenItIsFirstShown) {
    PagedForm paged(2);
    auto& [form, pages, sheets] = paged;
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
    TWinControl* controls[] = {sheets[1], combo, check, edit};
    form.Show();
    for (TWinControl* c : controls) EXPECT_FALSE(c->HandleAllocated()) << c->Name();

    struct Step {
        int index;
        bool checked;
        const char* text;
    } steps[] = {{2, true, "ごみ箱"}, {0, false, "Recycled"}};
    for (const Step& s : steps) {  // before the page shows, then changed before it shows
        EXPECT_EQ(combo->ItemIndex(), s.index);
        EXPECT_EQ(combo->ItemCount(), 3);
        EXPECT_EQ(check->Checked(), s.checked);
        EXPECT_EQ(edit->Text(), s.text);
        EXPECT_FALSE(edit->Enabled());
        combo->SetItemIndex(0);
        check->SetChecked(false);
        edit->SetText("Recycled");
    }
    for (TWinControl* c : controls) EXPECT_FALSE(c->HandleAllocated()) << c->Name();

    pages->SetActivePageIndex(1);
    for (TWinControl* c : controls) EXPECT_TRUE(c->HandleAllocated() && IsWindowVisible(c->Handle())) << c->Name();
    EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SendMessageA(check->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    char text[32] = {};
    GetWindowTextA(edit->Handle(), text, sizeof(text));
    EXPECT_STREQ(text, "Recycled");
    EXPECT_FALSE(IsWindowEnabled(edit->Handle()));
    EXPECT_EQ(GetParent(combo->Handle()), sheets[1]->Handle());
}

TEST(PageControl, AskingForAHiddenPagesControlsWindowMakesItWithoutShowingThePage) {
    PagedForm paged(2);
    auto& [form, pages, sheets] = paged;
    auto* edit = new TEdit(&form);
    edit->SetParent(sheets[1]);
    form.Show();
    HWND wnd = edit->Handle();
    ASSERT_TRUE(IsWindow(wnd));
    EXPECT_EQ(GetParent(wnd), sheets[1]->Handle());
    EXPECT_FALSE(IsWindowVisible(sheets[1]->Handle()));
    EXPECT_TRUE(IsWindowVisible(sheets[0]->Handle()));
    pages->SetActivePageIndex(1);
    EXPECT_EQ(edit->Handle(), wnd);  // shown, not made again
    EXPECT_TRUE(IsWindowVisible(wnd));
}
