#include "components/ShellLink.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <vector>

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

// The largest answer asked for: a shortcut's strings hold at most 65535 UTF-16 units, each at
// most two bytes in the ANSI code page.
const size_t kLargestAnswer = 1 << 18;

// One string of the shortcut object, whole. An answer that does not fit comes back cut,
// maybe without its terminator, so the buffer grows until the answer leaves room for one
// more double-byte character. False when even the largest buffer is filled.
template <class Ask>
bool ReadWhole(const Ask& ask, ui::String* out) {
    for (size_t size = INFOTIPSIZE; size <= kLargestAnswer; size *= 2) {
        std::vector<char> buffer(size, '\0');
        ask(buffer.data(), static_cast<int>(size));
        buffer[size - 1] = '\0';
        const size_t length = strlen(buffer.data());
        if (length + 2 < size) {
            out->assign(buffer.data(), length);
            return true;
        }
    }
    return false;
}

// What the component carries of a shortcut, read, set and compared as one.
struct Attributes {
    ui::String description, target, workingDir, arguments, iconFile;
    int iconIndex = 0;
    int showCmd = 0;
    WORD hotKey = 0;
};

bool ReadTarget(IShellLinkA* link, ui::String* out) {
    HRESULT hr = S_OK;
    WIN32_FIND_DATAA fd{};
    if (!ReadWhole([&](char* buffer, int size) { hr = link->GetPath(buffer, size, &fd, SLGP_UNCPRIORITY); },
                   out))
        return false;
    // A target outside the file system has no path (S_FALSE); some shells still hand back
    // its parsing name ("::{class}\..."), which is no file either.
    if (hr != S_OK || out->compare(0, 2, "::") == 0) out->clear();
    return true;
}

// False when a string cannot be read whole: it would be shown or written back cut.
bool ReadAttributes(IShellLinkA* link, Attributes* a) {
    if (!ReadWhole([&](char* buffer, int size) { link->GetDescription(buffer, size); }, &a->description) ||
        !ReadTarget(link, &a->target) ||
        !ReadWhole([&](char* buffer, int size) { link->GetWorkingDirectory(buffer, size); }, &a->workingDir) ||
        !ReadWhole([&](char* buffer, int size) { link->GetArguments(buffer, size); }, &a->arguments) ||
        !ReadWhole([&](char* buffer, int size) { link->GetIconLocation(buffer, size, &a->iconIndex); },
                   &a->iconFile))
        return false;
    link->GetShowCmd(&a->showCmd);
    link->GetHotkey(&a->hotKey);
    return true;
}

// Sets `meant` in the object. With `held`, what the object read from the file, the strings
// that did not change are left as the object holds them.
void SetAttributes(IShellLinkA* link, const Attributes& meant, const Attributes* held) {
    const auto changed = [&](ui::String Attributes::*field) { return !held || held->*field != meant.*field; };
    if (changed(&Attributes::description)) link->SetDescription(meant.description.c_str());
    // Setting the path rebuilds the ID list from it; an unchanged target keeps the one read
    // (a virtual target reads as an empty path).
    if (changed(&Attributes::target)) link->SetPath(meant.target.c_str());
    if (changed(&Attributes::workingDir)) link->SetWorkingDirectory(meant.workingDir.c_str());
    if (changed(&Attributes::arguments)) link->SetArguments(meant.arguments.c_str());
    link->SetShowCmd(meant.showCmd);
    link->SetHotkey(meant.hotKey);
    if (changed(&Attributes::iconFile) || !held || held->iconIndex != meant.iconIndex)
        link->SetIconLocation(meant.iconFile.c_str(), meant.iconIndex);
}

bool SameAttributes(const Attributes& written, const Attributes& meant) {
    // The show command is a fixed field of the header, which no cut file keeps while its
    // strings read back whole; some shells' objects read every show command as normal.
    const bool showCmd = written.showCmd == meant.showCmd || written.showCmd == SW_SHOWNORMAL;
    return showCmd && written.description == meant.description && written.target == meant.target &&
           written.workingDir == meant.workingDir && written.arguments == meant.arguments &&
           written.iconFile == meant.iconFile && written.iconIndex == meant.iconIndex &&
           written.hotKey == meant.hotKey;
}

// Through an object of its own, so that nothing the saving object still holds answers.
bool ReadsBackAs(const WCHAR* name, const Attributes& meant) {
    ShortcutObject check = CreateShortcutObject();
    Attributes written;
    return SUCCEEDED(check.file->Load(name, STGM_READ)) && ReadAttributes(check.link.get(), &written) &&
           SameAttributes(written, meant);
}

// Windows 95/98 answer ERROR_CALL_NOT_IMPLEMENTED; looked up at run time all the same.
BOOL WINAPI SystemMoveFileEx(LPCSTR from, LPCSTR to, DWORD flags) {
    using MoveFileExFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);
    static const MoveFileExFn moveFileEx = reinterpret_cast<MoveFileExFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "MoveFileExA")));
    if (!moveFileEx) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }
    return moveFileEx(from, to, flags);
}

// The new file of one save: its name claimed, so that no file of that name is written over,
// and removed again unless it took the shortcut's place.
class NewFile {
public:
    explicit NewFile(const ui::String& name) : name_(name) {}
    ~NewFile() {
        if (claimed_) DeleteFileA(name_.c_str());
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    bool Claim() {
        const HANDLE h = TVxShellLink::Files().createFile(name_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        ui::KernelHandle closed(h);  // the shell's object opens the file itself
        claimed_ = true;
        return true;
    }
    // Puts the file in `name`'s place. Without a replacing rename an existing `name` steps
    // aside first and comes back when the new file cannot take its place.
    bool Replace(const ui::String& name, bool existing) {
        const TVxShellLink::FileCalls& files = TVxShellLink::Files();
        // A brand-new shortcut never goes over a file that has appeared meanwhile.
        const DWORD flags = existing ? MOVEFILE_REPLACE_EXISTING : 0;
        bool moved = files.moveFileEx(name_.c_str(), name.c_str(), flags);
        if (!moved && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
            const ui::String aside = TVxShellLink::AsideFileName(name);
            if (!existing) {
                moved = files.moveFile(name_.c_str(), name.c_str());
            } else if (files.moveFile(name.c_str(), aside.c_str())) {
                moved = files.moveFile(name_.c_str(), name.c_str());
                if (moved)
                    DeleteFileA(aside.c_str());
                else
                    files.moveFile(aside.c_str(), name.c_str());
            }
        }
        if (moved) claimed_ = false;
        return moved;
    }

private:
    ui::String name_;
    bool claimed_ = false;
};

// "~vl" and the process number: no other copy of the program picks the same name, and a
// user's file of that name is never written over (the new file is made exclusively and a
// rename does not replace).
ui::String BesideName(const ui::String& name, const char* extension) {
    char part[32];
    std::snprintf(part, sizeof(part), "~vl%lx%s", GetCurrentProcessId(), extension);
    return ui::ExtractFilePath(name) + part;
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

ui::String TVxShellLink::NewFileName(const ui::String& name) { return BesideName(name, ".tmp"); }

ui::String TVxShellLink::AsideFileName(const ui::String& name) { return BesideName(name, ".old"); }

TVxShellLink::FileCalls& TVxShellLink::Files() {
    static FileCalls files = {CreateFileA, SystemMoveFileEx, MoveFileA};
    return files;
}

void TVxShellLink::LoadFromFile(const ui::String& name) {
    ui::ComScope com;
    ShortcutObject o = CreateShortcutObject();
    WCHAR wideName[MAX_PATH];
    Attributes read;
    if (!ToWideName(name, wideName) || FAILED(o.file->Load(wideName, STGM_READ)) ||
        !ReadAttributes(o.link.get(), &read))
        Fail(TShellLinkMessage::ReadFailed);
    description_ = read.description;
    target_ = read.target;
    workingDir_ = read.workingDir;
    arguments_ = read.arguments;
    showCmd_ = read.showCmd;
    hotKey_ = read.hotKey;
    fileIcon_.SetFileName(read.iconFile);
    fileIcon_.SetIconIndex(read.iconIndex);
}

void TVxShellLink::SaveToFile(const ui::String& name) {
    ui::ComScope com;
    ShortcutObject o = CreateShortcutObject();
    const ui::String newName = NewFileName(name);
    WCHAR wideName[MAX_PATH], wideNew[MAX_PATH];
    if (!ToWideName(name, wideName) || !ToWideName(newName, wideNew)) Fail(TShellLinkMessage::WriteFailed);
    Attributes meant;
    meant.description = description_;
    meant.target = target_;
    meant.workingDir = workingDir_;
    meant.arguments = arguments_;
    meant.iconFile = fileIcon_.FileName();
    meant.iconIndex = fileIcon_.IconIndex();
    meant.showCmd = showCmd_;
    meant.hotKey = hotKey_;

    // Start from what the file holds, so that its ID list, link information and extra
    // data survive; an unreadable file is written from the attributes alone, by an object
    // that a half-done load has not touched. One that is there but cannot be opened now
    // (held open, refused) would lose all that: refused.
    const bool existing = ui::FileExists(name);
    Attributes held;
    bool loaded = false;
    if (existing) {
        const HRESULT hr = o.file->Load(wideName, STGM_READ);
        if (HRESULT_FACILITY(hr) == FACILITY_WIN32) Fail(TShellLinkMessage::WriteFailed);
        loaded = SUCCEEDED(hr);
        if (loaded && !ReadAttributes(o.link.get(), &held)) Fail(TShellLinkMessage::WriteFailed);
        if (!loaded) o = CreateShortcutObject();
    }
    SetAttributes(o.link.get(), meant, loaded ? &held : nullptr);

    // The shortcut itself is touched only by the final rename: a full volume or a write
    // the object gets wrong leaves it as it was.
    NewFile file(newName);
    if (!file.Claim() || FAILED(o.file->Save(wideNew, TRUE)) || !ReadsBackAs(wideNew, meant) ||
        !file.Replace(name, existing))
        Fail(TShellLinkMessage::WriteFailed);
}
