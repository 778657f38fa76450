// The shell tree's fill of one folder of 2,000 shortcuts and of one of 2,000 subfolders, each
// against the floor measured side by side in the same run: the same items enumerated with their
// attributes and in-folder names and inserted into a bare tree view under one redraw lock. Then
// a burst of 1,000 new files in a watched, expanded folder, and the refreshes it brings.
// Prints "NAME: VALUE (goal: GOAL)"; details follow "#".
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "shell/IdList.h"
#include "shell/ShellModule.h"
#include "shell/ShellTree.h"
#include "support/Sandbox.h"
#include "ui/Forms.h"

using namespace testing_support;

namespace {

constexpr int kItems = 2000;
constexpr int kRounds = 3;
constexpr int kBurst = 1000;

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

bool MakeShortcut(const std::string& path, const std::string& target) {
    ui::ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.putVoid())))
        return false;
    link->SetPath(target.c_str());
    ui::ComPtr<IPersistFile> file;
    if (FAILED(link.As(IID_IPersistFile, file))) return false;
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    return SUCCEEDED(file->Save(wide, TRUE));
}

// The floor: what the tree cannot do without, for every item of `path`.
double FloorFill(ui::TForm& form, const std::string& path) {
    shell::IdList list;
    shell::ParsePath(path, list);
    HWND tree = CreateWindowExA(0, WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS, 0, 0, 300, 300,
                                form.Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
    const double start = Now();
    SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
    ui::ComPtr<IShellFolder> folder;
    shell::BindToIdList(list.get(), folder);
    ui::ComPtr<IEnumIDList> items;
    folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, items.put());
    ui::ComPtr<IMalloc> allocator;
    SHGetMalloc(allocator.put());
    for (;;) {
        LPITEMIDLIST raw = nullptr;
        ULONG fetched = 0;
        if (items->Next(1, &raw, &fetched) != S_OK) break;
        shell::IdList item(allocator.get(), raw);
        LPCITEMIDLIST one = item.get();
        ULONG attributes = shell::kAddItemAttributeMask;
        folder->GetAttributesOf(1, &one, &attributes);
        const std::string text = shell::GetDisplayName(folder.get(), one, shell::dnInFolder);
        TVINSERTSTRUCTA insert = {};
        insert.hParent = TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = const_cast<char*>(text.c_str());
        SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert));
    }
    SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
    const double spent = Now() - start;
    DestroyWindow(tree);
    return spent;
}

double TreeFill(ui::TForm& form, const std::string& path) {
    shell::IdList list;
    shell::ParsePath(path, list);
    auto* tree = new shell::TPTShellTree(&form);
    tree->SetBounds(0, 0, 300, 300);
    tree->SetOptions(shell::TPTShellTreeOptions(0x3F9).Without(shell::ptstoDynamicRefresh));
    tree->BaseFolder().SetIdList(list.get());
    tree->SetParent(&form);
    const double start = Now();
    tree->FillTree();
    const double spent = Now() - start;
    delete tree;
    PumpMessages();
    return spent;
}

void CompareFills(ui::TForm& form, const char* name, const std::string& path) {
    std::vector<double> floors, trees;
    for (int i = 0; i < kRounds; ++i) {
        floors.push_back(FloorFill(form, path));
        trees.push_back(TreeFill(form, path));
    }
    const double floor = Median(floors), tree = Median(trees);
    std::printf("%s: %.2f (goal: 1.5)\n", name, floor > 0 ? tree / floor : 0.0);
    std::printf("# %d items: tree %.1f ms, floor %.1f ms (medians of %d rounds, side by side)\n", kItems, tree, floor,
                kRounds);
}

}  // namespace

int main() {
    shell::ModuleStartup startup;
    ui::TForm form(nullptr);
    form.SetBounds(0, 0, 320, 400);
    form.Show();
    int rc = 0;
    {
        TempDir dir;
        const std::string files = dir.MakeDir("files"), folders = dir.MakeDir("folders");
        const std::string target = dir.WriteFile("target.txt", "x");
        // One shortcut saved by the shell, copied: the same bytes under 2,000 names.
        if (!MakeShortcut(files + "\\s0000.lnk", target)) {
            std::printf("tree_fill_vs_floor_files: 0 (goal: 1.5)\n# could not save a shortcut\n");
            rc = 1;
        }
        const std::string bytes = ReadFileBytes(files + "\\s0000.lnk");
        char name[32];
        for (int i = 1; i < kItems; ++i) {
            std::snprintf(name, sizeof name, "files\\s%04d.lnk", i);
            dir.WriteFile(name, bytes);
        }
        for (int i = 0; i < kItems; ++i) {
            std::snprintf(name, sizeof name, "folders\\f%04d", i);
            dir.MakeDir(name);
        }
        CompareFills(form, "tree_fill_vs_floor_files", files);
        CompareFills(form, "tree_fill_vs_floor_folders", folders);

        // A burst of new files in a watched, expanded folder.
        const std::string burst = dir.MakeDir("burst");
        dir.WriteFile("burst\\first.txt", "x");  // shown expanded
        shell::IdList list;
        shell::ParsePath(burst, list);
        auto* tree = new shell::TPTShellTree(&form);
        tree->SetBounds(0, 0, 300, 300);
        tree->SetOptions(shell::TPTShellTreeOptions(0x3F9));
        tree->BaseFolder().SetIdList(list.get());
        tree->SetParent(&form);
        tree->FillTree();
        tree->SetFocus();
        PumpMessages();
        const int before = tree->RefreshCount();
        const double start = Now();
        for (int i = 0; i < kBurst; ++i) {
            std::snprintf(name, sizeof name, "burst\\n%04d.txt", i);
            dir.WriteFile(name, "x");
        }
        const double written = Now() - start;
        // Long enough for the last notification's interval (2 s when not focused) to pass.
        const DWORD quiet = GetTickCount();
        while (GetTickCount() - quiet < 3000) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            PumpMessages(1);
        }
        std::printf("refreshes_after_1000_creations: %d (goal: 2)\n", tree->RefreshCount() - before);
        std::printf("# %d files written in %.0f ms; %zu watches\n", kBurst, written, tree->WatchedPaths().size());
        delete tree;
        PumpMessages();
    }
    return rc;
}
