#include "shortcuts/ShortcutArea.h"

#include "shortcuts/ShortcutFile.h"
#include "ui/SysUtils.h"

namespace shortcuts {

namespace {

const int kShortcutSlot = 3;

// The shortcut component reads and writes only the current user's desktop folder, so a
// shortcut from anywhere else (or one that is gone) would stand for a different file there.
bool IsDesktopShortcut(const ui::String& path) {
    ui::String desktop = TVxShellLink::ShellFolderPath(sfDesktop);
    if (desktop.empty() || !ui::FileExists(path)) return false;
    return ui::AnsiUpperCase(desktop + "\\" + ui::ExtractFileName(path)) == ui::AnsiUpperCase(path);
}

}  // namespace

TShortcutArea::TShortcutArea(icons::TWorkbench& bench, icons::TDesktopTab& desktop, TVxShellLink& link,
                             TNoticeEvent notice)
    : bench_(bench), desktop_(desktop), link_(link), notice_(std::move(notice)) {}

void TShortcutArea::DropFiles(const std::vector<ui::String>& files) {
    if (files.empty()) return;
    const ui::String& path = files[0];
    const ui::String ext = ui::ExtractFileExt(path);
    if (ext.empty()) return;  // a folder, or a file without extension
    if (ext != ".lnk" && ext != ".LNK") {
        bench_.ShowInGrid(path, 0);  // any other file is an icon source
        return;
    }
    if (!IsDesktopShortcut(path)) {
        notice_("デスクトップ以外のｼｮｰﾄｶｯﾄは変更できません", "デスクトップからドロップしてください");
        return;
    }
    link_.SetFileName(path);
    link_.Load();
    ui::String file = link_.FileIcon().FileName();
    int index = link_.FileIcon().IconIndex();
    if (file.empty()) {
        file = link_.Target();
        index = 0;
    }
    if (link_.Target().empty()) {
        notice_("このアイコンはここからは変更できません", "アイコンのプロパティで変更してください");
        return;
    }
    ShortcutIconFile = link_.FileIcon().FileName();
    ShortcutIconIndex = link_.FileIcon().IconIndex();
    desktop_.ShowSelection(kShortcutSlot);
    icons::PaintIconInto(desktop_.SlotImage(kShortcutSlot), file, index);
    bench_.ShowInGrid(file, index);
}

void TShortcutArea::Select() {
    const TFileIcon& location = link_.FileIcon();
    if (location.FileName().empty()) return;
    desktop_.ShowSelection(kShortcutSlot);
    bench_.ShowInGrid(location.FileName(), location.IconIndex());
}

void TShortcutArea::Assign(const ui::String& file, int index) {
    ShortcutIconFile = file;
    ShortcutIconIndex = index;
    icons::PaintIconInto(desktop_.SlotImage(kShortcutSlot), file, index);
}

void TShortcutArea::SaveChosenIcon() {
    if (ShortcutIconFile.empty() || link_.Target().empty()) return;
    // A shortcut gone since its drop is asked for no more by later runs.
    if (!WriteShortcutIcon(link_, ShortcutIconFile, ShortcutIconIndex)) ShortcutIconFile.clear();
}

}  // namespace shortcuts
