// The change thread at rest: watches armed as the shell tree arms them (every fixed, network
// and RAM drive with its subtree) plus folders of its own, nothing changing, and the thread's
// CPU time over 5 seconds. Prints "NAME: VALUE (goal: GOAL)"; details follow "#".
#include <windows.h>

#include <cstdio>
#include <string>

#include "shell/ChangeHandlerThread.h"
#include "support/Sandbox.h"
#include "ui/Handles.h"

using namespace testing_support;

namespace {

const DWORD kMeasureMs = 5000;

ULONGLONG ThreadCpu100ns(HANDLE thread, ULONGLONG* kernel, ULONGLONG* user) {
    FILETIME created, exited, k, u;
    if (!GetThreadTimes(thread, &created, &exited, &k, &u)) return 0;
    *kernel = (static_cast<ULONGLONG>(k.dwHighDateTime) << 32) | k.dwLowDateTime;
    *user = (static_cast<ULONGLONG>(u.dwHighDateTime) << 32) | u.dwLowDateTime;
    return *kernel + *user;
}

struct Counter {
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == shell::WM_CHANGENOTIFY) {
            ++messages;
            return 0;
        }
        return DefWindowProcA(wnd, msg, wp, lp);
    }
    static int messages;
};
int Counter::messages = 0;

}  // namespace

int main() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &Counter::WndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VemloraChangeBench";
    RegisterClassA(&wc);
    ui::WindowHandle window(CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                            wc.hInstance, nullptr));
    TempDir dir;
    int watches = 0, drives = 0;
    {
        shell::TChangeHandlerThread thread(window.get(), shell::WM_CHANGENOTIFY);
        const DWORD filter = FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_FILE_NAME;
        const DWORD mask = GetLogicalDrives();
        for (int i = 0; i < 26; ++i) {
            if (!(mask & (1u << i))) continue;
            const std::string root = std::string(1, static_cast<char>('A' + i)) + ":\\";
            const UINT type = GetDriveTypeA(root.c_str());
            if (type != DRIVE_FIXED && type != DRIVE_REMOTE && type != DRIVE_RAMDISK) continue;
            if (thread.AddWatch(root, filter, true)) ++drives;
        }
        watches = drives;
        for (int i = 0; i < 100 && watches < 40; ++i)
            if (thread.AddWatch(dir.MakeDir("w" + std::to_string(i)), filter, true)) ++watches;
        Sleep(200);  // the thread settles into its wait
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Counter::messages = 0;

        ULONGLONG k0 = 0, u0 = 0, k1 = 0, u1 = 0;
        const ULONGLONG before = ThreadCpu100ns(thread.Handle(), &k0, &u0);
        const DWORD start = GetTickCount();
        for (DWORD spent = 0; spent < kMeasureMs; spent = GetTickCount() - start) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, kMeasureMs - spent, QS_ALLINPUT);
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        }
        const ULONGLONG after = ThreadCpu100ns(thread.Handle(), &k1, &u1);
        const ULONGLONG cpu = after - before;
        std::printf("change_thread_idle_cpu_ms: %lu (goal: 0)\n", static_cast<unsigned long>(cpu / 10000));
        std::printf("# %d watches (%d drives with their subtrees), %lu ms measured, kernel %.1f ms, user %.1f ms, "
                    "%d change messages meanwhile\n",
                    watches, drives, GetTickCount() - start, (k1 - k0) / 10000.0, (u1 - u0) / 10000.0,
                    Counter::messages);
    }
    std::fflush(stdout);
    return 0;
}
