#include "shell/IdList.h"

#include <cstring>
#include <new>
#include <vector>

#include "shell/ShellModule.h"
#include "ui/ComError.h"
#include "ui/SysUtils.h"

namespace shell {

namespace {

// The empty list (the desktop): just the terminator.
const USHORT kDesktopList = 0;
LPCITEMIDLIST DesktopList() { return reinterpret_cast<LPCITEMIDLIST>(&kDesktopList); }

const BYTE* Bytes(LPCITEMIDLIST list) { return reinterpret_cast<const BYTE*>(list); }

// Item counts may sit at odd addresses.
USHORT ItemSize(const BYTE* p) {
    USHORT cb;
    memcpy(&cb, p, sizeof cb);
    return cb;
}

// Bytes of the first `count` items (every item for a negative count), read up to the
// terminator at most.
UINT ItemBytes(LPCITEMIDLIST list, int count) {
    if (!list) return 0;
    const BYTE* p = Bytes(list);
    UINT total = 0;
    for (int i = 0; count < 0 || i < count; ++i) {
        const USHORT cb = ItemSize(p + total);
        if (!cb) break;
        total += cb;
    }
    return total;
}

IMalloc* Choose(IMalloc* allocator) { return allocator ? allocator : ShellAllocator(); }

// A new list of `bytes` of items from each part, and one terminator.
IdList Join(IMalloc* allocator, const BYTE* first, UINT firstBytes, const BYTE* second, UINT secondBytes) {
    allocator = Choose(allocator);
    if (!allocator) throw std::bad_alloc();
    const UINT size = firstBytes + secondBytes + sizeof(USHORT);
    IdList list(allocator, static_cast<LPITEMIDLIST>(allocator->Alloc(size)));
    if (!list) throw std::bad_alloc();
    BYTE* out = reinterpret_cast<BYTE*>(list.get());
    if (firstBytes) memcpy(out, first, firstBytes);
    if (secondBytes) memcpy(out + firstBytes, second, secondBytes);
    memset(out + firstBytes + secondBytes, 0, sizeof(USHORT));
    return list;
}

// The start of item `index`, which must exist.
LPCITEMIDLIST ItemAt(LPCITEMIDLIST list, int index) {
    return reinterpret_cast<LPCITEMIDLIST>(Bytes(list) + ItemBytes(list, index));
}

ui::ComPtr<IShellFolder> Desktop() {
    ui::ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.put()))) desktop.reset();
    return desktop;
}

// Characters of an ANSI text, a double-byte character counted once.
size_t CharCount(const ui::String& text) {
    size_t n = 0;
    for (size_t i = 0; i < text.size(); ++i, ++n)
        if (ui::IsLeadByte(text[i]) && i + 1 < text.size()) ++i;
    return n;
}

// Wide text in the ANSI code page, whole.
ui::String ToAnsi(const WCHAR* wide) {
    const int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::vector<char> buffer(size);
    if (!WideCharToMultiByte(CP_ACP, 0, wide, -1, buffer.data(), size, nullptr, nullptr)) return {};
    return ui::String(buffer.data(), strnlen(buffer.data(), size));
}

// The text up to its terminator inside `size` bytes; empty without one.
ui::String Terminated(const char* text, size_t size) {
    const void* end = memchr(text, 0, size);
    return end ? ui::String(text, static_cast<const char*>(end) - text) : ui::String();
}

HIMAGELIST ImageListOf(UINT sizeFlag) {
    SHFILEINFOA info = {};
    return reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | sizeFlag));
}

// A shell with more image lists than the small and the large one (extra large, jumbo, ...)
// hands out one index for all of them (Wine's does): they get the same images, so that the
// indexes it gives after the overlays were added still name the same picture in every list.
void KeepOtherListsInStep(HMODULE shell32, int before, int after) {
    using GetImageList = HRESULT(WINAPI*)(int, REFIID, void**);
    static const GUID kImageListIid = {0x46eb5926, 0x582e, 0x4017, {0x9f, 0xdf, 0xe8, 0x99, 0x8d, 0xaa, 0x09, 0x50}};
    const auto get = reinterpret_cast<GetImageList>(reinterpret_cast<void*>(GetProcAddress(shell32, "SHGetImageList")));
    if (!get || after <= before) return;
    // SHIL_EXTRALARGE, SHIL_SYSSMALL, SHIL_JUMBO.
    for (int which : {2, 3, 4}) {
        HIMAGELIST list = nullptr;
        if (FAILED(get(which, kImageListIid, reinterpret_cast<void**>(&list))) || !list) continue;
        if (ImageList_GetImageCount(list) != before) continue;  // kept by the shell itself
        int cx = 16, cy = 16;
        ImageList_GetIconSize(list, &cx, &cy);
        for (int resource = 29; resource < 29 + (after - before); ++resource) {
            ui::IconHandle icon(static_cast<HICON>(
                LoadImageA(shell32, MAKEINTRESOURCEA(resource), IMAGE_ICON, cx, cy, LR_SHARED)));
            if (icon) ImageList_AddIcon(list, icon.get());
        }
    }
}

// Without this the shared and shortcut overlays of the system image list show nothing on
// Windows NT with the newer common controls.
void RegisterShellOverlays() {
    static bool done = false;
    if (done) return;
    done = true;
    if (!NtOverlayFixApplies()) return;
    ui::ModuleHandle shell32(LoadLibraryA("shell32.dll"));
    if (!shell32) return;
    const struct {
        HIMAGELIST list;
        int size;
    } lists[] = {{ImageListOf(SHGFI_SMALLICON), 16}, {ImageListOf(SHGFI_LARGEICON), 32}};
    const int before = lists[0].list ? ImageList_GetImageCount(lists[0].list) : 0;
    for (const auto& l : lists) {
        if (!l.list) continue;
        const int resources[] = {29, 30};
        for (int i = 0; i < 2; ++i) {
            ui::IconHandle icon(static_cast<HICON>(
                LoadImageA(shell32.get(), MAKEINTRESOURCEA(resources[i]), IMAGE_ICON, l.size, l.size, LR_SHARED)));
            if (!icon) continue;
            const int index = ImageList_AddIcon(l.list, icon.get());
            if (index >= 0) ImageList_SetOverlayImage(l.list, index, i + 1);
        }
    }
    KeepOtherListsInStep(shell32.get(), before, lists[0].list ? ImageList_GetImageCount(lists[0].list) : 0);
}

}  // namespace

UINT IdListSize(LPCITEMIDLIST list) { return list ? ItemBytes(list, -1) + sizeof(USHORT) : 0; }

int IdListCount(LPCITEMIDLIST list) {
    if (!list) return 0;
    int n = 0;
    for (const BYTE* p = Bytes(list); ItemSize(p); p += ItemSize(p)) ++n;
    return n;
}

IdList CopyIdList(IMalloc* allocator, LPCITEMIDLIST list) {
    return Join(allocator, Bytes(list), ItemBytes(list, -1), nullptr, 0);
}

IdList ConcatIdLists(IMalloc* allocator, LPCITEMIDLIST first, LPCITEMIDLIST second) {
    return Join(allocator, Bytes(first), ItemBytes(first, -1), Bytes(second), ItemBytes(second, -1));
}

int CompareAbsIdLists(LPCITEMIDLIST a, LPCITEMIDLIST b) {
    if (!a || !b) return a == b ? 0 : -1;
    const bool emptyA = ItemSize(Bytes(a)) == 0, emptyB = ItemSize(Bytes(b)) == 0;
    if (emptyA || emptyB) return emptyA == emptyB ? 0 : -1;
    ui::ComPtr<IShellFolder> desktop = Desktop();
    if (!desktop) return kIdListCompareFailed;
    const HRESULT hr = desktop->CompareIDs(0, a, b);
    if (FAILED(hr)) return kIdListCompareFailed;
    return CompareIDsOrder(hr);
}

HRESULT BindToIdList(LPCITEMIDLIST absList, ui::ComPtr<IShellFolder>& folder) {
    folder.reset();
    ui::ComPtr<IShellFolder> desktop;
    HRESULT hr = SHGetDesktopFolder(desktop.put());
    if (FAILED(hr)) return hr;
    if (!desktop) return E_FAIL;
    if (!absList || !ItemSize(Bytes(absList))) {
        folder = desktop;
        return hr;
    }
    hr = desktop->BindToObject(absList, nullptr, IID_IShellFolder, folder.putVoid());
    if (FAILED(hr)) folder.reset();
    else if (!folder) hr = E_FAIL;
    return hr;
}

ui::String GetDisplayName(IShellFolder* folder, LPCITEMIDLIST list, TPTDisplayNameKind kind) {
    static const DWORD kFlags[] = {SHGDN_NORMAL, SHGDN_INFOLDER, SHGDN_FORPARSING};
    ui::ComPtr<IShellFolder> desktop;
    if (!folder) {
        desktop = Desktop();
        folder = desktop.get();
        if (!folder) return {};
    }
    if (!list) list = DesktopList();
    STRRET strret = {};
    strret.uType = STRRET_CSTR;
    const DWORD flags = kind >= dnNormal && kind <= dnForParsing ? kFlags[kind] : DWORD(SHGDN_NORMAL);
    if (FAILED(folder->GetDisplayNameOf(list, flags, &strret))) return {};
    return StrRetToText(list, strret);
}

ui::String StrRetToText(LPCITEMIDLIST list, STRRET& strret) {
    switch (strret.uType) {
        case STRRET_WSTR: {
            ui::CoTaskMemPtr<WCHAR> wide(strret.pOleStr);
            strret.pOleStr = nullptr;
            return wide.get() ? ToAnsi(wide.get()) : ui::String();
        }
        case STRRET_OFFSET: {
            const UINT size = IdListSize(list);
            if (strret.uOffset >= size) return {};
            return Terminated(reinterpret_cast<const char*>(Bytes(list)) + strret.uOffset, size - strret.uOffset);
        }
        case STRRET_CSTR:
            return Terminated(strret.cStr, sizeof strret.cStr);
    }
    return {};
}

ui::String DisplayNameOfAbs(LPCITEMIDLIST absList) {
    const int count = IdListCount(absList);
    if (count == 0) return GetDisplayName(nullptr, nullptr, dnInFolder);
    IdList parent = Join(nullptr, Bytes(absList), ItemBytes(absList, count - 1), nullptr, 0);
    ui::ComPtr<IShellFolder> folder;
    ui::OleCheck(BindToIdList(parent.get(), folder));
    return GetDisplayName(folder.get(), ItemAt(absList, count - 1), dnInFolder);
}

ui::String PathFromIdList(LPCITEMIDLIST list) {
    if (!list) list = DesktopList();
    // Not zeroed: an answer cut at the buffer's end then has no terminator inside it.
    char buffer[MAX_PATH];
    memset(buffer, 1, sizeof buffer);
    if (!SHGetPathFromIDListA(list, buffer)) return {};
    ui::String path = Terminated(buffer, sizeof buffer);
    // A path of the most characters the answer can hold may be the start of a longer one:
    // kept only if it leads back to the same item.
    if (CharCount(path) >= MAX_PATH - 1) {
        IdList parsed;
        if (FAILED(ParsePath(path, parsed)) || CompareAbsIdLists(parsed.get(), list) != 0) return {};
    }
    return path;
}

ui::String SpecialFolderPath(HWND window, int csidl) {
    IdList list(ShellAllocator());
    if (FAILED(SHGetSpecialFolderLocation(window, csidl, list.put())) || !list) return {};
    return PathFromIdList(list.get());
}

HRESULT ParsePath(const ui::String& path, IdList& list) {
    list = IdList(ShellAllocator());
    if (path.find('\0') != ui::String::npos) return E_INVALIDARG;
    WCHAR wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH))
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    ui::ComPtr<IShellFolder> desktop;
    HRESULT hr = SHGetDesktopFolder(desktop.put());
    if (FAILED(hr)) return hr;
    if (!desktop) return E_FAIL;
    ULONG eaten = 0;
    hr = desktop->ParseDisplayName(nullptr, nullptr, wide, &eaten, list.put(), nullptr);
    if (FAILED(hr)) list.reset();
    else if (!list) hr = E_FAIL;
    return hr;
}

int SysIconIndex(LPCITEMIDLIST list, UINT flags) {
    if (!list) list = DesktopList();
    SHFILEINFOA info = {};
    if (!SHGetFileInfoA(reinterpret_cast<LPCSTR>(list), 0, &info, sizeof info,
                        flags | SHGFI_PIDL | SHGFI_SYSICONINDEX))
        return 0;
    return info.iIcon;
}

HIMAGELIST SystemImageList(int size) {
    RegisterShellOverlays();
    return ImageListOf(size == 0 ? SHGFI_SMALLICON : SHGFI_LARGEICON);
}

bool NtOverlayFixApplies() { return IsWindowsNT() && ComCtlVersion() >= 0x40047; }

ui::String AppendCharIfMissing(const ui::String& text, char ch) {
    if (text.empty() || ui::LastDelimiter(ui::String(1, ch), text) == text.size() - 1) return text;
    return text + ch;
}

HRESULT SplitIdList(LPCITEMIDLIST absList, ui::ComPtr<IShellFolder>& parentFolder, IdList& parentList,
                    IdList& lastItem) {
    parentFolder.reset();
    parentList.reset();
    lastItem.reset();
    IdList parsed;
    if (IdListCount(absList) == 0) {
        const HRESULT hr = ParsePath(PathFromIdList(nullptr), parsed);
        if (FAILED(hr)) return hr;
        absList = parsed.get();
    }
    const int count = IdListCount(absList);
    if (count == 0) return E_FAIL;
    IdList parent;
    if (count > 1) parent = Join(nullptr, Bytes(absList), ItemBytes(absList, count - 1), nullptr, 0);
    IdList last = CopyIdList(nullptr, ItemAt(absList, count - 1));
    const HRESULT hr = BindToIdList(parent.get(), parentFolder);
    if (FAILED(hr)) return hr;
    parentList = std::move(parent);
    lastItem = std::move(last);
    return hr;
}

LPITEMIDLIST TPTIdListArray::Item(int index) {
    if (index < 0 || index >= Count())
        throw EPTIdListArray("TPTIdListArray - index " + ui::IntToStr(index) + " out of range");
    const LPCITEMIDLIST item = ItemAt(list_, index);
    last_ = Join(nullptr, Bytes(item), ItemSize(Bytes(item)), nullptr, 0);
    return last_.get();
}

LPITEMIDLIST TPTIdListArray::ParentList(int levels) {
    const int count = Count();
    last_.reset();
    if (!list_ || levels < 0 || levels > count) return nullptr;
    last_ = Join(nullptr, Bytes(list_), ItemBytes(list_, count - levels), nullptr, 0);
    return last_.get();
}

}  // namespace shell
