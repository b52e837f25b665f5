// Building tag-name arrays: 256-byte entries, and the compact 40-byte layout.
#pragma once

#include <cstddef>
#include <cstdint>

#include "record_sizes.h"

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

}  // namespace tavlo::ts
