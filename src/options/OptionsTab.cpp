#include "options/OptionsTab.h"

#include <windows.h>

#include "icons/IconLocation.h"
#include "ui/Registry.h"
#include "ui/SysUtils.h"

namespace options {

namespace {

const char kRunApplet[] = "rundll32.exe shell32.dll,Control_RunDLL ";
const char kExplorerKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
const char kShellIconsKey[] = "Shell Icons";

const char kCacheDeleted[] = "アイコンキャッシュ消去完了！";
const char kCacheAbsent[] = "アイコンキャッシュは削除済みです";
const char kCacheFailed[] = "アイコンキャッシュ消去失敗～(T-T)";
const char kKeyDeleted[] = "ﾚｼﾞｽﾄﾘのｸﾘｱ完了！";
const char kKeyAbsent[] = "ﾚｼﾞｽﾄﾘはｸﾘｱ済です";

}  // namespace

const TAppletEntry kApplets[4] = {
    {"disp", "desk.cpl", "rundll32.exe shell32.dll,Control_RunDLL desk.cpl"},
    {"system", "sysdm.cpl", "rundll32.exe shell32.dll,Control_RunDLL sysdm.cpl"},
    {"mouse", "main.cpl", "rundll32.exe shell32.dll,Control_RunDLL main.cpl"},
    {"tweak", "tweakui.cpl", "rundll32.exe shell32.dll,Control_RunDLL tweakui.cpl"},
};

ui::String AppletCommandLine(const ui::String& file) { return kRunApplet + file; }

bool AppletPresent(const ui::String& file) {
    ui::String dir = icons::GetSystemDir();
    if (dir.empty()) return false;
    return ui::FileExists(dir + "\\" + file);
}

void RunApplet(const ui::String& file) { WinExec(AppletCommandLine(file).c_str(), SW_SHOWNORMAL); }

ui::String IconCachePath() {
    ui::String dir = icons::GetWindowsDir();
    if (dir.empty()) return ui::String();
    // Plain appending: a drive root gives two backslashes in a row, which the system accepts.
    return dir + "\\ShellIconCache";
}

ui::String DeleteIconCache() {
    ui::String path = IconCachePath();
    // Without the Windows directory nothing can be checked: never claim the cache is gone.
    if (path.empty()) return kCacheFailed;
    if (!ui::FileExists(path)) return kCacheAbsent;
    bool deleted = false;
    try {
        deleted = DeleteFileA(IconCachePath().c_str()) != FALSE;
    } catch (...) {
        deleted = false;
    }
    return deleted ? kCacheDeleted : kCacheFailed;
}

ui::String DeleteShellIconsKey() {
    ui::TRegistry reg(HKEY_LOCAL_MACHINE);
    if (!reg.OpenKey(kExplorerKey, false)) return ui::String();
    return reg.DeleteKey(kShellIconsKey) ? kKeyDeleted : kKeyAbsent;
}

}  // namespace options
