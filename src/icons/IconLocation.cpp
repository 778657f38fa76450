#include "icons/IconLocation.h"

#include <windows.h>

#include <vector>

#include "ui/Registry.h"
#include "ui/SysUtils.h"

namespace icons {

namespace {

// Both directory calls return the needed size (terminator included) when the buffer is
// too small; then the call is repeated with a buffer of that size instead of cutting the name.
template <class Call>
ui::String QueryDirectory(Call call) {
    std::vector<char> buf(MAX_PATH);
    for (int attempt = 0; attempt < 4; ++attempt) {
        UINT n = call(buf.data(), static_cast<UINT>(buf.size()));
        if (n == 0) return ui::String();
        if (n < buf.size()) return ui::String(buf.data(), n);
        buf.resize(static_cast<size_t>(n) + 1);
    }
    return ui::String();
}

const char kSystemRootToken[] = "%SYSTEMROOT%";

}  // namespace

ui::String GetWindowsDir() {
    return QueryDirectory([](char* buf, UINT size) { return GetWindowsDirectoryA(buf, size); });
}

ui::String GetSystemDir() {
    return QueryDirectory([](char* buf, UINT size) { return GetSystemDirectoryA(buf, size); });
}

ui::String GetShell32Path() { return GetSystemDir() + "\\shell32.dll"; }

ui::String GetProgramFilesDir() {
    ui::TRegistry reg(HKEY_LOCAL_MACHINE);
    if (!reg.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion", false)) return ui::String();
    return reg.ReadString("ProgramFilesDir");
}

ui::String FindInboxProgram() {
    static const char* const kCandidates[] = {
        "\\Microsoft Exchange\\exchng32.exe",
        "\\Windows NT\\Windows Messaging\\Mlset32.exe",
        "\\Microsoft Exchange\\Mlset32.exe",
    };
    for (const char* candidate : kCandidates) {
        ui::String path = GetProgramFilesDir() + candidate;
        if (ui::EntryExists(path)) return path;
    }
    return GetShell32Path();
}

ui::String MakeIconLocation(const ui::String& file, int index) { return file + "," + ui::IntToStr(index); }

bool SplitIconLocation(const ui::String& location, ui::String& splitFile, int& splitIndex) {
    if (location.empty()) {
        splitFile.clear();
        splitIndex = 0;
        return false;
    }
    ui::String l = location;
    ui::String upper = ui::AnsiUpperCase(l);
    size_t token = ui::AnsiPos(kSystemRootToken, upper);
    if (token != ui::String::npos) {
        upper.replace(token, sizeof(kSystemRootToken) - 1, GetWindowsDir());
        l = upper;
    }
    if (l[0] == '\\') l = GetSystemDir() + l;

    size_t comma = ui::AnsiPos(",", l);
    bool usable = true;
    if (comma == ui::String::npos) {
        splitFile = l;
        splitIndex = 0;
    } else {
        splitFile = l.substr(0, comma);
        try {
            splitIndex = ui::StrToInt(l.substr(comma + 1));
        } catch (const ui::EConvertError&) {
            // A damaged index makes the location unusable; the caller takes its default.
            usable = false;
        }
    }
    if (usable && ui::FileExists(splitFile)) return true;
    splitFile = l;
    splitIndex = 0;
    return false;
}

}  // namespace icons
