// Start-up to the shown main window, against the floor program: each is started as a fresh
// process, alternately, and timed until a visible top-level window of that process exists;
// then it is ended and the next start waits until it is gone. Prints medians and their ratio.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD pid;
    bool found;
};

BOOL CALLBACK FindShown(HWND wnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid == s->pid && IsWindowVisible(wnd) && !GetParent(wnd)) {
        s->found = true;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds from the start of the process to its first shown window; -1 when none came.
double TimeStart(const std::string& exe) {
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::string command = "\"" + exe + "\"";
    LARGE_INTEGER f, t0, t1;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t0);
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    double ms = -1;
    for (;;) {
        Search s = {pi.dwProcessId, false};
        EnumWindows(FindShown, reinterpret_cast<LPARAM>(&s));
        QueryPerformanceCounter(&t1);
        const double elapsed = 1000.0 * double(t1.QuadPart - t0.QuadPart) / double(f.QuadPart);
        if (s.found) {
            ms = elapsed;
            break;
        }
        if (elapsed > 20000 || WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
        Sleep(1);
    }
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ms;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_startup PROGRAM FLOOR\n");
        return 2;
    }
    std::vector<double> program, floor;
    TimeStart(argv[1]);  // warm the file cache and the server for both
    TimeStart(argv[2]);
    for (int i = 0; i < 7; ++i) {
        program.push_back(TimeStart(argv[1]));
        floor.push_back(TimeStart(argv[2]));
    }
    if (std::count(program.begin(), program.end(), -1.0) || std::count(floor.begin(), floor.end(), -1.0)) {
        std::fprintf(stderr, "a start showed no window\n");
        return 1;
    }
    std::printf("startup_ms %.1f, floor_ms %.1f\n", Median(program), Median(floor));
    std::printf("startup_vs_floor: %.2f\n", Median(program) / Median(floor));
    return 0;
}
