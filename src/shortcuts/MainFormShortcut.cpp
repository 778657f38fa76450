// The desktop tab's shortcut drop area: a dropped desktop shortcut becomes the selected
// object, and a picked icon is written into it by "実行".
#include "app/MainForm.h"
#include "app/NoticeForm.h"
#include "ui/SysUtils.h"

using namespace ui;

namespace {

void ShowNotice(TForm1* owner, const String& line1, const String& line2) {
    if (!Form2) Form2 = new TForm2(owner);
    Form2->Label1->SetCaption(line1);
    Form2->Label2->SetCaption(line2);
    Form2->Show();  // does not wait: the main window stays usable
}

// The shortcut component reads and writes only the current user's desktop folder, so a
// shortcut from anywhere else (or one that is gone) would stand for a different file there.
bool IsDesktopShortcut(const String& path) {
    String desktop = TVxShellLink::ShellFolderPath(sfDesktop);
    if (desktop.empty() || !FileExists(path)) return false;
    return AnsiUpperCase(desktop + "\\" + ExtractFileName(path)) == AnsiUpperCase(path);
}

}  // namespace

void TForm1::DropDst1FileDrop(TObject*, const std::vector<String>& files, int, int) {
    if (files.empty()) return;
    const String& path = files[0];
    const String ext = ExtractFileExt(path);
    if (ext.empty()) return;  // a folder, or a file without extension
    if (ext != ".lnk" && ext != ".LNK") {
        ShowInGrid(path, 0);  // any other file is an icon source
        return;
    }
    if (!IsDesktopShortcut(path)) {
        ShowNotice(this, "デスクトップ以外のｼｮｰﾄｶｯﾄは変更できません", "デスクトップからドロップしてください");
        return;
    }
    VxShellLink1->SetFileName(path);
    VxShellLink1->Load();
    String file = VxShellLink1->FileIcon().FileName();
    int index = VxShellLink1->FileIcon().IconIndex();
    if (file.empty()) {
        file = VxShellLink1->Target();
        index = 0;
    }
    if (VxShellLink1->Target().empty()) {
        ShowNotice(this, "このアイコンはここからは変更できません", "アイコンのプロパティで変更してください");
        return;
    }
    ShortcutIconFile = VxShellLink1->FileIcon().FileName();
    ShortcutIconIndex = VxShellLink1->FileIcon().IconIndex();
    HideSelectionBevels();
    Bevel14->Show();
    SelectedSlot = 3;
    PaintIconInto(Image1, file, index);
    ShowInGrid(file, index);
}

void TForm1::Image1Click(TObject*) {
    const TFileIcon& location = VxShellLink1->FileIcon();
    if (location.FileName().empty()) return;
    HideSelectionBevels();
    Bevel14->Show();
    SelectedSlot = 3;
    ShowInGrid(location.FileName(), location.IconIndex());
}
