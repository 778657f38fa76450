#include <gtest/gtest.h>

#include "ui/Thread.h"
#include "ui/Types.h"

namespace {

class Counter : public ui::TThread {
public:
    volatile LONG runs = 0;
    bool raise = false;

protected:
    void Execute() override {
        InterlockedIncrement(&runs);
        if (raise) throw ui::Exception("from the worker");
        while (!Terminated()) Sleep(1);
    }
};

}  // namespace

TEST(Thread, RunsOnlyOnceStartedAndStopsWhenAsked) {
    Counter t;
    Sleep(20);
    EXPECT_EQ(t.runs, 0) << "made suspended";
    t.Start();
    t.Start();
    EXPECT_FALSE(t.WaitFor(50));
    t.Terminate();
    EXPECT_TRUE(t.WaitFor(2000));
    EXPECT_EQ(t.runs, 1);
}

TEST(Thread, ARaisingBodyEndsQuietlyAndANeverStartedOneIsFreed) {
    Counter t;
    t.raise = true;
    t.Start();
    EXPECT_TRUE(t.WaitFor(2000));
    Counter never;  // destroyed suspended: must not hang or run
    EXPECT_TRUE(never.WaitFor(0));
}
