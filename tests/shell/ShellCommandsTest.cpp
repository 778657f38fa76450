// The shell tree's item commands: shortcut texts and the shortcut table, the shell's verbs
// and context menu of real files, the paste of clipboard files where the menu has none, and
// renaming through the item's folder.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/ShellCommands.h"
#include "shell/ShellComObject.h"
#include "shell/ShellModule.h"
#include "shell/ShellTesting.h"
#include "support/Sandbox.h"

using namespace shell;
using namespace shell_testing;
using testing_support::FileExistsA;
using testing_support::TempDir;

namespace {

TEST(ShellShortcuts, TextsBecomeKeyCodesWithTheirShiftFlags) {
    const struct {
        const char* text;
        TShortCut code;
    } cases[] = {
        {"BkSp", VK_BACK}, {"Tab", VK_TAB}, {"Esc", VK_ESCAPE}, {"Enter", VK_RETURN}, {"Space", VK_SPACE},
        {"PgUp", VK_PRIOR}, {"PgDn", VK_NEXT}, {"End", VK_END}, {"Home", VK_HOME}, {"Left", VK_LEFT},
        {"Up", VK_UP}, {"Right", VK_RIGHT}, {"Down", VK_DOWN}, {"Ins", VK_INSERT}, {"Del", VK_DELETE},
        {"A", 'A'}, {"z", 'Z'}, {"0", '0'}, {"9", '9'}, {"F1", VK_F1}, {"F5", VK_F5}, {"F12", VK_F12},
        {"Ctrl+A", scCtrl | 'A'}, {"Shift+Del", scShift | VK_DELETE}, {"Alt+F4", scAlt | VK_F4},
        {"Ctrl+Shift+Alt+X", scCtrl | scShift | scAlt | 'X'}, {"shift+ctrl+pgdn", scShift | scCtrl | VK_NEXT},
        {"DEL", VK_DELETE},
        // Names of no key.
        {"", 0}, {"F0", 0}, {"F13", 0}, {"F01", 0}, {"Delete", 0}, {"Ctrl+", 0}, {"Ctrl+Foo", 0}, {"AB", 0},
        {"+", 0}, {"Ctrl", 0}, {"表", 0}, {"Ctrl-C", 0}, {" Del", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(TextToShortCut(c.text), c.code) << c.text;
}

TEST(ShellShortcuts, TheTableComesFromTheResourcesAndPicksTheCommand) {
    const std::vector<TShortCut> expected = {scCtrl | 'A', VK_DELETE, scCtrl | 'C', scCtrl | 'X', scCtrl | 'V', VK_F5,
                                             VK_F2};
    EXPECT_EQ(ShellShortcutTable(), expected);
    const struct {
        WORD key;
        ui::TShiftState shift;
        TPTShellCommand command;
    } cases[] = {
        {VK_DELETE, 0, pscDelete},
        {VK_DELETE, ui::ssShift, pscDelete},  // Shift+Del deletes as Del does
        {VK_DELETE, ui::ssCtrl, pscNone},
        {'C', ui::ssCtrl, pscCopy},
        {'C', 0, pscNone},
        {'C', ui::ssCtrl | ui::ssShift, pscNone},
        {'X', ui::ssCtrl, pscCut},
        {'V', ui::ssCtrl, pscPaste},
        {'V', ui::ssCtrl | ui::ssLeft, pscPaste},  // mouse buttons are not shift keys
        {'A', ui::ssCtrl, pscSelectAll},
        {VK_F5, 0, pscRefresh},
        {VK_F2, 0, pscRename},
        {VK_F2, ui::ssAlt, pscNone},
        {0, 0, pscNone},
        {VK_RETURN, 0, pscNone},
    };
    for (const auto& c : cases) EXPECT_EQ(ShellCommandOfKey(c.key, c.shift), c.command) << c.key << " " << c.shift;
    EXPECT_STREQ(ShellCommandVerb(pscDelete), "delete");
    EXPECT_STREQ(ShellCommandVerb(pscPaste), "paste");
    EXPECT_EQ(ShellCommandVerb(pscRename), nullptr);
}

TEST(ShellItemMenu, RenameIsOfferedForFileSystemItemsOfATreeThatMayChange) {
    EXPECT_EQ(ItemMenuFlags(true, false), UINT(CMF_EXPLORE | CMF_CANRENAME));
    EXPECT_EQ(ItemMenuFlags(true, true), UINT(CMF_EXPLORE));
    EXPECT_EQ(ItemMenuFlags(false, false), UINT(CMF_EXPLORE));
    EXPECT_EQ(ItemMenuFlags(false, true), UINT(CMF_EXPLORE));
}

// A context menu with the verbs of the test, one command each; the first two in a submenu.
class VerbMenu : public TComObject<IContextMenu> {
public:
    explicit VerbMenu(std::vector<std::string> verbs) : verbs_(std::move(verbs)) {}
    std::vector<UINT> invoked;
    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT index, UINT first, UINT, UINT) override {
        HMENU sub = CreatePopupMenu();
        for (UINT i = 0; i < verbs_.size(); ++i)
            InsertMenuA(i < 2 ? sub : menu, UINT(-1), MF_BYPOSITION | MF_STRING, first + i, verbs_[i].c_str());
        InsertMenuA(menu, index, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "sub");
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, verbs_.size());
    }
    HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* info) override {
        invoked.push_back(LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb)));
        return S_OK;
    }
    // Writes no more than it is given room for, cutting a longer verb.
    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR offset, UINT type, UINT*, LPSTR name, UINT room) override {
        if (offset >= verbs_.size() || type != GCS_VERBA || !room) return E_INVALIDARG;
        const std::string& verb = verbs_[offset];
        const size_t n = verb.size() < room ? verb.size() : room - 1;
        memcpy(name, verb.data(), n);
        name[n] = '\0';
        return S_OK;
    }

private:
    std::vector<std::string> verbs_;
};

TEST(ShellItemMenu, VerbsAreFoundInAnyLetterCaseAndOnlyWhole) {
    const std::string v259(259, 'v'), v260(260, 'v'), longVerb = "copy" + std::string(300, 'x');
    auto* menu = new VerbMenu({"open", v259, "Copy", longVerb, v260, "delete"});
    ui::ComPtr<IContextMenu> keep;
    keep.attach(menu);
    ui::MenuHandle popup(CreatePopupMenu());
    ASSERT_TRUE(SUCCEEDED(menu->QueryContextMenu(popup.get(), 0, kFirstMenuCommand, kLastMenuCommand, CMF_EXPLORE)));
    const struct {
        std::string verb;
        int offset;
    } cases[] = {
        {"open", 0}, {"OPEN", 0}, {"copy", 2}, {"COPY", 2}, {"Delete", 5}, {v259, 1},
        {longVerb, -1},                  // longer than the buffer
        {longVerb.substr(0, 259), -1},   // what a cut answer would look like
        {longVerb.substr(0, 260), -1}, {v260, -1}, {"paste", -1}, {"", -1}, {"cop", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(FindVerb(menu, popup.get(), c.verb), c.offset) << c.verb.size();
    EXPECT_EQ(InvokeCommandOffset(menu, nullptr, 5), S_OK);
    EXPECT_EQ(menu->invoked, std::vector<UINT>{5});
}

// Lets the clipboard go at the end of a test.
struct ClipboardScope {
    ~ClipboardScope() {
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
    }
};

TEST(ShellItemVerbs, CopyPutsAShellDataObjectOnTheClipboard) {
    TempDir dir;
    ClipboardScope clipboard;
    const std::string file = dir.WriteFile("表ソ.txt", "x");
    RealItem item(file);
    EXPECT_EQ(InvokeVerb(item.folder.get(), item.item.get(), nullptr, "COPY"), S_OK);
    ui::ComPtr<IDataObject> data;
    ASSERT_EQ(OleGetClipboard(data.put()), S_OK);
    FORMATETC ida = {static_cast<CLIPFORMAT>(ShellIdListFormat()), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(data->QueryGetData(&ida), S_OK);
    EXPECT_EQ(ClipboardFiles(), std::vector<std::string>{file});
    // Nothing for no item or a verb the menu does not have.
    EXPECT_EQ(InvokeVerb(nullptr, item.item.get(), nullptr, "copy"), S_FALSE);
    EXPECT_EQ(InvokeVerb(item.folder.get(), nullptr, nullptr, "copy"), S_FALSE);
    EXPECT_EQ(InvokeVerb(item.folder.get(), item.item.get(), nullptr, "no such verb"), S_FALSE);
    EXPECT_TRUE(FileExistsA(file));
}

TEST(ShellItemVerbs, APasteWithoutAPasteVerbCopiesTheClipboardFilesAndMovesThemAfterACut) {
    TempDir dir;
    ClipboardScope clipboard;
    const std::string target = dir.MakeDir("表ソ");
    RealItem folder(target);
    TPTClipboardCut cut;
    const struct {
        const char* verb;
        bool sourceLeft;
    } cases[] = {{"copy", true}, {"cut", false}, {"copy", true}};
    int n = 0;
    for (const auto& c : cases) {
        const std::string name = "file" + std::to_string(++n) + ".txt";
        const std::string file = dir.WriteFile(name, "x");
        RealItem item(file);
        ASSERT_EQ(InvokeVerb(item.folder.get(), item.item.get(), nullptr, c.verb, &cut), S_OK) << c.verb;
        EXPECT_EQ(cut.IsCut({file}), std::string(c.verb) == "cut");
        EXPECT_EQ(InvokeVerb(folder.folder.get(), folder.item.get(), nullptr, "paste", &cut, target), S_OK) << c.verb;
        EXPECT_TRUE(FileExistsA(target + "\\" + name)) << c.verb;
        EXPECT_EQ(FileExistsA(file), c.sourceLeft) << c.verb;
        EXPECT_EQ(ClipboardFiles().empty(), !c.sourceLeft) << "a pasted cut leaves the clipboard empty";
    }
    // Without a folder path nothing is pasted.
    EXPECT_EQ(InvokeVerb(folder.folder.get(), folder.item.get(), nullptr, "paste", &cut), S_FALSE);
}

// Records what a context menu hands to the tree.
class RecordingHook : public TPTContextMenuHook {
public:
    std::vector<std::string> events;
    void SetShownContextMenu(IContextMenu* menu) override {
        events.push_back(menu ? "menu" : "none");
        shown = menu;
    }
    void PopupHint(const ui::String&) override { ++hints; }
    IContextMenu* shown = nullptr;
    int hints = 0;
};

// The window a test's context menu belongs to: its menu messages go through ItemMenuMessage;
// when the menu opens, the keys that choose `choose` are posted, or the menu is closed.
struct MenuWindow {
    static RecordingHook* hook;
    static std::string choose;
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
        LRESULT result = 0;
        if (msg == WM_INITMENUPOPUP && hook && hook->shown) {
            HMENU popup = reinterpret_cast<HMENU>(wp);
            int downs = 0;
            bool found = false;
            for (int i = 0, n = GetMenuItemCount(popup); i < n && !found; ++i) {
                const UINT id = GetMenuItemID(popup, i);
                if (GetMenuState(popup, i, MF_BYPOSITION) & (MF_SEPARATOR | MF_DISABLED | MF_GRAYED)) continue;
                ++downs;
                found = !choose.empty() && id >= kFirstMenuCommand &&
                        CommandVerb(hook->shown, id - kFirstMenuCommand) == choose;
            }
            if (found) {
                for (int i = 0; i < downs; ++i) PostMessageA(wnd, WM_KEYDOWN, VK_DOWN, 0);
                PostMessageA(wnd, WM_KEYDOWN, VK_RETURN, 0);
            } else {
                PostMessageA(wnd, WM_CANCELMODE, 0, 0);
            }
        }
        if (hook && ItemMenuMessage(hook->shown, msg, wp, lp, result, hook)) return result;
        return DefWindowProcA(wnd, msg, wp, lp);
    }
};
RecordingHook* MenuWindow::hook = nullptr;
std::string MenuWindow::choose;

TEST(ShellItemMenu, TheChosenCommandIsCarriedOutExceptARename) {
    TempDir dir;
    ClipboardScope clipboard;
    const std::string file = dir.WriteFile("note.txt", "x");
    RealItem item(file);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = MenuWindow::Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VemloraMenuTest";
    RegisterClassA(&wc);
    HWND wnd = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 50, 50, 100, 100, nullptr, nullptr,
                               wc.hInstance, nullptr);
    SetForegroundWindow(wnd);
    RecordingHook hook;
    MenuWindow::hook = &hook;
    TPTClipboardCut cut;
    const struct {
        const char* choose;
        bool chosen;
    } cases[] = {{"", false}, {"cut", true}};
    for (const auto& c : cases) {
        hook.events.clear();
        MenuWindow::choose = c.choose;
        const TPTItemMenuChoice choice = ShowItemContextMenu(item.folder.get(), item.item.get(), wnd, wnd,
                                                             POINT{60, 60}, ItemMenuFlags(true, false), &hook, &cut);
        EXPECT_EQ(hook.events, (std::vector<std::string>{"menu", "none"}));
        EXPECT_FALSE(choice.rename);
        if (!c.chosen) {
            EXPECT_EQ(choice.offset, -1);
            continue;
        }
        EXPECT_GE(choice.offset, 0);
        EXPECT_EQ(choice.result, S_OK);
        EXPECT_GT(hook.hints, 0) << "the selected command's help text";
        EXPECT_EQ(ClipboardFiles(), std::vector<std::string>{file});
        EXPECT_TRUE(cut.IsCut({file}));
    }
    MenuWindow::hook = nullptr;
    DestroyWindow(wnd);
    UnregisterClassA(wc.lpszClassName, wc.hInstance);
    // No menu for no item.
    EXPECT_EQ(ShowItemContextMenu(item.folder.get(), nullptr, nullptr, nullptr, POINT{}, 0, &hook).offset, -1);
}

TEST(ShellRename, ANewNameIsTakenOrRefusedWithTheFileAsItWas) {
    TempDir dir;
    testing_support::MessageBoxCapture boxes;
    const std::string taken = dir.WriteFile("taken.txt", "t");
    const struct {
        std::string newName;
        bool renamed;
    } cases[] = {
        {"renamed.txt", true},
        {"表ソ.txt", true},
        {"a:b.txt", false},
        {"taken.txt", false},
        {std::string(300, 'n') + ".txt", false},  // never cut to a shorter name
        {"", false},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string old = dir.WriteFile("old" + std::to_string(++n) + ".txt", "o");
        RealItem item(old);
        IdList renamed;
        const HRESULT hr = RenameItem(item.folder.get(), nullptr, item.item.get(), c.newName, renamed);
        EXPECT_EQ(SUCCEEDED(hr), c.renamed) << c.newName << " " << std::hex << hr;
        if (c.newName.size() >= MAX_PATH) {
            EXPECT_EQ(hr, HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
        }
        EXPECT_EQ(FileExistsA(old), !c.renamed) << c.newName;
        EXPECT_EQ(testing_support::ReadFileBytes(taken), "t");
        if (c.renamed) {
            EXPECT_TRUE(FileExistsA(dir / c.newName));
            ASSERT_TRUE(renamed);
            EXPECT_EQ(GetDisplayName(item.folder.get(), renamed.get(), dnForParsing), dir / c.newName);
        } else {
            EXPECT_FALSE(renamed);
        }
    }
}

}  // namespace
