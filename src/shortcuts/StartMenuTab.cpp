#include "shortcuts/StartMenuTab.h"

#include "shortcuts/ShortcutFile.h"
#include "ui/Forms.h"
#include "ui/SysUtils.h"

namespace shortcuts {

const TMenuFolder kMenuFolders[4] = {
    {"ｽﾀｰﾄﾒﾆｭｰ", CSIDL_STARTMENU},
    {"ﾃﾞｽｸﾄｯﾌﾟ", CSIDL_DESKTOP},
    {"共通ｽﾀｰﾄﾒﾆｭｰ", CSIDL_COMMON_STARTMENU},
    {"共通ﾃﾞｽｸﾄｯﾌﾟ", CSIDL_COMMON_DESKTOPDIRECTORY},
};

TStartMenuTab::TStartMenuTab(icons::TWorkbench& bench, const TStartMenuControls& controls)
    : bench_(bench), controls_(controls) {}

void TStartMenuTab::SwitchRoot(std::initializer_list<BYTE> folders) {
    ui::TTreeUpdateLock lock(controls_.Tree->Items());
    bool first = true;
    for (BYTE csidl : folders) {
        if (!first) Sleep(100);
        first = false;
        controls_.Tree->BaseFolder().SetSpecialFolder(csidl);
    }
}

const TMenuFolder* TStartMenuTab::SelectedFolder() const {
    const int index = controls_.Folders->ItemIndex();
    if (index < 0 || index >= static_cast<int>(std::size(kMenuFolders))) return nullptr;
    return &kMenuFolders[index];
}

void TStartMenuTab::RootForFolderBox() {
    const TMenuFolder* folder = SelectedFolder();
    if (!folder) return;
    SwitchRoot({folder->Csidl});
    TellIfMissing(*folder);
}

void TStartMenuTab::TellIfMissing(const TMenuFolder& folder) {
    // Every fill that finds its folder makes the top node.
    if (controls_.Tree->HandleAllocated() && controls_.Tree->Items().Count() == 0)
        ui::Application().MessageBox(ui::String("「") + folder.Entry + "」のﾌｫﾙﾀﾞが見つかりません。");
}

void TStartMenuTab::FolderChanged() {
    const TMenuFolder* folder = SelectedFolder();
    if (!folder) return;
    if (folder->Csidl == kPassThroughFolder)
        SwitchRoot({folder->Csidl});
    else
        SwitchRoot({kPassThroughFolder, folder->Csidl});
    TellIfMissing(*folder);
}

void TStartMenuTab::TreeKeyDown(WORD key) {
    if (key != VK_F5) return;
    SwitchRoot({kPassThroughFolder, CSIDL_DESKTOP, CSIDL_STARTMENU});
    RootForFolderBox();
}

void TStartMenuTab::EnableItemControls(bool enabled) {
    controls_.ChangeButton->SetEnabled(enabled);
    controls_.LoadButton->SetEnabled(enabled);
    bench_.Grid().SetEnabled(enabled);
}

void TStartMenuTab::ClearItem() {
    TVxShellLink& link = *controls_.Link;
    controls_.ItemIcon->Hide();
    controls_.ChangeButton->SetEnabled(false);
    controls_.LoadButton->SetEnabled(false);
    link.SetFileName(ui::String());
    link.SetTarget(ui::String());
    link.FileIcon().SetFileName(ui::String());
    link.FileIcon().SetIconIndex(0);
    MenuIconFile.clear();
    MenuIconIndex = 0;
    shortcutRead_ = false;
}

void TStartMenuTab::ItemClicked() {
    shell::TPTShTreeData* data = controls_.Tree->SelectedData();
    if (!controls_.Tree->Selected() || !data) return;
    TVxShellLink& link = *controls_.Link;
    ClearItem();
    MenuItemPath = data->PathName();
    if (!ui::ExtractFileExt(MenuItemPath).empty()) {
        // For any file but a shortcut this names a shortcut beside it, which normally does not exist.
        link.SetFileName(MenuItemPath);
        link.Load();
        shortcutRead_ = ui::FileExists(link.FileName());
        ui::String file = link.FileIcon().FileName();
        int index = link.FileIcon().IconIndex();
        if (file.empty()) {
            file = link.Target();
            index = 0;
        }
        icons::TGridUpdate update(bench_.Grid());
        if (!file.empty()) {
            controls_.ItemIcon->Show();
            icons::PaintIconInto(controls_.ItemIcon, file, index);
            MenuIconFile = file;
            MenuIconIndex = index;
            bench_.ShowInGrid(file, index);
        } else {
            controls_.ItemIcon->Hide();
        }
    }
    if (controls_.ItemIcon->Visible() && bench_.Grid().ItemIndex() != -1) {
        EnableItemControls(true);
    } else {
        bench_.ShowCaption("Vemlora ");
        EnableItemControls(false);
    }
    controls_.TargetLabel->SetCaption(link.Target());
}

void TStartMenuTab::ShowItemIcon() {
    if (MenuIconFile.empty()) return;
    bench_.ShowInGrid(MenuIconFile, MenuIconIndex);
    if (bench_.Grid().ItemIndex() >= 0) {
        controls_.ChangeButton->SetEnabled(true);
        controls_.LoadButton->SetEnabled(true);
    }
}

void TStartMenuTab::ChangeMenuIcon() {
    TVxShellLink& link = *controls_.Link;
    link.SetFileName(MenuItemPath);
    // Only a shortcut the last press read is rewritten: after a folder or a plain file there
    // is nothing of its own to keep, and a write would make a new file.
    if (shortcutRead_ && !MenuIconFile.empty() && !link.Target().empty() &&
        !WriteShortcutIcon(link, MenuIconFile, MenuIconIndex)) {
        // The shortcut is gone: the tab shows no item, as after a click on nothing to change.
        ClearItem();
        MenuItemPath.clear();
        bench_.ShowCaption("Vemlora ");
        EnableItemControls(false);
        controls_.TargetLabel->SetCaption(ui::String());
        return;
    }
    SwitchRoot({kPassThroughFolder, CSIDL_STARTMENU});
    RootForFolderBox();
}

void TStartMenuTab::ItemRenamed(const ui::String& oldPath, const ui::String& newPath) {
    if (MenuItemPath.empty() || oldPath.empty() || newPath.empty()) return;
    const ui::String item = ui::AnsiUpperCase(MenuItemPath), old = ui::AnsiUpperCase(oldPath);
    if (item == old)
        MenuItemPath = newPath;
    else if (item.compare(0, old.size() + 1, old + "\\") == 0)  // a folder on the item's way
        MenuItemPath = newPath + MenuItemPath.substr(oldPath.size());
}

void TStartMenuTab::UseTargetIcon() {
    const ui::String target = controls_.TargetLabel->Caption();
    if (target.empty() || ui::ExtractFileExt(target).empty()) return;
    controls_.ItemIcon->Show();
    icons::PaintIconInto(controls_.ItemIcon, target, 0);
    MenuIconFile = target;
    MenuIconIndex = 0;
    bench_.ShowInGrid(target, 0);
}

void TStartMenuTab::Assign(const ui::String& file, int index) {
    MenuIconFile = file;
    MenuIconIndex = index;
    icons::PaintIconInto(controls_.ItemIcon, file, index);
    if (controls_.ChangeButton->Enabled()) ChangeMenuIcon();
}

}  // namespace shortcuts
