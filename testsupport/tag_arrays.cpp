// Building tag-name arrays: 256-byte entries, and the compact 40-byte layout.
#include "tag_arrays.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "tavlo_testsupport.h"

namespace tavlo::ts {

namespace {
std::size_t bytes_of(int32_t count, int32_t entry) {
    return static_cast<std::size_t>(std::max(count, 0)) * static_cast<std::size_t>(entry);
}
}  // namespace

void store_full_name(char *names, int32_t slot, const char *name, std::size_t length) {
    char *entry = names + bytes_of(slot, kFullNameEntry);
    std::memcpy(entry, name, std::min<std::size_t>(length, kFullNameEntry - 1));
    entry[kFullNameEntry - 1] = '\0';
}

CompactNames::CompactNames(int32_t count)
    : count_(std::max(count, 0)),
      // One byte more than needed, so that a count of 0 still allocates.
      entries_(static_cast<char *>(std::malloc(bytes_of(count_, kCompactNameEntry) + 1))) {
    if (entries_ != nullptr) std::memset(entries_, ' ', bytes_of(count_, kCompactNameEntry));
}

CompactNames::~CompactNames() {
    std::free(entries_);
}

void CompactNames::store(int32_t slot, const char *name, std::size_t length) {
    char *entry = entries_ + bytes_of(slot, kCompactNameEntry);
    std::memcpy(entry, name, std::min<std::size_t>(length, kCompactNameEntry));
    entry[kCompactNameEntry - 1] = '\0';
}

void CompactNames::rewrite(char *names, int32_t entries) const {
    const int32_t rewritten = std::min(entries, count_);
    // A list of no tags may come without an array at all.
    if (rewritten > 0) {
        const std::size_t compact = bytes_of(rewritten, kCompactNameEntry);
        std::memcpy(names, entries_, compact);
        std::memset(names + compact, ' ', bytes_of(rewritten, kFullNameEntry) - compact);
    }
    tag_name_stride = kCompactNameEntry;
}

}  // namespace tavlo::ts
