#include "support/Sandbox.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>

#include "ui/Handles.h"

namespace testing_support {

namespace {

std::atomic<int> g_counter{0};

// A key opened for reading, or created for writing.
ui::KeyHandle OpenReal(HKEY parent, const std::string& path, bool create = false) {
    ui::KeyHandle key;
    if (create)
        RegCreateKeyExA(parent, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
    else
        RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, key.put());
    return key;
}

// Calls `each` with every value of a key: its name, type and data.
void ForEachValue(HKEY key, const std::function<void(const char*, DWORD, const BYTE*, DWORD)>& each) {
    char name[512];
    BYTE data[8192];
    for (DWORD i = 0, nameLen = sizeof name, type = 0, size = sizeof data;
         RegEnumValueA(key, i, name, &nameLen, nullptr, &type, data, &size) == ERROR_SUCCESS;
         ++i, nameLen = sizeof name, size = sizeof data)
        each(name, type, data, size);
}

// CreateFileA's handle, or none: its failure value is not the one the handle's owner knows.
ui::KernelHandle OpenFile(const std::string& path, DWORD access, DWORD disposition) {
    const HANDLE h =
        CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return ui::KernelHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

thread_local MessageBoxCapture* t_capture = nullptr;

const HKEY kRoots[3] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};

}  // namespace

RegistrySandbox::RegistrySandbox() {
    scratchPath_ = "Software\\VemloraTestSandbox\\" + std::to_string(GetCurrentProcessId()) + "-" +
                   std::to_string(g_counter++);
    // A run that crashed left its sandbox behind; a later process of the same number starts clean.
    SHDeleteKeyA(HKEY_CURRENT_USER, scratchPath_.c_str());
    const ui::KeyHandle scratch = OpenReal(HKEY_CURRENT_USER, scratchPath_, true);
    const char* parts[3] = {"HKCR", "HKCU", "HKLM"};
    ui::KeyHandle subs[3];
    for (int i = 0; i < 3; ++i) {
        subs[i] = OpenReal(scratch.get(), parts[i], true);
        RegOpenKeyExA(kRoots[i], "", 0, KEY_ALL_ACCESS, &realRoots_[i]);
    }
    for (int i = 0; i < 3; ++i) RegOverridePredefKey(kRoots[i], subs[i].get());
}

RegistrySandbox::~RegistrySandbox() {
    for (int i = 0; i < 3; ++i) {
        RegOverridePredefKey(kRoots[i], nullptr);
        if (realRoots_[i]) RegCloseKey(realRoots_[i]);
    }
    SHDeleteKeyA(HKEY_CURRENT_USER, scratchPath_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VemloraTestSandbox");  // only when no other sandbox is left
}

void RegistrySandbox::CopyFromReal(HKEY root, const std::string& key) {
    const ui::KeyHandle from = OpenReal(realRoots_[std::find(kRoots, kRoots + 3, root) - kRoots], key);
    const ui::KeyHandle to = from ? OpenReal(root, key, true) : ui::KeyHandle();
    if (to)
        ForEachValue(from.get(), [&](const char* name, DWORD type, const BYTE* data, DWORD size) {
            RegSetValueExA(to.get(), name, 0, type, data, size);
        });
}

bool RegSet(HKEY root, const std::string& key, const std::string& value, const std::string& data) {
    const ui::KeyHandle k = OpenReal(root, key, true);
    return k && RegSetValueExA(k.get(), value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                               static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}

bool RegGet(HKEY root, const std::string& key, const std::string& value, std::string* data) {
    char buf[8192];
    DWORD size = sizeof(buf) - 1, type = 0;
    const ui::KeyHandle k = OpenReal(root, key);
    if (!k || RegQueryValueExA(k.get(), value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) !=
                  ERROR_SUCCESS)
        return false;
    if (data) *data = std::string(buf, strnlen(buf, size));
    return true;
}

std::string RegText(HKEY root, const std::string& key, const std::string& value) {
    std::string data;
    return RegGet(root, key, value, &data) ? data : "absent";
}

bool RegKeyPresent(HKEY root, const std::string& key) { return static_cast<bool>(OpenReal(root, key)); }

bool RegValuePresent(HKEY root, const std::string& key, const std::string& value) {
    const ui::KeyHandle k = OpenReal(root, key);
    return k && RegQueryValueExA(k.get(), value.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

static void DumpInto(HKEY k, const std::string& path, std::vector<RegEntry>* out) {
    const size_t before = out->size();
    ForEachValue(k, [&](const char* name, DWORD type, const BYTE* data, DWORD size) {
        std::string text(reinterpret_cast<const char*>(data), size);
        if ((type == REG_SZ || type == REG_EXPAND_SZ) && !text.empty() && text.back() == '\0') text.pop_back();
        out->push_back({path, name, type, text});
    });
    if (out->size() == before) out->push_back({path, "", 0, ""});
    char name[512];
    for (DWORD i = 0, nameLen = sizeof name;
         RegEnumKeyExA(k, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, nameLen = sizeof name)
        if (const ui::KeyHandle sub = OpenReal(k, name))
            DumpInto(sub.get(), path.empty() ? name : path + "\\" + name, out);
}

std::vector<RegEntry> RegDump(HKEY root, const std::string& key) {
    std::vector<RegEntry> out;
    if (const ui::KeyHandle k = OpenReal(root, key)) DumpInto(k.get(), key, &out);
    std::sort(out.begin(), out.end());
    return out;
}

static void RemoveTree(const std::string& path) {
    for (const std::string& name : NamesIn(path)) {
        const std::string full = path + "\\" + name;
        const DWORD attributes = GetFileAttributesA(full.c_str());
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveTree(full);
        else
            DeleteFileA(full.c_str());
    }
    RemoveDirectoryA(path.c_str());
}

TempDir::TempDir() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    path_ = base + ("vemlora-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(g_counter++));
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
    for (size_t end = name.find('\\'); end != std::string::npos; end = name.find('\\', end + 1))
        CreateDirectoryA((*this / name.substr(0, end)).c_str(), nullptr);
    CreateDirectoryA((*this / name).c_str(), nullptr);
    return *this / name;
}

std::string TempDir::WriteFile(const std::string& name, const std::string& bytes) const {
    const size_t slash = name.rfind('\\');
    if (slash != std::string::npos) MakeDir(name.substr(0, slash));
    DWORD written = 0;
    if (const ui::KernelHandle h = OpenFile(*this / name, GENERIC_WRITE, CREATE_ALWAYS))
        ::WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return *this / name;
}

bool FileExistsA(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFileBytes(const std::string& path) {
    std::string out;
    const ui::KernelHandle h = OpenFile(path, GENERIC_READ, OPEN_EXISTING);
    char buf[65536];
    DWORD got = 0;
    while (h && ReadFile(h.get(), buf, sizeof(buf), &got, nullptr) && got > 0)
        out.append(buf, got);
    return out;
}

std::vector<std::string> NamesIn(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const ui::FindHandle find(FindFirstFileA((folder + "\\" + pattern).c_str(), &found));
    for (bool more = static_cast<bool>(find); more; more = FindNextFileA(find.get(), &found))
        if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0)
            names.push_back(found.cFileName);
    std::sort(names.begin(), names.end());
    return names;
}

MessageBoxCapture::MessageBoxCapture()
    : hook_(SetWindowsHookExA(WH_CBT, &MessageBoxCapture::Hook, nullptr, GetCurrentThreadId())), previous_(t_capture) {
    t_capture = this;
}

MessageBoxCapture::~MessageBoxCapture() {
    if (hook_) UnhookWindowsHookEx(hook_);
    t_capture = previous_;
}

LRESULT CALLBACK MessageBoxCapture::Hook(int code, WPARAM wp, LPARAM lp) {
    MessageBoxCapture* self = t_capture;
    if (code == HCBT_ACTIVATE && self) {
        const HWND wnd = reinterpret_cast<HWND>(wp);
        char cls[64] = {}, text[4096] = {};
        GetClassNameA(wnd, cls, sizeof(cls));
        // Dialogs with a file name box are file dialogs, not message boxes.
        if (std::strcmp(cls, "#32770") == 0 && !GetDlgItem(wnd, 0x47C) && !GetDlgItem(wnd, 0x480)) {
            GetDlgItemTextA(wnd, 0xFFFF, text, sizeof(text));
            self->boxes_.push_back({text});
            PostMessageA(wnd, WM_COMMAND, IDOK, 0);
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
    char* out = reinterpret_cast<char*>(df) + sizeof(DROPFILES);
    for (const std::string& p : paths) out = std::copy(p.c_str(), p.c_str() + p.size() + 1, out);
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
    return std::string(buf, GetSystemDirectoryA(buf, MAX_PATH));
}

std::string WindowsDir() {
    char buf[MAX_PATH];
    return std::string(buf, GetWindowsDirectoryA(buf, MAX_PATH));
}

}  // namespace testing_support
