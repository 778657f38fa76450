#include "shell/ShellDataObject.h"

#include <cstring>
#include <new>

#include "shell/IdList.h"
#include "shell/ShellModule.h"

namespace shell {

namespace {

const USHORT kEmptyList = 0;

// Writes `bytes` into a new block of `flags`; an empty handle when the memory is refused.
ui::GlobalHandle FilledBlock(TBlockAllocator allocate, UINT flags, const std::vector<BYTE>& bytes) {
    ui::GlobalHandle block(allocate(flags, bytes.size()));
    if (!block) return block;
    void* p = GlobalLock(block.get());
    if (!p) return ui::GlobalHandle();
    memcpy(p, bytes.data(), bytes.size());
    GlobalUnlock(block.get());
    return block;
}

void Append(std::vector<BYTE>& out, const void* data, size_t size) {
    const BYTE* p = static_cast<const BYTE*>(data);
    out.insert(out.end(), p, p + size);
}

void AppendList(std::vector<BYTE>& out, LPCITEMIDLIST list) {
    if (!list) list = reinterpret_cast<LPCITEMIDLIST>(&kEmptyList);
    Append(out, list, IdListSize(list));
}

}  // namespace

// ---- format list ----

DVTARGETDEVICE* CopyTargetDevice(const DVTARGETDEVICE* device) {
    if (!device) return nullptr;
    auto* copy = static_cast<DVTARGETDEVICE*>(CoTaskMemAlloc(device->tdSize));
    if (!copy) throw std::bad_alloc();
    memcpy(copy, device, device->tdSize);
    return copy;
}

TPTFormatEtcList::~TPTFormatEtcList() {
    for (FORMATETC& f : items_) CoTaskMemFree(f.ptd);
}

TPTFormatEtcList::TPTFormatEtcList(const TPTFormatEtcList& other) {
    for (const FORMATETC& f : other.items_) Add(f);
}

void TPTFormatEtcList::Add(const FORMATETC& format) {
    items_.reserve(items_.size() + 1);  // no record left without its owner if the copy fails
    FORMATETC copy = format;
    copy.ptd = CopyTargetDevice(format.ptd);
    items_.push_back(copy);
}

void TPTFormatEtcList::Add(CLIPFORMAT format) {
    Add(FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
}

int TPTFormatEtcList::IndexOf(CLIPFORMAT format) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].cfFormat == format) return static_cast<int>(i);
    return -1;
}

// ---- enumerator ----

HRESULT TPTFormatEtcList_IEnumFormatEtc::Next(ULONG count, FORMATETC* formats, ULONG* fetched) {
    return ui::ComGuarded([&]() -> HRESULT {
        if (fetched) *fetched = 0;
        if (!formats || (!fetched && count != 1)) return E_POINTER;
        ULONG n = 0;
        while (n < count && position_ < list_->Count()) {
            const FORMATETC& f = (*list_)[position_];
            formats[n] = f;
            formats[n].ptd = nullptr;
            formats[n].ptd = CopyTargetDevice(f.ptd);
            ++n;
            ++position_;
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    });
}

HRESULT TPTFormatEtcList_IEnumFormatEtc::Skip(ULONG count) {
    const ULONG left = static_cast<ULONG>(list_->Count()) - position_;
    if (count > left) {
        position_ = static_cast<ULONG>(list_->Count());
        return S_FALSE;
    }
    position_ += count;
    return S_OK;
}

HRESULT TPTFormatEtcList_IEnumFormatEtc::Reset() {
    position_ = 0;
    return S_OK;
}

HRESULT TPTFormatEtcList_IEnumFormatEtc::Clone(IEnumFORMATETC** clone) {
    return ui::ComGuarded([&]() -> HRESULT {
        if (!clone) return E_POINTER;
        *clone = nullptr;
        *clone = MakeComObject<TPTFormatEtcList_IEnumFormatEtc, IEnumFORMATETC>(list_, position_).detach();
        return S_OK;
    });
}

// ---- blocks ----

ui::GlobalHandle MakeIdListArrayBlock(LPCITEMIDLIST parentAbsList, const std::vector<LPCITEMIDLIST>& items,
                                      TBlockAllocator allocate) {
    const UINT count = static_cast<UINT>(items.size());
    std::vector<BYTE> lists;
    std::vector<UINT> offsets;
    const UINT header = sizeof(UINT) * (count + 2);
    offsets.push_back(header);
    AppendList(lists, parentAbsList);
    for (LPCITEMIDLIST item : items) {
        offsets.push_back(header + static_cast<UINT>(lists.size()));
        AppendList(lists, item);
    }
    std::vector<BYTE> bytes;
    bytes.reserve(header + lists.size());
    Append(bytes, &count, sizeof count);
    Append(bytes, offsets.data(), offsets.size() * sizeof(UINT));
    bytes.insert(bytes.end(), lists.begin(), lists.end());
    return FilledBlock(allocate, GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
}

ui::GlobalHandle MakeFileDropBlock(const std::vector<ui::String>& paths, TBlockAllocator allocate) {
    DROPFILES header = {};
    header.pFiles = sizeof(DROPFILES);
    std::vector<BYTE> bytes;
    Append(bytes, &header, sizeof header);
    for (const ui::String& path : paths) Append(bytes, path.c_str(), path.size() + 1);
    bytes.push_back(0);
    if (paths.empty()) bytes.push_back(0);  // an empty list still ends in two NULs
    return FilledBlock(allocate, GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
}

ui::GlobalHandle MakeTextBlock(const std::vector<ui::String>& names, TBlockAllocator allocate) {
    std::vector<BYTE> bytes;
    for (const ui::String& name : names) {
        Append(bytes, name.data(), name.size());
        Append(bytes, "\r\n", 2);
    }
    bytes.push_back(0);
    return FilledBlock(allocate, GMEM_FIXED, bytes);
}

// ---- data object ----

TDataObject_shtv::TDataObject_shtv(LPCITEMIDLIST parentAbsList, const std::vector<LPCITEMIDLIST>& items,
                                   const std::vector<ui::String>& parsingNames, TBlockAllocator allocate)
    : text_(MakeTextBlock(parsingNames, allocate)),
      drop_(MakeFileDropBlock(parsingNames, allocate)),
      idList_(MakeIdListArrayBlock(parentAbsList, items, allocate)),
      formats_(std::make_shared<TPTFormatEtcList>()) {
    formats_->Add(static_cast<CLIPFORMAT>(ShellIdListFormat()));
    formats_->Add(static_cast<CLIPFORMAT>(CF_HDROP));
    formats_->Add(static_cast<CLIPFORMAT>(CF_TEXT));
}

const ui::GlobalHandle* TDataObject_shtv::BlockOf(CLIPFORMAT format) const {
    if (format == ShellIdListFormat()) return &idList_;
    if (format == CF_HDROP) return &drop_;
    if (format == CF_TEXT) return &text_;
    return nullptr;
}

HRESULT TDataObject_shtv::QueryGetData(FORMATETC* format) {
    if (!format) return E_INVALIDARG;
    if (format->dwAspect != DVASPECT_CONTENT) return DV_E_FORMATETC;
    const int i = formats_->IndexOf(format->cfFormat);
    if (i < 0) return DV_E_FORMATETC;
    return ((*formats_)[i].tymed & format->tymed) ? S_OK : DV_E_TYMED;
}

HRESULT TDataObject_shtv::GetData(FORMATETC* format, STGMEDIUM* medium) {
    return ui::ComGuarded([&]() -> HRESULT {
        if (!medium) return E_INVALIDARG;
        *medium = STGMEDIUM{};
        const HRESULT query = QueryGetData(format);
        if (FAILED(query)) return query;
        const ui::GlobalHandle* block = BlockOf(format->cfFormat);
        if (!block) return DV_E_FORMATETC;
        if (!*block) return E_OUTOFMEMORY;
        const SIZE_T size = GlobalSize(block->get());
        ui::GlobalHandle copy(GlobalAlloc(GMEM_MOVEABLE, size));
        if (!copy) return E_OUTOFMEMORY;
        const void* from = GlobalLock(block->get());
        void* to = GlobalLock(copy.get());
        if (from && to) memcpy(to, from, size);
        if (from) GlobalUnlock(block->get());
        if (to) GlobalUnlock(copy.get());
        if (!from || !to) return E_OUTOFMEMORY;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = copy.release();
        medium->pUnkForRelease = nullptr;
        return S_OK;
    });
}

HRESULT TDataObject_shtv::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }

HRESULT TDataObject_shtv::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
}

HRESULT TDataObject_shtv::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }

HRESULT TDataObject_shtv::EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) {
    return ui::ComGuarded([&]() -> HRESULT {
        if (!enumerator) return E_POINTER;
        *enumerator = nullptr;
        if (direction != DATADIR_GET) return E_NOTIMPL;
        *enumerator = MakeComObject<TPTFormatEtcList_IEnumFormatEtc, IEnumFORMATETC>(formats_).detach();
        return S_OK;
    });
}

HRESULT TDataObject_shtv::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) { return OLE_E_ADVISENOTSUPPORTED; }
HRESULT TDataObject_shtv::DUnadvise(DWORD) { return OLE_E_ADVISENOTSUPPORTED; }
HRESULT TDataObject_shtv::EnumDAdvise(IEnumSTATDATA**) { return OLE_E_ADVISENOTSUPPORTED; }

ui::ComPtr<IDataObject> MakeItemDataObject(IShellFolder* parentFolder, LPCITEMIDLIST parentAbsList,
                                           LPCITEMIDLIST item) {
    const ui::String name = GetDisplayName(parentFolder, item, dnForParsing);
    return MakeComObject<TDataObject_shtv, IDataObject>(parentAbsList, std::vector<LPCITEMIDLIST>{item},
                                                        std::vector<ui::String>{name});
}

}  // namespace shell
