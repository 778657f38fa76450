// The options tab: Control Panel applets, the icon cache, the "Shell Icons" key, and exit.
#include "app/MainForm.h"
#include "options/OptionsTab.h"

using namespace ui;

void TForm1::UpdateAppletVisibility() {
    disp->SetVisible(options::AppletPresent("desk.cpl"));
    tweak->SetVisible(options::AppletPresent("tweakui.cpl"));
    mouse->SetVisible(options::AppletPresent("main.cpl"));
    system->SetVisible(options::AppletPresent("sysdm.cpl"));
}

void TForm1::dispClick(TObject*) { options::RunApplet("desk.cpl"); }
void TForm1::systemClick(TObject*) { options::RunApplet("sysdm.cpl"); }
void TForm1::IEButton3Click(TObject*) { options::RunApplet("main.cpl"); }
void TForm1::tweakClick(TObject*) { options::RunApplet("tweakui.cpl"); }

void TForm1::IEButton11Click(TObject*) { Application().MessageBox(options::DeleteIconCache()); }

void TForm1::IEButton12Click(TObject*) {
    String message = options::DeleteShellIconsKey();
    if (!message.empty()) Application().MessageBox(message);
}

void TForm1::IEButton6Click(TObject*) { Close(); }
