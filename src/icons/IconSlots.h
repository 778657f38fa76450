#pragma once
// The desktop objects whose icons the program changes: one slot each, numbered as the
// main window's SelectedSlot (1, 2 and 4 to 11; 3 is the dropped shortcut, not a slot).
#include <windows.h>

#include <array>
#include <functional>

#include "ui/Types.h"

namespace icons {

// Slot numbers in table order.
constexpr int kSlotNumbers[] = {1, 2, 4, 5, 6, 7, 8, 9, 10, 11};
constexpr int kSlotCount = 10;

enum TSlotNumber : int {
    slMyComputer = 1,
    slNetwork = 2,
    slControlPanel = 4,
    slPrinters = 5,
    slDialUp = 6,
    slBriefcase = 7,
    slInbox = 8,
    slRecycleEmpty = 9,
    slRecycleFull = 10,
    slMyDocuments = 11,
};

struct TIconSlot {
    int Number = 0;
    ui::String Clsid;           // the class whose DefaultIcon is read
    ui::String ClassesKey;      // read key under HKEY_CLASSES_ROOT: "CLSID\{...}\DefaultIcon"
    ui::String UserClassesKey;  // read key under HKEY_CURRENT_USER ("Software\Classes\..."); empty if none
    ui::String ValueName;       // "" for the default value; "empty"/"full" for the Recycle Bin
    ui::String WriteKey;        // written under HKEY_CLASSES_ROOT (the Inbox writes another class)
    ui::String SecondWriteKey;  // also written under HKEY_CLASSES_ROOT where the per-user keys are; empty if none
    int DefaultIndex = 0;

    ui::String CurrentFile;  // empty until loaded
    int CurrentIndex = 0;
};

// The default location of a slot, computed from the current system paths at call time.
struct TSlotLocation {
    ui::String File;
    int Index = 0;
};
TSlotLocation DefaultLocation(int number);
// True for 1, 2 and 4 to 11.
bool IsSlotNumber(int number);

// The ten slots with their fixed description, indexed by slot number.
class TIconSlotTable {
public:
    TIconSlotTable();
    // Raises ui::Exception for a number that is no slot (3, 0, 12...).
    TIconSlot& operator[](int number);
    const TIconSlot& operator[](int number) const;

    TIconSlot* begin() { return slots_.data(); }
    TIconSlot* end() { return slots_.data() + slots_.size(); }
    const TIconSlot* begin() const { return slots_.data(); }
    const TIconSlot* end() const { return slots_.data() + slots_.size(); }

private:
    std::array<TIconSlot, kSlotCount> slots_;
};

// Reads one slot's location into CurrentFile/CurrentIndex. `readRoot` is HKEY_CLASSES_ROOT
// or HKEY_CURRENT_USER (the slot's "Software\Classes" key; slots without one read HKCR).
// Missing key or value, a missing file or a damaged location give the default; a negative
// index keeps the file and takes the default index. The Inbox keeps its previous location
// when the stored file is missing.
void LoadSlotLocation(TIconSlot& slot, HKEY readRoot);

// The Recycle Bin's display name from HKLM's desktop NameSpace; empty when absent.
ui::String ReadRecycleBinName();

// Start-up loading, in order: slot 11 (Windows 98 only); slots 1, 2, the Recycle Bin name,
// slots 9 and 10 (from the per-user keys where the system has them); then slots 4, 5, 6, 7, 8.
// `onStep` is called right after the name is read and after slots 9 and 10 are loaded.
enum class TLoadStep { RecycleBinNameRead, Slot9Loaded, Slot10Loaded };
using TLoadCallback = std::function<void(TLoadStep step, const ui::String& recycleBinName)>;
void LoadAllSlots(TIconSlotTable& table, bool perUserClasses, bool isWindows98,
                  const TLoadCallback& onStep = TLoadCallback());

// Puts one slot, or every slot (order 1, 2, 6, 4, 5, 7, 11, 8, 9, 10), back to its default.
void ResetSlotToDefault(TIconSlot& slot);
void ResetAllSlotsToDefault(TIconSlotTable& table);

// The Recycle Bin's name when the user leaves it empty or resets it.
extern const char* const kDefaultRecycleBinName;
// The Recycle Bin's class, the Inbox's (the one its icon is written to), and the key of the
// objects the desktop shows.
extern const char kRecycleBinClsid[];
extern const char kInboxClsid[];
extern const char kDesktopNameSpace[];

}  // namespace icons
