// Type descriptors as the dialogues and loaders build them: the header
// entry, and sizes by data type.
#pragma once

#include <cstdint>

#include "record_sizes.h"
#include "tavlo.h"

namespace tavlo::ts {

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
