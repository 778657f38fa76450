#pragma once
// Writing a picked icon into a shortcut that was read before: only into the file that is still
// there, never into a new one.
#include "components/ShellLink.h"

namespace shortcuts {

// Gives the link's file the icon location and saves it with the attributes read before. A file
// that is gone (removed or renamed meanwhile) is not made anew: nothing is written, the user is
// told in a message box, and the answer is false.
bool WriteShortcutIcon(TVxShellLink& link, const ui::String& iconFile, int iconIndex);

}  // namespace shortcuts
