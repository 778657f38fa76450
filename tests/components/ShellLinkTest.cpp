#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
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

DWORD DwordAt(const std::string& bytes, size_t offset) {
    DWORD v = 0;
    if (bytes.size() >= offset + 4) std::memcpy(&v, bytes.data() + offset, 4);
    return v;
}

// The message of the error an action raises; "" when it raises none.
std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EVxShellLink& e) {
        return e.Message();
    }
    return "";
}

}  // namespace

TEST(ShellLinkFileName, IsNormalised) {
    const char* const cases[][2] = {
        {"C:\\x\\Foo.LNK", "C:\\x\\Foo.LNK"}, {"C:\\x\\Foo.Lnk", "C:\\x\\Foo.Lnk"}, {"C:\\x\\Foo", "C:\\x\\Foo.lnk"},
        {"C:\\x\\", ""}, {"", ""}, {"C:\\x\\.lnk", ""}, {"a.txt", "a.txt.lnk"}, {"C:\\x.y\\Foo", "C:\\x.y\\Foo.lnk"},
        // 表 and ソ end in 0x5C; their trail bytes are no path separators.
        {"C:\\表\\ソ", "C:\\表\\ソ.lnk"}, {"C:\\x\\表", "C:\\x\\表.lnk"}, {"C:\\x\\a.ソ", "C:\\x\\a.ソ.lnk"},
        {"C:\\表\\ソ.LNK", "C:\\表\\ソ.LNK"}, {"D:ソ", "D:ソ.lnk"},
    };
    for (const auto& c : cases) {
        TVxShellLink link(nullptr);
        link.SetFileName(c[0]);
        EXPECT_EQ(link.FileName(), c[1]) << c[0];
    }
}

TEST(ShellLinkShellFolder, NamesAreReRootedUnderTheUsersFolder) {
    RegistrySandbox sandbox;
    const char key[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    const std::string desktop = "C:\\users\\表示\\Desktop", startMenu = "C:\\users\\u\\Start Menu";
    ASSERT_TRUE(RegSet(HKEY_CURRENT_USER, key, "Desktop", desktop));
    ASSERT_TRUE(RegSet(HKEY_CURRENT_USER, key, "Start Menu", startMenu));
    TVxShellLink link(nullptr);
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
    EXPECT_EQ(TVxShellLink::Message(TShellLinkMessage::CreateFailed), "\"CoCreateInstance\" a " + e + "chou" + e + ".");
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
    const std::pair<TWindowState, DWORD> states[] = {{wsNormal, 1}, {wsMinimized, 7}, {wsMaximized, 3}};
    for (auto [state, showCmd] : states) {
        writer.SetWindowState(state);
        writer.SetFileName(dir / ("round" + std::to_string(showCmd)));
        writer.Save();
        // Wine's loader reports show command 1 whatever the file holds: check the byte written.
        const std::string bytes = ReadFileBytes(writer.FileName());
        EXPECT_EQ(DwordAt(bytes, 0x3C), showCmd);
        EXPECT_EQ(LOWORD(DwordAt(bytes, 0x40)), 0x0646);
        reader.SetFileName(writer.FileName());
        reader.Load();
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
            {dir / "missing.lnk", ""}, {dir.MakeDir("folder.lnk"), ""}, {bad, "Read error."},
            {dir.WriteFile("empty.lnk", ""), "Read error."},
            {dir.WriteFile("cut.lnk", ReadFileBytes(good).substr(0, 30)), "Read error."}, {good, ""},
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
    const std::string target = dir.WriteFile("app 表.exe", std::string(5000, 'x')), file = dir / "kept.lnk";
    const std::wstring wideFile(file.begin(), file.end());  // the temporary folder's name is ASCII
    // The ID list after the 0x4C-byte header, when flagged at 0x14.
    const auto idList = [&] {
        const std::string bytes = ReadFileBytes(file);
        return DwordAt(bytes, 0x14) & SLDF_HAS_ID_LIST ? bytes.substr(0x4C, 2 + LOWORD(DwordAt(bytes, 0x4C))) : "";
    };
    // A virtual target (no path), and a file target whose ID list carries its find data (size,
    // times) as the shell's own shortcuts do: setting the path again would rebuild either.
    ui::CoTaskMemPtr<ITEMIDLIST> panel, app(ILCreateFromPathA(target.c_str()));
    ASSERT_HRESULT_SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_CONTROLS, panel.put()));
    for (const ITEMIDLIST* pidl : {panel.get(), app.get()}) {
        {
            ui::ComScope com;
            ui::ComPtr<IShellLinkA> raw;
            ui::ComPtr<IPersistFile> persist;
            CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, raw.putVoid());
            raw->QueryInterface(IID_IPersistFile, persist.putVoid());
            ASSERT_HRESULT_SUCCEEDED(raw->SetIDList(pidl));
            ASSERT_HRESULT_SUCCEEDED(persist->Save(wideFile.c_str(), TRUE));
        }
        const std::string before = idList();
        ASSERT_FALSE(before.empty());
        DeleteFileA(target.c_str());  // an unplugged drive, say: the shortcut still names it
        TVxShellLink link(nullptr);
        link.LoadFromFile(file);
        EXPECT_EQ(link.Target(), pidl == app.get() ? target : "");
        link.FileIcon().SetFileName(kShell32);
        link.SaveToFile(file);
        EXPECT_EQ(idList(), before);
        link.FileIcon().SetFileName("");
        link.LoadFromFile(file);
        EXPECT_EQ(link.FileIcon().FileName(), kShell32);
    }
}

TEST(ShellLinkFile, ARefusedSaveLeavesTheFileAlone) {
    TempDir dir;
    const std::string base = dir.Path() + "\\", file = base + std::string(255 - base.size() - 4, 'n') + ".lnk";
    TVxShellLink link(nullptr);
    link.SetLangType(ltEnglish);
    link.SetDescription("表ソ");
    link.SaveToFile(file);
    // Refused: text too long for the shortcut object, a file another program holds open
    // without sharing, a folder, and names too long for a path (cut, they would name `file`).
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
        [&](TVxShellLink& l) { l.SetFileName(dir.MakeDir("folder.lnk")); },
        [&](TVxShellLink& l) { l.SetFileName(file + "nnnnn"); },
        [&](TVxShellLink& l) { l.SetFileName(file + std::string(40, 'n')); },
    };
    for (size_t i = 0; i < std::size(spoil); ++i) {
        link.SetFileName(file);
        link.Load();
        spoil[i](link);
        EXPECT_EQ(ErrorOf([&] { link.Save(); }), "Write error.") << i;
        held.reset();
        EXPECT_EQ(ReadFileBytes(file), before) << i;
    }
    for (size_t extra : {5u, 40u})  // loading is refused too
        EXPECT_EQ(ErrorOf([&] { link.LoadFromFile(file + std::string(extra, 'n')); }), "Read error.") << extra;
    // 258 bytes still fit: a file of that very name.
    EXPECT_EQ(ErrorOf([&] { link.LoadFromFile(file + "abc"); }), "Read error.");
    link.SaveToFile(file + "abc");
    EXPECT_EQ(ErrorOf([&] { link.LoadFromFile(file + "abc"); }), "");
}

