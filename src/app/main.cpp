// Program entry: the application object, the main window and the notice window, then the
// message loop until the main window closes.
#include <windows.h>
#include <ole2.h>

#include "app/MainForm.h"
#include "app/NoticeForm.h"
#include "shell/ShellModule.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    shell::ModuleStartup startup;  // OLE and the shell's clipboard format, before any window
    ui::TApplication& app = ui::Application();
    app.Initialize();
    app.SetTitle("Vemlora");
    try {
        app.CreateForm(Form1);
        app.CreateForm(Form2);
    } catch (const std::exception& e) {
        app.HandleException(e);
        return 1;
    }
    app.Run();
    delete Form2;
    delete Form1;
    return 0;
}
