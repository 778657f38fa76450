// The shell items' data object: its three blocks read back byte for byte, its answers to
// questions about formats and media, and its format enumerators.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell/ShellDataObject.h"
#include "shell/ShellModule.h"
#include "shell/ShellTesting.h"
#include "support/Sandbox.h"

using namespace shell;
using namespace shell_testing;

namespace {

std::string U32(UINT v) { return std::string(reinterpret_cast<const char*>(&v), sizeof v); }

CLIPFORMAT IdListFormat() { return static_cast<CLIPFORMAT>(ShellIdListFormat()); }

FORMATETC Format(CLIPFORMAT format, DWORD aspect = DVASPECT_CONTENT, DWORD tymed = TYMED_HGLOBAL) {
    return FORMATETC{format, nullptr, aspect, -1, tymed};
}

// The bytes GetData hands out for a format (at most `length` of them when given); "" and the
// answer in `hr` when it hands none.
std::string DataOf(IDataObject* data, CLIPFORMAT format, HRESULT* hr = nullptr, size_t length = 0) {
    FORMATETC f = Format(format);
    STGMEDIUM medium = {};
    const HRESULT answer = data->GetData(&f, &medium);
    if (hr) *hr = answer;
    if (FAILED(answer)) return {};
    EXPECT_EQ(medium.tymed, DWORD(TYMED_HGLOBAL));
    EXPECT_EQ(medium.pUnkForRelease, nullptr);
    SIZE_T size = GlobalSize(medium.hGlobal);
    if (length && length < size) size = length;
    const char* p = static_cast<const char*>(GlobalLock(medium.hGlobal));
    std::string bytes(p, size);
    GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(&medium);
    return bytes;
}

// The paths of a file-drop block, read as a receiver reads them.
std::vector<std::string> DropPaths(IDataObject* data) {
    FORMATETC f = Format(CF_HDROP);
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&f, &medium))) return {};
    std::vector<std::string> paths;
    HDROP drop = static_cast<HDROP>(medium.hGlobal);
    for (UINT i = 0, n = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0); i < n; ++i) {
        std::string path(DragQueryFileA(drop, i, nullptr, 0) + 1, '\0');
        path.resize(DragQueryFileA(drop, i, &path[0], static_cast<UINT>(path.size())));
        paths.push_back(path);
    }
    ReleaseStgMedium(&medium);
    return paths;
}

struct Items {
    std::string parent;  // bytes of the parent's list; "" for none
    std::vector<std::string> items;
    std::vector<std::string> names;
};

ui::ComPtr<IDataObject> MakeData(const Items& c, TBlockAllocator allocate = GlobalAlloc) {
    std::vector<LPCITEMIDLIST> lists;
    for (const std::string& item : c.items) lists.push_back(AsList(item));
    return MakeComObject<TDataObject_shtv, IDataObject>(c.parent.empty() ? nullptr : AsList(c.parent), lists,
                                                        c.names, allocate);
}

const std::string kLongPath = "C:\\" + std::string(200, 'd') + "\\" + std::string(120, 'e') + "\\表ソ.txt";

TEST(ShellDataObject, TheThreeBlocksHoldTheItemsInTheShellsLayouts) {
    const std::string parent = Terminated(Item("parent-1") + Item("p2"));
    const std::string first = Terminated(Item("first")), second = Terminated(Item("表ソ"));
    const Items cases[] = {
        {parent, {first, second}, {"C:\\a\\表.txt", kLongPath}},
        {"", {first}, {"C:\\ソ\\x"}},  // no parent: the desktop's empty list
    };
    for (const Items& c : cases) {
        ui::ComPtr<IDataObject> data = MakeData(c);
        const std::string parentBytes = c.parent.empty() ? std::string(2, '\0') : c.parent;
        // The item array: count, count + 1 offsets, then the lists.
        std::string lists = parentBytes, offsets = U32(4 * UINT(c.items.size() + 2));
        for (const std::string& item : c.items) {
            offsets += U32(4 * UINT(c.items.size() + 2) + UINT(lists.size()));
            lists += item;
        }
        const std::string ida = U32(UINT(c.items.size())) + offsets + lists;
        EXPECT_EQ(DataOf(data.get(), IdListFormat(), nullptr, ida.size()), ida);
        // The file drop: header with the list at 20, no point, ANSI; the paths; one more NUL.
        std::string drop = U32(20) + U32(0) + U32(0) + U32(0) + U32(0);
        std::string text;
        for (const std::string& name : c.names) {
            drop += name + '\0';
            text += name + "\r\n";
        }
        drop += '\0';
        text += '\0';
        EXPECT_EQ(DataOf(data.get(), CF_HDROP, nullptr, drop.size()), drop);
        EXPECT_EQ(DropPaths(data.get()), c.names);
        EXPECT_EQ(DataOf(data.get(), CF_TEXT, nullptr, text.size()), text);
    }
}

TEST(ShellDataObject, FormatsAndMediaAreAnsweredAsAsked) {
    ui::ComPtr<IDataObject> data = MakeData({"", {Terminated(Item("x"))}, {"C:\\x"}});
    const struct {
        CLIPFORMAT format;
        DWORD aspect, tymed;
        HRESULT expected;
    } cases[] = {
        {IdListFormat(), DVASPECT_CONTENT, TYMED_HGLOBAL, S_OK},
        {CF_HDROP, DVASPECT_CONTENT, TYMED_HGLOBAL | TYMED_ISTREAM, S_OK},
        {CF_TEXT, DVASPECT_CONTENT, TYMED_HGLOBAL, S_OK},
        {CF_TEXT, DVASPECT_THUMBNAIL, TYMED_HGLOBAL, DV_E_FORMATETC},
        {CF_HDROP, DVASPECT_ICON, TYMED_HGLOBAL, DV_E_FORMATETC},
        {CF_TEXT, DVASPECT_CONTENT, TYMED_ISTREAM, DV_E_TYMED},
        {IdListFormat(), DVASPECT_CONTENT, TYMED_FILE | TYMED_GDI, DV_E_TYMED},
        {CF_BITMAP, DVASPECT_CONTENT, TYMED_HGLOBAL, DV_E_FORMATETC},
        {CF_UNICODETEXT, DVASPECT_CONTENT, TYMED_HGLOBAL, DV_E_FORMATETC},
    };
    for (const auto& c : cases) {
        FORMATETC f = Format(c.format, c.aspect, c.tymed);
        EXPECT_EQ(data->QueryGetData(&f), c.expected) << c.format << " " << c.aspect << " " << c.tymed;
        STGMEDIUM medium = {};
        const HRESULT got = data->GetData(&f, &medium);
        EXPECT_EQ(got, c.expected) << c.format;
        if (SUCCEEDED(got)) {
            EXPECT_EQ(medium.tymed, DWORD(TYMED_HGLOBAL));
            ReleaseStgMedium(&medium);
        } else {
            EXPECT_EQ(medium.hGlobal, nullptr);
        }
    }
    FORMATETC f = Format(CF_TEXT);
    STGMEDIUM medium = {};
    FORMATETC canonical = Format(CF_TEXT);
    canonical.ptd = reinterpret_cast<DVTARGETDEVICE*>(1);
    EXPECT_EQ(data->GetCanonicalFormatEtc(&f, &canonical), E_NOTIMPL);
    EXPECT_EQ(canonical.ptd, nullptr);
    EXPECT_EQ(data->GetDataHere(&f, &medium), E_NOTIMPL);
    EXPECT_EQ(data->SetData(&f, &medium, FALSE), E_NOTIMPL);
    DWORD connection = 0;
    ui::ComPtr<IEnumSTATDATA> advises;
    EXPECT_EQ(data->DAdvise(&f, 0, nullptr, &connection), OLE_E_ADVISENOTSUPPORTED);
    EXPECT_EQ(data->DUnadvise(1), OLE_E_ADVISENOTSUPPORTED);
    EXPECT_EQ(data->EnumDAdvise(advises.put()), OLE_E_ADVISENOTSUPPORTED);
}

TEST(ShellDataObject, AnswersItsOwnInterfaceAndIUnknownOnlyAndFreesItselfAtTheLastRelease) {
    ui::ComPtr<IDataObject> data = MakeData({"", {}, {}});
    const struct {
        const IID* iid;
        HRESULT expected;
    } cases[] = {{&IID_IUnknown, S_OK}, {&IID_IDataObject, S_OK}, {&IID_IDropTarget, E_NOINTERFACE},
                 {&IID_IEnumFORMATETC, E_NOINTERFACE}};
    for (const auto& c : cases) {
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(data->QueryInterface(*c.iid, &out), c.expected);
        if (out && c.expected == S_OK) static_cast<IUnknown*>(out)->Release();
        else EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(data->AddRef(), 2u);
    EXPECT_EQ(data->Release(), 1u);
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
        ui::ComPtr<IDataObject> data = MakeData({"", {Terminated(Item("x"))}, {"C:\\x"}}, c.allocate);
        HRESULT hr = E_FAIL;
        DataOf(data.get(), IdListFormat(), &hr);
        EXPECT_EQ(hr, c.idList);
        DataOf(data.get(), CF_HDROP, &hr);
        EXPECT_EQ(hr, c.drop);
        DataOf(data.get(), CF_TEXT, &hr);
        EXPECT_EQ(hr, c.text);
        FORMATETC f = Format(CF_TEXT);
        EXPECT_EQ(data->QueryGetData(&f), S_OK);  // the format is still offered
    }
}

std::vector<CLIPFORMAT> Remaining(IEnumFORMATETC* e) {
    std::vector<CLIPFORMAT> formats;
    FORMATETC f;
    while (e->Next(1, &f, nullptr) == S_OK) {
        EXPECT_EQ(f.dwAspect, DWORD(DVASPECT_CONTENT));
        EXPECT_EQ(f.lindex, -1);
        EXPECT_EQ(f.tymed, DWORD(TYMED_HGLOBAL));
        EXPECT_EQ(f.ptd, nullptr);
        formats.push_back(f.cfFormat);
    }
    return formats;
}

TEST(ShellDataObject, FormatsAreEnumeratedForGettingOnlyInTheirOrder) {
    ui::ComPtr<IDataObject> data = MakeData({"", {Terminated(Item("x"))}, {"C:\\x"}});
    const std::vector<CLIPFORMAT> all = {IdListFormat(), CF_HDROP, CF_TEXT};
    IEnumFORMATETC* none = reinterpret_cast<IEnumFORMATETC*>(1);
    EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, &none), E_NOTIMPL);
    EXPECT_EQ(none, nullptr);
    ui::ComPtr<IEnumFORMATETC> e;
    ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, e.put()), S_OK);
    data.reset();  // the enumerator keeps the list
    EXPECT_EQ(Remaining(e.get()), all);

    // Next of several, Skip, Reset and Clone, each step in a row of the table.
    const struct {
        const char* step;
        ULONG count;
        HRESULT expected;
        ULONG fetched;
    } steps[] = {
        {"reset", 0, S_OK, 0},  {"next", 2, S_OK, 2},   {"next", 2, S_FALSE, 1}, {"next", 1, S_FALSE, 0},
        {"reset", 0, S_OK, 0},  {"skip", 1, S_OK, 0},   {"next", 1, S_OK, 1},    {"skip", 5, S_FALSE, 0},
        {"next", 1, S_FALSE, 0}, {"reset", 0, S_OK, 0}, {"skip", 3, S_OK, 0},    {"skip", 0, S_OK, 0},
    };
    for (const auto& s : steps) {
        FORMATETC f[3] = {};
        ULONG fetched = 99;
        const std::string step = s.step;
        const HRESULT hr = step == "next" ? e->Next(s.count, f, &fetched) : step == "skip" ? e->Skip(s.count) : e->Reset();
        EXPECT_EQ(hr, s.expected) << s.step << " " << s.count;
        if (step == "next") {
            EXPECT_EQ(fetched, s.fetched) << s.count;
        }
    }
    e->Reset();
    e->Skip(1);
    ui::ComPtr<IEnumFORMATETC> clone;
    ASSERT_EQ(e->Clone(clone.put()), S_OK);
    EXPECT_EQ(Remaining(clone.get()), std::vector<CLIPFORMAT>(all.begin() + 1, all.end()));
    EXPECT_EQ(Remaining(e.get()), std::vector<CLIPFORMAT>(all.begin() + 1, all.end()));  // not moved by the clone
    FORMATETC two[2];
    EXPECT_EQ(e->Next(2, two, nullptr), E_POINTER);  // several need a count to say how many came
}

TEST(ShellDataObject, AFormatListCopiesTargetDevicesWhole) {
    std::string device(sizeof(DVTARGETDEVICE) + 8, '\x5C');
    auto* ptd = reinterpret_cast<DVTARGETDEVICE*>(&device[0]);
    ptd->tdSize = static_cast<DWORD>(device.size());
    auto list = std::make_shared<TPTFormatEtcList>();
    list->Add(FORMATETC{CF_TEXT, ptd, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
    list->Add(CF_HDROP);
    ASSERT_NE((*list)[0].ptd, ptd);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>((*list)[0].ptd), device.size()), device);
    ui::ComPtr<IEnumFORMATETC> e = MakeComObject<TPTFormatEtcList_IEnumFormatEtc, IEnumFORMATETC>(list);
    list.reset();
    FORMATETC f[2] = {};
    ULONG fetched = 0;
    ASSERT_EQ(e->Next(2, f, &fetched), S_OK);
    ASSERT_NE(f[0].ptd, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(f[0].ptd), device.size()), device);
    EXPECT_EQ(f[1].ptd, nullptr);
    CoTaskMemFree(f[0].ptd);
}

TEST(ShellDataObject, AnItemOfARealFolderIsNamedByItsPath) {
    testing_support::TempDir dir;
    const std::string file = dir.WriteFile("表ソ.txt", "x");
    IdList absolute = ListOf(file);
    ui::ComPtr<IShellFolder> parent;
    IdList parentList, item;
    ASSERT_EQ(SplitIdList(absolute.get(), parent, parentList, item), S_OK);
    ui::ComPtr<IDataObject> data = MakeItemDataObject(parent.get(), parentList.get(), item.get());
    EXPECT_EQ(DropPaths(data.get()), std::vector<std::string>{file});
    EXPECT_EQ(DataOf(data.get(), CF_TEXT, nullptr, file.size() + 3), file + "\r\n" + '\0');
    const std::string ida = DataOf(data.get(), IdListFormat());
    const std::string expected = U32(1) + U32(12) + U32(12 + IdListSize(parentList.get())) +
                                 BytesOf(parentList.get()) + BytesOf(item.get());
    EXPECT_EQ(ida.substr(0, expected.size()), expected);
}

}  // namespace
