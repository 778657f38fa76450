#include <gtest/gtest.h>

#include "icons/IconLocation.h"
#include "support/Sandbox.h"
#include "ui/SysUtils.h"

using namespace testing_support;

TEST(IconLocation, SplitIconLocationCases) {
    TempDir dir;
    const std::string file = dir.WriteFile("plain.dll", "MZ"), folder = dir.MakeDir("folder.dll");
    const std::string dbcs = dir.WriteFile("表\\ソ.ico", "ico"), win = WindowsDir(), sys = SystemDir();
    // Upper-casing after the token must leave trail bytes that look like "j" (ニ) or "\" (表) alone.
    const std::string up = "\\.." + dir.WriteFile("ニ表\\a.ico", "ico").substr(2);
    struct { std::string location; bool result; std::string file; int index; } cases[] = {
        {"", false, "", 0},
        {file, true, file, 0},
        {file + ",-1", true, file, -1},
        {dbcs + ",4", true, dbcs, 4},
        {folder, false, folder, 0},
        {dir / "missing.dll,2", false, dir / "missing.dll,2", 0},
        // A damaged index makes the location unusable instead of stopping the caller.
        {file + ",abc", false, file + ",abc", 0},
        {file + ",", false, file + ",", 0},
        {file + ",1,2", false, file + ",1,2", 0},
        {"%systemroot%\\system32\\shell32.dll,3", true, win + "\\SYSTEM32\\SHELL32.DLL", 3},
        {"%systemroot%" + up + ",2", true, win + "\\.." + ui::AnsiUpperCase(dir.Path().substr(2)) + "\\ニ表\\A.ICO", 2},
        {"\\shell32.dll,7", true, sys + "\\shell32.dll", 7},
        {sys + "\\shell3?.dll", false, sys + "\\shell3?.dll", 0},
    };
    for (const auto& c : cases) {
        std::string splitFile = "previous";
        int splitIndex = 99;
        EXPECT_EQ(icons::SplitIconLocation(c.location, splitFile, splitIndex), c.result) << c.location;
        EXPECT_EQ(std::make_pair(splitFile, splitIndex), std::make_pair(c.file, c.index)) << c.location;
    }
}
