#pragma once
// The Start-menu tab: the icon of the item selected in the shell tree, the folder box, and
// the buttons that write a new icon into the item's shortcut or put its target's back.
#include "components/IEButton.h"
#include "components/ShellLink.h"
#include "icons/Workbench.h"
#include "ui/StdCtrls.h"

namespace shortcuts {

struct TStartMenuControls {
    ui::TImage* ItemIcon = nullptr;       // Image23
    ui::TComboBox* Folders = nullptr;     // ComboBox1
    TIEButton* ChangeButton = nullptr;    // "ﾒﾆｭｰｱｲｺﾝ変更"
    TIEButton* LoadButton = nullptr;      // the header's "読込"
    ui::TLabel* TargetLabel = nullptr;    // the item's target
    TVxShellLink* Link = nullptr;
};

class TStartMenuTab {
public:
    TStartMenuTab(icons::TWorkbench& bench, const TStartMenuControls& controls);

    ui::String MenuIconFile;  // the icon chosen for the item; empty until one is
    int MenuIconIndex = 0;
    ui::String MenuItemPath;  // the item's shortcut file; empty while nothing is selected

    // The item's icon goes into the grid; the buttons are enabled once it shows one.
    void ShowItemIcon();
    // "ﾒﾆｭｰｱｲｺﾝ変更": the chosen icon goes into the item's shortcut file.
    void SaveMenuIcon();
    // "標準にもどす": the target's first icon becomes the item's choice.
    void UseTargetIcon();
    // The grid's icon becomes the item's, written at once while the change button is enabled.
    void Assign(const ui::String& file, int index);

private:
    icons::TWorkbench& bench_;
    TStartMenuControls controls_;
};

}  // namespace shortcuts
