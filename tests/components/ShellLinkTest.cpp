#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "components/ShellLink.h"
#include "support/Sandbox.h"
#include "support/Shortcuts.h"
#include "ui/Handles.h"

using namespace testing_support;

namespace {

const char kShell32[] = "C:\\windows\\system32\\shell32.dll";

// The message of the error an action raises; "" when it raises none.
std::string ErrorOf(const std::function<void()>& action) try {
    action();
    return "";
} catch (const EVxShellLink& e) {
    return e.Message();
}

ShortcutFields FieldsOf(const TVxShellLink& l) {
    return {l.Description(), l.Target(), l.WorkingDir(), l.Arguments(), l.FileIcon().FileName(),
            l.FileIcon().IconIndex(), l.HotKeyWord()};
}

// Stand-ins for the file calls of a save: the file layer as a refusing folder, a full
// volume or Windows 95/98 would answer. The renames are counted; the one numbered
// g_failingRename fails.
size_t g_renames = 0, g_failingRename = 0;

HANDLE WINAPI RefusingFolder(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
}
BOOL WINAPI FullVolumeRename(LPCSTR, LPCSTR, DWORD) {
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}
BOOL WINAPI NoReplacingRename(LPCSTR, LPCSTR, DWORD) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}
BOOL WINAPI CountedRename(LPCSTR from, LPCSTR to) {
    if (++g_renames != g_failingRename) return MoveFileA(from, to);
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

// The system's file calls back in place when the scope ends, whatever a case replaced.
struct FileCallsScope {
    FileCallsScope() { g_renames = g_failingRename = 0; }
    ~FileCallsScope() { TVxShellLink::Files() = saved; }
    const TVxShellLink::FileCalls saved = TVxShellLink::Files();
};

}  // namespace

TEST(ShellLinkFileName, IsNormalisedAndReRootedUnderTheUsersFolder) {
    const char* const cases[][2] = {
        {"C:\\x\\Foo.LNK", "C:\\x\\Foo.LNK"}, {"C:\\x\\Foo.Lnk", "C:\\x\\Foo.Lnk"}, {"C:\\x\\Foo", "C:\\x\\Foo.lnk"},
        {"C:\\x\\", ""}, {"", ""}, {"C:\\x\\.lnk", ""}, {"a.txt", "a.txt.lnk"}, {"C:\\x.y\\Foo", "C:\\x.y\\Foo.lnk"},
        // 表 and ソ end in 0x5C; their trail bytes are no path separators.
        {"C:\\表\\ソ", "C:\\表\\ソ.lnk"}, {"C:\\x\\表", "C:\\x\\表.lnk"}, {"C:\\x\\a.ソ", "C:\\x\\a.ソ.lnk"},
        {"C:\\表\\ソ.LNK", "C:\\表\\ソ.LNK"}, {"D:ソ", "D:ソ.lnk"},
    };
    TVxShellLink link(nullptr);
    for (const auto& c : cases) {
        link.SetFileName(c[0]);
        EXPECT_EQ(link.FileName(), c[1]) << c[0];
    }
    RegistrySandbox sandbox;
    const char key[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    const std::string desktop = "C:\\users\\表示\\Desktop", startMenu = "C:\\users\\u\\Start Menu";
    ASSERT_TRUE(RegSet(HKEY_CURRENT_USER, key, "Desktop", desktop));
    ASSERT_TRUE(RegSet(HKEY_CURRENT_USER, key, "Start Menu", startMenu));
    link.SetFileName("C:\\design\\");  // as the form description leaves it: emptied
    link.SetShellFolder(sfDesktop);
    EXPECT_EQ(link.FileName(), desktop + "\\");
    link.SetFileName("D:\\表\\ソ");
    EXPECT_EQ(link.FileName(), desktop + "\\ソ.lnk");
    link.SetShellFolder(sfStartMenu);
    EXPECT_EQ(link.FileName(), startMenu + "\\ソ.lnk");
}

// The errors a load and a save raise read from this table.
TEST(ShellLinkMessages, EveryInstanceSwitchesTheTableOfAll) {
    const auto read = [] { return TVxShellLink::Message(TShellLinkMessage::ReadFailed); };
    TVxShellLink a(nullptr), b(nullptr);  // a new instance sets French
    EXPECT_EQ(TVxShellLink::Message(TShellLinkMessage::WriteFailed), "Erreur en \xE9" "criture.");  // é in Latin-1
    b.SetLangType(ltEnglish);
    EXPECT_EQ(read(), "Read error.");
    a.SetLangType(ltFrench);  // the value a already holds still switches the table
    EXPECT_EQ(read(), "Erreur en lecture.");
    b.SetLangType(ltEnglish);
    TVxShellLink c(nullptr);
    EXPECT_EQ(read(), "Erreur en lecture.");
}

TEST(ShellLinkFile, FailedStepsChangeNothingAndLeaveNoComBehind) {
    TempDir dir;
    TVxShellLink link(nullptr);
    link.SetLangType(ltEnglish);
    link.SetTarget("C:\\kept.exe");
    const std::string good = dir / "good.lnk", bad = dir.WriteFile("bad.lnk", "no shortcut at all");
    // On a thread of its own, so that the test's own COM initialisation hides no leak: a
    // thread left in the single-threaded apartment refuses the multithreaded one.
    HRESULT after = E_FAIL;
    std::thread([&] {
        link.SaveToFile(good);
        const std::pair<std::string, const char*> cases[] = {
            {dir / "missing.lnk", ""}, {dir.MakeDir("folder.lnk"), ""}, {bad, "Read error."}, {good, ""},
            {dir.WriteFile("cut.lnk", ReadFileBytes(good).substr(0, 30)), "Read error."},
        };
        for (const auto& c : cases) {
            link.SetFileName(c.first);
            EXPECT_EQ(ErrorOf([&] { link.Load(); }), c.second) << c.first;
            EXPECT_EQ(link.Target(), "C:\\kept.exe");
        }
        EXPECT_EQ(ErrorOf([&] { link.SaveToFile(dir / "missing\\x.lnk"); }), "Write error.");
        EXPECT_EQ(ErrorOf([&] { link.LoadFromFile(dir / std::string(300, 'n')); }), "Read error.");
        after = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(after)) CoUninitialize();
    }).join();
    EXPECT_EQ(after, S_OK);
}

TEST(ShellLinkFile, SaveOverAnExistingShortcutKeepsItsIdList) {
    TempDir dir;
    const std::string file = dir / "panel.lnk";
    // The ID list after the 0x4C-byte header, when flagged at 0x14; its first two bytes give its size.
    const auto idList = [&] {
        const std::string b = ReadFileBytes(file);
        const bool has = b.size() > 0x4E && (b[0x14] & SLDF_HAS_ID_LIST);
        return has ? b.substr(0x4C, 2 + BYTE(b[0x4C]) + 256 * BYTE(b[0x4D])) : std::string();
    };
    // A virtual target (the Control Panel) has no path: setting the path again would wipe the ID list.
    ASSERT_TRUE(WriteShortcut(file, ShortcutFields{}));
    const std::string before = idList();
    ASSERT_FALSE(before.empty());
    TVxShellLink link(nullptr);
    link.LoadFromFile(file);
    EXPECT_EQ(link.Target(), "");
    link.FileIcon().SetFileName(kShell32);
    link.SaveToFile(file);
    EXPECT_EQ(idList(), before);
    EXPECT_EQ(ReadShortcut(file).iconFile, kShell32);
    // A file that is no shortcut is written over from the attributes alone, the empty target too.
    const std::string bad = dir.WriteFile("bad.lnk", "no shortcut at all");
    link.SaveToFile(bad);
    EXPECT_EQ(ReadShortcut(bad), FieldsOf(link));
}

TEST(ShellLinkSave, LongFieldsSurviveAnIconChangeWholeAndEveryShowCommandIsWritten) {
    const auto repeat = [](const std::string& unit, int times) {
        std::string text;
        while (times-- > 0) text += unit;
        return text;
    };
    TempDir dir;
    // 表 and ソ end in 0x5C, which is no separator there: the shortcut's folder and name, its
    // target, working folder and icon file are named with them.
    const std::string folder = dir.Path() + "\\表ソ", file = folder + "\\表.lnk";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ShortcutFields held;
    held.description = repeat("長い説明表ソ", 250);                        // 1,500 characters
    held.target = folder + "\\ソフト表" + std::string(246 - folder.size(), 't') + ".exe";  // 259 bytes, missing
    held.workingDir = "C:\\表\\ソ\\" + std::string(293, 'w');            // 300
    held.arguments = repeat("表ソ a ", 400);                              // 2,000
    held.iconFile = "C:\\表\\ソ.dll";
    held.iconIndex = 2;
    held.hotKey = 0x0646;  // Ctrl+Alt+F
    ASSERT_TRUE(WriteShortcut(file, held));
    ASSERT_EQ(ReadShortcut(file), held);  // the shell's object keeps them whole
    TVxShellLink link(nullptr);
    link.SetFileName(file);
    link.Load();
    EXPECT_EQ(FieldsOf(link), held);
    link.FileIcon().SetFileName("D:\\ソ\\表.icl");
    link.FileIcon().SetIconIndex(9);
    // Without a replacing rename, as on Windows 95 and 98, the shortcut steps aside for the new file
    // (a failure there is the table's below) and new files are renamed into place.
    FileCallsScope calls;
    TVxShellLink::Files().moveFileEx = NoReplacingRename;
    link.Save();
    held.iconFile = link.FileIcon().FileName();
    held.iconIndex = 9;
    EXPECT_EQ(ReadShortcut(file), held);
    // Wine's loader reports show command 1 whatever the file holds, so the bytes written are
    // checked: the show command's 32 bits at offset 0x3C, then the hot key's 16.
    const std::pair<TWindowState, char> states[] = {{wsNormal, 1}, {wsMinimized, 7}, {wsMaximized, 3}};
    for (auto [state, showCmd] : states) {
        link.SetWindowState(state);
        link.SetFileName(folder + "\\" + std::to_string(showCmd));  // a new shortcut, named without its ending
        link.Save();
        EXPECT_EQ(ReadFileBytes(link.FileName()).substr(0x3C, 6), std::string({showCmd, 0, 0, 0, 0x46, 0x06}));
        EXPECT_EQ(ReadShortcut(link.FileName()), held);
    }
    EXPECT_EQ(NamesIn(folder), (std::vector<std::string>{"1.lnk", "3.lnk", "7.lnk", "表.lnk"}));
    EXPECT_EQ(NamesIn(dir.Path()), std::vector<std::string>{"表ソ"});
}

TEST(ShellLinkSave, AFailedSaveLeavesTheShortcutByteForByteAndNothingBehind) {
    // No full volume is made here. What it does to a save, a file the shell's object writes
    // other than it was meant, is what the first cases bring about: their read-back differs.
    // The other failures of the file layer around that write are the stand-ins' of
    // TVxShellLink::Files, or real folders in the way.
    ui::KernelHandle held;
    using Link = TVxShellLink&;
    using File = const std::string&;
    auto& files = TVxShellLink::Files();
    const std::pair<const char*, std::function<void(Link, File)>> cases[] = {
        {"a target the shell's object cannot hold",
         [](Link l, File) { l.SetTarget("C:\\" + std::string(253, 't') + ".exe"); }},
        {"a lead byte with no trail byte", [](Link l, File) { l.SetDescription("表ソ\x81"); }},
        {"a folder in the new file's place",
         [](Link, File f) { CreateDirectoryA(TVxShellLink::NewFileName(f).c_str(), nullptr); }},
        {"a folder that refuses new files", [&](Link, File) { files.createFile = RefusingFolder; }},
        {"a shortcut another program holds open",
         [&](Link, File f) { held.reset(CreateFileA(f.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, 0)); }},
        {"a replacing rename that fails", [&](Link, File) { files.moveFileEx = FullVolumeRename; }},
        {"no replacing rename, and a folder where the shortcut would step aside",
         [&](Link, File f) {
             files.moveFileEx = NoReplacingRename;
             CreateDirectoryA(TVxShellLink::AsideFileName(f).c_str(), nullptr);
         }},
        {"no replacing rename, and the new file cannot take the shortcut's place",
         [&](Link, File) { files = {files.createFile, NoReplacingRename, CountedRename}; g_failingRename = 2; }},
        // Cut to a path, the name would name the shortcut.
        {"a name beyond a path", [](Link l, File f) { l.SetFileName(f + "nnnnn"); }},
    };
    TempDir dir;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const char* what = cases[i].first;
        const std::string folder = dir.MakeDir("case" + std::to_string(i));
        const std::string file = folder + "\\" + std::string(255 - folder.size() - 5, 'n') + ".lnk";
        FileCallsScope calls;
        ASSERT_TRUE(WriteShortcut(file, {"表ソ", kShell32, "", "", "", 0, 0}));
        TVxShellLink link(nullptr);
        link.SetLangType(ltEnglish);
        link.SetFileName(file);
        link.Load();
        link.FileIcon().SetFileName(kShell32);  // the change the save is for
        link.FileIcon().SetIconIndex(4);
        const std::string before = ReadFileBytes(file);
        cases[i].second(link, file);
        const std::vector<std::string> names = NamesIn(folder);
        EXPECT_EQ(ErrorOf([&] { link.Save(); }), "Write error.") << what;
        held.reset();
        EXPECT_EQ(ReadFileBytes(file), before) << what;
        EXPECT_EQ(NamesIn(folder), names) << what;
    }
}
