// The shell items' data object: its three blocks read back byte for byte, and a block without
// memory.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "shell/ShellDataObject.h"
#include "shell/ShellModule.h"
#include "shell/ShellTesting.h"

using namespace shell;
using namespace shell_testing;

namespace {

CLIPFORMAT IdListFormat() { return static_cast<CLIPFORMAT>(ShellIdListFormat()); }

// The bytes GetData hands out for a format (at most `length` of them); "" and the answer in
// `hr` when it hands none.
std::string DataOf(IDataObject* data, CLIPFORMAT format, size_t length, HRESULT* hr = nullptr) {
    FORMATETC f = {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    const HRESULT answer = data->GetData(&f, &medium);
    if (hr) *hr = answer;
    if (FAILED(answer)) return {};
    const SIZE_T size = std::min<SIZE_T>(GlobalSize(medium.hGlobal), length);
    std::string bytes(static_cast<const char*>(GlobalLock(medium.hGlobal)), size);
    GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(&medium);
    return bytes;
}

ui::ComPtr<IDataObject> MakeData(const std::string& parent, const std::vector<std::string>& items,
                                 const std::vector<std::string>& names, TBlockAllocator allocate = GlobalAlloc) {
    std::vector<LPCITEMIDLIST> lists;
    for (const std::string& item : items) lists.push_back(AsList(item));
    return MakeComObject<TDataObject_shtv, IDataObject>(parent.empty() ? nullptr : AsList(parent), lists, names,
                                                        allocate);
}

TEST(ShellDataObject, TheThreeBlocksHoldTheItemsInTheShellsLayouts) {
    const std::string longPath = "C:\\" + std::string(200, 'd') + "\\" + std::string(120, 'e') + "\\表ソ.txt";
    const std::string first = Terminated(Item("first")), second = Terminated(Item("表ソ"));
    const struct {
        std::string parent;  // "" for none: the desktop's empty list
        std::vector<std::string> items, names;
    } cases[] = {
        {Terminated(Item("parent-1") + Item("p2")), {first, second}, {"C:\\a\\表.txt", longPath}},
        {"", {first}, {"C:\\ソ\\x"}},
    };
    for (const auto& c : cases) {
        ui::ComPtr<IDataObject> data = MakeData(c.parent, c.items, c.names);
        // The item array: count, count + 1 offsets, then the lists.
        std::string lists = c.parent.empty() ? Terminated("") : c.parent, offsets = U32(4 * UINT(c.items.size() + 2));
        for (const std::string& item : c.items) {
            offsets += U32(4 * UINT(c.items.size() + 2) + UINT(lists.size()));
            lists += item;
        }
        const std::string ida = U32(UINT(c.items.size())) + offsets + lists;
        EXPECT_EQ(DataOf(data.get(), IdListFormat(), ida.size()), ida);
        // The file drop: header with the list at 20, no point, ANSI; the paths; one more NUL.
        std::string drop = U32(20) + U32(0) + U32(0) + U32(0) + U32(0), text;
        for (const std::string& name : c.names) {
            drop += name + '\0';
            text += name + "\r\n";
        }
        drop += '\0';
        text += '\0';
        EXPECT_EQ(DataOf(data.get(), CF_HDROP, drop.size()), drop);
        EXPECT_EQ(DataOf(data.get(), CF_TEXT, text.size()), text);
    }
}

HGLOBAL WINAPI RefuseEverything(UINT, SIZE_T) { return nullptr; }

TEST(ShellDataObject, ABlockWithoutMemoryIsOutOfMemoryNotEmptyData) {
    ui::ComPtr<IDataObject> data = MakeData("", {Terminated(Item("x"))}, {"C:\\x"}, RefuseEverything);
    for (const CLIPFORMAT format : {IdListFormat(), CLIPFORMAT(CF_HDROP), CLIPFORMAT(CF_TEXT)}) {
        HRESULT hr = S_OK;
        DataOf(data.get(), format, 1, &hr);
        EXPECT_EQ(hr, E_OUTOFMEMORY) << format;
    }
}

}  // namespace
