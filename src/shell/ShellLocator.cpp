#include "shell/ShellLocator.h"

#include <cstring>

#include "shell/ShellModule.h"
#include "ui/Forms.h"

namespace shell {

namespace {

// The owner of the shell's own messages while it looks a folder up.
HWND MainWindow() {
    ui::TForm* form = ui::Application().MainForm();
    return form && form->HandleAllocated() ? form->Handle() : nullptr;
}

// True when `size` bytes hold an ID list ended inside them.
bool EndsInside(const BYTE* p, size_t size) {
    size_t pos = 0;
    while (pos + sizeof(USHORT) <= size) {
        USHORT cb;
        memcpy(&cb, p + pos, sizeof cb);
        if (cb == 0) return true;
        if (cb < sizeof(USHORT)) return false;  // an item shorter than its own count
        pos += cb;
    }
    return false;
}

}  // namespace

void TPTShellLocator::SetSpecialFolder(BYTE csidl) {
    list_.reset();
    if (kind_ == lkSpecialFolder && specialFolder_ == csidl) return;
    kind_ = lkSpecialFolder;
    specialFolder_ = csidl;
    Changed();
}

LPCITEMIDLIST TPTShellLocator::GetIdList() {
    if (kind_ == lkSpecialFolder && !list_) {
        IdList found(ShellAllocator());
        if (SUCCEEDED(SHGetSpecialFolderLocation(MainWindow(), specialFolder_, found.put()))) list_ = std::move(found);
    }
    return list_.get();
}

void TPTShellLocator::SetIdList(LPCITEMIDLIST list) {
    IdList held = IdListCount(list) > 0 ? CopyIdList(nullptr, list) : IdList();
    const int compared = CompareAbsIdLists(list_.get(), held.get());
    const bool changed = kind_ != lkIdList || (compared != 0 && compared != kIdListCompareFailed) ||
                         (!list_ && held);
    kind_ = lkIdList;
    list_ = std::move(held);
    if (changed) Changed();
}

void TPTShellLocator::Assign(const TPTShellLocator* other) {
    if (!other) {
        Clear();
        return;
    }
    if (Equals(other)) return;
    kind_ = other->kind_;
    if (kind_ == lkIdList) {
        list_ = other->list_ ? CopyIdList(nullptr, other->list_.get()) : IdList();
    } else {
        list_.reset();
        specialFolder_ = other->specialFolder_;
    }
    Changed();
}

bool TPTShellLocator::Equals(const TPTShellLocator* other) const {
    if (!other || other->kind_ != kind_) return false;
    if (other == this) return true;
    if (kind_ == lkIdList) return CompareAbsIdLists(list_.get(), other->list_.get()) == 0;
    return specialFolder_ == other->specialFolder_;
}

ui::String TPTShellLocator::PidlBytes() const {
    ui::String bytes;
    if (kind_ != lkIdList) {
        bytes += static_cast<char>(kind_);
        bytes += static_cast<char>(specialFolder_);
    } else if (list_) {
        const UINT size = IdListSize(list_.get());
        bytes += '\0';
        for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((size >> shift) & 0xFF);
        bytes.append(reinterpret_cast<const char*>(list_.get()), size);
    }
    return bytes;
}

bool TPTShellLocator::ReadPidl(const ui::String& bytes) {
    const BYTE* p = reinterpret_cast<const BYTE*>(bytes.data());
    if (bytes.empty()) return false;
    if (p[0] != lkIdList) {
        if (bytes.size() != 2) return false;
        SetSpecialFolder(p[1]);
        return true;
    }
    if (bytes.size() < 5) return false;
    uint32_t raw = 0;
    for (int i = 0; i < 4; ++i) raw |= static_cast<uint32_t>(p[1 + i]) << (8 * i);
    const int32_t length = static_cast<int32_t>(raw);
    if (length < 1) {
        if (bytes.size() != 5) return false;
        SetSpecialFolder(CSIDL_DESKTOP);
        return true;
    }
    if (bytes.size() - 5 != static_cast<size_t>(length) || !EndsInside(p + 5, length)) return false;
    SetIdList(reinterpret_cast<LPCITEMIDLIST>(p + 5));
    return true;
}

void TPTShellLocator::Changed() {
    if (OnChange) OnChange(this);
}

}  // namespace shell
