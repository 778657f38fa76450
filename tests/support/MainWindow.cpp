#include "support/MainWindow.h"

#include <shlobj.h>

#include <cstdlib>
#include <cstring>

#include "app/Probe.h"

namespace testing_support {

namespace {
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
}

MainWindow::MainWindow(const std::function<void()>& seed) {
    registry_ = std::make_unique<RegistrySandbox>();
    boxes_ = std::make_unique<MessageBoxCapture>();
    desktop_ = std::make_unique<TempDir>();
    registry_->CopyFromReal(HKEY_CURRENT_USER, kShellFolders);
    RegSet(HKEY_CURRENT_USER, kShellFolders, "Desktop", desktop_->Path());
    ui::Application().SetTitle("Vemlora");
    if (seed) seed();
    form_ = std::make_unique<TForm1>(nullptr);
    form_->Show();
    PumpMessages();
}

MainWindow::~MainWindow() {
    form_.reset();
    PumpMessages();
    desktop_.reset();
    boxes_.reset();
    registry_.reset();
}

std::string MainWindow::Caption() {
    char text[1024] = {};
    GetWindowTextA(form_->Handle(), text, sizeof(text));
    return text;
}

void MainWindow::ShowPage(ui::TTabSheet* page) {
    ui::TPageControl* pc = form_->PageControl1;
    int index = page->PageIndex();
    SendMessageA(pc->Handle(), TCM_SETCURSEL, index, 0);
    NMHDR hdr = {pc->Handle(), static_cast<UINT_PTR>(GetDlgCtrlID(pc->Handle())), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageA(GetParent(pc->Handle()), WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
}

void MainWindow::DropFiles(HWND target, const std::vector<std::string>& files) {
    PostMessageA(target, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(files, {5, 5})), 0);
    PumpMessages();
}

void MainWindow::ClickAt(HWND target, int x, int y) {
    for (UINT msg : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP})
        PostMessageA(target, msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(x, y));
    PumpMessages();
}

void SetStartMenuFolder(const std::string& folder) {
    for (const char* key : {"Shell Folders", "User Shell Folders"})
        RegSet(HKEY_CURRENT_USER, std::string("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\") + key,
               "Start Menu", folder);
}

std::string DefaultIconKey(const std::string& clsid) { return "CLSID\\" + clsid + "\\DefaultIcon"; }

std::string Personality() {
    const char* v = std::getenv("VEMLORA_WINVER");
    return v ? v : "";
}

bool PerUserRun() { return app::ProbeOperatingSystem().OsFlag == "YES"; }

}  // namespace testing_support
