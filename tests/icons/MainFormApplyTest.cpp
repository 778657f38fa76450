// "実行" on the real main window: what lands in the registry for this run's Windows and
// display depth (the runs with other personalities and depths repeat these tests).
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

#include "icons/IconLocation.h"
#include "support/MainWindow.h"

using namespace testing_support;

namespace {

const char kRecycle[] = "{645FF040-5081-101B-9F08-00AA002F954E}";
const char kNameSpace[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace";
const char kMetrics[] = "Control Panel\\Desktop\\WindowMetrics";

std::set<std::string> KeysWithValues(HKEY root) {
    std::set<std::string> keys;
    for (const RegEntry& e : RegDump(root))
        if (e.type != 0) keys.insert(e.key + "|" + e.value);
    return keys;
}

int Depth() {
    const char* d = std::getenv("VEMLORA_DEPTH");
    return d ? std::atoi(d) : 32;
}

}  // namespace

TEST(MainWindowApply, WritesEveryLocationNameAndOptionForThisSystem) {
    MainWindow w;
    const bool perUser = w->OsFlag == "YES";
    w->IEButton5Click(w->IEButton5);

    std::set<std::string> hkcr = KeysWithValues(HKEY_CLASSES_ROOT);
    std::set<std::string> expected = {
        DefaultIconKey("{20D04FE0-3AEA-1069-A2D8-08002B30309D}") + "|",
        DefaultIconKey("{208D2C60-3AEA-1069-A2D7-08002B30309D}") + "|",
        DefaultIconKey("{21EC2020-3AEA-1069-A2DD-08002B30309D}") + "|",
        DefaultIconKey("{2227A280-3AEA-1069-A2DE-08002B30309D}") + "|",
        DefaultIconKey("{992CFFA0-F557-101A-88EC-00DD010CCC48}") + "|",
        DefaultIconKey("{85BBD920-42A0-1069-A2E4-08002B30309D}") + "|",
        DefaultIconKey(kRecycle) + "|",
        DefaultIconKey(kRecycle) + "|empty",
        DefaultIconKey(kRecycle) + "|full",
        std::string("CLSID\\") + kRecycle + "|",
    };
    if (!w->jushintray->Checked()) expected.insert(DefaultIconKey("{00020D75-0000-0000-C000-000000000046}") + "|");
    if (!w->shortcut->Checked())
        for (const char* k : {"DocShortcut", "lnkfile", "piffile"}) expected.insert(std::string(k) + "|IsShortcut");
    if (w->IsWindows98) expected.insert(DefaultIconKey("{450D8FBA-AD25-11D0-98A8-0800361B1103}") + "|");
    if (perUser) expected.insert(DefaultIconKey("{a4d92740-67cd-11cf-96f2-00aa00a11dd9}") + "|");
    EXPECT_EQ(hkcr, expected);

    std::set<std::string> hkcu = KeysWithValues(HKEY_CURRENT_USER);
    std::set<std::string> userExpected;
    if (perUser) {
        for (const char* v : {"", "empty", "full"})
            userExpected.insert("Software\\Classes\\" + DefaultIconKey(kRecycle) + "|" + v);
        userExpected.insert("Software\\Classes\\" + DefaultIconKey("{20D04FE0-3AEA-1069-A2D8-08002B30309D}") + "|");
        userExpected.insert("Software\\Classes\\" + DefaultIconKey("{208D2C60-3AEA-1069-A2D7-08002B30309D}") + "|");
    }
    if (Depth() >= 16) userExpected.insert(std::string(kMetrics) + "|Shell Icon BPP");
    // The fixture's own desktop folder setting is no write of the program's.
    for (const std::string& k : hkcu) {
        if (k.find("Shell Folders") == std::string::npos) {
            EXPECT_TRUE(userExpected.count(k)) << k;
        }
    }
    for (const std::string& k : userExpected) EXPECT_TRUE(hkcu.count(k)) << k;

    // Colour depth and the multi-colour option.
    std::string bpp;
    if (Depth() >= 16) {
        ASSERT_TRUE(RegGet(HKEY_CURRENT_USER, kMetrics, "Shell Icon BPP", &bpp));
        EXPECT_EQ(bpp, !w->icon->Checked() ? "4" : (Depth() > 16 && !perUser) ? "24" : "16");
    } else {
        EXPECT_FALSE(RegValuePresent(HKEY_CURRENT_USER, kMetrics, "Shell Icon BPP")) << "absent stays absent";
    }

    // The empty name box is written as "ごみ箱" under its three keys and shown again.
    EXPECT_EQ(w->Edit1->Text(), "ごみ箱");
    std::string name;
    ASSERT_TRUE(RegGet(HKEY_LOCAL_MACHINE, std::string(kNameSpace) + "\\" + kRecycle, "", &name));
    EXPECT_EQ(name, "ごみ箱");
    ASSERT_TRUE(RegGet(HKEY_LOCAL_MACHINE, std::string("SOFTWARE\\Classes\\CLSID\\") + kRecycle, "", &name));
    EXPECT_EQ(name, "ごみ箱");
}

TEST(MainWindowApply, AtLowDepthAnExistingBppBecomesFourWhateverTheOption) {
    MainWindow w([] { RegSet(HKEY_CURRENT_USER, kMetrics, "Shell Icon BPP", "16"); });
    w->icon->SetChecked(true);
    w->IEButton5Click(w->IEButton5);
    std::string bpp;
    ASSERT_TRUE(RegGet(HKEY_CURRENT_USER, kMetrics, "Shell Icon BPP", &bpp));
    if (Depth() < 16)
        EXPECT_EQ(bpp, "4");
    else
        EXPECT_EQ(bpp, (Depth() > 16 && w->OsFlag == "NO") ? "24" : "16");
}

TEST(MainWindowApply, OptionsRoundTripThroughTheRegistry) {
    MainWindow w;
    w->shortcut->SetChecked(false);
    w->jushintray->SetChecked(true);
    w->IEButton5Click(w->IEButton5);
    for (const char* k : {"DocShortcut", "lnkfile", "piffile"})
        EXPECT_TRUE(RegValuePresent(HKEY_CLASSES_ROOT, k, "IsShortcut")) << k;
    EXPECT_FALSE(RegKeyPresent(HKEY_LOCAL_MACHINE, std::string(kNameSpace) + "\\{00020D75-0000-0000-C000-000000000046}"));
    w->shortcut->SetChecked(true);
    w->jushintray->SetChecked(false);
    w->IEButton5Click(w->IEButton5);
    for (const char* k : {"DocShortcut", "lnkfile", "piffile"})
        EXPECT_FALSE(RegValuePresent(HKEY_CLASSES_ROOT, k, "IsShortcut")) << k;
    std::string inbox;
    ASSERT_TRUE(RegGet(HKEY_LOCAL_MACHINE, std::string(kNameSpace) + "\\{00020D75-0000-0000-C000-000000000046}", "",
                       &inbox));
    EXPECT_EQ(inbox, "受信ﾄﾚｲ");
    // A new start on the same registry reads the states back.
    w->shortcut->SetChecked(false);
    w->jushintray->SetChecked(true);
    TForm1 again(nullptr);
    EXPECT_TRUE(again.shortcut->Checked());
    EXPECT_FALSE(again.jushintray->Checked());
}
