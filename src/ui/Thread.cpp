#include "ui/Thread.h"

#include "ui/ComError.h"

namespace ui {

TThread::TThread() {
    // The id's address is required: Windows 95 fails the call without one.
    handle_.reset(CreateThread(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &id_));
    if (!handle_) throw Exception(SysErrorMessage(HRESULT_FROM_WIN32(GetLastError())));
}

TThread::~TThread() {
    if (!handle_) return;
    if (!started_) {
        // The thread has run none of our code yet: let it end at once.
        InterlockedExchange(&skipBody_, 1);
        InterlockedExchange(&terminated_, 1);
        if (ResumeThread(handle_.get()) == static_cast<DWORD>(-1))
            TerminateThread(handle_.get(), 0);
        else
            WaitForSingleObject(handle_.get(), INFINITE);
        return;
    }
    if (abandoned_) return;
    Terminate();
    WaitForSingleObject(handle_.get(), INFINITE);
}

void TThread::Start() {
    if (started_) return;
    if (ResumeThread(handle_.get()) == static_cast<DWORD>(-1))
        throw Exception(SysErrorMessage(HRESULT_FROM_WIN32(GetLastError())));
    started_ = true;
}

void TThread::Terminate() {
    InterlockedExchange(&terminated_, 1);
    TerminatedSet();
}

bool TThread::WaitFor(DWORD ms) const { return WaitForSingleObject(handle_.get(), ms) == WAIT_OBJECT_0; }

DWORD TThread::ExitCode() const {
    DWORD code = 0;
    if (!GetExitCodeThread(handle_.get(), &code)) return 0;
    return code;
}

DWORD WINAPI TThread::ThreadProc(LPVOID param) {
    auto* self = static_cast<TThread*>(param);
    if (self->skipBody_) return 0;
    // Nothing of the object is touched after the body: an abandoned one may be gone.
    try {
        self->Execute();
    } catch (...) {
        return 1;
    }
    return 0;
}

}  // namespace ui
