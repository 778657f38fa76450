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
    void Put64(size_t at, std::uint64_t v) {
        Put32(at, static_cast<std::uint32_t>(v));
        Put32(at + 4, static_cast<std::uint32_t>(v >> 32));
    }
    void PutBytes(size_t at, const std::string& bytes) {
        Grow(at + bytes.size());
        data_.replace(at, bytes.size(), bytes);
    }
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

constexpr int kSide = 32;
// 40-byte header, 16-colour palette, 4-bit colour rows, 1-bit mask rows.
constexpr size_t kImageSize = 40 + 16 * 4 + kSide * kSide / 2 + kSide * 4;
constexpr size_t kGroupSize = 6 + 14;

// The icon image as an icon resource holds it (and an .ico file after its directory).
std::string IconImage(int colorIndex) {
    Bytes b(kImageSize);
    b.Put32(0, 40);
    b.Put32(4, kSide);
    b.Put32(8, kSide * 2);  // colour rows and mask rows
    b.Put16(12, 1);
    b.Put16(14, 4);
    b.Put32(20, kSide * kSide / 2 + kSide * 4);
    COLORREF c = IconColor(colorIndex);
    // Palette entry 0 is black (the frame), entry 1 the icon's colour.
    b.Put8(40 + 4 + 0, GetBValue(c));
    b.Put8(40 + 4 + 1, GetGValue(c));
    b.Put8(40 + 4 + 2, GetRValue(c));
    size_t bits = 40 + 16 * 4;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; x += 2) {
            auto pixel = [&](int px) { return (px == 0 || px == kSide - 1 || y == 0 || y == kSide - 1) ? 0u : 1u; };
            b.Put8(bits + static_cast<size_t>(y) * (kSide / 2) + x / 2, (pixel(x) << 4) | pixel(x + 1));
        }
    // The mask stays zero: every pixel opaque.
    return b.Str();
}

// The icon group (directory) resource naming icon resource `iconId`.
std::string GroupResource(int iconId) {
    Bytes b(kGroupSize);
    b.Put16(2, 1);  // icons
    b.Put16(4, 1);  // one image
    b.Put8(6, kSide);
    b.Put8(7, kSide);
    b.Put8(8, 16);  // colours
    b.Put16(10, 1);
    b.Put16(12, 4);
    b.Put32(14, static_cast<std::uint32_t>(kImageSize));
    b.Put16(18, static_cast<unsigned>(iconId));
    return b.Str();
}

std::string WriteTo(const TempDir& dir, const std::string& name, const std::string& bytes) {
    return dir.WriteFile(name, bytes);
}

}  // namespace

COLORREF IconColor(int index) {
    unsigned i = static_cast<unsigned>(index) % 5120u;
    return RGB(0x20 + (i % 16) * 0x0E, 0x20 + ((i / 16) % 16) * 0x0E, 0x30 + (i / 256) * 0x0A);
}

std::string MakeIcoFile(int colorIndex) {
    Bytes b;
    b.Put16(2, 1);
    b.Put16(4, 1);
    b.Put8(6, kSide);
    b.Put8(7, kSide);
    b.Put8(8, 16);
    b.Put16(10, 1);
    b.Put16(12, 4);
    b.Put32(14, static_cast<std::uint32_t>(kImageSize));
    b.Put32(18, 22);
    b.PutBytes(22, IconImage(colorIndex));
    return b.Str();
}

std::string MakePeIconLibrary(int count) {
    if (count < 0) count = 0;
    const size_t n = static_cast<size_t>(count);
    const std::uint32_t kSectionRva = 0x1000;
    const size_t kHeaders = 0x200;

    // The resource section: root directory (types), one directory per type (IDs 1..n),
    // one language directory per resource, the data entries, then the data.
    Bytes r;
    const size_t types = n > 0 ? 2 : 0;
    const size_t root = 0;
    const size_t iconDir = 16 + types * 8;
    const size_t groupDir = iconDir + 16 + n * 8;
    const size_t langDirs = groupDir + 16 + n * 8;
    const size_t entries = langDirs + 2 * n * 24;
    const size_t iconData = AlignUp(entries + 2 * n * 16, 8);
    const size_t groupData = iconData + n * AlignUp(kImageSize, 8);

    r.Put16(root + 14, static_cast<unsigned>(types));
    if (n > 0) {
        // Entries sorted by ID: RT_ICON (3) before RT_GROUP_ICON (14).
        r.Put32(root + 16, 3);
        r.Put32(root + 20, 0x80000000u | static_cast<std::uint32_t>(iconDir));
        r.Put32(root + 24, 14);
        r.Put32(root + 28, 0x80000000u | static_cast<std::uint32_t>(groupDir));
    }
    r.Put16(iconDir + 14, static_cast<unsigned>(n));
    r.Put16(groupDir + 14, static_cast<unsigned>(n));
    for (size_t i = 0; i < n; ++i) {
        for (int kind = 0; kind < 2; ++kind) {  // 0: icon, 1: group
            size_t slot = kind * n + i;
            size_t typeDir = kind == 0 ? iconDir : groupDir;
            size_t lang = langDirs + slot * 24;
            size_t entry = entries + slot * 16;
            size_t data = kind == 0 ? iconData + i * AlignUp(kImageSize, 8) : groupData + i * AlignUp(kGroupSize, 8);
            r.Put32(typeDir + 16 + i * 8, static_cast<std::uint32_t>(i + 1));
            r.Put32(typeDir + 20 + i * 8, 0x80000000u | static_cast<std::uint32_t>(lang));
            r.Put16(lang + 14, 1);
            r.Put32(lang + 16, 0x0409);
            r.Put32(lang + 20, static_cast<std::uint32_t>(entry));
            r.Put32(entry, kSectionRva + static_cast<std::uint32_t>(data));
            r.Put32(entry + 4, static_cast<std::uint32_t>(kind == 0 ? kImageSize : kGroupSize));
            r.PutBytes(data, kind == 0 ? IconImage(static_cast<int>(i)) : GroupResource(static_cast<int>(i + 1)));
        }
    }
    const size_t resourceSize = r.Size() < 16 ? 16 : r.Size();
    const size_t rawSize = AlignUp(resourceSize, 0x200);

    Bytes b(kHeaders + rawSize);
    b.Put16(0, 0x5A4D);  // "MZ"
    b.Put32(0x3C, 0x40);
    b.PutBytes(0x40, std::string("PE\0\0", 4));
    const size_t fh = 0x44;
    b.Put16(fh + 0, 0x8664);
    b.Put16(fh + 2, 1);
    b.Put16(fh + 16, 240);
    b.Put16(fh + 18, 0x2022);  // executable image, large addresses, DLL
    const size_t oh = fh + 20;
    b.Put16(oh + 0, 0x20B);  // PE32+
    b.Put32(oh + 8, static_cast<std::uint32_t>(rawSize));
    b.Put64(oh + 24, 0x10000000ull);
    b.Put32(oh + 32, 0x1000);
    b.Put32(oh + 36, 0x200);
    b.Put16(oh + 40, 4);
    b.Put16(oh + 48, 5);
    b.Put16(oh + 50, 2);
    b.Put32(oh + 56, kSectionRva + static_cast<std::uint32_t>(AlignUp(resourceSize, 0x1000)));
    b.Put32(oh + 60, static_cast<std::uint32_t>(kHeaders));
    b.Put16(oh + 68, 2);  // GUI
    b.Put64(oh + 72, 0x100000);
    b.Put64(oh + 80, 0x1000);
    b.Put64(oh + 88, 0x100000);
    b.Put64(oh + 96, 0x1000);
    b.Put32(oh + 108, 16);
    b.Put32(oh + 112 + 2 * 8, kSectionRva);  // resource directory
    b.Put32(oh + 112 + 2 * 8 + 4, static_cast<std::uint32_t>(resourceSize));
    const size_t sh = oh + 240;
    b.PutBytes(sh, std::string(".rsrc\0\0\0", 8));
    b.Put32(sh + 8, static_cast<std::uint32_t>(resourceSize));
    b.Put32(sh + 12, kSectionRva);
    b.Put32(sh + 16, static_cast<std::uint32_t>(rawSize));
    b.Put32(sh + 20, static_cast<std::uint32_t>(kHeaders));
    b.Put32(sh + 36, 0x40000040u);  // initialised data, readable
    b.PutBytes(kHeaders, r.Str());
    return b.Str();
}

std::string MakeNeIconLibrary(int count) {
    if (count < 0) count = 0;
    const size_t n = static_cast<size_t>(count);
    const size_t ne = 0x40;
    const size_t rsrc = 0x40;  // resource table, relative to the NE header
    // Resource table: shift, two type records with n name records each, end of types,
    // end of resource names.
    const size_t rsrcSize = 2 + 2 * (8 + n * 12) + 2 + 1;
    const size_t resident = rsrc + rsrcSize;
    const std::string moduleName = "ICONS";
    const size_t residentSize = 1 + moduleName.size() + 2 + 1;
    const size_t imports = resident + residentSize;  // module references (none), then imported names
    const size_t entryTable = imports + 1;
    const size_t tablesEnd = ne + entryTable + 2;
    const size_t nonResident = tablesEnd;
    const std::string description = "Vemlora test icons";
    const size_t dataStart = nonResident + 1 + description.size() + 2 + 1;

    // The smallest alignment shift whose 16-bit offsets reach every resource.
    unsigned shift = 4;
    for (;; ++shift) {
        size_t unit = size_t{1} << shift;
        size_t end = AlignUp(dataStart, unit) + n * (AlignUp(kGroupSize, unit) + AlignUp(kImageSize, unit));
        if (end / unit <= 0xFFFF) break;
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
        b.Put16(t, kind == 0 ? 0x800E : 0x8003);
        b.Put16(t + 2, static_cast<unsigned>(n));
        t += 8;
        for (size_t i = 0; i < n; ++i, t += 12) {
            std::string bytes = kind == 0 ? GroupResource(static_cast<int>(i + 1)) : IconImage(static_cast<int>(i));
            b.Put16(t, static_cast<unsigned>(data >> shift));
            b.Put16(t + 2, static_cast<unsigned>(AlignUp(bytes.size(), unit) >> shift));
            b.Put16(t + 4, 0x1030);  // moveable, pure, discardable
            b.Put16(t + 6, 0x8000u | static_cast<unsigned>(i + 1));
            b.PutBytes(data, bytes);
            data += AlignUp(bytes.size(), unit);
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

std::string WriteIcoFile(const TempDir& dir, const std::string& name, int colorIndex) {
    return WriteTo(dir, name, MakeIcoFile(colorIndex));
}

std::string WritePeIconLibrary(const TempDir& dir, const std::string& name, int count) {
    return WriteTo(dir, name, MakePeIconLibrary(count));
}

std::string WriteNeIconLibrary(const TempDir& dir, const std::string& name, int count) {
    return WriteTo(dir, name, MakeNeIconLibrary(count));
}

std::string WriteFileWithoutIcons(const TempDir& dir, const std::string& name) {
    return WriteTo(dir, name, MakePeIconLibrary(0));
}

std::string Shell32Path() { return SystemDir() + "\\shell32.dll"; }

}  // namespace testing_support
