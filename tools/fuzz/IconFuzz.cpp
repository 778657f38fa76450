// The fuzz campaign's worker. It makes hostile icon files from seeds, runs each through the guard
// and, when the guard passes it, through the calls the program makes with an icon file (the count,
// every icon, drawing each). A crash or a hang ends the worker after it has written down the file it
// was on; the driver (fuzz.sh) then starts it again after that file.
//
//   icon_fuzz seeds DIR                             writes the generated seeds into DIR
//   icon_fuzz damaged DIR                           writes the tests' damaged files into DIR
//   icon_fuzz exercise FILE                         "refused" or "passed COUNT" after the program's calls
//   icon_fuzz check LIST OUT                        "passed|refused COUNT PATH" for each file of LIST
//   icon_fuzz run LIST WORK LOG FROM TO STEP SEED   variants FROM, FROM + STEP, ... below TO
//   icon_fuzz make LIST K FILE SEED                 writes variant K
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Variants.h"
#include "components/FileIndexIcon.h"
#include "components/IconFileCheck.h"
#include "support/IconLibraries.h"

using namespace testing_support;

namespace {

// More icons than this are not all drawn: the program draws the cells shown, and the guard's
// verdict does not depend on the index.
constexpr int kMostIcons = 256;
constexpr DWORD kHangMs = 15000;

HANDLE gLog = INVALID_HANDLE_VALUE;
volatile LONG64 gCurrent = -1;
volatile DWORD gStarted = 0;

void Log(const std::string& line) {
    DWORD written = 0;
    WriteFile(gLog, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* e) {
    char module[MAX_PATH] = "?";
    HMODULE m = nullptr;
    void* address = e->ExceptionRecord->ExceptionAddress;
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCSTR>(address), &m))
        GetModuleFileNameA(m, module, MAX_PATH);
    const char* base = strrchr(module, '\\');
    char line[512];
    std::snprintf(line, sizeof line, "C %lld %08lX %s+0x%llX\n", static_cast<long long>(gCurrent),
                  e->ExceptionRecord->ExceptionCode, base ? base + 1 : module,
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(address) -
                                                  reinterpret_cast<uintptr_t>(m)));
    Log(line);
    TerminateProcess(GetCurrentProcess(), 2);
    return EXCEPTION_EXECUTE_HANDLER;
}

DWORD WINAPI Watchdog(void*) {
    for (;;) {
        Sleep(500);
        const LONG64 k = gCurrent;
        if (k >= 0 && GetTickCount() - gStarted > kHangMs) {
            Log("H " + std::to_string(k) + "\n");
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> lines;
    std::istringstream in(ReadAll(path));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

std::vector<fuzz::TSeed> LoadSeeds(const std::string& list) {
    std::vector<fuzz::TSeed> seeds;
    for (const std::string& path : Lines(list))
        seeds.push_back(fuzz::MakeSeed(path.substr(path.find_last_of("\\/") + 1), ReadAll(path)));
    return seeds;
}

// What the program does with a file the guard passes: count, extract and draw every icon.
int Exercise(const std::string& path, HDC dc) {
    const int n = IconSourceCount(path);
    for (int i = 0; i < n; ++i) {
        if (i == kMostIcons) i = n - 1;
        if (HICON icon = IconSourceExtract(path, i)) {
            DrawIcon(dc, 0, 0, icon);
            DestroyIcon(icon);
        }
    }
    return n;
}

void Put32(std::string& b, size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}

// A cursor: an icon file of type 2, each image's hot spot in its middle.
std::string CurFile(const std::vector<TIconImageSpec>& images) {
    std::string b = MakeIconFile(TIconFileKind::Ico, 1, images);
    b[2] = 2;
    for (size_t j = 0; j < images.size(); ++j) Put32(b, 6 + 16 * j + 4, (images[j].side / 2) * 0x10001u);
    return b;
}

// An animated cursor of `frames` icon frames.
std::string AniFile(const std::vector<TIconImageSpec>& images, int frames) {
    std::string list = "fram";
    for (int i = 0; i < frames; ++i) {
        const std::string frame = MakeIconFile(TIconFileKind::Ico, 1, images);
        list += "icon" + std::string(4, '\0') + frame + std::string(frame.size() % 2, '\0');
        Put32(list, list.size() - frame.size() - frame.size() % 2 - 4, static_cast<std::uint32_t>(frame.size()));
    }
    std::string b = "RIFF" + std::string(4, '\0') + "ACONanih" + std::string(40, '\0') + "LIST" + std::string(4, '\0');
    Put32(b, 16, 36);  // the header's size, twice
    Put32(b, 20, 36);
    Put32(b, 24, static_cast<std::uint32_t>(frames));
    Put32(b, 28, static_cast<std::uint32_t>(frames));
    Put32(b, 48, 10);  // jiffies a frame
    Put32(b, 52, 1);   // frames are icons
    Put32(b, b.size() - 4, static_cast<std::uint32_t>(list.size()));
    b += list;
    Put32(b, 4, static_cast<std::uint32_t>(b.size() - 8));
    return b;
}

int Seeds(const std::string& dir) {
    using K = TIconFileKind;
    const TIconImageSpec small{16, 4}, mono{32, 1}, c8{32, 8}, c24{48, 24}, c32{32, 32}, png48{48, 32, true},
        png256{256, 32, true};
    const struct {
        const char* name;
        K kind;
        int count;
        std::vector<TIconImageSpec> images;
    } seeds[] = {
        {"one.ico", K::Ico, 1, {{}}},
        {"sizes.ico", K::Ico, 1, {small, c8, c24, c32, png256}},
        {"mono.ico", K::Ico, 1, {mono}},
        {"png.ico", K::Ico, 1, {png48}},
        {"pe32-three.dll", K::Pe32, 3, {{}}},
        {"pe32-sizes.dll", K::Pe32, 2, {small, c8, png48}},
        {"pe32-deep.dll", K::Pe32, 2, {mono, c24, c32}},
        {"pe64-three.dll", K::Pe64, 3, {{}}},
        {"pe64-sizes.dll", K::Pe64, 2, {small, c8, c24, png48}},
        {"pe64-many.dll", K::Pe64, 40, {small}},
        {"pe64-none.dll", K::Pe64, 0, {{}}},
        {"ne-three.icl", K::Ne, 3, {{}}},
        {"ne-sizes.icl", K::Ne, 2, {mono, c8, c24}},
        {"ne-many.icl", K::Ne, 40, {small}},
    };
    for (const auto& s : seeds)
        if (!WriteAll(dir + "\\" + s.name, MakeIconFile(s.kind, s.count, s.images))) return 1;
    if (!WriteAll(dir + "\\arrow.cur", CurFile({{}})) || !WriteAll(dir + "\\frames.ani", AniFile({{}}, 3))) return 1;
    return 0;
}

int Damaged(const std::string& dir) {
    for (const TDamagedIconFile& d : DamagedIconFiles())
        if (!WriteAll(dir + "\\" + d.name, d.bytes)) return 1;
    return 0;
}

int ExerciseOne(const std::string& path) {
    HDC dc = CreateCompatibleDC(nullptr);
    const bool sound = IconFileIsSound(path);
    std::printf(sound ? "passed %d\n" : "refused\n", sound ? Exercise(path, dc) : 0);
    return 0;
}

int Check(const std::string& list, const std::string& out) {
    std::ofstream o(out, std::ios::trunc);
    for (const std::string& path : Lines(list)) {
        const bool sound = IconFileIsSound(path);
        const int n = sound ? IconSourceCount(path) : -1;
        o << (sound ? "passed " : "refused ") << n << " " << path << "\n";
    }
    return 0;
}

int Run(const std::string& list, const std::string& work, const std::string& log, long long from, long long to,
        long long step, uint64_t campaign) {
    gLog = CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (gLog == INVALID_HANDLE_VALUE) return 1;
    const std::vector<fuzz::TSeed> seeds = LoadSeeds(list);
    if (seeds.empty()) return 1;
    SetUnhandledExceptionFilter(OnCrash);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    CloseHandle(CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr));
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 64, 64, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    SelectObject(dc, CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    for (long long k = from; k < to; k += step) {
        const fuzz::TVariant v = fuzz::MakeVariant(seeds, campaign, static_cast<uint64_t>(k));
        // A name of its own for every file: the program keeps its last verdict per name and stamp.
        const std::string path = work + "\\v" + std::to_string(k) + ".dll";
        if (!WriteAll(path, v.bytes)) return 1;
        gStarted = GetTickCount();
        gCurrent = k;
        Log("B " + std::to_string(k) + "\n");
        const bool sound = IconFileIsSound(path);
        const int n = sound ? Exercise(path, dc) : -1;
        gCurrent = -1;
        Log("R " + std::to_string(k) + (sound ? " passed " : " refused ") + std::to_string(n) + v.how + "\n");
        DeleteFileA(path.c_str());
    }
    Log("E\n");
    return 0;
}

int Make(const std::string& list, long long k, const std::string& file, uint64_t campaign) {
    const fuzz::TVariant v = fuzz::MakeVariant(LoadSeeds(list), campaign, static_cast<uint64_t>(k));
    std::printf("%s\n", v.how.c_str());
    return WriteAll(file, v.bytes) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> a(argv + 1, argv + argc);
    const auto number = [&](size_t i) { return std::strtoll(a[i].c_str(), nullptr, 10); };
    if (a.size() == 2 && a[0] == "seeds") return Seeds(a[1]);
    if (a.size() == 2 && a[0] == "damaged") return Damaged(a[1]);
    if (a.size() == 2 && a[0] == "exercise") return ExerciseOne(a[1]);
    if (a.size() == 3 && a[0] == "check") return Check(a[1], a[2]);
    if (a.size() == 8 && a[0] == "run") return Run(a[1], a[2], a[3], number(4), number(5), number(6), number(7));
    if (a.size() == 5 && a[0] == "make") return Make(a[1], number(2), a[3], number(4));
    std::fprintf(stderr, "usage: see the head of tools/fuzz/IconFuzz.cpp\n");
    return 2;
}
