// The thread object: suspended until started, its body on its own thread, the terminated flag,
// errors kept inside the thread, the end waited for, and a thread abandoned to end alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>

#include "ui/Handles.h"
#include "ui/Thread.h"

namespace {

class TestThread : public ui::TThread {
public:
    using Body = std::function<void(TestThread&)>;
    explicit TestThread(Body body) : body_(std::move(body)) {}
    ~TestThread() override {
        if (abandon) Abandon();
    }
    bool abandon = false;
    volatile LONG wakes = 0;
    DWORD ranOn = 0;

protected:
    void Execute() override {
        ranOn = GetCurrentThreadId();
        Body body = body_;  // a copy: an abandoned body outlives the object
        body(*this);
    }
    void TerminatedSet() override { InterlockedIncrement(&wakes); }

private:
    Body body_;
};

ui::KernelHandle Duplicate(HANDLE h) {
    HANDLE dup = nullptr;
    DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &dup, 0, FALSE, DUPLICATE_SAME_ACCESS);
    return ui::KernelHandle(dup);
}

}  // namespace

TEST(Thread, TheBodyRunsOnceOnItsOwnThreadOnlyAfterStart) {
    volatile LONG runs = 0;
    TestThread thread([&](TestThread&) { InterlockedIncrement(&runs); });
    EXPECT_FALSE(thread.WaitFor(100)) << "created suspended";
    EXPECT_EQ(runs, 0);
    EXPECT_FALSE(thread.Started());
    thread.Start();
    thread.Start();
    ASSERT_TRUE(thread.WaitFor(2000));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(thread.ranOn, thread.ThreadID());
    EXPECT_NE(thread.ranOn, GetCurrentThreadId());
    // Not freed on termination: the ended thread is still there to ask.
    EXPECT_EQ(thread.ExitCode(), 0u);
    EXPECT_TRUE(thread.Started());
}

TEST(Thread, WhatTheBodyRaisesEndsTheThreadWithCodeOne) {
    const std::function<void(TestThread&)> bodies[] = {
        [](TestThread&) { throw std::runtime_error("lost"); },
        [](TestThread&) { throw 5; },
        [](TestThread&) { throw std::bad_alloc(); },
    };
    for (const auto& body : bodies) {
        TestThread thread(body);
        thread.Start();
        ASSERT_TRUE(thread.WaitFor(2000));
        EXPECT_EQ(thread.ExitCode(), 1u);
    }
}

TEST(Thread, TerminateSetsTheFlagTheBodyReadsAndDestructionWaitsForTheEnd) {
    ui::EventHandle started(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    volatile LONG ended = 0;
    auto thread = std::make_unique<TestThread>([&](TestThread& self) {
        SetEvent(started.get());
        while (!self.Terminated()) Sleep(5);
        Sleep(100);
        InterlockedExchange(&ended, 1);
    });
    thread->Start();
    ASSERT_EQ(WaitForSingleObject(started.get(), 2000), WAIT_OBJECT_0);
    EXPECT_EQ(thread->ExitCode(), static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_FALSE(thread->Terminated());
    thread->Terminate();
    EXPECT_TRUE(thread->Terminated());
    EXPECT_EQ(thread->wakes, 1) << "the wake hook runs on the caller's thread, once per call";
    thread.reset();
    EXPECT_EQ(ended, 1) << "the destructor returned only after the body ended";
}

TEST(Thread, AThreadNeverStartedEndsWithoutItsBody) {
    volatile LONG runs = 0;
    auto thread = std::make_unique<TestThread>([&](TestThread&) { InterlockedIncrement(&runs); });
    ui::KernelHandle handle = Duplicate(thread->Handle());
    thread.reset();
    EXPECT_EQ(WaitForSingleObject(handle.get(), 0), WAIT_OBJECT_0);
    EXPECT_EQ(runs, 0);
}

TEST(Thread, AnAbandonedThreadGoesOnAloneAndEndsByItself) {
    ui::EventHandle started(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ui::EventHandle release(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    auto* finished = new volatile LONG(0);  // what the body uses lives apart from the object
    HANDLE startedHandle = started.get(), releaseHandle = release.get();
    auto thread = std::make_unique<TestThread>([startedHandle, releaseHandle, finished](TestThread&) {
        SetEvent(startedHandle);
        WaitForSingleObject(releaseHandle, INFINITE);
        InterlockedExchange(finished, 1);
    });
    thread->abandon = true;
    thread->Start();
    ASSERT_EQ(WaitForSingleObject(started.get(), 2000), WAIT_OBJECT_0) << "the body holds no part of the object now";
    ui::KernelHandle handle = Duplicate(thread->Handle());
    const DWORD start = GetTickCount();
    thread.reset();
    EXPECT_LT(GetTickCount() - start, 1000u) << "no wait for an abandoned body";
    EXPECT_EQ(WaitForSingleObject(handle.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    SetEvent(release.get());
    ASSERT_EQ(WaitForSingleObject(handle.get(), 2000), WAIT_OBJECT_0);
    EXPECT_EQ(*finished, 1);
    delete finished;
}
