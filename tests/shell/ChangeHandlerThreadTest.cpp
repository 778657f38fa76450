// The change thread on real folders: watches placed in slots, every change posted once with its
// slot to a real window, commands answered, and the thread ended promptly.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "shell/ChangeHandlerThread.h"
#include "support/Sandbox.h"
#include "ui/Handles.h"

using namespace testing_support;
using shell::TChangeHandlerThread;

namespace {

const DWORD kDirs = FILE_NOTIFY_CHANGE_DIR_NAME;
const DWORD kDirsAndFiles = FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_FILE_NAME;
// Long enough for a change to arrive (it takes milliseconds), short enough to say "none came".
const DWORD kQuiet = 400;

// A message-only window that records the slot of every change message it receives.
class Sink {
public:
    Sink() {
        static const char kClass[] = "VemloraChangeSink";
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &Sink::WndProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kClass;
        RegisterClassA(&wc);
        wnd_.reset(CreateWindowExA(0, kClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr));
        SetWindowLongPtrA(wnd_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    HWND Handle() const { return wnd_.get(); }
    // Pumps until `count` messages came in all or `ms` passed; the slots seen so far.
    const std::vector<int>& Until(size_t count, DWORD ms) {
        const DWORD start = GetTickCount();
        for (;;) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            const DWORD spent = GetTickCount() - start;
            if (slots.size() >= count || spent >= ms) return slots;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
        }
    }
    // Pumps for `ms`: every slot that came meanwhile.
    const std::vector<int>& For(DWORD ms) { return Until(static_cast<size_t>(-1), ms); }
    std::vector<int> Take() { return std::exchange(slots, {}); }

    std::vector<int> slots;
    std::vector<LPARAM> lparams;

private:
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<Sink*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
        if (self && msg == shell::WM_CHANGENOTIFY) {
            self->slots.push_back(static_cast<int>(wp));
            self->lparams.push_back(lp);
            return 0;
        }
        return DefWindowProcA(wnd, msg, wp, lp);
    }
    ui::WindowHandle wnd_;
};

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

class ChangeThreadTest : public ::testing::Test {
protected:
    std::unique_ptr<TChangeHandlerThread> NewThread(DWORD endWait = TChangeHandlerThread::EndWait) {
        return std::make_unique<TChangeHandlerThread>(sink.Handle(), shell::WM_CHANGENOTIFY, endWait);
    }
    int Add(TChangeHandlerThread& t, const std::string& path, DWORD filter = kDirsAndFiles) {
        int slot = -2;
        return t.AddWatch(path, filter, true, &slot) ? slot : -1;
    }

    TempDir dir;
    Sink sink;
};

TEST_F(ChangeThreadTest, WatchesTakeTheFirstFreeSlotsAndClearingStopsThemAll) {
    auto thread = NewThread();
    EXPECT_EQ(std::make_pair(thread->Window(), thread->Message()), std::make_pair(sink.Handle(), shell::WM_CHANGENOTIFY));
    const std::string file = dir.WriteFile("plain.txt", "x");
    const std::pair<std::string, int> adds[] = {
        {"", -1},                           // nothing to watch
        {dir / "missing", -1},              // no such folder
        {file, -1},                         // a file is no folder
        {dir.MakeDir("a"), 0},
        {dir.MakeDir("b"), 1},
        {dir.MakeDir("表示"), 2},
        {dir.Path(), 3},
    };
    for (const auto& a : adds) EXPECT_EQ(Add(*thread, a.first), a.second) << a.first;
    int untouched = 77;
    EXPECT_FALSE(thread->AddWatch(dir / "missing", kDirs, true, &untouched));
    EXPECT_EQ(untouched, 77) << "a refused watch reports no slot";

    EXPECT_TRUE(thread->ClearWatches());
    dir.MakeDir("a\\new");
    dir.MakeDir("表示\\new");
    EXPECT_EQ(sink.For(kQuiet), std::vector<int>{}) << "cleared watches post nothing";
    EXPECT_EQ(Add(*thread, dir / "b"), 0) << "every slot is free again";
    dir.MakeDir("b\\new");
    EXPECT_EQ(sink.Until(1, 2000), std::vector<int>{0});
    EXPECT_EQ(sink.lparams, std::vector<LPARAM>{0});
}

TEST_F(ChangeThreadTest, EachChangePostsItsSlotOnceAndAFileOnlyWhenFileNamesAreWatched) {
    struct Case {
        DWORD filter;
        bool makeFolder;
        size_t messages;
    } cases[] = {
        {kDirs, true, 1},
        {kDirs, false, 0},
        {kDirsAndFiles, false, 1},
        {kDirsAndFiles, true, 1},
    };
    int n = 0;
    for (const Case& c : cases) {
        auto thread = NewThread();
        const std::string watched = dir.MakeDir("w" + std::to_string(n++));
        ASSERT_EQ(Add(*thread, watched, c.filter), 0);
        for (int round = 0; round < 2; ++round) {  // the second round proves the watch re-armed
            const std::string name = "new" + std::to_string(round);
            if (c.makeFolder)
                CreateDirectoryA((watched + "\\" + name).c_str(), nullptr);
            else
                dir.WriteFile(watched.substr(dir.Path().size() + 1) + "\\" + name + ".txt", "text");
            sink.Until(c.messages, 2000);
            EXPECT_EQ(sink.For(kQuiet), std::vector<int>(c.messages, 0))
                << "filter " << c.filter << (c.makeFolder ? " folder" : " file") << " round " << round;
            sink.Take();
        }
    }
}

TEST_F(ChangeThreadTest, AFreeSlotBetweenTwoWatchesStillReportsTheLaterSlot) {
    auto thread = NewThread();
    const std::string a = dir.MakeDir("a"), b = dir.MakeDir("b"), c = dir.MakeDir("c");
    ASSERT_EQ(std::vector<int>({Add(*thread, a), Add(*thread, b), Add(*thread, c)}), std::vector<int>({0, 1, 2}));
    EXPECT_TRUE(thread->RemoveWatch(1));
    EXPECT_FALSE(thread->RemoveWatch(TChangeHandlerThread::SlotCount)) << "no such slot";
    EXPECT_FALSE(thread->RemoveWatch(-1));

    dir.MakeDir("b\\new");
    dir.MakeDir("c\\new");
    EXPECT_EQ(sink.Until(2, 2000), std::vector<int>{2});
    EXPECT_EQ(sink.For(kQuiet), std::vector<int>{2}) << "one change, one message: the watch was re-armed";
    dir.MakeDir("c\\other");
    dir.MakeDir("a\\new");
    std::vector<int> later = sink.Until(3, 2000);
    std::multiset<int> seen(later.begin(), later.end());
    EXPECT_EQ(seen, std::multiset<int>({0, 2, 2}));
    EXPECT_EQ(Add(*thread, dir.Path()), 1) << "the free slot is taken first";
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
    EXPECT_EQ(sink.For(kQuiet), std::vector<int>{});
    dir.MakeDir("d62\\new");
    EXPECT_EQ(sink.Until(1, 2000), std::vector<int>{62});
    EXPECT_TRUE(thread->RemoveWatch(5));
    EXPECT_EQ(Add(*thread, extra), 5);
}

TEST_F(ChangeThreadTest, DestructionEndsAWaitingThreadPromptly) {
    for (int watches : {0, 3}) {
        auto thread = NewThread();
        for (int i = 0; i < watches; ++i) Add(*thread, dir.MakeDir("p" + std::to_string(i)));
        Sleep(50);  // the thread is waiting
        ui::KernelHandle handle = Duplicate(thread->Handle());
        EXPECT_EQ(WaitForSingleObject(handle.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
        const DWORD start = GetTickCount();
        thread.reset();
        EXPECT_LT(GetTickCount() - start, 1000u);
        EXPECT_EQ(WaitForSingleObject(handle.get(), 0), WAIT_OBJECT_0);
        DWORD code = 99;
        GetExitCodeThread(handle.get(), &code);
        EXPECT_EQ(code, 0u);
    }
    dir.MakeDir("p0\\after");
    EXPECT_EQ(sink.For(kQuiet), std::vector<int>{}) << "nothing posts once the thread is gone";
}

TEST_F(ChangeThreadTest, AnUnansweredCommandKeepsItsWatchAndTheNextWaitsForItsAnswer) {
    auto thread = NewThread();
    const std::string late = dir.MakeDir("late"), dropped = dir.MakeDir("dropped");
    ASSERT_EQ(Add(*thread, dir.MakeDir("first")), 0);
    ui::KernelHandle handle = Duplicate(thread->Handle());
    SuspendThread(handle.get());
    const DWORD start = GetTickCount();
    EXPECT_EQ(Add(*thread, late), -1) << "no answer within the command wait";
    EXPECT_GE(GetTickCount() - start, TChangeHandlerThread::CommandWait - 100);
    // Still no answer: this command is not given, so the first one's watch is not overwritten.
    EXPECT_EQ(Add(*thread, dropped), -1);
    ResumeThread(handle.get());
    dir.MakeDir("late\\new");
    EXPECT_EQ(sink.Until(1, 2000), std::vector<int>{1}) << "the late watch was placed when the thread ran";
    dir.MakeDir("dropped\\new");
    EXPECT_EQ(sink.For(kQuiet), std::vector<int>{1});
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
    std::vector<HANDLE> freed;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(freed));
    EXPECT_EQ(freed.size(), 1u) << "the owner closed its thread handle only: events and watches stay open";
    ResumeThread(handle.get());
    ASSERT_EQ(WaitForSingleObject(handle.get(), 5000), WAIT_OBJECT_0);
    // Code 0: it ended on the terminate command, its events still open; a wait on closed
    // events would have failed and ended it with 1.
    DWORD code = 99;
    GetExitCodeThread(handle.get(), &code);
    EXPECT_EQ(code, 0u);
    const std::set<HANDLE> ended = NextHandleValues();
    freed.clear();
    std::set_difference(ended.begin(), ended.end(), after.begin(), after.end(), std::back_inserter(freed));
    EXPECT_GE(freed.size(), 4u) << "the thread closed both events and both watches as it ended";
}

}  // namespace
