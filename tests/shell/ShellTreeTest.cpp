// The shell tree over real folders made for each test: what a fill shows, expansion, the
// shell's order, overlays and dimmed items, refresh after real changes, selection by ID list,
// a window made again, and a folder that cannot be listed.
#include "shell/ShellTree.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "shell/ShellComObject.h"
#include "shell/ShellTesting.h"
#include "support/Sandbox.h"
#include "ui/ComError.h"

using namespace shell;
using shell_testing::ListOf;
using shell_testing::Tree;
using shell_testing::kTabOptions;
using testing_support::PumpMessages;
using testing_support::TempDir;
using ui::TTreeNode;

namespace {

using Names = std::vector<std::string>;

std::string NameOf(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

}  // namespace

TEST(ShellTree, AFillShowsOneTopNodeExpandedOneLevelInTheShellsOrderWithDimmedItemsAndArrows) {
    Tree t;
    ASSERT_NE(t.Top(), nullptr);
    EXPECT_EQ(t.Top()->GetNextSibling(), nullptr) << "one top node";
    EXPECT_EQ(t.Top()->Text(), NameOf(t.dir.Path()));
    EXPECT_TRUE(t.Top()->Expanded());
    const Names order = {"a-folder", "b-folder", "empty", ".dot", "h.txt", "m", "y.txt", "z.txt"};
    EXPECT_EQ(Tree::Texts(t.Top()), order);
    ASSERT_NE(t.tree->SelectedData(), nullptr);
    EXPECT_EQ(t.tree->SelectedData()->PathName(), t.dir.Path());
    EXPECT_EQ(t.fills, 1);
    // One level only; hidden items dimmed, buttons on folders.
    const Names dimmed = {".dot", "h.txt"}, folders = {"a-folder", "b-folder", "empty"};
    for (TTreeNode* n = t.Top()->GetFirstChild(); n; n = n->GetNextSibling()) {
        EXPECT_FALSE(n->Expanded()) << n->Text();
        EXPECT_EQ(n->Cut(), std::count(dimmed.begin(), dimmed.end(), n->Text()) == 1) << n->Text();
        EXPECT_EQ(n->HasChildren(), std::count(folders.begin(), folders.end(), n->Text()) == 1) << n->Text();
    }
    EXPECT_EQ(t.tree->NodeData(t.Node("m"))->PathName(), t.dir / "m.lnk");

    // Wine gives a shortcut the plain document image: the arrow drawn over it is all that differs.
    UpdateWindow(t.tree->Handle());
    TTreeNode *link = t.Node("m"), *plain = t.Node("y.txt"), *other = t.Node("z.txt");
    ASSERT_EQ(link->ImageIndex(), plain->ImageIndex()) << "the same image below the arrow";
    ui::WindowDC dc(t.tree->Handle());
    auto differing = [&](TTreeNode* a, TTreeNode* b) {
        const RECT ra = a->ImageRect(), rb = b->ImageRect();
        int n = 0;
        for (int y = 0; y < ra.bottom - ra.top; ++y)
            for (int x = 0; x < 16; ++x)
                n += GetPixel(dc.get(), ra.left + x, ra.top + y) != GetPixel(dc.get(), rb.left + x, rb.top + y);
        return n;
    };
    EXPECT_EQ(differing(plain, other), 0) << "the measure itself";
    EXPECT_GT(differing(link, plain), 10) << "the arrow";
}

TEST(ShellTree, ExpandingFillsOnceAndAnEmptyFolderLosesItsButton) {
    Tree t;
    Names inserted;
    t.tree->OnInsertItem = [&](ui::TObject*, TTreeNode* n) { inserted.push_back(n->Text()); };
    const struct {
        Names path, children;
        bool button;
    } cases[] = {
        {{"a-folder"}, {"inner"}, true},
        {{"a-folder", "inner"}, {"deep.txt", std::string(180, 'L') + ".txt"}, true},
        {{"empty"}, {}, false},
    };
    for (const auto& c : cases) {
        TTreeNode* node = t.Top();
        for (const std::string& name : c.path) node = Tree::Child(node, name);
        ASSERT_NE(node, nullptr) << c.path.back();
        inserted.clear();
        node->Expand(false);
        node->Collapse(false);
        node->Expand(false);
        EXPECT_EQ(Tree::Texts(node), c.children) << c.path.back();
        EXPECT_EQ(inserted, c.children) << "filled once: " << c.path.back();
        EXPECT_EQ(node->HasChildren(), c.button) << c.path.back();
    }
    // A refresh keeps an emptied folder without a button until it holds a folder.
    t.tree->RefreshTree();
    EXPECT_FALSE(t.Node("empty")->HasChildren());
    t.dir.MakeDir("empty\\new");
    t.tree->RefreshTree();
    EXPECT_TRUE(t.Node("empty")->HasChildren());
}

TEST(ShellTree, ChangesAreRefreshedOnceAfterTheyStopAndSeenInEveryShownFolder) {
    Tree t{TPTShellTreeOptions(kTabOptions)};
    t.Node("a-folder")->Expand(false);
    t.Node("b-folder")->Expand(false);
    t.tree->SetFocus();
    // Notices coming together make one refresh, after them.
    t.fills = 0;
    for (int i = 0; i < 3; ++i) SendMessageA(t.tree->Handle(), WM_CHANGENOTIFY, 0, 0);
    EXPECT_EQ(t.fills, 0) << "none at once";
    EXPECT_TRUE(Tree::PumpUntil([&] { return t.fills > 0; }, 3000));
    EXPECT_EQ(t.fills, 1);

    // Changes on disk, told by the tree's own watches.
    const struct {
        const char* name;
        std::function<void()> change;
        std::function<bool()> seen;
    } cases[] = {
        {"files copied into an expanded folder, listed as a fill lists them",
         [&] {
             for (const std::string name : {"h.txt", "m.lnk", "z.txt"})
                 CopyFileA((t.dir / name).c_str(), (t.dir / ("a-folder\\" + name)).c_str(), TRUE);
         },
         [&] { return Tree::Texts(t.Node("a-folder")) == Names{"inner", "h.txt", "m", "z.txt"}; }},
        {"a deleted shortcut", [&] { DeleteFileA((t.dir / "m.lnk").c_str()); },
         [&] { return !t.Node("m"); }},
        {"a new folder", [&] { t.dir.MakeDir("new-folder"); },
         [&] { return t.Node("new-folder") != nullptr; }},
        {"the last folder gone below an expanded one", [&] { RemoveDirectoryA((t.dir / "b-folder\\sub").c_str()); },
         [&] { return Tree::Texts(t.Node("b-folder")).empty(); }},
    };
    for (const auto& c : cases) {
        c.change();
        EXPECT_TRUE(Tree::PumpUntil(c.seen, 6000)) << c.name;
    }
    // A base folder shown without children is watched all the same; a refresh lists no more
    // than a fill: no hidden item without its option.
    Tree bare(TPTShellTreeOptions(kTabOptions).Without(ptstoShowHidden), [](const TempDir& dir) {
        SetFileAttributesA(dir.WriteFile("h.txt", "x").c_str(), FILE_ATTRIBUTE_HIDDEN);
    });
    ASSERT_EQ(bare.Top()->GetFirstChild(), nullptr);
    bare.dir.MakeDir("new");
    EXPECT_TRUE(Tree::PumpUntil([&] { return Tree::Child(bare.Top(), "new") != nullptr; }, 6000));
    EXPECT_EQ(Tree::Texts(bare.Top()), Names{"new"});
}

TEST(ShellTree, SelectIdListExpandsTheWayToADeepItem) {
    Tree t;
    const struct {
        const char* name;
        std::string path;
    } cases[] = {
        {"a deep file", t.dir / "a-folder\\inner\\deep.txt"},
        {"a long name", t.dir / ("a-folder\\inner\\" + std::string(180, 'L') + ".txt")},
        {"the base folder", t.dir.Path()},
    };
    for (const auto& c : cases) {
        t.tree->SetSelected(t.Top());
        t.tree->SelectIdList(ListOf(c.path).get());
        ASSERT_NE(t.tree->SelectedData(), nullptr) << c.name;
        EXPECT_EQ(t.tree->SelectedData()->PathName(), c.path) << c.name;
        for (TTreeNode* n = t.tree->Selected()->Parent(); n; n = n->Parent()) EXPECT_TRUE(n->Expanded()) << c.name;
    }
    // A path outside the base folder, deeper than it: a beep, nothing selected or added.
    TempDir other;
    const Names shown = Tree::Texts(t.Top());
    t.tree->SetSelected(t.Top());
    t.tree->SelectIdList(ListOf(other.MakeDir("x\\y\\z")).get());
    EXPECT_EQ(t.tree->Selected(), t.Top());
    EXPECT_EQ(Tree::Texts(t.Top()), shown);
    // The selection is the current folder; a window made again fills again and selects it.
    const IdList deep = ListOf(t.dir / "a-folder\\inner\\deep.txt");
    t.tree->SelectIdList(deep.get());
    EXPECT_EQ(CompareAbsIdLists(t.tree->CurrentFolder().GetIdList(), deep.get()), 0);
    t.tree->RecreateWnd();
    PumpMessages();
    ASSERT_NE(t.tree->SelectedData(), nullptr);
    EXPECT_EQ(t.tree->SelectedData()->PathName(), t.dir / "a-folder\\inner\\deep.txt");
}

namespace {
// A real folder's listing refused, as a drive without a disk refuses it; or, with `listing`,
// listed but no item's attributes answered.
struct RefusingFolder : TComObject<IShellFolder> {
    RefusingFolder(IShellFolder* real, bool listing) : real(real), listing(listing) {}
    IShellFolder* real;
    bool listing;
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND w, SHCONTF f, IEnumIDList** out) override {
        if (listing) return real->EnumObjects(w, f, out);
        *out = nullptr;
        return HRESULT_FROM_WIN32(ERROR_NOT_READY);
    }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, LPCITEMIDLIST*, SFGAOF*) override { return E_ACCESSDENIED; }
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, LPBC, LPOLESTR, ULONG*, LPITEMIDLIST*, ULONG*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE BindToObject(LPCITEMIDLIST, LPBC, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToStorage(LPCITEMIDLIST, LPBC, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, LPCITEMIDLIST, LPCITEMIDLIST) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, LPCITEMIDLIST*, REFIID, UINT*, void**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(LPCITEMIDLIST, SHGDNF, STRRET*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND, LPCITEMIDLIST, LPCOLESTR, SHGDNF, LPITEMIDLIST*) override {
        return E_NOTIMPL;
    }
};
}  // namespace

TEST(ShellTree, AFolderThatCannotBeListedKeepsItsButtonAndTheTreeGoesOn) {
    Tree t;
    TTreeNode* node = t.Node("a-folder");
    ASSERT_NE(node, nullptr);
    node->SetHasChildren(false);
    ui::ComPtr<IShellFolder> refusing =
        MakeComObject<RefusingFolder, IShellFolder>(t.tree->NodeData(node)->Folder(), false);
    t.tree->FillNode(refusing.get(), node);
    EXPECT_EQ(node->GetFirstChild(), nullptr);
    EXPECT_TRUE(node->HasChildren()) << "kept to be tried again";
    node->Expand(false);
    EXPECT_EQ(Tree::Texts(node), Names{"inner"}) << "listed at the next try";

    // Attributes refused: the system's error, the fill's end still told, the tree goes on.
    TTreeNode* inner = Tree::Child(node, "inner");
    ASSERT_NE(inner, nullptr);
    refusing = MakeComObject<RefusingFolder, IShellFolder>(t.tree->NodeData(inner)->Folder(), true);
    int completes = 0;
    t.tree->OnFillComplete = [&](ui::TObject*) { ++completes; };
    EXPECT_THROW(t.tree->FillNode(refusing.get(), inner), ui::EOleSysError);
    EXPECT_EQ(completes, 1);
    EXPECT_EQ(inner->GetFirstChild(), nullptr);
    const int before = t.tree->Items().Count();
    t.tree->RefreshTree();
    EXPECT_EQ(t.tree->Items().Count(), before);
    inner->Expand(false);
    EXPECT_EQ(Tree::Texts(inner).size(), 2u);
    t.tree->OnFillComplete = nullptr;
}
