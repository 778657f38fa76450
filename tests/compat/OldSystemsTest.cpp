#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "compat/OldSystems.h"
#include "support/Sandbox.h"
#include "ui/Handles.h"

namespace {

using namespace testing_support;
using ui::KernelHandle;
using ui::WindowHandle;

template <class Fn>
Fn SystemFunction(const char* dll, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA(dll), name)));
}

// The walk by GetParent answers as the system's GetAncestor for children, owned popups and owned
// overlapped windows, and for what is no window.
TEST(OldSystems, AncestorByParentsAnswersAsTheSystem) {
    const auto real = SystemFunction<HWND(WINAPI*)(HWND, UINT)>("user32.dll", "GetAncestor");
    ASSERT_NE(real, nullptr);
    auto make = [](DWORD style, HWND parent) {
        return WindowHandle(CreateWindowExA(0, "STATIC", "", style, 0, 0, 50, 50, parent, nullptr, nullptr, nullptr));
    };
    WindowHandle top = make(WS_OVERLAPPEDWINDOW, nullptr);
    WindowHandle child = make(WS_CHILD, top.get());
    WindowHandle grandchild = make(WS_CHILD, child.get());
    WindowHandle popup = make(WS_POPUP, top.get());
    WindowHandle popupChild = make(WS_CHILD, popup.get());
    WindowHandle popupOfPopup = make(WS_POPUP, popupChild.get());  // owned by popupChild's top-level window
    WindowHandle owned = make(WS_OVERLAPPED, top.get());
    const UINT allFlags[] = {0, GA_PARENT, GA_ROOT, GA_ROOTOWNER, 4};
    for (HWND w : {top.get(), child.get(), grandchild.get(), popup.get(), popupChild.get(), popupOfPopup.get(),
                   owned.get(), HWND(nullptr), GetDesktopWindow()})
        for (UINT flags : allFlags) EXPECT_EQ(compat::AncestorByParents(w, flags), real(w, flags)) << w << " " << flags;
    EXPECT_EQ(compat::AncestorByParents(grandchild.get(), GA_ROOT), top.get());
    EXPECT_EQ(compat::AncestorByParents(popupOfPopup.get(), GA_ROOTOWNER), top.get());
    // A destroyed window has no ancestors. (Wine answers its root owner with the handle itself;
    // Windows checks the handle first.)
    const HWND gone = make(WS_POPUP, nullptr).get();
    for (UINT flags : allFlags) EXPECT_EQ(compat::AncestorByParents(gone, flags), nullptr) << flags;
}

// The old calls find the same modules as GetModuleHandleExW, refuse the same requests, and take and
// leave references as it does.
TEST(OldSystems, ModuleHandleByOldCallsAnswersAsTheSystem) {
    using Fn = BOOL(WINAPI*)(DWORD, LPCWSTR, HMODULE*);
    const auto real = SystemFunction<Fn>("kernel32.dll", "GetModuleHandleExW");
    ASSERT_NE(real, nullptr);
    // What a call answers: its result, the module it gives, the error it leaves.
    const auto answer = [](Fn fn, DWORD flags, LPCWSTR name, bool out = true) {
        HMODULE module = HMODULE(1);
        SetLastError(0);
        const BOOL ok = fn(flags, name, out ? &module : nullptr);
        return std::make_tuple(ok, module, ok ? 0 : GetLastError());
    };
    const DWORD fromAddress = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS;
    const DWORD unchanged = GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    std::vector<char> heap(64);
    const struct {
        DWORD flags;
        LPCWSTR name;
        bool out = true;
    } cases[] = {
        {fromAddress | unchanged, reinterpret_cast<LPCWSTR>(&compat::AncestorByParents)},  // this program
        {fromAddress | unchanged, reinterpret_cast<LPCWSTR>(SystemFunction<void*>("user32.dll", "GetParent"))},
        {fromAddress | unchanged, reinterpret_cast<LPCWSTR>(heap.data())},  // no image
        {unchanged, nullptr}, {unchanged, L"KERNEL32.DLL"}, {unchanged, L"no-such-library.dll"},
        {GET_MODULE_HANDLE_EX_FLAG_PIN | unchanged, nullptr},  // contradictory
        {0x8 | unchanged, nullptr},                             // unknown flag
        {0, nullptr, false},                                    // nowhere to put the module
    };
    for (const auto& c : cases)
        EXPECT_EQ(answer(compat::ModuleHandleByOldCalls, c.flags, c.name, c.out), answer(real, c.flags, c.name, c.out))
            << c.flags;

    // A library nothing else holds: one reference more, unless the count is to stay; by address or name.
    const char* library = "msimg32.dll";
    ASSERT_EQ(GetModuleHandleA(library), nullptr);
    for (Fn way : {Fn(compat::ModuleHandleByOldCalls), real}) {
        for (DWORD flags : {fromAddress, unchanged | fromAddress, DWORD(0), unchanged}) {
            const HMODULE loaded = LoadLibraryA(library);
            ASSERT_NE(loaded, nullptr);
            // Inside its image (its exports may be forwarded to another library).
            LPCWSTR name = (flags & fromAddress) ? reinterpret_cast<LPCWSTR>(reinterpret_cast<char*>(loaded) + 64)
                                                 : L"msimg32.dll";
            EXPECT_EQ(answer(way, flags, name), std::make_tuple(TRUE, loaded, DWORD(0))) << flags;
            FreeLibrary(loaded);
            EXPECT_EQ(GetModuleHandleA(library) != nullptr, !(flags & unchanged)) << flags;
            if (GetModuleHandleA(library)) FreeLibrary(loaded);
            EXPECT_EQ(GetModuleHandleA(library), nullptr) << flags;
        }
    }
}

// Named or not, a semaphore made by the stand-in counts as the system's; a name goes over in the
// system's code page and one too long for it is refused.
TEST(OldSystems, NewSemaphoreCountsAndNamesAsTheSystem) {
    KernelHandle unnamed(compat::NewSemaphore(nullptr, 1, 2, nullptr));
    ASSERT_TRUE(unnamed);
    LONG previous = -1;
    EXPECT_EQ(WaitForSingleObject(unnamed.get(), 0), DWORD(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(unnamed.get(), 0), DWORD(WAIT_TIMEOUT));
    EXPECT_TRUE(ReleaseSemaphore(unnamed.get(), 2, &previous));
    EXPECT_EQ(previous, 0);
    EXPECT_FALSE(ReleaseSemaphore(unnamed.get(), 1, nullptr));  // past the maximum

    KernelHandle named(compat::NewSemaphore(nullptr, 0, 1, L"Vemlora.OldSystemsTest.\u8868"));
    ASSERT_TRUE(named);
    KernelHandle opened(OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, "Vemlora.OldSystemsTest.表"));
    ASSERT_TRUE(opened);
    EXPECT_TRUE(ReleaseSemaphore(opened.get(), 1, nullptr));
    EXPECT_EQ(WaitForSingleObject(named.get(), 0), DWORD(WAIT_OBJECT_0));

    const std::wstring tooLong(MAX_PATH + 1, L'x');
    EXPECT_EQ(compat::NewSemaphore(nullptr, 0, 1, tooLong.c_str()), nullptr);
    SetLastError(0);
    EXPECT_EQ(compat::NewSemaphore(nullptr, 0, 0, nullptr), nullptr);  // a maximum below one
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

// The 64-bit count runs on across a wrap of the 32-bit one and never goes back.
TEST(OldSystems, TickWidenerCarriesTheWrapAndNeverGoesBack) {
    const std::vector<std::pair<DWORD, ULONGLONG>> readings = {
        {0xFFFFFFF0u, 0xFFFFFFF0ull}, {0xFFFFFFF0u, 0xFFFFFFF0ull},
        {0x00000010u, 0x100000010ull},  // wrapped
        {0x00000008u, 0x100000010ull},  // another thread's older reading
        {0x7FFFFFFFu, 0x17FFFFFFFull}, {0x80000010u, 0x180000010ull},
        {0x00000005u, 0x200000005ull},  // wrapped again
    };
    compat::TickWidener ticks;
    for (const auto& [reading, count] : readings) EXPECT_EQ(ticks.Next(reading), count) << reading;
    // The system's own: the name GetTickCount64 calls the stand-in here, as in the program.
    const ULONGLONG real = SystemFunction<ULONGLONG(WINAPI*)()>("kernel32.dll", "GetTickCount64")(),
                    ours = compat::TickCount64();
    EXPECT_TRUE(ours >= real && ours - real < 1000) << real << " " << ours;
}

// The attributes, times and size of what a search finds are the system's; a root or a folder named
// with its backslash gets its attributes alone; patterns, missing names and bad requests fail as the
// system's do.
TEST(OldSystems, FileAttributesByOldCallsAnswersAsTheSystem) {
    using Fn = BOOL(WINAPI*)(LPCSTR, GET_FILEEX_INFO_LEVELS, LPVOID);
    const Fn ours = compat::FileAttributesByOldCalls, real = SystemFunction<Fn>("kernel32.dll", "GetFileAttributesExA");
    ASSERT_NE(real, nullptr);
    TempDir dir;
    const std::string file = dir.WriteFile("icons.dll", std::string(70000, 'x')), folder = dir.MakeDir("sub");
    const std::string dbcs = dir.WriteFile("表", "ab");  // its second byte is a backslash's
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_HIDDEN));
    // What a call answers: the attributes, times and size it gives, or the error it leaves.
    const auto answer = [](Fn fn, const std::string& name, GET_FILEEX_INFO_LEVELS level = GetFileExInfoStandard) {
        WIN32_FILE_ATTRIBUTE_DATA d = {};
        SetLastError(0);
        if (!fn(name.c_str(), level, &d)) return std::vector<ULONGLONG>{GetLastError()};
        auto time = [](const FILETIME& t) { return (ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
        return std::vector<ULONGLONG>{d.dwFileAttributes, time(d.ftCreationTime), time(d.ftLastAccessTime),
                                      time(d.ftLastWriteTime), d.nFileSizeHigh, d.nFileSizeLow};
    };
    const std::pair<std::string, bool> names[] = {
        {file, true}, {dbcs, true}, {folder, true}, {dir.Path(), true}, {dir / "missing.dll", false},
        {dir / "missing\\icons.dll", false}, {dir / "*.dll", false}, {dir / "icons.dl?", false}};
    for (const auto& [name, found] : names) {
        EXPECT_EQ(answer(ours, name), answer(real, name)) << name;
        EXPECT_EQ(answer(real, name).size() > 1, found) << name;
    }
    EXPECT_EQ(answer(ours, file, GetFileExMaxInfoLevel), answer(real, file, GetFileExMaxInfoLevel));
    for (const std::string& name : {folder + "\\", WindowsDir().substr(0, 3)})
        EXPECT_EQ(answer(ours, name), (std::vector<ULONGLONG>{GetFileAttributesA(name.c_str()), 0, 0, 0, 0, 0}))
            << name;
    SetLastError(0);
    EXPECT_FALSE(ours(file.c_str(), GetFileExInfoStandard, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

LRESULT CALLBACK CountLeaves(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_MOUSELEAVE) SetWindowLongPtrA(wnd, GWLP_USERDATA, GetWindowLongPtrA(wnd, GWLP_USERDATA) + 1);
    return DefWindowProcA(wnd, msg, wp, lp);
}

// The common controls' tracking, which the stand-in hands over to, reports the pointer's leave.
TEST(OldSystems, TrackMouseReportsTheLeave) {
    WindowHandle wnd(CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100, 100, 100, nullptr,
                                     nullptr, nullptr, nullptr));
    ASSERT_TRUE(wnd);
    SetWindowLongPtrA(wnd.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountLeaves));
    SetCursorPos(150, 150);
    PumpMessages();
    TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, wnd.get(), 0};
    EXPECT_TRUE(compat::TrackMouse(&track));
    SetCursorPos(500, 500);
    // The leave comes by the tracking's timer: wait for messages until it has come.
    for (int i = 0; i < 100 && GetWindowLongPtrA(wnd.get(), GWLP_USERDATA) == 0; ++i) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        PumpMessages(1);
    }
    EXPECT_EQ(GetWindowLongPtrA(wnd.get(), GWLP_USERDATA), 1);
}

}  // namespace
