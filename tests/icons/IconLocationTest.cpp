#include <gtest/gtest.h>

#include "icons/IconLocation.h"
#include "support/Sandbox.h"
#include "ui/SysUtils.h"

using namespace testing_support;
using icons::SplitIconLocation;

namespace {

const std::string kHyo = "表", kSo = "ソ", kNi = "ニ";  // trail bytes "\", "\", "j"
const char kVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";

std::string Upper(const std::string& s) { return ui::AnsiUpperCase(s); }

}  // namespace

TEST(IconLocation, SystemPaths) {
    EXPECT_EQ(icons::GetWindowsDir(), WindowsDir());
    EXPECT_EQ(icons::GetSystemDir(), SystemDir());
    EXPECT_NE(icons::GetWindowsDir().back(), '\\');
    EXPECT_EQ(icons::GetShell32Path(), SystemDir() + "\\shell32.dll");
    EXPECT_TRUE(ui::FileExists(icons::GetShell32Path()));
}

TEST(IconLocation, ProgramFilesDirComesFromTheRegistry) {
    RegistrySandbox sandbox;
    EXPECT_EQ(icons::GetProgramFilesDir(), "");
    RegSet(HKEY_LOCAL_MACHINE, kVersionKey, "Other", "x");
    EXPECT_EQ(icons::GetProgramFilesDir(), "");
    RegSet(HKEY_LOCAL_MACHINE, kVersionKey, "ProgramFilesDir", "D:\\Prog " + kHyo);
    EXPECT_EQ(icons::GetProgramFilesDir(), "D:\\Prog " + kHyo);
}

TEST(IconLocation, MakeIconLocation) {
    EXPECT_EQ(icons::MakeIconLocation("C:\\a b\\x.dll", 17), "C:\\a b\\x.dll,17");
    EXPECT_EQ(icons::MakeIconLocation("x.ico", -3), "x.ico,-3");
    EXPECT_EQ(icons::MakeIconLocation("", 0), ",0");
}

TEST(IconLocation, FindInboxProgramTakesTheFirstInstalledMailProgram) {
    const std::string exchange = "Microsoft Exchange\\exchng32.exe";
    const std::string messaging = "Windows NT\\Windows Messaging\\Mlset32.exe";
    const std::string exchangeSetup = "Microsoft Exchange\\Mlset32.exe";
    struct Case {
        std::vector<std::string> files, dirs;
        std::string expected;  // below the program files folder; "" for shell32.dll
    } cases[] = {
        {{}, {}, ""},
        {{exchangeSetup}, {}, exchangeSetup},
        {{exchangeSetup, messaging}, {}, messaging},
        {{exchangeSetup, messaging, exchange}, {}, exchange},
        {{messaging}, {exchange}, exchange},  // the entry search counts a folder of that name
    };
    for (const Case& c : cases) {
        RegistrySandbox sandbox;
        TempDir dir;
        std::string programs = dir.MakeDir("Program " + kSo);
        RegSet(HKEY_LOCAL_MACHINE, kVersionKey, "ProgramFilesDir", programs);
        for (const std::string& f : c.files) dir.WriteFile("Program " + kSo + "\\" + f, "MZ");
        for (const std::string& d : c.dirs) dir.MakeDir("Program " + kSo + "\\" + d);
        std::string expected = c.expected.empty() ? icons::GetShell32Path() : programs + "\\" + c.expected;
        EXPECT_EQ(icons::FindInboxProgram(), expected) << c.expected;
    }
}

TEST(IconLocation, SplitIconLocationCases) {
    TempDir dir;
    const std::string file = dir.WriteFile("plain.dll", "MZ");
    const std::string dbcs = dir.WriteFile(kHyo + "\\" + kSo + ".ico", "ico");
    const std::string folder = dir.MakeDir("folder.dll");
    const std::string missing = dir / "missing.dll";
    const std::string win = WindowsDir(), sys = SystemDir();
    struct Case {
        std::string location;
        bool result;
        std::string file;
        int index;
    } cases[] = {
        {"", false, "", 0},
        {file, true, file, 0},
        {file + ",5", true, file, 5},
        {file + ",-1", true, file, -1},
        {file + ",+2", true, file, 2},
        {dbcs + ",4", true, dbcs, 4},
        {dbcs, true, dbcs, 0},
        {folder, false, folder, 0},
        {folder + ",3", false, folder + ",3", 0},
        {missing + ",2", false, missing + ",2", 0},
        // A damaged index makes the location unusable instead of stopping the caller.
        {file + ",abc", false, file + ",abc", 0},
        {file + ",", false, file + ",", 0},
        {file + ",1,2", false, file + ",1,2", 0},
        {"%systemroot%\\system32\\shell32.dll,3", true, win + "\\SYSTEM32\\SHELL32.DLL", 3},
        {"%SystemRoot%\\System32\\shell32.dll", true, win + "\\SYSTEM32\\SHELL32.DLL", 0},
        {"%SYSTEMROOT%\\nosuch.dll,1", false, win + "\\NOSUCH.DLL,1", 0},
        {"\\shell32.dll,7", true, sys + "\\shell32.dll", 7},
        {"\\nosuch.dll,7", false, sys + "\\nosuch.dll,7", 0},
        {sys + "\\*.dll,1", false, sys + "\\*.dll,1", 0},
        {sys + "\\shell3?.dll", false, sys + "\\shell3?.dll", 0},
    };
    for (const Case& c : cases) {
        std::string splitFile = "previous";
        int splitIndex = 99;
        EXPECT_EQ(SplitIconLocation(c.location, splitFile, splitIndex), c.result) << c.location;
        EXPECT_EQ(splitFile, c.file) << c.location;
        EXPECT_EQ(splitIndex, c.index) << c.location;
    }
}

TEST(IconLocation, SystemRootTokenKeepsDoubleByteCharacters) {
    // Upper-casing the location must not touch a trail byte that looks like "j" (ニ) or "\" (表).
    TempDir dir;
    const std::string win = WindowsDir();
    ASSERT_EQ(Upper(dir.Path().substr(0, 2)), Upper(win.substr(0, 2)));  // same drive
    dir.WriteFile(kNi + kHyo + "\\a.ico", "ico");
    std::string rest = "\\.." + dir.Path().substr(2) + "\\" + kNi + kHyo + "\\a.ico";
    std::string splitFile;
    int splitIndex = -5;
    ASSERT_TRUE(SplitIconLocation("%systemroot%" + rest + ",2", splitFile, splitIndex));
    EXPECT_EQ(splitFile, win + Upper(rest));
    EXPECT_NE(splitFile.find(kNi + kHyo + "\\A.ICO"), std::string::npos);
    EXPECT_EQ(splitIndex, 2);
}
