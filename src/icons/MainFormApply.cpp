// "実行": everything the window holds goes to the registry (and the chosen shortcut icon to
// its shortcut file), then the shell is told to redraw its icons.
#include "app/MainForm.h"
#include "icons/ApplySettings.h"

using namespace ui;

void TForm1::IEButton5Click(TObject*) {
    int bits = icons::ReadColourDepth(Handle());
    // The dropped shortcut; an error here ends the action before any registry write.
    if (!ShortcutIconFile.empty() && !VxShellLink1->Target().empty()) {
        VxShellLink1->FileIcon().SetFileName(ShortcutIconFile);
        VxShellLink1->FileIcon().SetIconIndex(ShortcutIconIndex);
        VxShellLink1->Save();
    }
    icons::TShellOptions options;
    options.Icon = icon->Checked();
    options.Shortcut = shortcut->Checked();
    options.Jushintray = jushintray->Checked();
    String name = Edit1->Text();
    icons::ApplyRegistrySettings(Slots, OsFlag, IsWindows98, bits, options, name);
    if (Edit1->Text() != name) Edit1->SetText(name);
    icons::NotifyAssociationsChanged();
}
