#pragma once
// The data object of a shell item dragged out of a tree or put on the clipboard: the items as
// the shell's ID list array, as a file drop and as text, built once when the object is made.
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <memory>
#include <vector>

#include "shell/ShellComObject.h"
#include "ui/Handles.h"
#include "ui/Types.h"

namespace shell {

// A list of format records; a record's target device is copied whole with it.
class TPTFormatEtcList {
public:
    TPTFormatEtcList() = default;
    ~TPTFormatEtcList();
    TPTFormatEtcList(const TPTFormatEtcList& other);
    TPTFormatEtcList& operator=(const TPTFormatEtcList&) = delete;

    void Add(const FORMATETC& format);
    // A content record of `format` in global memory with no target device.
    void Add(CLIPFORMAT format);
    size_t Count() const { return items_.size(); }
    const FORMATETC& operator[](size_t i) const { return items_[i]; }
    // The position of the first record of `format`; -1 when there is none.
    int IndexOf(CLIPFORMAT format) const;

private:
    std::vector<FORMATETC> items_;
};

// A copy of a target device record in task memory (none for none); the receiver frees it.
DVTARGETDEVICE* CopyTargetDevice(const DVTARGETDEVICE* device);

// Enumerates a format list that it shares with whoever made it.
class TPTFormatEtcList_IEnumFormatEtc : public TComObject<IEnumFORMATETC> {
public:
    explicit TPTFormatEtcList_IEnumFormatEtc(std::shared_ptr<const TPTFormatEtcList> list, ULONG position = 0)
        : list_(std::move(list)), position_(position) {}

    HRESULT STDMETHODCALLTYPE Next(ULONG count, FORMATETC* formats, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** clone) override;

private:
    std::shared_ptr<const TPTFormatEtcList> list_;
    ULONG position_;
};

// How a block's memory is asked for (GlobalAlloc's flags and size); replaceable to see what a
// failed allocation does.
using TBlockAllocator = HGLOBAL(WINAPI*)(UINT flags, SIZE_T bytes);

// The three blocks, each sized from its data; an empty handle where the memory was refused.
// The ID list array: the shell's layout (item count, count + 1 offsets from the block's
// start, the parent's absolute list, then each item's relative list); no parent is the
// desktop's empty list.
ui::GlobalHandle MakeIdListArrayBlock(LPCITEMIDLIST parentAbsList, const std::vector<LPCITEMIDLIST>& items,
                                      TBlockAllocator allocate = GlobalAlloc);
// A file drop: the 20-byte header, each ANSI path with its NUL, one more NUL.
ui::GlobalHandle MakeFileDropBlock(const std::vector<ui::String>& paths, TBlockAllocator allocate = GlobalAlloc);
// Text: each name followed by CR LF, then a NUL.
ui::GlobalHandle MakeTextBlock(const std::vector<ui::String>& names, TBlockAllocator allocate = GlobalAlloc);

// The shell items' data object: "Shell IDList Array", CF_HDROP and CF_TEXT, in that order.
class TDataObject_shtv : public TComObject<IDataObject> {
public:
    // `parsingNames` are the items' parsing names (their paths), one an item.
    TDataObject_shtv(LPCITEMIDLIST parentAbsList, const std::vector<LPCITEMIDLIST>& items,
                     const std::vector<ui::String>& parsingNames, TBlockAllocator allocate = GlobalAlloc);

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** enumerator) override;

private:
    const ui::GlobalHandle* BlockOf(CLIPFORMAT format) const;

    ui::GlobalHandle text_;
    ui::GlobalHandle drop_;
    ui::GlobalHandle idList_;
    std::shared_ptr<TPTFormatEtcList> formats_;
};

// The data object of one item of `parentFolder` (whose absolute list is `parentAbsList`), its
// paths taken as the folder's parsing name of the item.
ui::ComPtr<IDataObject> MakeItemDataObject(IShellFolder* parentFolder, LPCITEMIDLIST parentAbsList,
                                           LPCITEMIDLIST item);

}  // namespace shell
