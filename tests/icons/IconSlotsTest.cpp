// Reading the desktop objects' stored icon locations, and the location text they are kept in.
#include <gtest/gtest.h>

#include <map>

#include "icons/IconLocation.h"
#include "icons/IconSlots.h"
#include "support/Sandbox.h"
#include "ui/SysUtils.h"

using namespace testing_support;
using icons::TIconSlotTable;

namespace {

std::string Key(const std::string& clsid) { return "CLSID\\" + clsid + "\\DefaultIcon"; }

// Defaults of a registry without any DefaultIcon value (no mail program installed).
std::map<int, icons::TSlotLocation> Defaults() {
    const std::string shell32 = SystemDir() + "\\shell32.dll";
    return {{1, {WindowsDir() + "\\ExpLorer.exe", 0}}, {2, {shell32, 17}}, {4, {shell32, 35}}, {5, {shell32, 37}},
            {6, {shell32, 33}}, {7, {SystemDir() + "\\syncui.dll", 0}}, {8, {shell32, 0}}, {9, {shell32, 31}},
            {10, {shell32, 32}}, {11, {SystemDir() + "\\mydocs.dll", 0}}};
}

void ExpectSlot(const TIconSlotTable& t, int n, const std::string& file, int index) {
    EXPECT_EQ(std::make_pair(t[n].CurrentFile, t[n].CurrentIndex), std::make_pair(file, index)) << "slot " << n;
}

}  // namespace

// Slot 2's stored index is damaged everywhere: it falls back to its default while the others load.
TEST(IconSlots, ReadsHkcrWithNoAndPerUserKeysWithYesAndDefaultsWhenMissing) {
    TempDir dir;
    auto defaults = Defaults();
    struct { const char* os; bool stored, userValues; } cases[] = {
        {"NO", false, false}, {"YES", false, false}, {"NO", true, true}, {"YES", true, true}, {"YES", true, false}};
    for (const auto& c : cases) {
        RegistrySandbox sandbox;
        TIconSlotTable t, notWin98;
        for (const icons::TIconSlot& k : t) {  // per-user values for slots 1 and 9 only
            const std::string n = std::to_string(k.Number), hkcr = dir.WriteFile("hkcr" + n + "表.dll", "MZ");
            if (c.stored) RegSet(HKEY_CLASSES_ROOT, k.ClassesKey, k.ValueName, hkcr + "," + (k.Number == 2 ? "1O" : n));
            if (c.userValues && (k.Number == 1 || k.Number == 9))
                RegSet(HKEY_CURRENT_USER, k.UserClassesKey, k.ValueName, dir.WriteFile("hkcu" + n, "MZ") + ",-" + n);
        }
        icons::LoadAllSlots(t, std::string(c.os) == "YES", true);
        for (const icons::TIconSlot& k : t) {
            const int n = k.Number;
            const bool user = std::string(c.os) == "YES" && !k.UserClassesKey.empty();
            if (user && c.userValues && (n == 1 || n == 9))
                ExpectSlot(t, n, dir / ("hkcu" + std::to_string(n)), defaults[n].Index);  // negative index: default index
            else if (user || n == 2 || !c.stored)
                ExpectSlot(t, n, defaults[n].File, defaults[n].Index);  // nothing stored, not seen or damaged
            else
                ExpectSlot(t, n, dir / ("hkcr" + std::to_string(n) + "表.dll"), n);
        }
        icons::LoadAllSlots(notWin98, std::string(c.os) == "YES", false);
        ExpectSlot(notWin98, 11, "", 0);  // My Documents only exists on Windows 98
    }
}

TEST(IconSlots, StoredLocationsAndTheirFallbacks) {
    TempDir dir;
    const std::string file = dir.WriteFile("ソ\\cp.dll", "MZ"), shell32 = SystemDir() + "\\shell32.dll";
    const std::string inboxRead = Key("{00020D76-0000-0000-C000-000000000046}");
    const std::string cp = Key("{21EC2020-3AEA-1069-A2DD-08002B30309D}");
    struct { int slot; std::string key, value, file; int index; } cases[] = {
        {4, cp, file, file, 0},
        {4, cp, file + ",-40", file, 35},
        {4, cp, dir / "missing.dll,3", shell32, 35},
        {8, inboxRead, file + ",3", file, 3},
        {8, inboxRead, file + ",-2", file, 0},
        {8, Key("{00020D75-0000-0000-C000-000000000046}"), file + ",3", shell32, 0},  // the written class is not read
        {8, inboxRead, dir / "gone.exe,1", "C:\\prev.exe", 4},  // a missing file leaves the Inbox as it was
        {8, inboxRead, file + ",x", "C:\\prev.exe", 4},
    };
    for (const auto& c : cases) {
        RegistrySandbox sandbox;
        RegSet(HKEY_CLASSES_ROOT, c.key, "", c.value);
        TIconSlotTable t;
        t[c.slot].CurrentFile = "C:\\prev.exe", t[c.slot].CurrentIndex = 4;
        icons::LoadSlotLocation(t[c.slot], HKEY_CLASSES_ROOT);
        ExpectSlot(t, c.slot, c.file, c.index);
    }
}

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
