#include "support/MainWindow.h"

#include <cstdlib>

#include "app/Probe.h"

namespace testing_support {

namespace {
const std::string kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
}

MainWindow::MainWindow(const std::function<void()>& seed) {
    registry_.CopyFromReal(HKEY_CURRENT_USER, kExplorer + "Shell Folders");
    RegSet(HKEY_CURRENT_USER, kExplorer + "Shell Folders", "Desktop", desktop_.Path());
    ui::Application().SetTitle("Vemlora");
    if (seed) seed();
    form_ = std::make_unique<TForm1>(nullptr);
    form_->Show();
    PumpMessages();
}

MainWindow::~MainWindow() {
    form_.reset();
    PumpMessages();
}

void MainWindow::ShowPage(ui::TTabSheet* page) {
    const HWND tabs = form_->PageControl1->Handle();
    SendMessageA(tabs, TCM_SETCURSEL, page->PageIndex(), 0);
    NMHDR hdr = {tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageA(GetParent(tabs), WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
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
        RegSet(HKEY_CURRENT_USER, kExplorer + key, "Start Menu", folder);
}

std::string Personality() { return std::getenv("VEMLORA_WINVER") ? std::getenv("VEMLORA_WINVER") : ""; }

bool PerUserRun() { return app::ProbeOperatingSystem().OsFlag == "YES"; }

int Depth() { return std::getenv("VEMLORA_DEPTH") ? std::atoi(std::getenv("VEMLORA_DEPTH")) : 32; }

}  // namespace testing_support
