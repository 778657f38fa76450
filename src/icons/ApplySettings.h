#pragma once
// Writing the desktop icons, the Recycle Bin name and the shell options to the registry,
// and reading the options' state back at start-up.
#include <windows.h>

#include "icons/IconSlots.h"
#include "ui/Types.h"

namespace icons {

// The three option check boxes of the options tab.
struct TShellOptions {
    bool Icon = true;         // multi-colour shell icons
    bool Shortcut = true;     // no overlay arrow on shortcuts
    bool Jushintray = false;  // the Inbox removed from the desktop
};

// Writes, in this order: "Shell Icon BPP" (from `colourBits` and options.Icon), the
// "IsShortcut" values, the Inbox NameSpace key and icon, My Documents (Windows 98), slots
// 4 to 7, the Recycle Bin name and icons, slots 1 and 2, and where the system has per-user
// class keys ("YES" systems) the second Dial-Up class and the per-user keys. Each write opens its key with creation allowed and
// is skipped when that fails; a slot without a file is not written. An empty
// `recycleBinName` is replaced by "ごみ箱" (the window shows it again).
void ApplyRegistrySettings(const TIconSlotTable& table, bool perUserClasses, bool isWindows98, int colourBits,
                           const TShellOptions& options, ui::String& recycleBinName);

// Bits per pixel of a window's drawing surface.
int ReadColourDepth(HWND wnd);

// Tells the shell that icon associations changed, so that it redraws its icons.
void NotifyAssociationsChanged();

// Start-up state of the options.
bool InitialIconOption(int screenBits);  // unticked at 4 to 8 bits per pixel
bool ReadShortcutOption();               // unticked when HKCR "lnkfile" has "IsShortcut"
bool ReadInboxOption();                  // ticked when the desktop NameSpace has no Inbox subkey

}  // namespace icons
