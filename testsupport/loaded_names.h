// The names a tag-list load stores: into the caller's 256-byte entries and
// into the working copy in the compact layout.
#pragma once

#include <algorithm>
#include <cstdint>

#include "tag_arrays.h"

namespace tavlo::ts {

class LoadedNames {
public:
    LoadedNames(char *names, CompactNames &working_copy)
        : names_(names), working_copy_(working_copy) {}

    // Stores the name into slot `slot` of both and notes its length.
    void store(int32_t slot, const char *name, int32_t length) {
        const auto characters = static_cast<std::size_t>(length);
        longest_ = std::max(longest_, length);
        store_full_name(names_, slot, name, characters);
        working_copy_.store(slot, name, characters);
    }

    // Rewrites the first `entries` entries of the caller's array in the
    // compact layout, and sets tag_name_stride to 40, when no name stored
    // was 40 characters or longer; otherwise leaves both as they are.
    void rewrite_if_short(int32_t entries) const {
        if (longest_ < kCompactNameEntry) working_copy_.rewrite(names_, entries);
    }

private:
    char *names_;
    CompactNames &working_copy_;
    int32_t longest_ = 0;
};

}  // namespace tavlo::ts
