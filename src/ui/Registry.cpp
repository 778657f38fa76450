#include "ui/Registry.h"

#include <vector>

namespace ui {

namespace {

// A leading "\" names the key from the root; the system calls want it without.
String StripLeadingBackslash(const String& key) {
    size_t i = 0;
    while (i < key.size() && key[i] == '\\') ++i;
    return key.substr(i);
}

// Deletes `name` below `parent` after all its subkeys, depth first.
bool DeleteTree(HKEY parent, const String& name) {
    KeyHandle key;
    if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ | KEY_WRITE | DELETE, key.put()) != ERROR_SUCCESS)
        return false;
    // Collect the names first: deleting while enumerating shifts the indexes.
    std::vector<String> children;
    DWORD count = 0, maxLen = 0;
    if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &count, &maxLen, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        std::vector<char> buf(maxLen + 2);
        for (DWORD i = 0;; ++i) {
            DWORD len = static_cast<DWORD>(buf.size());
            LONG rc = RegEnumKeyExA(key.get(), i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr);
            if (rc == ERROR_MORE_DATA) {
                buf.resize(buf.size() * 2 + 256);
                --i;
                continue;
            }
            if (rc != ERROR_SUCCESS) break;
            children.emplace_back(buf.data(), len);
        }
    }
    for (const String& child : children) DeleteTree(key.get(), child);
    key.reset();
    return RegDeleteKeyA(parent, name.c_str()) == ERROR_SUCCESS;
}

}  // namespace

TRegistry::TRegistry() : root_(HKEY_CURRENT_USER) {}

TRegistry::TRegistry(HKEY root) : root_(root) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY root) {
    if (root == root_) return;
    CloseKey();
    root_ = root;
}

bool TRegistry::OpenKey(const String& key, bool canCreate) {
    CloseKey();
    String path = StripLeadingBackslash(key);
    HKEY opened = nullptr;
    LONG rc;
    if (canCreate) {
        rc = RegCreateKeyExA(root_, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                             &opened, nullptr);
        if (rc == ERROR_ACCESS_DENIED)
            rc = RegCreateKeyExA(root_, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ, nullptr,
                                 &opened, nullptr);
    } else {
        rc = RegOpenKeyExA(root_, path.c_str(), 0, KEY_ALL_ACCESS, &opened);
        if (rc == ERROR_ACCESS_DENIED) rc = RegOpenKeyExA(root_, path.c_str(), 0, KEY_READ, &opened);
    }
    if (rc != ERROR_SUCCESS) return false;
    key_.reset(opened);
    path_ = path;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const String& key) {
    CloseKey();
    String path = StripLeadingBackslash(key);
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root_, path.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    key_.reset(opened);
    path_ = path;
    return true;
}

void TRegistry::CloseKey() {
    key_.reset();
    path_.clear();
}

// Values need an open key: a failed OpenKey must never turn into a write at the root.
String TRegistry::ReadString(const String& name) const {
    if (!key_) return String();
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type, nullptr, &size);
    for (int attempt = 0; attempt < 4 && (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA); ++attempt) {
        if (type != REG_SZ && type != REG_EXPAND_SZ) return String();
        std::vector<char> buf(size + 1);
        DWORD got = size;
        rc = RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &got);
        if (rc == ERROR_SUCCESS) {
            if (type != REG_SZ && type != REG_EXPAND_SZ) return String();
            buf[got < buf.size() ? got : buf.size() - 1] = '\0';
            return String(buf.data());  // up to the first terminator
        }
        size = got > size ? got : size * 2 + 16;  // the value grew in between
    }
    return String();
}

bool TRegistry::WriteString(const String& name, const String& value) {
    if (!key_) return false;
    return RegSetValueExA(key_.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool TRegistry::ValueExists(const String& name) const {
    if (!key_) return false;
    return RegQueryValueExA(key_.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool TRegistry::DeleteValue(const String& name) {
    if (!key_) return false;
    return RegDeleteValueA(key_.get(), name.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::KeyExists(const String& key) const {
    HKEY base = !key.empty() && key[0] == '\\' ? root_ : BaseKey();
    String path = StripLeadingBackslash(key);
    HKEY probe = nullptr;
    if (RegOpenKeyExA(base, path.c_str(), 0, KEY_READ, &probe) != ERROR_SUCCESS) return false;
    RegCloseKey(probe);
    return true;
}

bool TRegistry::HasSubKeys() const {
    DWORD count = 0;
    if (RegQueryInfoKeyA(BaseKey(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    return count > 0;
}

bool TRegistry::DeleteKey(const String& key) {
    HKEY base = !key.empty() && key[0] == '\\' ? root_ : BaseKey();
    String path = StripLeadingBackslash(key);
    // An empty name would mean the base key itself, which is not ours to delete here.
    if (path.empty()) return false;
    return DeleteTree(base, path);
}

}  // namespace ui
