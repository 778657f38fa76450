// The tree view's own parts that the shell tree does not show: nested redraw locks, sorting
// with a comparison that may raise, and a key handler that runs before the native keys.
#include "ui/TreeView.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/Interaction.h"

using namespace ui;
using testing_support::RedrawLog;
using testing_support::ShownControl;

namespace {

// Top-level nodes "a".."e", each with two children.
void FillFive(TTreeView* tree) {
    for (char c = 'a'; c <= 'e'; ++c) {
        TTreeNode* n = tree->Items().AddChild(nullptr, std::string(1, c));
        for (int i = 1; i <= 2; ++i) tree->Items().AddChild(n, std::string(1, c) + std::to_string(i));
    }
}

std::vector<std::string> Texts(TTreeView* tree, TTreeNode* parent) {
    std::vector<std::string> texts;
    for (TTreeNode* n = parent ? parent->GetFirstChild() : tree->Items().GetFirstNode(); n; n = n->GetNextSibling())
        texts.push_back(n->Text());
    return texts;
}

}  // namespace

TEST(TreeView, NestedRedrawLocksSwitchDrawingOffOnceAndOnAtTheOutermostEnd) {
    ShownControl<TTreeView> t;
    RedrawLog log(t.Wnd());
    TTreeNodes& items = t->Items();
    items.BeginUpdate();
    items.BeginUpdate();
    FillFive(t.control);
    items.EndUpdate();
    EXPECT_EQ(log.Switches(), (std::vector<WPARAM>{FALSE})) << "still locked after the inner end";
    items.EndUpdate();
    items.EndUpdate();  // one end too many changes nothing
    EXPECT_EQ(log.Switches(), (std::vector<WPARAM>{FALSE, TRUE}));
    log.Clear();
    try {
        TTreeUpdateLock outer(items);
        TTreeUpdateLock inner(items);
        throw std::runtime_error("fill failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(log.Switches(), (std::vector<WPARAM>{FALSE, TRUE})) << "the lock ends when an error leaves its scope";
}

TEST(TreeView, CustomSortOrdersChildrenOrTheTopLevelAndARaisingComparisonComesOutAfterIt) {
    ShownControl<TTreeView> t;
    const std::vector<std::string> texts = {"ccc", "a", "bbbb", "dd", "e"};
    TTreeNode* parent = t->Items().AddChild(nullptr, "parent");
    for (const auto& s : texts) t->Items().AddChild(parent, s);
    // Large answers: a comparison narrowed to 16 bits would call them equal.
    const TTVCompare byLength = [](TTreeNode* a, TTreeNode* b) {
        return (static_cast<int>(a->Text().size()) - static_cast<int>(b->Text().size())) * 0x10000;
    };
    EXPECT_TRUE(t->CustomSort(byLength, parent));
    EXPECT_EQ(Texts(t.control, parent), (std::vector<std::string>{"a", "e", "dd", "ccc", "bbbb"}));
    t->Items().AddChild(nullptr, "0");
    EXPECT_TRUE(t->CustomSort([](TTreeNode* a, TTreeNode* b) { return a->Text().compare(b->Text()); }, nullptr));
    EXPECT_EQ(Texts(t.control, nullptr), (std::vector<std::string>{"0", "parent"}));
    EXPECT_THROW(t->CustomSort([](TTreeNode*, TTreeNode*) -> int { throw std::runtime_error("x"); }, parent),
                 std::runtime_error);
    EXPECT_EQ(parent->Count(), 5);
}

TEST(TreeView, TheKeyHandlerSeesTheOldSelectionAndMayTakeTheKeyAway) {
    ShownControl<TTreeView> t;
    FillFive(t.control);
    t->SetSelected(t->Items().GetFirstNode());
    std::vector<std::string> seen;
    bool swallow = false;
    t->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
        seen.push_back(t->Selected()->Text());
        if (swallow) key = 0;
    };
    const struct {
        bool swallow;
        const char* after;
    } keys[] = {{false, "b"}, {true, "b"}, {false, "c"}};
    for (const auto& k : keys) {
        swallow = k.swallow;
        SendMessageA(t.Wnd(), WM_KEYDOWN, VK_DOWN, 0);
        EXPECT_EQ(t->Selected()->Text(), k.after) << k.swallow;
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "b"}));
}
