// The thread object: suspended until started, errors kept inside the thread, the end waited
// for, and a thread abandoned to end alone.
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
    explicit TestThread(Body body, bool abandon = false) : body_(std::move(body)), abandon_(abandon) {}
    ~TestThread() override {
        if (abandon_) Abandon();
    }

protected:
    void Execute() override {
        Body body = body_;  // a copy: an abandoned body outlives the object
        body(*this);
    }

private:
    Body body_;
    bool abandon_;
};

ui::KernelHandle Duplicate(HANDLE h) {
    HANDLE dup = nullptr;
    DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &dup, 0, FALSE, DUPLICATE_SAME_ACCESS);
    return ui::KernelHandle(dup);
}

}  // namespace

TEST(Thread, TheBodyRunsOnceAfterStartAndWhatItRaisesEndsItWithCodeOne) {
    volatile LONG runs = 0;
    TestThread thread([&](TestThread&) { InterlockedIncrement(&runs); });
    EXPECT_FALSE(thread.WaitFor(0)) << "created suspended";
    thread.Start();
    thread.Start();
    ASSERT_TRUE(thread.WaitFor(2000));
    EXPECT_EQ(std::make_pair(runs, thread.ExitCode()), std::make_pair(LONG(1), DWORD(0)));
    const std::function<void(TestThread&)> bodies[] = {
        [](TestThread&) { throw std::runtime_error("lost"); },
        [](TestThread&) { throw 5; },
    };
    for (const auto& body : bodies) {
        TestThread failing(body);
        failing.Start();
        ASSERT_TRUE(failing.WaitFor(2000));
        EXPECT_EQ(failing.ExitCode(), 1u);
    }
}

TEST(Thread, DestructionTerminatesAndWaitsForTheEndAndANeverStartedThreadRunsNoBody) {
    ui::EventHandle started(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    volatile LONG ended = 0;
    auto thread = std::make_unique<TestThread>([&](TestThread& self) {
        SetEvent(started.get());
        while (!self.Terminated()) SwitchToThread();
        for (volatile int i = 0; i < 1000000; ++i) {
        }
        InterlockedExchange(&ended, 1);
    });
    thread->Start();
    ASSERT_EQ(WaitForSingleObject(started.get(), 2000), WAIT_OBJECT_0);
    thread.reset();
    EXPECT_EQ(ended, 1) << "the destructor returned only after the body ended";

    volatile LONG runs = 0;
    auto idle = std::make_unique<TestThread>([&](TestThread&) { InterlockedIncrement(&runs); });
    ui::KernelHandle handle = Duplicate(idle->Handle());
    idle.reset();
    EXPECT_EQ(std::make_pair(WaitForSingleObject(handle.get(), 0), runs), std::make_pair(DWORD(WAIT_OBJECT_0), LONG(0)));
}

TEST(Thread, AnAbandonedThreadGoesOnAloneAndEndsByItself) {
    ui::EventHandle started(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ui::EventHandle release(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    HANDLE startedHandle = started.get(), releaseHandle = release.get();
    // Held back until released, or for 5 s: a destructor that waited would find it ended.
    auto thread = std::make_unique<TestThread>(
        [startedHandle, releaseHandle](TestThread&) {
            SetEvent(startedHandle);
            WaitForSingleObject(releaseHandle, 5000);
        },
        true);
    thread->Start();
    ASSERT_EQ(WaitForSingleObject(started.get(), 2000), WAIT_OBJECT_0);
    ui::KernelHandle handle = Duplicate(thread->Handle());
    thread.reset();
    EXPECT_EQ(WaitForSingleObject(handle.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    SetEvent(release.get());
    EXPECT_EQ(WaitForSingleObject(handle.get(), 2000), WAIT_OBJECT_0);
}
