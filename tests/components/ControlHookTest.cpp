#include <windows.h>

#include <gtest/gtest.h>

#include "components/ControlHook.h"
#include "support/Sandbox.h"
#include "ui/Forms.h"

namespace {

// Counts the text length queries passing through the hook; the window itself answers them.
class CountingHook : public TControlHook {
public:
    using TControlHook::TControlHook;
    int seen = 0;

protected:
    void HookWndProc(ui::TMessage& message) override {
        seen += message.Msg == WM_GETTEXTLENGTH;
        TControlHook::HookWndProc(message);
    }
};

TEST(ControlHook, FormTargetWithoutAFormRaises) {
    CountingHook hook(nullptr);
    try {
        hook.SetTarget(THookTarget::htForm);
        ADD_FAILURE() << "no error";
    } catch (const EControlHook& e) {
        EXPECT_EQ("フック先を特定できません。", e.Message());
    }
    EXPECT_EQ(nullptr, hook.HookedWindow());
}

TEST(ControlHook, TwoHooksOnOneWindowGoInEitherOrder) {
    const int baseline = TControlHook::HookProceduresInUse();
    ui::TForm form(nullptr);
    auto* panel = new ui::TWinControl(&form);
    panel->SetParent(&form);
    for (bool firstGoesFirst : {true, false}) {
        const HWND wnd = panel->Handle();
        const LONG_PTR original = GetWindowLongPtrA(wnd, GWLP_WNDPROC);
        SetWindowTextA(wnd, "abc");
        auto* first = new CountingHook(&form);
        auto* last = new CountingHook(&form);
        first->SetControl(panel);
        last->SetControl(panel);
        EXPECT_EQ(3, GetWindowTextLengthA(wnd));
        CountingHook* kept = firstGoesFirst ? last : first;
        delete (firstGoesFirst ? first : last);
        EXPECT_EQ(3, GetWindowTextLengthA(wnd));
        EXPECT_EQ(2, kept->seen);
        delete kept;
        EXPECT_EQ(3, GetWindowTextLengthA(wnd));
        // Removed in reverse order the window gets its own procedure back exactly; otherwise a
        // forwarding procedure stays in its chain until the window goes.
        EXPECT_TRUE(firstGoesFirst || GetWindowLongPtrA(wnd, GWLP_WNDPROC) == original);
        panel->RecreateWnd();
        testing_support::PumpMessages();
        EXPECT_EQ(baseline, TControlHook::HookProceduresInUse()) << firstGoesFirst;
    }
}

}  // namespace
