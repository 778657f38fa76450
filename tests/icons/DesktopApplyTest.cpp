// "実行" on the real main window: what lands in the registry for this run's Windows and
// display depth (the runs with other personalities and depths repeat these tests).
#include <gtest/gtest.h>

#include <cstdlib>

#include "icons/IconLocation.h"
#include "icons/IconSlots.h"
#include "support/MainWindow.h"

using namespace testing_support;

namespace {

const std::string kMetrics = "Control Panel\\Desktop\\WindowMetrics";
const std::string kNameSpace = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace";
const std::string kInboxNameSpace = kNameSpace + "\\" + icons::kInboxClsid;

int Depth() { return std::getenv("VEMLORA_DEPTH") ? std::atoi(std::getenv("VEMLORA_DEPTH")) : 32; }

std::string Get(HKEY root, const std::string& key, const std::string& value) {
    std::string data = "absent";
    RegGet(root, key, value, &data);
    return data;
}

}  // namespace

// "実行" passes this run's Windows and depth on (what each combination writes is the golden
// table's of ApplySettingsTest): once without "Shell Icon BPP", once with it stored and the
// multi-colour option ticked.
TEST(MainWindowApply, WritesForThisSystemAndDepth) {
    for (const std::string stored : {"", "16"}) {
        MainWindow w([&] { if (!stored.empty()) RegSet(HKEY_CURRENT_USER, kMetrics, "Shell Icon BPP", stored); });
        if (!stored.empty()) w->icon->SetChecked(true);
        w->IEButton5Click(w->IEButton5);
        const icons::TIconSlotTable& slots = w->Desktop->Slots;
        EXPECT_EQ(RegValuePresent(HKEY_CURRENT_USER, slots[1].UserClassesKey, ""), PerUserRun());
        EXPECT_EQ(RegValuePresent(HKEY_CLASSES_ROOT, slots[11].WriteKey, ""), Personality() == "win98");
        // At low depth an absent value stays absent and a stored one becomes "4", whatever the option.
        EXPECT_EQ(Get(HKEY_CURRENT_USER, kMetrics, "Shell Icon BPP"),
                  Depth() < 16 ? (stored.empty() ? "absent" : "4")
                  : !w->icon->Checked() ? "4" : (Depth() > 16 && !PerUserRun()) ? "24" : "16");
        // The empty name box is written as "ごみ箱" and shown again.
        EXPECT_EQ(w->Edit1->Text(), "ごみ箱");
        EXPECT_EQ(Get(HKEY_LOCAL_MACHINE, kNameSpace + "\\" + icons::kRecycleBinClsid, ""), "ごみ箱");
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
        EXPECT_EQ(Get(HKEY_CLASSES_ROOT, w->Desktop->Slots[8].WriteKey, ""),
                  ticked ? icons::MakeIconLocation(w->Desktop->Slots[8].CurrentFile, w->Desktop->Slots[8].CurrentIndex) : "absent");
        // A new start on the same registry reads the states back.
        TForm1 again(nullptr);
        EXPECT_EQ(std::make_pair(again.shortcut->Checked(), again.jushintray->Checked()), std::make_pair(ticked, !ticked));
    }
}
