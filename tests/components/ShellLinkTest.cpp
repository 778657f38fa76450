#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <tuple>

#include "components/ShellLink.h"
#include "support/Sandbox.h"
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

TEST(ShellLinkMessages, EveryInstanceSwitchesTheTableOfAll) {
    TempDir dir;
    const std::string bad = dir.WriteFile("bad.lnk", "not a shortcut"), e(1, '\xE9');  // é in Latin-1
    TVxShellLink a(nullptr), b(nullptr);  // a new instance sets French
    EXPECT_EQ(TVxShellLink::Message(TShellLinkMessage::WriteFailed), "Erreur en " + e + "criture.");
    EXPECT_EQ(ErrorOf([&] { b.LoadFromFile(bad); }), "Erreur en lecture.");
    b.SetLangType(ltEnglish);
    EXPECT_EQ(ErrorOf([&] { a.LoadFromFile(bad); }), "Read error.");
    a.SetLangType(ltFrench);  // the value a already holds still switches the table
    EXPECT_EQ(ErrorOf([&] { b.LoadFromFile(bad); }), "Erreur en lecture.");
    b.SetLangType(ltEnglish);
    TVxShellLink c(nullptr);
    EXPECT_EQ(ErrorOf([&] { b.LoadFromFile(bad); }), "Erreur en lecture.");
}

TEST(ShellLinkFile, EveryAttributeRoundTripsWholeAndTheShowCommandIsWritten) {
    TempDir dir;
    const auto attributes = [](const TVxShellLink& l) {
        return std::make_tuple(l.Target(), l.Arguments(), l.WorkingDir(), l.Description(), l.HotKeyWord(),
                               l.FileIcon().FileName(), l.FileIcon().IconIndex());
    };
    // A missing target is still written; padded so that the whole path has 259 bytes.
    const std::string base = dir.Path() + "\\", target = base + std::string(259 - base.size() - 4, 't') + ".exe";
    TVxShellLink writer(nullptr), reader(nullptr);
    writer.SetTarget(target);
    writer.SetArguments("/open \"a b\" " + std::string(600, 'a'));
    writer.SetWorkingDir(dir.Path());
    writer.SetDescription("日本語の説明 表ソ" + std::string(700, 'd'));
    writer.SetHotKey(0x46 + 0x4000 + 0x8000);  // Ctrl+Alt+F
    writer.FileIcon().SetFileName(kShell32);
    writer.FileIcon().SetIconIndex(4);
    const std::pair<TWindowState, char> states[] = {{wsNormal, 1}, {wsMinimized, 7}, {wsMaximized, 3}};
    for (auto [state, showCmd] : states) {
        writer.SetWindowState(state);
        writer.SetFileName(dir / ("round" + std::to_string(showCmd)));
        writer.Save();
        // Wine's loader reports show command 1 whatever the file holds, so the bytes written are
        // checked: the show command's 32 bits at offset 0x3C, then the hot key's 16.
        EXPECT_EQ(ReadFileBytes(writer.FileName()).substr(0x3C, 6), std::string({showCmd, 0, 0, 0, 0x46, 0x06}));
        reader.LoadFromFile(writer.FileName());
        EXPECT_EQ(attributes(reader), attributes(writer));
    }
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
    {
        // A virtual target has no path: setting the path again would wipe the ID list.
        ui::ComScope com;
        ui::ComPtr<IShellLinkA> raw;
        ui::ComPtr<IPersistFile> persist;
        ui::CoTaskMemPtr<ITEMIDLIST> panel;
        ASSERT_HRESULT_SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_CONTROLS, panel.put()));
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, raw.putVoid());
        raw->QueryInterface(IID_IPersistFile, persist.putVoid());
        ASSERT_HRESULT_SUCCEEDED(raw->SetIDList(panel.get()));
        const std::wstring wideFile(file.begin(), file.end());  // the temporary folder's name is ASCII
        ASSERT_HRESULT_SUCCEEDED(persist->Save(wideFile.c_str(), TRUE));
    }
    const std::string before = idList();
    ASSERT_FALSE(before.empty());
    TVxShellLink link(nullptr);
    link.LoadFromFile(file);
    EXPECT_EQ(link.Target(), "");
    link.FileIcon().SetFileName(kShell32);
    link.SaveToFile(file);
    EXPECT_EQ(idList(), before);
    link.FileIcon().SetFileName("");
    link.LoadFromFile(file);
    EXPECT_EQ(link.FileIcon().FileName(), kShell32);
}

TEST(ShellLinkFile, ARefusedSaveLeavesTheFileAlone) {
    TempDir dir;
    const std::string base = dir.Path() + "\\", file = base + std::string(255 - base.size() - 4, 'n') + ".lnk";
    TVxShellLink link(nullptr);
    link.SetLangType(ltEnglish);
    link.SetDescription("表ソ");
    link.SaveToFile(file);
    // Refused: text too long for the shortcut object, a file another program holds open
    // without sharing, and names too long for a path (cut, they would name `file`).
    const std::string before = ReadFileBytes(file), tooLong = "C:\\" + std::string(257, 'x');
    ui::KernelHandle held;
    const std::function<void(TVxShellLink&)> spoil[] = {
        [&](TVxShellLink& l) { l.SetTarget(tooLong); },
        [&](TVxShellLink& l) { l.SetWorkingDir(tooLong); },
        [&](TVxShellLink& l) { l.FileIcon().SetFileName(tooLong); },
        [](TVxShellLink& l) { l.SetDescription(std::string(1024, 'd')); },
        [](TVxShellLink& l) { l.SetArguments(std::string(1024, 'a')); },
        [&](TVxShellLink&) {
            held.reset(CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        },
        [&](TVxShellLink& l) { l.SetFileName(file + "nnnnn"); },
    };
    for (size_t i = 0; i < std::size(spoil); ++i) {
        link.SetFileName(file);
        link.Load();
        spoil[i](link);
        EXPECT_EQ(ErrorOf([&] { link.Save(); }), "Write error.") << i;
        held.reset();
        EXPECT_EQ(ReadFileBytes(file), before) << i;
    }
    EXPECT_EQ(ErrorOf([&] { link.LoadFromFile(file + "nnnnn"); }), "Read error.");  // loading is refused too
    // 258 bytes still fit: a file of that very name.
    link.SaveToFile(file + "abc");
    EXPECT_EQ(ErrorOf([&] { link.LoadFromFile(file + "abc"); }), "");
}

