#include "components/ShellLink.h"

#include <objbase.h>
#include <shlobj.h>

#include "ui/Handles.h"
#include "ui/Registry.h"
#include "ui/SysUtils.h"

namespace {

// The French texts are Latin-1 bytes (0xE9 is e acute), kept as escapes so that the
// source charset conversion leaves them alone; split where a hex digit follows.
const char* const kFrenchMessages[] = {
    "\"CoCreateInstance\" a \xE9" "chou\xE9.",
    "\"PersistFile QueryInterface\" a \xE9" "chou\xE9.",
    "Erreur en \xE9" "criture.",
    "Erreur en lecture.",
};
const char* const kEnglishMessages[] = {
    "\"CoCreateInstance\" failed.",
    "\"PersistFile QueryInterface\" failed.",
    "Write error.",
    "Read error.",
};

// One table for the whole program: the last LangType assigned to any instance decides.
const char* const* g_messages = kFrenchMessages;

const char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char* const kShellFolderValues[] = {"",         "Desktop", "Favorites", "Fonts",      "Personal", "Programs",
                                          "Recent",   "SendTo",  "Start Menu", "Startup",   "Templates"};

// Toolkit shortcut modifier bits.
const WORD kScShift = 0x2000;
const WORD kScCtrl = 0x4000;
const WORD kScAlt = 0x8000;
const WORD kScKeyMask = 0x1FFF;

[[noreturn]] void Fail(TShellLinkMessage entry) { throw EVxShellLink(TVxShellLink::Message(entry)); }

// The shortcut file name as IPersistFile takes it. False when it does not fit the buffer
// whole: a cut name would name another file.
bool ToWideName(const ui::String& name, WCHAR (&out)[MAX_PATH]) {
    if (name.find('\0') != ui::String::npos) return false;
    return MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, out, MAX_PATH) > 0;
}

// A string the shortcut object can take whole.
bool Fits(const ui::String& text, size_t maxBytes) {
    return text.size() <= maxBytes && text.find('\0') == ui::String::npos;
}

struct ShortcutObject {
    ui::ComPtr<IShellLinkA> link;
    ui::ComPtr<IPersistFile> file;
};

ShortcutObject CreateShortcutObject() {
    ShortcutObject o;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                o.link.putVoid())) ||
        !o.link)
        Fail(TShellLinkMessage::CreateFailed);
    if (FAILED(o.link->QueryInterface(IID_IPersistFile, o.file.putVoid())) || !o.file)
        Fail(TShellLinkMessage::InterfaceFailed);
    return o;
}

ui::String TargetOf(IShellLinkA* link) {
    char buf[MAX_PATH] = {};
    WIN32_FIND_DATAA fd{};
    HRESULT hr = link->GetPath(buf, MAX_PATH, &fd, SLGP_UNCPRIORITY);
    buf[MAX_PATH - 1] = '\0';
    // A target outside the file system has no path (S_FALSE); some shells still hand back
    // its parsing name ("::{class}\..."), which is no file either.
    if (hr != S_OK || (buf[0] == ':' && buf[1] == ':')) return ui::String();
    return buf;
}

}  // namespace

TVxShellLink::TVxShellLink(ui::TComponent* owner) : ui::TComponent(owner) { SetLangType(ltFrench); }

TVxShellLink::~TVxShellLink() = default;

ui::String TVxShellLink::Message(TShellLinkMessage entry) { return g_messages[static_cast<int>(entry)]; }

void TVxShellLink::SetLangType(TLangType value) {
    // Always rewrites: setting the language an instance already has still switches every instance.
    langType_ = value;
    g_messages = value == ltEnglish ? kEnglishMessages : kFrenchMessages;
}

WORD TVxShellLink::HotKey() const {
    WORD value = LOBYTE(hotKey_);
    BYTE flags = HIBYTE(hotKey_);
    if (flags & HOTKEYF_SHIFT) value |= kScShift;
    if (flags & HOTKEYF_CONTROL) value |= kScCtrl;
    if (flags & HOTKEYF_ALT) value |= kScAlt;
    return value;
}

void TVxShellLink::SetHotKey(WORD value) {
    BYTE flags = 0;
    if (value & kScShift) flags |= HOTKEYF_SHIFT;
    if (value & kScCtrl) flags |= HOTKEYF_CONTROL;
    if (value & kScAlt) flags |= HOTKEYF_ALT;
    hotKey_ = MAKEWORD(static_cast<BYTE>(value & kScKeyMask), flags);
}

TWindowState TVxShellLink::WindowState() const {
    switch (showCmd_) {
    case SW_SHOWMINNOACTIVE:
        return wsMinimized;
    case SW_SHOWMAXIMIZED:
        return wsMaximized;
    default:
        return wsNormal;
    }
}

void TVxShellLink::SetWindowState(TWindowState value) {
    switch (value) {
    case wsMinimized:
        showCmd_ = SW_SHOWMINNOACTIVE;
        break;
    case wsMaximized:
        showCmd_ = SW_SHOWMAXIMIZED;
        break;
    default:
        showCmd_ = SW_SHOWNORMAL;
        break;
    }
}

ui::String TVxShellLink::ShellFolderPath(TShellFolder folder) {
    if (folder == sfNone || folder > sfTemplates) return {};
    ui::TRegistry reg(HKEY_CURRENT_USER);
    if (!reg.OpenKeyReadOnly(kShellFoldersKey)) return {};
    return reg.ReadString(kShellFolderValues[folder]);
}

void TVxShellLink::SetFileName(const ui::String& value) {
    if (value == fileName_) return;
    ui::String name = value;
    if (shellFolder_ != sfNone) name = ShellFolderPath(shellFolder_) + "\\" + ui::ExtractFileName(name);
    if (ui::AsciiUpperCase(ui::ExtractFileExt(name)) != ".LNK") name += ".lnk";
    // Nothing but the extension: there was no file name to begin with.
    if (ui::AsciiUpperCase(ui::ExtractFileName(name)) == ".LNK") name.clear();
    fileName_ = name;
}

void TVxShellLink::SetShellFolder(TShellFolder value) {
    if (value == shellFolder_) return;
    shellFolder_ = value;
    if (value != sfNone) fileName_ = ShellFolderPath(value) + "\\" + ui::ExtractFileName(fileName_);
}

void TVxShellLink::Load() {
    if (ui::FileExists(fileName_)) LoadFromFile(fileName_);
}

void TVxShellLink::Save() { SaveToFile(fileName_); }

void TVxShellLink::LoadFromFile(const ui::String& name) {
    ui::ComScope com;
    ShortcutObject o = CreateShortcutObject();
    WCHAR wideName[MAX_PATH];
    if (!ToWideName(name, wideName) || FAILED(o.file->Load(wideName, STGM_READ)))
        Fail(TShellLinkMessage::ReadFailed);

    // Description and arguments may be longer than a path.
    char info[INFOTIPSIZE] = {};
    o.link->GetDescription(info, INFOTIPSIZE);
    info[INFOTIPSIZE - 1] = '\0';
    description_ = info;
    target_ = TargetOf(o.link.get());
    char path[MAX_PATH] = {};
    o.link->GetWorkingDirectory(path, MAX_PATH);
    path[MAX_PATH - 1] = '\0';
    workingDir_ = path;
    info[0] = '\0';
    o.link->GetArguments(info, INFOTIPSIZE);
    info[INFOTIPSIZE - 1] = '\0';
    arguments_ = info;
    int showCmd = 0;
    o.link->GetShowCmd(&showCmd);
    showCmd_ = showCmd;
    WORD hotKey = 0;
    o.link->GetHotkey(&hotKey);
    hotKey_ = hotKey;
    path[0] = '\0';
    int iconIndex = 0;
    o.link->GetIconLocation(path, MAX_PATH, &iconIndex);
    path[MAX_PATH - 1] = '\0';
    fileIcon_.SetFileName(path);
    fileIcon_.SetIconIndex(iconIndex);
}

void TVxShellLink::SaveToFile(const ui::String& name) {
    ui::ComScope com;
    ShortcutObject o = CreateShortcutObject();
    WCHAR wideName[MAX_PATH];
    if (!ToWideName(name, wideName) || !Fits(target_, kMaxPathText) || !Fits(workingDir_, kMaxPathText) ||
        !Fits(fileIcon_.FileName(), kMaxPathText) || !Fits(description_, kMaxInfoText) ||
        !Fits(arguments_, kMaxInfoText))
        Fail(TShellLinkMessage::WriteFailed);

    // Start from what the file holds, so that its ID list, link information and extra
    // data survive; an unreadable file is written from the attributes alone, by an object
    // that a half-done load has not touched.
    bool loaded = false;
    if (ui::FileExists(name)) {
        loaded = SUCCEEDED(o.file->Load(wideName, STGM_READ));
        if (!loaded) o = CreateShortcutObject();
    }

    o.link->SetDescription(description_.c_str());
    // Setting the path rebuilds the ID list from it; an unchanged target keeps the one read
    // (a virtual target reads as an empty path).
    if (!loaded || TargetOf(o.link.get()) != target_) o.link->SetPath(target_.c_str());
    o.link->SetWorkingDirectory(workingDir_.c_str());
    o.link->SetArguments(arguments_.c_str());
    o.link->SetShowCmd(showCmd_);
    o.link->SetHotkey(hotKey_);
    o.link->SetIconLocation(fileIcon_.FileName().c_str(), fileIcon_.IconIndex());

    if (FAILED(o.file->Save(wideName, TRUE))) Fail(TShellLinkMessage::WriteFailed);
}
