#include "ui/Dialogs.h"

#include <commdlg.h>

#include <algorithm>
#include <cstring>

#include "ui/Controls.h"
#include "ui/Handles.h"

namespace ui {

namespace {

constexpr size_t kFileBufferSize = 32 * 1024;  // room for long names and deep folders

using OpenFileNameCall = BOOL(WINAPI*)(OPENFILENAMEA*);

// The dialogs' library comes with the first dialog rather than with the program: it brings the
// printing libraries along, and starting up needs none of them.
OpenFileNameCall GetOpenFileNameCall() {
    static ModuleHandle library(LoadLibraryA("comdlg32.dll"));
    static const auto call = library ? reinterpret_cast<OpenFileNameCall>(reinterpret_cast<void*>(
                                           GetProcAddress(library.get(), "GetOpenFileNameA")))
                                     : nullptr;
    return call;
}

}  // namespace

void TOpenDialog::Prepare(Prepared& p, HWND owner) const {
    // "a|b|c|d" becomes "a\0b\0c\0d\0\0"; a '|' that is the trail byte of a double-byte
    // character (ポ is 0x83 0x7C) stays.
    p.filter.clear();
    p.filter.reserve(filter_.size() + 2);
    for (size_t i = 0; i < filter_.size(); ++i) {
        char c = filter_[i];
        if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < filter_.size()) {
            p.filter += c;
            p.filter += filter_[++i];
            continue;
        }
        p.filter += c == '|' ? '\0' : c;
    }
    if (!p.filter.empty()) {
        if (p.filter.back() != '\0') p.filter += '\0';
        p.filter += '\0';
    }
    p.title = title_;
    p.initialDir = initialDir_;
    p.fileBuffer.assign(kFileBufferSize, '\0');
    std::memcpy(&p.fileBuffer[0], fileName_.data(), std::min(fileName_.size(), kFileBufferSize - 1));

    OPENFILENAMEA& o = p.ofn;
    std::memset(&o, 0, sizeof(o));
    o.lStructSize = sizeof(o);
    o.hwndOwner = owner;
    o.hInstance = MainInstance();
    o.lpstrFilter = p.filter.empty() ? nullptr : p.filter.data();
    o.nFilterIndex = static_cast<DWORD>(filterIndex_);
    o.lpstrFile = &p.fileBuffer[0];
    o.nMaxFile = static_cast<DWORD>(p.fileBuffer.size());
    o.lpstrInitialDir = p.initialDir.empty() ? nullptr : p.initialDir.c_str();
    o.lpstrTitle = p.title.empty() ? nullptr : p.title.c_str();
    o.Flags = options_ | OFN_EXPLORER;
}

bool TOpenDialog::Execute(HWND owner) {
    if (!owner) owner = GetActiveWindow();
    Prepared p;
    Prepare(p, owner);
    const OpenFileNameCall getOpenFileName = GetOpenFileNameCall();
    if (!getOpenFileName) throw Exception("The open dialog is not available (comdlg32.dll)");
    if (!getOpenFileName(&p.ofn)) return false;
    fileName_.assign(p.fileBuffer.c_str());
    filterIndex_ = static_cast<int>(p.ofn.nFilterIndex);
    return true;
}

}  // namespace ui
