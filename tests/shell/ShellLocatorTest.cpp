// Folder locators: when they report a change, when two are equal, assignment, the special
// folder's list, and the stored "Pidl" bytes.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "shell/ShellLocator.h"
#include "shell/ShellTesting.h"
#include "support/Sandbox.h"

using namespace shell;
using namespace shell_testing;
using testing_support::TempDir;

namespace {

// Counts its change step: the step is the one subclasses override.
class CountingLocator : public TPTShellLocator {
public:
    int changes = 0;

protected:
    void Changed() override {
        ++changes;
        TPTShellLocator::Changed();
    }
};

std::string Stored(LPCITEMIDLIST list) {
    const std::string bytes = BytesOf(list);
    const size_t n = bytes.size();
    return std::string(1, '\0') + std::string{char(n & 0xFF), char((n >> 8) & 0xFF), char(n >> 16), char(n >> 24)} +
           bytes;
}

TEST(ShellLocator, ChangesAreReportedOnlyWhenKindFolderOrListDiffer) {
    TempDir dir;
    dir.MakeDir("a");
    dir.MakeDir("b");
    const IdList a = ListOf(dir / "a"), aAgain = ListOf(dir / "a"), b = ListOf(dir / "b");
    const std::string desktop = Terminated("");
    CountingLocator locator;
    int events = 0;
    locator.OnChange = [&](TPTShellLocator* sender) {
        EXPECT_EQ(sender, &locator);
        ++events;
    };
    const struct {
        const char* step;
        std::function<void()> act;
        int changes;
        TPTLocatorKind kind;
    } steps[] = {
        {"start menu", [&] { locator.SetSpecialFolder(CSIDL_STARTMENU); }, 1, lkSpecialFolder},
        {"start menu again", [&] { locator.SetSpecialFolder(CSIDL_STARTMENU); }, 0, lkSpecialFolder},
        {"common start menu", [&] { locator.SetSpecialFolder(CSIDL_COMMON_STARTMENU); }, 1, lkSpecialFolder},
        {"a list", [&] { locator.SetIdList(a.get()); }, 1, lkIdList},
        {"the same list again", [&] { locator.SetIdList(aAgain.get()); }, 0, lkIdList},
        {"another list", [&] { locator.SetIdList(b.get()); }, 1, lkIdList},
        {"the empty list", [&] { locator.SetIdList(AsList(desktop)); }, 1, lkIdList},
        {"none after the empty list", [&] { locator.SetIdList(nullptr); }, 0, lkIdList},
        {"clear", [&] { locator.Clear(); }, 0, lkIdList},
        {"a list after none", [&] { locator.SetIdList(a.get()); }, 1, lkIdList},
        {"the desktop folder", [&] { locator.SetSpecialFolder(CSIDL_DESKTOP); }, 1, lkSpecialFolder},
        {"clear a special folder", [&] { locator.Clear(); }, 1, lkIdList},
    };
    for (const auto& s : steps) {
        const int before = locator.changes;
        s.act();
        EXPECT_EQ(locator.changes - before, s.changes) << s.step;
        EXPECT_EQ(locator.Kind(), s.kind) << s.step;
    }
    EXPECT_EQ(events, locator.changes);
    EXPECT_EQ(locator.GetIdList(), nullptr);
    // The list is the locator's own copy.
    locator.SetIdList(a.get());
    EXPECT_NE(locator.GetIdList(), a.get());
    EXPECT_EQ(BytesOf(locator.GetIdList()), BytesOf(a.get()));
    EXPECT_EQ(locator.GetPath(), dir / "a");
}

TEST(ShellLocator, EqualityAndAssignmentCopyTheKindAndTheListOrFolder) {
    TempDir dir;
    dir.MakeDir("a");
    dir.MakeDir("b");
    const IdList a = ListOf(dir / "a"), b = ListOf(dir / "b");
    TPTShellLocator startMenu, startMenu2, common, byListA, byListA2, byListB, desktopByList, desktopFolder;
    startMenu.SetSpecialFolder(CSIDL_STARTMENU);
    startMenu2.SetSpecialFolder(CSIDL_STARTMENU);
    common.SetSpecialFolder(CSIDL_COMMON_STARTMENU);
    byListA.SetIdList(a.get());
    byListA2.SetIdList(ListOf(dir / "a").get());
    byListB.SetIdList(b.get());
    desktopFolder.SetSpecialFolder(CSIDL_DESKTOP);
    // The Start menu by its list is still another kind of locator than the special folder.
    TPTShellLocator startMenuByList;
    startMenuByList.SetIdList(startMenu.GetIdList());
    const struct {
        const TPTShellLocator *x, *y;
        bool equal;
    } pairs[] = {{&startMenu, &startMenu2, true},      {&startMenu, &common, false},
                 {&byListA, &byListA2, true},          {&byListA, &byListB, false},
                 {&desktopByList, &desktopFolder, false}, {&startMenu, &startMenuByList, false},
                 {&byListA, &desktopByList, false},    {&byListA, &byListA, true},
                 {&startMenu, nullptr, false}};
    for (const auto& p : pairs) {
        EXPECT_EQ(p.x->Equals(p.y), p.equal) << (&p - pairs);
        if (p.y) {
            EXPECT_EQ(p.y->Equals(p.x), p.equal) << (&p - pairs);
        }
    }

    CountingLocator target;
    target.SetSpecialFolder(CSIDL_STARTMENU);
    const struct {
        const char* step;
        const TPTShellLocator* source;
        int changes;
    } assignments[] = {{"another folder", &common, 1},   {"the same folder", &common, 0},
                       {"a list", &byListA, 1},         {"an equal list", &byListA2, 0},
                       {"none", nullptr, 1},            {"none again", nullptr, 0},
                       {"a folder after none", &startMenu, 1}, {"itself", &target, 0}};
    for (const auto& s : assignments) {
        const int before = target.changes;
        target.Assign(s.source);
        EXPECT_EQ(target.changes - before, s.changes) << s.step;
        if (s.source) {
            EXPECT_TRUE(target.Equals(s.source)) << s.step;
        }
    }
    EXPECT_EQ(target.SpecialFolder(), CSIDL_STARTMENU);
    TPTShellLocator copy;
    copy.Assign(&byListB);
    EXPECT_NE(copy.GetIdList(), byListB.GetIdList()) << "a copy of the list, not the same";
    byListB.SetIdList(a.get());
    EXPECT_EQ(copy.GetPath(), dir / "b");
}

TEST(ShellLocator, ASpecialFolderIsLookedUpOnceUntilItChanges) {
    TPTShellLocator locator;
    locator.SetSpecialFolder(CSIDL_STARTMENU);
    IdList expected;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_STARTMENU, expected.put()), S_OK);
    LPCITEMIDLIST first = locator.GetIdList();
    EXPECT_EQ(CompareAbsIdLists(first, expected.get()), 0);
    EXPECT_EQ(locator.GetIdList(), first) << "kept";
    char path[MAX_PATH] = {};
    SHGetPathFromIDListA(expected.get(), path);
    EXPECT_EQ(locator.GetPath(), path);
    locator.SetSpecialFolder(CSIDL_CONTROLS);
    EXPECT_NE(locator.GetIdList(), nullptr);
    EXPECT_EQ(locator.GetPath(), "") << "a virtual folder has no path";
    locator.SetSpecialFolder(CSIDL_DESKTOP);
    EXPECT_EQ(IdListCount(locator.GetIdList()), 0);
}

TEST(ShellLocator, StoredPidlBytesReadBackAndBadOnesAreRefused) {
    TempDir dir;
    const IdList a = ListOf(dir.Path());
    const std::string list = BytesOf(a.get());
    const std::string item = Terminated(Item("xy"));
    const struct {
        std::string bytes;
        TPTLocatorKind kind;
        BYTE folder;
        std::string list;  // bytes of the held list after reading
        std::string stored;  // what is written back
    } cases[] = {
        {std::string("\x01\x0B", 2), lkSpecialFolder, CSIDL_STARTMENU, "", std::string("\x01\x0B", 2)},
        {std::string("\x00\x00\x00\x00\x00", 5), lkSpecialFolder, CSIDL_DESKTOP, "", std::string("\x01\x00", 2)},
        {std::string("\x00\xFF\xFF\xFF\xFF", 5), lkSpecialFolder, CSIDL_DESKTOP, "", std::string("\x01\x00", 2)},
        {Stored(a.get()), lkIdList, 0, list, Stored(a.get())},
        {Stored(AsList(item)), lkIdList, 0, item, Stored(AsList(item))},
        {Stored(AsList(Terminated(""))), lkIdList, 0, "", ""},  // the desktop by its list is not stored
        // Kinds above 1 are special folders too.
        {std::string("\x02\x16", 2), lkSpecialFolder, CSIDL_COMMON_STARTMENU, "", std::string("\x01\x16", 2)},
    };
    // Ending too early, running on, or a list not ended inside its length.
    const std::string refused[] = {
        "", std::string("\x01", 1), std::string("\x01\x0B\x00", 3), std::string("\x00", 1),
        std::string("\x00\x06\x00\x00", 4), Stored(a.get()).substr(0, 5 + list.size() - 1), Stored(a.get()) + "z",
        std::string("\x00\x04\x00\x00\x00\x06\x00xy", 9), std::string("\x00\x04\x00\x00\x00\x01\x00\x00\x00", 9),
        std::string("\x00\x01\x00\x00\x00\x00", 6), std::string("\x00\x00\x00\x00\x00\x00", 6),
    };
    for (const std::string& bytes : refused) {
        CountingLocator locator;
        locator.SetSpecialFolder(CSIDL_CONTROLS);
        EXPECT_FALSE(locator.ReadPidl(bytes)) << (&bytes - refused);
        EXPECT_EQ(std::make_pair(locator.Kind(), locator.SpecialFolder()),
                  std::make_pair(lkSpecialFolder, BYTE(CSIDL_CONTROLS)))
            << "unchanged " << (&bytes - refused);
        EXPECT_EQ(locator.changes, 1);
    }
    for (const auto& c : cases) {
        CountingLocator locator;
        locator.SetSpecialFolder(CSIDL_CONTROLS);
        const int before = locator.changes;
        EXPECT_TRUE(locator.ReadPidl(c.bytes)) << (&c - cases);
        EXPECT_EQ(locator.Kind(), c.kind) << (&c - cases);
        if (c.kind == lkSpecialFolder) {
            EXPECT_EQ(locator.SpecialFolder(), c.folder) << (&c - cases);
        }
        if (c.kind == lkIdList) {
            EXPECT_EQ(BytesOf(locator.GetIdList()), c.list) << (&c - cases);
        }
        EXPECT_EQ(locator.changes - before, 1);
        EXPECT_EQ(locator.StoresPidl(), !c.stored.empty());
        EXPECT_EQ(locator.PidlBytes(), c.stored) << (&c - cases);
    }
    TPTShellLocator fresh;
    EXPECT_FALSE(fresh.StoresPidl());
    EXPECT_EQ(fresh.PidlBytes(), "");
}

}  // namespace
