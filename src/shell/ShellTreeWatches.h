#pragma once
// The change watches of a shell tree: the drive roots with their subtrees, then shown folders on
// their own (a subtree watch of some systems misses changes inside folders that existed before
// it). The thread that waits on them posts WM_CHANGENOTIFY to the tree's window.
#include <windows.h>

#include <memory>
#include <vector>

#include "shell/ChangeHandlerThread.h"
#include "ui/Types.h"

namespace shell {

class TPTShellTreeWatches {
public:
    // Whether a thread runs: watches were started for the window and not stopped since.
    bool Started() const { return thread_ != nullptr; }
    // Replaces every watch with one on each fixed, network and RAM drive, for `window`.
    void WatchDrives(HWND window, DWORD filter);
    // Watches a folder on its own, within the slots the drives leave; nothing before the drives
    // are watched or for a path already watched.
    void WatchFolder(const ui::String& path, DWORD filter);
    // Stops every watch; the thread stays.
    void Clear();
    // Ends the thread: it posts to one window only.
    void Stop();
    const std::vector<ui::String>& Paths() const { return paths_; }

private:
    void WatchDrive(const ui::String& path, DWORD filter);

    std::unique_ptr<TChangeHandlerThread> thread_;
    std::vector<ui::String> paths_;  // what is watched, in the order added
};

}  // namespace shell
