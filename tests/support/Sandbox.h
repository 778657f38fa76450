#pragma once
// Test isolation: a private registry and a private folder for one test, both gone afterwards.
#include <windows.h>

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace testing_support {

// Redirects HKEY_CLASSES_ROOT, HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE of this process
// to empty scratch keys until destroyed; then restores them and deletes the scratch keys.
// Wine's COM and shell keep working meanwhile. Copy real values in with CopyFromReal.
class RegistrySandbox {
public:
    RegistrySandbox();
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    // Copies one key's values (not subkeys) from the real registry into the sandbox.
    void CopyFromReal(HKEY root, const std::string& key);

private:
    std::string scratchPath_;
    HKEY realRoots_[3] = {};
};

// Reads and writes the (sandboxed) registry directly, bypassing the program's own access object.
bool RegSet(HKEY root, const std::string& key, const std::string& value, const std::string& data);
bool RegGet(HKEY root, const std::string& key, const std::string& value, std::string* data);
// The value's text, "absent" when there is none.
std::string RegText(HKEY root, const std::string& key, const std::string& value);
bool RegKeyPresent(HKEY root, const std::string& key);
bool RegValuePresent(HKEY root, const std::string& key, const std::string& value);

// One registry entry, for comparing whole trees.
struct RegEntry {
    std::string key;    // path below the root
    std::string value;  // value name, "" for the default value
    DWORD type = 0;
    std::string data;
    auto Tied() const { return std::tie(key, value, type, data); }
    bool operator==(const RegEntry& o) const { return Tied() == o.Tied(); }
    bool operator<(const RegEntry& o) const { return Tied() < o.Tied(); }
};
inline void PrintTo(const RegEntry& e, std::ostream* os) { *os << e.key << "|" << e.value << "|" << e.data; }
// Every value below `key` (inclusive), sorted; keys without values appear with type 0.
std::vector<RegEntry> RegDump(HKEY root, const std::string& key = "");

// A fresh folder in the temporary directory, removed with everything in it when destroyed.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
    // Writes bytes to a file below the folder (folders on the way are created); returns the path.
    std::string WriteFile(const std::string& name, const std::string& bytes) const;
    std::string MakeDir(const std::string& name) const;

private:
    std::string path_;
};

// The names in a folder that match a pattern ("*": all), without "." and "..", sorted.
std::vector<std::string> NamesIn(const std::string& folder, const std::string& pattern = "*");
bool FileExistsA(const std::string& path);
std::string ReadFileBytes(const std::string& path);

// Records the text of every message box shown on this thread and closes it at once with its
// default button, so that no box blocks a test. Active while the object lives.
class MessageBoxCapture {
public:
    struct Box { std::string text; };
    MessageBoxCapture();
    ~MessageBoxCapture();
    MessageBoxCapture(const MessageBoxCapture&) = delete;
    MessageBoxCapture& operator=(const MessageBoxCapture&) = delete;
    const std::vector<Box>& Boxes() const { return boxes_; }
    void Clear() { boxes_.clear(); }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp);
    HHOOK hook_ = nullptr;
    MessageBoxCapture* previous_ = nullptr;
    std::vector<Box> boxes_;
};

// A file drop as the shell hands it over: DROPFILES followed by the ANSI paths,
// double-terminated, with the drop point in client coordinates. The receiver releases it.
HGLOBAL MakeDrop(const std::vector<std::string>& paths, POINT pt);

// Dispatches the thread's pending messages (posted notes, paints, timers).
void PumpMessages(int rounds = 3);

// The system and Windows directories as the program sees them.
std::string SystemDir();
std::string WindowsDir();

}  // namespace testing_support
