#include "shell/ShellCommands.h"

#include <ole2.h>

#include <cstring>

#include "shell/ShellDropTarget.h"
#include "ui/ComError.h"
#include "ui/SysUtils.h"

namespace shell {

namespace {

struct KeyName {
    const char* name;
    WORD key;
};
const KeyName kKeyNames[] = {
    {"BkSp", VK_BACK},  {"Tab", VK_TAB},   {"Esc", VK_ESCAPE}, {"Enter", VK_RETURN}, {"Space", VK_SPACE},
    {"PgUp", VK_PRIOR}, {"PgDn", VK_NEXT}, {"End", VK_END},    {"Home", VK_HOME},    {"Left", VK_LEFT},
    {"Up", VK_UP},      {"Right", VK_RIGHT}, {"Down", VK_DOWN}, {"Ins", VK_INSERT},  {"Del", VK_DELETE},
};

struct Prefix {
    const char* text;
    TShortCut flag;
};
const Prefix kPrefixes[] = {{"Shift+", scShift}, {"Ctrl+", scCtrl}, {"Alt+", scAlt}};

bool SameText(const char* a, size_t length, const char* b) {
    return strlen(b) == length && CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a, static_cast<int>(length),
                                                 b, static_cast<int>(length)) == CSTR_EQUAL;
}

bool SameVerb(const ui::String& a, const char* b) { return lstrcmpiA(a.c_str(), b) == 0; }

// The key of a name without prefixes; 0 for none.
WORD KeyOfName(const char* text, size_t length) {
    for (const KeyName& k : kKeyNames)
        if (SameText(text, length, k.name)) return k.key;
    if (length == 1) {
        const char c = text[0];
        if (c >= 'a' && c <= 'z') return static_cast<WORD>(c - 'a' + 'A');
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<WORD>(c);
    }
    if (length >= 2 && length <= 3 && (text[0] == 'F' || text[0] == 'f')) {
        int n = 0;
        for (size_t i = 1; i < length; ++i) {
            if (text[i] < '0' || text[i] > '9') return 0;
            n = n * 10 + (text[i] - '0');
        }
        if (text[1] != '0' && n >= 1 && n <= 12) return static_cast<WORD>(VK_F1 + n - 1);
    }
    return 0;
}

// A command string of `menu` (verb or help text) read into a buffer it cannot overrun; empty
// when the answer fills the buffer, since it may then have been cut.
ui::String CommandString(IContextMenu* menu, UINT offset, UINT type) {
    char buffer[kVerbBufferChars + 1];
    memset(buffer, 0, sizeof buffer);
    if (FAILED(menu->GetCommandString(offset, type, nullptr, buffer, kVerbBufferChars))) return {};
    const void* end = memchr(buffer, 0, kVerbBufferChars);
    const size_t length = end ? static_cast<const char*>(end) - buffer : kVerbBufferChars;
    if (length >= kVerbBufferChars - 1) return {};
    return ui::String(buffer, length);
}

int FindVerbIn(IContextMenu* menu, HMENU popup, const ui::String& verb, int depth) {
    const int count = GetMenuItemCount(popup);
    for (int i = 0; i < count; ++i) {
        if (HMENU sub = GetSubMenu(popup, i)) {
            if (depth < 8) {
                const int found = FindVerbIn(menu, sub, verb, depth + 1);
                if (found >= 0) return found;
            }
            continue;
        }
        const UINT id = GetMenuItemID(popup, i);
        if (id == UINT(-1) || id < kFirstMenuCommand || id > kLastMenuCommand) continue;
        const ui::String itemVerb = CommandVerb(menu, id - kFirstMenuCommand);
        if (!itemVerb.empty() && lstrcmpiA(itemVerb.c_str(), verb.c_str()) == 0)
            return static_cast<int>(id - kFirstMenuCommand);
    }
    return -1;
}

void NoteClipboardVerb(TPTClipboardCut* cut, const ui::String& verb) {
    if (!cut) return;
    if (SameVerb(verb, "cut")) cut->Noted(true);
    else if (SameVerb(verb, "copy")) cut->Noted(false);
}

// The clipboard's files pasted into `folder`: moved when a noted cut put them there (the
// clipboard is emptied then, as their old places are gone), copied otherwise.
HRESULT PasteFiles(HWND owner, const ui::String& folder, TPTClipboardCut* cut) {
    const std::vector<ui::String> files = ClipboardFiles();
    if (files.empty()) return S_FALSE;
    const bool move = cut && cut->IsCut(files);
    const DWORD done = FileDropInto(owner, files, folder, move ? DROPEFFECT_MOVE : DROPEFFECT_COPY);
    if (!done) return S_FALSE;
    if (move) {
        cut->Forget();
        if (OpenClipboard(owner)) {
            EmptyClipboard();
            CloseClipboard();
        }
    }
    return S_OK;
}

}  // namespace

TShortCut TextToShortCut(const ui::String& text) {
    const char* p = text.c_str();
    size_t left = text.size();
    TShortCut flags = 0;
    for (bool more = true; more;) {
        more = false;
        for (const Prefix& prefix : kPrefixes) {
            const size_t n = strlen(prefix.text);
            if (left > n && SameText(p, n, prefix.text)) {
                flags |= prefix.flag;
                p += n;
                left -= n;
                more = true;
            }
        }
    }
    const WORD key = KeyOfName(p, left);
    return key ? static_cast<TShortCut>(key | flags) : 0;
}

TShortCut ShortCutOf(WORD key, ui::TShiftState shift) {
    TShortCut code = static_cast<TShortCut>(key & 0xFF);
    if (shift & ui::ssShift) code |= scShift;
    if (shift & ui::ssCtrl) code |= scCtrl;
    if (shift & ui::ssAlt) code |= scAlt;
    return code;
}

const std::vector<TShortCut>& ShellShortcutTable() {
    static const std::vector<TShortCut> table = [] {
        std::vector<TShortCut> codes;
        for (int i = 0; i < kShellCommandCount; ++i) {
            char text[64] = {};
            const int n = LoadStringA(GetModuleHandleA(nullptr), kShellShortcutStringBase + i, text, sizeof text);
            codes.push_back(n > 0 ? TextToShortCut(ui::String(text, n)) : 0);
        }
        return codes;
    }();
    return table;
}

TPTShellCommand ShellCommandOfKey(WORD key, ui::TShiftState shift) {
    const TShortCut code = ShortCutOf(key, shift);
    if (!(code & 0xFF)) return pscNone;
    const std::vector<TShortCut>& table = ShellShortcutTable();
    for (int i = 0; i < kShellCommandCount; ++i)
        if (table[i] && table[i] == code) return static_cast<TPTShellCommand>(i);
    // Shift+Del deletes as Del does (the shell itself then skips the wastebasket).
    if ((code & scShift) && table[pscDelete] && table[pscDelete] == (code & ~scShift)) return pscDelete;
    return pscNone;
}

const char* ShellCommandVerb(TPTShellCommand command) {
    switch (command) {
        case pscDelete: return "delete";
        case pscCopy: return "copy";
        case pscCut: return "cut";
        case pscPaste: return "paste";
        default: return nullptr;
    }
}

UINT ItemMenuFlags(bool fileSystemItem, bool readOnlyTree) {
    return CMF_EXPLORE | (fileSystemItem && !readOnlyTree ? CMF_CANRENAME : 0);
}

ui::ComPtr<IContextMenu> ItemContextMenu(IShellFolder* parentFolder, LPCITEMIDLIST item, HWND owner) {
    ui::ComPtr<IContextMenu> menu;
    ui::OleCheck(parentFolder->GetUIObjectOf(owner, 1, &item, IID_IContextMenu, nullptr, menu.putVoid()));
    if (!menu) throw ui::EOleSysError(E_NOINTERFACE);
    return menu;
}

ui::String CommandVerb(IContextMenu* menu, UINT offset) { return CommandString(menu, offset, GCS_VERBA); }

int FindVerb(IContextMenu* menu, HMENU popup, const ui::String& verb) {
    if (!menu || !popup || verb.empty() || verb.size() >= kVerbBufferChars - 1) return -1;
    return FindVerbIn(menu, popup, verb, 0);
}

HRESULT InvokeCommandOffset(IContextMenu* menu, HWND owner, UINT offset) {
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = 0;
    info.hwnd = owner;
    info.lpVerb = MAKEINTRESOURCEA(offset);
    info.nShow = SW_SHOWNORMAL;
    return menu->InvokeCommand(&info);
}

void TPTClipboardCut::Noted(bool cut) {
    if (cut) files_ = ClipboardFiles();
    else files_.clear();
}

bool TPTClipboardCut::IsCut(const std::vector<ui::String>& files) const {
    if (files_.empty() || files.size() != files_.size()) return false;
    for (size_t i = 0; i < files.size(); ++i)
        if (lstrcmpiA(files[i].c_str(), files_[i].c_str()) != 0) return false;
    return true;
}

std::vector<ui::String> ClipboardFiles() {
    ui::ComPtr<IDataObject> data;
    if (FAILED(OleGetClipboard(data.put())) || !data) return {};
    return DroppedFiles(data.get());
}

HRESULT InvokeVerb(IShellFolder* parentFolder, LPCITEMIDLIST item, HWND owner, const ui::String& verb,
                   TPTClipboardCut* cut, const ui::String& folderPath) {
    if (!parentFolder || !item) return S_FALSE;
    ui::ComPtr<IContextMenu> menu = ItemContextMenu(parentFolder, item, owner);
    ui::MenuHandle popup(CreatePopupMenu());
    if (!popup) return E_OUTOFMEMORY;
    const HRESULT built = menu->QueryContextMenu(popup.get(), 0, kFirstMenuCommand, kLastMenuCommand, CMF_EXPLORE);
    if (FAILED(built)) return built;
    const int offset = FindVerb(menu.get(), popup.get(), verb);
    popup.reset();
    if (offset < 0) {
        // Some shells offer no "paste" on a folder's own menu: the files come from the clipboard.
        if (SameVerb(verb, "paste") && ui::DirectoryExists(folderPath)) return PasteFiles(owner, folderPath, cut);
        return S_FALSE;
    }
    const HRESULT hr = InvokeCommandOffset(menu.get(), owner, static_cast<UINT>(offset));
    if (SUCCEEDED(hr)) NoteClipboardVerb(cut, verb);
    return hr;
}

bool ItemMenuMessage(IContextMenu* menu, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result,
                     TPTContextMenuHook* hook) {
    if (!menu) return false;
    switch (msg) {
        case WM_MENUSELECT: {
            const UINT id = LOWORD(wp), flags = HIWORD(wp);
            ui::String hint;
            if (!(flags & MF_POPUP) && !(flags == 0xFFFF && !lp) && id >= kFirstMenuCommand && id <= kLastMenuCommand)
                hint = CommandString(menu, id - kFirstMenuCommand, GCS_HELPTEXTA);
            if (hook) hook->PopupHint(hint);
            result = 0;
            return true;
        }
        case WM_INITMENUPOPUP:
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
        case WM_MENUCHAR: {
            ui::ComPtr<IContextMenu3> menu3;
            if (SUCCEEDED(menu->QueryInterface(IID_IContextMenu3, menu3.putVoid())) && menu3) {
                LRESULT answer = 0;
                if (menu3->HandleMenuMsg2(msg, wp, lp, &answer) != S_OK) return false;
                result = answer;
                return true;
            }
            if (msg == WM_MENUCHAR) return false;
            ui::ComPtr<IContextMenu2> menu2;
            if (SUCCEEDED(menu->QueryInterface(IID_IContextMenu2, menu2.putVoid())) && menu2 &&
                menu2->HandleMenuMsg(msg, wp, lp) == S_OK) {
                result = msg == WM_INITMENUPOPUP ? 0 : TRUE;
                return true;
            }
            return false;
        }
    }
    return false;
}

namespace {
// Some shells (Wine's) offer no rename on an item's menu, however asked: the tree's own entry
// stands in for it, with the shell's command number, after the delete command.
void AddMissingRename(IContextMenu* menu, HMENU popup) {
    const UINT rename = kFirstMenuCommand + kRenameCommandOffset;
    if (GetMenuState(popup, rename, MF_BYCOMMAND) != static_cast<UINT>(-1) || FindVerb(menu, popup, "rename") >= 0)
        return;
    const int del = FindVerb(menu, popup, "delete");
    UINT position = static_cast<UINT>(-1);
    for (int i = 0, n = GetMenuItemCount(popup); del >= 0 && i < n; ++i)
        if (GetMenuItemID(popup, i) == kFirstMenuCommand + static_cast<UINT>(del)) position = static_cast<UINT>(i + 1);
    InsertMenuA(popup, position, MF_BYPOSITION | MF_STRING, rename, kRenameMenuText);
}
}  // namespace

TPTItemMenuChoice ShowItemContextMenu(IShellFolder* parentFolder, LPCITEMIDLIST item, HWND owner,
                                      HWND menuWindow, POINT screen, UINT flags, TPTContextMenuHook* hook,
                                      TPTClipboardCut* cut) {
    TPTItemMenuChoice choice;
    if (!parentFolder || !item) return choice;
    ui::ComPtr<IContextMenu> menu;
    if (FAILED(parentFolder->GetUIObjectOf(owner, 1, &item, IID_IContextMenu, nullptr, menu.putVoid())) || !menu)
        return choice;
    ui::MenuHandle popup(CreatePopupMenu());
    if (!popup) return choice;
    if (FAILED(menu->QueryContextMenu(popup.get(), 0, kFirstMenuCommand, kLastMenuCommand, flags))) return choice;
    if (flags & CMF_CANRENAME) AddMissingRename(menu.get(), popup.get());
    // The menu is handed over for the messages of its owner-drawn submenus while it is up.
    struct Shown {
        TPTContextMenuHook* hook;
        ~Shown() {
            if (hook) hook->SetShownContextMenu(nullptr);
        }
    } shown{hook};
    if (hook) hook->SetShownContextMenu(menu.get());
    const UINT command = static_cast<UINT>(TrackPopupMenu(popup.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x,
                                                          screen.y, 0, menuWindow, nullptr));
    if (hook) hook->SetShownContextMenu(nullptr);
    shown.hook = nullptr;
    if (command < kFirstMenuCommand) return choice;  // none, or one of the tree's own (none yet)
    choice.offset = static_cast<int>(command - kFirstMenuCommand);
    const ui::String verb = CommandVerb(menu.get(), static_cast<UINT>(choice.offset));
    if (choice.offset == static_cast<int>(kRenameCommandOffset) || SameVerb(verb, "rename")) {
        choice.rename = true;
        return choice;
    }
    choice.result = InvokeCommandOffset(menu.get(), owner, static_cast<UINT>(choice.offset));
    if (SUCCEEDED(choice.result)) NoteClipboardVerb(cut, verb);
    return choice;
}

namespace {
// The full path a file-system item would have under `newName`, with what its label hides of
// its file name (a shortcut's ".lnk"); empty for an item outside the file system.
ui::String RenamedPath(IShellFolder* parentFolder, LPCITEMIDLIST item, const ui::String& newName) {
    const ui::String path = GetDisplayName(parentFolder, item, dnForParsing);
    const ui::String folder = ui::ExtractFilePath(path);
    // Not a file-system item: no path to grow.
    if (folder.size() < 2 || (folder[1] != ':' && folder.compare(0, 2, "\\\\") != 0)) return {};
    // What the label hides of the file name (a shortcut's ".lnk"), the shell keeps.
    const ui::String file = ui::ExtractFileName(path);
    const ui::String shown = GetDisplayName(parentFolder, item, dnInFolder);
    const bool hidesEnd = !shown.empty() && file.size() > shown.size() && file.compare(0, shown.size(), shown) == 0;
    return folder + newName + (hidesEnd ? file.substr(shown.size()) : ui::String());
}
}  // namespace

HRESULT RenameItem(IShellFolder* parentFolder, HWND owner, LPCITEMIDLIST item, const ui::String& newName,
                   IdList& newItem) {
    if (!parentFolder || !item || newName.empty()) return E_INVALIDARG;
    const std::wstring wide = ui::WideString(newName);
    if (wide.empty()) return E_INVALIDARG;
    // A name the path cannot hold whole is refused here: the shell would cut it, and with it
    // a shortcut's hidden extension.
    if (wide.size() >= MAX_PATH || RenamedPath(parentFolder, item, newName).size() >= MAX_PATH)
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    LPITEMIDLIST renamed = nullptr;
    const HRESULT hr = parentFolder->SetNameOf(owner, item, wide.c_str(), kRenameFlags, &renamed);
    IdList result(nullptr, renamed);
    if (SUCCEEDED(hr)) newItem = std::move(result);
    return hr;
}

}  // namespace shell
