#pragma once
// A guard in front of the platform's icon extraction, which faults inside this process on
// icon files whose tables point outside the file. Only headers and tables are read, each
// size and offset checked against the file's length; extraction itself stays the platform's.
#include <windows.h>

#include <cstdint>

#include "ui/Types.h"

// A file's size and last write time: a verdict about its contents stands while they are unchanged.
struct TFileStamp {
    uint64_t Size = 0;
    FILETIME LastWrite = {};
    // False, and nothing to go by, for a file whose attributes cannot be read and for a directory.
    bool Read(const ui::String& path);
    bool operator==(const TFileStamp& other) const;
};

// False for an .ico, PE or NE file whose icon structures do not lie inside the file; true for
// a sound one and for any other file (the platform finds no icons in those by itself).
bool IconFileIsSound(const ui::String& path);
