#pragma once
// What the program finds out about the system at start-up: which Windows it runs on
// and how many colours the display shows.
#include <windows.h>

#include "ui/Types.h"

namespace app {

struct TOsProbe {
    bool Succeeded = false;      // GetVersionExA answered
    ui::String Name;             // "Windows 95", "Windows 98", "Windows NT", … or empty
    ui::String OsFlag = "NO";    // "YES": the per-user class keys are read and written too
    bool IsWindows98 = false;
    ui::String InfoLine;         // the options tab's line; empty when the probe failed
};

// Classifies a version record as the start-up probe does.
TOsProbe ClassifyVersion(const OSVERSIONINFOA& version);
// Asks the system (GetVersionExA) and classifies its answer.
TOsProbe ProbeOperatingSystem();

// "現在の画面色は…" for a colour depth in bits per pixel.
ui::String ColorDepthText(int bits);

}  // namespace app
