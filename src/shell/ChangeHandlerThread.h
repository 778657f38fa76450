#pragma once
// The worker that watches file-system change handles for the shell tree. It waits on all of
// them and its wake event in one kernel wait, posts the tree's window a message (the slot
// number as wParam) for each change, and re-arms the handle. Commands reach it one at a
// time: the owner writes the command fields, sets the wake event and waits for the done
// event; the two events order every access to those fields, so no other lock is needed.
#include <windows.h>

#include <memory>

#include "ui/Thread.h"
#include "ui/Types.h"

namespace shell {

// The message posted to the window for a change: WM_USER + 101.
constexpr UINT kChangeMessage = WM_USER + 101;

class TChangeHandlerThread : public ui::TThread {
public:
    // 63 handles and the wake event fill the 64 objects one wait can take.
    static constexpr int kSlotCount = 63;
    static constexpr DWORD kCommandTimeout = 2000;
    static constexpr DWORD kEndTimeout = 30000;

    // Starts the thread at once.
    TChangeHandlerThread(HWND window, UINT message);
    ~TChangeHandlerThread() override;

    // Watches `path`; false for an empty or unwatchable path, when every slot is taken, or
    // when the thread does not answer in time. `slot` receives the slot on success.
    bool AddWatch(const ui::String& path, DWORD filter, bool watchSubtree, int* slot = nullptr);
    // Stops the watch in `slot`; false when the thread does not answer in time.
    bool RemoveWatch(int slot);
    void ClearWatches();

    // The window told of changes; a re-created window takes the old one's place.
    HWND Window() const;
    void SetWindow(HWND window);

protected:
    void Execute() override;

private:
    struct TState;
    enum TCommand : BYTE { cmAdd = 0, cmRemove = 1, cmRemoveAll = 2, cmTerminate = 3 };
    bool RunCommand(TCommand command);

    // Shared with the worker. Left alive (not freed) if the worker does not end in time.
    TState* state_;
};

}  // namespace shell
