// A Start menu whose folder setting names no folder: the tab shows an empty tree (not the
// desktop) and says which folder it did not find, once; the other folders still show.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "support/MainWindow.h"

using namespace testing_support;

TEST(StartMenuFolderMissing, TheTabTellsWhichFolderIsMissingAndShowsTheOthers) {
    MainWindow w([] { SetStartMenuFolder("C:\\nowhere\\Start Menu"); });
    w.ShowPage(w->TabSheet5);
    PumpMessages();
    const struct {
        int entry;
        bool found;
    } cases[] = {{1, true}, {0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        w.Boxes().Clear();
        w->ComboBox1->SetItemIndex(c.entry);
        w->ComboBox1Change(w->ComboBox1);
        EXPECT_EQ(w->PTShellTree1->Items().Count() > 0, c.found);
        ASSERT_EQ(w.Boxes().Boxes().size(), c.found ? 0u : 1u);
        if (!c.found) EXPECT_NE(w.Boxes().Boxes()[0].text.find(w->ComboBox1->Items(c.entry)), std::string::npos);
    }
}
