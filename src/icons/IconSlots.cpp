#include "icons/IconSlots.h"

#include "icons/IconLocation.h"
#include "ui/Registry.h"
#include "ui/SysUtils.h"

namespace icons {

const char* const kDefaultRecycleBinName = "ごみ箱";
const char kRecycleBinClsid[] = "{645FF040-5081-101B-9F08-00AA002F954E}";
const char kInboxClsid[] = "{00020D75-0000-0000-C000-000000000046}";
const char kDesktopNameSpace[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace";

namespace {

struct TSlotDescription {
    int Number;
    const char* Clsid;
    const char* WriteClsid;   // nullptr: same as Clsid
    const char* SecondClsid;  // nullptr: none
    bool PerUser;
    const char* ValueName;
    int DefaultIndex;
};

const TSlotDescription kDescriptions[kSlotCount] = {
    {1, "{20D04FE0-3AEA-1069-A2D8-08002B30309D}", nullptr, nullptr, true, "", 0},
    {2, "{208D2C60-3AEA-1069-A2D7-08002B30309D}", nullptr, nullptr, true, "", 17},
    {4, "{21EC2020-3AEA-1069-A2DD-08002B30309D}", nullptr, nullptr, false, "", 35},
    {5, "{2227A280-3AEA-1069-A2DE-08002B30309D}", nullptr, nullptr, false, "", 37},
    {6, "{992CFFA0-F557-101A-88EC-00DD010CCC48}", nullptr, "{a4d92740-67cd-11cf-96f2-00aa00a11dd9}", false, "",
     33},
    {7, "{85BBD920-42A0-1069-A2E4-08002B30309D}", nullptr, nullptr, false, "", 0},
    {8, "{00020D76-0000-0000-C000-000000000046}", kInboxClsid, nullptr, false, "", 0},
    {9, kRecycleBinClsid, nullptr, nullptr, true, "empty", 31},
    {10, kRecycleBinClsid, nullptr, nullptr, true, "full", 32},
    {11, "{450D8FBA-AD25-11D0-98A8-0800361B1103}", nullptr, nullptr, false, "", 0},
};

ui::String DefaultIconKey(const char* clsid) { return ui::String("CLSID\\") + clsid + "\\DefaultIcon"; }

int TableIndex(int number) {
    for (int i = 0; i < kSlotCount; ++i)
        if (kSlotNumbers[i] == number) return i;
    return -1;
}

}  // namespace

bool IsSlotNumber(int number) { return TableIndex(number) >= 0; }

TSlotLocation DefaultLocation(int number) {
    switch (number) {
        case slMyComputer: return {GetWindowsDir() + "\\ExpLorer.exe", 0};
        case slBriefcase: return {GetSystemDir() + "\\syncui.dll", 0};
        case slInbox: return {FindInboxProgram(), 0};
        case slMyDocuments: return {GetSystemDir() + "\\mydocs.dll", 0};
        default: break;
    }
    int i = TableIndex(number);
    if (i < 0) throw ui::Exception("no icon slot " + ui::IntToStr(number));
    return {GetShell32Path(), kDescriptions[i].DefaultIndex};
}

TIconSlotTable::TIconSlotTable() {
    for (int i = 0; i < kSlotCount; ++i) {
        const TSlotDescription& d = kDescriptions[i];
        TIconSlot& s = slots_[i];
        s.Number = d.Number;
        s.Clsid = d.Clsid;
        s.ClassesKey = DefaultIconKey(d.Clsid);
        if (d.PerUser) s.UserClassesKey = "Software\\Classes\\" + s.ClassesKey;
        s.ValueName = d.ValueName;
        s.WriteKey = DefaultIconKey(d.WriteClsid ? d.WriteClsid : d.Clsid);
        if (d.SecondClsid) s.SecondWriteKey = DefaultIconKey(d.SecondClsid);
        s.DefaultIndex = d.DefaultIndex;
    }
}

TIconSlot& TIconSlotTable::operator[](int number) {
    int i = TableIndex(number);
    if (i < 0) throw ui::Exception("no icon slot " + ui::IntToStr(number));
    return slots_[i];
}

const TIconSlot& TIconSlotTable::operator[](int number) const {
    return const_cast<TIconSlotTable&>(*this)[number];
}

void LoadSlotLocation(TIconSlot& slot, HKEY readRoot) {
    const ui::String& key =
        readRoot == HKEY_CURRENT_USER && !slot.UserClassesKey.empty() ? slot.UserClassesKey : slot.ClassesKey;
    HKEY root = readRoot == HKEY_CURRENT_USER && !slot.UserClassesKey.empty() ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT;
    ui::String stored;
    {
        ui::TRegistry reg(root);
        if (reg.OpenKey(key, false)) stored = reg.ReadString(slot.ValueName);
    }

    ui::String file;
    int index = 0;
    if (slot.Number == slInbox) {
        // The Inbox may stay without a location: its default is looked up only when nothing is stored.
        if (stored.empty()) stored = MakeIconLocation(FindInboxProgram(), 0);
        if (SplitIconLocation(stored, file, index)) {
            slot.CurrentFile = file;
            slot.CurrentIndex = index < 0 ? 0 : index;
        }
        return;
    }

    TSlotLocation def = DefaultLocation(slot.Number);
    if (stored.empty()) stored = MakeIconLocation(def.File, def.Index);
    if (SplitIconLocation(stored, file, index)) {
        slot.CurrentFile = file;
        slot.CurrentIndex = index < 0 ? def.Index : index;
    } else {
        slot.CurrentFile = def.File;
        slot.CurrentIndex = def.Index;
    }
    if (!ui::EntryExists(slot.CurrentFile)) {
        slot.CurrentFile = def.File;
        slot.CurrentIndex = def.Index;
    }
}

ui::String ReadRecycleBinName() {
    ui::TRegistry reg(HKEY_LOCAL_MACHINE);
    if (!reg.OpenKey(ui::String(kDesktopNameSpace) + "\\" + kRecycleBinClsid, false)) return ui::String();
    return reg.ReadString("");
}

void LoadAllSlots(TIconSlotTable& table, bool perUserClasses, bool isWindows98, const TLoadCallback& onStep) {
    auto notify = [&](TLoadStep step, const ui::String& name) {
        if (onStep) onStep(step, name);
    };
    if (isWindows98) LoadSlotLocation(table[slMyDocuments], HKEY_CLASSES_ROOT);
    HKEY root = perUserClasses ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT;
    LoadSlotLocation(table[slMyComputer], root);
    LoadSlotLocation(table[slNetwork], root);
    notify(TLoadStep::RecycleBinNameRead, ReadRecycleBinName());
    LoadSlotLocation(table[slRecycleEmpty], root);
    notify(TLoadStep::Slot9Loaded, ui::String());
    LoadSlotLocation(table[slRecycleFull], root);
    notify(TLoadStep::Slot10Loaded, ui::String());
    for (int number : {slControlPanel, slPrinters, slDialUp, slBriefcase, slInbox})
        LoadSlotLocation(table[number], HKEY_CLASSES_ROOT);
}

void ResetSlotToDefault(TIconSlot& slot) {
    TSlotLocation def = DefaultLocation(slot.Number);
    slot.CurrentFile = def.File;
    slot.CurrentIndex = def.Index;
}

void ResetAllSlotsToDefault(TIconSlotTable& table) {
    for (int number : {1, 2, 6, 4, 5, 7, 11, 8, 9, 10}) ResetSlotToDefault(table[number]);
}

}  // namespace icons
