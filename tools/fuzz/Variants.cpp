#include "Variants.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace fuzz {

namespace {

constexpr size_t kPage = 4096;
// Seeds with more structure boundaries than this are cut at random ones only.
constexpr size_t kSystematicCuts = 600;

uint64_t Get(const std::string& b, size_t at, int width, bool bigEndian = false) {
    uint64_t v = 0;
    for (int i = 0; i < width; ++i) {
        const size_t p = at + (bigEndian ? i : width - 1 - i);
        v = (v << 8) | (p < b.size() ? static_cast<unsigned char>(b[p]) : 0u);
    }
    return v;
}

void Set(std::string& b, size_t at, int width, uint64_t v, bool bigEndian = false) {
    for (int i = 0; i < width; ++i) {
        const size_t p = at + (bigEndian ? width - 1 - i : i);
        if (p < b.size()) b[p] = static_cast<char>(v >> (8 * i));
    }
}

// Walks one file's structures the way an icon reader finds them; every read is bounded.
class TWalker {
public:
    explicit TWalker(TSeed& seed) : s_(seed), b_(seed.bytes) {}

    void Walk() {
        if (b_.size() < 4) return;
        if (b_.compare(0, 2, "MZ") == 0) {
            const size_t header = U(0x3C, 4);
            Field(0x3C, 4, TField::Offset, "e_lfanew").target = header;
            if (b_.compare(std::min(header, b_.size()), 4, std::string("PE\0\0", 4)) == 0) Pe(header);
            else if (b_.compare(std::min(header, b_.size()), 2, "NE") == 0) Ne(header);
        } else if (b_.compare(0, 4, "RIFF") == 0) {
            Ani();
        } else if (U(2, 2) == 1 || U(2, 2) == 2) {
            Ico(0);
        }
    }

private:
    uint64_t U(size_t at, int width) const { return Get(b_, at, width); }
    bool In(size_t at, size_t len) const { return at <= b_.size() && len <= b_.size() - at; }
    TField& Field(size_t pos, int width, TField::Kind kind, const char* what) {
        TField f;
        f.pos = pos, f.width = width, f.kind = kind, f.what = what;
        s_.fields.push_back(f);
        Boundary(pos), Boundary(pos + width);
        return s_.fields.back();
    }
    void Boundary(size_t at) {
        if (at > 0 && at < b_.size()) s_.boundaries.push_back(at);
    }
    void Extent(size_t at, size_t len) { Boundary(at), Boundary(at + len), Boundary(at + len - 1); }

    void Ico(size_t base) {
        Field(base + 2, 2, TField::Value, "ico.type");
        const size_t count = U(base + 4, 2);
        Field(base + 4, 2, TField::Count, "ico.count").item = 16;
        for (size_t i = 0; i < count && In(base + 6 + 16 * i, 16); ++i) {
            const size_t e = base + 6 + 16 * i;
            Extent(e, 16);
            Field(e, 1, TField::Value, "ico.width"), Field(e + 1, 1, TField::Value, "ico.height");
            Field(e + 2, 1, TField::Value, "ico.colors"), Field(e + 6, 2, TField::Value, "ico.bpp");
            const size_t size = U(e + 8, 4), offset = U(e + 12, 4);
            Field(e + 8, 4, TField::Value, "ico.bytes");
            TField& f = Field(e + 12, 4, TField::Offset, "ico.offset");
            f.base = TField::Relative, f.origin = base, f.target = base + offset, f.targetLen = size;
            if (In(base + offset, size)) Image(base + offset, size);
        }
    }

    void Image(size_t at, size_t size) {
        Extent(at, size);
        if (b_.compare(at, 4, "\x89PNG") == 0) {
            Field(at + 8, 4, TField::Value, "png.ihdr.length").bigEndian = true;
            Field(at + 16, 4, TField::Value, "png.width").bigEndian = true;
            Field(at + 20, 4, TField::Value, "png.height").bigEndian = true;
            Field(at + 24, 1, TField::Value, "png.depth"), Field(at + 25, 1, TField::Value, "png.colortype");
            Field(at + 33, 4, TField::Value, "png.idat.length").bigEndian = true;
            return;
        }
        Field(at, 4, TField::Value, "bmp.size"), Field(at + 4, 4, TField::Value, "bmp.width");
        Field(at + 8, 4, TField::Value, "bmp.height"), Field(at + 12, 2, TField::Value, "bmp.planes");
        Field(at + 14, 2, TField::Value, "bmp.bpp"), Field(at + 16, 4, TField::Value, "bmp.compression");
        Field(at + 20, 4, TField::Value, "bmp.image"), Field(at + 32, 4, TField::Value, "bmp.used");
    }

    void Group(size_t at, size_t size) {
        Extent(at, size);
        Field(at, 2, TField::Value, "grp.reserved"), Field(at + 2, 2, TField::Value, "grp.type");
        const size_t count = U(at + 4, 2);
        Field(at + 4, 2, TField::Count, "grp.count").item = 14;
        for (size_t i = 0; i < count && In(at + 6 + 14 * i, 14); ++i) {
            const size_t e = at + 6 + 14 * i;
            Field(e, 1, TField::Value, "grp.width"), Field(e + 6, 2, TField::Value, "grp.bpp");
            Field(e + 8, 4, TField::Value, "grp.bytes"), Field(e + 12, 2, TField::Value, "grp.id");
        }
    }

    void Pe(size_t pe) {
        const size_t optionalSize = U(pe + 20, 2), oh = pe + 24;
        Extent(pe, 24 + optionalSize);
        Field(pe, 4, TField::Value, "pe.signature");
        Field(pe + 6, 2, TField::Count, "pe.sections").item = 40;
        Field(pe + 20, 2, TField::Value, "pe.optionalsize");
        Field(oh, 2, TField::Value, "pe.magic");
        const bool plus = U(oh, 2) == 0x20B;
        const size_t dirs = oh + (plus ? 112 : 96);
        Field(dirs - 4, 4, TField::Value, "pe.directories");
        Field(oh + 60, 4, TField::Value, "pe.headers");
        sections_ = U(pe + 6, 2), sectionTable_ = oh + optionalSize;
        for (size_t i = 0; i < sections_ && In(sectionTable_ + 40 * i, 40); ++i) {
            const size_t s = sectionTable_ + 40 * i;
            Extent(s, 40);
            Field(s + 8, 4, TField::Value, "sec.vsize"), Field(s + 12, 4, TField::Value, "sec.va");
            Field(s + 16, 4, TField::Value, "sec.rawsize");
            TField& f = Field(s + 20, 4, TField::Offset, "sec.raw");
            f.target = U(s + 20, 4), f.targetLen = U(s + 16, 4);
        }
        const uint32_t rva = static_cast<uint32_t>(U(dirs + 16, 4));
        Field(dirs + 20, 4, TField::Value, "pe.rsrc.size");
        size_t root = 0;
        if (!Map(rva, root)) return;
        TField& f = Field(dirs + 16, 4, TField::Offset, "pe.rsrc");
        f.base = TField::Rva, f.origin = root - rva, f.target = root, f.targetLen = 16, f.innerCount = 14;
        root_ = root;
        Directory(root, 0, 0);
    }
    bool Map(uint32_t rva, size_t& offset) const {
        for (size_t i = 0; i < sections_ && In(sectionTable_ + 40 * i, 40); ++i) {
            const size_t s = sectionTable_ + 40 * i;
            const uint64_t va = U(s + 12, 4), raw = U(s + 16, 4), pointer = U(s + 20, 4);
            if (rva >= va && rva < va + raw) {
                offset = pointer + (rva - va);
                return offset < b_.size();
            }
        }
        return false;
    }
    void Directory(size_t at, int level, uint32_t type) {
        if (level > 2 || !In(at, 16) || !visited_.insert(at).second) return;
        const size_t count = U(at + 12, 2) + U(at + 14, 2);
        Extent(at, 16 + 8 * count);
        Field(at + 12, 2, TField::Count, "dir.named").item = 8;
        Field(at + 14, 2, TField::Count, "dir.ids").item = 8;
        for (size_t i = 0; i < count && In(at + 16 + 8 * i, 8); ++i) {
            const size_t e = at + 16 + 8 * i;
            const uint32_t name = static_cast<uint32_t>(U(e, 4)), target = static_cast<uint32_t>(U(e + 4, 4));
            Field(e, 4, TField::Value, "dir.name");
            const uint32_t entryType = level == 0 ? name : type;
            if (level == 0 && name != 3 && name != 14) continue;
            TField& f = Field(e + 4, 4, TField::Offset, level == 2 ? "dir.data" : "dir.subdir");
            f.base = TField::Relative, f.origin = root_, f.flags = target & 0x80000000u;
            f.target = root_ + (target & 0x7FFFFFFFu);
            if (target & 0x80000000u) {
                f.targetLen = 16 + 8 * (U(f.target + 12, 2) + U(f.target + 14, 2)), f.innerCount = 14;
                Directory(f.target, level + 1, entryType);
            } else {
                f.targetLen = 16;
                Data(f.target, entryType);
            }
        }
    }
    void Data(size_t at, uint32_t type) {
        if (!In(at, 16)) return;
        Extent(at, 16);
        const uint32_t rva = static_cast<uint32_t>(U(at, 4));
        const size_t size = U(at + 4, 4);
        Field(at + 4, 4, TField::Value, "data.size");
        size_t offset = 0;
        if (!Map(rva, offset) || !In(offset, size)) return;
        TField& f = Field(at, 4, TField::Offset, "data.rva");
        f.base = TField::Rva, f.origin = offset - rva, f.target = offset, f.targetLen = size;
        if (type == 14) f.innerCount = 4, Group(offset, size);
        else Image(offset, size);
    }

    void Ne(size_t ne) {
        Extent(ne, 0x40);
        Field(ne + 0x24, 2, TField::Value, "ne.rsrctab");
        Field(ne + 0x26, 2, TField::Value, "ne.restab");
        size_t t = ne + U(ne + 0x24, 2);
        const unsigned shift = static_cast<unsigned>(U(t, 2));
        Field(t, 2, TField::Value, "ne.shift");
        for (t += 2; In(t, 8) && U(t, 2) != 0;) {
            const uint64_t type = U(t, 2), count = U(t + 2, 2);
            Extent(t, 8 + 12 * count);
            Field(t, 2, TField::Value, "ne.type");
            Field(t + 2, 2, TField::Count, "ne.count").item = 12;
            for (size_t i = 0; i < count && In(t + 8 + 12 * i, 12); ++i) {
                const size_t info = t + 8 + 12 * i;
                const size_t offset = U(info, 2) << (shift & 31), length = U(info + 2, 2) << (shift & 31);
                TField& f = Field(info, 2, TField::Offset, "ne.offset");
                f.base = TField::Shifted, f.origin = shift & 31, f.target = offset, f.targetLen = length;
                f.innerCount = type == 0x800E ? 4 : -1;
                Field(info + 2, 2, TField::Value, "ne.length"), Field(info + 6, 2, TField::Value, "ne.id");
                if (!In(offset, length) || shift > 16) continue;
                if (type == 0x800E) Group(offset, length);
                else if (type == 0x8003) Image(offset, length);
            }
            t += 8 + 12 * count;
        }
        Boundary(t), Boundary(t + 2);
    }

    void Ani() {
        Field(4, 4, TField::Value, "riff.size");
        for (size_t c = 12; In(c, 8);) {
            const size_t size = U(c + 4, 4);
            Field(c + 4, 4, TField::Value, "riff.chunk");
            if (b_.compare(c, 4, "LIST") == 0) {
                c += 12;
                continue;
            }
            if (b_.compare(c, 4, "anih") == 0)
                Field(c + 12, 4, TField::Value, "anih.frames"), Field(c + 16, 4, TField::Value, "anih.steps");
            if (b_.compare(c, 4, "icon") == 0 && In(c + 8, size)) Ico(c + 8);
            c += 8 + size + (size & 1);
        }
    }

    TSeed& s_;
    const std::string& b_;
    size_t sections_ = 0, sectionTable_ = 0, root_ = 0;
    std::set<size_t> visited_;
};

// The seeded generator of one variant.
class TRandom {
public:
    explicit TRandom(uint64_t seed) : s_(seed) {}
    uint64_t Next() {
        uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    size_t Below(size_t n) { return n ? static_cast<size_t>(Next() % n) : 0; }
    bool Chance(int percent) { return Below(100) < static_cast<size_t>(percent); }

private:
    uint64_t s_;
};

std::string Hex(uint64_t v) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(v));
    return text;
}

void PadToPage(std::string& b) { b.resize((b.size() + kPage - 1) / kPage * kPage, '\0'); }

// The value an offset field takes to point at file offset `at`.
bool ValueFor(const TField& f, uint64_t at, uint64_t& value) {
    switch (f.base) {
    case TField::Absolute: value = at; break;
    case TField::Relative:
        if (at < f.origin) return false;
        value = (at - f.origin) | f.flags;
        break;
    case TField::Rva: value = at - f.origin; break;
    case TField::Shifted:
        if (at & ((uint64_t{1} << f.origin) - 1)) return false;
        value = at >> f.origin;
        break;
    }
    return f.width == 8 || value < (uint64_t{1} << (8 * f.width));
}

uint64_t BoundaryValue(TRandom& r, const TField& f, uint64_t old, size_t fileSize) {
    const uint64_t max = f.width >= 8 ? ~0ull : (uint64_t{1} << (8 * f.width)) - 1;
    const uint64_t values[] = {0, 1, 2, 3, old + 1, old - 1, old + 2, max, max - 1, max / 2, max / 2 + 1,
                               old * 2, old ^ (uint64_t{1} << (8 * f.width - 1)), 0x7FFF, 0x8000, 0xFFFF, 0x10000,
                               fileSize, fileSize - 1, fileSize + 1, 16, 40, 0x1000, 0xFF, 0x100, r.Next()};
    return values[r.Below(sizeof values / sizeof values[0])] & max;
}

}  // namespace

TSeed MakeSeed(const std::string& name, const std::string& bytes) {
    TSeed s;
    s.name = name, s.bytes = bytes;
    TWalker(s).Walk();
    std::sort(s.boundaries.begin(), s.boundaries.end());
    s.boundaries.erase(std::unique(s.boundaries.begin(), s.boundaries.end()), s.boundaries.end());
    return s;
}

TVariant MakeVariant(const std::vector<TSeed>& seeds, uint64_t campaign, uint64_t k) {
    // The first variants cut every seed of a modest size at every one of its structure boundaries.
    for (const TSeed& seed : seeds) {
        if (seed.boundaries.size() > kSystematicCuts) continue;
        if (k < seed.boundaries.size())
            return {seed.bytes.substr(0, seed.boundaries[k]), " " + seed.name + " cut@" + Hex(seed.boundaries[k])};
        k -= seed.boundaries.size();
    }
    TRandom r(campaign * 0x100000001B3ull ^ (k + 1) * 0xC2B2AE3D27D4EB4Full);
    const TSeed& seed = seeds[r.Below(seeds.size())];
    TVariant v{seed.bytes, " " + seed.name};
    std::string& b = v.bytes;
    const std::vector<TField>& fields = seed.fields;
    // A field of a kind picked first, so that the many image fields do not crowd out the few tables.
    auto pick = [&](auto ok) -> const TField* {
        std::vector<std::string> kinds;
        for (const TField& f : fields)
            if (ok(f) && std::find(kinds.begin(), kinds.end(), f.what) == kinds.end()) kinds.push_back(f.what);
        if (kinds.empty()) return nullptr;
        const std::string kind = kinds[r.Below(kinds.size())];
        std::vector<const TField*> some;
        for (const TField& f : fields)
            if (ok(f) && kind == f.what) some.push_back(&f);
        return some[r.Below(some.size())];
    };
    auto field = [&]() -> const TField& { return *pick([](const TField&) { return true; }); };
    auto setField = [&](const TField& f, uint64_t value) {
        Set(b, f.pos, f.width, value, f.bigEndian);
        v.how += std::string(" ") + f.what + "@" + Hex(f.pos) + "=" + Hex(value);
    };
    const size_t kind = fields.empty() ? 5 : r.Below(100);
    if (kind < 12) {  // truncated at a structure boundary, or at a page
        size_t at = seed.boundaries.empty() ? b.size() / 2 : seed.boundaries[r.Below(seed.boundaries.size())];
        if (r.Chance(15) && b.size() > kPage) at = (1 + r.Below(b.size() / kPage)) * kPage;
        b.resize(at);
        v.how += " cut@" + Hex(at);
    } else if (kind < 45) {  // one or two fields at boundary values
        for (int n = r.Chance(25) ? 2 : 1; n > 0; --n) {
            const TField& f = field();
            setField(f, BoundaryValue(r, f, Get(b, f.pos, f.width, f.bigEndian), b.size()));
        }
        if (r.Chance(40)) PadToPage(b), v.how += " page";
    } else if (kind < 60) {  // an offset pointing into the last bytes of a page-long file
        if (const TField* o = pick([](const TField& f) { return f.kind == TField::Offset; })) {
            const TField& f = *o;
            PadToPage(b);
            const size_t backs[] = {1, 2, 3, 4, 5, 6, 8, 12, 14, 15, 16, 20, 22, 24, 32, 40};
            uint64_t value = 0;
            const size_t at = b.size() - std::min(b.size(), backs[r.Below(sizeof backs / sizeof backs[0])]);
            if (ValueFor(f, at, value)) setField(f, value);
            v.how += " page-end";
        }
    } else if (kind < 75) {  // a structure moved to the end of a page, its count raised
        const size_t size = seed.bytes.size();
        if (const TField* o = pick([size](const TField& f) {
                return f.kind == TField::Offset && f.targetLen > 0 && f.targetLen < 0x10000 && f.target <= size &&
                       f.targetLen <= size - f.target;
            })) {
            const TField& f = *o;
            const std::string moved = seed.bytes.substr(f.target, f.targetLen);
            size_t end = (b.size() + moved.size() + kPage - 1) / kPage * kPage;
            uint64_t value = 0;
            for (size_t tries = 0; tries < 8 && !ValueFor(f, end - moved.size(), value); ++tries) end += kPage;
            if (ValueFor(f, end - moved.size(), value)) {
                b.resize(end, '\0');
                b.replace(end - moved.size(), moved.size(), moved);
                setField(f, value);
                v.how += " moved";
                if (f.innerCount >= 0 && static_cast<size_t>(f.innerCount) + 2 <= moved.size()) {
                    const size_t at = end - moved.size() + f.innerCount;
                    const uint64_t old = Get(b, at, 2);
                    const uint64_t counts[] = {old + 1, old + 1, old + 2, 0xFFFF, old * 2 + 1, 0x8000};
                    const uint64_t count = counts[r.Below(6)] & 0xFFFF;
                    Set(b, at, 2, count);
                    v.how += " count=" + Hex(count);
                }
            }
        }
    } else if (kind < 90) {  // random byte changes, most of them among the headers
        const size_t n = 1 + r.Below(12);
        for (size_t i = 0; i < n && !b.empty(); ++i) {
            const size_t at = r.Chance(60) ? r.Below(std::min<size_t>(b.size(), 1024)) : r.Below(b.size());
            const unsigned char values[] = {0, 0xFF, 0x80, 0x7F, 1};
            b[at] = static_cast<char>(r.Chance(50) ? values[r.Below(5)] : r.Next());
        }
        v.how += " bytes=" + std::to_string(n);
        if (r.Chance(30)) PadToPage(b), v.how += " page";
    } else {  // bits flipped all over, as a bit-flipping fuzzer does
        const size_t n = 1 + b.size() / 256;
        for (size_t i = 0; i < n && !b.empty(); ++i) b[r.Below(b.size())] ^= static_cast<char>(1u << r.Below(8));
        v.how += " flips=" + std::to_string(n);
        if (r.Chance(30) && b.size() > kPage) b.resize(b.size() / kPage * kPage), v.how += " page-cut";
    }
    return v;
}

}  // namespace fuzz
