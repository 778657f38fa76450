// The shell tree over real folders made for each test: what a fill shows, expansion, the
// shell's order, overlays and dimmed items, refresh after real changes, selection by ID list,
// a window made again, and a folder that cannot be listed.
#include "shell/ShellTree.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/ShellTesting.h"
#include "shell/ShellTreeTesting.h"
#include "support/Sandbox.h"
#include "ui/ComError.h"
#include "ui/Forms.h"

using namespace shell;
using shell_testing::ListOf;
using shell_testing::Tree;
using shell_testing::kQuietTab;
using shell_testing::kTabOptions;
using testing_support::PumpMessages;
using testing_support::TempDir;
using ui::TTreeNode;

namespace {

void MakeShortcut(const std::string& path, const std::string& target) {
    ui::ComPtr<IShellLinkA> link;
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.putVoid()), S_OK);
    link->SetPath(target.c_str());
    ui::ComPtr<IPersistFile> file;
    ASSERT_EQ(link.As(IID_IPersistFile, file), S_OK);
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    ASSERT_EQ(file->Save(wide, TRUE), S_OK) << path;
}

// A folder of every kind of item the tree tells apart.
struct Scratch {
    Scratch() {
        dir.MakeDir("b-folder");
        dir.WriteFile("a-folder\\inner\\deep.txt", "x");
        dir.WriteFile("a-folder\\inner\\" + std::string(180, 'L') + ".txt", "x");
        dir.MakeDir("empty");
        dir.WriteFile("z.txt", "x");
        dir.WriteFile("h.txt", "x");
        SetFileAttributesA((dir / "h.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
        dir.WriteFile(".dot", "x");
        MakeShortcut(dir / "m.lnk", dir / "z.txt");
    }
    TempDir dir;
};

std::string NameOf(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

}  // namespace

TEST(ShellTree, AFillShowsOneTopNodeExpandedOneLevelInTheShellsOrder) {
    Scratch s;
    const IdList base = ListOf(s.dir.Path());
    const struct {
        const char* name;
        TPTShellTreeOptions options;
        std::vector<std::string> children;
    } cases[] = {
        {"the tab's options", kQuietTab, {"a-folder", "b-folder", "empty", ".dot", "h.txt", "m", "z.txt"}},
        {"the defaults: folders only, hidden ones too", kDefaultShellTreeOptions.Without(ptstoDynamicRefresh),
         {"a-folder", "b-folder", "empty"}},
        {"no hidden items", kQuietTab.Without(ptstoShowHidden), {"a-folder", "b-folder", "empty", "m", "z.txt"}},
    };
    for (const auto& c : cases) {
        Tree t(base.get(), c.options);
        ASSERT_NE(t.Top(), nullptr) << c.name;
        EXPECT_EQ(t.Top()->GetNextSibling(), nullptr) << "one top node: " << c.name;
        EXPECT_EQ(t.Top()->Text(), NameOf(s.dir.Path())) << c.name;
        EXPECT_TRUE(t.Top()->Expanded()) << c.name;
        EXPECT_EQ(t.Texts(t.Top()), c.children) << c.name;
        EXPECT_EQ(t.tree->Selected(), t.Top()) << c.name;
        ASSERT_NE(t.tree->SelectedData(), nullptr);
        EXPECT_EQ(t.tree->SelectedData()->PathName(), s.dir.Path());
        EXPECT_EQ(t.fills, 1) << c.name;
        for (TTreeNode* n = t.Top()->GetFirstChild(); n; n = n->GetNextSibling())
            EXPECT_FALSE(n->Expanded()) << "only one level: " << n->Text();
    }

    // What each node shows: hidden items dimmed, the shortcut's arrow, buttons on folders.
    Tree t(base.get());
    const struct {
        const char* text;
        bool cut;
        int overlay;
        bool button;
    } nodes[] = {{"a-folder", false, -1, true}, {"empty", false, -1, true}, {".dot", true, -1, false},
                 {"h.txt", true, -1, false},    {"m", false, 1, false},     {"z.txt", false, -1, false}};
    for (const auto& n : nodes) {
        TTreeNode* node = Tree::Child(t.Top(), n.text);
        ASSERT_NE(node, nullptr) << n.text;
        EXPECT_EQ(node->Cut(), n.cut) << n.text;
        EXPECT_EQ(node->OverlayIndex(), n.overlay) << n.text;
        EXPECT_EQ(node->HasChildren(), n.button) << n.text;
        ASSERT_NE(t.tree->NodeData(node), nullptr) << n.text;
        EXPECT_EQ(t.tree->NodeData(node)->Parent(), t.tree->NodeData(t.Top()));
    }
    EXPECT_EQ(t.tree->NodeData(Tree::Child(t.Top(), "m"))->PathName(), s.dir / "m.lnk");
}

TEST(ShellTree, ExpandingFillsOnceAndAnEmptyFolderLosesItsButton) {
    Scratch s;
    const IdList base = ListOf(s.dir.Path());
    Tree t(base.get());
    std::vector<std::string> inserted;
    t.tree->OnInsertItem = [&](ui::TObject*, TTreeNode* n) { inserted.push_back(n->Text()); };
    const struct {
        const char* path;
        std::vector<std::string> children;
        bool button;
    } cases[] = {
        {"a-folder", {"inner"}, true},
        {"a-folder\\inner", {"deep.txt", std::string(180, 'L') + ".txt"}, true},
        {"empty", {}, false},
        {"b-folder", {}, false},
    };
    for (const auto& c : cases) {
        TTreeNode* node = t.Top();
        std::string rest = c.path;
        for (size_t at; node && !rest.empty(); rest = at == std::string::npos ? "" : rest.substr(at + 1)) {
            at = rest.find('\\');
            node = Tree::Child(node, rest.substr(0, at));
        }
        ASSERT_NE(node, nullptr) << c.path;
        inserted.clear();
        node->Expand(false);
        EXPECT_EQ(Tree::Texts(node), c.children) << c.path;
        EXPECT_EQ(inserted, c.children) << c.path;
        EXPECT_EQ(node->HasChildren(), c.button) << c.path;
        node->Collapse(false);
        node->Expand(false);  // filled once: the same children, none added again
        EXPECT_EQ(Tree::Texts(node), c.children) << c.path;
    }

    // A refresh keeps the emptied folders without a button until one holds a folder.
    t.tree->RefreshTree();
    EXPECT_FALSE(Tree::Child(t.Top(), "empty")->HasChildren());
    s.dir.MakeDir("empty\\new");
    t.tree->RefreshTree();
    EXPECT_TRUE(Tree::Child(t.Top(), "empty")->HasChildren());
    EXPECT_FALSE(Tree::Child(t.Top(), "b-folder")->HasChildren());
}

TEST(ShellTree, TheSameBaseFolderAgainDoesNotFillAgain) {
    Tree t(nullptr);
    t.fills = 0;
    const struct {
        const char* name;
        std::function<void()> set;
        int fills;
    } cases[] = {
        {"the Start menu", [&] { t.tree->BaseFolder().SetSpecialFolder(CSIDL_STARTMENU); }, 1},
        {"the Start menu again", [&] { t.tree->BaseFolder().SetSpecialFolder(CSIDL_STARTMENU); }, 0},
        {"its stored bytes", [&] { t.tree->BaseFolder().ReadPidl(std::string("\x01\x0B", 2)); }, 0},
        {"the desktop", [&] { t.tree->BaseFolder().SetSpecialFolder(CSIDL_DESKTOP); }, 1},
        {"back to the Start menu", [&] { t.tree->BaseFolder().SetSpecialFolder(CSIDL_STARTMENU); }, 1},
    };
    const std::string startMenu = SpecialFolderPath(nullptr, CSIDL_STARTMENU);
    for (const auto& c : cases) {
        t.fills = 0;
        c.set();
        EXPECT_EQ(t.fills, c.fills) << c.name;
    }
    ASSERT_NE(t.Top(), nullptr);
    EXPECT_EQ(t.Top()->GetNextSibling(), nullptr);
    EXPECT_EQ(t.tree->NodeData(t.Top())->PathName(), startMenu);
    EXPECT_EQ(t.Top()->Text(), DisplayNameOfAbs(t.tree->BaseFolder().GetIdList()));
    EXPECT_TRUE(t.Top()->Expanded());
    EXPECT_NE(Tree::Child(t.Top(), NameOf(SpecialFolderPath(nullptr, CSIDL_PROGRAMS))), nullptr)
        << "the Start menu's Programs folder";
    EXPECT_EQ((GetWindowLongPtrA(t.tree->Handle(), GWL_STYLE) & TVS_LINESATROOT), 0) << "no root line";
}

TEST(ShellTree, ChangesOnDiskRefreshTheTreeOnceAfterTheCoalescingInterval) {
    Scratch s;
    s.dir.MakeDir("b-folder\\sub");
    const IdList base = ListOf(s.dir.Path());
    Tree t(base.get(), TPTShellTreeOptions(kTabOptions));
    ASSERT_NE(t.tree->ChangeThread(), nullptr);
    const auto& watched = t.tree->WatchedPaths();
    for (const char* drive : {"C:\\", "Z:\\"})
        EXPECT_NE(std::find(watched.begin(), watched.end(), drive), watched.end()) << drive;
    EXPECT_NE(std::find(watched.begin(), watched.end(), s.dir.Path()), watched.end()) << "the shown folder itself";
    TTreeNode* folder = Tree::Child(t.Top(), "b-folder");
    folder->Expand(false);
    EXPECT_NE(std::find(watched.begin(), watched.end(), s.dir / "b-folder"), watched.end()) << "a folder expanded later";

    const struct {
        const char* name;
        bool focused;
        std::function<void()> change;
        std::function<bool()> seen;
        unsigned interval;
    } cases[] = {
        {"a deleted shortcut, tree focused", true, [&] { DeleteFileA((s.dir / "m.lnk").c_str()); },
         [&] { return !Tree::Child(t.Top(), "m"); }, 400},
        {"a new folder, tree not focused", false, [&] { s.dir.MakeDir("new-folder"); },
         [&] { return Tree::Child(t.Top(), "new-folder") != nullptr; }, 2000},
        {"a folder gone below an expanded one", true, [&] { RemoveDirectoryA((s.dir / "b-folder\\sub").c_str()); },
         [&] { return Tree::Texts(Tree::Child(t.Top(), "b-folder")).empty(); }, 400},
    };
    for (const auto& c : cases) {
        if (c.focused) t.tree->SetFocus();
        else SetFocus(nullptr);
        const int refreshes = t.tree->RefreshCount();
        c.change();
        EXPECT_TRUE(Tree::PumpUntil([&] { return t.tree->UpdateTimerTag() == 2; }, 3000)) << c.name;
        EXPECT_EQ(t.tree->UpdateTimerInterval(), c.interval) << c.name;
        EXPECT_TRUE(Tree::PumpUntil(c.seen, 6000)) << c.name;
        EXPECT_EQ(t.tree->RefreshCount(), refreshes + 1) << c.name;
    }
    // An empty base folder, shown without children, is watched all the same.
    TempDir empty;
    const IdList emptyList = ListOf(empty.Path());
    Tree bare(emptyList.get(), TPTShellTreeOptions(kTabOptions));
    EXPECT_NE(std::find(bare.tree->WatchedPaths().begin(), bare.tree->WatchedPaths().end(), empty.Path()),
              bare.tree->WatchedPaths().end());
}

TEST(ShellTree, SelectIdListExpandsTheWayToADeepItem) {
    Scratch s;
    const IdList base = ListOf(s.dir.Path());
    Tree t(base.get());
    const struct {
        const char* name;
        std::string path;
        std::string selected;
        std::vector<std::string> expanded;
    } cases[] = {
        {"a deep file", s.dir / "a-folder\\inner\\deep.txt", "deep.txt", {"a-folder", "inner"}},
        {"a folder", s.dir / "b-folder", "b-folder", {}},
        {"a long name", s.dir / ("a-folder\\inner\\" + std::string(180, 'L') + ".txt"),
         std::string(180, 'L') + ".txt", {"a-folder", "inner"}},
        {"the base folder", s.dir.Path(), NameOf(s.dir.Path()), {}},
        {"outside the base folder: a beep, nothing selected", testing_support::WindowsDir(), NameOf(s.dir.Path()), {}},
    };
    for (const auto& c : cases) {
        t.tree->SetSelected(t.Top());
        const IdList target = ListOf(c.path);
        t.tree->SelectIdList(target.get());
        ASSERT_NE(t.tree->Selected(), nullptr) << c.name;
        EXPECT_EQ(t.tree->Selected()->Text(), c.selected) << c.name;
        TTreeNode* node = t.Top();
        for (const auto& e : c.expanded) {
            node = Tree::Child(node, e);
            ASSERT_NE(node, nullptr) << c.name << " " << e;
            EXPECT_TRUE(node->Expanded()) << c.name << " " << e;
        }
    }
    // The selection is the current folder; a window made again fills again and selects it.
    const IdList deep = ListOf(s.dir / "a-folder\\inner\\deep.txt");
    t.tree->SelectIdList(deep.get());
    EXPECT_EQ(CompareAbsIdLists(t.tree->CurrentFolder().GetIdList(), deep.get()), 0);
    t.fills = 0;
    t.tree->RecreateWnd();
    EXPECT_EQ(t.tree->Items().Count(), 0);
    PumpMessages();
    EXPECT_GE(t.fills, 1);
    ASSERT_NE(t.tree->Selected(), nullptr);
    EXPECT_EQ(t.tree->SelectedData()->PathName(), s.dir / "a-folder\\inner\\deep.txt");
}

TEST(ShellTree, IconsAreAskedForOnlyWhenANodeIsDrawnAndTheArrowShows) {
    TempDir dir;
    for (int i = 0; i < 60; ++i) dir.WriteFile("file" + std::to_string(100 + i) + ".txt", "x");
    MakeShortcut(dir / "file100 link.lnk", dir / "file100.txt");
    const IdList base = ListOf(dir.Path());
    Tree t(base.get());
    UpdateWindow(t.tree->Handle());
    PumpMessages();
    int asked = 0, notAsked = 0;
    for (TTreeNode* n = t.Top()->GetFirstChild(); n; n = n->GetNextSibling())
        (n->ImageIndex() >= 0 ? asked : notAsked)++;
    EXPECT_GT(asked, 0);
    EXPECT_GT(notAsked, 30) << "the nodes out of view have no icon yet";
    EXPECT_GE(t.Top()->ImageIndex(), 0);
    EXPECT_GE(t.Top()->SelectedIndex(), 0) << "the top node is selected";

    // Wine gives a shortcut the plain document image: the arrow drawn over it is all that differs.
    TTreeNode* link = Tree::Child(t.Top(), "file100 link");
    TTreeNode* plain = Tree::Child(t.Top(), "file101.txt");
    TTreeNode* other = Tree::Child(t.Top(), "file102.txt");
    ASSERT_TRUE(link && plain && other);
    EXPECT_EQ(link->OverlayIndex(), 1);
    ASSERT_EQ(link->ImageIndex(), plain->ImageIndex()) << "the same image below the arrow";
    ui::WindowDC dc(t.tree->Handle());
    auto differing = [&](TTreeNode* a, TTreeNode* b) {
        const RECT ra = a->ImageRect(), rb = b->ImageRect();
        EXPECT_EQ(ra.right - ra.left, 16) << a->Text();
        int n = 0;
        for (int y = 0; y < ra.bottom - ra.top; ++y)
            for (int x = 0; x < 16; ++x)
                n += GetPixel(dc.get(), ra.left + x, ra.top + y) != GetPixel(dc.get(), rb.left + x, rb.top + y);
        return n;
    };
    EXPECT_EQ(differing(plain, other), 0) << "the measure itself";
    EXPECT_GT(differing(link, plain), 10) << "the arrow";
    // Folders show the shell's folder images, not the overlays added to its lists.
    EXPECT_NE(t.Top()->ImageIndex(), t.Top()->SelectedIndex());
}

namespace {
// A real folder whose listing is refused, as a drive without a disk refuses it.
struct RefusingFolder : IShellFolder {
    explicit RefusingFolder(IShellFolder* real) : real_(real) { real->AddRef(); }
    ~RefusingFolder() { real_->Release(); }
    ULONG refs = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellFolder) ? this : nullptr;
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND w, LPBC b, LPOLESTR n, ULONG* e, LPITEMIDLIST* l,
                                               ULONG* a) override {
        return real_->ParseDisplayName(w, b, n, e, l, a);
    }
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND w, SHCONTF f, IEnumIDList** out) override {
        if (refuseAttributes) return real_->EnumObjects(w, f, out);
        *out = nullptr;
        return HRESULT_FROM_WIN32(ERROR_NOT_READY);
    }
    HRESULT STDMETHODCALLTYPE BindToObject(LPCITEMIDLIST l, LPBC b, REFIID i, void** o) override {
        return real_->BindToObject(l, b, i, o);
    }
    HRESULT STDMETHODCALLTYPE BindToStorage(LPCITEMIDLIST l, LPBC b, REFIID i, void** o) override {
        return real_->BindToStorage(l, b, i, o);
    }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM p, LPCITEMIDLIST a, LPCITEMIDLIST b) override {
        return real_->CompareIDs(p, a, b);
    }
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND w, REFIID i, void** o) override {
        return real_->CreateViewObject(w, i, o);
    }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT c, LPCITEMIDLIST* l, SFGAOF* a) override {
        return refuseAttributes ? E_ACCESSDENIED : real_->GetAttributesOf(c, l, a);
    }
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND w, UINT c, LPCITEMIDLIST* l, REFIID i, UINT* r, void** o) override {
        return real_->GetUIObjectOf(w, c, l, i, r, o);
    }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(LPCITEMIDLIST l, SHGDNF f, STRRET* n) override {
        return real_->GetDisplayNameOf(l, f, n);
    }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND w, LPCITEMIDLIST l, LPCOLESTR n, SHGDNF f, LPITEMIDLIST* o) override {
        return real_->SetNameOf(w, l, n, f, o);
    }
    IShellFolder* real_;
    bool refuseAttributes = false;  // lists, but answers no item's attributes
};
}  // namespace

TEST(ShellTree, AFolderThatCannotBeListedKeepsItsButtonAndTheTreeGoesOn) {
    Scratch s;
    const IdList base = ListOf(s.dir.Path());
    Tree t(base.get());
    const struct {
        const char* name;
        const char* folder;
        bool buttonBefore;
    } cases[] = {{"a folder with a button", "a-folder", true}, {"a folder without one", "empty", false}};
    for (const auto& c : cases) {
        TTreeNode* node = Tree::Child(t.Top(), c.folder);
        ASSERT_NE(node, nullptr);
        node->SetHasChildren(c.buttonBefore);
        IShellFolder* real = t.tree->NodeData(node)->Folder();
        ASSERT_NE(real, nullptr);
        RefusingFolder refusing(real);
        t.tree->FillNode(&refusing, node);
        EXPECT_EQ(node->GetFirstChild(), nullptr) << c.name;
        EXPECT_TRUE(node->HasChildren()) << "kept to be tried again: " << c.name;
        EXPECT_EQ(refusing.refs, 1u) << "no reference kept: " << c.name;
    }
    // The real folder lists at the next try.
    TTreeNode* node = Tree::Child(t.Top(), "a-folder");
    node->Expand(false);
    EXPECT_EQ(Tree::Texts(node), (std::vector<std::string>{"inner"}));

    // Attributes refused: the system's error, the fill's end still told, the tree goes on.
    TTreeNode* inner = Tree::Child(node, "inner");
    RefusingFolder refusing(t.tree->NodeData(inner)->Folder());
    refusing.refuseAttributes = true;
    int completes = 0;
    t.tree->OnFillComplete = [&](ui::TObject*) { ++completes; };
    EXPECT_THROW(t.tree->FillNode(&refusing, inner), ui::EOleSysError);
    EXPECT_EQ(completes, 1);
    EXPECT_EQ(inner->GetFirstChild(), nullptr);
    EXPECT_EQ(refusing.refs, 1u);
    const int before = t.tree->Items().Count();
    t.tree->RefreshTree();
    EXPECT_EQ(t.tree->Items().Count(), before);
    inner->Expand(false);
    t.tree->FillTree();
    EXPECT_NE(Tree::Child(t.Top(), "a-folder"), nullptr);
    t.tree->OnFillComplete = nullptr;
}

TEST(ShellTree, TheEventsOfItsTableFireAndOptionsActWhileTheWindowExists) {
    Scratch s;
    const IdList base = ListOf(s.dir.Path());
    std::vector<std::string> log;
    Tree t(base.get());
    t.tree->OnAddItem = [&](ui::TObject*, IShellFolder* folder, LPCITEMIDLIST parent, LPCITEMIDLIST item,
                            ULONG attributes, BOOL& allow) {
        EXPECT_EQ(allow, -1);
        EXPECT_EQ(attributes & ~kAddItemAttributeMask, 0u) << "only the bits asked for";
        EXPECT_EQ(CompareAbsIdLists(parent, base.get()), 0);
        const std::string name = GetDisplayName(folder, item, dnInFolder);
        if (name == "z.txt") allow = FALSE;
        log.push_back("add " + name);
    };
    t.tree->OnInsertItem = [&](ui::TObject*, TTreeNode* n) { log.push_back("insert " + n->Text()); };
    t.tree->OnDeleteItem = [&](ui::TObject*, TTreeNode* n, TPTShTreeData* data) {
        EXPECT_EQ(data, t.tree->NodeData(n)) << "the data still there";
        log.push_back("delete " + n->Text());
    };
    t.tree->OnFillStart = [&](ui::TObject*) { log.push_back("start"); };
    t.tree->OnFillComplete = [&](ui::TObject*) { log.push_back("complete"); };
    int drawn = 0;
    t.tree->OnCustomDrawSh = [&](ui::TObject*, TPTCustomDraw& draw, TTreeNode*, TPTShTreeData* data) {
        EXPECT_EQ(draw.Stage, static_cast<DWORD>(CDDS_ITEMPREPAINT));
        EXPECT_NE(data, nullptr);
        ++drawn;
    };
    t.tree->FillTree();
    EXPECT_EQ(Tree::Child(t.Top(), "z.txt"), nullptr) << "refused by the handler";
    const struct {
        const char* event;
        int count;
    } counts[] = {{"start", 1},         {"complete", 1},      {"add z.txt", 1}, {"insert z.txt", 0},
                  {"add m", 1},         {"insert m", 1},      {"delete m", 1},  {"delete a-folder", 1},
                  {"insert a-folder", 1}, {"add a-folder", 1}};
    for (const auto& c : counts)
        EXPECT_EQ(std::count(log.begin(), log.end(), c.event), c.count) << c.event;
    EXPECT_LT(std::find(log.begin(), log.end(), "delete m") - log.begin(),
              std::find(log.begin(), log.end(), "start") - log.begin())
        << "the old nodes go before the new fill starts";
    UpdateWindow(t.tree->Handle());
    EXPECT_GT(drawn, 0);

    // Options that act at once: the watch, and the native drag notifications.
    const struct {
        const char* name;
        TPTShellTreeOptions options;
        bool watching, dragStyleOff;
    } options[] = {
        {"watch on", TPTShellTreeOptions(kTabOptions), true, false},
        {"watch off", kQuietTab, false, false},
        {"no drag", kQuietTab.Without(ptstoOleDrag), false, true},
    };
    for (const auto& o : options) {
        t.tree->SetOptions(o.options);
        EXPECT_EQ(t.tree->Options(), o.options) << o.name;
        EXPECT_EQ(!t.tree->WatchedPaths().empty(), o.watching) << o.name;
        EXPECT_EQ((GetWindowLongPtrA(t.tree->Handle(), GWL_STYLE) & TVS_DISABLEDRAGDROP) != 0, o.dragStyleOff)
            << o.name;
    }
    t.tree->OnCustomDrawSh = nullptr;
}

TEST(ShellTreeOptions, SixteenBitsOneAnOption) {
    const struct {
        const char* name;
        TPTShellTreeOptions options;
        WORD bits;
    } cases[] = {
        {"the defaults", kDefaultShellTreeOptions, 0x3BB},
        {"the Start-menu tab's",
         {ptstoAutoFill, ptstoDefaultKeyHandling, ptstoContextMenus, ptstoDynamicRefresh, ptstoIncludeNonFolders,
          ptstoOleDrag, ptstoOleDrop, ptstoShowHidden},
         0x3F9},
        {"none", {}, 0},
        {"the designer's alone", {ptstoDesignInteractive}, 0x004},
        {"all", TPTShellTreeOptions(0x3FF), 0x3FF},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.options.Bits(), c.bits) << c.name;
        static_assert(sizeof(TPTShellTreeOptions) == 2, "a 16-bit set");
    }
    EXPECT_TRUE(kDefaultShellTreeOptions.Contains(ptstoVirtualFolders));
    EXPECT_FALSE(kDefaultShellTreeOptions.Contains(ptstoIncludeNonFolders));
    EXPECT_EQ(kDefaultShellTreeOptions.With(ptstoIncludeNonFolders).Bits(), 0x3FB);
    ui::TForm form(nullptr);
    TPTShellTree tree(&form);
    EXPECT_EQ(tree.Options(), kDefaultShellTreeOptions);
    EXPECT_FALSE(tree.ShowRoot());
    tree.SetOptions(0x3F9);  // as the Start-menu tab sets them, before the window exists
    EXPECT_EQ(tree.Options().Bits(), 0x3F9);
    EXPECT_TRUE(tree.Options().Contains(ptstoIncludeNonFolders));
    EXPECT_FALSE(tree.HandleAllocated());
}

namespace {
// A tree with a view that follows its selection, as a linked shell list would.
struct LinkedTree : TPTShellTree {
    using TPTShellTree::TPTShellTree;
    std::vector<std::string> updates;
    bool HasLinkedView() const override { return true; }
    void UpdateLinkedView(TTreeNode* node) override { updates.push_back(node->Text()); }
};
}  // namespace

TEST(ShellTree, KeyboardBrowsingDefersTheSelectionUpdateAndChangesWaitForADrag) {
    Scratch s;
    const IdList base = ListOf(s.dir.Path());
    ui::TForm form(nullptr);
    form.SetBounds(0, 0, 320, 400);
    auto* tree = new LinkedTree(&form);
    tree->SetBounds(5, 5, 300, 360);
    tree->SetOptions(kQuietTab);
    tree->BaseFolder().SetIdList(base.get());
    tree->SetParent(&form);
    form.Show();
    PumpMessages();
    ASSERT_NE(tree->Items().GetFirstNode(), nullptr);
    tree->updates.clear();
    tree->SetFocus();
    SendMessageA(tree->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(tree->Selected()->Text(), "a-folder");
    EXPECT_EQ(tree->UpdateTimerTag(), 1) << "keyboard browsing waits";
    EXPECT_EQ(tree->UpdateTimerInterval(), 500u);
    EXPECT_TRUE(tree->updates.empty());
    EXPECT_TRUE(Tree::PumpUntil([&] { return !tree->updates.empty(); }, 3000));
    EXPECT_EQ(tree->updates, (std::vector<std::string>{"a-folder"}));
    EXPECT_EQ(tree->UpdateTimerTag(), 0);
    EXPECT_EQ(tree->SelectedData()->PathName(), tree->CurrentFolder().GetPath());
    // A click takes effect at once.
    TTreeNode* empty = Tree::Child(tree->Items().GetFirstNode(), "empty");
    const RECT r = empty->DisplayRect(true);
    PostMessageA(tree->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 2, (r.top + r.bottom) / 2));
    PostMessageA(tree->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(r.left + 2, (r.top + r.bottom) / 2));
    PumpMessages();
    EXPECT_EQ(tree->Selected(), empty);
    EXPECT_EQ(tree->updates.back(), "empty");
    EXPECT_EQ(tree->UpdateTimerTag(), 0);

    // A change seen while fills are held back is done once they may run again.
    tree->SetFillLocked(true);
    SendMessageA(tree->Handle(), WM_CHANGENOTIFY, 0, 0);
    EXPECT_EQ(tree->UpdateTimerTag(), 0);
    EXPECT_TRUE(tree->FillPending());
    const int refreshes = tree->RefreshCount();
    tree->RefreshTree();
    EXPECT_EQ(tree->RefreshCount(), refreshes) << "held back";
    tree->SetFillLocked(false);
    tree->SetSkipNextNotify(true);
    SendMessageA(tree->Handle(), WM_CHANGENOTIFY, 0, 0);
    EXPECT_EQ(tree->UpdateTimerTag(), 0) << "swallowed once";
    EXPECT_FALSE(tree->SkipNextNotify());
    SendMessageA(tree->Handle(), WM_CHANGENOTIFY, 0, 0);
    EXPECT_EQ(tree->UpdateTimerTag(), 2);
}

TEST(ShellTree, VirtualItemsAreListedOnlyWithTheirOption) {
    IdList computer, controls;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, computer.put()), S_OK);
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_CONTROLS, controls.put()), S_OK);
    const std::string panel = DisplayNameOfAbs(controls.get());
    const std::string drive = DisplayNameOfAbs(ListOf("C:\\").get());
    const struct {
        const char* name;
        TPTShellTreeOptions options;
        bool panelShown;
    } cases[] = {{"with virtual folders", kDefaultShellTreeOptions.Without(ptstoDynamicRefresh), true},
                 {"without", kDefaultShellTreeOptions.Without(ptstoDynamicRefresh).Without(ptstoVirtualFolders), false}};
    for (const auto& c : cases) {
        Tree t(computer.get(), c.options);
        ASSERT_NE(t.Top(), nullptr) << c.name;
        EXPECT_EQ(Tree::Child(t.Top(), panel) != nullptr, c.panelShown) << c.name << ": " << panel;
        EXPECT_NE(Tree::Child(t.Top(), drive), nullptr) << c.name << ": " << drive;
        EXPECT_EQ(t.tree->NodeData(Tree::Child(t.Top(), drive))->PathName(), "C:\\") << c.name;
    }
}

// The shell builds its image list at the first request, slowly: a tree whose window does not
// exist yet (on a page not shown) has not asked for it; its window comes with it.
TEST(ShellTree, TheSystemImageListIsAskedForWithTheWindow) {
    ui::TForm form(nullptr);
    auto* tree = new TPTShellTree(&form);
    tree->SetParent(&form);
    EXPECT_EQ(tree->Images(), nullptr);
    EXPECT_EQ(TreeView_GetImageList(tree->Handle(), TVSIL_NORMAL), SystemImageList(0));
    EXPECT_EQ(tree->Images(), SystemImageList(0));
}
