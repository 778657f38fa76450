// The Start-menu tab's buttons. The shell tree that selects the item is not on the tab
// yet, so no item is ever selected and the folder box has nothing to re-root.
#include "app/MainForm.h"
#include "ui/SysUtils.h"

using namespace ui;

void TForm1::Image23Click(TObject*) {
    if (MenuIconFile.empty()) return;
    ShowInGrid(MenuIconFile, MenuIconIndex);
    if (IconListBox1->ItemIndex() >= 0) {
        IEButton10->SetEnabled(true);
        IEButton8->SetEnabled(true);
    }
}

void TForm1::IEButton10Click(TObject*) {
    if (MenuItemPath.empty()) return;  // nothing selected in the tree
    VxShellLink2->SetFileName(MenuItemPath);
    if (!MenuIconFile.empty() && !VxShellLink2->Target().empty()) {
        VxShellLink2->FileIcon().SetFileName(MenuIconFile);
        VxShellLink2->FileIcon().SetIconIndex(MenuIconIndex);
        VxShellLink2->Save();
    }
}

void TForm1::IEButton9Click(TObject*) {
    const String target = Label8->Caption();
    if (target.empty() || ExtractFileExt(target).empty()) return;
    Image23->Show();
    PaintIconInto(Image23, target, 0);
    MenuIconFile = target;
    MenuIconIndex = 0;
    ShowInGrid(target, 0);
}

void TForm1::ComboBox1Change(TObject*) {}
