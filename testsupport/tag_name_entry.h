// The name question of the tag definition dialogues and the finishing of
// their tag-name arrays.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tag_arrays.h"

namespace tavlo::ts {

// Each name entered goes into the caller's array of 256-byte entries and
// into a working copy in the compact 40-byte layout; finish() chooses the
// layout the caller receives.
class TagNameEntry {
public:
    TagNameEntry(char *names, int32_t count) : names_(names), compact_(count) {}

    // False when the working copy could not be allocated.
    bool ok() const { return compact_.ok(); }

    // Asks for the name of tag `slot` + 1 and stores it in entry `slot` of
    // both arrays. False, storing nothing, when input ended.
    bool ask(int32_t slot);

    // The latest name as entered (at most 255 characters).
    const char *name() const { return name_; }

    // When every name stored is shorter than 40 characters, rewrites the
    // caller's array in the compact layout and sets tag_name_stride to 40;
    // otherwise leaves both as they are. An entry never asked for is 40
    // blanks without a NUL in the compact layout, as the tag-list loaders
    // leave an empty slot.
    void finish();

private:
    char *names_;
    CompactNames compact_;
    std::size_t longest_ = 0;
    char name_[kFullNameEntry] = {};
};

}  // namespace tavlo::ts
