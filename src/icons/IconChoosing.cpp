#include "icons/IconChoosing.h"

#include "ui/SysUtils.h"

namespace icons {

TIconChoosing::TIconChoosing(TWorkbench& bench, const TChoosingControls& controls)
    : bench_(bench), controls_(controls) {}

void TIconChoosing::StartFrom(const ui::String& file) {
    LastFolder = ui::ExtractFilePath(file);
    PreviousFile = file;
    controls_.PreviousButton->SetVisible(true);
}

void TIconChoosing::GridFileChanged() { controls_.DropPanel->SetCaption("ここにアイコンソースをドロップ"); }

void TIconChoosing::Remember(const ui::String& path) {
    LastFolder = ui::ExtractFilePath(path);
    PreviousFile = path;
    controls_.PreviousButton->SetVisible(true);
}

void TIconChoosing::LoadWithDialog(HWND owner) {
    controls_.Dialog->SetInitialDir(LastFolder);
    if (!controls_.Dialog->Execute(owner)) return;
    const ui::String path = controls_.Dialog->FileName();
    bench_.Grid().SetFileName(path);
    bench_.Grid().SetItemIndex(0);
    controls_.DropPanel->SetCaption("Vemlora " + path + " /" + "0");
    Remember(path);
}

void TIconChoosing::LoadPreviousFile() {
    bench_.Grid().SetFileName(PreviousFile);
    bench_.Grid().SetItemIndex(0);
    controls_.DropPanel->SetCaption(PreviousFile);
    LastFolder = ui::ExtractFilePath(PreviousFile);
    // The caption names the file with its first icon, whatever the grid made of it.
    bench_.ShowCaption("Vemlora " + PreviousFile + " /0");
}

void TIconChoosing::LoadDropped(const std::vector<ui::String>& files) {
    if (files.empty()) return;
    const ui::String& path = files[0];
    // Shortcuts belong to the shortcut panel; only these two spellings are taken for them.
    const ui::String ext = ui::ExtractFileExt(path);
    if (ext.empty() || ext == ".lnk" || ext == ".LNK") return;
    bench_.Grid().SetFileName(path);
    bench_.Grid().SetItemIndex(0);
    controls_.DropPanel->SetCaption(path + " /" + "0");
    Remember(path);
}

}  // namespace icons
