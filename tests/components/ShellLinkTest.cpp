#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "components/FileIcon.h"
#include "components/ShellLink.h"
#include "support/Sandbox.h"
#include "ui/Handles.h"

using namespace testing_support;

namespace {

const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Offsets in a shortcut file's header.
const size_t kFlagsOffset = 0x14;
const size_t kShowCmdOffset = 0x3C;
const size_t kHotKeyOffset = 0x40;
const size_t kHeaderSize = 0x4C;

DWORD DwordAt(const std::string& bytes, size_t offset) {
    DWORD v = 0;
    if (bytes.size() >= offset + 4) std::memcpy(&v, bytes.data() + offset, 4);
    return v;
}
WORD WordAt(const std::string& bytes, size_t offset) {
    WORD v = 0;
    if (bytes.size() >= offset + 2) std::memcpy(&v, bytes.data() + offset, 2);
    return v;
}

// The ID list section of a shortcut file (empty when the file has none).
std::string IdListBytes(const std::string& file) {
    if (file.size() < kHeaderSize + 2 || !(DwordAt(file, kFlagsOffset) & SLDF_HAS_ID_LIST)) return {};
    return file.substr(kHeaderSize, 2 + WordAt(file, kHeaderSize));
}

// The shell's shortcut object driven directly, to make and inspect files the component does not.
struct RawLink {
    ui::ComScope com;
    ui::ComPtr<IShellLinkA> link;
    ui::ComPtr<IPersistFile> file;
    RawLink() {
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.putVoid());
        if (link) link->QueryInterface(IID_IPersistFile, file.putVoid());
    }
    static std::wstring Wide(const std::string& s) {
        wchar_t buf[1024] = {};
        MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, buf, 1024);
        return buf;
    }
    HRESULT Save(const std::string& name) { return file->Save(Wide(name).c_str(), TRUE); }
    HRESULT Load(const std::string& name) { return file->Load(Wide(name).c_str(), STGM_READ); }
    std::string IdList() {
        ui::CoTaskMemPtr<ITEMIDLIST> pidl;
        if (FAILED(link->GetIDList(pidl.put())) || !pidl.get()) return {};
        return std::string(reinterpret_cast<const char*>(pidl.get()), ILGetSize(pidl.get()));
    }
};

std::string Repeat(char c, size_t n) { return std::string(n, c); }

// Fills every attribute the component carries.
void FillAttributes(TVxShellLink& link, const std::string& target, const std::string& dir) {
    link.SetTarget(target);
    link.SetArguments("/open \"a b\" -x");
    link.SetWorkingDir(dir);
    link.SetDescription("日本語の説明 表ソ");
    link.SetHotKey(0x46 + 0x4000 + 0x8000);  // Ctrl+Alt+F
    link.FileIcon().SetFileName("C:\\windows\\system32\\shell32.dll");
    link.FileIcon().SetIconIndex(4);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// File name normalisation

TEST(ShellLinkFileName, IsNormalised) {
    struct Case {
        const char* assigned;
        const char* expected;
    } cases[] = {
        {"C:\\x\\Foo.LNK", "C:\\x\\Foo.LNK"},
        {"C:\\x\\c.lnk", "C:\\x\\c.lnk"},
        {"C:\\x\\Foo.Lnk", "C:\\x\\Foo.Lnk"},
        {"C:\\x\\Foo", "C:\\x\\Foo.lnk"},
        {"C:\\x\\", ""},
        {"", ""},
        {"C:\\x\\.lnk", ""},
        {"a.txt", "a.txt.lnk"},
        {"b.LNK", "b.LNK"},
        {"C:\\x.y\\Foo", "C:\\x.y\\Foo.lnk"},
        {"D:Foo", "D:Foo.lnk"},
        // 表 and ソ end in 0x5C; their trail bytes are no path separators.
        {"C:\\表\\ソ", "C:\\表\\ソ.lnk"},
        {"C:\\x\\ソ", "C:\\x\\ソ.lnk"},
        {"C:\\x\\表", "C:\\x\\表.lnk"},
        {"C:\\x\\a.ソ", "C:\\x\\a.ソ.lnk"},
        {"C:\\表\\ソ.LNK", "C:\\表\\ソ.LNK"},
        {"D:ソ", "D:ソ.lnk"},
    };
    for (const Case& c : cases) {
        TVxShellLink link(nullptr);
        link.SetFileName(c.assigned);
        EXPECT_EQ(link.FileName(), c.expected) << c.assigned;
    }
}

// ---------------------------------------------------------------------------------------------
// Re-rooting under the user's folders

TEST(ShellLinkShellFolder, EachFolderReadsItsOwnValueName) {
    RegistrySandbox sandbox;
    const struct {
        TShellFolder folder;
        const char* valueName;
    } folders[] = {
        {sfDesktop, "Desktop"},   {sfFavorites, "Favorites"}, {sfFonts, "Fonts"},
        {sfPersonal, "Personal"}, {sfPrograms, "Programs"},   {sfRecent, "Recent"},
        {sfSendTo, "SendTo"},     {sfStartMenu, "Start Menu"}, {sfStartup, "Startup"},
        {sfTemplates, "Templates"},
    };
    for (const auto& f : folders)
        ASSERT_TRUE(RegSet(HKEY_CURRENT_USER, kShellFolders, f.valueName, std::string("C:\\f\\") + f.valueName));
    for (const auto& f : folders) {
        TVxShellLink link(nullptr);
        link.SetFileName("D:\\other\\Foo.lnk");
        link.SetShellFolder(f.folder);
        EXPECT_EQ(link.FileName(), std::string("C:\\f\\") + f.valueName + "\\Foo.lnk") << f.valueName;
    }
    EXPECT_EQ(TVxShellLink::ShellFolderPath(sfNone), "");
}

TEST(ShellLinkShellFolder, DesktopTakesTheNamePartOfEveryAssignment) {
    RegistrySandbox sandbox;
    const std::string desktop = "C:\\users\\表示\\Desktop";
    ASSERT_TRUE(RegSet(HKEY_CURRENT_USER, kShellFolders, "Desktop", desktop));

    TVxShellLink link(nullptr);
    link.SetFileName("C:\\design\\");  // as the form description leaves it: emptied
    EXPECT_EQ(link.FileName(), "");
    link.SetShellFolder(sfDesktop);
    EXPECT_EQ(link.FileName(), desktop + "\\");

    link.SetFileName("D:\\other\\Foo.lnk");
    EXPECT_EQ(link.FileName(), desktop + "\\Foo.lnk");
    link.SetFileName("D:\\other\\Foo.lnk");
    EXPECT_EQ(link.FileName(), desktop + "\\Foo.lnk");
    link.SetFileName("D:\\表\\ソ");
    EXPECT_EQ(link.FileName(), desktop + "\\ソ.lnk");
}

TEST(ShellLinkShellFolder, StartMenuAndBackToNoneKeepsThePath) {
    RegistrySandbox sandbox;
    const std::string startMenu = "C:\\users\\u\\Start Menu";
    ASSERT_TRUE(RegSet(HKEY_CURRENT_USER, kShellFolders, "Start Menu", startMenu));

    TVxShellLink link(nullptr);
    link.SetFileName("C:\\x\\Foo.lnk");
    link.SetShellFolder(sfStartMenu);
    EXPECT_EQ(link.ShellFolder(), sfStartMenu);
    EXPECT_EQ(link.FileName(), startMenu + "\\Foo.lnk");
    link.SetShellFolder(sfNone);
    EXPECT_EQ(link.FileName(), startMenu + "\\Foo.lnk");
    // Without a folder, names are taken as given again.
    link.SetFileName("C:\\y\\Bar");
    EXPECT_EQ(link.FileName(), "C:\\y\\Bar.lnk");
}

TEST(ShellLinkShellFolder, MissingKeyOrValueGivesAnEmptyFolderAndCreatesNothing) {
    RegistrySandbox sandbox;
    TVxShellLink link(nullptr);
    link.SetFileName("C:\\x\\Foo.lnk");
    link.SetShellFolder(sfDesktop);
    EXPECT_EQ(link.FileName(), "\\Foo.lnk");
    EXPECT_FALSE(RegKeyPresent(HKEY_CURRENT_USER, kShellFolders));

    ASSERT_TRUE(RegSet(HKEY_CURRENT_USER, kShellFolders, "Desktop", "C:\\d"));
    link.SetShellFolder(sfFavorites);
    EXPECT_EQ(link.FileName(), "\\Foo.lnk");
}

// ---------------------------------------------------------------------------------------------
// Message table

namespace {
std::string Bytes(std::initializer_list<int> codes) {
    std::string s;
    for (int c : codes) s += static_cast<char>(c);
    return s;
}
std::string ErrorOfLoading(TVxShellLink& link, const std::string& file) {
    try {
        link.LoadFromFile(file);
    } catch (const EVxShellLink& e) {
        return e.Message();
    }
    return "(no error)";
}
}  // namespace

TEST(ShellLinkMessages, FrenchTextsAreLatin1Bytes) {
    TVxShellLink link(nullptr);
    link.SetLangType(ltFrench);
    // "a échoué." and "Erreur en écriture." with é as the single byte 0xE9.
    EXPECT_EQ(TVxShellLink::Message(TShellLinkMessage::CreateFailed),
              "\"CoCreateInstance\" a " + Bytes({0xE9, 'c', 'h', 'o', 'u', 0xE9, '.'}));
    EXPECT_EQ(TVxShellLink::Message(TShellLinkMessage::InterfaceFailed),
              "\"PersistFile QueryInterface\" a " + Bytes({0xE9, 'c', 'h', 'o', 'u', 0xE9, '.'}));
    EXPECT_EQ(TVxShellLink::Message(TShellLinkMessage::WriteFailed),
              "Erreur en " + Bytes({0xE9, 'c', 'r', 'i', 't', 'u', 'r', 'e', '.'}));
    EXPECT_EQ(TVxShellLink::Message(TShellLinkMessage::ReadFailed), "Erreur en lecture.");

    link.SetLangType(ltEnglish);
    EXPECT_EQ(TVxShellLink::Message(TShellLinkMessage::CreateFailed), "\"CoCreateInstance\" failed.");
    EXPECT_EQ(TVxShellLink::Message(TShellLinkMessage::InterfaceFailed), "\"PersistFile QueryInterface\" failed.");
    EXPECT_EQ(TVxShellLink::Message(TShellLinkMessage::WriteFailed), "Write error.");
    EXPECT_EQ(TVxShellLink::Message(TShellLinkMessage::ReadFailed), "Read error.");
}

TEST(ShellLinkMessages, TheLastLanguageAssignedToAnyInstanceWins) {
    TempDir dir;
    const std::string bad = dir.WriteFile("bad.lnk", "not a shortcut");
    TVxShellLink a(nullptr);  // a new instance sets French
    TVxShellLink b(nullptr);
    EXPECT_EQ(a.LangType(), ltFrench);
    EXPECT_EQ(ErrorOfLoading(b, bad), "Erreur en lecture.");

    b.SetLangType(ltEnglish);
    EXPECT_EQ(a.LangType(), ltFrench);
    EXPECT_EQ(ErrorOfLoading(a, bad), "Read error.");

    // a already holds ltFrench; assigning it again still switches the table.
    a.SetLangType(ltFrench);
    EXPECT_EQ(ErrorOfLoading(b, bad), "Erreur en lecture.");

    b.SetLangType(ltEnglish);
    TVxShellLink c(nullptr);
    EXPECT_EQ(ErrorOfLoading(b, bad), "Erreur en lecture.");
}

// ---------------------------------------------------------------------------------------------
// Hot key and window state conversions

TEST(ShellLinkHotKey, ConvertsBetweenToolkitValueAndStoredWord) {
    const struct {
        WORD shortcut;
        WORD stored;
    } cases[] = {
        {0x46 + 0x4000 + 0x8000, 0x0646},  // Ctrl+Alt+F
        {0x41 + 0x2000, 0x0141},           // Shift+A
        {0x70 + 0x2000 + 0x4000 + 0x8000, 0x0770},
        {0x7B, 0x007B},
        {0, 0},
    };
    for (const auto& c : cases) {
        TVxShellLink link(nullptr);
        link.SetHotKey(c.shortcut);
        EXPECT_EQ(link.HotKeyWord(), c.stored) << std::hex << c.shortcut;
        EXPECT_EQ(link.HotKey(), c.shortcut) << std::hex << c.shortcut;
    }
}

// ---------------------------------------------------------------------------------------------
// Reading and writing shortcut files

TEST(ShellLinkFile, EveryAttributeRoundTrips) {
    TempDir dir;
    const std::string target = dir.WriteFile("prog 表.exe", "MZ");
    const std::string file = dir / "round.lnk";
    TVxShellLink writer(nullptr);
    FillAttributes(writer, target, dir.Path());
    writer.SetWindowState(wsMaximized);
    writer.SetFileName(file);
    writer.Save();
    ASSERT_TRUE(FileExistsA(file));

    TVxShellLink reader(nullptr);
    reader.SetFileName(file);
    reader.Load();
    EXPECT_EQ(reader.Target(), target);
    EXPECT_EQ(reader.Arguments(), "/open \"a b\" -x");
    EXPECT_EQ(reader.WorkingDir(), dir.Path());
    EXPECT_EQ(reader.Description(), "日本語の説明 表ソ");
    EXPECT_EQ(reader.HotKeyWord(), 0x0646);
    EXPECT_EQ(reader.HotKey(), 0x46 + 0x4000 + 0x8000);
    EXPECT_EQ(reader.FileIcon().FileName(), "C:\\windows\\system32\\shell32.dll");
    EXPECT_EQ(reader.FileIcon().IconIndex(), 4);
    EXPECT_EQ(reader.FileName(), file);
    EXPECT_EQ(WordAt(ReadFileBytes(file), kHotKeyOffset), 0x0646);
}

TEST(ShellLinkFile, WindowStateIsWrittenAsTheShowCommand) {
    TempDir dir;
    const struct {
        TWindowState state;
        DWORD showCmd;
    } cases[] = {{wsNormal, 1}, {wsMinimized, 7}, {wsMaximized, 3}};
    for (const auto& c : cases) {
        TVxShellLink link(nullptr);
        link.SetTarget("C:\\windows\\notepad.exe");
        link.SetWindowState(c.state);
        const std::string file = dir / "state.lnk";
        link.SaveToFile(file);
        EXPECT_EQ(DwordAt(ReadFileBytes(file), kShowCmdOffset), c.showCmd);
        // Wine's loader reports show command 1 whatever the file holds, so the written value
        // is checked in the file itself rather than by reading it back.
    }
}

TEST(ShellLinkFile, ReadsWhatOtherProgramsWrite) {
    TempDir dir;
    const std::string file = dir / "plain.lnk";
    {
        // No icon location; a hot key with the extended-key flag.
        RawLink raw;
        raw.link->SetPath("C:\\windows\\notepad.exe");
        raw.link->SetHotkey(MAKEWORD(0x46, HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_EXT));
        ASSERT_HRESULT_SUCCEEDED(raw.Save(file));
    }
    TVxShellLink link(nullptr);
    link.FileIcon().SetFileName("C:\\old.ico");
    link.LoadFromFile(file);
    EXPECT_EQ(link.FileIcon().FileName(), "");
    EXPECT_EQ(link.Target(), "C:\\windows\\notepad.exe");
    EXPECT_EQ(link.HotKey(), 0x46 + 0x4000 + 0x8000);
}

TEST(ShellLinkFile, LoadOfMissingFileOrFolderChangesNothing) {
    TempDir dir;
    dir.MakeDir("folder.lnk");
    for (const std::string& name : {dir / "missing.lnk", dir / "folder.lnk"}) {
        TVxShellLink link(nullptr);
        FillAttributes(link, "C:\\t.exe", "C:\\w");
        link.SetWindowState(wsMinimized);
        link.SetFileName(name);
        link.Load();
        EXPECT_EQ(link.Target(), "C:\\t.exe");
        EXPECT_EQ(link.WorkingDir(), "C:\\w");
        EXPECT_EQ(link.Description(), "日本語の説明 表ソ");
        EXPECT_EQ(link.Arguments(), "/open \"a b\" -x");
        EXPECT_EQ(link.HotKeyWord(), 0x0646);
        EXPECT_EQ(link.ShowCmd(), SW_SHOWMINNOACTIVE);
        EXPECT_EQ(link.FileIcon().FileName(), "C:\\windows\\system32\\shell32.dll");
        EXPECT_EQ(link.FileName(), name);
    }
}

TEST(ShellLinkFile, CorruptFileRaisesReadErrorAndChangesNothing) {
    TempDir dir;
    std::string valid;
    {
        TVxShellLink link(nullptr);
        link.SetTarget("C:\\windows\\notepad.exe");
        link.SaveToFile(dir / "valid.lnk");
        valid = ReadFileBytes(dir / "valid.lnk");
    }
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"garbage.lnk", "this is no shortcut at all, just text"},
        {"empty.lnk", ""},
        {"truncated.lnk", valid.substr(0, 30)},
    };
    for (const auto& c : cases) {
        TVxShellLink link(nullptr);
        link.SetLangType(ltEnglish);
        link.SetTarget("C:\\kept.exe");
        link.SetFileName(dir.WriteFile(c.name, c.bytes));
        try {
            link.Load();
            ADD_FAILURE() << c.name << ": no error";
        } catch (const EVxShellLink& e) {
            EXPECT_EQ(e.Message(), "Read error.") << c.name;
        }
        EXPECT_EQ(link.Target(), "C:\\kept.exe") << c.name;
    }
}

TEST(ShellLinkFile, SaveThatCannotWriteRaisesWriteError) {
    TempDir dir;
    TVxShellLink link(nullptr);
    link.SetLangType(ltEnglish);
    link.SetTarget("C:\\windows\\notepad.exe");
    const std::string file = dir / "locked.lnk";
    link.SaveToFile(file);
    const std::string before = ReadFileBytes(file);
    link.SetDescription("changed");

    auto expectWriteError = [&](const std::string& name, const char* what) {
        try {
            link.SaveToFile(name);
            ADD_FAILURE() << what << ": no error";
        } catch (const EVxShellLink& e) {
            EXPECT_EQ(e.Message(), "Write error.") << what;
        }
    };
    {
        // Another program holds the file open without sharing.
        ui::KernelHandle holder(CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_NE(holder.get(), INVALID_HANDLE_VALUE);
        expectWriteError(file, "file in use");
        CloseHandle(holder.release());
    }
    EXPECT_EQ(ReadFileBytes(file), before);
    expectWriteError(dir.MakeDir("folder.lnk"), "folder");
    expectWriteError(dir / "no such folder\\x.lnk", "missing folder");

    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    // Wine keeps the read-only attribute in the Unix mode bits, which a test run as root
    // writes through; check the refusal wherever the platform refuses writing at all.
    HANDLE probe = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        expectWriteError(file, "read-only file");
        EXPECT_EQ(ReadFileBytes(file), before);
    } else {
        CloseHandle(probe);
    }
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(ShellLinkFile, SaveOverVirtualTargetKeepsItsIdList) {
    TempDir dir;
    const std::string file = dir / "panel.lnk";
    std::string idList;
    {
        RawLink raw;
        ui::CoTaskMemPtr<ITEMIDLIST> pidl;
        ASSERT_HRESULT_SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_CONTROLS, pidl.put()));
        raw.link->SetIDList(pidl.get());
        raw.link->SetDescription("panel");
        ASSERT_HRESULT_SUCCEEDED(raw.Save(file));
        idList = raw.IdList();
    }
    ASSERT_FALSE(idList.empty());
    const std::string before = IdListBytes(ReadFileBytes(file));
    ASSERT_FALSE(before.empty());

    TVxShellLink link(nullptr);
    link.SetFileName(file);
    link.Load();
    EXPECT_EQ(link.Target(), "");  // no file-system path
    EXPECT_EQ(link.Description(), "panel");
    link.FileIcon().SetFileName("C:\\windows\\system32\\shell32.dll");
    link.FileIcon().SetIconIndex(21);
    link.Save();

    EXPECT_EQ(IdListBytes(ReadFileBytes(file)), before);
    RawLink raw;
    ASSERT_HRESULT_SUCCEEDED(raw.Load(file));
    EXPECT_EQ(raw.IdList(), idList);
    char icon[MAX_PATH] = {};
    int index = 0;
    raw.link->GetIconLocation(icon, MAX_PATH, &index);
    EXPECT_STREQ(icon, "C:\\windows\\system32\\shell32.dll");
    EXPECT_EQ(index, 21);
}

TEST(ShellLinkFile, SaveKeepsAnAdvertisedShortcutsDarwinBlock) {
    TempDir dir;
    const std::string file = dir / "darwin.lnk";
    {
        TVxShellLink link(nullptr);
        link.SetDescription("advertised");
        link.SaveToFile(file);
    }
    // Add an EXP_DARWIN_LINK block (size, signature, 260 ANSI and 260 wide characters) in
    // front of the terminating empty block, and flag it in the header.
    std::string bytes = ReadFileBytes(file);
    ASSERT_GE(bytes.size(), kHeaderSize + 4);
    const std::string id = "[Darwin]ProductCode>Feature<Component";
    std::string block(0x314, '\0');
    DWORD size = 0x314, signature = EXP_DARWIN_ID_SIG;
    std::memcpy(&block[0], &size, 4);
    std::memcpy(&block[4], &signature, 4);
    std::memcpy(&block[8], id.data(), id.size());
    for (size_t i = 0; i < id.size(); ++i) block[8 + 260 + 2 * i] = id[i];
    bytes.insert(bytes.size() - 4, block);
    DWORD flags = DwordAt(bytes, kFlagsOffset) | SLDF_HAS_DARWINID;
    std::memcpy(&bytes[kFlagsOffset], &flags, 4);
    dir.WriteFile("darwin.lnk", bytes);

    TVxShellLink link(nullptr);
    link.LoadFromFile(file);
    EXPECT_EQ(link.Description(), "advertised");
    link.FileIcon().SetFileName("C:\\windows\\system32\\shell32.dll");
    link.SaveToFile(file);

    const std::string after = ReadFileBytes(file);
    EXPECT_NE(after.find(block), std::string::npos);
    EXPECT_TRUE(DwordAt(after, kFlagsOffset) & SLDF_HAS_DARWINID);
    TVxShellLink reader(nullptr);
    reader.LoadFromFile(file);
    EXPECT_EQ(reader.FileIcon().FileName(), "C:\\windows\\system32\\shell32.dll");
}

TEST(ShellLinkFile, SaveOverFileTargetKeepsTheStoredIdList) {
    TempDir dir;
    const std::string target = dir.WriteFile("app 表.exe", Repeat('x', 5000));
    const std::string file = dir / "app.lnk";
    {
        // An ID list carrying the target's find data (size, times), as the shell's own
        // shortcuts do; setting the path again would rebuild it without them.
        RawLink raw;
        ui::CoTaskMemPtr<ITEMIDLIST> pidl(ILCreateFromPathA(target.c_str()));
        ASSERT_NE(pidl.get(), nullptr);
        ASSERT_HRESULT_SUCCEEDED(raw.link->SetIDList(pidl.get()));
        ASSERT_HRESULT_SUCCEEDED(raw.Save(file));
    }
    const std::string before = IdListBytes(ReadFileBytes(file));
    ASSERT_FALSE(before.empty());
    // The target goes away (an unplugged drive, say): the shortcut still names it.
    ASSERT_TRUE(DeleteFileA(target.c_str()));

    TVxShellLink link(nullptr);
    link.LoadFromFile(file);
    EXPECT_EQ(link.Target(), target);
    link.SetArguments("-new");
    link.SaveToFile(file);
    EXPECT_EQ(IdListBytes(ReadFileBytes(file)), before);

    // A new target replaces it.
    const std::string other = dir.WriteFile("other.exe", "MZ");
    link.SetTarget(other);
    link.SaveToFile(file);
    TVxShellLink reader(nullptr);
    reader.LoadFromFile(file);
    EXPECT_EQ(reader.Target(), other);
    EXPECT_EQ(reader.Arguments(), "-new");
}

TEST(ShellLinkFile, UnreadableFileIsOverwrittenFromTheAttributes) {
    TempDir dir;
    const std::string file = dir.WriteFile("junk.lnk", "junk junk junk");
    TVxShellLink link(nullptr);
    link.SetTarget("C:\\windows\\notepad.exe");
    link.SetDescription("fresh");
    link.SaveToFile(file);
    TVxShellLink reader(nullptr);
    reader.LoadFromFile(file);
    EXPECT_EQ(reader.Target(), "C:\\windows\\notepad.exe");
    EXPECT_EQ(reader.Description(), "fresh");
}

TEST(ShellLinkFile, LongStringsAreWrittenWholeOrRefused) {
    TempDir dir;
    const std::string file = dir / "long.lnk";
    // A missing target is still written; pad the name so the whole path has 259 bytes.
    const std::string base = dir.Path() + "\\";
    const std::string target = base + Repeat('t', TVxShellLink::kMaxPathText - base.size() - 4) + ".exe";
    ASSERT_EQ(target.size(), 259u);
    const std::string description = Repeat('d', 700) + "表";

    TVxShellLink link(nullptr);
    link.SetLangType(ltEnglish);
    link.SetTarget(target);
    link.SetDescription(description);
    link.SetArguments(Repeat('a', 600));
    link.SaveToFile(file);
    TVxShellLink reader(nullptr);
    reader.LoadFromFile(file);
    EXPECT_EQ(reader.Target(), target);
    EXPECT_EQ(reader.Description(), description);
    EXPECT_EQ(reader.Arguments(), Repeat('a', 600));

    // Too long for the object: refused, the file on disk stays as it was.
    const std::string before = ReadFileBytes(file);
    const struct {
        const char* what;
        void (*spoil)(TVxShellLink&);
    } cases[] = {
        {"target", [](TVxShellLink& l) { l.SetTarget("C:\\" + Repeat('t', 257)); }},
        {"working dir", [](TVxShellLink& l) { l.SetWorkingDir("C:\\" + Repeat('w', 257)); }},
        {"icon file", [](TVxShellLink& l) { l.FileIcon().SetFileName("C:\\" + Repeat('i', 257)); }},
        {"description", [](TVxShellLink& l) { l.SetDescription(Repeat('d', 1024)); }},
        {"arguments", [](TVxShellLink& l) { l.SetArguments(Repeat('a', 1024)); }},
    };
    for (const auto& c : cases) {
        TVxShellLink spoilt(nullptr);
        spoilt.SetLangType(ltEnglish);
        spoilt.LoadFromFile(file);
        c.spoil(spoilt);
        try {
            spoilt.SaveToFile(file);
            ADD_FAILURE() << c.what << ": no error";
        } catch (const EVxShellLink& e) {
            EXPECT_EQ(e.Message(), "Write error.") << c.what;
        }
        EXPECT_EQ(ReadFileBytes(file), before) << c.what;
    }
}

TEST(ShellLinkFile, ShortcutNamesAreUsedWholeOrRefused) {
    TempDir dir;
    // A shortcut whose name is the first 255 bytes of a longer name must never be read or
    // overwritten through that longer name.
    const std::string base = dir.Path() + "\\";
    const std::string shortName = base + Repeat('n', 255 - base.size());
    ASSERT_EQ(shortName.size(), 255u);
    TVxShellLink link(nullptr);
    link.SetLangType(ltEnglish);
    link.SetTarget("C:\\windows\\notepad.exe");
    link.SaveToFile(shortName);
    ASSERT_TRUE(FileExistsA(shortName));
    const std::string before = ReadFileBytes(shortName);
    link.SetDescription("other");

    // 258 bytes fit the conversion: a file of that very name.
    const std::string fitting = shortName + "abc";
    EXPECT_EQ(ErrorOfLoading(link, fitting), "Read error.");
    link.SaveToFile(fitting);
    EXPECT_TRUE(FileExistsA(fitting));
    EXPECT_EQ(ReadFileBytes(shortName), before);
    EXPECT_EQ(ErrorOfLoading(link, fitting), "(no error)");

    // 260 bytes and more do not: refused both ways.
    for (size_t extra : {5u, 40u}) {
        const std::string tooLong = shortName + Repeat('n', extra);
        EXPECT_EQ(ErrorOfLoading(link, tooLong), "Read error.") << extra;
        try {
            link.SaveToFile(tooLong);
            ADD_FAILURE() << extra << ": no error";
        } catch (const EVxShellLink& e) {
            EXPECT_EQ(e.Message(), "Write error.") << extra;
        }
        EXPECT_EQ(ReadFileBytes(shortName), before) << extra;
    }
}

TEST(ShellLinkFile, ComIsUninitialisedAfterSuccessAndFailure) {
    TempDir dir;
    const std::string bad = dir.WriteFile("bad.lnk", "garbage");
    const std::string good = dir / "good.lnk";
    // On a thread of its own, so that the test's own COM initialisation does not hide a leak:
    // a thread left in the single-threaded apartment refuses the multithreaded one.
    auto check = [&](auto action) {
        HRESULT after = E_FAIL;
        std::thread t([&] {
            try {
                action();
            } catch (const EVxShellLink&) {
            }
            after = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            if (SUCCEEDED(after)) CoUninitialize();
        });
        t.join();
        return after;
    };
    TVxShellLink link(nullptr);
    link.SetTarget("C:\\windows\\notepad.exe");
    EXPECT_EQ(check([&] { link.SaveToFile(good); }), S_OK);
    EXPECT_EQ(check([&] { link.LoadFromFile(good); }), S_OK);
    EXPECT_EQ(check([&] { link.LoadFromFile(bad); }), S_OK);
    EXPECT_EQ(check([&] { link.SaveToFile(dir / "missing\\x.lnk"); }), S_OK);
    EXPECT_EQ(check([&] { link.LoadFromFile(dir / Repeat('n', 300)); }), S_OK);
}
