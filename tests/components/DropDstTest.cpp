#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "components/DropDst.h"
#include "support/Sandbox.h"
#include "ui/Forms.h"

using namespace testing_support;

namespace {

constexpr UINT WM_ANSWER = WM_APP + 7;  // the panel answers 42 to it

// A plain windowed control standing in for the form's drop panels; it counts the drops
// that reach its own window procedure.
class DropPanel : public ui::TWinControl {
public:
    using ui::TWinControl::TWinControl;
    int dropsSeen = 0;
    void WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        if (msg == WM_DROPFILES) ++dropsSeen;
        if (msg == WM_ANSWER) {
            result = 42;
            return;
        }
        ui::TWinControl::WndProc(msg, wp, lp, result);
    }
};

using testing_support::MakeDrop;

// Whether the drop's memory has been given back (DragFinish frees it).
bool Released(HGLOBAL h) { return GlobalSize(h) == 0; }

// Frees a drop the code under test failed to release, so that a failing test leaks nothing.
struct DropGuard {
    HGLOBAL h;
    ~DropGuard() {
        if (!Released(h)) GlobalFree(h);
    }
};

bool AcceptsFiles(HWND wnd) { return (GetWindowLongPtrA(wnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0; }

struct Drop {
    ui::TObject* sender = nullptr;
    std::vector<std::string> files;
    int x = 0, y = 0;
};

class DropDstTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::Application().SetTitle("Vemlora");
        baseline = TControlHook::HookProceduresInUse();
        form = new ui::TForm(nullptr);
        form->SetBounds(0, 0, 320, 240);
        panel = new DropPanel(form);
        panel->SetParent(form);
        panel->SetBounds(10, 10, 120, 90);
        form->Handle();
        dst = new TDropDst(form);
        dst->SetTarget(THookTarget::htControl);
        dst->SetControl(panel);
        dst->OnFileDrop = [this](ui::TObject* sender, const std::vector<ui::String>& files, int x, int y) {
            drops.push_back(Drop{sender, files, x, y});
        };
    }
    void TearDown() override {
        delete form;
        PumpMessages();
        EXPECT_EQ(baseline, TControlHook::HookProceduresInUse());
    }

    // Sends a drop to the panel's window; true when it was released afterwards.
    bool SendDrop(const std::vector<std::string>& paths, POINT pt = {5, 6}) {
        DropGuard drop{MakeDrop(paths, pt)};
        SendMessageA(panel->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop.h), 0);
        return Released(drop.h);
    }

    int baseline = 0;
    ui::TForm* form = nullptr;
    DropPanel* panel = nullptr;
    TDropDst* dst = nullptr;
    std::vector<Drop> drops;
};

TEST_F(DropDstTest, ThreeFilesGiveOneEventInOrderWithThePoint) {
    const std::vector<std::string> files = {"C:\\icons\\one.ico", "C:\\表示\\ソフト.dll", "D:\\with space\\three.exe"};
    for (bool posted : {false, true}) {
        SCOPED_TRACE(posted ? "posted" : "sent");
        drops.clear();
        DropGuard drop{MakeDrop(files, POINT{17, 23})};
        if (posted) {
            PostMessageA(panel->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop.h), 0);
            PumpMessages();
        } else {
            SendMessageA(panel->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop.h), 0);
        }
        ASSERT_EQ(1u, drops.size());
        EXPECT_EQ(dst, drops[0].sender);
        EXPECT_EQ(files, drops[0].files);
        EXPECT_EQ(17, drops[0].x);
        EXPECT_EQ(23, drops[0].y);
        EXPECT_TRUE(Released(drop.h));
    }
    // The drop is the target's: the control's own procedure never sees it.
    EXPECT_EQ(0, panel->dropsSeen);
}

TEST_F(DropDstTest, PathLongerThanMaxPathArrivesWhole) {
    std::string longPath = "C:\\" + std::string(150, 'a') + "\\" + std::string(150, 'b') + "\\表.ico";
    ASSERT_GT(longPath.size(), static_cast<size_t>(MAX_PATH));
    EXPECT_TRUE(SendDrop({longPath, "C:\\short.ico"}));
    ASSERT_EQ(1u, drops.size());
    ASSERT_EQ(2u, drops[0].files.size());
    EXPECT_EQ(longPath, drops[0].files[0]);
    EXPECT_EQ("C:\\short.ico", drops[0].files[1]);
}

TEST_F(DropDstTest, HandlerErrorIsReportedDropReleasedHookKept) {
    struct Case {
        const char* name;
        std::function<void()> raise;
        std::string text;
    } cases[] = {
        {"toolkit error", [] { throw ui::Exception("ファイルを開けません"); }, "ファイルを開けません"},
        {"standard error", [] { throw std::runtime_error("bad file"); }, "bad file"},
        {"anything else", [] { throw 7; }, "Unknown error"},
    };
    HWND hooked = panel->Handle();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dst->OnFileDrop = [&c](ui::TObject*, const std::vector<ui::String>&, int, int) { c.raise(); };
        MessageBoxCapture boxes;
        EXPECT_TRUE(SendDrop({"C:\\a.ico"}));
        ASSERT_EQ(1u, boxes.Boxes().size());
        EXPECT_EQ(c.text, boxes.Boxes()[0].text);
        EXPECT_EQ("Vemlora", boxes.Boxes()[0].caption);
        EXPECT_EQ(hooked, dst->HookedWindow());
    }
    // Still in place: the next drop reaches a working handler.
    dst->OnFileDrop = [this](ui::TObject* s, const std::vector<ui::String>& f, int x, int y) {
        drops.push_back(Drop{s, f, x, y});
    };
    EXPECT_TRUE(SendDrop({"C:\\b.ico"}));
    EXPECT_EQ(1u, drops.size());
    EXPECT_EQ(0, panel->dropsSeen);
}

TEST_F(DropDstTest, WithoutHandlerTheDropIsReleasedAndIgnored) {
    dst->OnFileDrop = nullptr;
    MessageBoxCapture boxes;
    EXPECT_TRUE(SendDrop({"C:\\a.ico", "C:\\b.ico"}));
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(0, panel->dropsSeen);
}

TEST_F(DropDstTest, AcceptDropRegistersAndUnregistersTheWindow) {
    HWND wnd = panel->Handle();
    EXPECT_TRUE(dst->AcceptDrop());
    EXPECT_TRUE(AcceptsFiles(wnd));
    dst->SetAcceptDrop(false);
    EXPECT_FALSE(AcceptsFiles(wnd));
    dst->SetAcceptDrop(true);
    EXPECT_TRUE(AcceptsFiles(wnd));
}

TEST_F(DropDstTest, RecreatedWindowIsHookedAndRegisteredAfterTheNote) {
    for (bool accept : {true, false}) {
        SCOPED_TRACE(accept ? "accepting" : "not accepting");
        dst->SetAcceptDrop(accept);
        drops.clear();
        HWND old = panel->Handle();
        panel->RecreateWnd();
        HWND now = panel->Handle();
        ASSERT_NE(old, now);
        ASSERT_TRUE(IsWindow(now));
        EXPECT_EQ(nullptr, dst->HookedWindow());  // the re-hook waits for the message loop
        PumpMessages();
        EXPECT_EQ(now, dst->HookedWindow());
        EXPECT_EQ(accept, AcceptsFiles(now));
        EXPECT_TRUE(SendDrop({"C:\\again.ico"}, POINT{3, 4}));
        ASSERT_EQ(1u, drops.size());
        EXPECT_EQ(std::vector<std::string>{"C:\\again.ico"}, drops[0].files);
        EXPECT_EQ(0, panel->dropsSeen);
        // Other messages still reach the control.
        EXPECT_EQ(42, SendMessageA(now, WM_ANSWER, 0, 0));
    }
}

TEST_F(DropDstTest, WithoutControlNothingIsHookedAndNothingReported) {
    MessageBoxCapture boxes;
    auto* idle = new TDropDst(form);
    idle->SetTarget(THookTarget::htControl);
    form->BeginLoading();
    form->EndLoading();  // Loaded with no control: still nothing
    EXPECT_EQ(nullptr, idle->HookedWindow());
    EXPECT_EQ(nullptr, idle->Control());
    idle->SetAcceptDrop(false);
    idle->SetAcceptDrop(true);
    PumpMessages();
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(DropDstTest, RemovingTheControlClearsIt) {
    MessageBoxCapture boxes;
    int before = TControlHook::HookProceduresInUse();
    delete panel;
    panel = nullptr;
    EXPECT_EQ(nullptr, dst->Control());
    EXPECT_EQ(nullptr, dst->HookedWindow());
    PumpMessages();  // the note of the destroyed window finds no target
    EXPECT_EQ(nullptr, dst->HookedWindow());
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(before - 1, TControlHook::HookProceduresInUse());
}

TEST_F(DropDstTest, LoadedRegistersTheWindowFromTheFormDescription) {
    auto* second = new DropPanel(form);
    second->SetParent(form);
    second->SetBounds(150, 10, 100, 80);
    form->BeginLoading();
    auto* loaded = new TDropDst(form);
    loaded->SetControl(second);
    loaded->SetTarget(THookTarget::htControl);
    form->EndLoading();
    EXPECT_EQ(second->Handle(), loaded->HookedWindow());
    EXPECT_TRUE(AcceptsFiles(second->Handle()));
    // The first target was unhooked and hooked again by its own Loaded: still working.
    EXPECT_TRUE(SendDrop({"C:\\x.ico"}));
    EXPECT_EQ(1u, drops.size());
}

TEST_F(DropDstTest, MovingToAnotherControlMovesTheRegistration) {
    auto* second = new DropPanel(form);
    second->SetParent(form);
    second->SetBounds(150, 10, 100, 80);
    HWND first = panel->Handle();
    dst->SetControl(second);
    EXPECT_EQ(second->Handle(), dst->HookedWindow());
    EXPECT_TRUE(AcceptsFiles(second->Handle()));
    // The window left behind takes no drops nobody would release.
    EXPECT_FALSE(AcceptsFiles(first));
    EXPECT_EQ(42, SendMessageA(first, WM_ANSWER, 0, 0));
}

TEST_F(DropDstTest, FreeingTheTargetGivesTheWindowBack) {
    HWND wnd = panel->Handle();
    delete dst;
    dst = nullptr;
    EXPECT_FALSE(AcceptsFiles(wnd));
    EXPECT_EQ(42, SendMessageA(wnd, WM_ANSWER, 0, 0));
    // A drop now reaches the control itself (which does not release it; the guard does).
    EXPECT_FALSE(SendDrop({"C:\\a.ico"}));
    EXPECT_EQ(1, panel->dropsSeen);
    EXPECT_TRUE(drops.empty());
}

}  // namespace
