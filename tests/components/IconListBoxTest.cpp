#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "components/FileIndexIcon.h"
#include "components/IconListBox.h"
#include "support/IconLibraries.h"
#include "support/Sandbox.h"
#include "ui/Forms.h"

using namespace testing_support;

namespace {

bool IconAlive(HICON icon) {
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info)) return false;
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return true;
}

// A shown form holding one grid at (10, 10).
struct GridOnForm {
    ui::TForm form{nullptr};
    TIconListBox* grid;
    int fileChanges = 0;

    GridOnForm(int x = 0, int y = 0) {
        form.SetBounds(0, 0, 500, 420);
        grid = new TIconListBox(&form);
        grid->SetLeft(10);
        grid->SetTop(10);
        if (x > 0) grid->SetXIcons(x);
        if (y > 0) grid->SetYIcons(y);
        grid->SetParent(&form);
        grid->OnFileChange = [this](ui::TObject* sender) {
            EXPECT_EQ(sender, grid);
            ++fileChanges;
        };
        form.Show();
        Paint();
    }
    void Paint() {
        RedrawWindow(grid->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    // Items whose cell shows in the client area.
    std::vector<int> VisibleItems() {
        RECT client;
        GetClientRect(grid->Handle(), &client);
        std::vector<int> out;
        for (int i = 0; i < grid->ItemCount(); ++i) {
            RECT r = grid->ItemRect(i), hit;
            if (IntersectRect(&hit, &r, &client)) out.push_back(i);
        }
        return out;
    }
    std::vector<HICON> HeldHandles() {
        std::vector<HICON> out;
        for (int i = 0; i < grid->ItemCount(); ++i)
            if (grid->HasIcon(i) && grid->GetIcon(i)->Handle()) out.push_back(grid->GetIcon(i)->Handle());
        return out;
    }
    COLORREF Pixel(int x, int y) {
        ui::WindowDC dc(grid->Handle());
        return GetPixel(dc.get(), x, y);
    }
    COLORREF Expected(COLORREF c) {
        ui::WindowDC dc(grid->Handle());
        return GetNearestColor(dc.get(), c);
    }
};

// A path of exactly `length` bytes below `dir`.
std::string PathOfLength(const TempDir& dir, size_t length) {
    std::string base = dir.Path() + "\\";
    size_t rest = length - base.size();
    std::string folder(rest / 2, 'g');
    std::string file(rest - folder.size() - 1, 'h');
    return base + folder + "\\" + file;
}

}  // namespace

TEST(IconListBox, ConstructionDefaults) {
    GridOnForm f;
    TIconListBox& g = *f.grid;
    int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
    EXPECT_EQ(g.Version(), "TIconListBox v1.10");
    EXPECT_EQ(g.FileName(), "");
    EXPECT_TRUE(g.AutoDisable());
    EXPECT_TRUE(g.EnableCaching());
    EXPECT_EQ(g.NumberOfIcons(), -1);
    EXPECT_EQ(g.XIcons(), 4);
    EXPECT_EQ(g.YIcons(), 1);
    EXPECT_EQ(g.ItemIndex(), -1);
    EXPECT_EQ(g.CellWidth(), cx + 6);
    EXPECT_EQ(g.ItemHeight(), cy + 6);
    EXPECT_EQ(g.Font().Name(), "Arial");
    EXPECT_EQ(g.Font().Height(), cy + 6);
    EXPECT_EQ(g.Color(), ui::clWindow);
    // The default control is narrower than four cells: room for the scroll bar.
    EXPECT_EQ(g.Width(), (cx + 6) * 4 + 2);
    EXPECT_EQ(g.Height(), cy + 6 + GetSystemMetrics(SM_CYHSCROLL) + 1);
    EXPECT_EQ(g.Columns(), 4);
    LONG style = GetWindowLongA(g.Handle(), GWL_STYLE);
    for (LONG bit : {LBS_OWNERDRAWFIXED, LBS_HASSTRINGS, LBS_NOTIFY, LBS_MULTICOLUMN, LBS_NOINTEGRALHEIGHT})
        EXPECT_TRUE(style & bit) << std::hex << bit;
    EXPECT_FALSE(style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL));
    EXPECT_TRUE(GetWindowLongA(g.Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(SendMessageA(g.Handle(), LB_GETITEMHEIGHT, 0, 0), cy + 6);
}

TEST(IconListBox, VersionIgnoresWrites) {
    GridOnForm f;
    f.grid->SetVersion("something else");
    EXPECT_EQ(f.grid->Version(), "TIconListBox v1.10");
}

TEST(IconListBox, UpdateSizeLeavesRoomForTheScrollBarOnlyWhenWidening) {
    const int cell = GetSystemMetrics(SM_CYICON) + 6, bar = GetSystemMetrics(SM_CYHSCROLL);
    const int cw = GetSystemMetrics(SM_CXICON) + 6;
    struct Case {
        const char* what;
        int startWidth;  // 0: as constructed
        int x, y;        // applied in this order (x first)
        int width, height;
    } cases[] = {
        {"the main window's 7 x 7", 0, 7, 7, cw * 7 + 2, cell * 7 + 3},
        {"rows only, already wide enough", 0, 0, 3, cw * 4 + 2, cell * 3 + 3},
        {"more columns on a narrow control", 0, 6, 0, cw * 6 + 2, cell + bar + 1},
        {"fewer columns", 400, 5, 0, cw * 5 + 2, cell + 3},
        {"equal width", cw * 5 + 2, 5, 0, cw * 5 + 2, cell + 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GridOnForm f;
        if (c.startWidth) f.grid->SetWidth(c.startWidth);
        if (c.x) f.grid->SetXIcons(c.x);
        if (c.y) f.grid->SetYIcons(c.y);
        EXPECT_EQ(f.grid->Width(), c.width);
        EXPECT_EQ(f.grid->Height(), c.height);
        RECT r;
        GetWindowRect(f.grid->Handle(), &r);
        EXPECT_EQ(r.right - r.left, c.width);
        EXPECT_EQ(r.bottom - r.top, c.height);
        EXPECT_EQ(f.grid->Columns(), f.grid->XIcons());
        EXPECT_EQ(f.grid->ColumnWidth(), cw);
    }
}

TEST(IconListBox, ZeroNegativeOrEqualCountsAreIgnored) {
    GridOnForm f(7, 7);
    f.grid->SetBounds(10, 10, 300, 123);  // moved by hand: an ignored value must not resize
    for (int v : {0, -1, -50, 7}) {
        f.grid->SetXIcons(v);
        f.grid->SetYIcons(v);
    }
    EXPECT_EQ(f.grid->XIcons(), 7);
    EXPECT_EQ(f.grid->YIcons(), 7);
    EXPECT_EQ(f.grid->Width(), 300);
    EXPECT_EQ(f.grid->Height(), 123);
}

TEST(IconListBox, LoadsEveryKindOfSource) {
    TempDir dir;
    WritePeIconLibrary(dir, "before.dll", 3);
    std::string longName = PathOfLength(dir, 257);
    WritePeIconLibrary(dir, longName.substr(dir.Path().size() + 1), 6);
    // What a name cut to the buffer would open.
    WritePeIconLibrary(dir, longName.substr(dir.Path().size() + 1, 255 - dir.Path().size() - 1), 6);
    ASSERT_TRUE(FileExistsA(longName));
    struct Case {
        const char* what;
        std::string path;
        int icons;   // NumberOfIcons
        bool enabled;
    } cases[] = {
        {"PE library", WritePeIconLibrary(dir, "pe.dll", 40), 40, true},
        {"NE library", WriteNeIconLibrary(dir, "ne.icl", 40), 40, true},
        {"single icon", WriteIcoFile(dir, "one.ico", 2), 1, true},
        {"shell32", Shell32Path(), kShell32IconCount, true},
        {"double-byte name", WritePeIconLibrary(dir, "表示ソ\\アイコン.dll", 5), 5, true},
        {"file without icons", WriteFileWithoutIcons(dir, "none.dll"), 0, true},
        {"text file", dir.WriteFile("notes.txt", "text"), 0, true},
        {"missing file", dir / "missing.dll", -1, false},
        {"directory", dir.MakeDir("folder.dll"), -1, false},
        {"empty name", "", -1, false},
        {"wildcard", dir / "*.dll", -1, false},
        {"name longer than the buffer", longName, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GridOnForm f(7, 7);
        f.grid->SetFileName(dir / "before.dll");  // something loaded before
        f.grid->SetFileName(c.path);
        if (c.path.empty()) f.grid->SetFileName("");
        EXPECT_EQ(f.grid->NumberOfIcons(), c.icons);
        EXPECT_EQ(f.grid->ItemCount(), c.icons > 0 ? c.icons : 0);
        EXPECT_EQ(f.grid->ItemIndex(), c.icons > 0 ? 0 : -1);
        EXPECT_EQ(f.grid->Enabled(), c.enabled);
        EXPECT_EQ(IsWindowEnabled(f.grid->Handle()) != FALSE, c.enabled);
        EXPECT_EQ(f.fileChanges, 2);
        if (c.icons > 0) {
            EXPECT_EQ(f.grid->Items(0), "0");
            EXPECT_EQ(f.grid->Items(c.icons - 1), std::to_string(c.icons - 1));
        }
        f.Paint();
        EXPECT_LE(f.grid->LiveIconCount(), c.icons > 0 ? c.icons : 0);
    }
}

TEST(IconListBox, SameNameTwiceNeitherReloadsNorFires) {
    TempDir dir;
    std::string lib = WritePeIconLibrary(dir, "lib.dll", 30);
    GridOnForm f(7, 7);
    f.grid->SetFileName(lib);
    f.Paint();
    f.grid->SetItemIndex(5);
    int extracted = f.grid->ExtractionCount();
    ASSERT_GT(extracted, 0);
    f.grid->SetFileName(lib);
    EXPECT_EQ(f.fileChanges, 1);
    EXPECT_EQ(f.grid->ItemIndex(), 5);
    EXPECT_EQ(f.grid->ExtractionCount(), extracted);
    // A name that differs only in case is another name.
    std::string upper = lib;
    upper.replace(upper.size() - 7, 3, "LIB");
    f.grid->SetFileName(upper);
    EXPECT_EQ(f.fileChanges, 2);
    EXPECT_EQ(f.grid->ItemIndex(), 0);
}

TEST(IconListBox, FileChangeFiresAfterTheReload) {
    TempDir dir;
    std::string lib = WritePeIconLibrary(dir, "lib.dll", 12);
    GridOnForm f;
    std::vector<int> seen;
    f.grid->OnFileChange = [&](ui::TObject*) {
        seen.push_back(f.grid->NumberOfIcons());
        seen.push_back(f.grid->ItemCount());
    };
    f.grid->SetFileName(lib);
    f.grid->SetFileName(dir / "gone.dll");
    EXPECT_EQ(seen, (std::vector<int>{12, 12, -1, 0}));
}

TEST(IconListBox, TurningCachingOffExtractsEverythingWithoutEvent) {
    TempDir dir;
    std::string lib = WriteNeIconLibrary(dir, "lib.icl", 60);
    GridOnForm f(3, 3);
    f.grid->SetFileName(lib);
    f.grid->SetItemIndex(9);
    f.grid->SetEnableCaching(false);
    EXPECT_EQ(f.fileChanges, 1);
    EXPECT_EQ(f.grid->LiveIconCount(), 60);
    EXPECT_EQ(f.grid->ExtractionCount(), 60);
    EXPECT_EQ(f.grid->ItemIndex(), 0);
    // Back to caching: the icons stay, nothing is extracted again.
    f.grid->SetEnableCaching(true);
    f.Paint();
    EXPECT_EQ(f.grid->LiveIconCount(), 60);
    EXPECT_EQ(f.grid->ExtractionCount(), 60);
    EXPECT_EQ(f.fileChanges, 1);
}

TEST(IconListBox, AutoDisableFollowsTheFile) {
    TempDir dir;
    GridOnForm f;
    f.grid->SetFileName(dir / "missing.ico");
    EXPECT_FALSE(f.grid->Enabled());
    f.grid->SetAutoDisable(false);
    EXPECT_TRUE(f.grid->Enabled());
    f.grid->SetAutoDisable(true);
    EXPECT_FALSE(f.grid->Enabled());
    f.grid->SetEnabled(true);  // others may enable it in between
    EXPECT_TRUE(f.grid->Enabled());
    f.grid->SetFileName(WriteIcoFile(dir, "one.ico"));
    EXPECT_TRUE(f.grid->Enabled());
    f.grid->SetAutoDisable(false);
    f.grid->SetFileName(dir / "missing.ico");
    EXPECT_TRUE(f.grid->Enabled());
}

TEST(IconListBox, OnlyDrawnCellsAreExtracted) {
    TempDir dir;
    for (const std::string& lib : {WritePeIconLibrary(dir, "pe.dll", 200), WriteNeIconLibrary(dir, "ne.icl", 200)}) {
        SCOPED_TRACE(lib);
        GridOnForm f(7, 7);
        f.grid->SetFileName(lib);
        EXPECT_EQ(f.grid->ExtractionCount(), 0);
        f.Paint();
        std::vector<int> visible = f.VisibleItems();
        ASSERT_GE(visible.size(), 36u);
        ASSERT_LT(visible.size(), 200u);
        EXPECT_TRUE(GetWindowLongA(f.grid->Handle(), GWL_STYLE) & WS_HSCROLL);
        EXPECT_EQ(f.grid->ExtractionCount(), static_cast<int>(visible.size()));
        EXPECT_EQ(f.grid->LiveIconCount(), static_cast<int>(visible.size()));
        for (int i : visible) EXPECT_TRUE(f.grid->HasIcon(i)) << i;
        EXPECT_FALSE(f.grid->HasIcon(visible.back() + 1));
        // A second paint extracts nothing more.
        f.Paint();
        EXPECT_EQ(f.grid->ExtractionCount(), static_cast<int>(visible.size()));
    }
}

TEST(IconListBox, ScrollingThroughExtractsEachIconOnce) {
    TempDir dir;
    std::string lib = WritePeIconLibrary(dir, "lib.dll", 300);
    GridOnForm f(7, 7);
    f.grid->SetFileName(lib);
    f.Paint();
    for (int pass = 0; pass < 2; ++pass) {
        for (int step = 0; step < 300; step += 7) {
            f.grid->SetTopIndex(step);
            UpdateWindow(f.grid->Handle());
        }
        f.grid->SetTopIndex(0);
        UpdateWindow(f.grid->Handle());
    }
    EXPECT_EQ(f.grid->ExtractionCount(), 300);
    EXPECT_EQ(f.grid->LiveIconCount(), 300);
}

TEST(IconListBox, ReloadsDestroyTheIconsTheyReplace) {
    TempDir dir;
    std::string a = WritePeIconLibrary(dir, "a.dll", 120);
    std::string b = WriteNeIconLibrary(dir, "b.icl", 90);
    GridOnForm f(7, 7);
    f.grid->SetFileName(a);
    f.Paint();
    std::vector<HICON> held = f.HeldHandles();
    ASSERT_FALSE(held.empty());
    f.grid->SetFileName(b);  // not painted yet: no new icon can take an old handle's place
    for (HICON h : held) EXPECT_FALSE(IconAlive(h));
    EXPECT_EQ(f.grid->LiveIconCount(), 0);

    // Hundreds of reloads, each painted, on a small grid.
    std::string c = WritePeIconLibrary(dir, "c.dll", 12), d = WriteNeIconLibrary(dir, "d.icl", 9);
    f.grid->SetXIcons(2);
    f.grid->SetYIcons(2);
    DWORD userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    int most = 0;
    for (int i = 0; i < 200; ++i) {
        f.grid->SetFileName(i % 2 ? c : d);
        f.Paint();
        most = std::max(most, f.grid->LiveIconCount());
    }
    EXPECT_GT(most, 0);
    EXPECT_LE(most, static_cast<int>(f.VisibleItems().size()));
    // Where the platform counts user objects, the count must not have grown by the
    // 200 screens of icons that a leak would leave.
    if (userObjects > 0) {
        EXPECT_LT(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), userObjects + 100);
    }

    // Without caching every load extracts all icons; the previous ones go.
    std::string one = WriteIcoFile(dir, "one.ico", 5), three = WritePeIconLibrary(dir, "three.dll", 3);
    f.grid->SetEnableCaching(false);
    for (int i = 0; i < 100; ++i) {
        f.grid->SetFileName(i % 2 ? one : three);
        EXPECT_EQ(f.grid->LiveIconCount(), i % 2 ? 1 : 3);
    }
}

TEST(IconListBox, WindowGoingAwayDestroysItsIcons) {
    TempDir dir;
    std::string lib = WritePeIconLibrary(dir, "lib.dll", 80);
    // The grid destroyed on its own, and with its form.
    for (int withForm = 0; withForm < 2; ++withForm) {
        SCOPED_TRACE(withForm);
        auto f = std::make_unique<GridOnForm>(7, 7);
        f->grid->SetFileName(lib);
        f->Paint();
        std::vector<HICON> held = f->HeldHandles();
        ASSERT_FALSE(held.empty());
        if (withForm)
            f.reset();
        else
            delete f->grid;
        for (HICON h : held) EXPECT_FALSE(IconAlive(h));
    }
}

TEST(IconListBox, RecreatedWindowComesBackWithValidIcons) {
    TempDir dir;
    std::string lib = WritePeIconLibrary(dir, "lib.dll", 80);
    for (bool caching : {true, false}) {
        SCOPED_TRACE(caching);
        GridOnForm f(7, 7);
        f.grid->SetEnableCaching(caching);
        f.grid->SetFileName(lib);
        f.grid->SetItemIndex(3);
        f.Paint();
        std::vector<HICON> held = f.HeldHandles();
        HWND before = f.grid->Handle();
        f.grid->RecreateWnd();
        ASSERT_NE(f.grid->Handle(), before);
        for (HICON h : held) EXPECT_FALSE(IconAlive(h));
        EXPECT_EQ(f.grid->ItemCount(), 80);
        EXPECT_EQ(f.grid->NumberOfIcons(), 80);
        EXPECT_EQ(f.grid->ItemIndex(), 3);
        EXPECT_EQ(f.grid->LiveIconCount(), caching ? 0 : 80);
        f.Paint();
        for (HICON h : f.HeldHandles()) EXPECT_TRUE(IconAlive(h));
        EXPECT_GE(f.grid->LiveIconCount(), static_cast<int>(f.VisibleItems().size()));
        RECT r = f.grid->ItemRect(4);
        EXPECT_EQ(f.Pixel((r.left + r.right) / 2, (r.top + r.bottom) / 2), f.Expected(IconColor(4)));
    }
}

TEST(IconListBox, LoadedBeforeItsWindowExists) {
    TempDir dir;
    std::string lib = WritePeIconLibrary(dir, "lib.dll", 20);
    ui::TForm form(nullptr);
    form.SetBounds(0, 0, 400, 400);
    auto* grid = new TIconListBox(&form);
    grid->SetXIcons(7);
    grid->SetYIcons(7);
    grid->SetEnableCaching(false);
    grid->SetFileName(lib);
    grid->SetItemIndex(2);
    EXPECT_EQ(grid->ItemCount(), 20);
    EXPECT_EQ(grid->LiveIconCount(), 20);
    grid->SetParent(&form);
    form.Show();
    EXPECT_EQ(grid->ItemCount(), 20);
    EXPECT_EQ(grid->ItemIndex(), 2);
    EXPECT_EQ(grid->LiveIconCount(), 20);
    EXPECT_EQ(grid->ExtractionCount(), 20);
}

TEST(IconListBox, PaintsSelectedCellInHighlightAndCentresTheIcon) {
    TempDir dir;
    std::string lib = WritePeIconLibrary(dir, "lib.dll", 40);
    GridOnForm f(7, 7);
    f.grid->SetFileName(lib);
    f.grid->SetItemIndex(8);
    f.Paint();
    const int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
    for (int item : {8, 9, 0}) {
        SCOPED_TRACE(item);
        RECT r = f.grid->ItemRect(item);
        int x = r.left + (r.right - r.left - cx) / 2, y = r.top + (r.bottom - r.top - cy) / 2;
        COLORREF background = f.Expected(GetSysColor(item == 8 ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        EXPECT_EQ(f.Pixel(r.left + 1, r.top + 1), background);
        EXPECT_EQ(f.Pixel(x - 1, y + cy / 2), background);   // left of the icon
        EXPECT_EQ(f.Pixel(x, y + cy / 2), f.Expected(RGB(0, 0, 0)));  // the icon's frame
        EXPECT_EQ(f.Pixel(x + cx / 2, y + cy / 2), f.Expected(IconColor(item)));
        EXPECT_EQ(f.Pixel(x + cx - 1, y + cy - 1), f.Expected(RGB(0, 0, 0)));
        EXPECT_EQ(f.Pixel(x + cx, y + cy), background);
    }
}

TEST(IconListBox, UserSelectionFiresClickAndProgramSelectionDoesNot) {
    TempDir dir;
    GridOnForm f(4, 4);
    f.grid->SetFileName(WritePeIconLibrary(dir, "lib.dll", 20));
    int clicks = 0, doubles = 0;
    f.grid->OnClick = [&](ui::TObject*) { ++clicks; };
    f.grid->OnDblClick = [&](ui::TObject*) { ++doubles; };
    f.grid->SetItemIndex(3);
    EXPECT_EQ(clicks, 0);
    RECT r = f.grid->ItemRect(6);
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    HWND wnd = f.grid->Handle();
    SendMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(wnd, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(f.grid->ItemIndex(), 6);
    EXPECT_EQ(clicks, 1);
    SendMessageA(wnd, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageA(wnd, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(doubles, 1);
    SendMessageA(wnd, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(f.grid->ItemIndex(), 7);
    EXPECT_EQ(clicks, 2);
}
