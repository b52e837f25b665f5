// One message as a read hands it to its caller: the header fields, the six
// arrays and the width of the name entries. The formats, the reports, the
// recording and the test support all read a message through it; it owns
// nothing, and the arrays stay its owner's.
#pragma once

#include <cstdint>

#include "tavlo.h"

namespace tavlo::records {

// Any array may be null, read as an array of zeros (no names, no values).
struct MessageView {
    MessageKind kind = 0;
    const char *device = nullptr;
    int32_t unit = 0;
    int32_t list_id = 0;
    int32_t sequence = 0;
    int32_t count = 0;
    const char *names = nullptr;
    int32_t name_stride = 0;                      // bytes from one name to the next: 40 or 256
    const TypeDescriptor *descriptors = nullptr;  // count + 1 entries, the header first
    const unsigned char *values = nullptr;        // the sizes of the descriptors added up
    const TagStatus *statuses = nullptr;          // count entries
    const TimeRecord *timestamps = nullptr;       // count entries
};

}  // namespace tavlo::records
