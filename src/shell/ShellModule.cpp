#include "shell/ShellModule.h"

#include <ole2.h>
#include <shlobj.h>

#include <vector>

#include "ui/Handles.h"

namespace shell {

namespace {

UINT g_idListFormat = 0;

struct ModuleState {
    ui::ComPtr<IMalloc> allocator;
    bool allocatorAsked = false;
    OSVERSIONINFOA version = {};
    bool versionRead = false;
    DWORD comCtlVersion = 0, comCtlBuild = 0;
    bool comCtlRead = false;
};

// Lives to the end of the process; the allocator is given back by ModuleStartup before OLE goes.
ModuleState& State() {
    static ModuleState state;
    return state;
}

void ReadComCtlVersion(ModuleState& s) {
    s.comCtlRead = true;
    char name[] = "comctl32.dll";
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(name, &ignored);
    if (!size) return;
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoA(name, 0, size, data.data())) return;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    char root[] = "\\";
    if (!VerQueryValueA(data.data(), root, reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof(VS_FIXEDFILEINFO))
        return;
    s.comCtlVersion = info->dwFileVersionMS;
    s.comCtlBuild = info->dwFileVersionLS;
}

}  // namespace

ModuleStartup::ModuleStartup() : ole_(OleInitialize(nullptr)) {
    g_idListFormat = RegisterClipboardFormatA("Shell IDList Array");
    ShellAllocator();
    OsVersion();
    ComCtlVersion();
}

ModuleStartup::~ModuleStartup() {
    State().allocator.reset();
    State().allocatorAsked = false;
    if (SUCCEEDED(ole_)) OleUninitialize();
}

UINT ShellIdListFormat() {
    if (!g_idListFormat) g_idListFormat = RegisterClipboardFormatA("Shell IDList Array");
    return g_idListFormat;
}

IMalloc* ShellAllocator() {
    ModuleState& s = State();
    if (!s.allocatorAsked) {
        s.allocatorAsked = true;
        if (FAILED(SHGetMalloc(s.allocator.put()))) s.allocator.reset();
    }
    return s.allocator.get();
}

const OSVERSIONINFOA& OsVersion() {
    ModuleState& s = State();
    if (!s.versionRead) {
        s.versionRead = true;
        s.version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);  // 148 bytes
        if (!GetVersionExA(&s.version)) {
            s.version = OSVERSIONINFOA{};
            s.version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        }
    }
    return s.version;
}

bool IsWindowsNT() { return OsVersion().dwPlatformId == VER_PLATFORM_WIN32_NT; }

DWORD ComCtlVersion() {
    if (!State().comCtlRead) ReadComCtlVersion(State());
    return State().comCtlVersion;
}

DWORD ComCtlBuild() {
    if (!State().comCtlRead) ReadComCtlVersion(State());
    return State().comCtlBuild;
}

}  // namespace shell
