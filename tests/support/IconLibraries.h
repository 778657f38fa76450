#pragma once
// Icon source files made at run time for tests and benchmarks. Icon i of every file made
// here is a 32 x 32 square of IconColor(i) inside a one-pixel black frame, so a test can
// tell by one pixel which icon was drawn.
#include <windows.h>

#include <string>

#include "support/Sandbox.h"

namespace testing_support {

// Distinct for the first 5,120 indexes; never white, black or a default system colour.
COLORREF IconColor(int index);

// File bytes.
std::string MakeIcoFile(int colorIndex);        // one icon (an .ico file)
std::string MakePeIconLibrary(int count);       // a PE32+ DLL holding `count` icon groups
std::string MakeNeIconLibrary(int count);       // a 16-bit NE library holding `count` icon groups

// The same, written below `dir`; each returns the full path.
std::string WriteIcoFile(const TempDir& dir, const std::string& name, int colorIndex = 0);
std::string WritePeIconLibrary(const TempDir& dir, const std::string& name, int count);
std::string WriteNeIconLibrary(const TempDir& dir, const std::string& name, int count);
// An existing file the platform finds no icon in (a DLL without icon resources).
std::string WriteFileWithoutIcons(const TempDir& dir, const std::string& name);

// Wine's shell32.dll in the system directory, and how many icons it holds.
std::string Shell32Path();
constexpr int kShell32IconCount = 184;

}  // namespace testing_support
