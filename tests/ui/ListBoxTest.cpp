#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/Forms.h"
#include "ui/ListBox.h"

using namespace ui;

namespace {

// An owner-drawn list box that counts the items it draws.
struct Probe : TCustomListBox {
    explicit Probe(TComponent* owner) : TCustomListBox(owner) { SetStyle(TListBoxStyle::lbOwnerDrawFixed); }
    size_t draws = 0;
    void DrawItem(int i, const RECT& r, UINT state) override { ++draws; TCustomListBox::DrawItem(i, r, state); }
};

// The WM_SETREDRAW flags sent to the watched window while the hook is set.
HWND watched = nullptr;
std::vector<WPARAM> redraws;
LRESULT CALLBACK LogRedraw(int code, WPARAM wp, LPARAM lp) {
    auto* m = reinterpret_cast<CWPSTRUCT*>(lp);
    if (code >= 0 && m->hwnd == watched && m->message == WM_SETREDRAW) redraws.push_back(m->wParam);
    return CallNextHookEx(nullptr, code, wp, lp);
}

}  // namespace

TEST(ListBox, NestedUpdatesAndItemsSurvivingANewWindow) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 400, 300);
    auto* box = new Probe(&form);
    box->SetBounds(10, 10, 200, 150);
    box->SetItemHeight(20);
    box->AddItem("before the window");
    box->SetItemIndex(0);
    box->SetParent(&form);
    form.Show();
    UpdateWindow(box->Handle());
    EXPECT_EQ(SendMessageA(box->Handle(), LB_GETCURSEL, 0, 0), 0);  // chosen before the window existed
    watched = box->Handle();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, LogRedraw, nullptr, GetCurrentThreadId());
    box->draws = 0;
    box->BeginUpdate();
    box->BeginUpdate();
    for (int i = 1; i < 30; ++i) box->AddItem("item " + std::to_string(i));
    box->EndUpdate();
    UpdateWindow(box->Handle());
    EXPECT_EQ(box->draws, 0u);
    EXPECT_EQ(box->UpdateCount(), 1);
    box->EndUpdate();
    EXPECT_GE(box->draws, 5u);  // painted before EndUpdate returned
    box->EndUpdate();           // unbalanced: ignored
    EXPECT_EQ(box->UpdateCount(), 0);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(redraws, (std::vector<WPARAM>{FALSE, TRUE}));
    box->SetItemIndex(17);
    box->SetTopIndex(12);
    HWND before = box->Handle();
    box->RecreateWnd();
    ASSERT_NE(box->Handle(), before);
    EXPECT_EQ(box->ItemCount(), 30);
    EXPECT_EQ(SendMessageA(box->Handle(), LB_GETCOUNT, 0, 0), 30);
    EXPECT_EQ(box->Items(0), "before the window");
    EXPECT_EQ(box->Items(29), "item 29");
    EXPECT_EQ(box->ItemIndex(), 17);
    EXPECT_EQ(box->TopIndex(), 12);
    EXPECT_EQ(SendMessageA(box->Handle(), LB_GETITEMHEIGHT, 0, 0), 20);
}
