#include "support/Sandbox.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

namespace testing_support {

namespace {

std::atomic<int> g_counter{0};

HKEY CreateReal(HKEY parent, const std::string& path) {
    HKEY key = nullptr;
    RegCreateKeyExA(parent, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return key;
}

void CopyValues(HKEY from, HKEY to) {
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD nameLen = sizeof(name), type = 0, size = 0;
        BYTE data[8192];
        size = sizeof(data);
        if (RegEnumValueA(from, i, name, &nameLen, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        RegSetValueExA(to, name, 0, type, data, size);
    }
}

thread_local MessageBoxCapture* t_capture = nullptr;

}  // namespace

RegistrySandbox::RegistrySandbox() {
    char name[96];
    std::snprintf(name, sizeof(name), "Software\\VemloraTestSandbox\\%lu-%d", GetCurrentProcessId(),
                  g_counter++);
    scratchPath_ = name;
    // A run that crashed left its sandbox behind; a later process of the same number starts clean.
    SHDeleteKeyA(HKEY_CURRENT_USER, scratchPath_.c_str());
    scratch_ = CreateReal(HKEY_CURRENT_USER, scratchPath_);
    const char* parts[3] = {"HKCR", "HKCU", "HKLM"};
    HKEY roots[3] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
    HKEY subs[3];
    for (int i = 0; i < 3; ++i) {
        subs[i] = CreateReal(scratch_, parts[i]);
        RegOpenKeyExA(roots[i], "", 0, KEY_ALL_ACCESS, &realRoots_[i]);
    }
    for (int i = 0; i < 3; ++i) {
        RegOverridePredefKey(roots[i], subs[i]);
        RegCloseKey(subs[i]);
    }
}

RegistrySandbox::~RegistrySandbox() {
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    for (HKEY k : realRoots_)
        if (k) RegCloseKey(k);
    if (scratch_) RegCloseKey(scratch_);
    SHDeleteKeyA(HKEY_CURRENT_USER, scratchPath_.c_str());
    HKEY parent = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_ALL_ACCESS, &parent) == ERROR_SUCCESS) {
        RegDeleteKeyA(parent, "VemloraTestSandbox");  // only when no other sandbox is left
        RegCloseKey(parent);
    }
}

void RegistrySandbox::CopyFromReal(HKEY root, const std::string& key) {
    int i = root == HKEY_CLASSES_ROOT ? 0 : root == HKEY_CURRENT_USER ? 1 : 2;
    HKEY from = nullptr;
    if (RegOpenKeyExA(realRoots_[i], key.c_str(), 0, KEY_READ, &from) != ERROR_SUCCESS) return;
    HKEY to = CreateReal(root, key);
    if (to) {
        CopyValues(from, to);
        RegCloseKey(to);
    }
    RegCloseKey(from);
}

bool RegSet(HKEY root, const std::string& key, const std::string& value, const std::string& data) {
    HKEY k = CreateReal(root, key);
    if (!k) return false;
    LONG rc = RegSetValueExA(k, value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>(data.size() + 1));
    RegCloseKey(k);
    return rc == ERROR_SUCCESS;
}

bool RegGet(HKEY root, const std::string& key, const std::string& value, std::string* data) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    char buf[8192];
    DWORD size = sizeof(buf) - 1, type = 0;
    LONG rc = RegQueryValueExA(k, value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(k);
    if (rc != ERROR_SUCCESS) return false;
    buf[size] = 0;
    if (data) *data = std::string(buf, strnlen(buf, size));
    return true;
}

bool RegKeyPresent(HKEY root, const std::string& key) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

bool RegValuePresent(HKEY root, const std::string& key, const std::string& value) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    LONG rc = RegQueryValueExA(k, value.c_str(), nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(k);
    return rc == ERROR_SUCCESS;
}

bool RegEntry::operator<(const RegEntry& o) const {
    if (key != o.key) return key < o.key;
    if (value != o.value) return value < o.value;
    if (type != o.type) return type < o.type;
    return data < o.data;
}

static void DumpInto(HKEY k, const std::string& path, std::vector<RegEntry>* out) {
    bool any = false;
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD nameLen = sizeof(name), type = 0;
        BYTE data[8192];
        DWORD size = sizeof(data);
        if (RegEnumValueA(k, i, name, &nameLen, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        std::string text(reinterpret_cast<char*>(data), size);
        if ((type == REG_SZ || type == REG_EXPAND_SZ) && !text.empty() && text.back() == '\0') text.pop_back();
        out->push_back({path, name, type, text});
        any = true;
    }
    if (!any) out->push_back({path, "", 0, ""});
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD nameLen = sizeof(name);
        if (RegEnumKeyExA(k, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY sub = nullptr;
        if (RegOpenKeyExA(k, name, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
            DumpInto(sub, path.empty() ? name : path + "\\" + name, out);
            RegCloseKey(sub);
        }
    }
}

std::vector<RegEntry> RegDump(HKEY root, const std::string& key) {
    std::vector<RegEntry> out;
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return out;
    DumpInto(k, key, &out);
    RegCloseKey(k);
    std::sort(out.begin(), out.end());
    return out;
}

TempDir::TempDir() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    char name[MAX_PATH + 64];
    std::snprintf(name, sizeof(name), "%svemlora-test-%lu-%d", base, GetCurrentProcessId(), g_counter++);
    path_ = name;
    CreateDirectoryA(path_.c_str(), nullptr);
}

TempDir::~TempDir() {
    // An open dialog makes the folder it opened from the process's current folder, which cannot be
    // removed while it is: step out of the sandbox first.
    char current[MAX_PATH];
    const DWORD n = GetCurrentDirectoryA(MAX_PATH, current);
    if (n > 0 && n < MAX_PATH && _strnicmp(current, path_.c_str(), path_.size()) == 0) {
        GetTempPathA(MAX_PATH, current);
        SetCurrentDirectoryA(current);
    }
    RemoveTree(path_);
}

std::string TempDir::MakeDir(const std::string& name) const {
    std::string full = path_;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('\\', start);
        if (end == std::string::npos) end = name.size();
        full += "\\" + name.substr(start, end - start);
        CreateDirectoryA(full.c_str(), nullptr);
        start = end + 1;
    }
    return full;
}

std::string TempDir::WriteFile(const std::string& name, const std::string& bytes) const {
    size_t slash = name.rfind('\\');
    if (slash != std::string::npos) MakeDir(name.substr(0, slash));
    std::string full = path_ + "\\" + name;
    HANDLE h = CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(h);
    }
    return full;
}

bool RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string n = fd.cFileName;
            if (n == "." || n == "..") continue;
            std::string full = path + "\\" + n;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    return RemoveDirectoryA(path.c_str()) != 0;
}

std::wstring WideText(const std::string& ansi) {
    std::wstring wide(ansi.size() + 1, L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, &wide[0], static_cast<int>(wide.size())) - 1);
    return wide;
}

bool FileExistsA(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFileBytes(const std::string& path) {
    std::string out;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return out;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof(buf), &got, nullptr) && got > 0) out.append(buf, got);
    CloseHandle(h);
    return out;
}

std::vector<std::string> NamesIn(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\" + pattern).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

MessageBoxCapture::MessageBoxCapture() {
    previous_ = t_capture;
    t_capture = this;
    hook_ = SetWindowsHookExA(WH_CBT, &MessageBoxCapture::Hook, nullptr, GetCurrentThreadId());
}

MessageBoxCapture::~MessageBoxCapture() {
    if (hook_) UnhookWindowsHookEx(hook_);
    t_capture = previous_;
}

LRESULT CALLBACK MessageBoxCapture::Hook(int code, WPARAM wp, LPARAM lp) {
    MessageBoxCapture* self = t_capture;
    if (code == HCBT_ACTIVATE && self) {
        HWND wnd = reinterpret_cast<HWND>(wp);
        char cls[64] = {};
        GetClassNameA(wnd, cls, sizeof(cls));
        // Dialogs with a file name box are file dialogs, not message boxes.
        bool fileDialog = GetDlgItem(wnd, 0x47C) || GetDlgItem(wnd, 0x480);
        if (std::string(cls) == "#32770" && !fileDialog) {
            char text[4096] = {};
            GetDlgItemTextA(wnd, 0xFFFF, text, sizeof(text));
            self->boxes_.push_back({text});
            PostMessageA(wnd, WM_COMMAND, self->answer_, 0);
        }
    }
    return CallNextHookEx(self ? self->hook_ : nullptr, code, wp, lp);
}

HGLOBAL MakeDrop(const std::vector<std::string>& paths, POINT pt) {
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& p : paths) size += p.size() + 1;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* df = static_cast<DROPFILES*>(GlobalLock(h));
    df->pFiles = sizeof(DROPFILES);
    df->pt = pt;
    df->fNC = FALSE;
    df->fWide = FALSE;
    char* out = reinterpret_cast<char*>(df) + sizeof(DROPFILES);
    for (const std::string& p : paths) {
        std::memcpy(out, p.c_str(), p.size() + 1);
        out += p.size() + 1;
    }
    GlobalUnlock(h);
    return h;
}

void PumpMessages(int rounds) {
    for (int i = 0; i < rounds; ++i) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (i + 1 < rounds) Sleep(1);
    }
}

std::string SystemDir() {
    char buf[MAX_PATH];
    UINT n = GetSystemDirectoryA(buf, MAX_PATH);
    return std::string(buf, n);
}

std::string WindowsDir() {
    char buf[MAX_PATH];
    UINT n = GetWindowsDirectoryA(buf, MAX_PATH);
    return std::string(buf, n);
}

}  // namespace testing_support
