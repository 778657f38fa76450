// Damaged icon files reach the platform's extraction never: they show as files without icons,
// through the real grid; sound libraries keep the platform's counts.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "components/FileIndexIcon.h"
#include "components/IconFileCheck.h"
#include "components/IconListBox.h"
#include "support/IconLibraries.h"
#include "support/Interaction.h"

using namespace testing_support;
using K = TIconFileKind;

namespace {

int PlatformCount(const std::string& path) {
    const HICON count = ExtractIconA(GetModuleHandleA(nullptr), path.c_str(), UINT(-1));
    return static_cast<int>(reinterpret_cast<UINT_PTR>(count));
}

}  // namespace

TEST(IconFileCheck, DamagedFilesHoldNoIconsThroughTheGridAndTheLoader) {
    TempDir dir;
    const std::string ico = MakeIconFile(K::Ico, 1), pe = MakeIconFile(K::Pe64, 3), ne = MakeIconFile(K::Ne, 3);
    // The made libraries' resource directory (PE) and resource table (NE) are at fixed places.
    const size_t rsrc = 0x200, neTable = 0x80;
    std::vector<TDamagedIconFile> cases = {
        {"claims255.ico", std::string("\0\0\1\0\xFF\xFF", 6)}, {"cut_dir.ico", ico.substr(0, 10)},
        {"offsetpast.ico", Patched(ico, {{6 + 12, 4, ico.size() + 100}})},
        {"sizepast.ico", Patched(ico, {{6 + 8, 4, 0xFFFFFFF0u}})}, {"cut_image.ico", ico.substr(0, ico.size() / 2)},
        {"rootcount.dll", Patched(pe, {{rsrc + 14, 2, 0xFFFF}})}, {"cut_pe.dll", pe.substr(0, rsrc + 8)},
        {"subdir_out.dll", Patched(pe, {{rsrc + 16 + 4, 4, 0xFFFFFF00u}})},
        {"loop.dll", Patched(pe, {{rsrc + 16 + 4, 4, 0x80000000u}})}, {"cut_half.dll", pe.substr(0, pe.size() / 2)},
        {"necount.icl", Patched(ne, {{neTable + 2 + 2, 2, 0xFFFF}})}, {"cut_ne.icl", ne.substr(0, neTable + 6)},
        {"neoffset.icl", Patched(ne, {{neTable + 2 + 8, 2, 0xFFFF}})},
    };
    for (const TDamagedIconFile& d : DamagedIconFiles()) cases.push_back(d);
    ShownControl<TIconListBox> grid;
    for (const auto& c : cases) {
        const std::string path = dir.WriteFile(c.name, c.bytes);
        EXPECT_FALSE(IconFileIsSound(path)) << c.name;
        grid->SetFileName(path);
        RedrawWindow(grid.Wnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        EXPECT_EQ(std::make_pair(grid->NumberOfIcons(), grid->LiveIconCount()), std::make_pair(0, 0)) << c.name;
        TFileIndexIcon loader;
        loader.SetFileName(path);
        EXPECT_EQ(loader.Handle(), nullptr) << c.name;
    }
    // Nothing to misread: an empty file and a folder go to the platform, which finds nothing.
    for (const std::string& path : {dir.WriteFile("empty.ico", ""), dir.MakeDir("folder.ico")}) {
        grid->SetFileName(path);
        EXPECT_LE(grid->NumberOfIcons(), 0) << path;
    }
}

TEST(IconFileCheck, SoundLibrariesKeepThePlatformsCounts) {
    TempDir dir;
    const std::vector<TIconImageSpec> sizes = {{16, 1}, {32, 8}, {48, 24}, {64, 32, true}};
    const std::string files[] = {
        dir.WriteFile("one.ico", MakeIconFile(K::Ico, 1)), WritePeIconLibrary(dir, "pe.dll", 7),
        WriteNeIconLibrary(dir, "ne.icl", 5), dir.WriteFile("sizes.ico", MakeIconFile(K::Ico, 1, sizes)),
        dir.WriteFile("pe32.dll", MakeIconFile(K::Pe32, 3, sizes)), Shell32Path(), SystemDir() + "\\user32.dll",
        dir.WriteFile("sizes.icl", MakeIconFile(K::Ne, 2, sizes))};
    for (const std::string& path : files) {
        EXPECT_TRUE(IconFileIsSound(path)) << path;
        EXPECT_GT(PlatformCount(path), 0) << path;
        EXPECT_EQ(IconSourceCount(path), PlatformCount(path)) << path;
    }
    // A file changed in place is checked again, not taken from the last verdict.
    const std::string path = dir.WriteFile("changing.ico", MakeIconFile(K::Ico, 1));
    ASSERT_TRUE(IconFileIsSound(path));
    dir.WriteFile("changing.ico", std::string("\0\0\1\0\xFF\xFF", 6));
    EXPECT_FALSE(IconFileIsSound(path));
}
