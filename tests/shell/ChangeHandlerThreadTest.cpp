// The change thread on real folders: watches placed in slots, every change posted once with its
// slot to a real window, commands answered, and the thread ended promptly.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "shell/ChangeHandlerThread.h"
#include "support/Sandbox.h"
#include "ui/Handles.h"

using namespace testing_support;
using shell::TChangeHandlerThread;

namespace {

ui::KernelHandle Duplicate(HANDLE h) {
    HANDLE dup = nullptr;
    DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &dup, 0, FALSE, DUPLICATE_SAME_ACCESS);
    return ui::KernelHandle(dup);
}

// The handle values the process would give out next: a value held open is missing from them.
std::set<HANDLE> NextHandleValues() {
    std::vector<ui::EventHandle> probes;
    std::set<HANDLE> values;
    for (int i = 0; i < 64; ++i) {
        probes.emplace_back(CreateEventA(nullptr, FALSE, FALSE, nullptr));
        values.insert(probes.back().get());
    }
    return values;
}

// How many values came free between two readings.
size_t Freed(const std::set<HANDLE>& before, const std::set<HANDLE>& after) {
    return std::count_if(after.begin(), after.end(), [&](HANDLE h) { return !before.count(h); });
}

// Threads posting to a message-only window of the test.
class ChangeThreadTest : public ::testing::Test {
protected:
    std::unique_ptr<TChangeHandlerThread> NewThread(DWORD endWait = TChangeHandlerThread::EndWait) {
        return std::make_unique<TChangeHandlerThread>(wnd.get(), shell::WM_CHANGENOTIFY, endWait);
    }
    int Add(TChangeHandlerThread& t, const std::string& path) {
        int slot = -2;
        return t.AddWatch(path, FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_FILE_NAME, true, &slot) ? slot : -1;
    }
    // The slots of the change messages that came until `count` came or `ms` passed (-1 for a
    // message with another lParam than 0).
    std::vector<int> Until(size_t count, DWORD ms = 2000) {
        std::vector<int> slots;
        const DWORD start = GetTickCount();
        for (DWORD spent = 0; slots.size() < count && spent < ms; spent = GetTickCount() - start) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_POSTMESSAGE);
            MSG msg;
            while (PeekMessageA(&msg, wnd.get(), shell::WM_CHANGENOTIFY, shell::WM_CHANGENOTIFY, PM_REMOVE))
                slots.push_back(msg.lParam == 0 ? static_cast<int>(msg.wParam) : -1);
        }
        return slots;
    }
    // Every slot that came within a time long enough for a change to arrive (it takes
    // milliseconds) and short enough to say "none came".
    std::vector<int> Quiet() { return Until(static_cast<size_t>(-1), 400); }

    TempDir dir;
    ui::WindowHandle wnd{CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)};
};

TEST_F(ChangeThreadTest, WatchesTakeTheFirstFreeSlotsAndEachChangePostsItsSlotOnce) {
    auto thread = NewThread();
    const std::string file = dir.WriteFile("plain.txt", "x");
    const std::pair<std::string, int> adds[] = {
        {"", -1}, {dir / "missing", -1}, {file, -1},  // nothing, no such folder, no folder
        {dir.MakeDir("a"), 0}, {dir.MakeDir("b"), 1}, {dir.MakeDir("表示"), 2},
    };
    for (const auto& a : adds) EXPECT_EQ(Add(*thread, a.first), a.second) << a.first;
    EXPECT_TRUE(thread->RemoveWatch(1));
    dir.MakeDir("b\\new");
    dir.MakeDir("表示\\new");
    EXPECT_EQ(Until(1), std::vector<int>{2});
    EXPECT_EQ(Quiet(), std::vector<int>{}) << "one change, one message: the watch was re-armed";
    dir.MakeDir("表示\\other");
    EXPECT_EQ(Until(1), std::vector<int>{2}) << "and reports the next change";
    EXPECT_EQ(Add(*thread, dir.Path()), 1) << "the free slot is taken first";
    EXPECT_TRUE(thread->ClearWatches());
    dir.MakeDir("a\\new");
    EXPECT_EQ(Quiet(), std::vector<int>{}) << "cleared watches post nothing";
    EXPECT_EQ(Add(*thread, dir / "b"), 0) << "every slot is free again";
    // Destruction ends the waiting thread promptly, and it ends well.
    ui::KernelHandle handle = Duplicate(thread->Handle());
    const DWORD start = GetTickCount();
    thread.reset();
    EXPECT_LT(GetTickCount() - start, 1000u);
    DWORD code = 99;
    EXPECT_TRUE(GetExitCodeThread(handle.get(), &code) && code == 0) << code;
}

TEST_F(ChangeThreadTest, The64thWatchIsRefusedClosedAndSilent) {
    auto thread = NewThread();
    for (int i = 0; i < TChangeHandlerThread::SlotCount; ++i)
        ASSERT_EQ(Add(*thread, dir.MakeDir("d" + std::to_string(i))), i);
    const std::string extra = dir.MakeDir("extra");
    const std::set<HANDLE> before = NextHandleValues();
    EXPECT_EQ(Add(*thread, extra), -1);
    EXPECT_EQ(NextHandleValues(), before) << "the refused watch is closed, not left pending";
    dir.MakeDir("extra\\new");
    EXPECT_EQ(Quiet(), std::vector<int>{});
    dir.MakeDir("d62\\new");
    EXPECT_EQ(Until(1), std::vector<int>{62});
}

TEST_F(ChangeThreadTest, AnUnansweredCommandKeepsItsWatchAndTheNextWaitsForItsAnswer) {
    auto thread = NewThread();
    const std::string late = dir.MakeDir("late"), dropped = dir.MakeDir("dropped");
    ASSERT_EQ(Add(*thread, dir.MakeDir("first")), 0);
    ui::KernelHandle handle = Duplicate(thread->Handle());
    SuspendThread(handle.get());
    EXPECT_EQ(Add(*thread, late), -1) << "no answer within the command wait";
    // Still no answer: this command is not given, so the first one's watch is not overwritten.
    EXPECT_EQ(Add(*thread, dropped), -1);
    ResumeThread(handle.get());
    dir.MakeDir("late\\new");
    EXPECT_EQ(Until(1), std::vector<int>{1}) << "the late watch was placed when the thread ran";
    dir.MakeDir("dropped\\new");
    EXPECT_EQ(Quiet(), std::vector<int>{});
    EXPECT_EQ(Add(*thread, dropped), 2);
}

TEST_F(ChangeThreadTest, AThreadThatDoesNotEndInTimeFreesWhatItUsesItself) {
    auto thread = NewThread(200);
    Add(*thread, dir.MakeDir("x"));
    Add(*thread, dir.MakeDir("y"));
    ui::KernelHandle handle = Duplicate(thread->Handle());
    SuspendThread(handle.get());
    const std::set<HANDLE> before = NextHandleValues();
    const DWORD start = GetTickCount();
    thread.reset();
    EXPECT_LT(GetTickCount() - start, 2000u) << "the owner stops waiting";
    const std::set<HANDLE> after = NextHandleValues();
    EXPECT_EQ(Freed(before, after), 1u) << "the owner closed its thread handle only: events and watches stay open";
    ResumeThread(handle.get());
    ASSERT_EQ(WaitForSingleObject(handle.get(), 5000), WAIT_OBJECT_0);
    // Code 0: it ended on the terminate command, its events still open; a wait on closed
    // events would have failed and ended it with 1.
    DWORD code = 99;
    GetExitCodeThread(handle.get(), &code);
    EXPECT_EQ(code, 0u);
    EXPECT_GE(Freed(after, NextHandleValues()), 4u) << "the thread closed both events and both watches as it ended";
}

}  // namespace
