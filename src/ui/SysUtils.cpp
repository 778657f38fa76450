#include "ui/SysUtils.h"

#include <windows.h>

#include "ui/Handles.h"

namespace ui {

bool IsLeadByte(char c) { return IsDBCSLeadByte(static_cast<BYTE>(c)) != FALSE; }

namespace {

// Length of the character starting at `i`: 2 for a complete double-byte character.
size_t CharLength(const String& s, size_t i) { return IsLeadByte(s[i]) && i + 1 < s.size() ? 2 : 1; }

// "*" and "?" are no trail bytes in any double-byte code page, so a plain search is enough.
bool HasWildcard(const String& path) { return path.find_first_of("*?") != String::npos; }

bool FindEntry(const String& path, WIN32_FIND_DATAA& data) {
    if (path.empty() || HasWildcard(path)) return false;
    FindHandle find(FindFirstFileA(path.c_str(), &data));
    return static_cast<bool>(find);
}

}  // namespace

size_t LastDelimiter(const String& delimiters, const String& s) {
    size_t last = String::npos;
    for (size_t i = 0; i < s.size(); i += CharLength(s, i)) {
        if (CharLength(s, i) == 1 && delimiters.find(s[i]) != String::npos) last = i;
    }
    return last;
}

size_t AnsiPos(const String& sub, const String& s) {
    if (sub.empty() || sub.size() > s.size()) return String::npos;
    for (size_t i = 0; i + sub.size() <= s.size(); i += CharLength(s, i)) {
        if (s.compare(i, sub.size(), sub) == 0) return i;
    }
    return String::npos;
}

String ExtractFilePath(const String& path) {
    size_t i = LastDelimiter("\\:", path);
    return i == String::npos ? String() : path.substr(0, i + 1);
}

String ExtractFileName(const String& path) {
    size_t i = LastDelimiter("\\:", path);
    return i == String::npos ? path : path.substr(i + 1);
}

String ExtractFileExt(const String& path) {
    size_t i = LastDelimiter(".\\:", path);
    if (i == String::npos || path[i] != '.') return String();
    return path.substr(i);
}

String AnsiUpperCase(const String& s) {
    String out = s;
    for (size_t i = 0; i < out.size(); i += CharLength(out, i)) {
        // Only single-byte characters change; the code page's own rules decide how.
        if (CharLength(out, i) == 1 && out[i] != '\0') CharUpperBuffA(&out[i], 1);
    }
    return out;
}

String AsciiUpperCase(const String& s) {
    String out = s;
    for (size_t i = 0; i < out.size(); i += CharLength(out, i)) {
        char& c = out[i];
        if (CharLength(out, i) == 1 && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

// Wildcards are refused: "C:\\dir\\*" must not count as an existing file.
bool FileExists(const String& path) {
    WIN32_FIND_DATAA data;
    if (!FindEntry(path, data)) return false;
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool EntryExists(const String& path) {
    WIN32_FIND_DATAA data;
    return FindEntry(path, data);
}

bool DirectoryExists(const String& path) {
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring WideString(const String& text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    if (!MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], n)) return {};
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

}  // namespace ui
