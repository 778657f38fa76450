#pragma once
// A Win32 thread object: made suspended, started explicitly, asked to stop through its
// terminated flag. The object is not freed when its thread ends; the owner ends the thread
// (or gives up on it) before destroying the object, which then only closes its handle.
#include <windows.h>

#include "ui/Handles.h"

namespace ui {

class TThread {
public:
    TThread();
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    void Start();
    void Terminate() { InterlockedExchange(&terminated_, 1); }
    bool Terminated() const { return terminated_ != 0; }
    HANDLE Handle() const { return handle_.get(); }
    DWORD ThreadId() const { return id_; }
    // True when the thread has ended within `ms` milliseconds (or never started).
    bool WaitFor(DWORD ms) const;

protected:
    // The thread's body. Whatever it raises ends the thread quietly: a worker has no one to
    // report to, and an exception must not leave the thread procedure.
    virtual void Execute() = 0;

private:
    static DWORD WINAPI ThreadProc(LPVOID self);

    KernelHandle handle_;
    DWORD id_ = 0;
    bool started_ = false;
    volatile LONG terminated_ = 0;
};

}  // namespace ui
