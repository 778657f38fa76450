// The tree view's nested redraw locks, which the shell tree's fills take inside one another.
#include "ui/TreeView.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/Interaction.h"

using namespace ui;

TEST(TreeView, NestedRedrawLocksSwitchDrawingOffOnceAndOnAtTheOutermostEnd) {
    testing_support::ShownControl<TTreeView> t;
    testing_support::RedrawLog log(t.Wnd());
    TTreeNodes& items = t->Items();
    items.BeginUpdate();
    items.BeginUpdate();
    for (char c = 'a'; c <= 'e'; ++c) items.AddChild(nullptr, std::string(1, c));
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
