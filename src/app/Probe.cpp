#include "app/Probe.h"

namespace app {

TOsProbe ClassifyVersion(const OSVERSIONINFOA& v) {
    TOsProbe p;
    p.Succeeded = true;
    switch (v.dwPlatformId) {
        case 0: p.Name = "Win32s on Windows 3.1"; p.OsFlag = "NO"; break;
        case 1: p.Name = "Windows 95"; p.OsFlag = "NO"; break;
        case 2: p.Name = "Windows NT"; p.OsFlag = "YES"; break;
        default: break;  // unknown platform: no name, the flag stays "NO"
    }
    // On Windows 95 and 98 the upper half of the build field holds the version, so the
    // minor version decides there; the whole field is compared as a signed number.
    if (p.OsFlag == "NO" && v.dwMinorVersion > 4 && static_cast<LONG>(v.dwBuildNumber) >= 1998) {
        p.Name = "Windows 98";
        p.OsFlag = "YES";
        p.IsWindows98 = true;
    }
    p.InfoLine = "Your OS is " + p.Name + " " + std::to_string(v.dwMajorVersion) + "." +
                 std::to_string(v.dwMinorVersion) + " Build " + std::to_string(v.dwBuildNumber & 0xFFFF);
    return p;
}

TOsProbe ProbeOperatingSystem() {
    OSVERSIONINFOA v = {};
    v.dwOSVersionInfoSize = sizeof(v);  // 148 bytes
    if (!GetVersionExA(&v)) return TOsProbe{};
    return ClassifyVersion(v);
}

ui::String ColorDepthText(int bits) {
    switch (bits) {
        case 4: return "現在の画面色は16色です";
        case 8: return "現在の画面色は256色です";
        case 15: return "現在の画面色は32768色です";
        case 16: return "現在の画面色は65536色です";
        case 24: return "現在の画面色は1677万色(24bit)です";
        case 32: return "現在の画面色は1677万色(32bit)です";
        default: return "現在の画面色は不明です";
    }
}

}  // namespace app
