#pragma once
// Icon source files made at run time for tests, benchmarks and the fuzz campaign. Icon i of every
// file made here is a square of IconColor(i) inside a one-pixel black frame (32 x 32 unless asked
// otherwise), so a test can tell by one pixel which icon was drawn.
#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "support/Sandbox.h"

namespace testing_support {

// Distinct for the first 5,120 indexes; never white, black or a default system colour.
COLORREF IconColor(int index);

// One image of an icon: its side in pixels, its colour depth in bits (1, 4, 8, 24 or 32) and
// whether it is stored as a PNG (32-bit) instead of a bitmap.
struct TIconImageSpec {
    int side = 32;
    int bpp = 4;
    bool png = false;
};
enum class TIconFileKind { Ico, Pe32, Pe64, Ne };
// A file of `kind`: an .ico file holds one icon, the libraries `count` icon groups; every icon is
// made of `images`.
std::string MakeIconFile(TIconFileKind kind, int count,
                         const std::vector<TIconImageSpec>& images = std::vector<TIconImageSpec>(1));

// Libraries of `count` icons made of one 32 x 32 image, written below `dir`: a PE32+ DLL and a
// 16-bit NE library; each returns the full path.
std::string WritePeIconLibrary(const TempDir& dir, const std::string& name, int count);
std::string WriteNeIconLibrary(const TempDir& dir, const std::string& name, int count);
// An existing file the platform finds no icon in (a DLL without icon resources).
std::string WriteFileWithoutIcons(const TempDir& dir, const std::string& name);

// `bytes` with little-endian numbers written over them (or past their end, which they grow to).
struct TBytesField {
    size_t at;
    int width;
    std::uint64_t value;
};
std::string Patched(std::string bytes, std::initializer_list<TBytesField> fields);

// One small file of each kind of damage that once ended the program inside the platform's icon
// extraction: a name telling the damage, and the bytes.
struct TDamagedIconFile {
    std::string name;
    std::string bytes;
};
std::vector<TDamagedIconFile> DamagedIconFiles();

// Wine's shell32.dll in the system directory.
std::string Shell32Path();

}  // namespace testing_support
