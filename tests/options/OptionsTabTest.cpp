#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "options/OptionsTab.h"
#include "support/Sandbox.h"

using namespace testing_support;

namespace {

const char kCacheDeleted[] = "アイコンキャッシュ消去完了！";
const char kCacheAbsent[] = "アイコンキャッシュは削除済みです";
const char kCacheFailed[] = "アイコンキャッシュ消去失敗～(T-T)";
const char kKeyDeleted[] = "ﾚｼﾞｽﾄﾘのｸﾘｱ完了！";
const char kKeyAbsent[] = "ﾚｼﾞｽﾄﾘはｸﾘｱ済です";
const char kExplorer[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";

bool IsDirectory(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveEntry(const std::string& path) {
    if (IsDirectory(path)) {
        RemoveTree(path);
    } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << path;
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

// The prefix's own entry of that name (Wine ships some applets) waits beside it during the
// test and comes back afterwards; whatever the test left there goes.
class SetAside {
public:
    explicit SetAside(std::string path) : path_(std::move(path)), aside_(path_ + ".vemlora-aside") {
        if (GetFileAttributesA(path_.c_str()) != INVALID_FILE_ATTRIBUTES)
            moved_ = MoveFileA(path_.c_str(), aside_.c_str()) != FALSE;
    }
    ~SetAside() {
        RemoveEntry(path_);
        if (moved_) MoveFileA(aside_.c_str(), path_.c_str());
    }
    SetAside(const SetAside&) = delete;
    SetAside& operator=(const SetAside&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_, aside_;
    bool moved_ = false;
};

TEST(AppletTest, CommandLineOfEachApplet) {
    struct Case {
        const char* button;
        const char* file;
        const char* line;
    } cases[] = {
        {"disp", "desk.cpl", "rundll32.exe shell32.dll,Control_RunDLL desk.cpl"},
        {"system", "sysdm.cpl", "rundll32.exe shell32.dll,Control_RunDLL sysdm.cpl"},
        {"mouse", "main.cpl", "rundll32.exe shell32.dll,Control_RunDLL main.cpl"},
        {"tweak", "tweakui.cpl", "rundll32.exe shell32.dll,Control_RunDLL tweakui.cpl"},
    };
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(cases[i].file);
        EXPECT_EQ(cases[i].line, options::AppletCommandLine(cases[i].file));
        EXPECT_STREQ(cases[i].button, options::kApplets[i].Button);
        EXPECT_STREQ(cases[i].file, options::kApplets[i].FileName);
        EXPECT_STREQ(cases[i].line, options::kApplets[i].CommandLine);
    }
}

TEST(AppletTest, PresenceFollowsTheSystemDirectory) {
    for (const options::TAppletEntry& applet : options::kApplets) {
        SCOPED_TRACE(applet.FileName);
        SetAside entry(SystemDir() + "\\" + applet.FileName);
        EXPECT_FALSE(options::AppletPresent(applet.FileName));
        WriteBytes(entry.Path(), "MZ");
        EXPECT_TRUE(options::AppletPresent(applet.FileName));
        RemoveEntry(entry.Path());
        EXPECT_FALSE(options::AppletPresent(applet.FileName));
        // A directory of that name is no applet.
        ASSERT_TRUE(CreateDirectoryA(entry.Path().c_str(), nullptr));
        EXPECT_FALSE(options::AppletPresent(applet.FileName));
    }
    SetAside other(SystemDir() + "\\表示ソフト.cpl");
    WriteBytes(other.Path(), "MZ");
    EXPECT_TRUE(options::AppletPresent("表示ソフト.cpl"));
}

class IconCacheTest : public ::testing::Test {
protected:
    SetAside cache{WindowsDir() + "\\ShellIconCache"};
    const std::string& path = cache.Path();
};

TEST_F(IconCacheTest, PathIsInTheWindowsDirectory) { EXPECT_EQ(path, options::IconCachePath()); }

TEST_F(IconCacheTest, PressedTwice) {
    WriteBytes(path, std::string(64, 'c'));
    EXPECT_EQ(kCacheDeleted, options::DeleteIconCache());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
    EXPECT_EQ(kCacheAbsent, options::DeleteIconCache());
}

TEST_F(IconCacheTest, DirectoryOfThatNameCountsAsDeleted) {
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    WriteBytes(path + "\\inside", "x");
    EXPECT_EQ(kCacheAbsent, options::DeleteIconCache());
    EXPECT_TRUE(IsDirectory(path));
    EXPECT_TRUE(FileExistsA(path + "\\inside"));
}

TEST_F(IconCacheTest, UndeletableFileReportsFailure) {
    {
        SCOPED_TRACE("read-only");
        WriteBytes(path, "cache");
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
        EXPECT_EQ(kCacheFailed, options::DeleteIconCache());
        EXPECT_TRUE(FileExistsA(path));
        RemoveEntry(path);
    }
    {
        SCOPED_TRACE("held open without delete sharing");
        WriteBytes(path, "cache");
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        EXPECT_EQ(kCacheFailed, options::DeleteIconCache());
        CloseHandle(h);
        EXPECT_TRUE(FileExistsA(path));
    }
}

TEST(ShellIconsKeyTest, NoExplorerKeyIsSilent) {
    RegistrySandbox sandbox;
    EXPECT_EQ("", options::DeleteShellIconsKey());
}

TEST(ShellIconsKeyTest, NestedKeyRemovedWholeThenAlreadyCleared) {
    RegistrySandbox sandbox;
    const std::string key = std::string(kExplorer) + "\\Shell Icons";
    ASSERT_TRUE(RegSet(HKEY_LOCAL_MACHINE, key, "3", "C:\\icons\\表.ico,2"));
    ASSERT_TRUE(RegSet(HKEY_LOCAL_MACHINE, key + "\\a\\b\\c", "v", "deep"));
    ASSERT_TRUE(RegSet(HKEY_LOCAL_MACHINE, key + "\\a\\ソ", "", "x"));
    ASSERT_TRUE(RegSet(HKEY_LOCAL_MACHINE, key + "\\d", "w", "y"));
    ASSERT_TRUE(RegSet(HKEY_LOCAL_MACHINE, std::string(kExplorer) + "\\Shell Iconsx", "keep", "1"));
    ASSERT_TRUE(RegSet(HKEY_LOCAL_MACHINE, kExplorer, "keep", "2"));

    EXPECT_EQ(kKeyDeleted, options::DeleteShellIconsKey());
    EXPECT_FALSE(RegKeyPresent(HKEY_LOCAL_MACHINE, key));
    // Only that key: its parent and its neighbours stay.
    EXPECT_TRUE(RegValuePresent(HKEY_LOCAL_MACHINE, std::string(kExplorer) + "\\Shell Iconsx", "keep"));
    EXPECT_TRUE(RegValuePresent(HKEY_LOCAL_MACHINE, kExplorer, "keep"));

    EXPECT_EQ(kKeyAbsent, options::DeleteShellIconsKey());
}

}  // namespace
