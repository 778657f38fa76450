#include "ui/ComCtrls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Sandbox.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

using namespace ui;

namespace {

// The main window's left half: a page control of three sheets with fixed-size tabs.
struct PageFixture : testing::Test {
    TForm form{nullptr};
    TPageControl* pages = nullptr;
    TTabSheet* sheets[3] = {};
    int changes = 0;
    std::vector<int> seenIndex;

    void SetUp() override {
        form.SetBorderStyle(TFormBorderStyle::bsSingle);
        form.SetClientSize(613, 448);
        pages = new TPageControl(&form);
        pages->SetBounds(5, 42, 317, 373);
        pages->SetTabSize(78, 22);
        pages->SetParent(&form);
        const char* captions[] = {"ﾃﾞｽｸﾄｯﾌﾟ", "ｽﾀｰﾄﾒﾆｭｰ", "ｵﾌﾟｼｮﾝ"};
        for (int i = 0; i < 3; ++i) {
            sheets[i] = new TTabSheet(&form);
            sheets[i]->SetCaption(captions[i]);
            sheets[i]->SetPageControl(pages);
        }
        pages->OnChange = [this](TObject* s) {
            EXPECT_EQ(s, pages);
            ++changes;
            seenIndex.push_back(pages->ActivePageIndex());
        };
    }

    // What the tab control does when the user clicks a tab.
    void UserSelects(int index) {
        HWND wnd = pages->Handle();
        SendMessageA(wnd, TCM_SETCURSEL, index, 0);
        NMHDR hdr = {wnd, static_cast<UINT_PTR>(GetDlgCtrlID(wnd)), static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageA(GetParent(wnd), WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
    }

    std::vector<bool> SheetWindowsVisible() {
        std::vector<bool> v;
        for (TTabSheet* s : sheets) v.push_back(s->HandleAllocated() && IsWindowVisible(s->Handle()));
        return v;
    }

    std::string TabText(int index) {
        char buf[128] = "";
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = buf;
        item.cchTextMax = sizeof(buf);
        SendMessageA(pages->Handle(), TCM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
        return buf;
    }
};

RECT WindowRectIn(HWND wnd, HWND parent) {
    RECT r;
    GetWindowRect(wnd, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

// ---- TPageControl

using PageControlTest = PageFixture;

TEST_F(PageControlTest, TabsSheetsAndTheirPlace) {
    form.Show();
    HWND wnd = pages->Handle();
    char cls[64] = "";
    GetClassNameA(wnd, cls, sizeof(cls));
    EXPECT_STREQ(cls, "SysTabControl32");
    ASSERT_EQ(SendMessageA(wnd, TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(TabText(0), "ﾃﾞｽｸﾄｯﾌﾟ");
    EXPECT_EQ(TabText(1), "ｽﾀｰﾄﾒﾆｭｰ");
    EXPECT_EQ(TabText(2), "ｵﾌﾟｼｮﾝ");
    EXPECT_TRUE(GetWindowLongA(wnd, GWL_STYLE) & TCS_FIXEDWIDTH);
    RECT tab;
    SendMessageA(wnd, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&tab));
    EXPECT_EQ(tab.right - tab.left, 78);
    EXPECT_EQ(tab.bottom - tab.top, 22);

    // The first sheet is active; every sheet fills the display area.
    EXPECT_EQ(pages->ActivePage(), sheets[0]);
    EXPECT_EQ(SendMessageA(wnd, TCM_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SheetWindowsVisible(), (std::vector<bool>{true, false, false}));
    RECT display;
    GetClientRect(wnd, &display);
    SendMessageA(wnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    for (int i = 0; i < 3; ++i) {
        TTabSheet* s = sheets[i];
        EXPECT_EQ(GetParent(s->Handle()), wnd);
        RECT r = WindowRectIn(s->Handle(), wnd);
        EXPECT_TRUE(EqualRect(&r, &display)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
        EXPECT_EQ(s->PageIndex(), i);
    }
}

TEST_F(PageControlTest, UserSelectionShowsTheSheetAndFiresOnChange) {
    auto* edit = new TEdit(&form);
    edit->SetParent(sheets[2]);
    form.Show();
    EXPECT_FALSE(IsWindowVisible(edit->Handle()));

    UserSelects(2);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(seenIndex, std::vector<int>{2});
    EXPECT_EQ(pages->ActivePage(), sheets[2]);
    EXPECT_EQ(SheetWindowsVisible(), (std::vector<bool>{false, false, true}));
    EXPECT_TRUE(IsWindowVisible(edit->Handle()));

    UserSelects(1);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(SheetWindowsVisible(), (std::vector<bool>{false, true, false}));
}

TEST_F(PageControlTest, SetActivePageFromCodeDoesNotFireOnChange) {
    pages->SetActivePage(sheets[1]);  // before the window exists
    form.Show();
    EXPECT_EQ(SendMessageA(pages->Handle(), TCM_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SheetWindowsVisible(), (std::vector<bool>{false, true, false}));
    pages->SetActivePageIndex(0);
    EXPECT_EQ(SendMessageA(pages->Handle(), TCM_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SheetWindowsVisible(), (std::vector<bool>{true, false, false}));
    pages->SetActivePage(nullptr);
    EXPECT_EQ(SheetWindowsVisible(), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(changes, 0);
}

TEST_F(PageControlTest, RemovingTheActiveSheetActivatesItsNeighbour) {
    form.Show();
    pages->SetActivePage(sheets[1]);
    delete sheets[1];
    sheets[1] = nullptr;
    EXPECT_EQ(pages->PageCount(), 2);
    EXPECT_EQ(SendMessageA(pages->Handle(), TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(pages->ActivePage(), sheets[2]);
    EXPECT_EQ(TabText(1), "ｵﾌﾟｼｮﾝ");
    EXPECT_EQ(SendMessageA(pages->Handle(), TCM_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(IsWindowVisible(sheets[2]->Handle()));
    EXPECT_EQ(sheets[2]->PageIndex(), 1);

    sheets[0]->SetPageControl(nullptr);
    EXPECT_EQ(pages->PageCount(), 1);
    EXPECT_EQ(SendMessageA(pages->Handle(), TCM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(sheets[0]->PageIndex(), -1);
    EXPECT_EQ(changes, 0);
}

TEST_F(PageControlTest, RenamedSheetRenamesItsTab) {
    form.Show();
    sheets[1]->SetCaption("表ソフト");
    EXPECT_EQ(TabText(1), "表ソフト");
}

TEST_F(PageControlTest, NewTabSizeKeepsTheSheetsAndTheirControls) {
    auto* box = new TCheckBox(&form);
    box->SetParent(sheets[0]);
    auto* combo = new TComboBox(&form);
    combo->SetParent(sheets[1]);
    combo->AddItem("ｽﾀｰﾄﾒﾆｭｰ");
    combo->AddItem("ﾃﾞｽｸﾄｯﾌﾟ");
    form.Show();
    UserSelects(1);
    SendMessageA(box->Handle(), BM_CLICK, 0, 0);
    combo->SetItemIndex(1);

    pages->SetTabSize(0, 0);  // a creation style: the window is made anew
    HWND wnd = pages->Handle();
    EXPECT_FALSE(GetWindowLongA(wnd, GWL_STYLE) & TCS_FIXEDWIDTH);
    EXPECT_EQ(SendMessageA(wnd, TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(wnd, TCM_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SheetWindowsVisible(), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(GetParent(GetParent(combo->Handle())), wnd);
}

TEST(PageControlLifetime, SheetsAndPageControlMayGoInEitherOrder) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto* pages = new TPageControl(&form);
    pages->SetParent(&form);
    auto* a = new TTabSheet(&form);
    a->SetPageControl(pages);
    auto* b = new TTabSheet(&form);
    b->SetPageControl(pages);
    form.Show();
    delete pages;  // the sheets outlive it
    EXPECT_EQ(a->PageControl(), nullptr);
    EXPECT_EQ(a->Parent(), nullptr);
    EXPECT_EQ(b->PageIndex(), -1);
    delete a;
    delete b;
}

// ---- TStatusBar

namespace {

struct StatusFixture : testing::Test {
    TForm form{nullptr};
    TStatusBar* bar = nullptr;
    void SetUp() override {
        form.SetBorderStyle(TFormBorderStyle::bsSingle);
        form.SetClientSize(613, 448);
        bar = new TStatusBar(&form);
        bar->SetBounds(0, 420, 613, 28);
        bar->SetParent(&form);
        bar->SetSizeGrip(false);
        bar->AddPanel(150, " www.vemlora.example");
        bar->AddPanel(120, " ver2.11.905.501");
        bar->AddPanel(50, "");
    }
    std::string PanelText(int i) {
        char buf[256] = "";
        LRESULT r = SendMessageA(bar->Handle(), SB_GETTEXTA, i, reinterpret_cast<LPARAM>(buf));
        EXPECT_EQ(static_cast<size_t>(LOWORD(r)), strlen(buf));
        return buf;
    }
    std::vector<int> Parts() {
        int edges[16] = {};
        int n = static_cast<int>(SendMessageA(bar->Handle(), SB_GETPARTS, 16, reinterpret_cast<LPARAM>(edges)));
        return std::vector<int>(edges, edges + n);
    }
};

}  // namespace

using StatusBarTest = StatusFixture;

TEST_F(StatusBarTest, PanelsWidthsTextsAndHeight) {
    form.Show();
    HWND wnd = bar->Handle();
    char cls[64] = "";
    GetClassNameA(wnd, cls, sizeof(cls));
    EXPECT_STREQ(cls, "msctls_statusbar32");
    EXPECT_EQ(Parts(), (std::vector<int>{150, 270, -1}));
    EXPECT_EQ(PanelText(0), " www.vemlora.example");
    EXPECT_EQ(PanelText(1), " ver2.11.905.501");
    EXPECT_EQ(PanelText(2), "");
    EXPECT_FALSE(GetWindowLongA(wnd, GWL_STYLE) & SBARS_SIZEGRIP);

    // Exactly the control's height, at the bottom of the window, full width.
    RECT r = WindowRectIn(wnd, form.Handle());
    EXPECT_EQ(r.bottom - r.top, 28);
    EXPECT_EQ(r.bottom, 448);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, 613);
    EXPECT_EQ(bar->Top(), 420);

    // The right-most panel reaches the right edge.
    RECT last;
    SendMessageA(wnd, SB_GETRECT, 2, reinterpret_cast<LPARAM>(&last));
    EXPECT_GE(last.right, 600);

    bar->SetPanelText(2, "16ﾋﾞｯﾄ表示");
    EXPECT_EQ(PanelText(2), "16ﾋﾞｯﾄ表示");
    EXPECT_EQ(bar->Panels(2).Text, "16ﾋﾞｯﾄ表示");
}

TEST_F(StatusBarTest, SizeGripAndHeightChangesKeepThePanels) {
    bar->SetPanelText(2, "ソフト");
    form.Show();
    bar->SetSizeGrip(true);
    HWND wnd = bar->Handle();
    EXPECT_TRUE(GetWindowLongA(wnd, GWL_STYLE) & SBARS_SIZEGRIP);
    EXPECT_EQ(Parts(), (std::vector<int>{150, 270, -1}));
    EXPECT_EQ(PanelText(2), "ソフト");

    bar->SetHeight(40);
    RECT r = WindowRectIn(wnd, form.Handle());
    EXPECT_EQ(r.bottom - r.top, 40);
    EXPECT_EQ(r.bottom, 448);
    EXPECT_EQ(bar->Top(), 408);

    // A new font makes the bar measure itself again; it keeps the control's height.
    bar->Font().SetHeight(-16);
    r = WindowRectIn(wnd, form.Handle());
    EXPECT_EQ(r.bottom - r.top, 40);
    EXPECT_EQ(r.bottom, 448);
}
