#pragma once
// What the shell components need before any window exists: OLE for drag and drop, the
// clipboard format of shell item ID lists, the shell's allocator, the system's version and
// that of the common controls. Undone when the object goes away.
#include <windows.h>
#include <objidl.h>

namespace shell {

class ModuleStartup {
public:
    ModuleStartup();
    ~ModuleStartup();
    ModuleStartup(const ModuleStartup&) = delete;
    ModuleStartup& operator=(const ModuleStartup&) = delete;

private:
    HRESULT ole_;
};

// The clipboard format "Shell IDList Array" (registered by ModuleStartup).
UINT ShellIdListFormat();

// The process-wide shell allocator (SHGetMalloc), obtained once; every ID list the shell
// components make without an allocator of their own comes from it. Null only when the shell
// has none to give.
IMalloc* ShellAllocator();

// The system's version record, read once (GetVersionExA).
const OSVERSIONINFOA& OsVersion();
// The record's platform is VER_PLATFORM_WIN32_NT.
bool IsWindowsNT();

// "comctl32.dll"'s file version from its version resource, read once: major in the high word,
// minor in the low one (4.71 is 0x40047); build and revision likewise. Zero when unreadable.
DWORD ComCtlVersion();
DWORD ComCtlBuild();

}  // namespace shell
