// Picking an icon: the grid's clicks, loading a source file with the dialog, by a drop or
// with "前のﾌｧｲﾙ", and the double click that assigns the icon.
#include "app/MainForm.h"
#include "ui/SysUtils.h"

using namespace ui;

void TForm1::IconListBox1Click(TObject*) { SetCaptionFromGrid(); }

void TForm1::IconListBox1FileChange(TObject*) { Panel4->SetCaption("ここにアイコンソースをドロップ"); }

void TForm1::IconListBox1DblClick(TObject*) {
    const String file = IconListBox1->FileName();
    const int index = IconListBox1->ItemIndex();
    if (file.empty() || index < 0) return;
    if (PageControl1->ActivePage() == TabSheet2) {
        TImage* image = SlotImage(SelectedSlot);
        if (!image) return;
        if (SelectedSlot == 3) {
            ShortcutIconFile = file;
            ShortcutIconIndex = index;
        } else {
            Slots[SelectedSlot].CurrentFile = file;
            Slots[SelectedSlot].CurrentIndex = index;
        }
        PaintIconInto(image, file, index);
        if (IEButton5->Enabled()) ApplyChanges(IconListBox1);
    }
    if (PageControl1->ActivePage() == TabSheet5) {
        MenuIconFile = file;
        MenuIconIndex = index;
        PaintIconInto(Image23, file, index);
        if (IEButton10->Enabled()) IEButton10Click(IconListBox1);
    }
}

void TForm1::IEButton8Click(TObject*) {
    OpenDialog1->SetInitialDir(LastFolder);
    if (!OpenDialog1->Execute(Handle())) return;
    const String path = OpenDialog1->FileName();
    IconListBox1->SetFileName(path);
    IconListBox1->SetItemIndex(0);
    Panel4->SetCaption("Vemlora " + path + " /" + "0");
    LastFolder = ExtractFilePath(path);
    PreviousFile = path;
    IEButton13->SetVisible(true);
}

void TForm1::IEButton13Click(TObject*) {
    IconListBox1->SetFileName(PreviousFile);
    IconListBox1->SetItemIndex(0);
    Panel4->SetCaption(PreviousFile);
    LastFolder = ExtractFilePath(PreviousFile);
    SetCaption("Vemlora " + PreviousFile + " /0");
}

void TForm1::DropDst3FileDrop(TObject*, const std::vector<String>& files, int, int) {
    if (PageControl1->ActivePage() != TabSheet2 || files.empty()) return;
    const String& path = files[0];
    // Shortcuts belong to the shortcut panel; only these two spellings are taken for them.
    const String ext = ExtractFileExt(path);
    if (ext.empty() || ext == ".lnk" || ext == ".LNK") return;
    IconListBox1->SetFileName(path);
    IconListBox1->SetItemIndex(0);
    Panel4->SetCaption(path + " /" + "0");
    LastFolder = ExtractFilePath(path);
    PreviousFile = path;
    IEButton13->SetVisible(true);
}
