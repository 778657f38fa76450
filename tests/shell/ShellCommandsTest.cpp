// The item commands where the tree's own tests cannot reach: verbs are found whole only, never from
// an answer that may have been cut.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/ShellCommands.h"
#include "shell/ShellComObject.h"

using namespace shell;

namespace {

// A context menu with the verbs of the test, one command each; the first two in a submenu.
class VerbMenu : public TComObject<IContextMenu> {
public:
    explicit VerbMenu(std::vector<std::string> verbs) : verbs_(std::move(verbs)) {}
    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT index, UINT first, UINT, UINT) override {
        HMENU sub = CreatePopupMenu();
        for (UINT i = 0; i < verbs_.size(); ++i)
            InsertMenuA(i < 2 ? sub : menu, UINT(-1), MF_BYPOSITION | MF_STRING, first + i, verbs_[i].c_str());
        InsertMenuA(menu, index, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "sub");
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, verbs_.size());
    }
    HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO*) override { return S_OK; }
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
    ui::ComPtr<IContextMenu> menu = MakeComObject<VerbMenu, IContextMenu>(
        std::vector<std::string>{"open", v259, "Copy", longVerb, v260, "delete"});
    ui::MenuHandle popup(CreatePopupMenu());
    ASSERT_TRUE(SUCCEEDED(menu->QueryContextMenu(popup.get(), 0, kFirstMenuCommand, kLastMenuCommand, CMF_EXPLORE)));
    const struct {
        std::string verb;
        int offset;
    } cases[] = {
        {"OPEN", 0}, {"copy", 2}, {"Delete", 5}, {v259, 1},
        {longVerb.substr(0, 259), -1},  // what a cut answer would look like
        {longVerb.substr(0, 260), -1}, {v260, -1}, {"cop", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(FindVerb(menu.get(), popup.get(), c.verb), c.offset) << c.verb.size();
}

}  // namespace
