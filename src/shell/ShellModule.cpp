#include "shell/ShellModule.h"

#include <ole2.h>

namespace shell {

namespace {
UINT g_idListFormat = 0;
}

ModuleStartup::ModuleStartup() : ole_(OleInitialize(nullptr)) {
    g_idListFormat = RegisterClipboardFormatA("Shell IDList Array");
}

ModuleStartup::~ModuleStartup() {
    if (SUCCEEDED(ole_)) OleUninitialize();
}

UINT ShellIdListFormat() {
    if (!g_idListFormat) g_idListFormat = RegisterClipboardFormatA("Shell IDList Array");
    return g_idListFormat;
}

}  // namespace shell
