#pragma once
// The registry access object: one root key, at most one open key, closed by
// CloseKey or when the object goes away (also on error).
#include <windows.h>

#include "ui/Handles.h"
#include "ui/Types.h"

namespace ui {

class TRegistry {
public:
    TRegistry();  // root HKEY_CURRENT_USER
    explicit TRegistry(HKEY root);
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const { return root_; }
    void SetRootKey(HKEY root);  // closes an open key
    HKEY CurrentKey() const { return key_.get(); }
    const String& CurrentPath() const { return path_; }

    // Opens `key` below the root (a leading "\" is allowed), creating it when `canCreate`.
    // Asks for full access first and for read access if that is refused. False when it
    // can be neither opened nor created.
    bool OpenKey(const String& key, bool canCreate);
    bool OpenKeyReadOnly(const String& key);
    void CloseKey();

    // Values of the open key; the empty name is the key's default value.
    String ReadString(const String& name) const;  // empty when absent or not a string
    bool WriteString(const String& name, const String& value);  // REG_SZ; false on failure
    bool ValueExists(const String& name) const;
    bool DeleteValue(const String& name);

    // Relative to the open key, or to the root when none is open.
    bool KeyExists(const String& key) const;
    bool HasSubKeys() const;
    // Deletes `key` with all its subkeys, depth first. True when `key` itself was deleted.
    bool DeleteKey(const String& key);

private:
    HKEY BaseKey() const { return key_ ? key_.get() : root_; }

    HKEY root_;
    KeyHandle key_;
    String path_;
};

}  // namespace ui
