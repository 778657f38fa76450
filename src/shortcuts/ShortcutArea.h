#pragma once
// The desktop tab's shortcut drop area: a shortcut dropped from the desktop becomes the
// selected object (number 3), and the icon picked for it is written into it by "実行".
#include <functional>
#include <vector>

#include "components/ShellLink.h"
#include "icons/DesktopTab.h"

namespace shortcuts {

// Shows the notice window with two lines, without waiting for it.
using TNoticeEvent = std::function<void(const ui::String& line1, const ui::String& line2)>;

class TShortcutArea {
public:
    TShortcutArea(icons::TWorkbench& bench, icons::TDesktopTab& desktop, TVxShellLink& link, TNoticeEvent notice);

    // The icon chosen for the dropped shortcut; empty until one is.
    ui::String ShortcutIconFile;
    int ShortcutIconIndex = 0;

    void DropFiles(const std::vector<ui::String>& files);
    // A click on the shortcut's image selects it again.
    void Select();
    // The grid's icon becomes the shortcut's (written by "実行").
    void Assign(const ui::String& file, int index);
    // "実行": the chosen icon goes into the shortcut file when it has a file-system target and
    // is still there.
    void SaveChosenIcon();

private:
    icons::TWorkbench& bench_;
    icons::TDesktopTab& desktop_;
    TVxShellLink& link_;
    TNoticeEvent notice_;
};

}  // namespace shortcuts
