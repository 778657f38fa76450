#pragma once
// Hostile variants of well-formed icon files: each variant is made from a seed and its number
// alone, so that any one of them can be made again.
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

// A field of a seed's icon structures, found by walking the file as a reader does.
struct TField {
    enum Kind { Value, Count, Offset };
    // How a file offset becomes an offset field's value.
    enum Base { Absolute, Relative, Rva, Shifted };
    size_t pos = 0;
    int width = 4;
    bool bigEndian = false;
    Kind kind = Value;
    Base base = Absolute;
    uint64_t origin = 0;   // Relative: what it counts from; Rva: va - raw; Shifted: the shift
    uint32_t flags = 0;    // bits of the value kept when it is pointed elsewhere
    size_t target = 0;     // Offset: the file offset it points at
    size_t targetLen = 0;  // Offset: the length of what it points at (0 unknown)
    int innerCount = -1;   // Offset: a 16-bit count inside the target, relative to it
    size_t item = 0;       // Count: bytes an item
    const char* what = "";
};

struct TSeed {
    std::string name;
    std::string bytes;
    std::vector<TField> fields;
    std::vector<size_t> boundaries;  // structure starts and ends, for truncations
};

// Walks the seed's structures into its fields and boundaries.
TSeed MakeSeed(const std::string& name, const std::string& bytes);

// Variant `k` of the campaign numbered `campaign`: its bytes and a line telling how it was made.
struct TVariant {
    std::string bytes;
    std::string how;
};
TVariant MakeVariant(const std::vector<TSeed>& seeds, uint64_t campaign, uint64_t k);

}  // namespace fuzz
