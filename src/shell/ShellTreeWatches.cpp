#include "shell/ShellTreeWatches.h"

#include <algorithm>

#include "shell/ShellTree.h"
#include "ui/SysUtils.h"

namespace shell {

using ui::TTreeNode;

namespace {

// The drive part of a path: "C:" or "\\server\share"; empty when it has none.
ui::String DriveOf(const ui::String& path) {
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        size_t share = path.find('\\', 2);
        if (share == ui::String::npos) return {};
        size_t end = path.find('\\', share + 1);
        return path.substr(0, end);
    }
    return {};
}

}  // namespace

// ---- TPTShellTreeWatches

void TPTShellTreeWatches::WatchDrives(HWND window, DWORD filter) {
    if (!thread_) thread_.reset(new TChangeHandlerThread(window, WM_CHANGENOTIFY));
    Clear();
    const DWORD drives = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(drives & (1u << i))) continue;
        const ui::String root = ui::String(1, static_cast<char>('A' + i)) + ":\\";
        const UINT type = GetDriveTypeA(root.c_str());
        if (type == DRIVE_FIXED || type == DRIVE_REMOTE || type == DRIVE_RAMDISK) WatchDrive(root, filter);
    }
}

void TPTShellTreeWatches::WatchDrive(const ui::String& path, DWORD filter) {
    const ui::String root = AppendCharIfMissing(DriveOf(path), '\\');
    if (root.size() < 2) return;
    if (thread_->AddWatch(root, filter, true)) paths_.push_back(root);
}

void TPTShellTreeWatches::WatchFolder(const ui::String& path, DWORD filter) {
    if (!thread_) return;
    if (path.empty() || std::find(paths_.begin(), paths_.end(), path) != paths_.end()) return;
    if (static_cast<int>(paths_.size()) >= TChangeHandlerThread::SlotCount) return;
    if (thread_->AddWatch(path, filter, false)) paths_.push_back(path);
}

void TPTShellTreeWatches::Clear() {
    if (thread_) thread_->ClearWatches();
    paths_.clear();
}

void TPTShellTreeWatches::Stop() {
    thread_.reset();
    paths_.clear();
}

// ---- the tree's watches

DWORD TPTCustomShellTree::WatchFilter() const {
    DWORD filter = FILE_NOTIFY_CHANGE_DIR_NAME;
    if (options_.Contains(ptstoIncludeNonFolders)) filter |= FILE_NOTIFY_CHANGE_FILE_NAME;
    return filter;
}

void TPTCustomShellTree::StartChangeWatch() {
    watches_.WatchDrives(Handle(), WatchFilter());
    // The base folder and the expanded folders on their own, within the slots the drives leave.
    for (TTreeNode* node = Items().GetFirstNode(); node; node = node->GetNext())
        if (node->Expanded() || !node->Parent()) WatchFolder(node);
}

void TPTCustomShellTree::WatchFolder(TTreeNode* node) {
    TPTShTreeData* data = NodeData(node);
    if (!data || !watches_.Started()) return;
    watches_.WatchFolder(PathFromIdList(data->AbsoluteIdList()), WatchFilter());
}

void TPTCustomShellTree::Expanded(TTreeNode* node) {
    TPTCustomTreeView::Expanded(node);
    if (watches_.Started() && options_.Contains(ptstoDynamicRefresh)) WatchFolder(node);
}

}  // namespace shell
