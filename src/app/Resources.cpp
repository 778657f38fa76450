#include "app/Resources.h"

#include "ui/Controls.h"

HICON ProgramIcon() {
    static HICON icon = static_cast<HICON>(LoadImageA(ui::MainInstance(), "MAINICON", IMAGE_ICON, 32, 32, 0));
    return icon;
}
