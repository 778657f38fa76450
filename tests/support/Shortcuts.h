#pragma once
// Shortcut files written and read through the shell's own shortcut object, apart from the
// program's: what a test compares the program's files with.
#include <windows.h>

#include <ostream>
#include <string>
#include <tuple>

namespace testing_support {

struct ShortcutFields {
    std::string description, target, workingDir, arguments, iconFile;  // no target: the Control Panel
    int iconIndex = 0;
    WORD hotKey = 0;
    auto Tied() const { return std::tie(description, target, workingDir, arguments, iconFile, iconIndex, hotKey); }
    bool operator==(const ShortcutFields& o) const { return Tied() == o.Tied(); }
    bool operator!=(const ShortcutFields& o) const { return !(*this == o); }
};
void PrintTo(const ShortcutFields& f, std::ostream* os);

// A program every system has, for shortcuts to point at.
std::string Notepad();

// Saves `f` at `path`; no icon location when `f.iconFile` is empty. False when the shell's
// object could not save it.
bool WriteShortcut(const std::string& path, const ShortcutFields& f);
// What the file holds, read with buffers larger than any field; empty fields when the shell's
// object cannot load it.
ShortcutFields ReadShortcut(const std::string& path);

}  // namespace testing_support
