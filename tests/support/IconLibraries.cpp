#include "support/IconLibraries.h"

#include <cstdint>

namespace testing_support {

namespace {

// Little-endian bytes at fixed places of a buffer that grows as needed.
class Bytes {
public:
    explicit Bytes(size_t size = 0) : data_(size, '\0') {}
    void Put8(size_t at, unsigned v) { Grow(at + 1)[at] = static_cast<char>(v & 0xFF); }
    void Put16(size_t at, unsigned v) {
        Put8(at, v);
        Put8(at + 1, v >> 8);
    }
    void Put32(size_t at, std::uint32_t v) {
        Put16(at, v & 0xFFFF);
        Put16(at + 2, v >> 16);
    }
    void Put32BE(size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) Put8(at + i, v >> (24 - 8 * i));
    }
    void Put64(size_t at, std::uint64_t v) {
        Put32(at, static_cast<std::uint32_t>(v));
        Put32(at + 4, static_cast<std::uint32_t>(v >> 32));
    }
    void PutBytes(size_t at, const std::string& bytes) {
        Grow(at + bytes.size());
        data_.replace(at, bytes.size(), bytes);
    }
    void Append(const std::string& bytes) { data_ += bytes; }
    void Pad(size_t size) { Grow(size); }
    size_t Size() const { return data_.size(); }
    const std::string& Str() const { return data_; }

private:
    std::string& Grow(size_t size) {
        if (data_.size() < size) data_.resize(size, '\0');
        return data_;
    }
    std::string data_;
};

size_t AlignUp(size_t v, size_t a) { return (v + a - 1) / a * a; }

bool Frame(int x, int y, int side) { return x == 0 || y == 0 || x == side - 1 || y == side - 1; }

// A PNG of 8-bit RGBA, its image data in stored (uncompressed) deflate blocks.
std::string PngImage(int side, COLORREF c) {
    std::string raw;
    for (int y = 0; y < side; ++y) {
        raw += '\0';  // no filter
        for (int x = 0; x < side; ++x) {
            const bool f = Frame(x, y, side);
            raw += static_cast<char>(f ? 0 : GetRValue(c));
            raw += static_cast<char>(f ? 0 : GetGValue(c));
            raw += static_cast<char>(f ? 0 : GetBValue(c));
            raw += '\xFF';
        }
    }
    Bytes z;
    z.Append(std::string("\x78\x01", 2));
    for (size_t at = 0; at < raw.size();) {
        const size_t n = raw.size() - at < 0xFFFF ? raw.size() - at : 0xFFFF;
        const size_t p = z.Size();
        z.Put8(p, at + n == raw.size() ? 1 : 0);  // the last block
        z.Put16(p + 1, static_cast<unsigned>(n));
        z.Put16(p + 3, static_cast<unsigned>(~n & 0xFFFF));
        z.Append(raw.substr(at, n));
        at += n;
    }
    std::uint32_t a = 1, b = 0;
    for (unsigned char ch : raw) a = (a + ch) % 65521, b = (b + a) % 65521;
    z.Put32BE(z.Size(), (b << 16) | a);

    Bytes png;
    png.Append("\x89PNG\r\n\x1A\n");
    auto chunk = [&png](const char* type, const std::string& body) {
        const size_t p = png.Size();
        png.Put32BE(p, static_cast<std::uint32_t>(body.size()));
        png.Append(std::string(type, 4) + body);
        std::uint32_t crc = 0xFFFFFFFFu;
        for (unsigned char ch : std::string(type, 4) + body) {
            crc ^= ch;
            for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
        }
        png.Put32BE(png.Size(), ~crc);
    };
    Bytes ihdr(13);
    ihdr.Put32BE(0, side);
    ihdr.Put32BE(4, side);
    ihdr.Put8(8, 8);  // bits per sample
    ihdr.Put8(9, 6);  // RGBA
    chunk("IHDR", ihdr.Str());
    chunk("IDAT", z.Str());
    chunk("IEND", "");
    return png.Str();
}

// The icon image as an icon resource holds it (and an .ico file after its directory): a bitmap
// header, the palette of the lower depths (0 black, 1 the colour), colour rows, mask rows.
std::string IconImage(int colorIndex, const TIconImageSpec& shape = {}) {
    const COLORREF c = IconColor(colorIndex);
    if (shape.png) return PngImage(shape.side, c);
    const int side = shape.side, bpp = shape.bpp;
    const size_t colors = bpp <= 8 ? size_t{1} << bpp : 0;
    const size_t stride = (static_cast<size_t>(side) * bpp + 31) / 32 * 4, maskStride = (side + 31) / 32 * 4;
    const size_t bits = 40 + colors * 4;
    Bytes b(bits + (stride + maskStride) * side);
    b.Put32(0, 40);
    b.Put32(4, side);
    b.Put32(8, side * 2);  // colour rows and mask rows
    b.Put16(12, 1);
    b.Put16(14, bpp);
    b.Put32(20, static_cast<std::uint32_t>((stride + maskStride) * side));
    if (colors) {
        b.Put8(40 + 4 + 0, GetBValue(c));
        b.Put8(40 + 4 + 1, GetGValue(c));
        b.Put8(40 + 4 + 2, GetRValue(c));
    }
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const bool f = Frame(x, y, side);
            const size_t row = bits + static_cast<size_t>(y) * stride;
            if (bpp <= 8) {
                const unsigned shift = 8 - bpp - (x * bpp) % 8;
                const size_t at = row + static_cast<size_t>(x) * bpp / 8;
                b.Put8(at, static_cast<unsigned char>(b.Str()[at]) | ((f ? 0u : 1u) << shift));
            } else {
                const size_t at = row + static_cast<size_t>(x) * (bpp / 8);
                b.Put8(at, f ? 0 : GetBValue(c));
                b.Put8(at + 1, f ? 0 : GetGValue(c));
                b.Put8(at + 2, f ? 0 : GetRValue(c));
                if (bpp == 32) b.Put8(at + 3, 0xFF);
            }
        }
    // The mask stays zero: every pixel opaque.
    return b.Str();
}

// The 14-byte directory entry of an image, as icon groups hold it; an .ico file's 16-byte entry
// has the image's file offset in place of the two-byte ID.
void PutEntry(Bytes& b, size_t at, const TIconImageSpec& shape, size_t size, unsigned idOrHotspot = 0) {
    const int bpp = shape.png ? 32 : shape.bpp;
    b.Put8(at, shape.side & 0xFF);
    b.Put8(at + 1, shape.side & 0xFF);
    b.Put8(at + 2, bpp < 8 ? 1u << bpp : 0);
    b.Put16(at + 4, 1);
    b.Put16(at + 6, bpp);
    b.Put32(at + 8, static_cast<std::uint32_t>(size));
    b.Put16(at + 12, idOrHotspot);
}

// The icon group resource of one icon whose images are icon resources firstId, firstId + 1, ...
std::string GroupResource(const std::vector<TIconImageSpec>& images, int colorIndex, int firstId) {
    Bytes b(6 + 14 * images.size());
    b.Put16(2, 1);
    b.Put16(4, static_cast<unsigned>(images.size()));
    for (size_t j = 0; j < images.size(); ++j)
        PutEntry(b, 6 + 14 * j, images[j], IconImage(colorIndex, images[j]).size(),
                 static_cast<unsigned>(firstId + j));
    return b.Str();
}

// An .ico file of one icon.
std::string IcoFile(const std::vector<TIconImageSpec>& images, int colorIndex) {
    Bytes b(6 + 16 * images.size());
    b.Put16(2, 1);
    b.Put16(4, static_cast<unsigned>(images.size()));
    for (size_t j = 0; j < images.size(); ++j) {
        const std::string image = IconImage(colorIndex, images[j]);
        const size_t at = 6 + 16 * j;
        PutEntry(b, at, images[j], image.size());
        b.Put32(at + 12, static_cast<std::uint32_t>(b.Size()));
        b.Append(image);
    }
    return b.Str();
}

// A DLL of `count` icon groups of `images` each: PE32+ or, with `pe32`, PE32.
std::string PeLibrary(int count, const std::vector<TIconImageSpec>& images, bool pe32) {
    const size_t n = static_cast<size_t>(count < 0 ? 0 : count), m = images.size(), icons = n * m;
    const std::uint32_t kSectionRva = 0x1000;
    const size_t kHeaders = 0x200;

    // The resource section: root directory (types), one directory per type (icons 1..n*m, groups
    // 1..n), one language directory per resource, the data entries, then the data.
    Bytes r;
    const size_t types = n > 0 ? 2 : 0;
    const size_t iconDir = 16 + types * 8;
    const size_t groupDir = iconDir + 16 + icons * 8;
    const size_t langDirs = groupDir + 16 + n * 8;
    const size_t entries = langDirs + (icons + n) * 24;
    size_t data = AlignUp(entries + (icons + n) * 16, 8);

    r.Put16(14, static_cast<unsigned>(types));
    if (n > 0) {
        // Entries sorted by ID: RT_ICON (3) before RT_GROUP_ICON (14).
        r.Put32(16, 3);
        r.Put32(20, 0x80000000u | static_cast<std::uint32_t>(iconDir));
        r.Put32(24, 14);
        r.Put32(28, 0x80000000u | static_cast<std::uint32_t>(groupDir));
    }
    r.Put16(iconDir + 14, static_cast<unsigned>(icons));
    r.Put16(groupDir + 14, static_cast<unsigned>(n));
    for (size_t slot = 0; slot < icons + n; ++slot) {
        const bool group = slot >= icons;
        const size_t i = group ? slot - icons : slot;  // resource i + 1 of its type
        const std::string bytes = group ? GroupResource(images, static_cast<int>(i), static_cast<int>(i * m + 1))
                                        : IconImage(static_cast<int>(i / m), images[i % m]);
        const size_t typeDir = group ? groupDir : iconDir, lang = langDirs + slot * 24, entry = entries + slot * 16;
        r.Put32(typeDir + 16 + i * 8, static_cast<std::uint32_t>(i + 1));
        r.Put32(typeDir + 20 + i * 8, 0x80000000u | static_cast<std::uint32_t>(lang));
        r.Put16(lang + 14, 1);
        r.Put32(lang + 16, 0x0409);
        r.Put32(lang + 20, static_cast<std::uint32_t>(entry));
        r.Put32(entry, kSectionRva + static_cast<std::uint32_t>(data));
        r.Put32(entry + 4, static_cast<std::uint32_t>(bytes.size()));
        r.PutBytes(data, bytes);
        data = AlignUp(data + bytes.size(), 8);
    }
    const size_t resourceSize = r.Size() < 16 ? 16 : r.Size();
    const size_t rawSize = AlignUp(resourceSize, 0x200);

    Bytes b(kHeaders + rawSize);
    b.Put16(0, 0x5A4D);  // "MZ"
    b.Put32(0x3C, 0x40);
    b.PutBytes(0x40, std::string("PE\0\0", 4));
    const size_t fh = 0x44, oh = fh + 20, optionalSize = pe32 ? 224 : 240;
    b.Put16(fh + 0, pe32 ? 0x14C : 0x8664);
    b.Put16(fh + 2, 1);
    b.Put16(fh + 16, static_cast<unsigned>(optionalSize));
    b.Put16(fh + 18, pe32 ? 0x2102 : 0x2022);  // executable image, DLL; 32-bit or large addresses
    b.Put16(oh + 0, pe32 ? 0x10B : 0x20B);
    b.Put32(oh + 8, static_cast<std::uint32_t>(rawSize));
    b.Put32(oh + 32, 0x1000);
    b.Put32(oh + 36, 0x200);
    b.Put16(oh + 40, 4);
    b.Put16(oh + 48, 4);
    b.Put32(oh + 56, kSectionRva + static_cast<std::uint32_t>(AlignUp(resourceSize, 0x1000)));
    b.Put32(oh + 60, static_cast<std::uint32_t>(kHeaders));
    b.Put16(oh + 68, 2);  // GUI
    const size_t directories = pe32 ? 96 : 112;
    if (pe32) {
        b.Put32(oh + 28, 0x10000000u);
        for (int k = 0; k < 4; ++k) b.Put32(oh + 72 + 4 * k, k % 2 ? 0x1000 : 0x100000);
    } else {
        b.Put64(oh + 24, 0x10000000ull);
        for (int k = 0; k < 4; ++k) b.Put64(oh + 72 + 8 * k, k % 2 ? 0x1000 : 0x100000);
    }
    b.Put32(oh + directories - 4, 16);
    b.Put32(oh + directories + 2 * 8, kSectionRva);  // resource directory
    b.Put32(oh + directories + 2 * 8 + 4, static_cast<std::uint32_t>(resourceSize));
    const size_t sh = oh + optionalSize;
    b.PutBytes(sh, std::string(".rsrc\0\0\0", 8));
    b.Put32(sh + 8, static_cast<std::uint32_t>(resourceSize));
    b.Put32(sh + 12, kSectionRva);
    b.Put32(sh + 16, static_cast<std::uint32_t>(rawSize));
    b.Put32(sh + 20, static_cast<std::uint32_t>(kHeaders));
    b.Put32(sh + 36, 0x40000040u);  // initialised data, readable
    b.PutBytes(kHeaders, r.Str());
    return b.Str();
}

// A 16-bit library of `count` icon groups of `images` each.
std::string NeLibrary(int count, const std::vector<TIconImageSpec>& images) {
    const size_t n = static_cast<size_t>(count < 0 ? 0 : count), m = images.size(), icons = n * m;
    const size_t ne = 0x40;
    const size_t rsrc = 0x40;  // resource table, relative to the NE header
    // Resource table: shift, the group and icon type records with their name records, end of
    // types, end of resource names.
    const size_t rsrcSize = 2 + (8 + n * 12) + (8 + icons * 12) + 2 + 1;
    const size_t resident = rsrc + rsrcSize;
    const std::string moduleName = "ICONS";
    const size_t residentSize = 1 + moduleName.size() + 2 + 1;
    const size_t imports = resident + residentSize;  // module references (none), then imported names
    const size_t entryTable = imports + 1;
    const size_t tablesEnd = ne + entryTable + 2;
    const size_t nonResident = tablesEnd;
    const std::string description = "Vemlora test icons";
    const size_t dataStart = nonResident + 1 + description.size() + 2 + 1;

    std::vector<std::string> groups, iconImages;
    size_t total = 0;
    for (size_t i = 0; i < n; ++i) {
        groups.push_back(GroupResource(images, static_cast<int>(i), static_cast<int>(i * m + 1)));
        for (size_t j = 0; j < m; ++j) iconImages.push_back(IconImage(static_cast<int>(i), images[j]));
    }
    // The smallest alignment shift whose 16-bit offsets reach every resource.
    unsigned shift = 4;
    for (;; ++shift) {
        const size_t unit = size_t{1} << shift;
        total = AlignUp(dataStart, unit);
        for (const auto* list : {&groups, &iconImages})
            for (const std::string& bytes : *list) total += AlignUp(bytes.size(), unit);
        if (total / unit <= 0xFFFF) break;
    }
    const size_t unit = size_t{1} << shift;

    Bytes b;
    b.Put16(0, 0x5A4D);
    b.Put32(0x3C, static_cast<std::uint32_t>(ne));
    b.Put16(ne + 0, 0x454E);  // "NE"
    b.Put8(ne + 2, 5);
    b.Put8(ne + 3, 10);
    // Offsets of the tables are 16-bit; past about 2,700 icons the resource table outgrows
    // them. The platform walks the resource table by its records and reads such files all
    // the same; the offsets after it are then clamped.
    auto off16 = [](size_t v) { return static_cast<unsigned>(v > 0xFFFF ? 0xFFFF : v); };
    b.Put16(ne + 4, off16(entryTable));
    b.Put16(ne + 6, 2);
    b.Put16(ne + 12, 0x8000);  // library module
    b.Put16(ne + 32, static_cast<unsigned>(1 + description.size() + 2 + 1));
    b.Put16(ne + 34, static_cast<unsigned>(rsrc));  // no segments
    b.Put16(ne + 36, static_cast<unsigned>(rsrc));
    b.Put16(ne + 38, off16(resident));
    b.Put16(ne + 40, off16(imports));
    b.Put16(ne + 42, off16(imports));
    b.Put32(ne + 44, static_cast<std::uint32_t>(nonResident));
    b.Put16(ne + 50, 4);
    b.Put8(ne + 54, 2);  // Windows
    b.Put16(ne + 62, 0x030A);

    size_t t = ne + rsrc;
    b.Put16(t, shift);
    t += 2;
    size_t data = AlignUp(dataStart, unit);
    for (int kind = 0; kind < 2; ++kind) {  // 0: groups, 1: icons
        const std::vector<std::string>& list = kind == 0 ? groups : iconImages;
        b.Put16(t, kind == 0 ? 0x800E : 0x8003);
        b.Put16(t + 2, static_cast<unsigned>(list.size()));
        t += 8;
        for (size_t i = 0; i < list.size(); ++i, t += 12) {
            b.Put16(t, static_cast<unsigned>(data >> shift));
            b.Put16(t + 2, static_cast<unsigned>(AlignUp(list[i].size(), unit) >> shift));
            b.Put16(t + 4, 0x1030);  // moveable, pure, discardable
            b.Put16(t + 6, 0x8000u | static_cast<unsigned>(i + 1));
            b.PutBytes(data, list[i]);
            data += AlignUp(list[i].size(), unit);
        }
    }
    // End of types (0) and of resource names (0) stay zero.
    size_t p = ne + resident;
    b.Put8(p, static_cast<unsigned>(moduleName.size()));
    b.PutBytes(p + 1, moduleName);
    p = nonResident;
    b.Put8(p, static_cast<unsigned>(description.size()));
    b.PutBytes(p + 1, description);
    b.Pad(data);  // the last resource fills its aligned length
    return b.Str();
}

}  // namespace

COLORREF IconColor(int index) {
    unsigned i = static_cast<unsigned>(index) % 5120u;
    return RGB(0x20 + (i % 16) * 0x0E, 0x20 + ((i / 16) % 16) * 0x0E, 0x30 + (i / 256) * 0x0A);
}

std::string MakeIconFile(TIconFileKind kind, int count, const std::vector<TIconImageSpec>& images) {
    switch (kind) {
    case TIconFileKind::Ico: return IcoFile(images, 0);
    case TIconFileKind::Pe32: return PeLibrary(count, images, true);
    case TIconFileKind::Pe64: return PeLibrary(count, images, false);
    case TIconFileKind::Ne: return NeLibrary(count, images);
    }
    return {};
}

std::string WriteIcoFile(const TempDir& dir, const std::string& name, int colorIndex) {
    return dir.WriteFile(name, IcoFile({TIconImageSpec()}, colorIndex));
}
std::string WritePeIconLibrary(const TempDir& dir, const std::string& name, int count) {
    return dir.WriteFile(name, MakeIconFile(TIconFileKind::Pe64, count));
}
std::string WriteNeIconLibrary(const TempDir& dir, const std::string& name, int count) {
    return dir.WriteFile(name, MakeIconFile(TIconFileKind::Ne, count));
}
std::string WriteFileWithoutIcons(const TempDir& dir, const std::string& name) {
    return WritePeIconLibrary(dir, name, 0);
}

std::vector<TDamagedIconFile> DamagedIconFiles() {
    using K = TIconFileKind;
    // An icon group claiming 65,535 entries where it holds one.
    auto groupClaims = [](K kind) {
        Bytes b;
        b.PutBytes(0, MakeIconFile(kind, 1));
        b.Put16(b.Str().find(GroupResource({TIconImageSpec()}, 0, 1)) + 4, 0xFFFF);
        return b.Str();
    };
    // A PE32+ library of one icon with fields of its headers or resource tree changed.
    struct Patch {
        size_t at;
        int width;
        std::uint32_t value;
    };
    auto pe = [](std::initializer_list<Patch> patches) {
        Bytes b;
        b.PutBytes(0, MakeIconFile(K::Pe64, 1));
        for (const Patch& p : patches) p.width == 2 ? b.Put16(p.at, p.value) : b.Put32(p.at, p.value);
        return b.Str();
    };
    // Two sections holding the icon group's address: the platform reads the group through the one
    // holding the resource directory, where it claims 65,535 entries; the other holds a sound copy.
    auto overlapping = [] {
        Bytes b;
        b.PutBytes(0, MakeIconFile(K::Pe64, 1));
        const std::string sound = GroupResource({TIconImageSpec()}, 0, 1);
        const size_t sections = 0x148, group = b.Str().find(sound), copy = b.Size();
        b.Append(sound);
        b.Put16(group + 4, 0xFFFF);
        b.Put16(0x46, 2);
        b.Put32(sections + 40 + 12, static_cast<std::uint32_t>(0x1000 + group - 0x200));
        b.Put32(sections + 40 + 16, static_cast<std::uint32_t>(sound.size()));
        b.Put32(sections + 40 + 20, static_cast<std::uint32_t>(copy));
        return b.Str();
    };
    Bytes endsInHeader(4096);  // a page-long DOS program whose PE header offset points at its last two bytes
    endsInHeader.Put16(0, 0x5A4D);
    endsInHeader.Put32(0x3C, 4094);
    // Places in the one-icon PE32+ library: the optional header's size, the headers' size, the
    // root directory's entries, the icon group's language directory.
    const size_t optionalSize = 0x54, headersSize = 0x58 + 60, rootEntries = 0x200 + 16, groupLanguage = 0x268;
    return {
        {"group-claims-more.dll", groupClaims(K::Pe64)},
        {"group-claims-more-pe32.dll", groupClaims(K::Pe32)},
        {"group-claims-more.icl", groupClaims(K::Ne)},
        {"header-in-last-bytes.exe", endsInHeader.Str()},
        // The resource directory found at its fixed place all the same, the sections looked for
        // inside the optional header.
        {"optional-header-too-small.dll", pe({{optionalSize, 2, 40}})},
        // The resource directory's address below the headers' size: taken as a file offset.
        {"resources-in-headers.dll", pe({{headersSize, 4, 0x80000000u}})},
        // The icon type's ID with bits above the low 16, its directory past the end of the file.
        {"type-id-high-bits.dll", pe({{rootEntries, 4, 0x00010003u}, {rootEntries + 4, 4, 0x8000FF00u}})},
        // A language directory counting no entries: its first is read all the same, and points past the end.
        {"overlapping-sections.dll", overlapping()},
        {"language-first-entry.dll", pe({{groupLanguage + 14, 2, 0}, {groupLanguage + 20, 4, 0xFF00}})},
    };
}

std::string Shell32Path() { return SystemDir() + "\\shell32.dll"; }

}  // namespace testing_support
