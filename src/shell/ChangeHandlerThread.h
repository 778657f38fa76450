#pragma once
// The worker that waits on file-system change notifications and tells one window about each
// change by posting it a message. It never touches the window otherwise.
#include <windows.h>

#include "ui/Thread.h"
#include "ui/Types.h"

namespace shell {

// The message the shell tree asks for.
constexpr UINT WM_CHANGENOTIFY = WM_USER + 101;

class TChangeHandlerThread : public ui::TThread {
public:
    // 63 watches and the wake event fill the 64 objects one wait can take.
    static const int SlotCount = 63;
    static const DWORD CommandWait = 2000;
    static const DWORD EndWait = 30000;

    // Starts the thread; every change seen in slot N posts (message, N, 0) to `window`
    // (nothing when `window` is null). `endWait` is how long destruction waits for the end.
    TChangeHandlerThread(HWND window, UINT message, DWORD endWait = EndWait);
    // Ends the thread through the terminate command and closes every watch. A thread that
    // does not end in time is left to free what it uses itself when it ends.
    ~TChangeHandlerThread() override;

    // Watches `path` (FindFirstChangeNotificationA's filter and subtree flag). False for an
    // empty or unwatchable path, when all slots are used, and when the thread does not answer
    // in time; on success `slot` (when given) gets the watch's slot.
    bool AddWatch(const ui::String& path, DWORD filter, bool watchSubtree, int* slot = nullptr);
    // Stops the watch in `slot`; false when it was not answered in time.
    bool RemoveWatch(int slot);
    // Stops every watch; false when it was not answered in time.
    bool ClearWatches();

    HWND Window() const;
    UINT Message() const;

protected:
    void Execute() override;
    void TerminatedSet() override;

private:
    struct Shared;
    // Waits for a late answer first if the last command had none; false while it is missing.
    bool Ready();
    // Hands the body a command and waits for its answer.
    bool Send(unsigned char command);

    // What the body uses lives apart from the object, so that a body left running alone
    // never reaches freed memory; the last of the two to let go frees it.
    Shared* shared_;
    DWORD endWait_;
    bool unanswered_ = false;  // the last command timed out
};

}  // namespace shell
