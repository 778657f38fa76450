#pragma once
// Stand-ins for the few system calls that the program or its static runtime import but Windows 95,
// 98 or NT 4 lack (or have only as a failing stub). They are linked into the program itself, in place
// of the system's import: the loader of an old system then finds every import it is asked for.
// Each uses the newer call where the system has it and otherwise does what the old systems can.
#include <windows.h>

#include <atomic>

namespace compat {

// Bound in place of the imports of the same names (user32 GetAncestor and TrackMouseEvent, kernel32
// GetModuleHandleExW, CreateSemaphoreW, GetTickCount64 and GetFileAttributesExA).
HWND WINAPI AncestorOf(HWND wnd, UINT flags);
BOOL WINAPI TrackMouse(LPTRACKMOUSEEVENT track);
BOOL WINAPI ModuleHandleEx(DWORD flags, LPCWSTR name, HMODULE* module);
HANDLE WINAPI NewSemaphore(LPSECURITY_ATTRIBUTES security, LONG initial, LONG maximum, LPCWSTR name);
ULONGLONG WINAPI TickCount64();
BOOL WINAPI FileAttributesEx(LPCSTR name, GET_FILEEX_INFO_LEVELS level, LPVOID info);

// The old systems' ways, used where the newer call is missing.
// GetAncestor by GetParent: up through the parents while the window is a WS_CHILD for GA_ROOT, and
// through parents and popup owners as GetParent gives them for GA_ROOTOWNER.
HWND AncestorByParents(HWND wnd, UINT flags);
// GetModuleHandleExW by VirtualQuery or GetModuleHandleA, and one more reference by LoadLibraryA.
BOOL ModuleHandleByOldCalls(DWORD flags, LPCWSTR name, HMODULE* module);
// GetFileAttributesExA (which Windows 95 lacks) by GetFileAttributesA and FindFirstFileA; a root or a
// name ending in a backslash, which no search finds, gets its attributes with no times and no size.
BOOL FileAttributesByOldCalls(LPCSTR name, GET_FILEEX_INFO_LEVELS level, LPVOID info);

// A 64-bit tick count made from the 32-bit one: each reading moves the count on by the ticks since
// the previous one, so a wrap of GetTickCount is carried into the high half. A reading older than the
// last (another thread got in between) leaves the count where it is. Read at least every 24 days.
// The count is kept under a lock: the 486 has no 8-byte compare-and-swap.
class TickWidener {
public:
    ULONGLONG Next(DWORD ticks);

private:
    std::atomic_flag busy_ = ATOMIC_FLAG_INIT;
    ULONGLONG count_ = 0;  // 0 until the first reading
};

}  // namespace compat
