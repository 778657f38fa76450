// Loading icon libraries into the icon grid, measured side by side with the floor (what
// any grid must do: ask for the icon count and add as many items to a list box) and with
// eager extraction. Prints "NAME: VALUE (goal: GOAL)" lines; details follow "#".
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "components/IconListBox.h"
#include "support/IconLibraries.h"
#include "support/Sandbox.h"
#include "ui/Forms.h"

using namespace testing_support;

namespace {

double Now() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void Pump() { PumpMessages(2); }

// The cheapest way to show `n` numbered items: a bare list box window of the grid's
// styles, filled with redrawing off and storage reserved (the other way, plain adds with
// redrawing on, is measured too and the faster one is the floor).
struct BareListBox {
    HWND wnd;
    explicit BareListBox(HWND parent, const RECT& r) {
        wnd = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                              WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                                  LBS_NOTIFY | LBS_MULTICOLUMN | LBS_NOINTEGRALHEIGHT,
                              r.left, r.top, r.right - r.left, r.bottom - r.top, parent, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
        SendMessageA(wnd, LB_SETITEMHEIGHT, 0, GetSystemMetrics(SM_CYICON) + 6);
        SendMessageA(wnd, LB_SETCOLUMNWIDTH, GetSystemMetrics(SM_CXICON) + 6, 0);
    }
    ~BareListBox() { DestroyWindow(wnd); }
    double Load(const std::string& file, bool quiet) {
        SendMessageA(wnd, LB_RESETCONTENT, 0, 0);
        Pump();
        double t0 = Now();
        int n = static_cast<int>(reinterpret_cast<UINT_PTR>(ExtractIconA(GetModuleHandleA(nullptr), file.c_str(), static_cast<UINT>(-1))));
        if (quiet) {
            SendMessageA(wnd, WM_SETREDRAW, FALSE, 0);
            SendMessageA(wnd, LB_INITSTORAGE, n, 0);
        }
        char text[16];
        for (int i = 0; i < n; ++i) {
            std::snprintf(text, sizeof(text), "%d", i);
            SendMessageA(wnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        }
        if (quiet) {
            SendMessageA(wnd, WM_SETREDRAW, TRUE, 0);
            InvalidateRect(wnd, nullptr, TRUE);
        }
        double t = Now() - t0;
        Pump();
        return t;
    }
};

struct Library {
    std::string kind;  // "" for PE, "ne_" for NE
    int count;
    std::string path;
};

}  // namespace

int main() {
    TempDir dir;
    std::vector<Library> libraries;
    for (int n : {100, 1000, 5000}) {
        libraries.push_back({"", n, WritePeIconLibrary(dir, "pe" + std::to_string(n) + ".dll", n)});
        libraries.push_back({"ne_", n, WriteNeIconLibrary(dir, "ne" + std::to_string(n) + ".icl", n)});
    }

    ui::TForm form(nullptr);
    form.SetBounds(0, 0, 900, 700);
    auto* grid = new TIconListBox(&form);
    grid->SetBounds(10, 10, 0, 0);
    // The main window's grid: 7 x 7.
    grid->SetXIcons(7);
    grid->SetYIcons(7);
    grid->SetParent(&form);
    form.Show();
    Pump();
    RECT gridRect = grid->BoundsRect();
    OffsetRect(&gridRect, 0, gridRect.bottom + 20);
    BareListBox bare(form.Handle(), gridRect);
    Pump();

    for (const Library& lib : libraries) {
        const std::string suffix = lib.kind + std::to_string(lib.count);
        const int repeats = 21;
        const int eagerRepeats = lib.count <= 100 ? 9 : lib.count <= 1000 ? 5 : 3;

        // Load with caching against the floor, interleaved.
        std::vector<double> ours, floorQuiet, floorPlain;
        for (int r = 0; r < repeats; ++r) {
            grid->SetFileName("");
            Pump();
            double t0 = Now();
            grid->SetFileName(lib.path);
            ours.push_back(Now() - t0);
            Pump();
            floorQuiet.push_back(bare.Load(lib.path, true));
            // Adding with redrawing on recomputes the scroll bars for every item: far slower
            // (about 45 s for 5,000); measured on the small library only, to show it.
            if (lib.count <= 100 && r < 3) floorPlain.push_back(bare.Load(lib.path, false));
        }
        double floorMs = floorPlain.empty() ? Median(floorQuiet) : std::min(Median(floorQuiet), Median(floorPlain));
        double oursMs = Median(ours);

        // Loading over a grid that shows another library of the same size: the old items go first.
        std::vector<double> over;
        const Library& other = *std::find_if(libraries.begin(), libraries.end(), [&](const Library& l) {
            return l.count == lib.count && l.kind != lib.kind;
        });
        for (int r = 0; r < 3; ++r) {
            grid->SetFileName(other.path);
            Pump();
            double t0 = Now();
            grid->SetFileName(lib.path);
            over.push_back(Now() - t0);
            Pump();
        }

        // The first paint and a scroll through every column.
        grid->SetFileName("");
        Pump();
        grid->SetFileName(lib.path);
        RedrawWindow(grid->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        int afterPaint = grid->ExtractionCount();
        RECT client;
        GetClientRect(grid->Handle(), &client);
        int rows = std::max(1, static_cast<int>(client.bottom / grid->ItemHeight()));
        int fullColumns = std::max(1, static_cast<int>(client.right / grid->ColumnWidth()));
        int visible = 0;
        for (int i = 0; i < grid->ItemCount(); ++i) {
            RECT r = grid->ItemRect(i), hit;
            if (IntersectRect(&hit, &r, &client)) ++visible;
        }
        double s0 = Now();
        for (int top = 0; top < grid->ItemCount(); top += rows * fullColumns) {
            grid->SetTopIndex(top);
            UpdateWindow(grid->Handle());
        }
        grid->SetTopIndex(0);
        UpdateWindow(grid->Handle());
        double scrollMs = Now() - s0;
        int afterScroll = grid->ExtractionCount();

        // Eager against lazy loading.
        std::vector<double> eager, lazy;
        for (int r = 0; r < eagerRepeats; ++r) {
            grid->SetEnableCaching(true);
            grid->SetFileName("");
            Pump();
            double t0 = Now();
            grid->SetFileName(lib.path);
            lazy.push_back(Now() - t0);
            Pump();
            grid->SetFileName("");
            grid->SetEnableCaching(false);
            Pump();
            t0 = Now();
            grid->SetFileName(lib.path);
            eager.push_back(Now() - t0);
            Pump();
        }
        grid->SetEnableCaching(true);
        grid->SetFileName("");

        std::printf("load_vs_floor_%s: %.2f (goal: <= 1.3)\n", suffix.c_str(), oursMs / floorMs);
        std::printf("eager_vs_lazy_%s: %.0f (goal: >= 20)\n", suffix.c_str(), Median(eager) / Median(lazy));
        std::printf("extracted_after_first_paint_%s: %d (goal: %d)\n", suffix.c_str(), afterPaint,
                    std::min(49, lib.count));
        std::printf("extracted_after_full_scroll_%s: %d (goal: %d)\n", suffix.c_str(), afterScroll, lib.count);
        char plainNote[64] = "";
        if (!floorPlain.empty()) std::snprintf(plainNote, sizeof(plainNote), ", redraw on %.1f ms", Median(floorPlain));
        std::printf("# %s: load %.3f ms, floor %.3f ms (redraw off %.3f ms%s), load over a loaded grid %.1f ms, "
                    "eager %.1f ms, lazy %.3f ms, visible cells %d (%d rows x %d columns shown), scroll through %.0f ms\n",
                    suffix.c_str(), oursMs, floorMs, Median(floorQuiet),
                    plainNote,
                    Median(over), Median(eager), Median(lazy), visible, rows, (visible + rows - 1) / rows, scrollMs);
        std::fflush(stdout);
    }
    return 0;
}
