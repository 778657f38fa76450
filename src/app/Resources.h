#pragma once
// The program's own resources (res/vemlora.rc).
#include <windows.h>

// The 32 x 32 program icon; shared, never destroyed.
HICON ProgramIcon();
