// What "実行" leaves in the registry: the whole tree for every kind of system, depth and option,
// and on the real main window what this run's Windows and display depth pass on.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "icons/ApplySettings.h"
#include "icons/IconLocation.h"
#include "support/MainWindow.h"

using namespace testing_support;

namespace {

const std::string kNameSpace = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace";
const std::string kMetrics = "Control Panel\\Desktop\\WindowMetrics", kRecycle = "{645FF040-5081-101B-9F08-00AA002F954E}";
const std::string kInbox = "{00020D75-0000-0000-C000-000000000046}", kInboxNameSpace = kNameSpace + "\\" + kInbox;
std::string DI(const std::string& clsid) { return "CLSID\\" + clsid + "\\DefaultIcon"; }
std::string Loc(int n) { return "C:\\icons\\s" + std::to_string(n) + ".dll," + std::to_string(n); }

struct Value { std::string key, name, data; };
using Values = std::vector<Value>;

// The dump a tree holding exactly `values` gives: every key on the way, valueless ones with type 0.
std::vector<RegEntry> Tree(const Values& values) {
    std::vector<RegEntry> out;
    std::set<std::string> bare{""};
    for (const Value& v : values) {
        out.push_back({v.key, v.name, REG_SZ, v.data});
        for (size_t p = 0; p != std::string::npos;) bare.insert(v.key.substr(0, p = v.key.find('\\', p + 1)));
    }
    for (const Value& v : values) bare.erase(v.key);
    for (const std::string& k : bare) out.push_back({k, "", 0, ""});
    std::sort(out.begin(), out.end());
    return out;
}

// Where each slot is written: always, only on Windows 98 ('8') or only with "YES" ('Y'); `perUser` also under HKCU.
struct Written { int slot; std::string clsid, value; bool perUser; char only; };
const Written kWritten[] = {
    {1, "{20D04FE0-3AEA-1069-A2D8-08002B30309D}", "", true, 0}, {2, "{208D2C60-3AEA-1069-A2D7-08002B30309D}", "", true, 0},
    {4, "{21EC2020-3AEA-1069-A2DD-08002B30309D}", "", false, 0}, {5, "{2227A280-3AEA-1069-A2DE-08002B30309D}", "", false, 0},
    {6, "{992CFFA0-F557-101A-88EC-00DD010CCC48}", "", false, 0}, {7, "{85BBD920-42A0-1069-A2E4-08002B30309D}", "", false, 0},
    {8, kInbox, "", false, 0}, {9, kRecycle, "empty", true, 0}, {10, kRecycle, "full", true, 0},
    {9, kRecycle, "", true, 0}, {11, "{450D8FBA-AD25-11D0-98A8-0800361B1103}", "", false, '8'},
    {6, "{a4d92740-67cd-11cf-96f2-00aa00a11dd9}", "", false, 'Y'},
};

}  // namespace

TEST(ApplySettings, GoldenRegistryAfterApplying) {
    // stored, bpp: "Shell Icon BPP" before and after (nullptr: absent); name: the Recycle Bin name given;
    // inbox: whether the Inbox has a location (without one it is not written).
    struct { bool yes, win98; int bits; bool icon; const char *stored, *bpp, *name; bool inbox; } cases[] = {
        {false, false, 32, true, "8", "24", "Trash", true},     {false, false, 32, false, "16", "4", "", true},
        {false, false, 16, true, nullptr, "16", "Trash", true}, {false, false, 16, false, nullptr, "4", "Trash", false},
        {false, false, 8, true, "16", "4", "Trash", true},      {false, false, 8, true, nullptr, nullptr, "", true},
        {true, false, 32, true, nullptr, "16", "Trash", true},  {true, false, 16, true, "4", "16", "", true},
        {true, false, 8, false, "16", "4", "Trash", true},      {true, true, 32, true, "24", "16", "ごみ", false},
        {true, true, 32, false, nullptr, "4", "", true},        {true, true, 8, true, nullptr, nullptr, "Trash", true},
    };
    const Value programs = {"Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", "C:\\Program Files"};
    const Value oldUser = {"Software\\Classes\\" + DI("{20D04FE0-3AEA-1069-A2D8-08002B30309D}"), "", "old.dll,2"};
    const Values seedClasses = {{"lnkfile", "IsShortcut", ""}, {"piffile", "", "PIF"}, {"txtfile", "", "Text Document"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        RegistrySandbox sandbox;
        for (const Value& v : seedClasses) RegSet(HKEY_CLASSES_ROOT, v.key, v.name, v.data);
        RegSet(HKEY_CLASSES_ROOT, DI(kRecycle), "empty", "old.dll,1");
        RegSet(HKEY_CURRENT_USER, kMetrics, "IconSpacing", "75");
        RegSet(HKEY_CURRENT_USER, oldUser.key, oldUser.name, oldUser.data);
        RegSet(HKEY_LOCAL_MACHINE, programs.key, programs.name, programs.data);
        if (c.stored) RegSet(HKEY_CURRENT_USER, kMetrics, "Shell Icon BPP", c.stored);

        std::string name = c.name;
        icons::TIconSlotTable slots;  // slot N holds "C:\icons\sN.dll", index N; the Inbox none without `inbox`
        for (auto& s : slots) s.CurrentFile = "C:\\icons\\s" + std::to_string(s.Number) + ".dll", s.CurrentIndex = s.Number;
        if (!c.inbox) slots[8].CurrentFile.clear(), slots[8].CurrentIndex = 0;
        icons::ApplyRegistrySettings(slots, c.yes, c.win98, c.bits, icons::TShellOptions{c.icon, false, false}, name);
        const std::string written = *c.name ? c.name : "ごみ箱";
        EXPECT_EQ(name, written);

        Values classes = seedClasses, user = {{kMetrics, "IconSpacing", "75"}};
        classes.insert(classes.end(), {{"piffile", "IsShortcut", ""}, {"DocShortcut", "IsShortcut", ""},
                                       {"CLSID\\" + kRecycle, "", written}});
        for (const Written& w : kWritten) {
            if ((w.only == '8' && !c.win98) || (w.only == 'Y' && !c.yes) || (w.slot == 8 && !c.inbox)) continue;
            classes.push_back({DI(w.clsid), w.value, Loc(w.slot)});
            if (c.yes && w.perUser) user.push_back({"Software\\Classes\\" + DI(w.clsid), w.value, Loc(w.slot)});
        }
        if (!c.yes) user.push_back(oldUser);  // per-user keys stay as they were
        if (c.bpp) user.push_back({kMetrics, "Shell Icon BPP", c.bpp});
        EXPECT_EQ(RegDump(HKEY_CLASSES_ROOT), Tree(classes));
        EXPECT_EQ(RegDump(HKEY_CURRENT_USER), Tree(user));
        EXPECT_EQ(RegDump(HKEY_LOCAL_MACHINE), Tree({programs, {kNameSpace + "\\" + kRecycle, "", written},
                                                     {kInboxNameSpace, "", "受信ﾄﾚｲ"},
                                                     {"Software\\Classes\\CLSID\\" + kRecycle, "", written}}));
    }
}

// "実行" on the real main window passes this run's Windows and depth on (the runs with other
// personalities and depths repeat it): once without "Shell Icon BPP", once with it stored and
// the multi-colour option ticked.
TEST(MainWindowApply, WritesForThisSystemAndDepth) {
    for (const std::string stored : {"", "16"}) {
        MainWindow w([&] { if (!stored.empty()) RegSet(HKEY_CURRENT_USER, kMetrics, "Shell Icon BPP", stored); });
        if (!stored.empty()) w->icon->SetChecked(true);
        w->IEButton5Click(w->IEButton5);
        const icons::TIconSlotTable& slots = w->Desktop->Slots;
        EXPECT_EQ(RegValuePresent(HKEY_CURRENT_USER, slots[1].UserClassesKey, ""), PerUserRun());
        EXPECT_EQ(RegValuePresent(HKEY_CLASSES_ROOT, slots[11].WriteKey, ""), Personality() == "win98");
        // At low depth an absent value stays absent and a stored one becomes "4", whatever the option.
        EXPECT_EQ(RegText(HKEY_CURRENT_USER, kMetrics, "Shell Icon BPP"),
                  Depth() < 16 ? (stored.empty() ? "absent" : "4")
                  : !w->icon->Checked() ? "4" : (Depth() > 16 && !PerUserRun()) ? "24" : "16");
        // The empty name box is written as "ごみ箱" and shown again.
        EXPECT_EQ(w->Edit1->Text(), "ごみ箱");
        EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kNameSpace + "\\" + kRecycle, ""), "ごみ箱");
    }
}

TEST(MainWindowApply, OptionsRoundTripThroughTheRegistry) {
    MainWindow w([] {
        RegSet(HKEY_LOCAL_MACHINE, kInboxNameSpace + "\\Sub\\Deeper", "v", "1");
        RegSet(HKEY_LOCAL_MACHINE, kNameSpace + "\\{Sibling}", "", "keep");
    });
    const icons::TIconSlot& inbox = w->Desktop->Slots[8];
    for (bool ticked : {false, true}) {
        w->shortcut->SetChecked(ticked);
        w->jushintray->SetChecked(!ticked);
        w->IEButton5Click(w->IEButton5);
        for (const char* k : {"DocShortcut", "lnkfile", "piffile"}) {
            EXPECT_TRUE(RegKeyPresent(HKEY_CLASSES_ROOT, k)) << k;
            EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, k, "IsShortcut"), ticked ? "absent" : "") << k;
        }
        // Removing the Inbox deletes its NameSpace key with the subkeys; bringing it back makes it anew.
        EXPECT_EQ(RegDump(HKEY_LOCAL_MACHINE, kInboxNameSpace),
                  (ticked ? std::vector<RegEntry>{{kInboxNameSpace, "", REG_SZ, "受信ﾄﾚｲ"}} : std::vector<RegEntry>{}));
        EXPECT_TRUE(RegKeyPresent(HKEY_LOCAL_MACHINE, kNameSpace + "\\{Sibling}"));
        EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, DI(kInbox), ""),
                  ticked ? icons::MakeIconLocation(inbox.CurrentFile, inbox.CurrentIndex) : "absent");
        // A new start on the same registry reads the states back.
        TForm1 again(nullptr);
        EXPECT_EQ(std::make_pair(again.shortcut->Checked(), again.jushintray->Checked()),
                  std::make_pair(ticked, !ticked));
    }
}
