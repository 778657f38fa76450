#include "options/OptionsTab.h"

#include <windows.h>

#include "ui/Forms.h"
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
    {"disp", "desk.cpl"},
    {"system", "sysdm.cpl"},
    {"mouse", "main.cpl"},
    {"tweak", "tweakui.cpl"},
};

ui::String AppletCommandLine(const ui::String& file) { return kRunApplet + file; }

bool AppletPresent(const ui::String& systemDir, const ui::String& file) {
    if (systemDir.empty()) return false;
    return ui::FileExists(systemDir + "\\" + file);
}

void RunApplet(const ui::String& file) { WinExec(AppletCommandLine(file).c_str(), SW_SHOWNORMAL); }

ui::String IconCachePath(const ui::String& windowsDir) {
    if (windowsDir.empty()) return ui::String();
    // Plain appending: a drive root gives two backslashes in a row, which the system accepts.
    return windowsDir + "\\ShellIconCache";
}

ui::String DeleteIconCache(const ui::String& windowsDir) {
    const ui::String path = IconCachePath(windowsDir);
    // Without the Windows directory nothing can be checked: never claim the cache is gone.
    if (path.empty()) return kCacheFailed;
    if (!ui::FileExists(path)) return kCacheAbsent;
    return DeleteFileA(path.c_str()) ? kCacheDeleted : kCacheFailed;
}

ui::String DeleteShellIconsKey() {
    ui::TRegistry reg(HKEY_LOCAL_MACHINE);
    if (!reg.OpenKey(kExplorerKey, false)) return ui::String();
    return reg.DeleteKey(kShellIconsKey) ? kKeyDeleted : kKeyAbsent;
}

TOptionsTab::TOptionsTab(const std::array<TIEButton*, 4>& appletButtons, const ui::String& systemDir,
                         const ui::String& windowsDir)
    : appletButtons_(appletButtons), systemDir_(systemDir), windowsDir_(windowsDir) {}

void TOptionsTab::UpdateAppletVisibility() {
    for (size_t i = 0; i < appletButtons_.size(); ++i) appletButtons_[i]->SetVisible(AppletPresent(systemDir_, kApplets[i].FileName));
}

void TOptionsTab::RunAppletOfRow(int row) { RunApplet(kApplets[row].FileName); }

void TOptionsTab::DeleteIconCacheAndReport() { ui::Application().MessageBox(DeleteIconCache(windowsDir_)); }

void TOptionsTab::DeleteShellIconsKeyAndReport() {
    ui::String message = DeleteShellIconsKey();
    if (!message.empty()) ui::Application().MessageBox(message);
}

}  // namespace options
