#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "components/DropDst.h"
#include "support/Sandbox.h"
#include "ui/Forms.h"

using namespace testing_support;

namespace {

class DropDstTest : public ::testing::Test {
protected:
    void SetUp() override {
        panel->SetParent(form);
        dst->SetControl(panel);
        dst->OnFileDrop = [this](ui::TObject* sender, const std::vector<ui::String>& files, int x, int y) {
            drops.push_back(files);
            drops.back().push_back(std::to_string(x) + "," + std::to_string(y) + (sender == dst ? "" : "?"));
        };
    }
    void TearDown() override {
        delete form;
        PumpMessages();
        EXPECT_EQ(baseline, TControlHook::HookProceduresInUse());
    }
    // Posts a drop to the panel's window as the platform does; true when it was released.
    bool Drop(const std::vector<std::string>& paths) {
        HGLOBAL drop = MakeDrop(paths, POINT{17, 23});
        PostMessageA(panel->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
        PumpMessages();
        const bool released = GlobalSize(drop) == 0;
        if (!released) GlobalFree(drop);
        return released;
    }

    int baseline = TControlHook::HookProceduresInUse();
    ui::TForm* form = new ui::TForm(nullptr);
    ui::TWinControl* panel = new ui::TWinControl(form);
    TDropDst* dst = new TDropDst(form);
    std::vector<std::vector<std::string>> drops;  // the files of each drop, then its point
};

TEST_F(DropDstTest, EachDropIsOneEventWithEveryPathWholeInOrderAndAHandlersErrorIsShown) {
    const std::string longPath = "C:\\" + std::string(150, 'a') + "\\" + std::string(150, 'b') + "\\表.ico";
    const std::vector<std::string> threeFiles = {"C:\\icons\\one.ico", "C:\\表示\\ソフト.dll", "D:\\a b\\3.exe"};
    EXPECT_TRUE(Drop(threeFiles));
    EXPECT_TRUE(Drop({longPath, "C:\\short.ico"}));  // longer than MAX_PATH
    const std::vector<std::vector<std::string>> expected = {
        {threeFiles[0], threeFiles[1], threeFiles[2], "17,23"}, {longPath, "C:\\short.ico", "17,23"}};
    EXPECT_EQ(drops, expected);
    // The drop is released and the hook kept all the same.
    dst->OnFileDrop = [](ui::TObject*, const std::vector<ui::String>&, int, int) { throw std::runtime_error("bad"); };
    MessageBoxCapture boxes;
    EXPECT_TRUE(Drop({"C:\\a.ico"}));
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ("bad", boxes.Boxes()[0].text);
    EXPECT_EQ(panel->Handle(), dst->HookedWindow());
}

TEST_F(DropDstTest, TwoMoreHooksOnTheWindowGoInEitherOrder) {
    for (bool olderGoesFirst : {true, false}) {
        const LONG_PTR before = GetWindowLongPtrA(panel->Handle(), GWLP_WNDPROC);
        std::string seen;
        auto* older = new TDropDst(form);
        auto* newer = new TDropDst(form);
        older->SetControl(panel);
        newer->SetControl(panel);
        older->OnFileDrop = [&](ui::TObject*, const std::vector<ui::String>&, int, int) { seen += "older "; };
        newer->OnFileDrop = [&](ui::TObject*, const std::vector<ui::String>&, int, int) { seen += "newer "; };
        EXPECT_TRUE(Drop({"C:\\a.ico"}));
        delete (olderGoesFirst ? older : newer);
        EXPECT_TRUE(Drop({"C:\\b.ico"}));
        delete (olderGoesFirst ? newer : older);
        EXPECT_TRUE(Drop({"C:\\c.ico"}));
        EXPECT_EQ(seen, olderGoesFirst ? "newer newer " : "newer older ");
        // Removed in reverse order the window gets its earlier procedure back exactly; otherwise a
        // forwarding procedure stays in its chain until the window goes.
        EXPECT_EQ(GetWindowLongPtrA(panel->Handle(), GWLP_WNDPROC) == before, !olderGoesFirst);
    }
    EXPECT_EQ(2u, drops.size());  // each time the last drop reached the first hook
}

TEST_F(DropDstTest, TheHookFollowsItsControlsWindowAndWithoutControlOrFormNothingIsHooked) {
    for (bool accept : {false, true, false, true}) {
        dst->SetAcceptDrop(accept);
        EXPECT_EQ(accept, (GetWindowLongPtrA(panel->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0);
        panel->RecreateWnd();
        PumpMessages();  // the re-hook waits for the message loop
        EXPECT_EQ(panel->Handle(), dst->HookedWindow());
        EXPECT_EQ(accept, (GetWindowLongPtrA(panel->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0);
    }
    EXPECT_TRUE(Drop({"C:\\again.ico"}));
    EXPECT_EQ(1u, drops.size());
    // Without a control or a form nothing is hooked or reported.
    TDropDst orphan(nullptr);
    EXPECT_THROW(orphan.SetTarget(THookTarget::htForm), EControlHook);
    EXPECT_EQ(nullptr, orphan.HookedWindow());
    MessageBoxCapture boxes;
    auto* idle = new TDropDst(form);
    form->BeginLoading();
    form->EndLoading();
    EXPECT_EQ(nullptr, idle->HookedWindow());
    delete panel;  // the control going away clears it
    EXPECT_EQ(nullptr, dst->Control());
    PumpMessages();  // the note of the destroyed window finds no target
    EXPECT_EQ(nullptr, dst->HookedWindow());
    EXPECT_TRUE(boxes.Boxes().empty());
}

}  // namespace
