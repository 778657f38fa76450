#include "shortcuts/StartMenuTab.h"

#include "ui/SysUtils.h"

namespace shortcuts {

TStartMenuTab::TStartMenuTab(icons::TWorkbench& bench, const TStartMenuControls& controls)
    : bench_(bench), controls_(controls) {}

void TStartMenuTab::ShowItemIcon() {
    if (MenuIconFile.empty()) return;
    bench_.ShowInGrid(MenuIconFile, MenuIconIndex);
    if (bench_.Grid().ItemIndex() >= 0) {
        controls_.ChangeButton->SetEnabled(true);
        controls_.LoadButton->SetEnabled(true);
    }
}

void TStartMenuTab::SaveMenuIcon() {
    if (MenuItemPath.empty()) return;  // nothing selected in the tree
    TVxShellLink& link = *controls_.Link;
    link.SetFileName(MenuItemPath);
    if (!MenuIconFile.empty() && !link.Target().empty()) {
        link.FileIcon().SetFileName(MenuIconFile);
        link.FileIcon().SetIconIndex(MenuIconIndex);
        link.Save();
    }
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
    if (controls_.ChangeButton->Enabled()) SaveMenuIcon();
}

}  // namespace shortcuts
