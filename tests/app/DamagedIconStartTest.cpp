// Every kind of damaged icon file that once ended the program inside the platform's icon
// extraction, named by the desktop objects' stored locations: the program starts all the same, and
// shows them as files without icons.
#include <gtest/gtest.h>

#include <windows.h>

#include <iterator>
#include <string>
#include <vector>

#include "icons/IconSlots.h"
#include "support/IconLibraries.h"
#include "support/MainWindow.h"

using namespace testing_support;

TEST(MainWindow, DamagedIconFilesOfEveryKindStartAsFilesWithoutIcons) {
    // Slot 1 first: selected at start-up, the grid shows it. Its keys are the program's own; the
    // registry tests check them. Where the window reads: the per-user key on "YES" systems where
    // the slot has one.
    const int slots[] = {1, 2, 4, 5, 7, 8, 9, 10, 6, 11};
    const icons::TIconSlotTable table;
    const std::vector<TDamagedIconFile> damaged = DamagedIconFiles();
    ASSERT_LE(damaged.size(), std::size(slots));
    TempDir dir;
    std::vector<std::string> paths;
    for (const TDamagedIconFile& d : damaged) paths.push_back(dir.WriteFile(d.name, d.bytes));
    MainWindow w([&] {
        for (size_t i = 0; i < paths.size(); ++i) {
            const icons::TIconSlot& slot = table[slots[i]];
            const bool user = !slot.UserClassesKey.empty() && PerUserRun();
            RegSet(user ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT, user ? slot.UserClassesKey : slot.ClassesKey,
                   slot.ValueName, paths[i] + ",0");
        }
        RegSet(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\" +
                                       std::string(icons::kRecycleBinClsid), "", "くずかご");
    });
    RedrawWindow(w->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    for (size_t i = 0; i < paths.size(); ++i)
        EXPECT_EQ(w->Desktop->Slots[slots[i]].CurrentFile, paths[i]) << damaged[i].name;
    EXPECT_EQ(w->Edit1->Text(), "くずかご");
    const auto& grid = *w->IconListBox1;
    EXPECT_EQ(std::make_tuple(grid.FileName(), grid.NumberOfIcons(), w.Caption()),
              std::make_tuple(paths[0], 0, "Vemlora " + paths[0] + " /-1"));
    w->Image15Click(w->Image15);  // slot 4, the third
    EXPECT_EQ(std::make_pair(grid.FileName(), grid.NumberOfIcons()), std::make_pair(paths[2], 0));
}
