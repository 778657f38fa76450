#pragma once
// Test helpers for the shell module: an allocator that counts what it hands out, ID lists
// written byte by byte, and the lists of real folders.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "shell/IdList.h"

namespace shell_testing {

// An IMalloc over the task allocator that knows every block it gave and still owns.
class CountingMalloc : public IMalloc {
public:
    ULONG refs = 1;
    std::map<void*, SIZE_T> live;  // block -> size asked for

    ~CountingMalloc() { EXPECT_TRUE(live.empty()) << live.size() << " blocks never given back"; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    void* STDMETHODCALLTYPE Alloc(SIZE_T size) override {
        void* p = CoTaskMemAlloc(size);
        if (p) live[p] = size;
        return p;
    }
    void* STDMETHODCALLTYPE Realloc(void*, SIZE_T) override { return nullptr; }
    void STDMETHODCALLTYPE Free(void* p) override {
        if (!p) return;
        EXPECT_EQ(live.erase(p), 1u) << "freed a block this allocator does not own";
        CoTaskMemFree(p);
    }
    SIZE_T STDMETHODCALLTYPE GetSize(void* p) override { return live.count(p) ? live[p] : SIZE_T(-1); }
    int STDMETHODCALLTYPE DidAlloc(void* p) override { return live.count(p) ? 1 : 0; }
    void STDMETHODCALLTYPE HeapMinimize() override {}
};

inline LPCITEMIDLIST AsList(const std::string& bytes) { return reinterpret_cast<LPCITEMIDLIST>(bytes.data()); }

// The bytes of a list, terminator included; "" for none.
inline std::string BytesOf(LPCITEMIDLIST list) {
    return list ? std::string(reinterpret_cast<const char*>(list), shell::IdListSize(list)) : std::string();
}

// One item: its 16-bit count, then `content`.
inline std::string Item(const std::string& content) {
    const size_t cb = content.size() + 2;
    return std::string{static_cast<char>(cb & 0xFF), static_cast<char>(cb >> 8)} + content;
}
inline std::string Terminated(const std::string& items) { return items + std::string(2, '\0'); }

// The absolute ID list of an existing path; fails the test when the shell cannot parse it.
inline shell::IdList ListOf(const std::string& path) {
    shell::IdList list;
    EXPECT_EQ(shell::ParsePath(path, list), S_OK) << path;
    return list;
}

// A real file's absolute list, its parent folder and its list relative to that folder.
struct RealItem {
    explicit RealItem(const std::string& path) : absolute(ListOf(path)) {
        EXPECT_EQ(shell::SplitIdList(absolute.get(), folder, parentList, item), S_OK) << path;
    }
    shell::IdList absolute;
    ui::ComPtr<IShellFolder> folder;
    shell::IdList parentList, item;
};

}  // namespace shell_testing
