#include "shell/ChangeHandlerThread.h"

#include <vector>

#include "ui/Handles.h"

namespace shell {

struct TChangeHandlerThread::TState {
    ui::KernelHandle wake{CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    ui::KernelHandle done{CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    HANDLE pending = INVALID_HANDLE_VALUE;
    int removeIndex = -1;
    HWND volatile window;
    const UINT message;
    HANDLE slots[kSlotCount];
    int resultIndex = -1;
    BYTE command = cmAdd;

    TState(HWND w, UINT m) : window(w), message(m) {
        for (HANDLE& h : slots) h = INVALID_HANDLE_VALUE;
    }
    ~TState() {
        for (HANDLE h : slots)
            if (h != INVALID_HANDLE_VALUE) FindCloseChangeNotification(h);
        if (pending != INVALID_HANDLE_VALUE) FindCloseChangeNotification(pending);
    }
    void Free(int slot) {
        if (slots[slot] != INVALID_HANDLE_VALUE) FindCloseChangeNotification(slots[slot]);
        slots[slot] = INVALID_HANDLE_VALUE;
    }
};

TChangeHandlerThread::TChangeHandlerThread(HWND window, UINT message) : state_(new TState(window, message)) {
    if (!state_->wake || !state_->done) {
        delete state_;
        throw ui::Exception("Cannot create the change watch's events");
    }
    Start();
}

TChangeHandlerThread::~TChangeHandlerThread() {
    state_->command = cmTerminate;
    SetEvent(state_->wake.get());
    // A worker that did not end may still use the shared state: it is left to it.
    if (WaitFor(kEndTimeout)) delete state_;
}

bool TChangeHandlerThread::RunCommand(TCommand command) {
    state_->command = command;
    ResetEvent(state_->done.get());
    SetEvent(state_->wake.get());
    return WaitForSingleObject(state_->done.get(), kCommandTimeout) == WAIT_OBJECT_0;
}

bool TChangeHandlerThread::AddWatch(const ui::String& path, DWORD filter, bool watchSubtree, int* slot) {
    if (path.empty()) return false;
    static const BOOL kSubtreeFlag[2] = {FALSE, TRUE};
    HANDLE h = FindFirstChangeNotificationA(path.c_str(), kSubtreeFlag[watchSubtree ? 1 : 0], filter);
    if (h == INVALID_HANDLE_VALUE) return false;
    state_->pending = h;
    if (!RunCommand(cmAdd)) return false;  // the worker may still take it: not ours to close
    if (state_->resultIndex < 0) {
        // No free slot: the handle would otherwise stay pending until the next add overwrote it.
        FindCloseChangeNotification(state_->pending);
        state_->pending = INVALID_HANDLE_VALUE;
        return false;
    }
    if (slot) *slot = state_->resultIndex;
    return true;
}

bool TChangeHandlerThread::RemoveWatch(int slot) {
    if (slot < 0 || slot >= kSlotCount) return false;
    state_->removeIndex = slot;
    return RunCommand(cmRemove);
}

void TChangeHandlerThread::ClearWatches() { RunCommand(cmRemoveAll); }

HWND TChangeHandlerThread::Window() const { return state_->window; }

void TChangeHandlerThread::SetWindow(HWND window) {
    InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&state_->window), window);
}

void TChangeHandlerThread::Execute() {
    TState& s = *state_;  // only the shared state from here on
    HANDLE objects[kSlotCount + 1];
    int slotOf[kSlotCount + 1];
    for (;;) {
        DWORD count = 0;
        objects[count++] = s.wake.get();
        for (int i = 0; i < kSlotCount; ++i)
            if (s.slots[i] != INVALID_HANDLE_VALUE) {
                slotOf[count] = i;
                objects[count++] = s.slots[i];
            }
        const DWORD r = WaitForMultipleObjects(count, objects, FALSE, INFINITE);
        if (r == WAIT_OBJECT_0) {
            switch (s.command) {
                case cmAdd: {
                    s.resultIndex = -1;
                    for (int i = 0; i < kSlotCount; ++i)
                        if (s.slots[i] == INVALID_HANDLE_VALUE) {
                            s.slots[i] = s.pending;
                            s.pending = INVALID_HANDLE_VALUE;
                            s.resultIndex = i;
                            break;
                        }
                    break;
                }
                case cmRemove:
                    if (s.removeIndex >= 0 && s.removeIndex < kSlotCount) s.Free(s.removeIndex);
                    break;
                case cmRemoveAll:
                    for (int i = 0; i < kSlotCount; ++i) s.Free(i);
                    break;
                default:
                    return;  // terminate: the owner waits for the thread's end, not for done
            }
            SetEvent(s.done.get());
        } else if (r > WAIT_OBJECT_0 && r < WAIT_OBJECT_0 + count) {
            const int slot = slotOf[r - WAIT_OBJECT_0];
            if (HWND w = s.window) PostMessageA(w, s.message, static_cast<WPARAM>(slot), 0);
            if (!FindNextChangeNotification(s.slots[slot])) s.Free(slot);
        } else {
            // A failed wait (a handle closed under it) must not spin: drop every watch but the wake.
            if (count == 1) return;
            for (int i = 0; i < kSlotCount; ++i) s.Free(i);
        }
    }
}

}  // namespace shell
