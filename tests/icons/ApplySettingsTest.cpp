#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <set>
#include <vector>

#include "icons/ApplySettings.h"
#include "support/Sandbox.h"

using namespace testing_support;

namespace testing_support {
// Readable failure output for registry dumps.
static void PrintTo(const RegEntry& e, std::ostream* os) {
    *os << "{" << e.key << " | " << e.value << " | " << e.type << " | " << e.data << "}";
}
}  // namespace testing_support

namespace {

const char kNameSpace[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace";
const char kInboxNameSpace[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\{00020D75-0000-0000-C000-000000000046}";
const char kInboxWriteKey[] = "CLSID\\{00020D75-0000-0000-C000-000000000046}\\DefaultIcon";
const char kMetrics[] = "Control Panel\\Desktop\\WindowMetrics";

struct Value {
    std::string key, name, data;
};
using Values = std::vector<Value>;

// Registry keys compare without regard to letter case ("SOFTWARE" and "Software" are one key).
std::string Fold(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// The dump a tree holding exactly `values` gives: every key on the way, valueless ones with type 0.
std::vector<RegEntry> Tree(const Values& values) {
    std::vector<RegEntry> out;
    std::set<std::string> withValues, allKeys{""};
    for (const Value& v : values) {
        out.push_back({Fold(v.key), v.name, REG_SZ, v.data});
        withValues.insert(Fold(v.key));
        for (size_t p = v.key.find('\\'); p != std::string::npos; p = v.key.find('\\', p + 1))
            allKeys.insert(Fold(v.key.substr(0, p)));
        allKeys.insert(Fold(v.key));
    }
    for (const std::string& k : allKeys)
        if (!withValues.count(k)) out.push_back({k, "", 0, ""});
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<RegEntry> Dump(HKEY root) {
    std::vector<RegEntry> out = RegDump(root);
    for (RegEntry& e : out) e.key = Fold(e.key);
    std::sort(out.begin(), out.end());
    return out;
}

void Seed(HKEY root, const Values& values) {
    for (const Value& v : values) RegSet(root, v.key, v.name, v.data);
}

Values operator+(Values a, const Values& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Slot N holds "C:\icons\sN.dll", index N.
icons::TIconSlotTable NumberedSlots() {
    icons::TIconSlotTable t;
    for (icons::TIconSlot& s : t) {
        s.CurrentFile = "C:\\icons\\s" + std::to_string(s.Number) + ".dll";
        s.CurrentIndex = s.Number;
    }
    return t;
}

const Values kSeedClasses = {
    {"lnkfile", "IsShortcut", ""},
    {"piffile", "", "PIF"},
    {"txtfile", "", "Text Document"},
    {"CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon", "empty", "old.dll,1"},
};
const Values kSeedUser = {
    {kMetrics, "IconSpacing", "75"},
    {"Software\\Classes\\CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\DefaultIcon", "", "old.dll,2"},
};
const Values kSeedMachine = {
    {"Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", "C:\\Program Files"},
};

}  // namespace

TEST(ApplySettings, GoldenRegistryAfterApplying) {
    struct Case {
        const char* os;
        bool win98;
        int bits;
        bool icon;
        const char* storedBpp;    // nullptr: "Shell Icon BPP" absent before
        const char* expectedBpp;  // nullptr: absent after
        const char* name;         // the Recycle Bin name given
    } cases[] = {
        {"NO", false, 32, true, "8", "24", "Trash"},
        {"NO", false, 24, true, nullptr, "24", "Trash"},
        {"NO", false, 32, false, "16", "4", ""},
        {"NO", false, 16, true, nullptr, "16", "Trash"},
        {"NO", false, 16, false, nullptr, "4", "Trash"},
        {"NO", false, 8, true, "16", "4", "Trash"},
        {"NO", false, 8, true, nullptr, nullptr, ""},
        {"NO", false, 4, false, nullptr, nullptr, "Trash"},
        {"YES", false, 32, true, nullptr, "16", "Trash"},
        {"YES", false, 16, true, "4", "16", ""},
        {"YES", false, 8, false, "16", "4", "Trash"},
        {"YES", true, 32, true, "24", "16", "ごみ"},
        {"YES", true, 32, false, nullptr, "4", ""},
        {"YES", true, 8, true, nullptr, nullptr, "Trash"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.os) + (c.win98 ? " 98 " : " ") + std::to_string(c.bits) + "bit icon=" +
                     std::to_string(c.icon) + " bpp=" + (c.storedBpp ? c.storedBpp : "-"));
        RegistrySandbox sandbox;
        Seed(HKEY_CLASSES_ROOT, kSeedClasses);
        Seed(HKEY_CURRENT_USER, kSeedUser);
        Seed(HKEY_LOCAL_MACHINE, kSeedMachine);
        if (c.storedBpp) RegSet(HKEY_CURRENT_USER, kMetrics, "Shell Icon BPP", c.storedBpp);

        icons::TIconSlotTable slots = NumberedSlots();
        icons::TShellOptions options;
        options.Icon = c.icon;
        options.Shortcut = false;
        options.Jushintray = false;
        std::string name = c.name;
        icons::ApplyRegistrySettings(slots, c.os, c.win98, c.bits, options, name);
        const std::string written = *c.name ? c.name : "ごみ箱";
        EXPECT_EQ(name, written);

        Values classes = {
            {"lnkfile", "IsShortcut", ""},
            {"piffile", "", "PIF"},
            {"piffile", "IsShortcut", ""},
            {"DocShortcut", "IsShortcut", ""},
            {"txtfile", "", "Text Document"},
            {kInboxWriteKey, "", "C:\\icons\\s8.dll,8"},
            {"CLSID\\{21EC2020-3AEA-1069-A2DD-08002B30309D}\\DefaultIcon", "", "C:\\icons\\s4.dll,4"},
            {"CLSID\\{2227A280-3AEA-1069-A2DE-08002B30309D}\\DefaultIcon", "", "C:\\icons\\s5.dll,5"},
            {"CLSID\\{992CFFA0-F557-101A-88EC-00DD010CCC48}\\DefaultIcon", "", "C:\\icons\\s6.dll,6"},
            {"CLSID\\{85BBD920-42A0-1069-A2E4-08002B30309D}\\DefaultIcon", "", "C:\\icons\\s7.dll,7"},
            {"CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}", "", written},
            {"CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon", "empty", "C:\\icons\\s9.dll,9"},
            {"CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon", "full", "C:\\icons\\s10.dll,10"},
            {"CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon", "", "C:\\icons\\s9.dll,9"},
            {"CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\DefaultIcon", "", "C:\\icons\\s1.dll,1"},
            {"CLSID\\{208D2C60-3AEA-1069-A2D7-08002B30309D}\\DefaultIcon", "", "C:\\icons\\s2.dll,2"},
        };
        Values user = {{kMetrics, "IconSpacing", "75"}};
        const Values machine = kSeedMachine + Values{
            {kInboxNameSpace, "", "受信ﾄﾚｲ"},
            {std::string(kNameSpace) + "\\{645FF040-5081-101B-9F08-00AA002F954E}", "", written},
            {"SOFTWARE\\Classes\\CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}", "", written},
        };
        if (c.win98)
            classes = classes + Values{{"CLSID\\{450D8FBA-AD25-11D0-98A8-0800361B1103}\\DefaultIcon", "",
                                        "C:\\icons\\s11.dll,11"}};
        if (std::string(c.os) == "YES") {
            classes = classes + Values{{"CLSID\\{a4d92740-67cd-11cf-96f2-00aa00a11dd9}\\DefaultIcon", "",
                                        "C:\\icons\\s6.dll,6"}};
            user = user + Values{
                {"Software\\Classes\\CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon", "empty",
                 "C:\\icons\\s9.dll,9"},
                {"Software\\Classes\\CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon", "full",
                 "C:\\icons\\s10.dll,10"},
                {"Software\\Classes\\CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon", "",
                 "C:\\icons\\s9.dll,9"},
                {"Software\\Classes\\CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\DefaultIcon", "",
                 "C:\\icons\\s1.dll,1"},
                {"Software\\Classes\\CLSID\\{208D2C60-3AEA-1069-A2D7-08002B30309D}\\DefaultIcon", "",
                 "C:\\icons\\s2.dll,2"},
            };
        } else {
            // Per-user keys stay as they were, even where they exist.
            user = user + Values{{"Software\\Classes\\CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\DefaultIcon",
                                  "", "old.dll,2"}};
        }
        if (c.expectedBpp) user = user + Values{{kMetrics, "Shell Icon BPP", c.expectedBpp}};

        EXPECT_EQ(Dump(HKEY_CLASSES_ROOT), Tree(classes));
        EXPECT_EQ(Dump(HKEY_CURRENT_USER), Tree(user));
        EXPECT_EQ(Dump(HKEY_LOCAL_MACHINE), Tree(machine));
    }
}

TEST(ApplySettings, ShortcutArrowAndInboxOptionsSwitchBackAndForth) {
    RegistrySandbox sandbox;
    Seed(HKEY_CLASSES_ROOT, {{"lnkfile", "IsShortcut", ""}, {"piffile", "", "PIF"}});
    Seed(HKEY_LOCAL_MACHINE, {{kInboxNameSpace, "", "受信ﾄﾚｲ"},
                              {std::string(kInboxNameSpace) + "\\Sub\\Deeper", "v", "1"},
                              {std::string(kInboxNameSpace) + "\\Other", "", "2"},
                              {std::string(kNameSpace) + "\\{Sibling}", "", "keep"}});
    EXPECT_FALSE(icons::ReadShortcutOption());
    EXPECT_FALSE(icons::ReadInboxOption());

    icons::TIconSlotTable slots = NumberedSlots();
    std::string name = "Trash";
    icons::TShellOptions options;
    options.Shortcut = false;
    options.Jushintray = true;
    icons::ApplyRegistrySettings(slots, "NO", false, 32, options, name);
    for (const char* cls : {"DocShortcut", "lnkfile", "piffile"}) {
        std::string data = "unset";
        EXPECT_TRUE(RegGet(HKEY_CLASSES_ROOT, cls, "IsShortcut", &data)) << cls;
        EXPECT_EQ(data, "") << cls;
    }
    EXPECT_FALSE(RegKeyPresent(HKEY_LOCAL_MACHINE, kInboxNameSpace));
    EXPECT_TRUE(RegKeyPresent(HKEY_LOCAL_MACHINE, std::string(kNameSpace) + "\\{Sibling}"));
    EXPECT_FALSE(RegKeyPresent(HKEY_CLASSES_ROOT, kInboxWriteKey));
    EXPECT_FALSE(icons::ReadShortcutOption());
    EXPECT_TRUE(icons::ReadInboxOption());

    options.Shortcut = true;
    options.Jushintray = false;
    icons::ApplyRegistrySettings(slots, "NO", false, 32, options, name);
    for (const char* cls : {"DocShortcut", "lnkfile", "piffile"}) {
        EXPECT_TRUE(RegKeyPresent(HKEY_CLASSES_ROOT, cls)) << cls;
        EXPECT_FALSE(RegValuePresent(HKEY_CLASSES_ROOT, cls, "IsShortcut")) << cls;
    }
    EXPECT_EQ(Dump(HKEY_LOCAL_MACHINE).size(), RegDump(HKEY_LOCAL_MACHINE).size());
    std::vector<RegEntry> inbox = RegDump(HKEY_LOCAL_MACHINE, kInboxNameSpace);
    ASSERT_EQ(inbox.size(), 1u);  // re-created without the old subkeys
    EXPECT_EQ(inbox[0], (RegEntry{kInboxNameSpace, "", REG_SZ, "受信ﾄﾚｲ"}));
    std::string icon;
    EXPECT_TRUE(RegGet(HKEY_CLASSES_ROOT, kInboxWriteKey, "", &icon));
    EXPECT_EQ(icon, "C:\\icons\\s8.dll,8");
    EXPECT_TRUE(icons::ReadShortcutOption());
    EXPECT_FALSE(icons::ReadInboxOption());

    // Ticking the Inbox option when there is nothing to remove creates only the NameSpace key.
    RegDeleteTreeOf(HKEY_LOCAL_MACHINE, "Software");
    options.Jushintray = true;
    icons::ApplyRegistrySettings(slots, "NO", false, 32, options, name);
    EXPECT_TRUE(RegKeyPresent(HKEY_LOCAL_MACHINE, kNameSpace));
    EXPECT_FALSE(RegKeyPresent(HKEY_LOCAL_MACHINE, kInboxNameSpace));
}

TEST(ApplySettings, InboxWithoutLocationIsNotWritten) {
    RegistrySandbox sandbox;
    icons::TIconSlotTable slots = NumberedSlots();
    slots[8].CurrentFile.clear();
    slots[8].CurrentIndex = 0;
    std::string name = "Trash";
    icons::TShellOptions options;
    options.Jushintray = false;
    icons::ApplyRegistrySettings(slots, "YES", false, 32, options, name);
    std::string inboxName;
    EXPECT_TRUE(RegGet(HKEY_LOCAL_MACHINE, kInboxNameSpace, "", &inboxName));
    EXPECT_EQ(inboxName, "受信ﾄﾚｲ");
    EXPECT_FALSE(RegKeyPresent(HKEY_CLASSES_ROOT, "CLSID\\{00020D75-0000-0000-C000-000000000046}"));
    // The other slots are written as usual.
    EXPECT_TRUE(RegValuePresent(HKEY_CLASSES_ROOT, "CLSID\\{85BBD920-42A0-1069-A2E4-08002B30309D}\\DefaultIcon", ""));
}

TEST(ApplySettings, KeyThatCannotBeCreatedIsSkippedAndTheRestWritten) {
    RegistrySandbox sandbox;
    // No lasting key can be created below a volatile one.
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              &k, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(k);
    icons::TIconSlotTable slots = NumberedSlots();
    std::string name = "Trash";
    icons::TShellOptions options;
    options.Shortcut = false;
    icons::ApplyRegistrySettings(slots, "YES", false, 16, options, name);
    EXPECT_EQ(RegDump(HKEY_CLASSES_ROOT, "CLSID").size(), 1u);  // the empty CLSID key alone
    EXPECT_TRUE(RegValuePresent(HKEY_CLASSES_ROOT, "piffile", "IsShortcut"));
    std::string bpp, user;
    EXPECT_TRUE(RegGet(HKEY_CURRENT_USER, kMetrics, "Shell Icon BPP", &bpp));
    EXPECT_EQ(bpp, "16");
    EXPECT_TRUE(RegGet(HKEY_CURRENT_USER,
                       "Software\\Classes\\CLSID\\{208D2C60-3AEA-1069-A2D7-08002B30309D}\\DefaultIcon", "", &user));
    EXPECT_EQ(user, "C:\\icons\\s2.dll,2");
}

TEST(ApplySettings, InitialIconOptionByColourDepth) {
    struct Case {
        int bits;
        bool ticked;
    } cases[] = {{1, true}, {4, false}, {8, false}, {15, true}, {16, true}, {24, true}, {32, true}};
    for (const Case& c : cases) EXPECT_EQ(icons::InitialIconOption(c.bits), c.ticked) << c.bits;
}
