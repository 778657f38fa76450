#pragma once
// Owners of the system's handles: each frees its handle exactly once, also when
// an exception leaves the scope that holds it.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <utility>

namespace ui {

template <class H, class Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : h_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }

    H get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::invalid(); }
    H release() {
        H h = h_;
        h_ = Traits::invalid();
        return h;
    }
    void reset(H h = Traits::invalid()) {
        if (h_ != Traits::invalid() && h_ != h) Traits::close(h_);
        h_ = h;
    }
    // For APIs that fill in a handle: frees the old one first.
    H* put() {
        reset();
        return &h_;
    }

private:
    H h_ = Traits::invalid();
};

struct HKeyTraits {
    static HKEY invalid() { return nullptr; }
    static void close(HKEY h) { RegCloseKey(h); }
};
struct HIconTraits {
    static HICON invalid() { return nullptr; }
    static void close(HICON h) { DestroyIcon(h); }
};
template <class T>
struct GdiTraits {
    static T invalid() { return nullptr; }
    static void close(T h) { DeleteObject(h); }
};
struct HWndTraits {
    static HWND invalid() { return nullptr; }
    static void close(HWND h) {
        if (IsWindow(h)) DestroyWindow(h);
    }
};
struct FindTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { FindClose(h); }
};
struct KernelTraits {
    static HANDLE invalid() { return nullptr; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct ImageListTraits {
    static HIMAGELIST invalid() { return nullptr; }
    static void close(HIMAGELIST h) { ImageList_Destroy(h); }
};
struct MemDcTraits {
    static HDC invalid() { return nullptr; }
    static void close(HDC h) { DeleteDC(h); }
};
struct HGlobalTraits {
    static HGLOBAL invalid() { return nullptr; }
    static void close(HGLOBAL h) { GlobalFree(h); }
};
struct HMenuTraits {
    static HMENU invalid() { return nullptr; }
    static void close(HMENU h) { DestroyMenu(h); }
};

struct HLocalTraits {
    static HLOCAL invalid() { return nullptr; }
    static void close(HLOCAL h) { LocalFree(h); }
};
struct DropTraits {
    static HDROP invalid() { return nullptr; }
    static void close(HDROP h) { DragFinish(h); }
};
struct ModuleTraits {
    static HMODULE invalid() { return nullptr; }
    static void close(HMODULE h) { FreeLibrary(h); }
};
struct ChangeNotificationTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { FindCloseChangeNotification(h); }
};

using KeyHandle = UniqueHandle<HKEY, HKeyTraits>;
using IconHandle = UniqueHandle<HICON, HIconTraits>;
using BitmapHandle = UniqueHandle<HBITMAP, GdiTraits<HBITMAP>>;
using BrushHandle = UniqueHandle<HBRUSH, GdiTraits<HBRUSH>>;
using FontHandle = UniqueHandle<HFONT, GdiTraits<HFONT>>;
using PenHandle = UniqueHandle<HPEN, GdiTraits<HPEN>>;
using WindowHandle = UniqueHandle<HWND, HWndTraits>;
using FindHandle = UniqueHandle<HANDLE, FindTraits>;
using KernelHandle = UniqueHandle<HANDLE, KernelTraits>;
using ImageListHandle = UniqueHandle<HIMAGELIST, ImageListTraits>;
using MemDcHandle = UniqueHandle<HDC, MemDcTraits>;
using GlobalHandle = UniqueHandle<HGLOBAL, HGlobalTraits>;
using MenuHandle = UniqueHandle<HMENU, HMenuTraits>;
using LocalHandle = UniqueHandle<HLOCAL, HLocalTraits>;
// A module loaded with LoadLibraryA, freed once.
using ModuleHandle = UniqueHandle<HMODULE, ModuleTraits>;
// A dropped-files handle, finished when the drop has been read.
using DropHandle = UniqueHandle<HDROP, DropTraits>;
// A file-change notification handle (FindFirstChangeNotificationA's; invalid is -1).
using ChangeNotificationHandle = UniqueHandle<HANDLE, ChangeNotificationTraits>;
// An event (CreateEventA's; invalid is null).
using EventHandle = UniqueHandle<HANDLE, KernelTraits>;

// A window's device context, released to its window.
class WindowDC {
public:
    explicit WindowDC(HWND wnd) : wnd_(wnd), dc_(GetDC(wnd)) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(wnd_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND wnd_;
    HDC dc_;
};

// Puts an object back into a device context when the scope ends.
class SelectObjectScope {
public:
    SelectObjectScope(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
    ~SelectObjectScope() {
        if (old_) SelectObject(dc_, old_);
    }
    SelectObjectScope(const SelectObjectScope&) = delete;
    SelectObjectScope& operator=(const SelectObjectScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// One WM_PAINT's device context, ended when the scope ends.
class PaintDC {
public:
    explicit PaintDC(HWND wnd) : wnd_(wnd), dc_(BeginPaint(wnd, &ps_)) {}
    ~PaintDC() { EndPaint(wnd_, &ps_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC get() const { return dc_; }
    const RECT& Area() const { return ps_.rcPaint; }

private:
    HWND wnd_;
    PAINTSTRUCT ps_ = {};
    HDC dc_;
};

// A device context's clipping, origin and selections, put back when the scope ends.
class SavedDC {
public:
    explicit SavedDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~SavedDC() {
        if (saved_) RestoreDC(dc_, saved_);
    }
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;

private:
    HDC dc_;
    int saved_;
};

// A COM interface pointer: a copy adds a reference, each owner releases its own.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr& o) : p_(o.p_) {
        if (p_) p_->AddRef();
    }
    ComPtr& operator=(const ComPtr& o) {
        T* p = o.p_;  // taken first: `o` may be this one
        if (p) p->AddRef();
        reset();
        p_ = p;
        return *this;
    }
    ComPtr(ComPtr&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) {
            reset();
            p_ = o.p_;
            o.p_ = nullptr;
        }
        return *this;
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void reset() {
        if (p_) {
            T* p = p_;
            p_ = nullptr;
            p->Release();
        }
    }
    // Takes over a reference the caller already holds (no AddRef).
    void attach(T* p) {
        reset();
        p_ = p;
    }
    // Gives the reference to the caller, who releases it.
    T* detach() {
        T* p = p_;
        p_ = nullptr;
        return p;
    }
    T** put() {
        reset();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    // Asks the object for another of its interfaces; `out` is empty when it has none.
    template <class U>
    HRESULT As(REFIID iid, ComPtr<U>& out) const {
        if (!p_) {
            out.reset();
            return E_POINTER;
        }
        return p_->QueryInterface(iid, out.putVoid());
    }
    template <class U>
    HRESULT As(ComPtr<U>& out) const {
        return As(__uuidof(U), out);
    }

private:
    T* p_ = nullptr;
};

// Memory from the shell's task allocator (ID lists, wide strings).
template <class T>
class CoTaskMemPtr {
public:
    CoTaskMemPtr() = default;
    explicit CoTaskMemPtr(T* p) : p_(p) {}
    ~CoTaskMemPtr() { reset(); }
    CoTaskMemPtr(const CoTaskMemPtr&) = delete;
    CoTaskMemPtr& operator=(const CoTaskMemPtr&) = delete;
    CoTaskMemPtr(CoTaskMemPtr&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    CoTaskMemPtr& operator=(CoTaskMemPtr&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    T* get() const { return p_; }
    T* release() {
        T* p = p_;
        p_ = nullptr;
        return p;
    }
    void reset(T* p = nullptr) {
        if (p_ && p_ != p) CoTaskMemFree(p_);
        p_ = p;
    }
    T** put() {
        reset();
        return &p_;
    }

private:
    T* p_ = nullptr;
};

// An ID list the shell allocated, freed with the shell's allocator (on the oldest systems not
// always the task allocator).
struct IdListTraits {
    static LPITEMIDLIST invalid() { return nullptr; }
    static void close(LPITEMIDLIST p) {
        ComPtr<IMalloc> shell;
        if (SUCCEEDED(SHGetMalloc(shell.put())) && shell) shell->Free(p);
    }
};
using IdListPtr = UniqueHandle<LPITEMIDLIST, IdListTraits>;

// Memory from one shell allocator (IMalloc), given back to that same allocator exactly once.
// The owner keeps a reference to the allocator; none given means the shell's own.
// Lists the shell hands out (put()) belong to the shell's own allocator.
template <class T>
class MallocPtr {
public:
    MallocPtr() = default;
    explicit MallocPtr(IMalloc* allocator, T* p = nullptr) : p_(p) {
        if (allocator) {
            allocator->AddRef();
            allocator_.attach(allocator);
        } else {
            SHGetMalloc(allocator_.put());
        }
    }
    ~MallocPtr() { reset(); }
    MallocPtr(const MallocPtr&) = delete;
    MallocPtr& operator=(const MallocPtr&) = delete;
    MallocPtr(MallocPtr&& o) noexcept : allocator_(std::move(o.allocator_)), p_(o.p_) { o.p_ = nullptr; }
    MallocPtr& operator=(MallocPtr&& o) noexcept {
        if (this != &o) {
            reset();
            allocator_ = std::move(o.allocator_);
            p_ = o.p_;
            o.p_ = nullptr;
        }
        return *this;
    }

    T* get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    IMalloc* Allocator() const { return allocator_.get(); }
    T* release() {
        T* p = p_;
        p_ = nullptr;
        return p;
    }
    // Takes over `p`, which must come from the same allocator.
    void reset(T* p = nullptr) {
        if (p_ && p_ != p) {
            if (!allocator_) SHGetMalloc(allocator_.put());  // made empty or moved from: the shell's own
            if (allocator_) allocator_->Free(p_);
        }
        p_ = p;
    }
    T** put() {
        reset();
        return &p_;
    }

private:
    ComPtr<IMalloc> allocator_;
    T* p_ = nullptr;
};

// An ID list together with the allocator that made it.
using MallocIdList = MallocPtr<ITEMIDLIST>;

// COM initialised for the calling thread for the life of the scope.
class ComScope {
public:
    ComScope() : hr_(CoInitialize(nullptr)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    HRESULT Result() const { return hr_; }

private:
    HRESULT hr_;
};

}  // namespace ui
