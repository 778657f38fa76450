#include "support/IconLibraries.h"

#include <cstdint>

namespace testing_support {

namespace {

// Numbers at fixed places of a buffer that grows as needed: little-endian unless asked.
class Bytes {
public:
    explicit Bytes(size_t size = 0) : data_(size, '\0') {}
    explicit Bytes(std::string data) : data_(std::move(data)) {}
    void Put(size_t at, std::uint64_t v, int width, bool bigEndian = false) {
        Pad(at + width);
        for (int i = 0; i < width; ++i) data_[at + i] = static_cast<char>(v >> 8 * (bigEndian ? width - 1 - i : i));
    }
    void Put(std::initializer_list<TBytesField> fields) {
        for (const TBytesField& f : fields) Put(f.at, f.value, f.width);
    }
    void PutBytes(size_t at, const std::string& bytes) {
        Pad(at + bytes.size());
        data_.replace(at, bytes.size(), bytes);
    }
    void Append(const std::string& bytes) { data_ += bytes; }
    void Pad(size_t size) {
        if (data_.size() < size) data_.resize(size, '\0');
    }
    size_t Size() const { return data_.size(); }
    const std::string& Str() const { return data_; }

private:
    std::string data_;
};

size_t AlignUp(size_t v, size_t a) { return (v + a - 1) / a * a; }

bool Frame(size_t x, size_t y, size_t side) { return x == 0 || y == 0 || x == side - 1 || y == side - 1; }

// A PNG of 8-bit RGBA, its image data in stored (uncompressed) deflate blocks.
std::string PngImage(int side, COLORREF c) {
    Bytes rows;
    for (int y = 0; y < side; ++y) {
        rows.Append(std::string(1, '\0'));  // no filter
        for (int x = 0; x < side; ++x) rows.Put(rows.Size(), 0xFF000000u | (Frame(x, y, side) ? 0 : c), 4);  // RGBA
    }
    const std::string& raw = rows.Str();
    Bytes z;
    z.Append(std::string("\x78\x01", 2));
    for (size_t at = 0; at < raw.size();) {
        const size_t n = raw.size() - at < 0xFFFF ? raw.size() - at : 0xFFFF;
        const size_t p = z.Size();
        z.Put({{p, 1, at + n == raw.size()} /* the last block */, {p + 1, 2, n}, {p + 3, 2, ~n & 0xFFFF}});
        z.Append(raw.substr(at, n));
        at += n;
    }
    std::uint32_t a = 1, b = 0;
    for (unsigned char ch : raw) a = (a + ch) % 65521, b = (b + a) % 65521;
    z.Put(z.Size(), (b << 16) | a, 4, true);

    Bytes png;
    png.Append("\x89PNG\r\n\x1A\n");
    auto chunk = [&png](const char* type, const std::string& body) {
        const size_t p = png.Size();
        png.Put(p, body.size(), 4, true);
        png.Append(std::string(type, 4) + body);
        std::uint32_t crc = 0xFFFFFFFFu;
        for (unsigned char ch : std::string(type, 4) + body) {
            crc ^= ch;
            for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
        }
        png.Put(png.Size(), ~crc, 4, true);
    };
    Bytes ihdr(13);
    ihdr.Put(0, side, 4, true);
    ihdr.Put(4, side, 4, true);
    ihdr.Put({{8, 1, 8} /* bits per sample */, {9, 1, 6} /* RGBA */});
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
    const size_t side = shape.side, bpp = shape.bpp, colors = bpp <= 8 ? size_t{1} << bpp : 0;
    const size_t stride = (side * bpp + 31) / 32 * 4, rowsSize = (stride + (side + 31) / 32 * 4) * side;
    const size_t bits = 40 + colors * 4;
    Bytes b(bits + rowsSize);
    // The height counts the colour rows and the mask rows.
    b.Put({{0, 4, 40}, {4, 4, side}, {8, 4, side * 2}, {12, 2, 1}, {14, 2, bpp}, {20, 4, rowsSize}});
    if (colors) b.Put(40 + 4, c, 3, true);  // palette entries are blue, green, red
    for (size_t y = 0; y < side; ++y)
        for (size_t x = 0; x < side; ++x) {
            const bool f = Frame(x, y, side);
            const size_t at = bits + y * stride + x * bpp / 8;
            if (bpp <= 8) {
                b.Put(at, static_cast<unsigned char>(b.Str()[at]) | (f ? 0u : 1u) << (8 - bpp - x * bpp % 8), 1);
            } else {
                b.Put(at, f ? 0 : c, 3, true);  // blue, green, red
                if (bpp == 32) b.Put(at + 3, 0xFF, 1);
            }
        }
    // The mask stays zero: every pixel opaque.
    return b.Str();
}

// The directory of one icon's images. With `firstId` an icon group resource: its 14-byte entries
// name the icon resources firstId, firstId + 1, ...; with 0 an .ico file: each 16-byte entry
// holds the file offset of its image, which follows the directory.
std::string IconDirectory(const std::vector<TIconImageSpec>& images, int colorIndex, int firstId) {
    const size_t size = firstId ? 14 : 16;
    Bytes b(6 + size * images.size());
    b.Put({{2, 2, 1}, {4, 2, images.size()}});
    for (size_t j = 0; j < images.size(); ++j) {
        const std::string image = IconImage(colorIndex, images[j]);
        const size_t at = 6 + size * j;
        const unsigned side = images[j].side & 0xFF, bpp = images[j].png ? 32 : images[j].bpp;
        b.Put({{at, 1, side}, {at + 1, 1, side}, {at + 2, 1, bpp < 8 ? 1u << bpp : 0}, {at + 4, 2, 1}, {at + 6, 2, bpp},
               {at + 8, 4, image.size()}, {at + 12, firstId ? 2 : 4, firstId ? firstId + j : b.Size()}});
        if (!firstId) b.Append(image);
    }
    return b.Str();
}

// The resources of `count` icons of `images` each: the icon images (IDs 1, 2, ... in their
// order) and the icon groups (IDs 1 to `count`) naming them.
struct TIconResources {
    explicit TIconResources(int count, const std::vector<TIconImageSpec>& images) {
        for (int i = 0; i < count; ++i) {
            for (const TIconImageSpec& image : images) icons.push_back(IconImage(i, image));
            groups.push_back(IconDirectory(images, i, static_cast<int>(i * images.size() + 1)));
        }
    }
    std::vector<std::string> icons, groups;
};

// A DLL of `count` icon groups of `images` each: PE32+ or, with `pe32`, PE32.
std::string PeLibrary(int count, const std::vector<TIconImageSpec>& images, bool pe32) {
    const TIconResources resources(count, images);
    const size_t n = resources.groups.size(), icons = resources.icons.size();
    const size_t kSectionRva = 0x1000, kHeaders = 0x200;

    // The resource section: root directory (types), one directory per type (icons 1..n*m, groups
    // 1..n), one language directory per resource, the data entries, then the data.
    Bytes r;
    const size_t types = n > 0 ? 2 : 0, iconDir = 16 + types * 8, groupDir = iconDir + 16 + icons * 8;
    const size_t langDirs = groupDir + 16 + n * 8, entries = langDirs + (icons + n) * 24;
    size_t data = AlignUp(entries + (icons + n) * 16, 8);

    r.Put({{14, 2, types}, {iconDir + 14, 2, icons}, {groupDir + 14, 2, n}});
    if (n > 0)  // entries sorted by ID: RT_ICON (3) before RT_GROUP_ICON (14)
        r.Put({{16, 4, 3}, {20, 4, 0x80000000u | iconDir}, {24, 4, 14}, {28, 4, 0x80000000u | groupDir}});
    for (size_t slot = 0; slot < icons + n; ++slot) {
        const bool group = slot >= icons;
        const size_t i = group ? slot - icons : slot;  // resource i + 1 of its type
        const std::string& bytes = group ? resources.groups[i] : resources.icons[i];
        const size_t typeDir = group ? groupDir : iconDir, lang = langDirs + slot * 24, entry = entries + slot * 16;
        r.Put({{typeDir + 16 + i * 8, 4, i + 1}, {typeDir + 20 + i * 8, 4, 0x80000000u | lang}, {lang + 14, 2, 1},
               {lang + 16, 4, 0x0409}, {lang + 20, 4, entry}, {entry, 4, kSectionRva + data},
               {entry + 4, 4, bytes.size()}});
        r.PutBytes(data, bytes);
        data = AlignUp(data + bytes.size(), 8);
    }
    const size_t resourceSize = r.Size() < 16 ? 16 : r.Size();
    const size_t rawSize = AlignUp(resourceSize, 0x200);

    // The headers: MZ, PE, the optional header and its data directories, one section.
    const size_t fh = 0x44, oh = fh + 20, optionalSize = pe32 ? 224 : 240, sh = oh + optionalSize;
    const size_t directories = sh - 16 * 8;  // the 16 data directories end the optional header
    const int word = pe32 ? 4 : 8;
    Bytes b(kHeaders + rawSize);
    b.Put({
        {0, 2, 0x5A4D}, {0x3C, 4, 0x40}, {0x40, 4, 0x4550},  // "MZ", where the PE header is, "PE"
        {fh, 2, pe32 ? 0x14Cu : 0x8664u}, {fh + 2, 2, 1}, {fh + 16, 2, optionalSize},
        {fh + 18, 2, pe32 ? 0x2102u : 0x2022u},  // executable image, DLL; 32-bit or large addresses
        {oh, 2, pe32 ? 0x10Bu : 0x20Bu}, {oh + 8, 4, rawSize}, {oh + 32, 4, 0x1000}, {oh + 36, 4, 0x200},
        {oh + 40, 2, 4}, {oh + 48, 2, 4}, {oh + 56, 4, kSectionRva + AlignUp(resourceSize, 0x1000)},
        {oh + 60, 4, kHeaders}, {oh + 68, 2, 2} /* GUI */, {pe32 ? oh + 28 : oh + 24, word, 0x10000000},
        // The stack's and the heap's reserve and commit.
        {oh + 72, word, 0x100000}, {oh + 72 + word, word, 0x1000},
        {oh + 72 + 2 * word, word, 0x100000}, {oh + 72 + 3 * word, word, 0x1000},
        {directories - 4, 4, 16}, {directories + 2 * 8, 4, kSectionRva}, {directories + 2 * 8 + 4, 4, resourceSize},
        {sh + 8, 4, resourceSize}, {sh + 12, 4, kSectionRva}, {sh + 16, 4, rawSize}, {sh + 20, 4, kHeaders},
        {sh + 36, 4, 0x40000040u},  // initialised data, readable
    });
    b.PutBytes(sh, ".rsrc");
    b.PutBytes(kHeaders, r.Str());
    return b.Str();
}

// A 16-bit library of `count` icon groups of `images` each.
std::string NeLibrary(int count, const std::vector<TIconImageSpec>& images) {
    const TIconResources resources(count, images);
    const size_t n = resources.groups.size(), icons = resources.icons.size();
    const std::string moduleName = "ICONS", description = "Vemlora test icons";
    // Relative to the NE header: the resource table (shift, the group and icon type records with
    // their name records, end of types, end of resource names), the resident names, the module
    // references (none), the imported names, the entry table. The non-resident names follow.
    const size_t ne = 0x40, rsrc = 0x40, resident = rsrc + 2 + (8 + n * 12) + (8 + icons * 12) + 2 + 1;
    const size_t imports = resident + 1 + moduleName.size() + 2 + 1, entryTable = imports + 1;
    const size_t nonResident = ne + entryTable + 2, dataStart = nonResident + 1 + description.size() + 2 + 1;

    // The smallest alignment shift whose 16-bit offsets reach every resource.
    unsigned shift = 4;
    for (;; ++shift) {
        size_t total = AlignUp(dataStart, size_t{1} << shift);
        for (const auto* list : {&resources.groups, &resources.icons})
            for (const std::string& bytes : *list) total += AlignUp(bytes.size(), size_t{1} << shift);
        if (total >> shift <= 0xFFFF) break;
    }
    const size_t unit = size_t{1} << shift;

    // Offsets of the tables are 16-bit; past about 2,700 icons the resource table outgrows
    // them. The platform walks the resource table by its records and reads such files all
    // the same; the offsets after it are then clamped.
    auto off16 = [](size_t v) { return v > 0xFFFF ? 0xFFFF : v; };
    Bytes b;
    b.Put({
        {0, 2, 0x5A4D}, {0x3C, 4, ne}, {ne, 2, 0x454E} /* "NE" */, {ne + 2, 1, 5}, {ne + 3, 1, 10},
        {ne + 4, 2, off16(entryTable)}, {ne + 6, 2, 2}, {ne + 12, 2, 0x8000} /* library module */,
        {ne + 32, 2, 1 + description.size() + 2 + 1}, {ne + 34, 2, rsrc} /* no segments */, {ne + 36, 2, rsrc},
        {ne + 38, 2, off16(resident)}, {ne + 40, 2, off16(imports)}, {ne + 42, 2, off16(imports)},
        {ne + 44, 4, nonResident}, {ne + 50, 2, 4}, {ne + 54, 1, 2} /* Windows */, {ne + 62, 2, 0x030A},
    });
    size_t t = ne + rsrc;
    b.Put(t, shift, 2);
    t += 2;
    size_t data = AlignUp(dataStart, unit);
    for (int kind = 0; kind < 2; ++kind) {  // 0: groups, 1: icons
        const std::vector<std::string>& list = kind == 0 ? resources.groups : resources.icons;
        b.Put({{t, 2, kind == 0 ? 0x800Eu : 0x8003u}, {t + 2, 2, list.size()}});
        t += 8;
        for (size_t i = 0; i < list.size(); ++i, t += 12) {
            b.Put({{t, 2, data >> shift}, {t + 2, 2, AlignUp(list[i].size(), unit) >> shift},
                   {t + 4, 2, 0x1030} /* moveable, pure, discardable */, {t + 6, 2, 0x8000u | (i + 1)}});
            b.PutBytes(data, list[i]);
            data += AlignUp(list[i].size(), unit);
        }
    }
    // End of types (0) and of resource names (0) stay zero.
    b.PutBytes(ne + resident, static_cast<char>(moduleName.size()) + moduleName);
    b.PutBytes(nonResident, static_cast<char>(description.size()) + description);
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
    case TIconFileKind::Ico: return IconDirectory(images, 0, 0);
    case TIconFileKind::Pe32: return PeLibrary(count, images, true);
    case TIconFileKind::Pe64: return PeLibrary(count, images, false);
    case TIconFileKind::Ne: return NeLibrary(count, images);
    }
    return {};
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

std::string Patched(std::string bytes, std::initializer_list<TBytesField> fields) {
    Bytes b(std::move(bytes));
    b.Put(fields);
    return b.Str();
}

std::vector<TDamagedIconFile> DamagedIconFiles() {
    using K = TIconFileKind;
    const std::string pe = MakeIconFile(K::Pe64, 1), group = IconDirectory({TIconImageSpec()}, 0, 1);
    // An icon group claiming 65,535 entries where it holds one.
    auto groupClaims = [&group](K kind) {
        const std::string file = MakeIconFile(kind, 1);
        return Patched(file, {{file.find(group) + 4, 2, 0xFFFF}});
    };
    // Places in the one-icon PE32+ library: the optional header's size, the headers' size, the
    // root directory's entries, the icon group's language directory, the second section's header.
    const size_t optionalSize = 0x54, headersSize = 0x58 + 60, rootEntries = 0x200 + 16, groupLanguage = 0x268;
    const size_t section2 = 0x148 + 40, groupAt = pe.find(group);
    return {
        {"group-claims-more.dll", groupClaims(K::Pe64)},
        {"group-claims-more-pe32.dll", groupClaims(K::Pe32)},
        {"group-claims-more.icl", groupClaims(K::Ne)},
        // A page-long DOS program whose PE header offset points at its last two bytes.
        {"header-in-last-bytes.exe", Patched(std::string(4096, '\0'), {{0, 2, 0x5A4D}, {0x3C, 4, 4094}})},
        // The resource directory found at its fixed place all the same, the sections looked for
        // inside the optional header.
        {"optional-header-too-small.dll", Patched(pe, {{optionalSize, 2, 40}})},
        // The resource directory's address below the headers' size: taken as a file offset.
        {"resources-in-headers.dll", Patched(pe, {{headersSize, 4, 0x80000000u}})},
        // The icon type's ID with bits above the low 16, its directory past the end of the file.
        {"type-id-high-bits.dll", Patched(pe, {{rootEntries, 4, 0x00010003u}, {rootEntries + 4, 4, 0x8000FF00u}})},
        // Two sections holding the icon group's address: the platform reads the group through the
        // one holding the resource directory, where it claims 65,535 entries; the other holds a
        // sound copy, at the file's end.
        {"overlapping-sections.dll",
         Patched(pe + group, {{groupAt + 4, 2, 0xFFFF}, {0x46, 2, 2}, {section2 + 12, 4, 0x1000 + groupAt - 0x200},
                              {section2 + 16, 4, group.size()}, {section2 + 20, 4, pe.size()}})},
        // A language directory counting no entries: its first is read all the same, and points past the end.
        {"language-first-entry.dll", Patched(pe, {{groupLanguage + 14, 2, 0}, {groupLanguage + 20, 4, 0xFF00}})},
    };
}

std::string Shell32Path() { return SystemDir() + "\\shell32.dll"; }

}  // namespace testing_support
