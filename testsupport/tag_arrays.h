// The arrays the dialogues and the loaders build: tag-name arrays (256-byte
// entries, and the compact 40-byte layout) and type descriptors (the header
// entry, and sizes by data type).
#pragma once

#include <cstddef>
#include <cstdint>

#include "record_sizes.h"
#include "tavlo.h"

// Building tag-name arrays: 256-byte entries, and the compact 40-byte layout.
namespace tavlo::ts {

constexpr int32_t kFullNameEntry = records::kFullNameStride;
constexpr int32_t kCompactNameEntry = records::kCompactNameStride;

// Writes the name's characters (at most 255) to the front of entry `slot`
// of an array of 256-byte entries and NUL into the entry's byte 255; the
// bytes between keep what the caller's array held.
void store_full_name(char *names, int32_t slot, const char *name, std::size_t length);

// The working name copy in the compact layout: `count` entries of 40 bytes,
// all blanks at first. Allocated with malloc and freed when it goes.
class CompactNames {
public:
    explicit CompactNames(int32_t count);
    ~CompactNames();
    CompactNames(const CompactNames &) = delete;
    CompactNames &operator=(const CompactNames &) = delete;

    // False when the copy could not be allocated.
    bool ok() const { return entries_ != nullptr; }

    // Copies at most the first 40 characters of the name into entry `slot`
    // and sets the entry's byte 39 to NUL: at most 39 characters, blanks,
    // and the NUL.
    void store(int32_t slot, const char *name, std::size_t length);

    // The number of entries.
    int32_t count() const { return count_; }

    // Rewrites the first `entries` (at most count()) 256-byte entries of the
    // caller's array in the compact layout: the first `entries` compact
    // entries at its start, the rest of those bytes blanks. Sets
    // tag_name_stride to 40.
    void rewrite(char *names, int32_t entries) const;

private:
    int32_t count_;
    char *entries_;
};

// Type descriptors as the dialogues and loaders build them: the header
// entry, and sizes by data type.

// The largest ASCII size the dialogues accept is also the ASCII size a tag
// list gets when it does not give one, and so the most bytes one value takes
// in a packed buffer that a dialogue or a loader fills.
using records::kLargestAsciiSize;

// The header entry of a descriptor array for `count` tags.
inline TypeDescriptor descriptor_header(int32_t count) {
    return TypeDescriptor{TAVLO_TYPE_STRUCTURE, TAVLO_TYPE_NONE, count, 1};
}

// REAL 4, SHORT 2, ASCII 1200, LONG 4, DOUBLE 8, TIME 8; 0 for any other.
inline int32_t data_type_size(int32_t data_type) {
    switch (data_type) {
        case TAVLO_TYPE_REAL: return 4;
        case TAVLO_TYPE_SHORT: return 2;
        case TAVLO_TYPE_ASCII: return kLargestAsciiSize;
        case TAVLO_TYPE_LONG: return 4;
        case TAVLO_TYPE_DOUBLE: return 8;
        case TAVLO_TYPE_TIME: return 8;
        default: return 0;
    }
}

}  // namespace tavlo::ts
