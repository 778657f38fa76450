#pragma once
// A guard in front of the platform's icon extraction, which faults inside this process on
// icon files whose tables point outside the file. Only headers and tables are read, each
// size and offset checked against the file's length; extraction itself stays the platform's.
#include "ui/Types.h"

// False for an .ico, PE or NE file whose icon structures do not lie inside the file; true for
// a sound one and for any other file (the platform finds no icons in those by itself).
bool IconFileIsSound(const ui::String& path);
