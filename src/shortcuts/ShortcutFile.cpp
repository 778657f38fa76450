#include "shortcuts/ShortcutFile.h"

#include "ui/Forms.h"
#include "ui/SysUtils.h"

namespace shortcuts {

bool WriteShortcutIcon(TVxShellLink& link, const ui::String& iconFile, int iconIndex) {
    // A save makes whatever file is missing; a shortcut that is gone would come back.
    if (!ui::FileExists(link.FileName())) {
        ui::Application().MessageBox("ｼｮｰﾄｶｯﾄが見つからないため、ｱｲｺﾝは変更していません。");
        return false;
    }
    link.FileIcon().SetFileName(iconFile);
    link.FileIcon().SetIconIndex(iconIndex);
    link.Save();
    return true;
}

}  // namespace shortcuts
