// The tree view over a real native tree: what nodes carry reaches the native items, events come
// from the native notifications, the mouse handlers see the native selection.
#include "ui/TreeView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/Sandbox.h"
#include "ui/Forms.h"

using namespace ui;
using testing_support::PumpMessages;

namespace {

// A tree on a shown form.
struct Tree {
    Tree() : form(nullptr) {
        form.SetBounds(0, 0, 300, 260);
        tree = new TTreeView(&form);
        tree->SetBounds(5, 5, 280, 220);
        tree->SetParent(&form);
        form.Show();
    }
    HWND Wnd() { return tree->Handle(); }
    TVITEMA Native(TTreeNode* node, char* text = nullptr, int size = 0) {
        TVITEMA item = {};
        item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE | TVIF_CHILDREN | TVIF_PARAM;
        item.hItem = node->ItemId();
        item.stateMask = 0xFFFF;
        item.pszText = text;
        item.cchTextMax = size;
        EXPECT_TRUE(SendMessageA(Wnd(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        return item;
    }
    // Top-level nodes "a".."e", each with two children "a1", "a2"...
    void FillFive() {
        for (char c = 'a'; c <= 'e'; ++c) {
            TTreeNode* n = tree->Items().AddChild(nullptr, std::string(1, c));
            for (int i = 1; i <= 2; ++i) tree->Items().AddChild(n, std::string(1, c) + std::to_string(i));
        }
    }
    TTreeNode* Top(int index) {
        TTreeNode* n = tree->Items().GetFirstNode();
        for (int i = 0; i < index && n; ++i) n = n->GetNextSibling();
        return n;
    }
    std::vector<std::string> Texts(TTreeNode* parent) {
        std::vector<std::string> texts;
        for (TTreeNode* n = parent ? parent->GetFirstChild() : tree->Items().GetFirstNode(); n; n = n->GetNextSibling())
            texts.push_back(n->Text());
        return texts;
    }
    TForm form;
    TTreeView* tree;
};

POINT LabelCentre(TTreeNode* node) {
    RECT r = node->DisplayRect(true);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

}  // namespace

TEST(TreeView, WhatNodesCarryReachesTheNativeItems) {
    std::vector<std::string> deleted;
    Tree t;
    int data = 0;
    const struct {
        const char* text;
        int image, selected, overlay;
        bool cut, hasChildren;
    } cases[] = {
        {"プログラム", 3, 4, -1, false, true},
        {"hidden.txt", 0, 0, 1, true, false},
        {"共有", 7, 7, 0, false, false},
        {"a name longer than anything a fixed buffer of the old controls would hold: "
         "0123456789012345678901234567890123456789012345678901234567890123456789",
         1, 2, 3, true, true},
    };
    TTreeNode* parent = t.tree->Items().AddChild(nullptr, "top");
    for (const auto& c : cases) {
        TTreeNode* n = t.tree->Items().AddChildObject(parent, "", &data);
        n->SetText(c.text);
        n->SetImageIndex(c.image);
        n->SetSelectedIndex(c.selected);
        n->SetOverlayIndex(c.overlay);
        n->SetCut(c.cut);
        n->SetHasChildren(c.hasChildren);
    }
    EXPECT_TRUE(parent->HasChildren()) << "a parent shows its button";
    EXPECT_EQ(parent->Count(), 4);
    EXPECT_EQ(t.tree->Items().Count(), 5);
    int i = 0;
    for (TTreeNode* n = parent->GetFirstChild(); n; n = n->GetNextSibling(), ++i) {
        const auto& c = cases[i];
        char text[512] = "";
        TVITEMA item = t.Native(n, text, sizeof text);
        EXPECT_STREQ(text, c.text);
        EXPECT_EQ(n->Text(), c.text);
        EXPECT_EQ(item.iImage, c.image) << c.text;
        EXPECT_EQ(item.iSelectedImage, c.selected) << c.text;
        EXPECT_EQ(item.state & TVIS_OVERLAYMASK, static_cast<UINT>(INDEXTOOVERLAYMASK(c.overlay + 1))) << c.text;
        EXPECT_EQ((item.state & TVIS_CUT) != 0, c.cut) << c.text;
        EXPECT_EQ(n->Cut(), c.cut);
        EXPECT_EQ(item.cChildren != 0, c.hasChildren) << c.text;
        EXPECT_EQ(n->HasChildren(), c.hasChildren);
        EXPECT_EQ(reinterpret_cast<TTreeNode*>(item.lParam), n);
        EXPECT_EQ(n->Data(), &data);
        EXPECT_EQ(n->Parent(), parent);
        EXPECT_EQ(n->Level(), 1);
        EXPECT_EQ(t.tree->Items().NodeFromItem(n->ItemId()), n);
    }
    EXPECT_EQ(i, 4);
    EXPECT_EQ(parent->Parent(), nullptr);
    EXPECT_EQ(parent->GetNext(), parent->GetFirstChild());

    // Deleting the children leaves the parent and its button.
    t.tree->OnDeletion = [&](TObject*, TTreeNode* n) { deleted.push_back(n->Text()); };
    parent->DeleteChildren();
    EXPECT_EQ(deleted.size(), 4u);
    EXPECT_EQ(parent->Count(), 0);
    EXPECT_EQ(t.tree->Items().Count(), 1);
    t.tree->Items().Clear();
    EXPECT_EQ(t.tree->Items().Count(), 0);
    EXPECT_EQ(t.tree->Items().GetFirstNode(), nullptr);
    EXPECT_EQ(deleted.back(), "top");
}

TEST(TreeView, PropertiesReachTheWindowStyle) {
    int deletions = 0;
    Tree t;
    const struct {
        const char* name;
        void (TTreeView::*set)(bool);
        DWORD style;
        bool styleWhenSet;
    } cases[] = {
        {"ShowRoot", &TTreeView::SetShowRoot, TVS_LINESATROOT, true},
        {"ShowButtons", &TTreeView::SetShowButtons, TVS_HASBUTTONS, true},
        {"ShowLines", &TTreeView::SetShowLines, TVS_HASLINES, true},
        {"ReadOnly", &TTreeView::SetReadOnly, TVS_EDITLABELS, false},
        {"HideSelection", &TTreeView::SetHideSelection, TVS_SHOWSELALWAYS, false},
    };
    for (const auto& c : cases) {
        for (bool v : {false, true, false}) {
            (t.tree->*c.set)(v);
            const bool has = (GetWindowLongPtrA(t.Wnd(), GWL_STYLE) & c.style) != 0;
            EXPECT_EQ(has, v == c.styleWhenSet) << c.name << " " << v;
        }
    }
    t.tree->SetIndent(20);
    EXPECT_EQ(SendMessageA(t.Wnd(), TVM_GETINDENT, 0, 0), 20);
    EXPECT_EQ(t.tree->Indent(), 20);
    ImageListHandle images(ImageList_Create(16, 16, ILC_COLOR8 | ILC_MASK, 4, 4));
    t.tree->SetImages(images.get());
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(t.Wnd(), TVM_GETIMAGELIST, TVSIL_NORMAL, 0)), images.get());

    // A new window keeps the properties; its nodes go (every one through its deletion step).
    t.FillFive();
    t.tree->OnDeletion = [&](TObject*, TTreeNode*) { ++deletions; };
    HWND before = t.Wnd();
    t.tree->RecreateWnd();
    EXPECT_NE(t.Wnd(), before);
    EXPECT_EQ(deletions, 15);
    EXPECT_EQ(t.tree->Items().Count(), 0);
    EXPECT_EQ(SendMessageA(t.Wnd(), TVM_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageA(t.Wnd(), TVM_GETINDENT, 0, 0), 20);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(t.Wnd(), TVM_GETIMAGELIST, TVSIL_NORMAL, 0)), images.get());
    t.tree->SetImages(nullptr);
}

namespace {
// Records the redraw switches the tree's window gets.
struct RedrawLog {
    static std::vector<WPARAM>* log;
    static HWND wnd;
    static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp) {
        auto* m = reinterpret_cast<CWPSTRUCT*>(lp);
        if (code == HC_ACTION && m->hwnd == wnd && m->message == WM_SETREDRAW) log->push_back(m->wParam);
        return CallNextHookEx(nullptr, code, wp, lp);
    }
};
std::vector<WPARAM>* RedrawLog::log = nullptr;
HWND RedrawLog::wnd = nullptr;
}  // namespace

TEST(TreeView, NestedRedrawLocksSwitchDrawingOffOnceAndOnAtTheOutermostEnd) {
    Tree t;
    std::vector<WPARAM> log;
    RedrawLog::log = &log;
    RedrawLog::wnd = t.Wnd();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, &RedrawLog::Hook, nullptr, GetCurrentThreadId());
    ASSERT_TRUE(hook);
    TTreeNodes& items = t.tree->Items();
    items.BeginUpdate();
    items.BeginUpdate();
    t.FillFive();
    items.EndUpdate();
    EXPECT_EQ(log, (std::vector<WPARAM>{FALSE})) << "still locked after the inner end";
    items.EndUpdate();
    items.EndUpdate();  // one end too many changes nothing
    EXPECT_EQ(log, (std::vector<WPARAM>{FALSE, TRUE}));
    log.clear();
    try {
        TTreeUpdateLock outer(items);
        TTreeUpdateLock inner(items);
        throw std::runtime_error("fill failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(items.UpdateCount(), 0);
    EXPECT_EQ(log, (std::vector<WPARAM>{FALSE, TRUE})) << "the lock ends when an error leaves its scope";
    UnhookWindowsHookEx(hook);
}

TEST(TreeView, CustomSortOrdersTheChildrenOfANodeOrTheTopLevel) {
    Tree t;
    const std::vector<std::string> texts = {"ccc", "a", "bbbb", "dd", "e"};
    const struct {
        const char* name;
        TTVCompare compare;
        std::vector<std::string> expected;
    } cases[] = {
        {"by text", [](TTreeNode* a, TTreeNode* b) { return a->Text().compare(b->Text()); },
         {"a", "bbbb", "ccc", "dd", "e"}},
        {"by length, large answers", [](TTreeNode* a, TTreeNode* b) {
             return (static_cast<int>(a->Text().size()) - static_cast<int>(b->Text().size())) * 0x10000;
         },
         {"a", "e", "dd", "ccc", "bbbb"}},
        {"reversed", [](TTreeNode* a, TTreeNode* b) { return b->Text().compare(a->Text()); },
         {"e", "dd", "ccc", "bbbb", "a"}},
    };
    TTreeNode* parent = t.tree->Items().AddChild(nullptr, "parent");
    for (const auto& s : texts) t.tree->Items().AddChild(parent, s);
    for (const auto& s : texts) t.tree->Items().AddChild(nullptr, s);
    for (const auto& c : cases) {
        EXPECT_TRUE(t.tree->CustomSort(c.compare, parent)) << c.name;
        EXPECT_EQ(t.Texts(parent), c.expected) << c.name;
        EXPECT_TRUE(t.tree->CustomSort(c.compare, nullptr)) << c.name;
        std::vector<std::string> top = t.Texts(nullptr);
        top.erase(std::find(top.begin(), top.end(), "parent"));
        EXPECT_EQ(top, c.expected) << c.name << " (top level)";
    }
    // A comparison that raises: the error comes out after the native sort, the tree goes on.
    EXPECT_THROW(t.tree->CustomSort([](TTreeNode*, TTreeNode*) -> int { throw std::runtime_error("x"); }, parent),
                 std::runtime_error);
    EXPECT_EQ(parent->Count(), 5);
    EXPECT_TRUE(t.tree->CustomSort(cases[0].compare, parent));
    EXPECT_EQ(t.Texts(parent), cases[0].expected);
}

TEST(TreeView, ExpandCollapseChangeAndDeletionEventsComeFromTheNativeNotifications) {
    // Before the tree: its handlers run while it goes.
    std::vector<std::string> log;
    bool allowExpand = true, allowChange = true;
    Tree t;
    t.FillFive();
    t.tree->OnExpanding = [&](TObject*, TTreeNode* n, bool& allow) {
        log.push_back("expanding " + n->Text());
        allow = allowExpand;
    };
    t.tree->OnExpanded = [&](TObject*, TTreeNode* n) { log.push_back("expanded " + n->Text()); };
    t.tree->OnCollapsing = [&](TObject*, TTreeNode* n, bool&) { log.push_back("collapsing " + n->Text()); };
    t.tree->OnCollapsed = [&](TObject*, TTreeNode* n) { log.push_back("collapsed " + n->Text()); };
    t.tree->OnChanging = [&](TObject*, TTreeNode* n, bool& allow) {
        log.push_back("changing " + n->Text());
        allow = allowChange;
    };
    t.tree->OnChange = [&](TObject*, TTreeNode* n) { log.push_back("change " + (n ? n->Text() : "-")); };
    t.tree->OnDeletion = [&](TObject*, TTreeNode* n) { log.push_back("deletion " + n->Text()); };
    t.tree->SetSelected(t.Top(0));
    log.clear();
    t.tree->SetFocus();
    const struct {
        const char* name;
        WORD key;
        bool allowExpand, allowChange;
        std::vector<std::string> events;
        const char* selected;
        bool topExpanded;
    } cases[] = {
        {"refused expansion", VK_RIGHT, false, true, {"expanding a"}, "a", false},
        {"expansion", VK_RIGHT, true, true, {"expanding a", "expanded a"}, "a", true},
        {"selection", VK_DOWN, true, true, {"changing a1", "change a1"}, "a1", true},
        {"refused selection", VK_DOWN, true, false, {"changing a2"}, "a1", true},
        {"back to the parent", VK_LEFT, true, true, {"changing a", "change a"}, "a", true},
        {"collapse", VK_LEFT, true, true, {"collapsing a", "collapsed a"}, "a", false},
    };
    for (const auto& c : cases) {
        allowExpand = c.allowExpand;
        allowChange = c.allowChange;
        log.clear();
        SendMessageA(t.Wnd(), WM_KEYDOWN, c.key, 0);
        SendMessageA(t.Wnd(), WM_KEYUP, c.key, 0);
        EXPECT_EQ(log, c.events) << c.name;
        ASSERT_NE(t.tree->Selected(), nullptr) << c.name;
        EXPECT_EQ(t.tree->Selected()->Text(), c.selected) << c.name;
        EXPECT_EQ(t.Top(0)->Expanded(), c.topExpanded) << c.name;
    }
    // From code: the same steps, once each.
    allowExpand = allowChange = true;
    log.clear();
    t.Top(1)->Expand(false);
    t.Top(1)->Expand(false);
    t.Top(1)->Collapse(false);
    EXPECT_EQ(log, (std::vector<std::string>{"expanding b", "expanded b", "collapsing b", "collapsed b"}));
    log.clear();
    t.Top(2)->Delete();
    EXPECT_EQ(log.size(), 3u);
    EXPECT_EQ(log.back().substr(0, 9), "deletion ");
    EXPECT_EQ(std::count(log.begin(), log.end(), "deletion c"), 1);
    EXPECT_EQ(t.tree->Items().Count(), 12);
    EXPECT_EQ(t.Top(2)->Text(), "d");
}

TEST(TreeView, MouseDownSeesTheNativeSelectionAndKeyDownComesBeforeTheNativeKeys) {
    std::vector<std::string> log;
    Tree t;
    t.FillFive();
    t.tree->SetSelected(t.Top(0));
    t.tree->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, int, int) {
        TTreeNode* s = t.tree->Selected();
        log.push_back(std::string(b == TMouseButton::mbLeft ? "left" : "right") + " down, selected " +
                      (s ? s->Text() : "-"));
    };
    t.tree->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { log.push_back("up"); };
    const struct {
        const char* name;
        int node;
        UINT down, up;
        WPARAM keys;
        std::vector<std::string> events;
        const char* selectedAfter;
    } cases[] = {
        {"left click on c", 2, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, {"left down, selected c", "up"}, "c"},
        {"left click on e", 4, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, {"left down, selected e", "up"}, "e"},
        {"right click on b", 1, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, {"right down, selected e", "up"}, "e"},
    };
    for (const auto& c : cases) {
        log.clear();
        const POINT p = LabelCentre(t.Top(c.node));
        PostMessageA(t.Wnd(), c.down, c.keys, MAKELPARAM(p.x, p.y));
        PostMessageA(t.Wnd(), c.up, 0, MAKELPARAM(p.x, p.y));
        PumpMessages();
        EXPECT_EQ(log, c.events) << c.name;
        EXPECT_EQ(t.tree->Selected()->Text(), c.selectedAfter) << c.name;
    }

    // The key handler runs first: it sees the old selection and may take the key away.
    t.tree->SetSelected(t.Top(0));
    bool swallow = false;
    t.tree->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
        log.push_back("key, selected " + t.tree->Selected()->Text());
        if (swallow) key = 0;
    };
    const struct {
        bool swallow;
        const char* seen;
        const char* after;
    } keys[] = {{false, "key, selected a", "b"}, {true, "key, selected b", "b"}, {false, "key, selected b", "c"}};
    for (const auto& k : keys) {
        swallow = k.swallow;
        log.clear();
        SendMessageA(t.Wnd(), WM_KEYDOWN, VK_DOWN, 0);
        EXPECT_EQ(log, (std::vector<std::string>{k.seen}));
        EXPECT_EQ(t.tree->Selected()->Text(), k.after);
    }
}

namespace {
// A tree that gives its images only when a node is drawn, and logs the menu messages.
struct LazyTree : TTreeView {
    explicit LazyTree(TComponent* owner) : TTreeView(owner) { SetLazyImages(true); }
    std::vector<std::string> asked;
    std::vector<UINT> menuMessages;
    int GetImageIndex(TTreeNode* node) override {
        if (node->ImageIndex() >= 0) return node->ImageIndex();
        asked.push_back(node->Text());  // computed once a node
        return 5;
    }
    int GetSelectedIndex(TTreeNode*) override { return 6; }
    bool MenuMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
        menuMessages.push_back(msg);
        result = 1;
        return true;
    }
};
}  // namespace

TEST(TreeView, LazyImagesAreAskedForOnlyWhenANodeIsDrawn) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto* tree = new LazyTree(&form);
    tree->SetBounds(0, 0, 200, 120);
    tree->SetParent(&form);
    form.Show();
    ImageListHandle images(ImageList_Create(16, 16, ILC_COLOR8 | ILC_MASK, 8, 8));
    tree->SetImages(images.get());
    {
        TTreeUpdateLock lock(tree->Items());
        for (int i = 0; i < 300; ++i) tree->Items().AddChild(nullptr, "node " + std::to_string(i));
    }
    EXPECT_TRUE(tree->asked.empty()) << "nothing asked before drawing";
    UpdateWindow(tree->Handle());
    PumpMessages();
    const size_t drawn = tree->asked.size();
    EXPECT_GT(drawn, 0u);
    EXPECT_LT(drawn, 30u) << "only the nodes in view, once each";
    EXPECT_EQ(std::set<std::string>(tree->asked.begin(), tree->asked.end()).size(), drawn);
    EXPECT_EQ(tree->asked.front(), "node 0");
    TTreeNode* first = tree->Items().GetFirstNode();
    EXPECT_EQ(first->ImageIndex(), 5);
    EXPECT_EQ(first->SelectedIndex(), 6);
    first->SetImageIndex(7);  // a stored index is what the tree is told next
    TVITEMA item = {};
    item.mask = TVIF_IMAGE;
    item.hItem = first->ItemId();
    SendMessageA(tree->Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_TRUE(item.iImage == 7 || item.iImage == I_IMAGECALLBACK) << item.iImage;
    EXPECT_EQ(tree->asked.size(), drawn) << "nothing computed again";

    // Menu messages of a menu the tree's window owns reach the tree.
    DRAWITEMSTRUCT draw = {};
    draw.CtlType = ODT_MENU;
    MEASUREITEMSTRUCT measure = {};
    measure.CtlType = ODT_MENU;
    const struct {
        UINT msg;
        LPARAM lp;
    } menus[] = {{WM_INITMENUPOPUP, 0}, {WM_MENUSELECT, 0}, {WM_MENUCHAR, 0},
                 {WM_DRAWITEM, reinterpret_cast<LPARAM>(&draw)}, {WM_MEASUREITEM, reinterpret_cast<LPARAM>(&measure)}};
    for (const auto& m : menus) EXPECT_EQ(SendMessageA(tree->Handle(), m.msg, 0, m.lp), 1) << m.msg;
    EXPECT_EQ(tree->menuMessages,
              (std::vector<UINT>{WM_INITMENUPOPUP, WM_MENUSELECT, WM_MENUCHAR, WM_DRAWITEM, WM_MEASUREITEM}));
}

TEST(TreeView, LabelsAreEditedInPlaceUnlessRefused) {
    bool allow = true;
    Tree t;
    t.FillFive();
    t.tree->OnEditing = [&](TObject*, TTreeNode*, bool& a) { a = allow; };
    t.tree->OnEdited = [&](TObject*, TTreeNode*, String& text) { text += "!"; };
    const struct {
        const char* name;
        bool allow, readOnly, cancel;
        const char* typed;
        bool edits;
        const char* result;
    } cases[] = {
        {"edited", true, false, false, "new", true, "new!"},
        {"cancelled", true, false, true, "other", true, "new!"},
        {"refused by the handler", false, false, false, "x", false, "new!"},
        {"read-only", true, true, false, "x", false, "new!"},
    };
    TTreeNode* node = t.Top(1);
    for (const auto& c : cases) {
        allow = c.allow;
        t.tree->SetReadOnly(c.readOnly);
        node->EditText();
        EXPECT_EQ(t.tree->IsEditing(), c.edits) << c.name;
        if (c.edits) {
            HWND edit = reinterpret_cast<HWND>(SendMessageA(t.Wnd(), TVM_GETEDITCONTROL, 0, 0));
            SetWindowTextA(edit, c.typed);
            t.tree->EndEditing(c.cancel);
        }
        EXPECT_FALSE(t.tree->IsEditing()) << c.name;
        EXPECT_EQ(node->Text(), c.result) << c.name;
    }
}
