// Selecting a desktop object and putting objects back to their default icons.
#include "app/MainForm.h"
#include "icons/IconLocation.h"

using namespace ui;

namespace {

// Keeps the grid from redrawing while its file and selection change; resumes also on error.
class GridUpdate {
public:
    explicit GridUpdate(TIconListBox* grid) : grid_(grid) { grid_->BeginUpdate(); }
    ~GridUpdate() { grid_->EndUpdate(); }
    GridUpdate(const GridUpdate&) = delete;
    GridUpdate& operator=(const GridUpdate&) = delete;

private:
    TIconListBox* grid_;
};

}  // namespace

TImage* TForm1::SlotImage(int number) const {
    switch (number) {
        case 1: return Image5;
        case 2: return Image6;
        case 3: return Image1;
        case 4: return Image15;
        case 5: return Image17;
        case 6: return Image18;
        case 7: return Image19;
        case 8: return Image20;
        case 9: return Image3;
        case 10: return Image4;
        case 11: return Image21;
        default: return nullptr;
    }
}

TBevel* TForm1::SlotBevel(int number) const {
    switch (number) {
        case 1: return Bevel5;
        case 2: return Bevel6;
        case 3: return Bevel14;
        case 4: return Bevel17;
        case 5: return Bevel15;
        case 6: return Bevel18;
        case 7: return Bevel19;
        case 8: return Bevel20;
        case 9: return Bevel4;
        case 10: return Bevel3;
        case 11: return Bevel21;
        default: return nullptr;
    }
}

void TForm1::PaintSlotImage(int number) {
    const icons::TIconSlot& slot = Slots[number];
    PaintIconInto(SlotImage(number), slot.CurrentFile, slot.CurrentIndex);
}

void TForm1::HideSelectionBevels() {
    for (TBevel* b : {Bevel4, Bevel3, Bevel5, Bevel6, Bevel14, Bevel15, Bevel17, Bevel18, Bevel19, Bevel20, Bevel21})
        b->Hide();
}

void TForm1::ShowInGrid(const String& file, int index) {
    GridUpdate update(IconListBox1);
    IconListBox1->SetFileName(file);
    IconListBox1->SetItemIndex(index);
    SetCaptionFromGrid();
}

void TForm1::SelectSlot(int number, bool bulkUpdate) {
    const icons::TIconSlot& slot = Slots[number];
    if (slot.CurrentFile.empty()) return;  // the Inbox without a location ignores the click
    SelectedSlot = number;
    HideSelectionBevels();
    SlotBevel(number)->Show();
    if (number == 9) RecycleFullSelected = 0;
    if (number == 10) RecycleFullSelected = 1;
    if (bulkUpdate) {
        ShowInGrid(slot.CurrentFile, slot.CurrentIndex);
    } else {
        IconListBox1->SetFileName(slot.CurrentFile);
        IconListBox1->SetItemIndex(slot.CurrentIndex);
        SetCaptionFromGrid();
    }
}

void TForm1::Image5Click(TObject*) { SelectSlot(1, true); }
void TForm1::Image6Click(TObject*) { SelectSlot(2, true); }
void TForm1::Image15Click(TObject*) { SelectSlot(4, true); }
void TForm1::Image17Click(TObject*) { SelectSlot(5, true); }
void TForm1::Image18Click(TObject*) { SelectSlot(6, true); }
void TForm1::Image19Click(TObject*) { SelectSlot(7, true); }
void TForm1::Image20Click(TObject*) { SelectSlot(8, true); }
void TForm1::Image3Click(TObject*) { SelectSlot(9, false); }
void TForm1::Image4Click(TObject*) { SelectSlot(10, false); }
void TForm1::Image21Click(TObject*) { SelectSlot(11, true); }

void TForm1::IEButton1Click(TObject*) {
    icons::ResetAllSlotsToDefault(Slots);
    IconListBox1->SetFileName(icons::GetShell32Path());
    Edit1->SetText(icons::kDefaultRecycleBinName);
    IconListBox1->SetItemIndex(RecycleFullSelected == 1 ? 32 : 31);
    SetCaptionFromGrid();
    PageControl1Change(this);
}

void TForm1::IEButton2Click(TObject*) {
    auto resetRecycleBin = [this](int number) {
        icons::ResetSlotToDefault(Slots[number]);
        IconListBox1->SetFileName(icons::GetShell32Path());
        Edit1->SetText(icons::kDefaultRecycleBinName);
        if (number == 10) IconListBox1->SetItemIndex(32);
        SetCaptionFromGrid();
    };
    if (Bevel20->Visible()) {
        icons::ResetSlotToDefault(Slots[8]);
    } else if (Bevel4->Visible()) {
        resetRecycleBin(9);
    } else if (Bevel3->Visible()) {
        resetRecycleBin(10);
    } else {
        const std::pair<TBevel*, int> frames[] = {{Bevel5, 1}, {Bevel6, 2},  {Bevel17, 4}, {Bevel15, 5},
                                                  {Bevel18, 6}, {Bevel19, 7}, {Bevel21, 11}};
        for (const auto& f : frames)
            if (f.first->Visible()) {
                icons::ResetSlotToDefault(Slots[f.second]);
                break;
            }
    }
    PageControl1Change(this);
}
