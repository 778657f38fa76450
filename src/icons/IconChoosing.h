#pragma once
// Loading an icon source into the grid: with the open dialog ("読込"), by a drop on the panel
// under the grid, or with "前のﾌｧｲﾙ"; the folder and file the next load starts from.
#include <vector>

#include "components/IEButton.h"
#include "icons/Workbench.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"

namespace icons {

struct TChoosingControls {
    ui::TOpenDialog* Dialog = nullptr;
    ui::TPanel* DropPanel = nullptr;      // under the grid
    TIEButton* PreviousButton = nullptr;  // "前のﾌｧｲﾙ"
};

class TIconChoosing {
public:
    TIconChoosing(TWorkbench& bench, const TChoosingControls& controls);

    ui::String PreviousFile;
    ui::String LastFolder;  // where the open dialog starts

    // Start-up: the dialog starts in the folder of `file`, which is also the previous file.
    void StartFrom(const ui::String& file);
    // The grid took another file.
    void GridFileChanged();
    // "読込": the chosen file goes into the grid with its first icon selected.
    void LoadWithDialog(HWND owner);
    // "前のﾌｧｲﾙ": the last loaded file again.
    void LoadPreviousFile();
    // A drop on the panel under the grid; shortcuts are left to the shortcut panel.
    void LoadDropped(const std::vector<ui::String>& files);

private:
    void Remember(const ui::String& path);

    TWorkbench& bench_;
    TChoosingControls controls_;
};

}  // namespace icons
