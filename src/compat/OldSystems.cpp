#include "compat/OldSystems.h"

#include <commctrl.h>

#include <cstring>

#include "ui/Handles.h"

namespace compat {

namespace {

// Hidden by the headers of the old systems, which lack the call.
const DWORD kPin = 0x1;                // GET_MODULE_HANDLE_EX_FLAG_PIN
const DWORD kUnchangedRefcount = 0x2;  // GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT
const DWORD kFromAddress = 0x4;        // GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS

// A system function found at its first use; null where the system lacks it. Two threads that
// look at once find the same answer.
template <class Fn>
class SystemCall {
public:
    constexpr SystemCall(const char* dll, const char* name) : dll_(dll), name_(name) {}
    Fn Get() {
        if (!looked_.load(std::memory_order_acquire)) {
            FARPROC proc = GetProcAddress(GetModuleHandleA(dll_), name_);
            fn_.store(reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc)), std::memory_order_relaxed);
            looked_.store(true, std::memory_order_release);
        }
        return fn_.load(std::memory_order_relaxed);
    }

private:
    const char* dll_;
    const char* name_;
    std::atomic<Fn> fn_{nullptr};
    std::atomic<bool> looked_{false};
};

SystemCall<HWND(WINAPI*)(HWND, UINT)> g_getAncestor("user32.dll", "GetAncestor");
SystemCall<BOOL(WINAPI*)(DWORD, LPCWSTR, HMODULE*)> g_getModuleHandleEx("kernel32.dll", "GetModuleHandleExW");
SystemCall<ULONGLONG(WINAPI*)()> g_getTickCount64("kernel32.dll", "GetTickCount64");
SystemCall<BOOL(WINAPI*)(LPCSTR, GET_FILEEX_INFO_LEVELS, LPVOID)> g_getFileAttributesEx("kernel32.dll",
                                                                                         "GetFileAttributesExA");
TickWidener g_ticks;

bool HasChildStyle(HWND wnd) { return (GetWindowLongA(wnd, GWL_STYLE) & WS_CHILD) != 0; }

BOOL Refuse(HMODULE* module, DWORD error) {
    if (module) *module = nullptr;
    SetLastError(error);
    return FALSE;
}

}  // namespace

HWND AncestorByParents(HWND wnd, UINT flags) {
    const HWND desktop = GetDesktopWindow();
    if (!IsWindow(wnd) || wnd == desktop) return nullptr;
    switch (flags) {
    case GA_PARENT:  // the parent, never the owner: a top-level window's is the desktop
        return HasChildStyle(wnd) ? GetParent(wnd) : desktop;
    case GA_ROOT:
        for (HWND parent; HasChildStyle(wnd) && (parent = GetParent(wnd)) != nullptr && parent != desktop;) wnd = parent;
        return wnd;
    case GA_ROOTOWNER:
        for (HWND parent; (parent = GetParent(wnd)) != nullptr && parent != desktop;) wnd = parent;
        return wnd;
    }
    return nullptr;
}

BOOL ModuleHandleByOldCalls(DWORD flags, LPCWSTR name, HMODULE* module) {
    if (!module || (flags & ~(kPin | kUnchangedRefcount | kFromAddress)) ||
        ((flags & kPin) && (flags & kUnchangedRefcount)))
        return Refuse(module, ERROR_INVALID_PARAMETER);
    HMODULE found = nullptr;
    if (flags & kFromAddress) {
        // An image is one allocation whose base is its module handle.
        MEMORY_BASIC_INFORMATION info;
        if (VirtualQuery(name, &info, sizeof(info)) == sizeof(info) && info.State == MEM_COMMIT)
            found = static_cast<HMODULE>(info.AllocationBase);
    } else if (!name) {
        found = GetModuleHandleA(nullptr);
    } else {
        char narrow[MAX_PATH];
        if (WideCharToMultiByte(CP_ACP, 0, name, -1, narrow, sizeof(narrow), nullptr, nullptr))
            found = GetModuleHandleA(narrow);
    }
    // The file name also tells an image from other memory.
    char path[MAX_PATH];
    const DWORD length = found ? GetModuleFileNameA(found, path, sizeof(path)) : 0;
    if (length == 0 || length >= sizeof(path)) return Refuse(module, ERROR_MOD_NOT_FOUND);
    // One more reference, as the newer call takes one; a pin is that reference never given back.
    if (!(flags & kUnchangedRefcount)) {
        HMODULE again = LoadLibraryA(path);
        if (again != found) {
            if (again) FreeLibrary(again);
            return Refuse(module, ERROR_MOD_NOT_FOUND);
        }
    }
    *module = found;
    return TRUE;
}

BOOL FileAttributesByOldCalls(LPCSTR name, GET_FILEEX_INFO_LEVELS level, LPVOID info) {
    if (!name || !info || level != GetFileExInfoStandard) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // A search would take them as a pattern. Neither byte is ever the trail byte of a double-byte character.
    if (std::strpbrk(name, "*?")) {
        SetLastError(ERROR_INVALID_NAME);
        return FALSE;
    }
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    data.dwFileAttributes = GetFileAttributesA(name);
    if (data.dwFileAttributes == INVALID_FILE_ATTRIBUTES) return FALSE;  // its error stands
    WIN32_FIND_DATAA found;
    ui::FindHandle search(FindFirstFileA(name, &found));
    if (search) {
        data.dwFileAttributes = found.dwFileAttributes;
        data.ftCreationTime = found.ftCreationTime;
        data.ftLastAccessTime = found.ftLastAccessTime;
        data.ftLastWriteTime = found.ftLastWriteTime;
        data.nFileSizeHigh = found.nFileSizeHigh;
        data.nFileSizeLow = found.nFileSizeLow;
    }
    std::memcpy(info, &data, sizeof(data));
    return TRUE;
}

ULONGLONG TickWidener::Next(DWORD ticks) {
    while (busy_.test_and_set(std::memory_order_acquire)) Sleep(0);
    const DWORD since = ticks - static_cast<DWORD>(count_);
    if (count_ == 0)
        count_ = ticks;
    else if (since < 0x80000000u)
        count_ += since;
    const ULONGLONG count = count_;
    busy_.clear(std::memory_order_release);
    return count;
}

HWND WINAPI AncestorOf(HWND wnd, UINT flags) {
    if (auto real = g_getAncestor.Get()) return real(wnd, flags);
    return AncestorByParents(wnd, flags);
}

// The common controls' version (4.70 and later) calls the system's where there is one (Windows 98,
// NT 4) and times the leave itself on Windows 95.
BOOL WINAPI TrackMouse(LPTRACKMOUSEEVENT track) { return _TrackMouseEvent(track); }

BOOL WINAPI ModuleHandleEx(DWORD flags, LPCWSTR name, HMODULE* module) {
    if (auto real = g_getModuleHandleEx.Get()) return real(flags, name, module);
    return ModuleHandleByOldCalls(flags, name, module);
}

// Windows 95 and 98 export CreateSemaphoreW as a stub that fails; the runtime names none of its
// semaphores, and a name goes over in the system's code page.
HANDLE WINAPI NewSemaphore(LPSECURITY_ATTRIBUTES security, LONG initial, LONG maximum, LPCWSTR name) {
    if (!name) return CreateSemaphoreA(security, initial, maximum, nullptr);
    char narrow[MAX_PATH];
    if (!WideCharToMultiByte(CP_ACP, 0, name, -1, narrow, sizeof(narrow), nullptr, nullptr)) return nullptr;
    return CreateSemaphoreA(security, initial, maximum, narrow);
}

ULONGLONG WINAPI TickCount64() {
    if (auto real = g_getTickCount64.Get()) return real();
    return g_ticks.Next(GetTickCount());
}

BOOL WINAPI FileAttributesEx(LPCSTR name, GET_FILEEX_INFO_LEVELS level, LPVOID info) {
    if (auto real = g_getFileAttributesEx.Get()) return real(name, level, info);
    return FileAttributesByOldCalls(name, level, info);
}

}  // namespace compat

// The import slots that code calls through (the __imp_ names of the import libraries), filled here at
// link time: the linker then takes no system import for these names.
#if defined(__i386__)
#define IMPORT_SLOT(name, argBytes) "__imp__" #name "@" #argBytes
#else
#define IMPORT_SLOT(name, argBytes) "__imp_" #name
#endif
#define BIND_IMPORT(name, argBytes, standIn) \
    extern "C" decltype(&standIn) const import_##name __asm__(IMPORT_SLOT(name, argBytes)) = &standIn

BIND_IMPORT(GetAncestor, 8, compat::AncestorOf);
BIND_IMPORT(TrackMouseEvent, 4, compat::TrackMouse);
BIND_IMPORT(GetModuleHandleExW, 12, compat::ModuleHandleEx);
BIND_IMPORT(CreateSemaphoreW, 16, compat::NewSemaphore);
BIND_IMPORT(GetTickCount64, 0, compat::TickCount64);
BIND_IMPORT(GetFileAttributesExA, 12, compat::FileAttributesEx);
