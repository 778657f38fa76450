// Folder locators: the stored "Pidl" bytes read back, and bad ones refused with nothing changed.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "shell/ShellLocator.h"
#include "shell/ShellTesting.h"
#include "support/Sandbox.h"

using namespace shell;
using namespace shell_testing;
using testing_support::TempDir;

namespace {

// A list as it is stored: a zero, its length, its bytes.
std::string Stored(const std::string& list) { return std::string(1, '\0') + U32(UINT(list.size())) + list; }

TEST(ShellLocator, StoredPidlBytesReadBackAndBadOnesAreRefused) {
    TempDir dir;
    const std::string list = BytesOf(ListOf(dir.Path()).get());
    const std::string item = Terminated(Item("xy"));
    const struct {
        std::string bytes;
        TPTLocatorKind kind;
        BYTE folder;
        std::string list;    // bytes of the held list after reading
        std::string stored;  // what is written back
    } cases[] = {
        {std::string("\x01\x0B", 2), lkSpecialFolder, CSIDL_STARTMENU, "", std::string("\x01\x0B", 2)},
        {std::string("\x00\xFF\xFF\xFF\xFF", 5), lkSpecialFolder, CSIDL_DESKTOP, "", std::string("\x01\x00", 2)},
        {Stored(list), lkIdList, 0, list, Stored(list)},
        {Stored(item), lkIdList, 0, item, Stored(item)},
        {Stored(Terminated("")), lkIdList, 0, "", ""},  // the desktop by its list is not stored
        {std::string("\x02\x16", 2), lkSpecialFolder, CSIDL_COMMON_STARTMENU, "", std::string("\x01\x16", 2)},
    };
    for (const auto& c : cases) {
        TPTShellLocator locator;
        locator.SetSpecialFolder(CSIDL_CONTROLS);
        EXPECT_TRUE(locator.ReadPidl(c.bytes)) << (&c - cases);
        EXPECT_EQ(locator.Kind(), c.kind) << (&c - cases);
        EXPECT_EQ(c.kind == lkSpecialFolder ? locator.SpecialFolder() : 0, c.folder) << (&c - cases);
        EXPECT_EQ(c.kind == lkIdList ? BytesOf(locator.GetIdList()) : "", c.list) << (&c - cases);
        EXPECT_EQ(locator.PidlBytes(), c.stored) << (&c - cases);
    }
    // Ending too early, running on, or a list not ended inside its length.
    const std::string refused[] = {
        "", std::string("\x01", 1), std::string("\x01\x0B\x00", 3), std::string("\x00\x06\x00\x00", 4),
        Stored(list).substr(0, 5 + list.size() - 1), Stored(list) + "z", Stored(Item("xy")),
        std::string("\x00\x04\x00\x00\x00\x01\x00\x00\x00", 9), std::string("\x00\x01\x00\x00\x00\x00", 6),
    };
    for (const std::string& bytes : refused) {
        TPTShellLocator locator;
        locator.SetSpecialFolder(CSIDL_CONTROLS);
        int changes = 0;
        locator.OnChange = [&](TPTShellLocator*) { ++changes; };
        EXPECT_FALSE(locator.ReadPidl(bytes)) << (&bytes - refused);
        EXPECT_EQ(locator.SpecialFolder(), CSIDL_CONTROLS) << (&bytes - refused);
        EXPECT_EQ(changes, 0) << (&bytes - refused);
    }
}

}  // namespace
