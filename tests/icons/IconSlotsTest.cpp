#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "icons/IconLocation.h"
#include "icons/IconSlots.h"
#include "support/Sandbox.h"

using namespace testing_support;
using icons::TIconSlotTable;
using icons::TLoadStep;

namespace {

const std::string kHyo = "表", kSo = "ソ";

// The keys each slot is read from, as stored in the registry.
struct SlotKey {
    int number;
    const char* classesKey;
    const char* userKey;  // nullptr: read under HKEY_CLASSES_ROOT only
    const char* value;
};
const SlotKey kReadKeys[] = {
    {1, "CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\DefaultIcon",
     "Software\\Classes\\CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\DefaultIcon", ""},
    {2, "CLSID\\{208D2C60-3AEA-1069-A2D7-08002B30309D}\\DefaultIcon",
     "Software\\Classes\\CLSID\\{208D2C60-3AEA-1069-A2D7-08002B30309D}\\DefaultIcon", ""},
    {4, "CLSID\\{21EC2020-3AEA-1069-A2DD-08002B30309D}\\DefaultIcon", nullptr, ""},
    {5, "CLSID\\{2227A280-3AEA-1069-A2DE-08002B30309D}\\DefaultIcon", nullptr, ""},
    {6, "CLSID\\{992CFFA0-F557-101A-88EC-00DD010CCC48}\\DefaultIcon", nullptr, ""},
    {7, "CLSID\\{85BBD920-42A0-1069-A2E4-08002B30309D}\\DefaultIcon", nullptr, ""},
    {8, "CLSID\\{00020D76-0000-0000-C000-000000000046}\\DefaultIcon", nullptr, ""},
    {9, "CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon",
     "Software\\Classes\\CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon", "empty"},
    {10, "CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon",
     "Software\\Classes\\CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon", "full"},
    {11, "CLSID\\{450D8FBA-AD25-11D0-98A8-0800361B1103}\\DefaultIcon", nullptr, ""},
};
const char kRecycleNameKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\{645FF040-5081-101B-9F08-00AA002F954E}";

struct Loc {
    std::string file;
    int index;
};

// Defaults of a registry without any DefaultIcon value (no mail program installed).
std::map<int, Loc> Defaults() {
    std::string shell32 = SystemDir() + "\\shell32.dll";
    return {{1, {WindowsDir() + "\\ExpLorer.exe", 0}}, {2, {shell32, 17}}, {4, {shell32, 35}},
            {5, {shell32, 37}}, {6, {shell32, 33}}, {7, {SystemDir() + "\\syncui.dll", 0}},
            {8, {shell32, 0}}, {9, {shell32, 31}}, {10, {shell32, 32}},
            {11, {SystemDir() + "\\mydocs.dll", 0}}};
}

void ExpectSlot(const TIconSlotTable& t, int number, const std::string& file, int index) {
    EXPECT_EQ(t[number].CurrentFile, file) << "slot " << number;
    EXPECT_EQ(t[number].CurrentIndex, index) << "slot " << number;
}

// Makes the current directory a given folder for one test.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& dir) {
        char buf[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, buf);
        saved_ = buf;
        SetCurrentDirectoryA(dir.c_str());
    }
    ~CurrentDirectory() { SetCurrentDirectoryA(saved_.c_str()); }

private:
    std::string saved_;
};

}  // namespace

TEST(IconSlots, TableHoldsTheTenSlotsByNumber) {
    TIconSlotTable t;
    std::vector<int> numbers;
    for (const icons::TIconSlot& s : t) numbers.push_back(s.Number);
    EXPECT_EQ(numbers, (std::vector<int>{1, 2, 4, 5, 6, 7, 8, 9, 10, 11}));
    for (int bad : {0, 3, 12, -1}) {
        EXPECT_FALSE(icons::IsSlotNumber(bad));
        EXPECT_THROW(t[bad], ui::Exception) << bad;
    }
    EXPECT_EQ(t[8].WriteKey, "CLSID\\{00020D75-0000-0000-C000-000000000046}\\DefaultIcon");
    EXPECT_EQ(t[6].SecondWriteKey, "CLSID\\{a4d92740-67cd-11cf-96f2-00aa00a11dd9}\\DefaultIcon");
}

TEST(IconSlots, DefaultsFollowTheSystemPathsAtCallTime) {
    RegistrySandbox sandbox;
    for (const auto& d : Defaults()) {
        icons::TSlotLocation loc = icons::DefaultLocation(d.first);
        EXPECT_EQ(loc.File, d.second.file) << d.first;
        EXPECT_EQ(loc.Index, d.second.index) << d.first;
    }
    TempDir dir;
    dir.WriteFile("Windows NT\\Windows Messaging\\Mlset32.exe", "MZ");
    RegSet(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", dir.Path());
    EXPECT_EQ(icons::DefaultLocation(8).File, dir / "Windows NT\\Windows Messaging\\Mlset32.exe");
}

TEST(IconSlots, EmptyRegistryGivesEveryDefault) {
    auto defaults = Defaults();
    for (const char* os : {"NO", "YES"}) {
        RegistrySandbox sandbox;
        TIconSlotTable t;
        icons::LoadAllSlots(t, os, true);
        for (const auto& d : defaults) ExpectSlot(t, d.first, d.second.file, d.second.index);
        TIconSlotTable notWin98;
        icons::LoadAllSlots(notWin98, os, false);
        ExpectSlot(notWin98, 11, "", 0);  // My Documents only exists on Windows 98
    }
}

TEST(IconSlots, ReadsHkcrWithNoAndPerUserKeysWithYes) {
    TempDir dir;
    std::map<int, std::string> classesFile, userFile;
    for (const SlotKey& k : kReadKeys) {
        classesFile[k.number] = dir.WriteFile("hkcr" + std::to_string(k.number) + kHyo + ".dll", "MZ");
        userFile[k.number] = dir.WriteFile("hkcu" + std::to_string(k.number) + ".dll", "MZ");
    }
    auto defaults = Defaults();
    struct Case {
        const char* os;
        bool userValues;  // per-user values for slots 1 and 9 only
    } cases[] = {{"NO", true}, {"YES", true}, {"YES", false}};
    for (const Case& c : cases) {
        RegistrySandbox sandbox;
        for (const SlotKey& k : kReadKeys) {
            RegSet(HKEY_CLASSES_ROOT, k.classesKey, k.value, classesFile[k.number] + "," + std::to_string(k.number));
            if (c.userValues && k.userKey && (k.number == 1 || k.number == 9))
                RegSet(HKEY_CURRENT_USER, k.userKey, k.value, userFile[k.number] + ",-" + std::to_string(k.number));
        }
        TIconSlotTable t;
        icons::LoadAllSlots(t, c.os, true);
        bool yes = std::string(c.os) == "YES";
        for (const SlotKey& k : kReadKeys) {
            int n = k.number;
            if (!yes || !k.userKey)
                ExpectSlot(t, n, classesFile[n], n);
            else if (c.userValues && (n == 1 || n == 9))
                ExpectSlot(t, n, userFile[n], defaults[n].index);  // negative index: default index
            else
                ExpectSlot(t, n, defaults[n].file, defaults[n].index);  // HKCR value not seen
        }
    }
}

TEST(IconSlots, InboxReadsItsOwnClassAndMayStayWithoutLocation) {
    TempDir dir;
    std::string mail = dir.WriteFile("mail.exe", "MZ");
    const std::string readKey = "CLSID\\{00020D76-0000-0000-C000-000000000046}\\DefaultIcon";
    const std::string writeKey = "CLSID\\{00020D75-0000-0000-C000-000000000046}\\DefaultIcon";
    struct Case {
        std::string key, value;
        std::string file;
        int index;
    } cases[] = {
        {readKey, mail + ",3", mail, 3},
        {readKey, mail + ",-2", mail, 0},
        {writeKey, mail + ",3", SystemDir() + "\\shell32.dll", 0},  // the written class is not read
        {"", "", SystemDir() + "\\shell32.dll", 0},
        {readKey, dir / "gone.exe,1", "", 0},  // a missing file leaves the slot empty
        {readKey, mail + ",x", "", 0},
    };
    for (const Case& c : cases) {
        RegistrySandbox sandbox;
        if (!c.key.empty()) RegSet(HKEY_CLASSES_ROOT, c.key, "", c.value);
        TIconSlotTable t;
        icons::LoadSlotLocation(t[8], HKEY_CLASSES_ROOT);
        ExpectSlot(t, 8, c.file, c.index);
    }
    // An unusable stored location keeps whatever the slot held before.
    RegistrySandbox sandbox;
    RegSet(HKEY_CLASSES_ROOT, readKey, "", dir / "gone.exe,1");
    TIconSlotTable t;
    t[8].CurrentFile = mail;
    t[8].CurrentIndex = 4;
    icons::LoadSlotLocation(t[8], HKEY_CLASSES_ROOT);
    ExpectSlot(t, 8, mail, 4);
}

TEST(IconSlots, StoredLocationsAndTheirFallbacks) {
    TempDir dir;
    const std::string file = dir.WriteFile(kSo + "\\cp.dll", "MZ");
    const std::string folder = dir.MakeDir("folder.dll");
    dir.WriteFile("local.ico", "ico");
    const std::string shell32 = SystemDir() + "\\shell32.dll";
    const std::string cpKey = "CLSID\\{21EC2020-3AEA-1069-A2DD-08002B30309D}\\DefaultIcon";
    struct Case {
        std::string value;
        bool inTempDir;  // current directory
        std::string file;
        int index;
    } cases[] = {
        {file + ",12", false, file, 12},
        {file, false, file, 0},
        {file + ",-1", false, file, 35},
        {file + ",-40", false, file, 35},
        {file + ",abc", false, shell32, 35},
        {file + ",", false, shell32, 35},
        {dir / "missing.dll,3", false, shell32, 35},
        {folder + ",3", false, shell32, 35},
        {dir / (kSo + "\\*.dll,3"), false, shell32, 35},
        {"local.ico,3", true, "local.ico", 3},  // no folder: the current directory counts
        {"local.ico,3", false, shell32, 35},
        {"%SystemRoot%\\system32\\shell32.dll,5", false, WindowsDir() + "\\SYSTEM32\\SHELL32.DLL", 5},
        {"\\shell32.dll,6", false, shell32, 6},
    };
    for (const Case& c : cases) {
        RegistrySandbox sandbox;
        RegSet(HKEY_CLASSES_ROOT, cpKey, "", c.value);
        TIconSlotTable t;
        {
            CurrentDirectory cwd(c.inTempDir ? dir.Path() : WindowsDir());
            icons::LoadSlotLocation(t[4], HKEY_CLASSES_ROOT);
        }
        EXPECT_EQ(t[4].CurrentFile, c.file) << c.value;
        EXPECT_EQ(t[4].CurrentIndex, c.index) << c.value;
    }
}

TEST(IconSlots, DamagedSlotDoesNotStopTheOthers) {
    RegistrySandbox sandbox;
    TempDir dir;
    std::map<int, std::string> files;
    for (const SlotKey& k : kReadKeys) {
        files[k.number] = dir.WriteFile("s" + std::to_string(k.number) + ".dll", "MZ");
        std::string index = k.number == 2 ? "1O" : std::to_string(k.number);  // letter O, not zero
        RegSet(HKEY_CLASSES_ROOT, k.classesKey, k.value, files[k.number] + "," + index);
    }
    RegSet(HKEY_LOCAL_MACHINE, kRecycleNameKey, "", "ゴミ箱 " + kHyo);

    TIconSlotTable t;
    std::vector<TLoadStep> steps;
    std::string name;
    icons::LoadAllSlots(t, "NO", true, [&](TLoadStep step, const std::string& recycleName) {
        steps.push_back(step);
        switch (step) {
            case TLoadStep::RecycleBinNameRead:
                name = recycleName;
                EXPECT_FALSE(t[2].CurrentFile.empty());
                EXPECT_TRUE(t[9].CurrentFile.empty());
                break;
            case TLoadStep::Slot9Loaded:
                EXPECT_EQ(t[9].CurrentFile, files[9]);
                EXPECT_TRUE(t[10].CurrentFile.empty());
                break;
            case TLoadStep::Slot10Loaded:
                EXPECT_EQ(t[10].CurrentFile, files[10]);
                EXPECT_TRUE(t[4].CurrentFile.empty());  // slots 4 to 8 come last
                break;
        }
    });
    EXPECT_EQ(steps, (std::vector<TLoadStep>{TLoadStep::RecycleBinNameRead, TLoadStep::Slot9Loaded,
                                             TLoadStep::Slot10Loaded}));
    EXPECT_EQ(name, "ゴミ箱 " + kHyo);
    ExpectSlot(t, 2, SystemDir() + "\\shell32.dll", 17);
    for (const SlotKey& k : kReadKeys)
        if (k.number != 2) ExpectSlot(t, k.number, files[k.number], k.number);
}

TEST(IconSlots, RecycleBinName) {
    struct Case {
        bool key;
        const char* value;  // nullptr: no default value
        std::string expected;
    } cases[] = {{false, nullptr, ""}, {true, nullptr, ""}, {true, "", ""}, {true, "ごみ箱", "ごみ箱"}};
    for (const Case& c : cases) {
        RegistrySandbox sandbox;
        if (c.key) RegSet(HKEY_LOCAL_MACHINE, kRecycleNameKey, c.value ? "" : "Other", c.value ? c.value : "x");
        EXPECT_EQ(icons::ReadRecycleBinName(), c.expected);
    }
}

TEST(IconSlots, ResetPutsSlotsBackToTheirDefaults) {
    RegistrySandbox sandbox;
    auto defaults = Defaults();
    TIconSlotTable t;
    for (icons::TIconSlot& s : t) {
        s.CurrentFile = "C:\\custom.dll";
        s.CurrentIndex = 99;
    }
    icons::ResetSlotToDefault(t[10]);
    ExpectSlot(t, 10, defaults[10].file, defaults[10].index);
    ExpectSlot(t, 9, "C:\\custom.dll", 99);
    icons::ResetAllSlotsToDefault(t);
    for (const auto& d : defaults) ExpectSlot(t, d.first, d.second.file, d.second.index);
}
