#include <gtest/gtest.h>

#include "support/Sandbox.h"
#include "ui/Registry.h"

using namespace testing_support;
using ui::TRegistry;

namespace {

bool HandleIsOpen(HKEY key) {
    return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr) == ERROR_SUCCESS;
}

}  // namespace

TEST(TRegistry, ReadsAndWritesStringsAndAFailedOpenWritesNothing) {
    RegistrySandbox sandbox;
    std::string longValue(5000, 'L');
    RegSet(HKEY_CURRENT_USER, "Values", "long", longValue);
    HKEY k = nullptr;
    RegOpenKeyExA(HKEY_CURRENT_USER, "Values", 0, KEY_SET_VALUE, &k);
    RegSetValueExA(k, "unterminated", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3);
    RegCloseKey(k);

    HKEY seen = nullptr;
    {
        TRegistry reg;  // HKEY_CURRENT_USER
        ASSERT_TRUE(reg.OpenKey("Values", false));
        seen = reg.CurrentKey();
        EXPECT_FALSE(reg.OpenKey("Missing\\Sub", false));  // closes the open key first, creates nothing
        EXPECT_FALSE(HandleIsOpen(seen));
        EXPECT_FALSE(RegKeyPresent(HKEY_CURRENT_USER, "Missing"));
        EXPECT_FALSE(reg.WriteString("", "x"));  // a failed open must not turn into a write elsewhere
        EXPECT_FALSE(RegValuePresent(HKEY_CURRENT_USER, "", ""));
        EXPECT_FALSE(RegValuePresent(HKEY_CURRENT_USER, "Values", ""));

        ASSERT_TRUE(reg.OpenKey("Values", false));
        EXPECT_EQ(reg.ReadString("missing"), "");
        EXPECT_EQ(reg.ReadString("long"), longValue);
        EXPECT_EQ(reg.ReadString("unterminated"), "abc");
        EXPECT_TRUE(reg.WriteString("", "ごみ箱"));
        EXPECT_TRUE(reg.WriteString("IsShortcut", ""));
        const auto values = RegDump(HKEY_CURRENT_USER, "Values");
        ASSERT_GE(values.size(), 2u);
        EXPECT_EQ(values[0], (RegEntry{"Values", "", REG_SZ, "ごみ箱"}));
        EXPECT_EQ(values[1], (RegEntry{"Values", "IsShortcut", REG_SZ, ""}));
        seen = reg.CurrentKey();
    }
    EXPECT_FALSE(HandleIsOpen(seen)) << "the key is closed when the object goes";
}
