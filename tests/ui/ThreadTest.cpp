// The thread object: suspended until started, errors kept inside the thread, the end waited
// for. (The change thread's tests abandon one.)
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

protected:
    void Execute() override { Body{body_}(*this); }  // a copy: the object may go before the body ends

private:
    Body body_;
};

}  // namespace

TEST(Thread, TheBodyRunsOnceAfterStartAndWhatItRaisesEndsItWithCodeOne) {
    volatile LONG runs = 0;
    const std::pair<TestThread::Body, DWORD> bodies[] = {{[&](TestThread&) { InterlockedIncrement(&runs); }, 0},
                                                         {[](TestThread&) { throw std::runtime_error("lost"); }, 1},
                                                         {[](TestThread&) { throw 5; }, 1}};
    for (const auto& [body, exitCode] : bodies) {
        TestThread thread(body);
        EXPECT_FALSE(thread.WaitFor(0)) << "created suspended";
        thread.Start();
        thread.Start();
        ASSERT_TRUE(thread.WaitFor(2000));
        EXPECT_EQ(thread.ExitCode(), exitCode);
    }
    EXPECT_EQ(runs, 1);
}

TEST(Thread, DestructionTerminatesAndWaitsForTheEndAndANeverStartedThreadRunsNoBody) {
    ui::EventHandle started(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ui::EventHandle never(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    volatile LONG ended = 0;
    auto thread = std::make_unique<TestThread>([&](TestThread& self) {
        SetEvent(started.get());
        while (!self.Terminated()) SwitchToThread();
        WaitForSingleObject(never.get(), 300);  // a body that takes its time to end
        InterlockedExchange(&ended, 1);
    });
    thread->Start();
    ASSERT_EQ(WaitForSingleObject(started.get(), 2000), WAIT_OBJECT_0);
    thread.reset();
    EXPECT_EQ(ended, 1) << "the destructor returned only after the body ended";

    volatile LONG runs = 0;
    auto idle = std::make_unique<TestThread>([&](TestThread&) { InterlockedIncrement(&runs); });
    HANDLE handle = nullptr;
    DuplicateHandle(GetCurrentProcess(), idle->Handle(), GetCurrentProcess(), &handle, 0, FALSE, DUPLICATE_SAME_ACCESS);
    const ui::KernelHandle held(handle);
    idle.reset();
    EXPECT_EQ(std::make_pair(WaitForSingleObject(handle, 0), runs), std::make_pair(DWORD(WAIT_OBJECT_0), LONG(0)));
}
