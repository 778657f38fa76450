#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

#include "support/Sandbox.h"
#include "ui/Registry.h"

using namespace testing_support;
using ui::TRegistry;

namespace {

DWORD ValueType(HKEY root, const std::string& key, const std::string& value) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return REG_NONE;
    DWORD type = REG_NONE;
    RegQueryValueExA(k, value.c_str(), nullptr, &type, nullptr, nullptr);
    RegCloseKey(k);
    return type;
}

bool HandleIsOpen(HKEY key) {
    return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr) == ERROR_SUCCESS;
}

}  // namespace

TEST(TRegistry, OpensExistingKeysAndCreatesOnlyWhenAllowed) {
    RegistrySandbox sandbox;
    RegSet(HKEY_CLASSES_ROOT, "Present\\Sub", "v", "x");
    struct Case {
        const char* key;
        bool canCreate;
        bool opened;
        bool existsAfter;
    } cases[] = {
        {"Present\\Sub", false, true, true},
        {"\\Present\\Sub", false, true, true},  // leading "\" names it from the root
        {"Missing\\Sub", false, false, false},
        {"Missing\\Sub", true, true, true},
    };
    for (const Case& c : cases) {
        TRegistry reg(HKEY_CLASSES_ROOT);
        EXPECT_EQ(reg.OpenKey(c.key, c.canCreate), c.opened) << c.key;
        EXPECT_EQ(reg.CurrentKey() != nullptr, c.opened) << c.key;
        EXPECT_EQ(RegKeyPresent(HKEY_CLASSES_ROOT, c.key[0] == '\\' ? c.key + 1 : c.key), c.existsAfter) << c.key;
    }
    TRegistry ro(HKEY_CLASSES_ROOT);
    EXPECT_TRUE(ro.OpenKeyReadOnly("Present\\Sub"));
    EXPECT_EQ(ro.ReadString("v"), "x");
    EXPECT_FALSE(ro.OpenKeyReadOnly("Missing\\Other"));
    EXPECT_FALSE(RegKeyPresent(HKEY_CLASSES_ROOT, "Missing\\Other"));
}

TEST(TRegistry, ReadsAndWritesStringValues) {
    RegistrySandbox sandbox;
    HKEY k = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Values", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
    DWORD number = 5;
    RegSetValueExA(k, "dword", 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), sizeof(number));
    RegSetValueExA(k, "expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>("%X%"), 4);
    RegSetValueExA(k, "unterminated", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3);
    RegCloseKey(k);
    std::string longValue(5000, 'L');
    RegSet(HKEY_CURRENT_USER, "Values", "long", longValue);

    TRegistry reg;  // HKEY_CURRENT_USER
    ASSERT_TRUE(reg.OpenKey("Values", false));
    EXPECT_EQ(reg.ReadString("missing"), "");
    EXPECT_EQ(reg.ReadString("dword"), "");
    EXPECT_EQ(reg.ReadString("expand"), "%X%");
    EXPECT_EQ(reg.ReadString("unterminated"), "abc");
    EXPECT_EQ(reg.ReadString("long"), longValue);

    EXPECT_TRUE(reg.WriteString("", "ごみ箱"));
    EXPECT_TRUE(reg.WriteString("IsShortcut", ""));
    EXPECT_EQ(ValueType(HKEY_CURRENT_USER, "Values", ""), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(ValueType(HKEY_CURRENT_USER, "Values", "IsShortcut"), static_cast<DWORD>(REG_SZ));
    std::string data = "unset";
    ASSERT_TRUE(RegGet(HKEY_CURRENT_USER, "Values", "", &data));
    EXPECT_EQ(data, "ごみ箱");
    ASSERT_TRUE(RegGet(HKEY_CURRENT_USER, "Values", "IsShortcut", &data));
    EXPECT_EQ(data, "");

    EXPECT_TRUE(reg.ValueExists("IsShortcut"));
    EXPECT_FALSE(reg.ValueExists("missing"));
    EXPECT_TRUE(reg.DeleteValue("IsShortcut"));
    EXPECT_FALSE(reg.ValueExists("IsShortcut"));
    EXPECT_FALSE(reg.DeleteValue("IsShortcut"));
}

TEST(TRegistry, ValuesNeedAnOpenKey) {
    // A failed open must not turn into a write at the root.
    RegistrySandbox sandbox;
    TRegistry reg(HKEY_CLASSES_ROOT);
    EXPECT_FALSE(reg.OpenKey("Missing", false));
    EXPECT_FALSE(reg.WriteString("", "x"));
    EXPECT_FALSE(RegValuePresent(HKEY_CLASSES_ROOT, "", ""));
    EXPECT_EQ(reg.ReadString(""), "");
    EXPECT_FALSE(reg.ValueExists(""));
}

TEST(TRegistry, KeyExistsRelativeToOpenKeyOrRoot) {
    RegistrySandbox sandbox;
    RegSet(HKEY_LOCAL_MACHINE, "A\\B\\C", "", "x");
    TRegistry reg(HKEY_LOCAL_MACHINE);
    EXPECT_TRUE(reg.KeyExists("A\\B"));
    EXPECT_TRUE(reg.HasSubKeys());
    ASSERT_TRUE(reg.OpenKey("A", false));
    EXPECT_EQ(reg.CurrentPath(), "A");
    EXPECT_TRUE(reg.KeyExists("B\\C"));
    EXPECT_FALSE(reg.KeyExists("A\\B"));
    EXPECT_TRUE(reg.KeyExists("\\A\\B"));
    EXPECT_TRUE(reg.HasSubKeys());
    ASSERT_TRUE(reg.OpenKey("A\\B\\C", false));
    EXPECT_FALSE(reg.HasSubKeys());
}

TEST(TRegistry, DeleteKeyRemovesNestedSubkeysAndKeepsSiblings) {
    RegistrySandbox sandbox;
    RegSet(HKEY_LOCAL_MACHINE, "NS\\Target", "", "受信ﾄﾚｲ");
    RegSet(HKEY_LOCAL_MACHINE, "NS\\Target\\One\\Two\\Three", "v", "1");
    RegSet(HKEY_LOCAL_MACHINE, "NS\\Target\\One\\Side", "v", "2");
    RegSet(HKEY_LOCAL_MACHINE, "NS\\Target\\Other", "", "3");
    RegSet(HKEY_LOCAL_MACHINE, "NS\\TargetSibling", "", "keep");

    TRegistry reg(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey("NS", true));
    EXPECT_TRUE(reg.DeleteKey("Target"));
    EXPECT_FALSE(RegKeyPresent(HKEY_LOCAL_MACHINE, "NS\\Target"));
    EXPECT_TRUE(RegKeyPresent(HKEY_LOCAL_MACHINE, "NS\\TargetSibling"));
    EXPECT_FALSE(reg.DeleteKey("Target"));
    EXPECT_FALSE(reg.DeleteKey(""));  // never the open key itself
    EXPECT_TRUE(RegKeyPresent(HKEY_LOCAL_MACHINE, "NS"));
    reg.CloseKey();
    EXPECT_TRUE(reg.DeleteKey("\\NS"));
    EXPECT_FALSE(RegKeyPresent(HKEY_LOCAL_MACHINE, "NS"));
}

TEST(TRegistry, ClosesItsKeyOnCloseRootChangeReopenAndError) {
    RegistrySandbox sandbox;
    RegSet(HKEY_CURRENT_USER, "K1", "", "");
    RegSet(HKEY_CURRENT_USER, "K2", "", "");

    HKEY seen = nullptr;
    {
        TRegistry reg;
        // Another open closes the key first (a successful one may reuse the handle value).
        ASSERT_TRUE(reg.OpenKey("K1", false));
        seen = reg.CurrentKey();
        EXPECT_FALSE(reg.OpenKey("Missing", false));
        EXPECT_FALSE(HandleIsOpen(seen));
        ASSERT_TRUE(reg.OpenKey("K2", false));
        seen = reg.CurrentKey();
        reg.SetRootKey(HKEY_CLASSES_ROOT);
        EXPECT_FALSE(HandleIsOpen(seen));
        EXPECT_EQ(reg.CurrentKey(), nullptr);
    }
    try {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("K1", false));
        seen = reg.CurrentKey();
        EXPECT_TRUE(HandleIsOpen(seen));
        throw std::runtime_error("raised while the key is open");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(HandleIsOpen(seen));

    // Many rounds leave no key behind: freed handle values come back instead of piling up.
    std::set<HKEY> distinct;
    for (int i = 0; i < 2000; ++i) {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(i % 2 ? "K1" : "K2", true));
        ASSERT_TRUE(reg.WriteString("n", "x"));
        seen = reg.CurrentKey();
        distinct.insert(seen);
    }
    EXPECT_LE(distinct.size(), 2u);
    EXPECT_FALSE(HandleIsOpen(seen));
}
