// The shell items' data object: its three blocks read back byte for byte, its answers to
// questions about formats and media, its format enumerators, and a block without memory.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "shell/ShellDataObject.h"
#include "shell/ShellModule.h"
#include "shell/ShellTesting.h"

using namespace shell;
using namespace shell_testing;

namespace {

std::string U32(UINT v) { return std::string(reinterpret_cast<const char*>(&v), sizeof v); }

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
HGLOBAL WINAPI RefuseFixed(UINT flags, SIZE_T bytes) { return (flags & GMEM_MOVEABLE) ? GlobalAlloc(flags, bytes) : nullptr; }

TEST(ShellDataObject, ABlockWithoutMemoryStaysEmptyAndItsDataIsOutOfMemory) {
    const struct {
        TBlockAllocator allocate;
        HRESULT idList, drop, text;
    } cases[] = {
        {RefuseEverything, E_OUTOFMEMORY, E_OUTOFMEMORY, E_OUTOFMEMORY},
        {RefuseFixed, S_OK, S_OK, E_OUTOFMEMORY},  // the text block is the fixed one
    };
    for (const auto& c : cases) {
        ui::ComPtr<IDataObject> data = MakeData("", {Terminated(Item("x"))}, {"C:\\x"}, c.allocate);
        const CLIPFORMAT formats[] = {IdListFormat(), CF_HDROP, CF_TEXT};
        const HRESULT expected[] = {c.idList, c.drop, c.text};
        for (int i = 0; i < 3; ++i) {
            HRESULT hr = E_FAIL;
            DataOf(data.get(), formats[i], 1, &hr);
            EXPECT_EQ(hr, expected[i]) << formats[i];
        }
    }
}

TEST(ShellDataObject, FormatsAreAnsweredAndEnumeratedAsAsked) {
    ui::ComPtr<IDataObject> data = MakeData("", {Terminated(Item("x"))}, {"C:\\x"});
    const struct {
        CLIPFORMAT format;
        DWORD aspect, tymed;
        HRESULT expected;
    } cases[] = {
        {CF_HDROP, DVASPECT_CONTENT, TYMED_HGLOBAL | TYMED_ISTREAM, S_OK},
        {CF_TEXT, DVASPECT_THUMBNAIL, TYMED_HGLOBAL, DV_E_FORMATETC},
        {CF_TEXT, DVASPECT_CONTENT, TYMED_ISTREAM, DV_E_TYMED},
        {CF_UNICODETEXT, DVASPECT_CONTENT, TYMED_HGLOBAL, DV_E_FORMATETC},
    };
    for (const auto& c : cases) {
        FORMATETC f = {c.format, nullptr, c.aspect, -1, c.tymed};
        STGMEDIUM medium = {};
        EXPECT_EQ(data->GetData(&f, &medium), c.expected) << c.format << " " << c.aspect << " " << c.tymed;
        if (medium.hGlobal) ReleaseStgMedium(&medium);
    }
    ui::ComPtr<IEnumFORMATETC> e, clone;
    ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, e.put()), S_OK);
    data.reset();  // the enumerator keeps the list
    EXPECT_EQ(e->Skip(1), S_OK);
    ASSERT_EQ(e->Clone(clone.put()), S_OK);
    FORMATETC f[3] = {};
    ULONG fetched = 0;
    for (IEnumFORMATETC* each : {e.get(), clone.get()}) {
        EXPECT_EQ(each->Next(3, f, &fetched), S_FALSE);
        EXPECT_EQ(std::make_pair(fetched, f[1].cfFormat), std::make_pair(2ul, CLIPFORMAT(CF_TEXT)));
    }
    EXPECT_EQ(e->Next(2, f, nullptr), E_POINTER);  // several need a count to say how many came
}

}  // namespace
