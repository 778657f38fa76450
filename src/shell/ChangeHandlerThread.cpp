#include "shell/ChangeHandlerThread.h"

#include <memory>

#include "ui/ComError.h"
#include "ui/Handles.h"

namespace shell {

namespace {

enum : unsigned char { cmdAdd = 0, cmdRemove = 1, cmdRemoveAll = 2, cmdTerminate = 3 };

}  // namespace

// The fields of the command protocol are the owner's until it sets the wake event and the
// body's until it sets the done event; the slots are the body's alone while it runs.
struct TChangeHandlerThread::Shared {
    ui::EventHandle wake;
    ui::EventHandle done;
    ui::ChangeNotificationHandle pending;
    int removeIndex = -1;
    HWND window = nullptr;
    UINT message = 0;
    ui::ChangeNotificationHandle slots[SlotCount];
    int resultIndex = -1;
    volatile unsigned char command = cmdAdd;
    volatile LONG refs = 2;   // the object's and the body's
    volatile LONG taken = 0;  // the body holds the block

    void Release() {
        if (InterlockedDecrement(&refs) == 0) delete this;
    }

    void Run() {
        HANDLE objects[SlotCount + 1];
        int from[SlotCount + 1];
        for (;;) {
            DWORD count = 1;
            objects[0] = wake.get();
            for (int i = 0; i < SlotCount; ++i) {
                if (!slots[i]) continue;
                objects[count] = slots[i].get();
                from[count] = i;
                ++count;
            }
            const DWORD r = WaitForMultipleObjects(count, objects, FALSE, INFINITE);
            if (r == WAIT_OBJECT_0) {
                if (!CarryOut()) return;
                SetEvent(done.get());
            } else if (r > WAIT_OBJECT_0 && r < WAIT_OBJECT_0 + count) {
                const int slot = from[r - WAIT_OBJECT_0];
                if (window) PostMessageA(window, message, static_cast<WPARAM>(slot), 0);
                // Re-armed, the handle signals again only for later changes.
                if (!FindNextChangeNotification(slots[slot].get())) slots[slot].reset();
            } else {
                DropBroken();
            }
        }
    }

    // False for the terminate command, which sets no done event.
    bool CarryOut() {
        switch (command) {
        case cmdAdd:
            resultIndex = -1;
            for (int i = 0; i < SlotCount; ++i) {
                if (slots[i]) continue;
                slots[i] = std::move(pending);
                resultIndex = i;
                break;
            }
            break;
        case cmdRemove:
            if (removeIndex >= 0 && removeIndex < SlotCount) slots[removeIndex].reset();
            break;
        case cmdRemoveAll:
            for (auto& s : slots) s.reset();
            break;
        case cmdTerminate:
            return false;
        }
        return true;
    }

    // After a failed wait: forgets the handles that can no longer be waited on (they are no
    // longer ours to close). Raises, ending the body, when none was found or the wake event
    // itself failed, so that a failing wait never turns into a busy loop.
    void DropBroken() {
        bool dropped = false;
        if (WaitForSingleObject(wake.get(), 0) != WAIT_FAILED) {
            for (auto& s : slots) {
                if (s && WaitForSingleObject(s.get(), 0) == WAIT_FAILED) {
                    s.release();
                    dropped = true;
                }
            }
        }
        if (!dropped) throw ui::Exception(ui::SysErrorMessage(HRESULT_FROM_WIN32(GetLastError())));
    }
};

TChangeHandlerThread::TChangeHandlerThread(HWND window, UINT message, DWORD endWait)
    : shared_(nullptr), endWait_(endWait) {
    std::unique_ptr<Shared> shared(new Shared);
    shared->wake.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    shared->done.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!shared->wake || !shared->done) throw ui::Exception(ui::SysErrorMessage(HRESULT_FROM_WIN32(GetLastError())));
    shared->window = window;
    shared->message = message;
    shared_ = shared.get();
    Start();
    shared.release();
}

TChangeHandlerThread::~TChangeHandlerThread() {
    Terminate();
    if (!WaitFor(endWait_)) {
        // A body that holds the block frees it when it ends; one that has not even taken it
        // yet ends at once when it runs, on the terminate command waiting for it.
        if (shared_->taken)
            Abandon();
        else
            WaitFor(INFINITE);
    }
    shared_->Release();
}

HWND TChangeHandlerThread::Window() const { return shared_->window; }

UINT TChangeHandlerThread::Message() const { return shared_->message; }

void TChangeHandlerThread::Execute() {
    Shared* s = shared_;
    InterlockedExchange(&s->taken, 1);
    // Only `s` from here on: the object may be gone before the body ends.
    struct Hold {
        Shared* s;
        ~Hold() { s->Release(); }
    } hold{s};
    s->Run();
}

void TChangeHandlerThread::TerminatedSet() {
    shared_->command = cmdTerminate;
    SetEvent(shared_->wake.get());
}

bool TChangeHandlerThread::Ready() {
    if (Terminated()) return false;
    if (unanswered_) {
        // The late answer to the last command comes first: until then the fields are the body's.
        if (WaitForSingleObject(shared_->done.get(), CommandWait) != WAIT_OBJECT_0) return false;
        unanswered_ = false;
    }
    return true;
}

bool TChangeHandlerThread::Send(unsigned char command) {
    shared_->command = command;
    ResetEvent(shared_->done.get());
    SetEvent(shared_->wake.get());
    unanswered_ = WaitForSingleObject(shared_->done.get(), CommandWait) != WAIT_OBJECT_0;
    return !unanswered_;
}

bool TChangeHandlerThread::AddWatch(const ui::String& path, DWORD filter, bool watchSubtree, int* slot) {
    if (path.empty() || Terminated()) return false;
    ui::ChangeNotificationHandle watch(FindFirstChangeNotificationA(path.c_str(), watchSubtree ? TRUE : FALSE, filter));
    if (!watch || !Ready()) return false;
    shared_->pending = std::move(watch);
    if (!Send(cmdAdd)) return false;
    if (shared_->resultIndex < 0) {
        // No free slot: the watch comes back and is closed here, not left behind to leak.
        shared_->pending.reset();
        return false;
    }
    if (slot) *slot = shared_->resultIndex;
    return true;
}

bool TChangeHandlerThread::RemoveWatch(int slot) {
    if (slot < 0 || slot >= SlotCount || !Ready()) return false;
    shared_->removeIndex = slot;
    return Send(cmdRemove);
}

bool TChangeHandlerThread::ClearWatches() { return Ready() && Send(cmdRemoveAll); }

}  // namespace shell
