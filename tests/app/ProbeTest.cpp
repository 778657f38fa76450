#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/Probe.h"

using app::ClassifyVersion;

namespace {

OSVERSIONINFOA Version(DWORD major, DWORD minor, DWORD build, DWORD platform) {
    OSVERSIONINFOA v = {};
    v.dwOSVersionInfoSize = sizeof(v);
    v.dwMajorVersion = major;
    v.dwMinorVersion = minor;
    v.dwBuildNumber = build;
    v.dwPlatformId = platform;
    return v;
}

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

}  // namespace

TEST(OsProbe, ClassifiesEveryPlatform) {
    struct Case {
        OSVERSIONINFOA version;
        const char* flag;
        bool win98;
        const char* line;
    } cases[] = {
        {Version(4, 0, 0x040003B6, 1), "NO", false, "Your OS is Windows 95 4.0 Build 950"},
        {Version(4, 10, 0x040A07CE, 1), "YES", true, "Your OS is Windows 98 4.10 Build 1998"},
        {Version(4, 0, 1381, 2), "YES", false, "Your OS is Windows NT 4.0 Build 1381"},
        {Version(3, 10, 0, 0), "NO", false, "Your OS is Win32s on Windows 3.1 3.10 Build 0"},
        // An unknown platform has no name: a blank follows "is " directly.
        {Version(5, 0, 7, 3), "NO", false, "Your OS is  5.0 Build 7"},
        // The Windows 98 rule needs a minor version above 4 and a build field of at least 1998.
        {Version(4, 5, 1997, 1), "NO", false, "Your OS is Windows 95 4.5 Build 1997"},
        {Version(4, 4, 0x040A07CE, 1), "NO", false, "Your OS is Windows 95 4.4 Build 1998"},
        // An unknown platform with the 98 numbers counts as Windows 98 too.
        {Version(4, 10, 2222, 7), "YES", true, "Your OS is Windows 98 4.10 Build 2222"},
        // NT keeps its name even with 98-like numbers: the rule only runs while the flag is "NO".
        {Version(5, 10, 2600, 2), "YES", false, "Your OS is Windows NT 5.10 Build 2600"},
    };
    for (const Case& c : cases) {
        app::TOsProbe p = ClassifyVersion(c.version);
        EXPECT_EQ(p.OsFlag, c.flag) << c.line;
        EXPECT_EQ(p.IsWindows98, c.win98) << c.line;
        EXPECT_EQ(p.InfoLine, c.line);
    }
}

TEST(OsProbe, BuildFieldWithTheSignBitIsNotWindows98) {
    // The whole field is compared as a signed number: a negative value is below 1998.
    app::TOsProbe p = ClassifyVersion(Version(4, 10, 0x80000000u, 1));
    EXPECT_FALSE(p.IsWindows98);
    EXPECT_EQ(p.OsFlag, "NO");
}

TEST(OsProbe, TheSystemAnswersAsTheRunsPersonality) {
    app::TOsProbe p = app::ProbeOperatingSystem();
    ASSERT_TRUE(p.Succeeded);
    std::string v = Env("VEMLORA_WINVER");
    if (v == "win95") {
        EXPECT_EQ(p.Name, "Windows 95");
        EXPECT_EQ(p.OsFlag, "NO");
        EXPECT_EQ(p.InfoLine, "Your OS is Windows 95 4.0 Build 950");
    } else if (v == "win98") {
        EXPECT_EQ(p.Name, "Windows 98");
        EXPECT_EQ(p.OsFlag, "YES");
        EXPECT_TRUE(p.IsWindows98);
        EXPECT_EQ(p.InfoLine, "Your OS is Windows 98 4.10 Build 2222");
    } else if (v == "nt40") {
        EXPECT_EQ(p.Name, "Windows NT");
        EXPECT_FALSE(p.IsWindows98);
        EXPECT_EQ(p.InfoLine, "Your OS is Windows NT 4.0 Build 1381");
    } else {
        EXPECT_EQ(p.Name, "Windows NT");
        EXPECT_EQ(p.OsFlag, "YES");
        EXPECT_EQ(p.InfoLine, "Your OS is Windows NT 6.1 Build 7601");
    }
}

TEST(ColourDepth, TextForEveryDepth) {
    struct Case {
        int bits;
        const char* text;
    } cases[] = {
        {1, "現在の画面色は不明です"},         {4, "現在の画面色は16色です"},
        {8, "現在の画面色は256色です"},         {15, "現在の画面色は32768色です"},
        {16, "現在の画面色は65536色です"},      {24, "現在の画面色は1677万色(24bit)です"},
        {32, "現在の画面色は1677万色(32bit)です"}, {0, "現在の画面色は不明です"},
    };
    for (const Case& c : cases) EXPECT_EQ(app::ColorDepthText(c.bits), c.text) << c.bits;
}
