#include "components/IconFileCheck.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "ui/Handles.h"

// The platform's icon reader is walked here as it walks a file: the same places, the same fields
// and bits of fields, the same reads where a count says there is nothing. Every byte it would touch
// must lie inside the file, and so must every table and image it hands on (an icon group's entries,
// each icon's data, the bitmap bits an image header declares), since those readers trust them.

namespace {

// A read-only view of a file. A read outside the file answers 0 and spoils the view: the walk
// goes on as the platform's would, and the file is refused at the end.
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
    bool Sound() const { return sound_; }
    // Whether `length` bytes at `offset` lie inside the file; if not, the view is spoilt.
    bool Need(uint64_t offset, uint64_t length) {
        // Tables can name each other many times over: a file that would take more reads than any
        // icon library needs is refused rather than read for minutes.
        if (++reads_ > kMostReads) return Refuse();
        if (offset <= size_ && length <= size_ - offset) return true;
        return Refuse();
    }
    // For what the platform would trust although it does not fit: the file is refused.
    bool Refuse() { return sound_ = false; }
    uint16_t U16(uint64_t at) { return Need(at, 2) ? static_cast<uint16_t>(data_[at] | (data_[at + 1] << 8)) : 0; }
    uint32_t U32(uint64_t at) {
        return Need(at, 4) ? U16(at) | (static_cast<uint32_t>(U16(at + 2)) << 16) : 0;
    }

private:
    struct FileTraits {
        static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
        static void close(HANDLE h) { CloseHandle(h); }
    };
    ui::UniqueHandle<HANDLE, FileTraits> file_;
    ui::KernelHandle mapping_;
    uint64_t size_ = 0;
    const uint8_t* data_ = nullptr;
    bool sound_ = true;
    static constexpr uint64_t kMostReads = 1 << 24;
    uint64_t reads_ = 0;
};

const uint16_t kRtIcon = 3, kRtGroupIcon = 14;

// An image handed to the platform's icon maker with its length: the header it reads first, and
// the colour and mask bits that header declares, lie inside it.
void CheckImage(TFileView& f, uint64_t at, uint64_t size) {
    if (!f.Need(at, size)) return;
    if (size >= 8 && f.U32(at) == 0x474E5089u) return;  // a PNG: its decoder reads within `size`
    const uint32_t header = size >= 4 ? f.U32(at) : 0;
    if (size < (header == 12 ? 12u : 40u)) return void(f.Refuse());
    uint64_t width = 0, height = 0, bpp = 0, palette = 0, masks = 0;
    if (header == 12) {  // the old OS/2 header: 16-bit sizes, three-byte palette entries
        width = f.U16(at + 4), height = f.U16(at + 6), bpp = f.U16(at + 10);
        palette = (bpp <= 8 ? 1ull << bpp : 0) * 3;
    } else {
        const uint32_t compression = f.U32(at + 16), used = f.U32(at + 32);
        if (compression != BI_RGB && compression != BI_BITFIELDS) return;  // the platform makes no icon of it
        const int32_t w = static_cast<int32_t>(f.U32(at + 4)), h = static_cast<int32_t>(f.U32(at + 8));
        width = w < 0 ? 0 - static_cast<int64_t>(w) : w, height = h < 0 ? 0 - static_cast<int64_t>(h) : h;
        bpp = f.U16(at + 14);
        masks = compression == BI_BITFIELDS ? 12 : 0;
        palette = (used ? (used < 256 ? used : 256) : bpp <= 8 ? 1ull << bpp : 0) * 4;
    }
    // Colour rows, then mask rows, each half of the height; rows padded to four bytes.
    const uint64_t rows = height / 2, row = (width * bpp + 31) / 32 * 4 + (width + 31) / 32 * 4;
    const uint64_t head = header + masks + palette;
    if (head > size || (rows && row > (size - head) / rows)) f.Refuse();
}

// An icon group's header and every entry its count claims, inside its data; the resource IDs of
// the icons it names, and 0, which the platform looks up when no entry suits it.
std::vector<uint16_t> GroupIcons(TFileView& f, uint64_t at, uint64_t size) {
    std::vector<uint16_t> ids{0};
    if (!f.Need(at, size)) return ids;
    const uint16_t count = size >= 6 ? f.U16(at + 4) : 0;
    if (size < 6 || 6 + 14ull * count > size) return f.Refuse(), ids;
    for (uint32_t i = 0; i < count; ++i) ids.push_back(f.U16(at + 6 + 14ull * i + 12));
    return ids;
}

bool IcoIsSound(TFileView& f) {
    const uint16_t reserved = f.U16(0), type = f.U16(2), count = f.U16(4);
    if (reserved != 0 || type != 1 || count == 0) return f.Sound();  // no icon
    if (!f.Need(6, 16ull * count)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t entry = 6 + 16ull * i;
        CheckImage(f, f.U32(entry + 12), f.U32(entry + 8));
    }
    return f.Sound();
}

// The PE resource tree as the platform walks it: the resource directory at its fixed place in the
// optional header, whatever size that header declares; the type and name directories searched by
// ID (16 bits) the way it searches them; the first language of each resource, whatever its count.
class TPeResources {
public:
    TPeResources(TFileView& f, uint64_t pe) : f_(f), pe_(pe) {}

    bool Check() {
        const uint64_t optional = pe_ + 24;
        const uint16_t magic = f_.U16(optional);
        if (magic != 0x10B && magic != 0x20B) return f_.Sound();
        const uint64_t directories = optional + (magic == 0x20B ? 112 : 96);
        if (f_.U32(directories - 4) <= 2) return f_.Sound();  // no resource directory
        const uint32_t rva = f_.U32(directories + 2 * 8);
        if (rva == 0) return f_.Sound();
        rootRva_ = rva;
        sections_ = f_.U16(pe_ + 6);
        sectionTable_ = optional + f_.U16(pe_ + 20);
        if (!f_.Need(sectionTable_, 40ull * sections_)) return false;
        // Below the headers' size an address is taken as a file offset; above, through the first
        // section holding it.
        if (rva < f_.U32(optional + 60)) {
            root_ = rva;
        } else {
            bool found = false;
            for (uint32_t i = 0; i < sections_ && !found; ++i) {
                const uint64_t s = sectionTable_ + 40ull * i;
                const uint32_t va = f_.U32(s + 12), raw = f_.U32(s + 16);
                if (va <= rva && rva < static_cast<uint32_t>(va + raw)) {
                    root_ = f_.U32(s + 20) + static_cast<uint64_t>(rva - va);
                    found = true;
                }
            }
            if (!found) return f_.Sound();
        }
        uint64_t groups = 0, icons = 0;
        if (!Find(root_, kRtGroupIcon, groups)) return f_.Sound();
        const bool hasIcons = Find(root_, kRtIcon, icons);
        const uint32_t count = static_cast<uint32_t>(f_.U16(groups + 12)) + f_.U16(groups + 14);
        for (uint32_t i = 0; i < count && f_.Sound(); ++i) {
            const uint64_t name = root_ + (f_.U32(groups + 16 + 8ull * i + 4) & 0x7FFFFFFFu);
            uint64_t size = 0;
            const std::vector<uint64_t> groupPlaces = Data(name, size);
            if (groupPlaces.empty()) return f_.Refuse();
            for (uint64_t group : groupPlaces)
                for (uint16_t id : GroupIcons(f_, group, size)) {
                    // Every icon the group names is there and inside the file.
                    uint64_t icon = 0, length = 0;
                    const std::vector<uint64_t> places =
                        hasIcons && Find(icons, id, icon) ? Data(icon, length) : std::vector<uint64_t>();
                    if (places.empty() && id != 0) return f_.Refuse();
                    for (uint64_t image : places) CheckImage(f_, image, length);
                }
        }
        return f_.Sound();
    }

private:
    // The subdirectory of entry `id` of the directory at `dir`, by the platform's binary search
    // over the ID entries, comparing the low 16 bits of each name.
    bool Find(uint64_t dir, uint16_t id, uint64_t& found) {
        int min = f_.U16(dir + 12), max = min + f_.U16(dir + 14) - 1;
        while (min <= max && f_.Sound()) {
            const int pos = (min + max) / 2;
            const uint64_t entry = dir + 16 + 8ull * pos;
            const uint16_t name = f_.U16(entry);
            if (name == id) {
                found = root_ + (f_.U32(entry + 4) & 0x7FFFFFFFu);
                return f_.Sound();
            }
            if (name > id) max = pos - 1;
            else min = pos + 1;
        }
        return false;
    }
    // The data of the first language of the resource whose directory is at `name`: the file
    // offsets it may be read at. The platform maps a resource's address through the section of the
    // resource directory or another section holding it; which one, when sections overlap, is not for
    // this check to guess: every section holding its start, or all of it, gives a place, and so does
    // its distance from the directory's address.
    std::vector<uint64_t> Data(uint64_t name, uint64_t& size) {
        std::vector<uint64_t> places;
        const uint32_t entry = f_.U32(name + 16 + 4);
        if (entry & 0x80000000u) return f_.Refuse(), places;  // a directory where data belongs
        const uint32_t rva = f_.U32(root_ + entry), length = f_.U32(root_ + entry + 4);
        size = length;
        for (uint32_t i = 0; i < sections_ && f_.Sound(); ++i) {
            const uint64_t s = sectionTable_ + 40ull * i;
            const uint32_t va = f_.U32(s + 12), raw = f_.U32(s + 16), pointer = f_.U32(s + 20);
            const uint32_t end = va + raw;
            const bool start = va <= rva && rva < end, whole = va <= rva && static_cast<uint32_t>(rva + length) <= end;
            if (start) places.push_back(pointer + static_cast<uint64_t>(rva - va));
            const uint64_t wrapped = static_cast<uint32_t>(rva - va + pointer);
            if (whole && !(start && wrapped == places.back())) places.push_back(wrapped);
        }
        const uint64_t fromRoot = root_ + rva - rootRva_;
        const bool fits = rva >= rootRva_ || rootRva_ - rva <= root_;
        if (fits && std::find(places.begin(), places.end(), fromRoot) == places.end()) places.push_back(fromRoot);
        return places;
    }

    TFileView& f_;
    uint64_t pe_;
    uint32_t sections_ = 0;
    uint64_t sectionTable_ = 0, root_ = 0;
    uint32_t rootRva_ = 0;
};

// The resource table of a 16-bit library, walked by its records until both icon types are found;
// offsets and lengths in units of the table's alignment shift, as 32-bit values.
bool NeIsSound(TFileView& f, uint64_t ne) {
    const uint16_t table = f.U16(ne + 0x24), resident = f.U16(ne + 0x26);
    // No resources when the resident names follow the resource table within one type record; a
    // negative difference compares as a large one.
    const int between = static_cast<int>(resident) - static_cast<int>(table);
    if (between >= 0 && between <= 8) return f.Sound();
    const uint64_t at = ne + table;
    const unsigned shift = f.U16(at);
    if (shift > 31) return f.Refuse();  // past the width of the offsets shifted
    uint64_t groups = 0, icons = 0;
    uint32_t groupCount = 0, iconCount = 0;
    for (uint64_t t = at + 2; f.Sound();) {
        const uint16_t type = f.U16(t);  // read before it looks whether both types are found
        if (type == 0 || (groups && icons)) break;
        const uint16_t count = f.U16(t + 2);
        if (type == (0x8000 | kRtGroupIcon)) groups = t + 8, groupCount = count;
        if (type == (0x8000 | kRtIcon)) icons = t + 8, iconCount = count;
        t += 8 + 12ull * count;
    }
    if (!groups || !icons || !f.Sound()) return f.Sound();
    if (!f.Need(groups, 12ull * groupCount) || !f.Need(icons, 12ull * iconCount)) return false;
    auto place = [&](uint64_t info, uint64_t& data, uint64_t& size) {
        data = static_cast<uint32_t>(static_cast<uint32_t>(f.U16(info)) << shift);
        size = static_cast<uint32_t>(static_cast<uint32_t>(f.U16(info + 2)) << shift);
    };
    for (uint32_t i = 0; i < groupCount && f.Sound(); ++i) {
        uint64_t data = 0, size = 0;
        place(groups + 12ull * i, data, size);
        for (uint16_t id : GroupIcons(f, data, size)) {
            bool present = false;
            for (uint32_t j = 0; j < iconCount; ++j) {
                if (f.U16(icons + 12ull * j + 6) != (id | 0x8000)) continue;
                place(icons + 12ull * j, data, size);
                CheckImage(f, data, size);
                present = true;
            }
            if (!present && id != 0) return f.Refuse();  // a named icon that is not there
        }
    }
    return f.Sound();
}

bool CheckFile(const ui::String& path) {
    TFileView f(path);
    if (!f.Opened() || f.Size() == 0) return true;  // nothing the platform could misread
    if (!f.Mapped()) return false;
    const uint16_t magic = f.U16(0), kind = f.U16(2);
    if (magic != 0x5A4D) return kind == 1 ? IcoIsSound(f) : f.Sound();  // "MZ"; type 2 (.cur) is not read on
    const uint32_t header = f.U32(0x3C);
    if (header >= f.Size()) return f.Sound();  // a bare DOS program
    const uint32_t signature = f.U32(header);
    if (signature == 0x00004550) return TPeResources(f, header).Check();  // "PE\0\0"
    if ((signature & 0xFFFF) == 0x454E) return NeIsSound(f, header);     // "NE"
    return f.Sound();
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
