#pragma once
// The commands a shell tree offers on its items: the keyboard shortcuts, the shell's own verbs
// and context menu of an item, and renaming through the item's folder. All of them go through
// the item's parent folder, so the shell carries out the file operations and asks its own
// questions.
#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "shell/IdList.h"
#include "ui/Controls.h"
#include "ui/Handles.h"
#include "ui/Types.h"

namespace shell {

// A key with its shift flags in one 16-bit code: the virtual key in the low byte.
using TShortCut = WORD;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

// The code of a shortcut text such as "Ctrl+C", "Shift+Del" or "F5" (key names and prefixes
// in any letter case); 0 for a text that names no key.
TShortCut TextToShortCut(const ui::String& text);
// The code of a key and its shift state.
TShortCut ShortCutOf(WORD key, ui::TShiftState shift);

// The entries of the shortcut table, in the order of their resource strings.
enum TPTShellCommand {
    pscNone = -1,
    pscSelectAll = 0,  // for a list view; nothing in a tree
    pscDelete = 1,
    pscCopy = 2,
    pscCut = 3,
    pscPaste = 4,
    pscRefresh = 5,
    pscRename = 6,
};
constexpr int kShellCommandCount = 7;
// The first of the seven resource strings holding the shortcut texts (res/vemlora.rc).
constexpr UINT kShellShortcutStringBase = 4000;

// The table's codes, read from the resource strings on first use.
const std::vector<TShortCut>& ShellShortcutTable();
// The command of a key: the entry whose code it is (Shift+Del counts as Del); pscNone when
// none is.
TPTShellCommand ShellCommandOfKey(WORD key, ui::TShiftState shift);
// The verb InvokeVerb runs for a command ("delete", "copy", "cut", "paste"); none for others.
const char* ShellCommandVerb(TPTShellCommand command);

// The command numbers the item menus are built with.
constexpr UINT kFirstMenuCommand = 50;
constexpr UINT kLastMenuCommand = 0x7FFF;
// The shell's own rename command, as an offset from the first command.
constexpr UINT kRenameCommandOffset = 18;
// The label of the rename entry a menu gets where the shell's own menu lacks one.
constexpr const char* kRenameMenuText = "名前の変更(&M)";
// The longest verb the verb search reads (without its NUL); longer ones never match.
constexpr UINT kVerbBufferChars = 261;

// The flags of an item's context menu: CMF_EXPLORE, and CMF_CANRENAME for a file-system item
// of a tree that may change its labels.
UINT ItemMenuFlags(bool fileSystemItem, bool readOnlyTree);

// The item's context menu from its parent folder, with `owner` as its window; a failure is
// raised as EOleSysError.
ui::ComPtr<IContextMenu> ItemContextMenu(IShellFolder* parentFolder, LPCITEMIDLIST item, HWND owner);
// The ANSI verb of a command offset of `menu`; empty when it has none or a longer one.
ui::String CommandVerb(IContextMenu* menu, UINT offset);
// The offset of the command of `menu` (filled into `popup`) whose verb is `verb`, any letter
// case; -1 when there is none.
int FindVerb(IContextMenu* menu, HMENU popup, const ui::String& verb);
// Carries out a command offset of `menu` for `owner` (the 36-byte record of older systems:
// no mask, no parameters, no directory, SW_SHOWNORMAL).
HRESULT InvokeCommandOffset(IContextMenu* menu, HWND owner, UINT offset);

// What the tree remembers of its own last cut, to tell a cut from a copy on the clipboard
// where the clipboard does not say: the files the cut put there.
class TPTClipboardCut {
public:
    // The clipboard's files now belong to a cut (after "cut") or not (after "copy").
    void Noted(bool cut);
    // The files on the clipboard are those of the last cut.
    bool IsCut(const std::vector<ui::String>& files) const;
    void Forget() { files_.clear(); }

private:
    std::vector<ui::String> files_;
};

// The clipboard's CF_HDROP files; empty when it holds none.
std::vector<ui::String> ClipboardFiles();

// Runs a verb of the item's context menu (menu from `parentFolder` with `owner`, first command
// 50, CMF_EXPLORE): S_FALSE for no item or a verb the menu has not, otherwise what the command
// answers. A failure to get the menu raises EOleSysError. With `cut`, "cut" and "copy" are
// noted, and a "paste" that the menu lacks for a file-system folder (`folderPath`) pastes the
// clipboard's files there itself: moved after a noted cut, copied otherwise.
HRESULT InvokeVerb(IShellFolder* parentFolder, LPCITEMIDLIST item, HWND owner, const ui::String& verb,
                   TPTClipboardCut* cut = nullptr, const ui::String& folderPath = ui::String());

// What a shown context menu needs of the tree: the menu for its owner-drawn messages while it
// is up (none afterwards) and the help text of the command under the mouse.
class TPTContextMenuHook {
public:
    virtual ~TPTContextMenuHook() = default;
    virtual void SetShownContextMenu(IContextMenu* menu) = 0;
    virtual void PopupHint(const ui::String& hint) = 0;
};

// Hands a menu message of the tree's window to the shown menu: WM_INITMENUPOPUP, WM_DRAWITEM,
// WM_MEASUREITEM and WM_MENUCHAR to the menu itself, and WM_MENUSELECT's help text to the
// hook. True when the message was taken, with its answer in `result`.
bool ItemMenuMessage(IContextMenu* menu, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result,
                     TPTContextMenuHook* hook);

// The outcome of an item's context menu.
struct TPTItemMenuChoice {
    int offset = -1;           // the chosen command's offset; -1 for none
    bool rename = false;       // the shell's rename: the caller starts editing the label
    HRESULT result = S_FALSE;  // what an invoked command answered
};

// Shows the item's context menu at a screen point with `menuWindow` (the tree's window) as
// its owner and carries out the choice, except a rename, which is handed back. Nothing is
// shown when the menu cannot be had.
TPTItemMenuChoice ShowItemContextMenu(IShellFolder* parentFolder, LPCITEMIDLIST item, HWND owner,
                                      HWND menuWindow, POINT screen, UINT flags, TPTContextMenuHook* hook,
                                      TPTClipboardCut* cut = nullptr);

// Renames an item through its parent folder (SetNameOf, flags 0x20); on success `newItem` is
// its new relative list. A name the folder refuses, or one whose path would not fit in
// MAX_PATH - 1 bytes, leaves name and file as they were and answers the failure.
constexpr DWORD kRenameFlags = 0x20;
HRESULT RenameItem(IShellFolder* parentFolder, HWND owner, LPCITEMIDLIST item, const ui::String& newName,
                   IdList& newItem);

}  // namespace shell
