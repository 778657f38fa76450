#pragma once
// Shell item identifier lists (ID lists): the shell's binary path of an item, a run of items
// each led by its 16-bit byte count and ended by a 16-bit zero. Every list made here comes
// from the shell allocator (the one passed in, or the process-wide one when none is), is
// read no further than its terminator and is written with exactly one.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include "ui/Handles.h"
#include "ui/Types.h"

namespace shell {

// An owned ID list and the allocator that frees it.
using IdList = ui::MallocIdList;

// What CompareAbsIdLists answers when the shell could not compare; equality tests count it
// as not equal.
constexpr int kIdListCompareFailed = 0x7FFFFFFF;

// The forms of a display name (SHGDN_NORMAL, SHGDN_INFOLDER, SHGDN_FORPARSING).
enum TPTDisplayNameKind { dnNormal = 0, dnInFolder = 1, dnForParsing = 2 };

// Bytes including the terminator; 0 for no list.
UINT IdListSize(LPCITEMIDLIST list);
// Items before the terminator; 0 for no list.
int IdListCount(LPCITEMIDLIST list);
// A new list of the same items; a list of zero items (two zero bytes) for none.
IdList CopyIdList(IMalloc* allocator, LPCITEMIDLIST list);
// A new list: the items of `first`, then those of `second`; either may be none.
IdList ConcatIdLists(IMalloc* allocator, LPCITEMIDLIST first, LPCITEMIDLIST second);
// Both none or both empty: 0; only one of them: -1; otherwise the desktop's CompareIDs
// (negative, zero, positive), or kIdListCompareFailed.
int CompareAbsIdLists(LPCITEMIDLIST a, LPCITEMIDLIST b);
// A folder's answer to CompareIDs as an order: the low 16 bits of the code, signed.
inline int CompareIDsOrder(HRESULT hr) { return static_cast<short>(HRESULT_CODE(hr)); }
// The folder of an absolute list; the desktop itself for an empty list or none.
HRESULT BindToIdList(LPCITEMIDLIST absList, ui::ComPtr<IShellFolder>& folder);

// The display name of `list` (relative to `folder`, the desktop when none); empty on failure.
ui::String GetDisplayName(IShellFolder* folder, LPCITEMIDLIST list, TPTDisplayNameKind kind);
// The text of a shell answer, whole; a wide answer's buffer is freed. An offset answer is read
// only inside `list`; an answer without its terminator inside its buffer is empty.
ui::String StrRetToText(LPCITEMIDLIST list, STRRET& strret);
// The in-folder name of an absolute list's last item, asked from its parent folder; a parent
// that cannot be bound raises EOleSysError.
ui::String DisplayNameOfAbs(LPCITEMIDLIST absList);
// The item's file-system path (none: the desktop); empty for a virtual item and for a path
// that does not fit MAX_PATH, never a cut one.
ui::String PathFromIdList(LPCITEMIDLIST list);
// The path of a special folder (CSIDL); empty when it has none.
ui::String SpecialFolderPath(HWND window, int csidl);
// The ID list the desktop parses from a path of at most MAX_PATH - 1 characters; a longer one
// is refused with nothing parsed.
HRESULT ParsePath(const ui::String& path, IdList& list);
// The system image list index of an item (none: the desktop) with SHGFI_* `flags`; 0 on failure.
int SysIconIndex(LPCITEMIDLIST list, UINT flags);
// The shared system image list: size 0 small, 1 large; never destroy it. The first request on
// Windows NT with common controls 4.71 or later registers the shell's overlay images once.
HIMAGELIST SystemImageList(int size);
// True when this process gets that overlay registration.
bool NtOverlayFixApplies();

// `text` with `ch` appended unless it already ends with it (a trail byte does not count);
// an empty text stays empty.
ui::String AppendCharIfMissing(const ui::String& text, char ch);

// An absolute list's parent folder, a copy of the parent's list and a copy of the last item.
// A one-item list gives the desktop, no parent list and a copy of the list; the desktop
// itself is taken as the list parsed from its file-system path.
HRESULT SplitIdList(LPCITEMIDLIST absList, ui::ComPtr<IShellFolder>& parentFolder, IdList& parentList,
                    IdList& lastItem);

class EPTIdListArray : public ui::Exception {
public:
    using ui::Exception::Exception;
};

// The items of an absolute list one by one. The list is neither copied nor owned; each list
// handed out is owned by the array until the next request.
class TPTIdListArray {
public:
    explicit TPTIdListArray(LPCITEMIDLIST absList) : list_(absList) {}
    TPTIdListArray(const TPTIdListArray&) = delete;
    TPTIdListArray& operator=(const TPTIdListArray&) = delete;

    int Count() const { return IdListCount(list_); }
    // A one-item list of item `index` (0-based); EPTIdListArray outside 0..Count()-1.
    LPITEMIDLIST Item(int index);
    // All but the last `levels` items; none when the list has fewer.
    LPITEMIDLIST ParentList(int levels);

private:
    LPCITEMIDLIST list_;
    IdList last_;
};

}  // namespace shell
