// "実行" on the real main window: what lands in the registry for this run's Windows and
// display depth (the runs with other personalities and depths repeat these tests).
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "icons/IconLocation.h"
#include "support/MainWindow.h"

using namespace testing_support;

namespace {

const std::string kRecycle = "{645FF040-5081-101B-9F08-00AA002F954E}", kMetrics = "Control Panel\\Desktop\\WindowMetrics";
const std::string kNameSpace = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace";
const std::string kInboxNameSpace = kNameSpace + "\\{00020D75-0000-0000-C000-000000000046}";
const std::string kInboxIcon = DefaultIconKey("{00020D75-0000-0000-C000-000000000046}");

std::set<std::string> KeysWithValues(HKEY root) {
    std::set<std::string> keys;
    for (const RegEntry& e : RegDump(root))  // the fixture's own desktop folder is no write of the program's
        if (e.type != 0 && e.key.find("Shell Folders") == std::string::npos) keys.insert(e.key + "|" + e.value);
    return keys;
}

int Depth() { return std::getenv("VEMLORA_DEPTH") ? std::atoi(std::getenv("VEMLORA_DEPTH")) : 32; }

std::string Get(HKEY root, const std::string& key, const std::string& value) {
    std::string data = "absent";
    RegGet(root, key, value, &data);
    return data;
}

}  // namespace

// Once on a registry without "Shell Icon BPP", once with it stored and the multi-colour option ticked.
TEST(MainWindowApply, WritesEveryLocationNameAndOptionForThisSystem) {
    for (const std::string stored : {"", "16"}) {
        MainWindow w([&] { if (!stored.empty()) RegSet(HKEY_CURRENT_USER, kMetrics, "Shell Icon BPP", stored); });
        if (!stored.empty()) w->icon->SetChecked(true);
        const bool perUser = w->OsFlag() == "YES";
        w->IEButton5Click(w->IEButton5);
        std::set<std::string> hkcr = {"CLSID\\" + kRecycle + "|", DefaultIconKey(kRecycle) + "|empty",
                                      DefaultIconKey(kRecycle) + "|full", DefaultIconKey(kRecycle) + "|"}, hkcu;
        for (const char* c : {"{20D04FE0-3AEA-1069-A2D8-08002B30309D}", "{208D2C60-3AEA-1069-A2D7-08002B30309D}",
                              "{21EC2020-3AEA-1069-A2DD-08002B30309D}", "{2227A280-3AEA-1069-A2DE-08002B30309D}",
                              "{992CFFA0-F557-101A-88EC-00DD010CCC48}", "{85BBD920-42A0-1069-A2E4-08002B30309D}"})
            hkcr.insert(DefaultIconKey(c) + "|");
        if (!w->jushintray->Checked()) hkcr.insert(kInboxIcon + "|");
        if (!w->shortcut->Checked())
            for (const char* k : {"DocShortcut", "lnkfile", "piffile"}) hkcr.insert(std::string(k) + "|IsShortcut");
        if (w->IsWindows98) hkcr.insert(DefaultIconKey("{450D8FBA-AD25-11D0-98A8-0800361B1103}") + "|");
        if (perUser) {
            hkcr.insert(DefaultIconKey("{a4d92740-67cd-11cf-96f2-00aa00a11dd9}") + "|");
            for (const char* v : {"", "empty", "full"})
                hkcu.insert("Software\\Classes\\" + DefaultIconKey(kRecycle) + "|" + v);
            for (const char* c : {"{20D04FE0-3AEA-1069-A2D8-08002B30309D}", "{208D2C60-3AEA-1069-A2D7-08002B30309D}"})
                hkcu.insert("Software\\Classes\\" + DefaultIconKey(c) + "|");
        }
        if (Depth() >= 16 || !stored.empty()) hkcu.insert(kMetrics + "|Shell Icon BPP");
        EXPECT_EQ(KeysWithValues(HKEY_CLASSES_ROOT), hkcr);
        EXPECT_EQ(KeysWithValues(HKEY_CURRENT_USER), hkcu);
        // At low depth an absent value stays absent and a stored one becomes "4", whatever the option.
        EXPECT_EQ(Get(HKEY_CURRENT_USER, kMetrics, "Shell Icon BPP"),
                  Depth() < 16 ? (stored.empty() ? "absent" : "4")
                  : !w->icon->Checked() ? "4" : (Depth() > 16 && !perUser) ? "24" : "16");
        // The empty name box is written as "ごみ箱" under its keys and shown again.
        EXPECT_EQ(w->Edit1->Text(), "ごみ箱");
        for (const std::string& key : {kNameSpace + "\\" + kRecycle, "SOFTWARE\\Classes\\CLSID\\" + kRecycle})
            EXPECT_EQ(Get(HKEY_LOCAL_MACHINE, key, ""), "ごみ箱") << key;
    }
}

TEST(MainWindowApply, OptionsRoundTripThroughTheRegistry) {
    MainWindow w([] {
        RegSet(HKEY_LOCAL_MACHINE, kInboxNameSpace + "\\Sub\\Deeper", "v", "1");
        RegSet(HKEY_LOCAL_MACHINE, kNameSpace + "\\{Sibling}", "", "keep");
    });
    for (bool ticked : {false, true}) {
        w->shortcut->SetChecked(ticked);
        w->jushintray->SetChecked(!ticked);
        w->IEButton5Click(w->IEButton5);
        for (const char* k : {"DocShortcut", "lnkfile", "piffile"}) {
            EXPECT_TRUE(RegKeyPresent(HKEY_CLASSES_ROOT, k)) << k;
            EXPECT_EQ(Get(HKEY_CLASSES_ROOT, k, "IsShortcut"), ticked ? "absent" : "") << k;
        }
        // Removing the Inbox deletes its NameSpace key with the subkeys; bringing it back makes it anew.
        EXPECT_EQ(RegKeyPresent(HKEY_LOCAL_MACHINE, kInboxNameSpace), ticked);
        EXPECT_EQ(RegDump(HKEY_LOCAL_MACHINE, kInboxNameSpace),
                  (ticked ? std::vector<RegEntry>{{kInboxNameSpace, "", REG_SZ, "受信ﾄﾚｲ"}} : std::vector<RegEntry>{}));
        EXPECT_TRUE(RegKeyPresent(HKEY_LOCAL_MACHINE, kNameSpace + "\\{Sibling}"));
        EXPECT_EQ(Get(HKEY_CLASSES_ROOT, kInboxIcon, ""),
                  ticked ? icons::MakeIconLocation(w->Desktop->Slots[8].CurrentFile, w->Desktop->Slots[8].CurrentIndex) : "absent");
        // A new start on the same registry reads the states back.
        TForm1 again(nullptr);
        EXPECT_EQ(std::make_pair(again.shortcut->Checked(), again.jushintray->Checked()), std::make_pair(ticked, !ticked));
    }
}
