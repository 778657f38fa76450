#pragma once
// What the files of the shell tree share and nothing else includes.
#include <functional>

#include "shell/ShellTree.h"
#include "ui/Guard.h"

namespace shell {

// The overlay images of the shared-hand and the shortcut arrow (index + 1 in the state).
constexpr int kShareOverlay = 0;
constexpr int kLinkOverlay = 1;

class TPTCustomShellTree::InternalChangeScope {
public:
    explicit InternalChangeScope(TPTCustomShellTree* tree) : tree_(tree) { ++tree_->hold_.internalChange; }
    ~InternalChangeScope() { --tree_->hold_.internalChange; }
    InternalChangeScope(const InternalChangeScope&) = delete;
    InternalChangeScope& operator=(const InternalChangeScope&) = delete;

private:
    TPTCustomShellTree* tree_;
};

// OnFillStart when made, OnFillComplete once: raised on the way out unless already raised.
class TPTCustomShellTree::FillNotices {
public:
    explicit FillNotices(TPTCustomShellTree* tree) : tree_(tree) {
        if (tree_->OnFillStart) tree_->OnFillStart(tree_);
    }
    ~FillNotices() {
        // On the way out of an error: the notice may not raise a second one.
        if (!done_) ui::Guarded([this] { Raise(); });
    }
    FillNotices(const FillNotices&) = delete;
    FillNotices& operator=(const FillNotices&) = delete;
    void Raise() {
        done_ = true;
        if (tree_->OnFillComplete) tree_->OnFillComplete(tree_);
    }

private:
    TPTCustomShellTree* tree_;
    bool done_ = false;
};

// Calls `each` with every item the enumerator gives, in its order; the answer of the last
// request (S_FALSE at the end of the list, or no enumerator).
HRESULT ForEachItem(IEnumIDList* items, IMalloc* allocator, const std::function<void(const IdList&)>& each);

}  // namespace shell
