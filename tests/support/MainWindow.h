#pragma once
// The main window started as the program starts it, on a private registry and with a
// private desktop folder; message boxes are recorded and closed.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "support/Sandbox.h"

namespace testing_support {

class MainWindow {
public:
    // `seed` fills the private registry before the window starts.
    explicit MainWindow(const std::function<void()>& seed = nullptr);
    ~MainWindow();

    TForm1& Form() { return *form_; }
    TForm1* operator->() { return form_.get(); }
    MessageBoxCapture& Boxes() { return boxes_; }
    // The desktop folder the window's shortcut component looks in.
    const std::string& Desktop() const { return desktop_.Path(); }
    // Switches the tab page as the user does: the control's notification, then the handler.
    void ShowPage(ui::TTabSheet* page);
    // Posts a hand-built file drop to a window and lets it be handled.
    static void DropFiles(HWND target, const std::vector<std::string>& files);
    // A left click at a client point of a window, through posted mouse messages.
    static void ClickAt(HWND target, int x, int y);

private:
    RegistrySandbox registry_;
    MessageBoxCapture boxes_;
    TempDir desktop_;
    std::unique_ptr<TForm1> form_;
};

// Points the Start menu of the (private) registry at `folder`; called from a window's `seed`.
void SetStartMenuFolder(const std::string& folder);
// The Windows personality of this run: "win95", "win98", "nt40" or "" (the default NT).
std::string Personality();
// Whether this run reads the per-user keys ("YES" systems).
bool PerUserRun();
// The colour depth of this run's display.
int Depth();

}  // namespace testing_support
