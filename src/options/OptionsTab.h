#pragma once
// The options tab: the Control Panel applets, the shell's icon cache file and the "Shell
// Icons" key in which the shell keeps its own icon overrides.
#include <array>

#include "components/IEButton.h"
#include "ui/Types.h"

namespace options {

struct TAppletEntry {
    const char* Button;    // the button that starts it
    const char* FileName;  // the applet in the system directory
};

// The four applets, in the order of their rows on the tab.
extern const TAppletEntry kApplets[4];

// "rundll32.exe shell32.dll,Control_RunDLL " + file.
ui::String AppletCommandLine(const ui::String& file);
// A file (not a directory) of that name is in the system directory `systemDir`.
bool AppletPresent(const ui::String& systemDir, const ui::String& file);
// Starts the applet and returns at once; a failed start goes unnoticed.
void RunApplet(const ui::String& file);

// The Windows directory `windowsDir` + "\ShellIconCache" (empty when the directory is).
ui::String IconCachePath(const ui::String& windowsDir);
// Deletes the icon cache file; returns the message to show.
ui::String DeleteIconCache(const ui::String& windowsDir);
// Deletes HKLM "...\Explorer\Shell Icons" with all its subkeys; returns the message to show,
// empty when the Explorer key cannot be opened (nothing is shown then).
ui::String DeleteShellIconsKey();

class TOptionsTab {
public:
    // The applet buttons in the order of kApplets; the system's and Windows directories.
    TOptionsTab(const std::array<TIEButton*, 4>& appletButtons, const ui::String& systemDir,
                const ui::String& windowsDir);

    // Only the applets the system has keep their button.
    void UpdateAppletVisibility();
    // Starts the applet of row `row` (0 to 3).
    void RunAppletOfRow(int row);
    // The two maintenance buttons: each reports its outcome in a message box.
    void DeleteIconCacheAndReport();
    void DeleteShellIconsKeyAndReport();

private:
    std::array<TIEButton*, 4> appletButtons_;
    ui::String systemDir_, windowsDir_;
};

}  // namespace options
