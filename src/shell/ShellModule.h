#pragma once
// What the shell components need before any window exists: OLE for drag and drop and the
// clipboard format of shell item ID lists. Undone when the object goes away.
#include <windows.h>

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

}  // namespace shell
