#pragma once
// TPTShellLocator: where a shell control is rooted, either by an absolute ID list or by a
// special folder (CSIDL) whose list is looked up when first needed.
#include <windows.h>
#include <shlobj.h>

#include <functional>

#include "shell/IdList.h"
#include "ui/Types.h"

namespace shell {

enum TPTLocatorKind : BYTE { lkIdList = 0, lkSpecialFolder = 1 };

class TPTShellLocator {
public:
    TPTShellLocator() = default;
    virtual ~TPTShellLocator() = default;
    TPTShellLocator(const TPTShellLocator&) = delete;
    TPTShellLocator& operator=(const TPTShellLocator&) = delete;

    TPTLocatorKind Kind() const { return kind_; }
    BYTE SpecialFolder() const { return specialFolder_; }
    // Becomes a special-folder locator; changed only when the kind or the folder differs.
    void SetSpecialFolder(BYTE csidl);

    // Kind 0: the held list (none for the desktop). Kind 1: the folder's list, looked up on
    // first use with the main window as owner and kept until the locator changes.
    LPCITEMIDLIST GetIdList();
    // Becomes an ID-list locator holding a copy (none for an empty list or none).
    void SetIdList(LPCITEMIDLIST list);
    void Clear() { SetIdList(nullptr); }

    // None clears; an unequal locator is copied; an equal one changes nothing.
    void Assign(const TPTShellLocator* other);
    bool Equals(const TPTShellLocator* other) const;

    // The file-system path of GetIdList(); empty for a virtual folder.
    ui::String GetPath() { return PathFromIdList(GetIdList()); }

    // The stored form "Pidl": the kind byte, then the special folder byte (kind 1) or a
    // 32-bit little-endian length and that many bytes of ID list (kind 0).
    // Stored only for kind 1 or a held list.
    bool StoresPidl() const { return kind_ != lkIdList || list_; }
    // The bytes as stored; empty when nothing is stored.
    ui::String PidlBytes() const;
    // Reads the stored bytes; false, with the locator unchanged, for bytes that end too
    // early, run on after the value, or hold a list that is not ended inside its length.
    bool ReadPidl(const ui::String& bytes);

    std::function<void(TPTShellLocator* sender)> OnChange;

protected:
    // The change step: raises OnChange.
    virtual void Changed();

private:
    TPTLocatorKind kind_ = lkIdList;
    IdList list_;
    BYTE specialFolder_ = 0;
};

}  // namespace shell
