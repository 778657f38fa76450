#include "icons/ApplySettings.h"

#include <shlobj.h>

#include "icons/IconLocation.h"
#include "ui/Handles.h"
#include "ui/Registry.h"

namespace icons {

namespace {

const char kWindowMetrics[] = "Control Panel\\Desktop\\WindowMetrics";
const char kShellIconBpp[] = "Shell Icon BPP";
const char kIsShortcut[] = "IsShortcut";
const char kInboxName[] = "受信ﾄﾚｲ";

// One write with its own access object; skipped when the key can be neither opened nor created.
void WriteValue(HKEY root, const ui::String& key, const ui::String& name, const ui::String& value) {
    ui::TRegistry reg(root);
    if (reg.OpenKey(key, true)) reg.WriteString(name, value);
}

// A slot without a file has no location to write ("," + index would name no file).
void WriteSlot(HKEY root, const ui::String& key, const ui::String& name, const TIconSlot& slot) {
    if (slot.CurrentFile.empty() || key.empty()) return;
    WriteValue(root, key, name, MakeIconLocation(slot.CurrentFile, slot.CurrentIndex));
}

void WriteColourDepth(bool perUserClasses, int bits, bool icon) {
    ui::TRegistry reg(HKEY_CURRENT_USER);
    if (!reg.OpenKey(kWindowMetrics, true)) return;
    if (bits >= 16) {
        ui::String depth = !perUserClasses && bits > 16 ? "24" : "16";
        reg.WriteString(kShellIconBpp, icon ? depth : "4");
    } else if (reg.ValueExists(kShellIconBpp)) {
        reg.WriteString(kShellIconBpp, "4");
    }
}

void WriteShortcutArrow(bool hideArrow) {
    for (const char* cls : {"DocShortcut", "lnkfile", "piffile"}) {
        ui::TRegistry reg(HKEY_CLASSES_ROOT);
        if (!reg.OpenKey(cls, true)) continue;
        if (hideArrow) {
            if (reg.ValueExists(kIsShortcut)) reg.DeleteValue(kIsShortcut);
        } else {
            reg.WriteString(kIsShortcut, "");
        }
    }
}

void WriteInbox(bool removeInbox, const TIconSlot& inbox) {
    if (removeInbox) {
        ui::TRegistry reg(HKEY_LOCAL_MACHINE);
        if (reg.OpenKey(kDesktopNameSpace, true) && reg.KeyExists(kInboxClsid)) reg.DeleteKey(kInboxClsid);
        return;
    }
    WriteValue(HKEY_LOCAL_MACHINE, ui::String(kDesktopNameSpace) + "\\" + kInboxClsid, "", kInboxName);
    WriteSlot(HKEY_CLASSES_ROOT, inbox.WriteKey, inbox.ValueName, inbox);
}

void WriteRecycleBinIcons(HKEY root, const ui::String& key, const TIconSlot& empty, const TIconSlot& full) {
    WriteSlot(root, key, "empty", empty);
    WriteSlot(root, key, "full", full);
    WriteSlot(root, key, "", empty);
}

}  // namespace

void ApplyRegistrySettings(const TIconSlotTable& table, bool perUserClasses, bool isWindows98, int colourBits,
                           const TShellOptions& options, ui::String& recycleBinName) {
    WriteColourDepth(perUserClasses, colourBits, options.Icon);
    WriteShortcutArrow(options.Shortcut);
    WriteInbox(options.Jushintray, table[slInbox]);
    if (isWindows98) {
        const TIconSlot& docs = table[slMyDocuments];
        WriteSlot(HKEY_CLASSES_ROOT, docs.WriteKey, docs.ValueName, docs);
    }
    for (int number : {slControlPanel, slPrinters, slDialUp, slBriefcase}) {
        const TIconSlot& slot = table[number];
        WriteSlot(HKEY_CLASSES_ROOT, slot.WriteKey, slot.ValueName, slot);
    }

    if (recycleBinName.empty()) recycleBinName = kDefaultRecycleBinName;
    const ui::String recycleClass = ui::String("CLSID\\") + kRecycleBinClsid;
    WriteValue(HKEY_CLASSES_ROOT, recycleClass, "", recycleBinName);
    WriteValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\" + recycleClass, "", recycleBinName);
    WriteValue(HKEY_LOCAL_MACHINE, ui::String(kDesktopNameSpace) + "\\" + kRecycleBinClsid, "", recycleBinName);

    const TIconSlot& empty = table[slRecycleEmpty];
    const TIconSlot& full = table[slRecycleFull];
    WriteRecycleBinIcons(HKEY_CLASSES_ROOT, empty.WriteKey, empty, full);
    for (int number : {slMyComputer, slNetwork}) {
        const TIconSlot& slot = table[number];
        WriteSlot(HKEY_CLASSES_ROOT, slot.WriteKey, slot.ValueName, slot);
    }

    if (!perUserClasses) return;
    const TIconSlot& dialUp = table[slDialUp];
    WriteSlot(HKEY_CLASSES_ROOT, dialUp.SecondWriteKey, dialUp.ValueName, dialUp);
    WriteRecycleBinIcons(HKEY_CURRENT_USER, empty.UserClassesKey, empty, full);
    for (int number : {slMyComputer, slNetwork}) {
        const TIconSlot& slot = table[number];
        WriteSlot(HKEY_CURRENT_USER, slot.UserClassesKey, slot.ValueName, slot);
    }
}

int ReadColourDepth(HWND wnd) {
    ui::WindowDC dc(wnd);
    return dc.get() ? GetDeviceCaps(dc.get(), BITSPIXEL) : 0;
}

void NotifyAssociationsChanged() { SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr); }

bool InitialIconOption(int screenBits) { return !(screenBits >= 4 && screenBits <= 8); }

bool ReadShortcutOption() {
    ui::TRegistry reg(HKEY_CLASSES_ROOT);
    return !(reg.OpenKey("lnkfile", false) && reg.ValueExists(kIsShortcut));
}

bool ReadInboxOption() {
    ui::TRegistry reg(HKEY_LOCAL_MACHINE);
    return !(reg.OpenKey(kDesktopNameSpace, false) && reg.KeyExists(kInboxClsid));
}

}  // namespace icons
