#pragma once
// The Start-menu tab: a shell tree over one of four folders, the icon of the shortcut clicked
// in it, and the buttons that write a new icon into that shortcut or put its target's back.
#include "components/IEButton.h"
#include "components/ShellLink.h"
#include "icons/Workbench.h"
#include "shell/ShellTree.h"
#include "ui/StdCtrls.h"

namespace shortcuts {

struct TStartMenuControls {
    shell::TPTShellTree* Tree = nullptr;  // PTShellTree1
    ui::TImage* ItemIcon = nullptr;       // Image23
    ui::TComboBox* Folders = nullptr;     // ComboBox1
    TIEButton* ChangeButton = nullptr;    // "ﾒﾆｭｰｱｲｺﾝ変更"
    TIEButton* LoadButton = nullptr;      // the header's "読込"
    ui::TLabel* TargetLabel = nullptr;    // the item's target
    TVxShellLink* Link = nullptr;
};

// The folder box's entries, in order, and the special folder each shows in the tree.
struct TMenuFolder {
    const char* Entry;
    BYTE Csidl;
};
extern const TMenuFolder kMenuFolders[4];
// The folder every re-read passes through first: setting the folder the tree already
// shows does nothing, so the wanted one is set after this one.
constexpr BYTE kPassThroughFolder = CSIDL_COMMON_STARTMENU;

class TStartMenuTab {
public:
    TStartMenuTab(icons::TWorkbench& bench, const TStartMenuControls& controls);

    ui::String MenuIconFile;  // the icon chosen for the item; empty until one is
    int MenuIconIndex = 0;
    ui::String MenuItemPath;  // the path of the tree item clicked last; the file the change button writes

    // A mouse press in the tree: the item it selected is read; a shortcut's icon goes into the grid.
    void ItemClicked();
    // A key in the tree: F5 re-reads the tree from the ground up.
    void TreeKeyDown(WORD key);
    // The folder box's selection becomes the tree's root, read anew.
    void FolderChanged();
    // The item's icon goes into the grid; the buttons are enabled once it shows one.
    void ShowItemIcon();
    // "ﾒﾆｭｰｱｲｺﾝ変更": the chosen icon goes into the item's shortcut file, then the tree re-reads it.
    // A shortcut that is gone is not made anew: the user is told and the tab shows no item.
    void ChangeMenuIcon();
    // "標準にもどす": the target's first icon becomes the item's choice.
    void UseTargetIcon();
    // The grid's icon becomes the item's, written at once while the change button is enabled.
    void Assign(const ui::String& file, int index);
    // The tree renamed an item in place: the item shown follows it (or the folder it is in).
    void ItemRenamed(const ui::String& oldPath, const ui::String& newPath);

private:
    // Re-roots the tree through each folder in turn, 100 ms apart, without redrawing in between.
    void SwitchRoot(std::initializer_list<BYTE> folders);
    // The folder box's selected entry; none when nothing is selected.
    const TMenuFolder* SelectedFolder() const;
    // The tree's root for the folder box's selection.
    void RootForFolderBox();
    // Tells the user when the folder just made the tree's root could not be shown.
    void TellIfMissing(const TMenuFolder& folder);
    void EnableItemControls(bool enabled);
    // No shortcut read: no icon, buttons off, the link and the chosen icon empty.
    void ClearItem();

    icons::TWorkbench& bench_;
    TStartMenuControls controls_;
    // Whether the last press in the tree read a shortcut file: only then does the change
    // button write one.
    bool shortcutRead_ = false;
};

}  // namespace shortcuts
