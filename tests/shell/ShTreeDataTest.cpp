// A shell tree's node data: the user interface objects of a top node, the desktop's among them
// (the tree's own tests drive the rest).
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "shell/ShTreeData.h"
#include "shell/ShellTesting.h"

using namespace shell;
using namespace shell_testing;

TEST(ShTreeData, TheDesktopTopNodeGivesItsDropTargetOnly) {
    TPTShTreeData desktop(nullptr), blank(nullptr);
    desktop.Init(nullptr, nullptr, AsList(Terminated("")));
    const struct {
        TPTShTreeData* data;
        REFIID iid;
        bool given;
    } cases[] = {{&desktop, IID_IDropTarget, true}, {&desktop, IID_IContextMenu, false}, {&blank, IID_IDropTarget, false}};
    for (const auto& c : cases) {
        ui::ComPtr<IUnknown> object;
        EXPECT_EQ(SUCCEEDED(c.data->GetUIObject(c.iid, object)) && object, c.given) << (&c - cases);
    }
}
