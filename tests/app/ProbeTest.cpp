#include <gtest/gtest.h>

#include "app/Probe.h"

TEST(OsProbe, ClassifiesEveryPlatform) {
    auto Version = [](DWORD major, DWORD minor, DWORD build, DWORD platform) {
        return OSVERSIONINFOA{sizeof(OSVERSIONINFOA), major, minor, build, platform, {}};
    };
    struct { OSVERSIONINFOA version; const char* flag; bool win98; const char* line; } cases[] = {
        {Version(4, 0, 0x040003B6, 1), "NO", false, "Your OS is Windows 95 4.0 Build 950"},
        {Version(4, 10, 0x040A07CE, 1), "YES", true, "Your OS is Windows 98 4.10 Build 1998"},
        {Version(4, 0, 1381, 2), "YES", false, "Your OS is Windows NT 4.0 Build 1381"},
        {Version(3, 10, 0, 0), "NO", false, "Your OS is Win32s on Windows 3.1 3.10 Build 0"},
        // An unknown platform has no name: a blank follows "is " directly.
        {Version(5, 0, 7, 3), "NO", false, "Your OS is  5.0 Build 7"},
        // The Windows 98 rule needs a minor version above 4 and a build field of at least 1998,
        // the whole field compared as a signed number.
        {Version(4, 5, 1997, 1), "NO", false, "Your OS is Windows 95 4.5 Build 1997"},
        {Version(4, 4, 0x040A07CE, 1), "NO", false, "Your OS is Windows 95 4.4 Build 1998"},
        {Version(4, 10, 0x80000000u, 1), "NO", false, "Your OS is Windows 95 4.10 Build 0"},
        // An unknown platform with the 98 numbers counts as Windows 98 too.
        {Version(4, 10, 2222, 7), "YES", true, "Your OS is Windows 98 4.10 Build 2222"},
        // NT keeps its name even with 98-like numbers: the rule only runs while the flag is "NO".
        {Version(5, 10, 2600, 2), "YES", false, "Your OS is Windows NT 5.10 Build 2600"},
    };
    for (const auto& c : cases) {
        const app::TOsProbe p = app::ClassifyVersion(c.version);
        EXPECT_EQ(std::make_tuple(p.OsFlag, p.IsWindows98, p.InfoLine),
                  std::make_tuple(std::string(c.flag), c.win98, std::string(c.line)));
    }
}
