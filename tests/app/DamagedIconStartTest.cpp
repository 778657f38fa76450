// Every kind of damaged icon file that once ended the program inside the platform's icon
// extraction, named by the desktop objects' stored locations: the program starts all the same, and
// shows them as files without icons.
#include <gtest/gtest.h>

#include <windows.h>

#include <iterator>
#include <string>
#include <vector>

#include "support/IconLibraries.h"
#include "support/MainWindow.h"

using namespace testing_support;

TEST(MainWindow, DamagedIconFilesOfEveryKindStartAsFilesWithoutIcons) {
    // Slot number, class, value name, and whether the run reads it from the per-user classes.
    const struct {
        int slot;
        const char* clsid;
        const char* value;
        bool perUser;
    } slots[] = {
        {1, "{20D04FE0-3AEA-1069-A2D8-08002B30309D}", "", true},  // selected at start-up: the grid shows it
        {2, "{208D2C60-3AEA-1069-A2D7-08002B30309D}", "", true},
        {4, "{21EC2020-3AEA-1069-A2DD-08002B30309D}", "", false},
        {5, "{2227A280-3AEA-1069-A2DE-08002B30309D}", "", false},
        {7, "{85BBD920-42A0-1069-A2E4-08002B30309D}", "", false},
        {8, "{00020D76-0000-0000-C000-000000000046}", "", false},
        {9, "{645FF040-5081-101B-9F08-00AA002F954E}", "empty", true},
        {10, "{645FF040-5081-101B-9F08-00AA002F954E}", "full", true},
        {6, "{992CFFA0-F557-101A-88EC-00DD010CCC48}", "", false},
    };
    const std::vector<TDamagedIconFile> damaged = DamagedIconFiles();
    ASSERT_LE(damaged.size(), std::size(slots));
    TempDir dir;
    std::vector<std::string> paths;
    for (const TDamagedIconFile& d : damaged) paths.push_back(dir.WriteFile(d.name, d.bytes));
    MainWindow w([&] {
        for (size_t i = 0; i < paths.size(); ++i) {
            const bool user = slots[i].perUser && PerUserRun();
            const std::string key = (user ? "Software\\Classes\\" : "") + DefaultIconKey(slots[i].clsid);
            RegSet(user ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT, key, slots[i].value, paths[i] + ",0");
        }
    });
    RedrawWindow(w->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    for (size_t i = 0; i < paths.size(); ++i)
        EXPECT_EQ(w->Desktop->Slots[slots[i].slot].CurrentFile, paths[i]) << damaged[i].name;
    const auto& grid = *w->IconListBox1;
    EXPECT_EQ(std::make_pair(grid.FileName(), grid.NumberOfIcons()), std::make_pair(paths[0], 0));
}
