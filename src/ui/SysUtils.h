#pragma once
#include <string>
// String and file helpers over ANSI byte strings. Every scan for a delimiter skips the
// trail bytes of double-byte characters, whose codes may equal "\" or "," (表, ソ).
#include "ui/Types.h"

namespace ui {

bool IsLeadByte(char c);

// Index of the last byte of `s` that is one of `delimiters` and not a trail byte; npos if none.
size_t LastDelimiter(const String& delimiters, const String& s);
// Index of the first occurrence of `sub` in `s` starting on a character boundary; npos if none.
size_t AnsiPos(const String& sub, const String& s);

// Everything up to and including the last "\" or ":" (empty when there is neither).
String ExtractFilePath(const String& path);
// Everything after the last "\" or ":".
String ExtractFileName(const String& path);
// From the last "." that stands after the last "\" or ":" to the end; empty when there is none.
String ExtractFileExt(const String& path);

// Upper case by the rules of the system's ANSI code page (double-byte characters untouched).
String AnsiUpperCase(const String& s);
// Upper case of the ASCII letters only.
String AsciiUpperCase(const String& s);

// The file test: a search for the exact name finds an entry that is not a directory.
bool FileExists(const String& path);
// The entry search: a search for the name with every attribute class allowed finds any
// entry, directories included.
bool EntryExists(const String& path);
// Whether the path names an existing directory (false for an empty path).
bool DirectoryExists(const String& path);
// The text in UTF-16, whole (empty when the code page cannot convert it).
std::wstring WideString(const String& text);

}  // namespace ui
