#include "ui/Thread.h"

#include "ui/Types.h"

namespace ui {

TThread::TThread() {
    handle_.reset(CreateThread(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &id_));
    if (!handle_) throw Exception("Cannot create a thread");
}

TThread::~TThread() {
    // A thread made but never started would wait suspended for ever.
    if (!started_ && handle_) TerminateThread(handle_.get(), 0);
}

void TThread::Start() {
    if (started_) return;
    started_ = true;
    ResumeThread(handle_.get());
}

bool TThread::WaitFor(DWORD ms) const {
    if (!started_) return true;
    return WaitForSingleObject(handle_.get(), ms) == WAIT_OBJECT_0;
}

DWORD WINAPI TThread::ThreadProc(LPVOID self) {
    // Nothing of the object is touched after the body: the owner may have given up on it.
    try {
        static_cast<TThread*>(self)->Execute();
    } catch (...) {
    }
    return 0;
}

}  // namespace ui
