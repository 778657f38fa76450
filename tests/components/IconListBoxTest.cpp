#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "components/IconListBox.h"
#include "support/IconLibraries.h"
#include "support/Interaction.h"
#include "support/Sandbox.h"
#include "ui/Handles.h"

using namespace testing_support;

namespace {

bool IconAlive(HICON icon) { return ui::IconHandle(CopyIcon(icon)).get() != nullptr; }

// A shown form holding one grid of x by y cells, sized to them.
struct GridOnForm : ShownControl<TIconListBox> {
    GridOnForm(int x, int y) : ShownControl(470, 370, [x, y](TIconListBox& grid) {
                                   grid.SetXIcons(x);
                                   grid.SetYIcons(y);
                               }) {
        grid->OnFileChange = [this](ui::TObject*) { ++fileChanges; };
        Paint();
    }
    TIconListBox* const grid = control;
    int fileChanges = 0;
    void Paint() { RedrawWindow(grid->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }
    // How many cells show in the client area.
    int VisibleCells() {
        RECT client;
        GetClientRect(grid->Handle(), &client);
        int n = 0;
        for (int i = 0; i < grid->ItemCount(); ++i)
            n += grid->ItemRect(i).left < client.right && grid->ItemRect(i).top < client.bottom;
        return n;
    }
    std::vector<HICON> HeldHandles() {
        std::vector<HICON> out;
        for (int i = 0; i < grid->ItemCount(); ++i)
            if (grid->HasIcon(i) && grid->GetIcon(i)->Handle()) out.push_back(grid->GetIcon(i)->Handle());
        return out;
    }
    // Whether the centre of `item`'s icon, or the pixel `dx` left of the icon's centre, shows `c`.
    bool Shows(int item, COLORREF c, int dx = 0) {
        RECT r = grid->ItemRect(item);
        ui::WindowDC dc(grid->Handle());
        return GetPixel(dc.get(), (r.left + r.right) / 2 - dx, (r.top + r.bottom) / 2) == GetNearestColor(dc.get(), c);
    }
};

}  // namespace

TEST(IconListBox, ReloadsReplaceTheIconsAndNamesTooLongForTheBufferAreRefused) {
    TempDir dir;
    const std::string before = WritePeIconLibrary(dir, "before.dll", 12);
    // 256 bytes, and a decoy where the name cut to the 255-byte buffer would land.
    const std::string name = std::string(120, 'g') + "\\" + std::string(256 - dir.Path().size() - 122, 'h');
    WritePeIconLibrary(dir, name, 6);
    WritePeIconLibrary(dir, name.substr(0, name.size() - 1), 6);
    const std::pair<std::string, int> cases[] = {
        {WriteNeIconLibrary(dir, "表示ソ\\ne.icl", 40), 40}, {WriteFileWithoutIcons(dir, "none.dll"), 0},
        {dir / "missing.dll", -1}, {dir.MakeDir("folder.dll"), -1}, {dir / name, -1},
    };
    for (const auto& [path, icons] : cases) {
        GridOnForm f(2, 2);
        f.grid->SetFileName(before);
        f.Paint();
        const std::vector<HICON> held = f.HeldHandles();
        ASSERT_FALSE(held.empty());
        f.grid->SetFileName(path);  // not painted yet: no new icon can take an old handle's place
        for (HICON h : held) EXPECT_FALSE(IconAlive(h));
        // Disabled without a file.
        EXPECT_EQ(std::make_tuple(f.grid->NumberOfIcons(), f.grid->ItemCount(), IsWindowEnabled(f.Wnd()) != FALSE),
                  std::make_tuple(icons, std::max(icons, 0), icons >= 0))
            << path;
        EXPECT_EQ(f.fileChanges, 2);
    }
}

TEST(IconListBox, ExtractsOnlyDrawnCellsAndKeepsValidIconsThroughRecreation) {
    TempDir dir;
    for (const std::string& lib : {WritePeIconLibrary(dir, "pe.dll", 200), WriteNeIconLibrary(dir, "ne.icl", 200)}) {
        GridOnForm f(7, 7);
        f.grid->SetFileName(lib);
        EXPECT_EQ(f.grid->ExtractionCount(), 0);
        f.grid->SetItemIndex(3);
        f.Paint();
        f.Paint();  // a second paint extracts nothing more
        const int visible = f.VisibleCells();
        ASSERT_TRUE(visible >= 36 && visible < 200) << visible;
        EXPECT_EQ(std::make_pair(f.grid->ExtractionCount(), f.grid->LiveIconCount()), std::make_pair(visible, visible));
        f.grid->SetFileName(lib);  // the same name: no reload, no event
        EXPECT_EQ(std::make_pair(f.grid->ExtractionCount(), f.grid->ItemIndex()), std::make_pair(visible, 3));
        for (bool caching : {true, false}) {
            const std::vector<HICON> held = f.HeldHandles();
            ASSERT_FALSE(held.empty());
            f.grid->RecreateWnd();
            for (HICON h : held) EXPECT_FALSE(IconAlive(h));
            EXPECT_EQ(std::make_pair(f.grid->ItemIndex(), f.grid->LiveIconCount()), std::pair(3, caching ? 0 : 200));
            f.Paint();
            for (HICON h : f.HeldHandles()) EXPECT_TRUE(IconAlive(h));
            EXPECT_TRUE(f.Shows(4, IconColor(4)));
            EXPECT_TRUE(f.Shows(3, GetSysColor(COLOR_HIGHLIGHT), GetSystemMetrics(SM_CXICON) / 2 + 1));
            if (!caching) break;
            f.grid->SetEnableCaching(false);  // reloads everything, without an event
            EXPECT_EQ(std::make_pair(f.grid->LiveIconCount(), f.grid->ExtractionCount()), std::make_pair(200, 200));
            f.grid->SetItemIndex(3);
        }
        EXPECT_EQ(f.fileChanges, 1);
    }
}
