#include <gtest/gtest.h>

#include "support/Sandbox.h"
#include "ui/SysUtils.h"

using namespace testing_support;

// 表 and ソ end in the byte of "\"; ニ ends in the byte of "j".
static const std::string kHyo = "表", kSo = "ソ", kNi = "ニ";

TEST(SysUtils, ScansSkipTrailBytesAndWildcardsNameNoFile) {
    ASSERT_EQ(kHyo[1], '\\');
    ASSERT_EQ(kSo[1], '\\');
    struct Case {
        std::string path, dir, name, ext;
    } cases[] = {
        {"C:\\a\\b.dll", "C:\\a\\", "b.dll", ".dll"},
        {"C:\\" + kHyo, "C:\\", kHyo, ""},
        {"C:\\" + kSo + kHyo + "\\x.ico", "C:\\" + kSo + kHyo + "\\", "x.ico", ".ico"},
        {"C:\\dir.d\\file", "C:\\dir.d\\", "file", ""},
        {"C:x.exe", "C:", "x.exe", ".exe"},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ui::ExtractFilePath(c.path), c.dir) << c.path;
        EXPECT_EQ(ui::ExtractFileName(c.path), c.name) << c.path;
        EXPECT_EQ(ui::ExtractFileExt(c.path), c.ext) << c.path;
    }
    EXPECT_EQ(ui::LastDelimiter("\\", kSo), std::string::npos);
    EXPECT_EQ(ui::AnsiPos("\\", kHyo + "\\"), 2u);
    EXPECT_EQ(ui::AnsiPos("\\", kHyo), std::string::npos);
    EXPECT_EQ(ui::AnsiPos("\\x", kSo + "x\\x"), 3u);
    EXPECT_EQ(ui::AnsiUpperCase("c:\\x" + kNi + "y\\ﾃﾞ.dll"), "C:\\X" + kNi + "Y\\ﾃﾞ.DLL");
    EXPECT_EQ(ui::AsciiUpperCase("ab" + kNi), "AB" + kNi);
    TempDir dir;
    std::string file = dir.WriteFile(kHyo + "\\" + kSo + ".ico", "x");
    struct Entry {
        std::string path;
        bool file, entry;
    } entries[] = {
        {file, true, true},
        {dir.MakeDir("folder"), false, true},
        {dir / "missing.ico", false, false},
        {dir / (kHyo + "\\*.ico"), false, false},  // wildcards name no file
        {dir / (kHyo + "\\" + kSo + ".ic?"), false, false},
        {dir / "*", false, false},
        {"", false, false},
    };
    for (const Entry& c : entries) {
        EXPECT_EQ(ui::FileExists(c.path), c.file) << c.path;
        EXPECT_EQ(ui::EntryExists(c.path), c.entry) << c.path;
    }
}
