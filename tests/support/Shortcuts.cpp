#include "support/Shortcuts.h"

#include <shlobj.h>

#include <functional>
#include <vector>

#include "support/Sandbox.h"
#include "ui/Handles.h"
#include "ui/SysUtils.h"

namespace testing_support {

namespace {

struct ShellShortcut {
    ui::ComPtr<IShellLinkA> link;
    ui::ComPtr<IPersistFile> file;
    ShellShortcut() {
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.putVoid());
        if (link) link->QueryInterface(IID_IPersistFile, file.putVoid());
    }
};

}  // namespace

void PrintTo(const ShortcutFields& f, std::ostream* os) {
    *os << "{description \"" << f.description << "\", target \"" << f.target << "\", folder \"" << f.workingDir
        << "\", arguments \"" << f.arguments << "\", icon \"" << f.iconFile << "\"," << f.iconIndex << ", hot key "
        << f.hotKey << "}";
}

std::string Notepad() { return SystemDir() + "\\notepad.exe"; }

bool WriteShortcut(const std::string& path, const ShortcutFields& f) {
    ui::ComScope com;
    ShellShortcut s;
    if (!s.file) return false;
    if (f.target.empty()) {
        ui::CoTaskMemPtr<ITEMIDLIST> panel;
        SHGetSpecialFolderLocation(nullptr, CSIDL_CONTROLS, panel.put());
        s.link->SetIDList(panel.get());
    } else {
        s.link->SetPath(f.target.c_str());
    }
    if (!f.iconFile.empty()) s.link->SetIconLocation(f.iconFile.c_str(), f.iconIndex);
    s.link->SetDescription(f.description.c_str());
    s.link->SetArguments(f.arguments.c_str());
    s.link->SetWorkingDirectory(f.workingDir.c_str());
    s.link->SetHotkey(f.hotKey);
    return SUCCEEDED(s.file->Save(ui::WideString(path).c_str(), TRUE));
}

ShortcutFields ReadShortcut(const std::string& path) {
    ui::ComScope com;
    ShellShortcut s;
    ShortcutFields f;
    if (!s.file || FAILED(s.file->Load(ui::WideString(path).c_str(), STGM_READ))) return f;
    std::vector<char> buffer(1 << 16);
    const auto ask = [&](const std::function<void(char*, int)>& get) {
        std::fill(buffer.begin(), buffer.end(), '\0');
        get(buffer.data(), static_cast<int>(buffer.size() - 1));
        return std::string(buffer.data());
    };
    WIN32_FIND_DATAA fd;
    f.description = ask([&](char* b, int n) { s.link->GetDescription(b, n); });
    f.target = ask([&](char* b, int n) { s.link->GetPath(b, n, &fd, SLGP_UNCPRIORITY); });
    f.workingDir = ask([&](char* b, int n) { s.link->GetWorkingDirectory(b, n); });
    f.arguments = ask([&](char* b, int n) { s.link->GetArguments(b, n); });
    f.iconFile = ask([&](char* b, int n) { s.link->GetIconLocation(b, n, &f.iconIndex); });
    s.link->GetHotkey(&f.hotKey);
    return f;
}

}  // namespace testing_support
