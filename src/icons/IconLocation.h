#pragma once
// Icon location strings ("file,index") as the registry's DefaultIcon values hold them,
// and the system paths the default locations are built from.
#include "ui/Types.h"

namespace icons {

// The Windows and system directories, without a trailing "\" (unless a drive root).
// Never truncated: a directory longer than the usual buffer is read in full.
ui::String GetWindowsDir();
ui::String GetSystemDir();
// GetSystemDir() + "\shell32.dll".
ui::String GetShell32Path();
// "ProgramFilesDir" of HKLM "Software\Microsoft\Windows\CurrentVersion"; empty when unreadable.
ui::String GetProgramFilesDir();
// The first installed mail program that supplies the Inbox icon, else GetShell32Path().
// Callers pair it with index 0.
ui::String FindInboxProgram();

// file + "," + index in decimal: the form every written location takes.
ui::String MakeIconLocation(const ui::String& file, int index);

// Splits a stored location into its file and index. Accepts a location without a comma
// (index 0), the token "%SYSTEMROOT%" in any case (the location is then upper-cased and
// the Windows directory put in place of the token) and a leading "\" (system directory).
// True when the file part names an existing file. Otherwise, also when the index part is
// not an integer, the result is false, `splitFile` holds the whole adjusted location and
// `splitIndex` 0; for an empty location `splitFile` is empty.
bool SplitIconLocation(const ui::String& location, ui::String& splitFile, int& splitIndex);

}  // namespace icons
