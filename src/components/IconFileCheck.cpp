#include "components/IconFileCheck.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

#include "ui/Handles.h"

namespace {

// A read-only view of a file; every read is checked against the file's length.
class TFileView {
public:
    explicit TFileView(const ui::String& path) {
        file_.reset(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file_.get() == INVALID_HANDLE_VALUE) return;
        DWORD high = 0;
        DWORD low = GetFileSize(file_.get(), &high);
        if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return;
        size_ = (static_cast<uint64_t>(high) << 32) | low;
        if (size_ == 0 || size_ > 0x7FFFFFFF) return;
        mapping_.reset(CreateFileMappingA(file_.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
        if (!mapping_) return;
        data_ = static_cast<const uint8_t*>(MapViewOfFile(mapping_.get(), FILE_MAP_READ, 0, 0, 0));
    }
    ~TFileView() {
        if (data_) UnmapViewOfFile(data_);
    }
    TFileView(const TFileView&) = delete;
    TFileView& operator=(const TFileView&) = delete;

    bool Opened() const { return file_.get() != INVALID_HANDLE_VALUE; }
    uint64_t Size() const { return size_; }
    bool Mapped() const { return data_ != nullptr; }
    bool Holds(uint64_t offset, uint64_t length) const { return offset <= size_ && length <= size_ - offset; }
    uint16_t U16(uint64_t at) const { return static_cast<uint16_t>(data_[at] | (data_[at + 1] << 8)); }
    uint32_t U32(uint64_t at) const { return U16(at) | (static_cast<uint32_t>(U16(at + 2)) << 16); }

private:
    struct FileTraits {
        static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
        static void close(HANDLE h) { CloseHandle(h); }
    };
    ui::UniqueHandle<HANDLE, FileTraits> file_;
    ui::KernelHandle mapping_;
    uint64_t size_ = 0;
    const uint8_t* data_ = nullptr;
};

const uint32_t kRtIcon = 3, kRtGroupIcon = 14;

bool IcoIsSound(const TFileView& f) {
    if (!f.Holds(0, 6)) return false;
    const uint32_t count = f.U16(4);
    if (!f.Holds(6, 16ull * count)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t entry = 6 + 16ull * i;
        if (!f.Holds(f.U32(entry + 12), f.U32(entry + 8))) return false;
    }
    return true;
}

// The PE resource tree, its directories inside the resource section and every icon and icon
// group's data inside a section of the file.
class TPeResources {
public:
    explicit TPeResources(const TFileView& f) : f_(f) {}

    bool Check(uint64_t pe) {
        if (!f_.Holds(pe, 24)) return false;
        sections_ = f_.U16(pe + 6);
        const uint64_t optional = pe + 24, optionalSize = f_.U16(pe + 20);
        if (!f_.Holds(optional, optionalSize) || optionalSize < 2) return false;
        const uint16_t magic = f_.U16(optional);
        const uint64_t countAt = magic == 0x20B ? 108 : magic == 0x10B ? 92 : 0;
        if (!countAt) return false;
        sectionTable_ = optional + optionalSize;
        if (!f_.Holds(sectionTable_, 40ull * sections_)) return false;
        if (countAt + 4 > optionalSize || f_.U32(optional + countAt) < 3 || countAt + 4 + 24 > optionalSize)
            return true;  // no resource directory: the platform finds no icons
        const uint32_t rva = f_.U32(optional + countAt + 4 + 16), size = f_.U32(optional + countAt + 4 + 20);
        if (rva == 0) return true;
        if (!Map(rva, 16, base_)) return false;
        uint64_t end = 0;
        if (!Map(rva, size ? size : 16, end)) {
            // The directory's stated size runs past its section: take what the section holds.
            if (!SectionEnd(rva, end)) return false;
        } else {
            end = base_ + (size ? size : 16);
        }
        end_ = end;
        return Directory(0, 0, false);
    }

private:
    // File offset of `length` bytes at `rva`, all inside one section's data in the file.
    bool Map(uint64_t rva, uint64_t length, uint64_t& offset) const {
        for (uint32_t i = 0; i < sections_; ++i) {
            const uint64_t s = sectionTable_ + 40ull * i;
            const uint64_t va = f_.U32(s + 12), raw = f_.U32(s + 16), pointer = f_.U32(s + 20);
            if (rva < va || rva - va >= raw) continue;
            if (length > raw - (rva - va)) return false;
            offset = pointer + (rva - va);
            return f_.Holds(offset, length);
        }
        return false;
    }
    bool SectionEnd(uint64_t rva, uint64_t& end) const {
        for (uint32_t i = 0; i < sections_; ++i) {
            const uint64_t s = sectionTable_ + 40ull * i;
            const uint64_t va = f_.U32(s + 12), raw = f_.U32(s + 16), pointer = f_.U32(s + 20);
            if (rva < va || rva - va >= raw) continue;
            end = pointer + raw;
            return f_.Holds(pointer, raw);
        }
        return false;
    }
    bool Inside(uint64_t offset, uint64_t length) const {
        return offset <= end_ - base_ && length <= end_ - base_ - offset;
    }
    // A name string: a 16-bit length, then that many UTF-16 units.
    bool Name(uint32_t offset) const {
        return Inside(offset, 2) && Inside(offset + 2ull, 2ull * f_.U16(base_ + offset));
    }
    bool Directory(uint32_t offset, int level, bool icons) {
        if (level > 2 || ++visited_ > 100000 || !Inside(offset, 16)) return false;
        const uint64_t count = static_cast<uint64_t>(f_.U16(base_ + offset + 12)) + f_.U16(base_ + offset + 14);
        if (!Inside(offset + 16ull, 8 * count)) return false;
        for (uint64_t i = 0; i < count; ++i) {
            const uint64_t entry = base_ + offset + 16 + 8 * i;
            const uint32_t name = f_.U32(entry), target = f_.U32(entry + 4);
            if ((name & 0x80000000u) && !Name(name & 0x7FFFFFFFu)) return false;
            const bool iconType = level == 0 ? !(name & 0x80000000u) && (name == kRtIcon || name == kRtGroupIcon) : icons;
            if (!iconType) continue;  // only the icon types are walked by the extraction
            if (target & 0x80000000u) {
                if (!Directory(target & 0x7FFFFFFFu, level + 1, true)) return false;
            } else {
                if (level != 2 || !Inside(target, 16)) return false;
                uint64_t data = 0;
                if (!Map(f_.U32(base_ + target), f_.U32(base_ + target + 4), data)) return false;
            }
        }
        return true;
    }

    const TFileView& f_;
    uint32_t sections_ = 0;
    uint64_t sectionTable_ = 0, base_ = 0, end_ = 0;
    int visited_ = 0;
};

bool NeIsSound(const TFileView& f, uint64_t ne) {
    if (!f.Holds(ne, 0x40)) return false;
    const uint64_t table = ne + f.U16(ne + 0x24);
    if (f.U16(ne + 0x24) == f.U16(ne + 0x26)) return true;  // no resource table
    if (!f.Holds(table, 2)) return false;
    const unsigned shift = f.U16(table);
    if (shift > 16) return false;
    for (uint64_t at = table + 2;;) {
        if (!f.Holds(at, 2)) return false;
        const uint16_t type = f.U16(at);
        if (type == 0) return true;
        if (!f.Holds(at, 8)) return false;
        const uint64_t count = f.U16(at + 2);
        if (!f.Holds(at + 8, 12 * count)) return false;
        const bool icons = type == (0x8000 | kRtIcon) || type == (0x8000 | kRtGroupIcon);
        for (uint64_t i = 0; icons && i < count; ++i) {
            const uint64_t info = at + 8 + 12 * i;
            if (!f.Holds(static_cast<uint64_t>(f.U16(info)) << shift, static_cast<uint64_t>(f.U16(info + 2)) << shift))
                return false;
        }
        at += 8 + 12 * count;
    }
}

bool CheckFile(const ui::String& path) {
    TFileView f(path);
    if (!f.Opened() || f.Size() < 2) return true;  // nothing the platform could misread
    if (!f.Mapped()) return false;
    if (f.Holds(0, 4) && f.U16(0) == 0 && (f.U16(2) == 1 || f.U16(2) == 2)) return IcoIsSound(f);
    if (f.U16(0) != 0x5A4D) return true;  // "MZ"
    if (!f.Holds(0x3C, 4)) return true;
    const uint64_t header = f.U32(0x3C);
    if (!f.Holds(header, 2)) return true;  // a bare DOS program
    if (f.U16(header) == 0x4550) return f.Holds(header, 4) && f.U16(header + 2) == 0 && TPeResources(f).Check(header);
    if (f.U16(header) == 0x454E) return NeIsSound(f, header);  // "NE"
    return true;
}

}  // namespace

bool TFileStamp::Read(const ui::String& path) {
    WIN32_FILE_ATTRIBUTE_DATA info = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info)) return false;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    Size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    LastWrite = info.ftLastWriteTime;
    return true;
}

bool TFileStamp::operator==(const TFileStamp& other) const {
    return Size == other.Size && CompareFileTime(&LastWrite, &other.LastWrite) == 0;
}

bool IconFileIsSound(const ui::String& path) {
    // The grid asks once per cell: the last verdict stands while the file is unchanged.
    static ui::String lastPath;
    static TFileStamp lastStamp;
    static bool lastVerdict = true;
    TFileStamp stamp;
    if (!stamp.Read(path)) return true;
    if (path == lastPath && stamp == lastStamp) return lastVerdict;
    lastVerdict = CheckFile(path);
    lastPath = path, lastStamp = stamp;
    return lastVerdict;
}
