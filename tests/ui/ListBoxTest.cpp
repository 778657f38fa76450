#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/Sandbox.h"
#include "ui/Forms.h"
#include "ui/ListBox.h"

using namespace ui;

namespace {

// An owner-drawn list box that records what reaches its hooks.
class Probe : public TCustomListBox {
public:
    explicit Probe(TComponent* owner) : TCustomListBox(owner) { SetStyle(TListBoxStyle::lbOwnerDrawFixed); }
    struct Draw {
        int index;
        COLORREF brush, text;
        UINT state;
    };
    std::vector<Draw> draws;
    std::vector<int> deleted;
    using TCustomListBox::BeginQuietUpdate;
    using TCustomListBox::EndQuietUpdate;

protected:
    void DrawItem(int index, const RECT& rect, UINT state) override {
        draws.push_back({index, ColorToRGB(Canvas().Brush().Color()), ColorToRGB(Canvas().Font().Color()), state});
        TCustomListBox::DrawItem(index, rect, state);
    }
    void DeleteItem(int index, ULONG_PTR) override { deleted.push_back(index); }
};

// Messages sent to one window while the object lives.
class SentLog {
public:
    explicit SentLog(HWND wnd) : wnd_(wnd) {
        active_ = this;
        hook_ = SetWindowsHookExA(WH_CALLWNDPROC, &SentLog::Proc, nullptr, GetCurrentThreadId());
    }
    ~SentLog() {
        UnhookWindowsHookEx(hook_);
        active_ = nullptr;
    }
    int Count(UINT msg) const {
        int n = 0;
        for (auto& m : sent_) n += m.first == msg;
        return n;
    }
    std::vector<WPARAM> Params(UINT msg) const {
        std::vector<WPARAM> out;
        for (auto& m : sent_)
            if (m.first == msg) out.push_back(m.second);
        return out;
    }

private:
    static LRESULT CALLBACK Proc(int code, WPARAM wp, LPARAM lp) {
        auto* cwp = reinterpret_cast<CWPSTRUCT*>(lp);
        if (code >= 0 && active_ && cwp->hwnd == active_->wnd_) active_->sent_.emplace_back(cwp->message, cwp->wParam);
        return CallNextHookEx(nullptr, code, wp, lp);
    }
    static inline SentLog* active_ = nullptr;
    HWND wnd_;
    HHOOK hook_ = nullptr;
    std::vector<std::pair<UINT, WPARAM>> sent_;
};

struct BoxOnForm {
    TForm form{nullptr};
    Probe* box;
    explicit BoxOnForm(bool show = true) {
        form.SetBounds(0, 0, 400, 300);
        box = new Probe(&form);
        box->SetBounds(10, 10, 200, 150);
        box->SetItemHeight(20);
        if (show) Show();
    }
    void Show() {
        box->SetParent(&form);
        form.Show();
        UpdateWindow(box->Handle());
    }
    void Fill(int n) {
        for (int i = 0; i < n; ++i) box->AddItem("item " + std::to_string(i));
    }
};

}  // namespace

TEST(ListBox, ItemsSurviveTheWindowBeingCreatedAgain) {
    BoxOnForm f;
    f.Fill(30);
    f.box->SetItemIndex(17);
    f.box->SetTopIndex(12);
    HWND before = f.box->Handle();
    f.box->RecreateWnd();
    ASSERT_NE(f.box->Handle(), before);
    EXPECT_EQ(f.box->ItemCount(), 30);
    EXPECT_EQ(SendMessageA(f.box->Handle(), LB_GETCOUNT, 0, 0), 30);
    EXPECT_EQ(f.box->Items(0), "item 0");
    EXPECT_EQ(f.box->Items(29), "item 29");
    EXPECT_EQ(f.box->ItemIndex(), 17);
    EXPECT_EQ(f.box->TopIndex(), 12);
    EXPECT_EQ(SendMessageA(f.box->Handle(), LB_GETITEMHEIGHT, 0, 0), 20);
}

TEST(ListBox, ItemsAddedBeforeTheWindowExistAppearInIt) {
    BoxOnForm f(false);
    f.Fill(4);
    f.box->SetItemIndex(2);
    EXPECT_EQ(f.box->ItemCount(), 4);
    EXPECT_EQ(f.box->ItemIndex(), 2);
    EXPECT_FALSE(f.box->HandleAllocated());
    f.Show();
    EXPECT_EQ(SendMessageA(f.box->Handle(), LB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(f.box->Items(3), "item 3");
    EXPECT_EQ(f.box->ItemIndex(), 2);
}

TEST(ListBox, ClearingWithoutAWindowForgetsTheItems) {
    BoxOnForm f(false);
    f.Fill(4);
    f.box->SetItemIndex(1);
    f.box->ClearItems();
    EXPECT_EQ(f.box->ItemCount(), 0);
    EXPECT_EQ(f.box->ItemIndex(), -1);
    f.Show();
    EXPECT_EQ(SendMessageA(f.box->Handle(), LB_GETCOUNT, 0, 0), 0);
}

TEST(ListBox, SelectionIsSentOnlyWhenItChanges) {
    BoxOnForm f;
    f.Fill(10);
    SentLog log(f.box->Handle());
    f.box->SetItemIndex(4);
    f.box->SetItemIndex(4);
    f.box->SetItemIndex(-1);
    f.box->SetItemIndex(-1);
    EXPECT_EQ(log.Count(LB_SETCURSEL), 2);
    EXPECT_EQ(f.box->ItemIndex(), -1);
}

TEST(ListBox, NestedUpdatesSwitchRedrawingOnceAndRepaintAtTheEnd) {
    BoxOnForm f;
    SentLog log(f.box->Handle());
    f.box->BeginUpdate();
    f.box->BeginUpdate();
    f.Fill(5);
    f.box->EndUpdate();
    UpdateWindow(f.box->Handle());
    EXPECT_TRUE(f.box->draws.empty());
    EXPECT_EQ(f.box->UpdateCount(), 1);
    f.box->EndUpdate();
    // Painted before EndUpdate returned.
    EXPECT_GE(f.box->draws.size(), 5u);
    EXPECT_EQ(log.Params(WM_SETREDRAW), (std::vector<WPARAM>{FALSE, TRUE}));
    f.box->EndUpdate();  // unbalanced: ignored
    EXPECT_EQ(f.box->UpdateCount(), 0);
    EXPECT_EQ(log.Count(WM_SETREDRAW), 2);
}

TEST(ListBox, QuietUpdateInsideAnUpdateLeavesRedrawingOff) {
    BoxOnForm f;
    SentLog log(f.box->Handle());
    f.box->BeginUpdate();
    f.box->BeginQuietUpdate();
    f.Fill(3);
    f.box->EndQuietUpdate();
    UpdateWindow(f.box->Handle());
    EXPECT_TRUE(f.box->draws.empty());
    f.box->EndUpdate();
    EXPECT_EQ(log.Params(WM_SETREDRAW), (std::vector<WPARAM>{FALSE, TRUE}));
}

TEST(ListBox, UpdateStartedWithoutAWindowHoldsForTheNewWindow) {
    BoxOnForm f(false);
    f.box->BeginUpdate();
    f.Fill(3);
    f.Show();
    UpdateWindow(f.box->Handle());
    EXPECT_TRUE(f.box->draws.empty());
    f.box->EndUpdate();
    EXPECT_GE(f.box->draws.size(), 3u);
}

TEST(ListBox, UserSelectionFiresClickAndDoubleClick) {
    BoxOnForm f;
    f.Fill(5);
    int clicks = 0, doubles = 0;
    f.box->OnClick = [&](TObject* s) {
        EXPECT_EQ(s, f.box);
        ++clicks;
    };
    f.box->OnDblClick = [&](TObject*) { ++doubles; };
    f.box->SetItemIndex(1);
    EXPECT_EQ(clicks, 0);
    HWND wnd = f.box->Handle();
    LPARAM third = MAKELPARAM(20, 2 * 20 + 5);
    SendMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, third);
    SendMessageA(wnd, WM_LBUTTONUP, 0, third);
    EXPECT_EQ(f.box->ItemIndex(), 2);
    EXPECT_EQ(clicks, 1);
    SendMessageA(wnd, WM_LBUTTONDBLCLK, MK_LBUTTON, third);
    SendMessageA(wnd, WM_LBUTTONUP, 0, third);
    EXPECT_EQ(doubles, 1);
    SendMessageA(wnd, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(f.box->ItemIndex(), 3);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(f.box->ItemAtPos(POINT{20, 3 * 20 + 5}), 3);
    EXPECT_EQ(f.box->ItemAtPos(POINT{20, 140}), -1);
}

TEST(ListBox, ColumnsBetweenNoneAndSomeRecreateTheWindow) {
    BoxOnForm f;
    f.Fill(40);
    f.box->SetItemIndex(9);
    struct Step {
        int columns;
        bool recreated, multi;
    } steps[] = {{3, true, true}, {5, false, true}, {5, false, true}, {0, true, false}, {-2, false, false}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.columns);
        HWND before = f.box->Handle();
        f.box->SetColumns(s.columns);
        EXPECT_EQ(f.box->Handle() != before, s.recreated);
        EXPECT_EQ((GetWindowLongA(f.box->Handle(), GWL_STYLE) & LBS_MULTICOLUMN) != 0, s.multi);
        EXPECT_EQ(f.box->ItemCount(), 40);
        EXPECT_EQ(f.box->ItemIndex(), 9);
        if (s.multi) {
            int width = (200 + f.box->Columns() - 3) / f.box->Columns();
            EXPECT_EQ(f.box->ColumnWidth(), width);
            RECT first = f.box->ItemRect(0);
            EXPECT_EQ(first.right - first.left, width);
        }
    }
    // A new width sends the column width again.
    f.box->SetColumns(4);
    f.box->SetWidth(302);
    RECT first = f.box->ItemRect(0);
    EXPECT_EQ(first.right - first.left, (302 + 4 - 3) / 4);
}

TEST(ListBox, EveryRemovedItemReachesDeleteItem) {
    BoxOnForm f;
    f.Fill(6);
    f.box->ClearItems();
    std::vector<int> all = f.box->deleted;
    std::sort(all.begin(), all.end());
    EXPECT_EQ(all, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    // The window going away removes its items too; the object keeps them for the next one.
    f.box->deleted.clear();
    f.Fill(3);
    f.box->DestroyHandle();
    EXPECT_EQ(f.box->deleted.size(), 3u);
    EXPECT_EQ(f.box->ItemCount(), 3);
    f.box->HandleNeeded();
    EXPECT_EQ(SendMessageA(f.box->Handle(), LB_GETCOUNT, 0, 0), 3);
}

TEST(ListBox, OwnerDrawnItemsGetTheirColours) {
    BoxOnForm f;
    f.box->SetColor(clWhite);
    f.Fill(3);
    f.box->SetItemIndex(1);
    f.box->draws.clear();
    RedrawWindow(f.box->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ASSERT_GE(f.box->draws.size(), 3u);
    for (const auto& d : f.box->draws) {
        SCOPED_TRACE(d.index);
        bool selected = d.index == 1;
        EXPECT_EQ((d.state & ODS_SELECTED) != 0, selected);
        EXPECT_EQ(d.brush, selected ? GetSysColor(COLOR_HIGHLIGHT) : RGB(255, 255, 255));
        EXPECT_EQ(d.text, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : ColorToRGB(f.box->Font().Color()));
    }
    testing_support::PumpMessages();
    WindowDC dc(f.box->Handle());
    EXPECT_EQ(GetPixel(dc.get(), 150, 25), GetNearestColor(dc.get(), GetSysColor(COLOR_HIGHLIGHT)));
    EXPECT_EQ(GetPixel(dc.get(), 150, 45), GetNearestColor(dc.get(), RGB(255, 255, 255)));
}

TEST(ListBox, StandardStyleAndBorder) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto* box = new TCustomListBox(&form);
    box->SetParent(&form);
    form.Show();
    EXPECT_EQ(box->Width(), 121);
    EXPECT_EQ(box->Height(), 97);
    LONG style = GetWindowLongA(box->Handle(), GWL_STYLE);
    EXPECT_FALSE(style & (LBS_OWNERDRAWFIXED | LBS_MULTICOLUMN | LBS_MULTIPLESEL | LBS_EXTENDEDSEL));
    EXPECT_TRUE(style & LBS_NOTIFY);
    EXPECT_TRUE(GetWindowLongA(box->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    box->AddItem("one");
    box->SetCtl3D(false);
    EXPECT_FALSE(GetWindowLongA(box->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(GetWindowLongA(box->Handle(), GWL_STYLE) & WS_BORDER);
    EXPECT_EQ(box->Items(0), "one");
}
