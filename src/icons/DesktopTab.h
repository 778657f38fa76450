#pragma once
// The desktop tab: the desktop objects' images with their selection frames, the Recycle Bin
// name, and the slot table behind them. Selecting a slot shows its file in the shared grid.
#include <array>

#include "icons/ApplySettings.h"
#include "icons/IconSlots.h"
#include "icons/Workbench.h"
#include "ui/StdCtrls.h"

namespace icons {

// One object's image and the frame shown around it while it is selected.
struct TSlotView {
    ui::TImage* Image = nullptr;
    ui::TBevel* Frame = nullptr;
};

struct TDesktopControls {
    std::array<TSlotView, 12> Views;  // by slot number; 0 is unused, 3 is the dropped shortcut's
    ui::TLabel* MyDocumentsLabel = nullptr;
    ui::TEdit* RecycleBinName = nullptr;
};

class TDesktopTab {
public:
    TDesktopTab(TWorkbench& bench, const TDesktopControls& controls);

    TIconSlotTable Slots;
    int SelectedSlot = 1;
    int RecycleFullSelected = 0;

    // nullptr for a number that has no image (0, 12...).
    ui::TImage* SlotImage(int number) const;
    ui::TBevel* SlotBevel(int number) const;

    // Start-up: My Documents is shown and loaded on Windows 98 only; the other slots and the
    // Recycle Bin name follow, with the empty Recycle Bin's frame shown.
    void ShowMyDocuments();
    void LoadSlots(bool perUserClasses);

    void HideSelectionBevels();
    // Makes `number` the selected object (3 included): only its frame shows.
    void ShowSelection(int number);
    // A click on a slot image: the slot's file goes into the grid with its icon selected.
    // The Recycle Bin images reload the grid without a bulk update.
    void SelectSlot(int number);
    void PaintSlotImage(int number);
    // Every slot image from the table (My Documents only when shown).
    void PaintSlotImages(bool isWindows98);
    // The grid's icon becomes the selected slot's; false when no slot is selected (3 included).
    bool AssignToSelected(const ui::String& file, int index);

    // "全て" and "標準"; the caller repaints through the tab handler afterwards.
    void ResetAll();
    void ResetSelected();

    // Writes every slot, the Recycle Bin name and the options, then tells the shell.
    void Apply(bool perUserClasses, bool isWindows98, int colourBits, const TShellOptions& options);

private:
    void ShowShell32InGrid();

    TWorkbench& bench_;
    TDesktopControls controls_;
};

}  // namespace icons
