#include "icons/DesktopTab.h"

#include "icons/IconLocation.h"

namespace icons {

TDesktopTab::TDesktopTab(TWorkbench& bench, const TDesktopControls& controls) : bench_(bench), controls_(controls) {}

ui::TImage* TDesktopTab::SlotImage(int number) const {
    return number > 0 && number < 12 ? controls_.Views[static_cast<size_t>(number)].Image : nullptr;
}

ui::TBevel* TDesktopTab::SlotBevel(int number) const {
    return number > 0 && number < 12 ? controls_.Views[static_cast<size_t>(number)].Frame : nullptr;
}

void TDesktopTab::ShowMyDocuments() {
    SlotImage(slMyDocuments)->Show();
    controls_.MyDocumentsLabel->Show();
    LoadSlotLocation(Slots[slMyDocuments], HKEY_CLASSES_ROOT);
}

void TDesktopTab::LoadSlots(bool perUserClasses) {
    // Slot 11 is loaded by ShowMyDocuments; the rest in their order, painting the Recycle Bin as it comes.
    LoadAllSlots(Slots, perUserClasses, false, [this](TLoadStep step, const ui::String& name) {
        switch (step) {
            case TLoadStep::RecycleBinNameRead: controls_.RecycleBinName->SetText(name); break;
            case TLoadStep::Slot9Loaded: PaintSlotImage(slRecycleEmpty); break;
            case TLoadStep::Slot10Loaded: PaintSlotImage(slRecycleFull); break;
        }
    });
    SlotBevel(slRecycleEmpty)->Show();
    SlotBevel(slRecycleFull)->Hide();
    RecycleFullSelected = 0;
}

void TDesktopTab::HideSelectionBevels() {
    for (const TSlotView& v : controls_.Views)
        if (v.Frame) v.Frame->Hide();
}

void TDesktopTab::ShowSelection(int number) {
    SelectedSlot = number;
    HideSelectionBevels();
    SlotBevel(number)->Show();
}

void TDesktopTab::SelectSlot(int number) {
    const TIconSlot& slot = Slots[number];
    if (slot.CurrentFile.empty()) return;  // the Inbox without a location ignores the click
    ShowSelection(number);
    if (number == slRecycleEmpty) RecycleFullSelected = 0;
    if (number == slRecycleFull) RecycleFullSelected = 1;
    if (number == slRecycleEmpty || number == slRecycleFull) {
        bench_.Grid().SetFileName(slot.CurrentFile);
        bench_.Grid().SetItemIndex(slot.CurrentIndex);
        bench_.SetCaptionFromGrid();
    } else {
        bench_.ShowInGrid(slot.CurrentFile, slot.CurrentIndex);
    }
}

void TDesktopTab::PaintSlotImage(int number) {
    const TIconSlot& slot = Slots[number];
    PaintIconInto(SlotImage(number), slot.CurrentFile, slot.CurrentIndex);
}

void TDesktopTab::PaintSlotImages(bool isWindows98) {
    for (const TIconSlot& slot : Slots)
        if (slot.Number != slMyDocuments || isWindows98) PaintSlotImage(slot.Number);
}

bool TDesktopTab::AssignToSelected(const ui::String& file, int index) {
    if (!IsSlotNumber(SelectedSlot)) return false;
    Slots[SelectedSlot].CurrentFile = file;
    Slots[SelectedSlot].CurrentIndex = index;
    PaintIconInto(SlotImage(SelectedSlot), file, index);
    return true;
}

void TDesktopTab::ShowShell32InGrid() {
    bench_.Grid().SetFileName(GetShell32Path());
    controls_.RecycleBinName->SetText(kDefaultRecycleBinName);
}

void TDesktopTab::ResetAll() {
    ResetAllSlotsToDefault(Slots);
    ShowShell32InGrid();
    bench_.Grid().SetItemIndex(RecycleFullSelected == 1 ? 32 : 31);
    bench_.SetCaptionFromGrid();
}

void TDesktopTab::ResetSelected() {
    // Exactly one frame shows after a selection; the Inbox's is looked at first. The dropped
    // shortcut's frame resets nothing.
    int number = SlotBevel(slInbox)->Visible() ? int(slInbox) : 0;
    for (const TIconSlot& slot : Slots)
        if (!number && SlotBevel(slot.Number)->Visible()) number = slot.Number;
    if (!number) return;
    ResetSlotToDefault(Slots[number]);
    if (number != slRecycleEmpty && number != slRecycleFull) return;
    ShowShell32InGrid();
    if (number == slRecycleFull) bench_.Grid().SetItemIndex(32);
    bench_.SetCaptionFromGrid();
}

void TDesktopTab::Apply(bool perUserClasses, bool isWindows98, int colourBits, const TShellOptions& options) {
    ui::String name = controls_.RecycleBinName->Text();
    ApplyRegistrySettings(Slots, perUserClasses, isWindows98, colourBits, options, name);
    if (controls_.RecycleBinName->Text() != name) controls_.RecycleBinName->SetText(name);
    NotifyAssociationsChanged();
}

}  // namespace icons
