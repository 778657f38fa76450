#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "components/ControlHook.h"
#include "support/Sandbox.h"
#include "ui/Forms.h"

using namespace testing_support;

namespace {

constexpr UINT WM_ANSWER = WM_APP + 7;  // the control answers 42 to it
constexpr UINT WM_SWALLOW = WM_APP + 8;  // a hook that records it answers 7 and keeps it

class HookedPanel : public ui::TWinControl {
public:
    using ui::TWinControl::TWinControl;
    int destroysSeen = 0;
    void WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        if (msg == WM_DESTROY) ++destroysSeen;
        if (msg == WM_ANSWER) {
            result = 42;
            return;
        }
        ui::TWinControl::WndProc(msg, wp, lp, result);
    }
};

// Records what passes through the hook; optionally runs something on WM_SWALLOW.
class RecordingHook : public TControlHook {
public:
    using TControlHook::TControlHook;
    std::vector<UINT> seen;
    std::function<void()> onSwallow;
    int count(UINT msg) const { return static_cast<int>(std::count(seen.begin(), seen.end(), msg)); }

protected:
    void HookWndProc(ui::TMessage& message) override {
        seen.push_back(message.Msg);
        if (message.Msg == WM_SWALLOW) {
            message.Result = 7;
            if (onSwallow) {
                auto run = onSwallow;  // it may free this object
                run();
            }
            return;
        }
        TControlHook::HookWndProc(message);
    }
};

WNDPROC ProcOf(HWND wnd) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd, GWLP_WNDPROC)); }

class ControlHookTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::Application().SetTitle("Vemlora");
        baseline = TControlHook::HookProceduresInUse();
        form = new ui::TForm(nullptr);
        form->SetBounds(0, 0, 320, 240);
        panel = new HookedPanel(form);
        panel->SetParent(form);
        panel->SetBounds(10, 10, 120, 90);
        form->Handle();
    }
    void TearDown() override {
        delete form;
        PumpMessages();
        EXPECT_EQ(baseline, TControlHook::HookProceduresInUse());
    }

    int baseline = 0;
    ui::TForm* form = nullptr;
    HookedPanel* panel = nullptr;
};

TEST_F(ControlHookTest, MessagesPassThroughToTheControl) {
    WNDPROC original = ProcOf(panel->Handle());
    auto* hook = new RecordingHook(form);
    hook->SetControl(panel);
    EXPECT_EQ(panel->Handle(), hook->HookedWindow());
    EXPECT_NE(original, ProcOf(panel->Handle()));
    EXPECT_EQ(42, SendMessageA(panel->Handle(), WM_ANSWER, 0, 0));
    EXPECT_EQ(1, hook->count(WM_ANSWER));
    EXPECT_EQ(7, SendMessageA(panel->Handle(), WM_SWALLOW, 0, 0));
    hook->Unhook();
    EXPECT_EQ(nullptr, hook->HookedWindow());
    EXPECT_EQ(original, ProcOf(panel->Handle()));
    EXPECT_EQ(0, SendMessageA(panel->Handle(), WM_SWALLOW, 0, 0));
    EXPECT_EQ(1, hook->count(WM_SWALLOW));
}

TEST_F(ControlHookTest, DestroyIsPassedOnAndTheNoteRehooks) {
    auto* hook = new RecordingHook(form);
    hook->SetControl(panel);
    HWND old = panel->Handle();
    panel->RecreateWnd();
    EXPECT_EQ(1, hook->count(WM_DESTROY));
    EXPECT_EQ(1, panel->destroysSeen);  // the control's own procedure still got it
    EXPECT_EQ(nullptr, hook->HookedWindow());
    // The note sits in the queue of the utility window, a message-only window.
    MSG note;
    ASSERT_TRUE(PeekMessageA(&note, hook->UtilityWindow(), TControlHook::WM_HOOKCHANGED,
                             TControlHook::WM_HOOKCHANGED, PM_NOREMOVE));
    EXPECT_EQ(hook->UtilityWindow(), FindWindowExA(HWND_MESSAGE, nullptr, "TVemloraHookUtility", nullptr));
    PumpMessages();
    EXPECT_NE(old, panel->Handle());
    EXPECT_EQ(panel->Handle(), hook->HookedWindow());
    EXPECT_EQ(42, SendMessageA(panel->Handle(), WM_ANSWER, 0, 0));
    EXPECT_EQ(1, hook->count(WM_ANSWER));
}

TEST_F(ControlHookTest, FormTargetIsFoundThroughTheOwners) {
    struct Case {
        const char* name;
        bool withControl;
    } cases[] = {{"from the control", true}, {"from the hook itself", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* hook = new RecordingHook(c.withControl ? nullptr : form);
        if (c.withControl) hook->SetControl(panel);
        EXPECT_EQ(c.withControl ? panel->Handle() : nullptr, hook->HookedWindow());
        hook->SetTarget(THookTarget::htForm);
        EXPECT_EQ(form, hook->GetTargetControl());
        EXPECT_EQ(form->Handle(), hook->HookedWindow());
        hook->SetTarget(THookTarget::htControl);
        EXPECT_EQ(c.withControl ? panel->Handle() : nullptr, hook->HookedWindow());
        delete hook;
    }
}

TEST_F(ControlHookTest, FormTargetWithoutFormRaises) {
    RecordingHook hook(nullptr);
    try {
        hook.SetTarget(THookTarget::htForm);
        FAIL() << "no error";
    } catch (const EControlHook& e) {
        EXPECT_EQ("フック先を特定できません。", e.Message());
    }
    EXPECT_EQ(nullptr, hook.HookedWindow());
}

TEST_F(ControlHookTest, FailedRehookIsReportedAndSwallowed) {
    // Not owned by the form: once Control is gone no form is left to find.
    RecordingHook hook(nullptr);
    hook.SetControl(panel);
    hook.SetTarget(THookTarget::htForm);
    ASSERT_EQ(form->Handle(), hook.HookedWindow());
    MessageBoxCapture boxes;
    form->RecreateWnd();
    delete panel;  // the hook hears of it although it does not share the owner
    panel = nullptr;
    EXPECT_EQ(nullptr, hook.Control());
    PumpMessages();
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ("フック先を特定できません。", boxes.Boxes()[0].text);
    EXPECT_EQ("Vemlora", boxes.Boxes()[0].caption);
    EXPECT_EQ(nullptr, hook.HookedWindow());
}

TEST_F(ControlHookTest, TwoHooksOnOneWindowInEitherOrder) {
    for (bool firstGoesFirst : {true, false}) {
        SCOPED_TRACE(firstGoesFirst ? "first removed first" : "last removed first");
        HWND wnd = panel->Handle();
        WNDPROC original = ProcOf(wnd);
        auto* a = new RecordingHook(form);
        auto* b = new RecordingHook(form);
        a->SetControl(panel);
        b->SetControl(panel);
        EXPECT_EQ(42, SendMessageA(wnd, WM_ANSWER, 0, 0));
        EXPECT_EQ(1, a->count(WM_ANSWER));
        EXPECT_EQ(1, b->count(WM_ANSWER));
        RecordingHook* gone = firstGoesFirst ? a : b;
        RecordingHook* kept = firstGoesFirst ? b : a;
        delete gone;
        EXPECT_EQ(42, SendMessageA(wnd, WM_ANSWER, 0, 0));
        EXPECT_EQ(2, kept->count(WM_ANSWER));
        delete kept;
        EXPECT_EQ(42, SendMessageA(wnd, WM_ANSWER, 0, 0));
        // Removed in reverse order the window gets its own procedure back exactly; otherwise a
        // forwarding procedure stays in its chain until the window goes.
        if (!firstGoesFirst) {
            EXPECT_EQ(original, ProcOf(wnd));
        }
        panel->RecreateWnd();
        PumpMessages();
        EXPECT_EQ(baseline, TControlHook::HookProceduresInUse());
    }
}

TEST_F(ControlHookTest, HookFreedInsideItsOwnMessage) {
    auto* hook = new RecordingHook(form);
    hook->SetControl(panel);
    WNDPROC hooked = ProcOf(panel->Handle());
    hook->onSwallow = [hook] { delete hook; };
    EXPECT_EQ(7, SendMessageA(panel->Handle(), WM_SWALLOW, 0, 0));
    EXPECT_NE(hooked, ProcOf(panel->Handle()));
    EXPECT_EQ(42, SendMessageA(panel->Handle(), WM_ANSWER, 0, 0));
}

TEST_F(ControlHookTest, UtilityWindowLivesWithTheObject) {
    auto* hook = new RecordingHook(form);
    HWND util = hook->UtilityWindow();
    EXPECT_TRUE(IsWindow(util));
    hook->SetControl(panel);
    panel->RecreateWnd();  // leaves a note for a window about to go
    delete hook;
    EXPECT_FALSE(IsWindow(util));
    PumpMessages();
    EXPECT_EQ(42, SendMessageA(panel->Handle(), WM_ANSWER, 0, 0));
}

TEST_F(ControlHookTest, SettersActOnlyOnChange) {
    auto* hook = new RecordingHook(form);
    hook->SetControl(panel);
    WNDPROC hooked = ProcOf(panel->Handle());
    hook->SetControl(panel);
    hook->SetTarget(THookTarget::htControl);
    EXPECT_EQ(hooked, ProcOf(panel->Handle()));
    hook->Hook();  // already on this window: no second layer
    EXPECT_EQ(hooked, ProcOf(panel->Handle()));
    hook->SetControl(nullptr);
    EXPECT_EQ(nullptr, hook->HookedWindow());
    EXPECT_NE(hooked, ProcOf(panel->Handle()));
}

}  // namespace
