#pragma once
// A worker thread object: the system thread is made suspended with the object, runs the
// overridable body once started, and is not freed when the body ends; the object waits for
// the end and closes the thread's handle.
#include <windows.h>

#include "ui/Handles.h"

namespace ui {

class TThread {
public:
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    // Sets the terminated flag and waits for the body to end, without limit, unless the
    // thread was abandoned. A thread never started ends without running its body.
    virtual ~TThread();

    // Lets the suspended thread run its body; once only.
    void Start();
    // Asks the body to stop: sets the flag the body reads, then calls TerminatedSet.
    void Terminate();
    bool Terminated() const { return terminated_ != 0; }
    bool Started() const { return started_; }

    HANDLE Handle() const { return handle_.get(); }
    DWORD ThreadID() const { return id_; }
    // True when the body has ended within `ms` (never for a thread not started).
    bool WaitFor(DWORD ms) const;
    // The thread's exit code: 0 after a body that returned, 1 after one that raised,
    // STILL_ACTIVE while it runs.
    DWORD ExitCode() const;

protected:
    // Creates the system thread suspended; raises Exception with the system's text if it cannot.
    TThread();
    // The thread's body, run on the thread; whatever it raises ends the thread there.
    virtual void Execute() = 0;
    // Called on the caller's thread by Terminate; wakes a body that is waiting.
    virtual void TerminatedSet() {}
    // Gives up waiting for a body that would not end: the destructor then leaves the thread
    // running alone. Such a body must use nothing of this object after the call.
    void Abandon() { abandoned_ = true; }

private:
    static DWORD WINAPI ThreadProc(LPVOID param);

    KernelHandle handle_;
    DWORD id_ = 0;
    volatile LONG terminated_ = 0;
    volatile LONG skipBody_ = 0;
    bool started_ = false;
    bool abandoned_ = false;
};

}  // namespace ui
